#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "app/CommandContext.h"
#include "output/StoredResultExport.h"

namespace CLI {
class App;
}

namespace blastsearch {

// What `blastsearch show` was asked to do.
struct CShowOptions {
  std::string m_strObject;  // name or UID of the stored result
  bool m_bJson = false;     // the JSON document of `parse --json`
  bool m_bSummary = false;  // the summary line of `parse --summary`
};

// Adds `show` and `export` to `app`; choosing one sets context.m_run.
void AddShowCommands(CLI::App& app, CCommandContext& context);

// Reads the stored result and writes it as `parse` writes a result read from
// a file. 0; 1 when there is no such result or its record is damaged (the
// failure line names it).
int RunShow(const CShowOptions& options, CCommandContext& context);

// Writes the stored results one after another in the format asked: json (one
// document per line, each as `show --json`), tsv (BLAST's 12 tabular
// columns), fasta (the hits' subject rows) or transfer (the transfer file of
// exactly one result). An output file is replaced only when every result was
// written. 0; 1 when a result is missing or damaged or a write fails.
int RunExport(const CExportOptions& options, CCommandContext& context);

}  // namespace blastsearch
