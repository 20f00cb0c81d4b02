#pragma once

#include "app/CommandContext.h"

namespace CLI {
class App;
}

namespace blastsearch {

// Adds the database commands (import, list, show, export, rm, rename,
// duplicate, subbase, archive, summary, check) and the option choosing the database
// (--db DIR, or BLASTSEARCH_DB) to `app`. The command chosen sets
// context.m_run; `context` must outlive the parse and the run.
void AddDatabaseCommands(CLI::App& app, CCommandContext& context);

}  // namespace blastsearch
