// Local BLAST+ runs: every program stores each query's result as BLAST+'s
// own output file of the same search reads; BLAST+'s failures store nothing
// and are told in its words.

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>

#include "host/db/DBFunctions.h"
#include "host/db/ObjInfo.h"
#include "model/ResultInfo.h"
#include "parse/ResultReaders.h"
#include "platform/UserInteraction.h"
#include "run/BlastProcess.h"
#include "run/SearchRun.h"
#include "support/BlastTestData.h"
#include "support/EntryDump.h"
#include "support/TempDatabase.h"
#include "table/BlastSearchObject.h"
#include "table/BlastSearchTable.h"

namespace blastsearch {

namespace {

// A result as compared: its tree and its info without what the store adds.
std::string Comparable(CBlastSearchEntry& entry) {
  SetResultInfo(entry, result_info::kDigest, "");
  SetResultInfo(entry, result_info::kSearch, "");
  return DumpEntry(entry) + entry.m_Hits.m_strInfo;
}

// Every result of the database, in the order stored.
std::vector<std::string> StoredResults(std::vector<std::string>* searches = nullptr) {
  std::vector<std::string> results;
  for (const auto& info : blastSearch().getobjlist(1)) {
    std::unique_ptr<CDBObjectBase> object(
        blastSearch().GetObjectData(info->m_objId, info->m_name.c_str(), 1));
    auto* result = dynamic_cast<CBlastSearchObject*>(object.get());
    if (result == nullptr) continue;
    if (searches) searches->push_back(GetResultInfo(result->Entry(), result_info::kSearch));
    results.push_back(Comparable(result->Entry()));
  }
  return results;
}

// The results read from the BLAST+ XML file `path`.
std::vector<std::string> ParsedResults(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream bytes;
  bytes << file.rdbuf();
  const std::string text = bytes.str();
  CViewReportSource source(text, path);
  auto reader = MakeResultReader(ReportLayout::BlastXml, source, {});
  std::vector<std::string> results;
  for (;;) {
    CBlastSearchEntry entry;
    if (reader->ReadNext(entry) == 0) break;
    results.push_back(Comparable(entry));
  }
  return results;
}

class LocalSearchTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { s_pData = new CBlastTestData(); }
  static void TearDownTestSuite() {
    delete s_pData;
    s_pData = nullptr;
  }

  CBlastRunOutcome Run(const CBlastSearchRequest& request,
                       std::vector<std::string>* stored = nullptr,
                       const volatile int* stop = nullptr) {
    CSearchRunHooks hooks;
    hooks.m_pStop = stop;
    hooks.m_store = MakeTableStore(blastSearch(), "MAIN");
    hooks.m_stored = [&](std::size_t, const std::string& name) {
      if (stored) stored->push_back(name);
    };
    return RunLocalSearch(request, hooks);
  }

  static CBlastTestData* s_pData;
  CScriptedUserInteraction m_ui;
};

CBlastTestData* LocalSearchTest::s_pData = nullptr;

TEST_F(LocalSearchTest, EveryProgramStoresWhatItsOwnOutputFileReads) {
  SKIP_WITHOUT_BLAST(*s_pData);
  struct Case {
    const char* program;
    const char* query;
    const char* database;
    std::vector<std::string> options;
  };
  const std::vector<Case> cases = {
      {"blastn", "nucl_queries.fa", "nucldb", {"-task", "blastn"}},
      {"blastn", "nucl_queries.fa", "nucldb", {"-task", "megablast"}},
      {"blastp", "prot_queries.fa", "protdb", {}},
      {"blastx", "nucl_coding_queries.fa", "protdb", {}},
      {"tblastn", "prot_queries.fa", "nucldb", {}},
      {"tblastx", "nucl_queries.fa", "nucldb", {}},
      {"psiblast", "prot_queries.fa", "protdb", {"-num_iterations", "3"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.program) + (c.options.empty() ? "" : " " + c.options[1]));
    CTempDatabase db;
    CBlastSearchRequest request;
    request.m_strProgram = c.program;
    request.m_strQuery = s_pData->Path(c.query);
    request.m_strDatabase = s_pData->Path(c.database);
    request.m_strEvalue = "1e-3";
    request.m_nMaxHits = 20;
    request.m_options = c.options;
    std::vector<std::string> names;
    const CBlastRunOutcome outcome = Run(request, &names);
    ASSERT_EQ(outcome.m_status, CBlastRunOutcome::kDone) << outcome.m_strError;
    EXPECT_EQ(outcome.m_nStored, 3u);
    EXPECT_EQ(names.size(), 3u);

    // The same search with BLAST+ writing its own file.
    const std::string file = (db.Dir() / "own.xml").string();
    std::string command = std::string(c.program) + " -query '" + request.m_strQuery + "' -db '" +
                          request.m_strDatabase + "' -outfmt 5 -evalue 1e-3 -max_target_seqs 20";
    for (const std::string& option : c.options) command += " " + option;
    ASSERT_EQ(std::system((command + " -out '" + file + "' 2>/dev/null").c_str()), 0) << command;
    std::vector<std::string> searches;
    const std::vector<std::string> stored = StoredResults(&searches);
    const std::vector<std::string> parsed = ParsedResults(file);
    ASSERT_EQ(stored.size(), parsed.size());
    for (std::size_t i = 0; i < stored.size(); ++i)
      EXPECT_EQ(stored[i], parsed[i]) << "query " << i + 1;
    // The query without hits is stored too, and every result keeps its run.
    EXPECT_EQ(stored.back().find("\nhit "), std::string::npos);
    for (const std::string& search : searches) {
      EXPECT_EQ(search.rfind(std::string("local BLAST+: ") + c.program + " -db ", 0), 0u) << search;
      EXPECT_NE(search.find("-evalue 1e-3 -max_target_seqs 20"), std::string::npos) << search;
    }
  }
}

TEST_F(LocalSearchTest, FailuresAreToldInTheirOwnWordsAndStoreNothing) {
  SKIP_WITHOUT_BLAST(*s_pData);
  struct Case {
    const char* name;
    CBlastSearchRequest request;
    const char* said;
  };
  const std::string queries = s_pData->Path("prot_queries.fa");
  const std::string db = s_pData->Path("protdb");
  const std::vector<Case> cases = {
      {"no database",
       {"blastp", queries, s_pData->Path("nothing"), "", 0, {}, ""},
       "BLAST Database error"},
      {"bad option value", {"blastp", queries, db, "", 0, {"-word_size", "99"}, ""}, "Word-size"},
      {"unknown option", {"blastp", queries, db, "", 0, {"-no_such_option"}, ""}, "no_such_option"},
      {"query file missing",
       {"blastp", s_pData->Path("nothing.fa"), db, "", 0, {}, ""},
       "cannot be read"},
      {"program not installed",
       {"blastp", queries, db, "", 0, {}, "/nonexistent/bin"},
       "not found in /nonexistent/bin"},
      {"not a program", {"blastz", queries, db, "", 0, {}, ""}, "not a BLAST+ program"},
      {"output set by blastsearch",
       {"blastp", queries, db, "", 0, {"-outfmt", "6"}, ""},
       "-outfmt is set by blastsearch"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CTempDatabase database;
    const CBlastRunOutcome outcome = Run(c.request);
    EXPECT_EQ(outcome.m_status, CBlastRunOutcome::kFailed);
    EXPECT_NE(outcome.m_strError.find(c.said), std::string::npos) << outcome.m_strError;
    EXPECT_EQ(outcome.m_nStored, 0u);
    EXPECT_EQ(blastSearch().getobjlist(1).GetCount(), 0u);
  }
}

TEST_F(LocalSearchTest, AStopEndsBlastPlusAndKeepsWhatWasStored) {
  SKIP_WITHOUT_BLAST(*s_pData);
  CTempDatabase db;
  CBlastSearchRequest request{
      "blastp", s_pData->Path("prot_queries.fa"), s_pData->Path("protdb"), "", 0, {}, ""};
  volatile int stop = 0;
  CSearchRunHooks hooks;
  hooks.m_pStop = &stop;
  const CResultStore store = MakeTableStore(blastSearch(), "MAIN");
  // Stops as the first result is stored: that one stays, BLAST+ is ended.
  hooks.m_store = [&](CBlastSearchObject& object, std::string_view digest, std::string& name) {
    stop = 1;
    return store(object, digest, name);
  };
  const CBlastRunOutcome outcome = RunLocalSearch(request, hooks);
  EXPECT_EQ(outcome.m_status, CBlastRunOutcome::kStopped) << outcome.m_strError;
  EXPECT_EQ(outcome.m_nStored, 1u);
  EXPECT_EQ(blastSearch().getobjlist(1).GetCount(), 1u);
}

TEST(BlastErrorText, KeepsTheErrorLinesOfBlastPlus) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"", "no message"},
      {"\n\n", "no message"},
      {"BLAST query/options error: bad\nPlease refer to the manual.\n",
       "BLAST query/options error: bad Please refer to the manual."},
      {"Warning: [blastp] odd\nBLAST engine error: broke\n", "BLAST engine error: broke"},
      {"Warning: only this\n", "Warning: only this"},
      {"a\tb\r\n", "a b"},
      {"USAGE\n  blastp [-h]\n\nError: Unknown argument: \"x\"\n",
       "Error: Unknown argument: \"x\""},
      {std::string(1000, 'x'), std::string(397, 'x') + "..."},
  };
  for (const auto& [errors, expected] : cases)
    EXPECT_EQ(BlastErrorText(errors), expected) << errors;
}

}  // namespace

}  // namespace blastsearch
