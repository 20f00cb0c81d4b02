#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

namespace blastsearch {

// What `blastsearch parse` was asked to do.
struct ParseOptions {
  static constexpr std::uint64_t kDefaultMaxInput = std::uint64_t{1} << 30;

  std::string strFile;  // the report or transfer file to read; "-": standard input
  // "auto" (recognise the layout) or a layout's reader by name: see
  // ReaderNames(); a named reader also reads input whose layout is not
  // recognised.
  std::string strReader = "auto";
  bool bJson = false;        // one JSON document per result instead of the readable report
  bool bSummary = false;     // one summary line per result instead of the readable report
  int nQuery = 0;            // when non-zero, only the results of this query (from 1)
  std::string strQueryName;  // when set, only the first query of this name or identifier
  bool bEveryRound = false;
  std::string strColumns;  // a table's columns as given to BLAST+'s -outfmt ("qseqid sseqid ...")
  std::string strProgram;  // the program that wrote a table without comment lines   // PSI-BLAST:
                           // every round as a result, not only the last
  std::string strSave;     // when set, also write the result as a transfer file
  bool bSavePartial = false;  // save the result of an interrupted parse as well
  bool bProgress = false;     // show a progress line on standard error
  // The most bytes read from input that is not a file on disk (standard
  // input, a pipe, a device), and beyond a file's length at opening.
  std::uint64_t nMaxInput = kDefaultMaxInput;
};

// The names that ParseOptions::strReader takes: "auto", then each layout's
// reader ("qblast", "classic", "blast+text", "blast+html", "xml", "xml2",
// "json", "tabular", "tabular7", "csv").
const std::vector<std::string>& ReaderNames();

// Reads the file named by `options` once (a transfer file, or a report through
// the reader chosen or recognised, one result per query or PSI-BLAST round,
// streamed: results are written as they are read), saves the result when
// asked (a report of several results needs nQuery or strQueryName to pick
// one), and writes the results to `out`, messages to `err`. Returns 0 when
// every result was read whole, 1 when the file holds nothing a reader
// recognises, its layout has no reader, a reader failed, a result is partial
// (it is written and said to be), the query asked for is not in the file,
// the input is larger than allowed or the result could not be saved, 2 when
// a file cannot be opened or created, 130 when Ctrl-C cut the reading short
// (what was read is written, and saved only with bSavePartial). Output errors
// are the caller's to check. Never throws.
int RunParse(const ParseOptions& options, std::ostream& out, std::ostream& err);

// For a program that ends right after the command: with `leave`, the last
// result that RunParse read is left to the end of the process instead of
// being freed piece by piece (a large report's tree costs a walk over every
// hit and row). It stays reachable (one held at a time), so that leak
// checkers do not count it. Off unless set; not for callers that go on
// (tests, a window). Not thread-safe: set before the command runs.
void LeaveLastResultToProcessEnd(bool leave);

}  // namespace blastsearch
