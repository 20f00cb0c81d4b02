#pragma once

#include <string>
#include <vector>

#include "app/CommandContext.h"

namespace CLI {
class App;
}

// What `blastsearch import` was asked to do.
struct CImportOptions {
  std::vector<std::string> m_files;   // reports and transfer files, in order
  std::string m_strSubbase = "MAIN";  // the subbase the new results join
  bool m_bProgress = false;           // show a progress bar on standard error
};

// Stores the one file `path` in `subbase` as RunImport stores each of its
// files: a report through the table's page import (handed the bytes read
// once), a transfer file through the transfer import; a file that
// holds neither is refused. The lines (stored name or why not) go through
// `messages`. True when stored. Exceptions of the table reach the caller.
bool ImportOneFile(const std::string& path, const std::string& subbase, CCommandMessages& messages);

// Adds `import` to `app`; choosing it sets context.m_run to RunImport.
void AddImportCommand(CLI::App& app, CCommandContext& context);

// Stores every file of `options` as a new result of the database, one line
// per file (the stored name, or why it was not stored). Reports go through
// the table's page import, transfer files through its transfer import;
// files that hold neither are refused before the table sees them. Returns 0
// when every file was stored, else 1. Never throws.
int RunImport(const CImportOptions& options, CCommandContext& context);
