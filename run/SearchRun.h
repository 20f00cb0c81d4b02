#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "parse/ReportLayout.h"
#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

class CBlastSearchObject;
class CBlastSearchTable;
class CReportSource;

// What a search run is asked to do.
struct CBlastSearchRequest {
  std::string m_strProgram;            // blastn, blastp, blastx, tblastn, tblastx, psiblast
  std::string m_strQuery;              // FASTA file of the queries; "-": standard input
  std::string m_strDatabase;           // local: BLAST+ database path; remote: NCBI's name
  std::string m_strEvalue;             // E value threshold; empty: the program's default
  int m_nMaxHits = 0;                  // most hits a query keeps; 0: the program's default
  std::vector<std::string> m_options;  // local: BLAST+ options; remote: NAME=VALUE parameters
  std::string m_strBlastBin;           // local: folder of the BLAST+ programs; empty: PATH
};

// What came of a search run.
struct CBlastRunOutcome {
  enum Status {
    kDone,     // every query's result stored (or found stored already)
    kFailed,   // the program, the service, the reader or the database failed
    kStopped,  // stopped on request; the results stored before stay
  };
  Status m_status = kFailed;
  std::size_t m_nStored = 0;         // results stored
  std::size_t m_nSkipped = 0;        // results found stored already (a resumed search)
  std::vector<std::string> m_names;  // the first kNamesKept names stored
  std::string m_strError;            // why it failed, in the program's or the service's words
  std::string m_strRid;              // remote: the request ID
  bool m_bResumable = false;         // remote: may be resumed with the request ID

  static constexpr std::size_t kNamesKept = 10;
};

// How a run stores one result: 1 stored (with `nameOrReason` its name), 2
// stored already (skipped), 0 not stored (with why). `runDigest` identifies
// the run's report (see StoreImportedResult).
using CResultStore = std::function<int(CBlastSearchObject& object, std::string_view runDigest,
                                       std::string& nameOrReason)>;

// The caller's part of a run. Every function is called on the run's thread.
struct CSearchRunHooks {
  // Non-zero: stop (may be set from a signal handler or another thread).
  const volatile int* m_pStop = nullptr;
  // Stores each result as it is read; required.
  CResultStore m_store;
  // A line about the run's state ("BLAST+ started", "waiting for NCBI").
  std::function<void(const std::string&)> m_status;
  // After each result stored: results stored so far and the name.
  std::function<void(std::size_t, const std::string&)> m_stored;
};

// The store into `table` (database 1) in `subbase`, through
// StoreImportedResult: each result in its own transaction, a result stored
// before by the same run skipped. Must be called on the thread that owns the
// database.
CResultStore MakeTableStore(CBlastSearchTable& table, std::string subbase);

// Runs the local BLAST+ program of `request` on its database, asking for
// BLAST+ XML on standard output, reading it as it comes and storing each
// query's result as soon as it is whole (PSI-BLAST: the last round). Each
// result keeps the run (result_info::kSearch). BLAST+'s own failures are
// reported in its words (kFailed); a stop ends BLAST+ (kStopped), keeping
// what was stored. Never throws but for memory.
CBlastRunOutcome RunLocalSearch(const CBlastSearchRequest& request, const CSearchRunHooks& hooks);

// Reads the results of `source` (a report of `layout`) and hands each to
// the hooks' store, with result_info::kSearch set to `searchLine`. A result
// cut off at the end is not stored. Adds to `outcome` (status kDone, or
// kFailed / kStopped with the reason); exceptions of the source and the
// reader are caught into it.
void StoreSearchResults(CReportSource& source, ReportLayout layout, std::string_view runDigest,
                        const std::string& searchLine, const CSearchRunHooks& hooks,
                        CBlastRunOutcome& outcome);

// The lines a person reads about `outcome`: how many results were stored and
// their names, or why the run failed or stopped.
std::string DescribeRunOutcome(const CBlastRunOutcome& outcome);

}  // namespace BLASTSEARCH_EXPORT
