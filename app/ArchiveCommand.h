#pragma once

#include <string>

#include "app/CommandContext.h"

namespace CLI {
class App;
}

namespace blastsearch {

// What `blastsearch archive export|import` was asked to do.
struct CArchiveOptions {
  bool m_bExport = true;              // export: write the file; import: read it
  std::string m_strFile;              // the archive file (".ba6")
  std::string m_strSubbase = "MAIN";  // export: the results written; import: the subbase
                                      // the stored results join
};

// Adds `archive` with `export` and `import` to `app`; choosing one sets
// context.m_run.
void AddArchiveCommands(CLI::App& app, CCommandContext& context);

// Export writes the results of the subbase to the table's archive file,
// replaced only when all were written; import stores every result of an
// archive in one transaction, or nothing when the archive is damaged (the
// table's message says where). One line with the count. 0; 1 otherwise.
int RunArchive(const CArchiveOptions& options, CCommandContext& context);

}  // namespace blastsearch
