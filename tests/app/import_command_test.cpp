// `blastsearch import`: refusals that store nothing, one result per query,
// duplicates, and Ctrl-C during an import run as its own process.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <thread>

#include "app/CommandRun.h"
#include "app/ProgramProcess.h"
#include "support/Corpus.h"
#include "support/TempDatabase.h"

extern char** environ;

namespace blastsearch {

namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;

const fs::path kProgram = fs::path(BLASTSEARCH_BINARY_DIR) / "app" / "blastsearch";
const fs::path kBlastPlus = fs::path(BLASTSEARCH_SOURCE_DIR) / "tests" / "data" / "blastplus";

std::size_t Listed(const std::string& dir) {
  CCommandRun run = RunOnDatabase(dir, {"list", "--json"});
  EXPECT_EQ(run.m_nStatus, 0) << run.m_strErr;
  return Json::parse(run.m_strOut).size();
}

TEST(ImportCommand, FilesWithoutAReportAreRefusedWithExitOneAndNothingStored) {
  CTempDir scratch("import_refuse");
  const std::string dir = (scratch.Path() / "db").string();
  struct Case {
    const char* name;
    const char* bytes;  // written to a file, unless `path` is given
    const char* path;
  };
  const std::vector<Case> cases = {{"script.sh", "#!/bin/sh\nrm -rf /tmp/x\n", nullptr},
                                   {"empty.txt", "", nullptr},
                                   {"line.txt", "BLASTN 2.12.0+", nullptr},
                                   {"zero", nullptr, "/dev/zero"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::path path = c.path != nullptr ? fs::path(c.path) : scratch.Path() / c.name;
    if (c.path == nullptr) std::ofstream(path, std::ios::binary) << c.bytes;
    CCommandRun run = RunOnDatabase(dir, {"import", path.string()});
    EXPECT_EQ(run.m_nStatus, 1);
    EXPECT_EQ(run.m_strErr,
              "blastsearch: " + path.string() + ": no BLAST report that blastsearch recognises" +
                  (c.path != nullptr ? " in its first 1 MiB" : "") + "; nothing stored\n");
    EXPECT_EQ(run.m_strOut, "");
  }
  EXPECT_EQ(Listed(dir), 0u);
}

TEST(ImportCommand, AReportOfSeveralQueriesStoresOneResultPerQuery) {
  CTempDir scratch("import_queries");
  const std::string dir = (scratch.Path() / "db").string();
  const std::string report = (kBlastPlus / "blastn.xml").string();
  CCommandRun run = RunOnDatabase(dir, {"import", report});
  ASSERT_EQ(run.m_nStatus, 0) << run.m_strErr;
  // "N results from FILE: "NAME", ..." with N the queries read (a query
  // without hits may count).
  const std::size_t count = std::strtoul(run.m_strOut.c_str(), nullptr, 10);
  EXPECT_GE(count, 2u) << run.m_strOut;
  EXPECT_NE(run.m_strOut.find(" results from " + report + ": \""), std::string::npos)
      << run.m_strOut;
  EXPECT_EQ(StoredByImport(run.m_strOut).size(), count);
  EXPECT_EQ(Listed(dir), count);
  // Again: said, and nothing stored twice.
  run = RunOnDatabase(dir, {"import", report});
  EXPECT_EQ(run.m_nStatus, 0);
  EXPECT_NE(run.m_strOut.find(std::to_string(count) + " results were stored already"),
            std::string::npos)
      << run.m_strOut;
  EXPECT_EQ(Listed(dir), count);
}

TEST(ImportCommand, ResultsStoredAlreadyAreSaidAndStoredAgainOnlyWhenAllowed) {
  SKIP_WITHOUT_CORPUS();
  CTempDir scratch("import_dups");
  const std::string dir = (scratch.Path() / "db").string();
  const std::string page = CorpusFiles("html-qblast").front().string();
  CCommandRun first = RunOnDatabase(dir, {"import", page});
  ASSERT_EQ(first.m_nStatus, 0) << first.m_strErr;
  const auto stored = StoredByImport(first.m_strOut);
  ASSERT_EQ(stored.size(), 1u) << first.m_strOut;
  EXPECT_EQ(stored[0].second.rfind("Ticks-", 0), std::string::npos) << "named after its query";

  CCommandRun again = RunOnDatabase(dir, {"import", page});
  EXPECT_EQ(again.m_nStatus, 0);
  EXPECT_EQ(again.m_strOut, page + ": nothing stored; 1 result was stored already (as \"" +
                                stored[0].second + "\"); --allow-duplicates stores them again\n");
  EXPECT_EQ(Listed(dir), 1u);
  CCommandRun allowed = RunOnDatabase(dir, {"import", "--allow-duplicates", page});
  EXPECT_EQ(allowed.m_nStatus, 0);
  EXPECT_EQ(StoredByImport(allowed.m_strOut).size(), 1u) << allowed.m_strOut;
  EXPECT_EQ(Listed(dir), 2u);
}

// Starts blastsearch with `args`, its output going to `out` and `err`.
pid_t Start(const std::vector<std::string>& args, const fs::path& out, const fs::path& err) {
  return StartProgram(kProgram, args, out, err);
}

// Ctrl-C in the middle of a long import: it ends with 130, says how far it
// got, and every result it reported stored is stored, and nothing else.
TEST(ImportCommand, CtrlCStopsAfterTheCurrentResultKeepingWhatWasReported) {
  SKIP_WITHOUT_CORPUS();
  ASSERT_TRUE(fs::exists(kProgram)) << kProgram;
  CTempDir scratch("import_interrupt");
  const std::string dir = (scratch.Path() / "db").string();
  const fs::path page = CorpusFiles("html-qblast").front();
  std::vector<std::string> args{"--db", dir, "import", "--allow-duplicates"};
  for (int i = 0; i < 2000; ++i) args.push_back(page.string());
  const fs::path out = scratch.Path() / "out.txt";
  const fs::path err = scratch.Path() / "err.txt";
  const pid_t pid = Start(args, out, err);
  ASSERT_GT(pid, 0);
  // Once the first results are reported.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  const auto lines = [&] {
    const std::string text = ReadWholeFile(out);
    return std::count(text.begin(), text.end(), '\n');
  };
  while (lines() < 3 && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ::kill(pid, SIGINT);
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  ASSERT_TRUE(WIFEXITED(status));
  const std::string said = ReadWholeFile(err);
  if (WEXITSTATUS(status) == 0) GTEST_SKIP() << "the import ended before Ctrl-C came";
  EXPECT_EQ(WEXITSTATUS(status), 130) << said;
  EXPECT_NE(said.find("stopped "), std::string::npos) << said;
  // The line of the file being read when it stopped is on standard error.
  const auto stored = StoredByImport(ReadWholeFile(out) + said);
  ASSERT_GE(stored.size(), 3u);
  EXPECT_LT(stored.size(), 2000u);
  EXPECT_EQ(Listed(dir), stored.size());
  for (const auto& name : {stored.front().second, stored.back().second}) {
    EXPECT_EQ(RunOnDatabase(dir, {"show", name, "--summary"}).m_nStatus, 0) << name;
  }
}

}  // namespace

}  // namespace blastsearch
