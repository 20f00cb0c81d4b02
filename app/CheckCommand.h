#pragma once

#include "app/CommandContext.h"

namespace CLI {
class App;
}

namespace blastsearch {

// Adds `check`: the database's integrity (the storage's own check, list
// entries against records), every stored record read back, and subbases
// against the results they hold. `context` must outlive the parse and run.
void AddCheckCommand(CLI::App& app, CCommandContext& context);

// Runs `check` on the database of `context`: 0 when everything is sound (one
// line saying how much was checked), 1 with a line for each problem found.
int RunCheck(CCommandContext& context);

}  // namespace blastsearch
