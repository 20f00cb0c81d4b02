#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>

// What `blastsearch parse` was asked to do.
struct ParseOptions {
  static constexpr std::uint64_t kDefaultMaxInput = std::uint64_t{1} << 30;

  std::string strFile;             // the report or transfer file to read; "-": standard input
  std::string strReader = "auto";  // "auto", "qblast" or "classic"
  bool bJson = false;              // one JSON document instead of the readable report
  bool bSummary = false;           // one summary line instead of the readable report
  std::string strSave;             // when set, also write the result as a transfer file
  bool bSavePartial = false;       // save the result of an interrupted parse as well
  bool bProgress = false;          // show a progress line on standard error
  // The most bytes read from input that is not a file on disk (standard
  // input, a pipe, a device), and beyond a file's length at opening.
  std::uint64_t nMaxInput = kDefaultMaxInput;
};

// Reads the file named by `options` once (a transfer file, or a report through
// the reader chosen or recognised), saves the result when asked, and writes it
// to `out`, messages to `err`. Returns 0 when a result was read, 1 when the
// file holds nothing a reader recognises, a reader failed, the input is larger
// than allowed or the result could not be saved, 2 when a file cannot be
// opened or created, 130 when Ctrl-C cut the reading short (the partial result
// is written, and saved only with bSavePartial). Output errors are the
// caller's to check. Never throws.
int RunParse(const ParseOptions& options, std::ostream& out, std::ostream& err);
