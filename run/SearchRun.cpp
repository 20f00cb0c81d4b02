// A search run: local BLAST+ read through a pipe, each result stored as it
// comes.

#include "run/SearchRun.h"

#include <unistd.h>

#include <chrono>
#include <memory>

#include "model/ResultInfo.h"
#include "parse/ResultReaders.h"
#include "platform/File.h"
#include "run/BlastProcess.h"
#include "run/BlastPrograms.h"
#include "table/BlastSearchObject.h"
#include "table/ReportImport.h"

namespace blastsearch {

namespace {

bool Stopped(const CSearchRunHooks& hooks) {
  return hooks.m_pStop != nullptr && *hooks.m_pStop != 0;
}

void Status(const CSearchRunHooks& hooks, const std::string& line) {
  if (hooks.m_status) hooks.m_status(line);
}

// The BLAST+ command-line words of a local run.
std::vector<std::string> LocalArguments(const CBlastSearchRequest& request) {
  std::vector<std::string> words = {
      "-query", request.m_strQuery, "-db", request.m_strDatabase, "-outfmt", "5"};
  if (!request.m_strEvalue.empty()) words.insert(words.end(), {"-evalue", request.m_strEvalue});
  if (request.m_nMaxHits > 0) {
    words.insert(words.end(), {"-max_target_seqs", std::to_string(request.m_nMaxHits)});
  }
  words.insert(words.end(), request.m_options.begin(), request.m_options.end());
  return words;
}

// Why a local run cannot start; empty when it can.
std::string CheckLocalRequest(const CBlastSearchRequest& request, std::string& executable) {
  if (!IsBlastProgram(request.m_strProgram)) {
    return "\"" + request.m_strProgram + "\" is not a BLAST+ program blastsearch runs";
  }
  if (std::string refused = RefusedBlastOption(request.m_options); !refused.empty()) {
    return "the option " + refused + " is set by blastsearch itself";
  }
  if (request.m_strQuery != "-" && ::access(request.m_strQuery.c_str(), R_OK) != 0) {
    return request.m_strQuery + ": the query file cannot be read";
  }
  executable = FindBlastExecutable(request.m_strProgram, request.m_strBlastBin);
  if (executable.empty()) {
    return request.m_strProgram + " (BLAST+) is not found " +
           (request.m_strBlastBin.empty() ? std::string("on PATH")
                                          : "in " + request.m_strBlastBin) +
           "; install Debian's ncbi-blast+ or name its folder with --blast-bin";
  }
  return {};
}

}  // namespace

CResultStore MakeTableStore(CBlastSearchTable& table, std::string subbase) {
  return [&table, subbase = std::move(subbase)](
             CBlastSearchObject& object, std::string_view runDigest, std::string& nameOrReason) {
    CReportImportOptions options;
    options.m_strSubbase = subbase;
    CReportImportOutcome outcome;
    if (!StoreImportedResult(table, object, "BLAST search", runDigest, options, outcome)) {
      nameOrReason = outcome.m_strReason;
      return 0;
    }
    if (outcome.m_nSkipped > 0) {
      nameOrReason = outcome.m_strDuplicateOf;
      return 2;
    }
    nameOrReason = object.m_name;
    return 1;
  };
}

void StoreSearchResults(CReportSource& source, ReportLayout layout, std::string_view runDigest,
                        const std::string& searchLine, const CSearchRunHooks& hooks,
                        CBlastRunOutcome& outcome) {
  CResultReadOptions readOptions;
  readOptions.pStop = hooks.m_pStop;
  try {
    std::unique_ptr<CResultReader> reader = MakeResultReader(layout, source, readOptions);
    for (;;) {
      if (Stopped(hooks)) {
        outcome.m_status = CBlastRunOutcome::kStopped;
        return;
      }
      auto object = std::make_unique<CBlastSearchObject>();
      if (reader->ReadNext(object->Entry()) == 0) break;
      if (const std::string partial = GetResultInfo(object->Entry(), result_info::kPartial);
          !partial.empty()) {
        outcome.m_status = Stopped(hooks) ? CBlastRunOutcome::kStopped : CBlastRunOutcome::kFailed;
        outcome.m_strError = "the output of " + source.GetName() + " is cut off (" + partial + ")";
        return;
      }
      SetResultInfo(object->Entry(), result_info::kSearch, searchLine);
      std::string name;
      const int stored = hooks.m_store(*object, runDigest, name);
      if (stored == 0) {
        outcome.m_status = CBlastRunOutcome::kFailed;
        outcome.m_strError = name;
        return;
      }
      if (stored == 2) {
        ++outcome.m_nSkipped;
        continue;
      }
      if (outcome.m_names.size() < CBlastRunOutcome::kNamesKept) outcome.m_names.push_back(name);
      ++outcome.m_nStored;
      if (hooks.m_stored) hooks.m_stored(outcome.m_nStored, name);
    }
    outcome.m_status = Stopped(hooks) ? CBlastRunOutcome::kStopped : CBlastRunOutcome::kDone;
  } catch (const std::exception& e) {
    outcome.m_status = Stopped(hooks) ? CBlastRunOutcome::kStopped : CBlastRunOutcome::kFailed;
    outcome.m_strError = e.what();
  }
}

CBlastRunOutcome RunLocalSearch(const CBlastSearchRequest& request, const CSearchRunHooks& hooks) {
  CBlastRunOutcome outcome;
  std::string executable;
  outcome.m_strError = CheckLocalRequest(request, executable);
  if (!outcome.m_strError.empty()) return outcome;
  const std::vector<std::string> arguments = LocalArguments(request);
  // The options after the query, the database and the output format.
  const std::vector<std::string> shown(arguments.begin() + 6, arguments.end());
  const std::string searchLine =
      DescribeSearchRun("local BLAST+", request.m_strProgram, request.m_strDatabase, shown);
  // Each run is a report of its own: results of two runs are never taken for
  // one another.
  const auto now = std::chrono::system_clock::now().time_since_epoch().count();
  const std::string runDigest =
      DigestOfReportHead(searchLine + "\n" + request.m_strQuery + "\n" + std::to_string(now) + "/" +
                         std::to_string(::getpid()));
  CBlastProcess process(hooks.m_pStop);
  try {
    // BLAST+ reading the queries from a terminal stays in its foreground group.
    process.Start(executable, arguments,
                  !(request.m_strQuery == "-" && ::isatty(STDIN_FILENO) != 0));
  } catch (const CFileException& e) {
    outcome.m_strError = e.what();
    return outcome;
  }
  Status(hooks, request.m_strProgram + " started on " + request.m_strDatabase);
  StoreSearchResults(process, ReportLayout::BlastXml, runDigest, searchLine, hooks, outcome);
  if (outcome.m_status != CBlastRunOutcome::kDone) process.Stop();
  const int status = process.Wait();
  if (outcome.m_status == CBlastRunOutcome::kStopped || Stopped(hooks)) {
    outcome.m_status = CBlastRunOutcome::kStopped;
    outcome.m_strError = request.m_strProgram + " stopped";
  } else if (status != 0) {
    outcome.m_status = CBlastRunOutcome::kFailed;
    outcome.m_strError = request.m_strProgram + " failed (exit status " + std::to_string(status) +
                         "): " + BlastErrorText(process.GetErrors());
  }
  return outcome;
}

std::string DescribeRunOutcome(const CBlastRunOutcome& outcome) {
  std::string text = std::to_string(outcome.m_nStored) +
                     (outcome.m_nStored == 1 ? " result stored" : " results stored");
  for (std::size_t i = 0; i < outcome.m_names.size(); ++i) {
    text += (i == 0 ? ": \"" : ", \"") + outcome.m_names[i] + "\"";
  }
  if (outcome.m_nStored > outcome.m_names.size()) text += ", ...";
  if (outcome.m_nSkipped > 0) {
    text += "; " + std::to_string(outcome.m_nSkipped) + " stored already";
  }
  switch (outcome.m_status) {
    case CBlastRunOutcome::kDone:
      break;
    case CBlastRunOutcome::kStopped:
      text += "; stopped: " + outcome.m_strError;
      break;
    case CBlastRunOutcome::kFailed:
      text += "; " + outcome.m_strError;
      break;
  }
  return text;
}

}  // namespace blastsearch
