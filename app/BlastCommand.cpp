#include "app/BlastCommand.h"

#include <CLI/CLI.hpp>
#include <cstdlib>
#include <memory>
#include <ostream>

#include "app/Commands.h"
#include "app/InterruptCatcher.h"
#include "host/db/DBEngine.h"
#include "host/db/DatabaseDirectory.h"
#include "run/BlastPrograms.h"
#include "run/HttpClient.h"
#include "run/NcbiBlast.h"
#include "run/RemoteRequests.h"
#include "run/RunClock.h"
#include "run/SearchRun.h"
#include "table/BlastSearchTable.h"

namespace blastsearch {

namespace {

std::string FromEnvironment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

// Why `options` cannot be run as asked; empty when they can.
std::string CheckOptions(const CBlastCommandOptions& options) {
  if (!IsBlastProgram(options.m_strProgram)) {
    std::string names;
    for (const std::string& name : BlastProgramNames()) names += (names.empty() ? "" : ", ") + name;
    return "\"" + options.m_strProgram + "\" is not a BLAST+ program (" + names + ")";
  }
  const bool remote = options.m_bRemote || !options.m_strRid.empty();
  if (options.m_strRid.empty() && options.m_strQuery.empty()) return "--query FILE is needed";
  if (options.m_strRid.empty() && options.m_strBlastDb.empty()) return "--blast-db DB is needed";
  if (remote) {
    for (const std::string& parameter : options.m_options) {
      if (parameter.find('=') == std::string::npos || parameter.front() == '-') {
        return "the NCBI parameter \"" + parameter +
               "\" is not NAME=VALUE (NCBI's BLAST URL API takes those after --)";
      }
    }
    return {};
  }
  if (std::string refused = RefusedBlastOption(options.m_options); !refused.empty()) {
    return "the BLAST+ option " + refused + " is set by blastsearch itself";
  }
  return {};
}

CBlastSearchRequest RequestOf(const CBlastCommandOptions& options) {
  CBlastSearchRequest request;
  request.m_strProgram = options.m_strProgram;
  request.m_strQuery = options.m_strQuery;
  request.m_strDatabase = options.m_strBlastDb;
  request.m_strEvalue = options.m_strEvalue;
  request.m_nMaxHits = options.m_nMaxHits;
  request.m_options = options.m_options;
  request.m_strBlastBin = options.m_strBlastBin;
  return request;
}

}  // namespace

void AddBlastCommand(CLI::App& app, CCommandContext& context) {
  auto options = std::make_shared<CBlastCommandOptions>();
  CLI::App* command = app.add_subcommand(
      "blast",
      "Run a BLAST search and store each query's result as soon as it is done: Debian's BLAST+\n"
      "on a local database, or NCBI's BLAST service with --remote. BLAST+ options (or NCBI's\n"
      "NAME=VALUE parameters) follow \"--\". Exit status: 0 every query stored, 1 BLAST+, NCBI\n"
      "or the database failed, 2 usage error, 130 stopped by Ctrl-C (what was stored stays).");
  command
      ->add_option("PROGRAM", options->m_strProgram,
                   "blastn, blastp, blastx, tblastn, tblastx or psiblast")
      ->required();
  command->add_option("OPTIONS", options->m_options,
                      "after --: BLAST+ options (-word_size 3 ...), or NCBI's NAME=VALUE");
  command->add_option("--query", options->m_strQuery,
                      "FASTA file of the queries; - for standard input");
  command->add_option("--blast-db", options->m_strBlastDb,
                      "BLAST+ database (path given to -db), or NCBI's (nr, swissprot, ...)");
  command
      ->add_option("--subbase", options->m_strSubbase,
                   "subbase the new results join (created when missing)")
      ->capture_default_str();
  command->add_option("--blast-bin", options->m_strBlastBin,
                      "folder of the BLAST+ programs (default: found on PATH)");
  command->add_option("--evalue", options->m_strEvalue, "E value threshold")->check(CLI::Number);
  command->add_option("--max-hits", options->m_nMaxHits, "most hits kept per query")
      ->check(CLI::Range(1, 100000));
  command->add_flag("--remote", options->m_bRemote, "search at NCBI's BLAST service");
  command->add_option("--rid", options->m_strRid,
                      "resume NCBI's search of this request ID (kept when a search is cut short)");
  command->add_option("--email", options->m_strEmail,
                      "your email address, sent to NCBI as its rules ask (default: "
                      "BLASTSEARCH_EMAIL or EMAIL)");
  command->add_option(
      "--ncbi-url", options->m_strNcbiUrl,
      std::string("NCBI's BLAST URL API (default: BLASTSEARCH_NCBI_URL or ") + kNcbiBlastUrl + ")");
  command->callback([options, &context] {
    context.m_run = [options, &context] { return RunBlastCommand(*options, context); };
  });
}

namespace {

// The search with the database open: runs it locally or at NCBI, stores what
// it finds and reports the outcome; the exit status.
int RunSearchStoring(const CBlastCommandOptions& options, CCommandContext& context,
                     CCommandMessages& messages) {
  CInterruptCatcher catcher;
  CSearchRunHooks hooks;
  hooks.m_pStop = catcher.StopFlag();
  hooks.m_store = MakeTableStore(blastSearch(), options.m_strSubbase);
  hooks.m_status = [&](const std::string& line) {
    context.m_err << "blastsearch: " << line << std::endl;
  };
  hooks.m_stored = [&](std::size_t count, const std::string& name) {
    context.m_out << "stored " << count << ": \"" << name << "\"" << std::endl;
  };
  const CBlastSearchRequest request = RequestOf(options);
  CBlastRunOutcome outcome;
  if (options.m_bRemote || !options.m_strRid.empty()) {
    CNcbiSettings settings;
    settings.m_strEmail = !options.m_strEmail.empty() ? options.m_strEmail
                          : !FromEnvironment("BLASTSEARCH_EMAIL").empty()
                              ? FromEnvironment("BLASTSEARCH_EMAIL")
                              : FromEnvironment("EMAIL");
    settings.m_strUrl = !options.m_strNcbiUrl.empty() ? options.m_strNcbiUrl
                        : !FromEnvironment("BLASTSEARCH_NCBI_URL").empty()
                            ? FromEnvironment("BLASTSEARCH_NCBI_URL")
                            : std::string(kNcbiBlastUrl);
    CHttpSettings http;
    http.m_pStop = hooks.m_pStop;
    const std::unique_ptr<CHttpClient> client = MakeCurlClient(http);
    CNcbiBlastClient ncbi(*client, SystemRunClock(), settings, hooks.m_pStop);
    // A server database keeps no files: the downloads stay in a local
    // folder of the user's, the request IDs in the database, where every
    // client sees them (those an older version kept in the local folder are
    // taken over first).
    const std::string dir = engine().MakeWorkFolder(1);
    std::string warning;
    const std::unique_ptr<CRemoteRequestStore> requests =
        OpenRemoteRequests(*engine().Storage(1), dir, warning);
    if (!warning.empty()) hooks.m_status("warning: " + warning);
    outcome = RunRemoteSearch(request, options.m_strRid, ncbi, *requests, dir, hooks);
  } else {
    outcome = RunLocalSearch(request, hooks);
  }
  const std::string line = DescribeRunOutcome(outcome);
  switch (outcome.m_status) {
    case CBlastRunOutcome::kDone:
      messages.Inform(line);
      break;
    case CBlastRunOutcome::kStopped:
    case CBlastRunOutcome::kFailed:
      messages.Fail(line + (outcome.m_bResumable ? "; resume with --rid " + outcome.m_strRid
                                                 : std::string()));
      break;
  }
  const bool flushed = FlushOutput(context.m_out, messages);
  if (outcome.m_status == CBlastRunOutcome::kStopped) return kExitInterrupted;
  return outcome.m_status == CBlastRunOutcome::kDone && flushed ? kExitOk : kExitFailed;
}

}  // namespace

int RunBlastCommand(const CBlastCommandOptions& options, CCommandContext& context) {
  CCommandMessages messages(context.m_out, context.m_err);
  if (const std::string wrong = CheckOptions(options); !wrong.empty()) {
    context.m_err << "blastsearch: blast: " << wrong << '\n';
    return kExitUsage;
  }
  return WithDatabase(context, messages,
                      [&] { return RunSearchStoring(options, context, messages); });
}

}  // namespace blastsearch
