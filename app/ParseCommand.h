#pragma once

#include <iosfwd>
#include <string>

// What `blastsearch parse` was asked to do.
struct ParseOptions {
  std::string strFile;            // the report or transfer file to read
  std::string strReader = "auto";  // "auto", "qblast" or "classic"
  bool bJson = false;             // one JSON document instead of the readable report
  bool bSummary = false;          // one summary line instead of the readable report
  std::string strSave;            // when set, also write the result as a transfer file
  bool bProgress = false;         // show a progress line on standard error
};

// Reads the file named by `options` (a transfer file, or a report through the
// reader chosen or recognised), writes the result to `out` and messages to
// `err`. Returns 0 when a result was read, 1 when the file holds nothing a
// reader recognises or a reader failed, 2 when a file cannot be opened.
// Never throws.
int RunParse(const ParseOptions& options, std::ostream& out, std::ostream& err);
