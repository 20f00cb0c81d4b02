#include "app/DatabaseCommands.h"

#include <CLI/CLI.hpp>

#include "app/ArchiveCommand.h"
#include "app/CheckCommand.h"
#include "app/ImportCommand.h"
#include "app/ListCommand.h"
#include "app/ObjectCommands.h"
#include "app/ShowCommand.h"
#include "app/SubbaseCommand.h"

namespace blastsearch {

void AddDatabaseCommands(CLI::App& app, CCommandContext& context) {
  app.add_option("--db", context.m_strDb,
                 "folder of the result database (created on first use); default: "
                 "$BLASTSEARCH_DB, else $XDG_DATA_HOME/blastsearch or "
                 "~/.local/share/blastsearch")
      ->envname("BLASTSEARCH_DB")
      ->type_name("DIR");
  AddImportCommand(app, context);
  AddListCommands(app, context);
  AddShowCommands(app, context);
  AddObjectCommands(app, context);
  AddSubbaseCommands(app, context);
  AddArchiveCommands(app, context);
  AddCheckCommand(app, context);
}

}  // namespace blastsearch
