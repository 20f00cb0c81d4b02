#pragma once

#include <string>
#include <vector>

#include "app/CommandContext.h"

namespace CLI {
class App;
}

namespace blastsearch {

// What `blastsearch blast` was asked to do.
struct CBlastCommandOptions {
  std::string m_strProgram;            // blastn, blastp, blastx, tblastn, tblastx, psiblast
  std::string m_strQuery;              // FASTA file of the queries; "-": standard input
  std::string m_strBlastDb;            // local BLAST+ database, or NCBI's database name
  std::string m_strSubbase = "MAIN";   // the subbase the new results join
  std::string m_strBlastBin;           // folder of the BLAST+ programs; empty: PATH
  std::string m_strEvalue;             // E value threshold; empty: the program's default
  int m_nMaxHits = 0;                  // most hits per query; 0: the program's default
  std::vector<std::string> m_options;  // after "--": BLAST+ options, or NCBI NAME=VALUE
  bool m_bRemote = false;              // through NCBI's BLAST service
  std::string m_strRid;                // resume NCBI's search of this request ID
  std::string m_strEmail;              // for NCBI; else BLASTSEARCH_EMAIL or EMAIL
  std::string m_strNcbiUrl;            // NCBI's service; else BLASTSEARCH_NCBI_URL or NCBI's own
};

// Adds `blast` to `app`; choosing it sets context.m_run to RunBlastCommand.
void AddBlastCommand(CLI::App& app, CCommandContext& context);

// Runs the search of `options` (local BLAST+, or NCBI's service) and stores
// each query's result as soon as it is read, one line per result stored on
// standard output, the run's state on standard error. Ctrl-C stops BLAST+
// (or the waiting for NCBI) and keeps what was stored. Returns 0 when every
// query's result was stored, 130 when stopped, 2 for a request that cannot
// be run, else 1 (BLAST+'s or NCBI's words on standard error). Never throws
// but for memory.
int RunBlastCommand(const CBlastCommandOptions& options, CCommandContext& context);

}  // namespace blastsearch
