#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Export.h"
#include "table/ResultListFacts.h"

namespace blastsearch BLASTSEARCH_EXPORT {

class CBlastSearchEntry;
class CBlastSearchObject;
class CBlastSearchTable;

// The first look at a file, which recognises its layout (and all that is
// read of a file that holds no report), and the head its digest is made of.
inline constexpr std::size_t kReportHeadSize = std::size_t{1} << 20;

// What an import of report files is asked to do.
struct CReportImportOptions {
  std::string m_strSubbase = "MAIN";  // the subbase the new results join
  bool m_bEveryRound = false;         // PSI-BLAST: every round, not only the last
  std::string m_strColumns;           // a table's columns as given to BLAST+'s -outfmt
  std::string m_strProgram;           // the program that wrote a table without comment lines
  bool m_bAllowDuplicates = false;    // store results that are stored already
  // Non-zero (from a signal handler or another thread): stop after the
  // result being read. May be null.
  const volatile int* m_pStop = nullptr;
  // Called after each result stored or skipped: results stored so far, bytes
  // of the file read, the file's length (0 when not known). May be empty.
  std::function<void(std::size_t, std::uint64_t, std::uint64_t)> m_progress;
};

// What came of importing one file.
struct CReportImportOutcome {
  enum Status {
    kStored,   // every result of the file stored (or already stored)
    kRefused,  // nothing of the file read: it holds no report that is read
    kFailed,   // the file broke off (damaged, cut off, unreadable, not stored)
    kStopped,  // stopped on request after the results stored
  };
  Status m_status = kRefused;
  std::string m_strLayout;     // the layout's name; empty when not recognised
  std::size_t m_nStored = 0;   // results stored from the file
  std::size_t m_nSkipped = 0;  // results already stored, not stored again
  // Names of the first results stored (at most kNamesKept) and of the first
  // result found already stored.
  std::vector<std::string> m_names;
  std::string m_strDuplicateOf;
  // Why the file was refused or broke off, without the file's name.
  std::string m_strReason;

  static constexpr std::size_t kNamesKept = 10;
};

// Imports the file `path` (a report of any layout that has a reader, or a
// transfer file) into database 1 through `table`'s AddNewObject, one
// object per result, each in its own transaction as soon as it is read. The
// report is read as a stream: a first look of at most 1 MiB recognises the
// layout (refused when none is recognised: endless devices cost no more),
// then the reader goes on through the file, so memory is bounded by the
// largest result. Each result is named after its query's definition line,
// else the file's name (the host cuts and numbers names). A result whose
// bytes were stored before (the same result of the same report: a digest
// kept in its info text and looked up by the storage's keys) is skipped
// unless asked. A result cut off at the report's end is not stored. Never
// throws.
CReportImportOutcome ImportReportFile(CBlastSearchTable& table, const std::string& path,
                                      const CReportImportOptions& options);

// Stores the result in `object`, read from the report `path` (a file, or a
// name for a stream: used when the query has no name) whose head digest is
// `reportDigest`, as ImportReportFile stores each result: skipped when stored
// already (unless options allow duplicates), else named and stored
// in its own transaction in options' subbase; counted in `outcome`. False
// when the host could not store it (outcome's reason says so). Exceptions
// of the digest (memory) pass out. Used by callers that read results
// themselves (search runs).
[[nodiscard]] bool StoreImportedResult(CBlastSearchTable& table, CBlastSearchObject& object,
                                       const std::string& path, std::string_view reportDigest,
                                       const CReportImportOptions& options,
                                       CReportImportOutcome& outcome);

// The line a person reads about `outcome` of `path`: the stored names, or
// why nothing (more) was stored. Failed and refused files' lines are
// failures; the others information.
std::string DescribeImportOutcome(const std::string& path, const CReportImportOutcome& outcome,
                                  bool allowDuplicatesHint);

// The name of a result imported from the file `path`: its query's
// definition line (blanks and control characters trimmed, cut to
// kMaxObjectName), else the file's name, else the provisional
// "Ticks-%08X" made of the tick count.
std::string NameOfImportedResult(const CBlastSearchEntry& entry, const std::string& path);

// The digest of the report a result comes from: SHA-256 of `head`, the
// report's first bytes (the first look of at most 1 MiB), as raw bytes.
std::string DigestOfReportHead(std::string_view head);

// The digest of `entry` read from the report whose head digest is
// `reportDigest` (empty for a transfer file, which is the result itself):
// 64 lower-case hexadecimal digits of SHA-256 over that digest and the
// result's archive form, made after a digest kept in its info text is
// removed (so a result's digest does not change when it is stored and
// handed on). The same result of the same report gives the same digest;
// equal results of two reports (two searches of one query that found
// nothing) do not. Throws as storing the archive form does.
std::string DigestOfResult(CBlastSearchEntry& entry, std::string_view reportDigest);

}  // namespace BLASTSEARCH_EXPORT
