// `blastsearch blast`: what it refuses, a local run stored and shown, and a
// run cut short by Ctrl-C or a kill: every result reported stored is there,
// nothing half-stored, BLAST+ ended with it.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "app/CommandRun.h"
#include "app/ProgramProcess.h"
#include "host/db/DBEngine.h"
#include "host/db/DBFunctions.h"
#include "host/db/DBStorage.h"
#include "support/BlastTestData.h"
#include "support/ScopedEnvironment.h"
#include "support/TempDatabase.h"
#include "table/BlastSearchObject.h"
#include "table/BlastSearchTable.h"

namespace blastsearch {

namespace {

namespace fs = std::filesystem;

const fs::path kProgram = fs::path(BLASTSEARCH_BINARY_DIR) / "app" / "blastsearch";

std::string ReadAll(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream bytes;
  bytes << file.rdbuf();
  return bytes.str();
}

std::size_t Count(const std::string& text, const std::string& what) {
  std::size_t count = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
    ++count;
  }
  return count;
}

TEST(BlastCommand, RequestsThatCannotRunAreRefusedAndStoreNothing) {
  CTempDir dir("blastcmd");
  const std::string db = (dir.Path() / "db").string();
  CScopedEnvironment noEmail("EMAIL", std::nullopt);
  CScopedEnvironment noOwnEmail("BLASTSEARCH_EMAIL", std::nullopt);
  const std::string query = (dir.Path() / "q.fa").string();
  struct Case {
    std::vector<std::string> args;
    int status;
    const char* said;
  };
  const std::vector<Case> cases = {
      {{"blast", "blastz", "--query", "q.fa", "--blast-db", "x"}, 2, "not a BLAST+ program"},
      {{"blast", "blastp", "--blast-db", "x"}, 2, "--query FILE is needed"},
      {{"blast", "blastp", "--query", "q.fa"}, 2, "--blast-db DB is needed"},
      {{"blast", "blastp", "--query", "q.fa", "--blast-db", "x", "--", "-out", "f"},
       2,
       "-out is set by blastsearch"},
      {{"blast", "blastp", "--query", "q.fa", "--blast-db", "x", "--remote", "--", "-evalue", "1"},
       2,
       "is not NAME=VALUE"},
      {{"blast", "blastp", "--query", "/nonexistent.fa", "--blast-db", "x"}, 1, "cannot be read"},
      {{"blast", "blastp", "--query", query, "--blast-db", "x", "--blast-bin", "/nonexistent"},
       1,
       "not found in /nonexistent"},
      {{"blast", "blastp", "--query", "/dev/null", "--blast-db", "nr", "--remote"},
       1,
       "query file is empty"},
      {{"blast", "blastp", "--query", query, "--blast-db", "nr", "--remote", "--ncbi-url",
        "http://127.0.0.1:9/"},
       1,
       "email address"},
  };
  std::ofstream(dir.Path() / "q.fa") << ">q\nMKV\n";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args[1] + " " + c.args.back());
    const CCommandRun run = RunOnDatabase(db, c.args);
    EXPECT_EQ(run.m_nStatus, c.status) << run.m_strErr;
    EXPECT_NE(run.m_strErr.find(c.said), std::string::npos) << run.m_strErr;
    EXPECT_EQ(RunOnDatabase(db, {"list", "--json"}).m_strOut, "[]\n");
  }
}

class BlastCommandRun : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { s_pData = new CBlastTestData(); }
  static void TearDownTestSuite() {
    delete s_pData;
    s_pData = nullptr;
  }
  static CBlastTestData* s_pData;
};

CBlastTestData* BlastCommandRun::s_pData = nullptr;

TEST_F(BlastCommandRun, EachQueryIsReportedStoredAndShowsItsRun) {
  SKIP_WITHOUT_BLAST(*s_pData);
  CTempDir dir("blastcmd");
  const std::string db = (dir.Path() / "db").string();
  const CCommandRun run = RunOnDatabase(
      db, {"blast", "tblastn", "--query", s_pData->Path("prot_queries.fa"), "--blast-db",
           s_pData->Path("nucldb"), "--subbase", "runs", "--evalue", "0.001", "--", "-seg", "no"});
  ASSERT_EQ(run.m_nStatus, 0) << run.m_strErr;
  EXPECT_EQ(Count(run.m_strOut, "\nstored "), 2u) << run.m_strOut;  // and the first line
  EXPECT_EQ(run.m_strOut.rfind("stored 1: \"query_p1 family 0 variant", 0), 0u);
  EXPECT_NE(run.m_strOut.find("3 results stored"), std::string::npos);
  const CCommandRun shown = RunOnDatabase(db, {"show", "query_p2 two families fused"});
  EXPECT_NE(shown.m_strOut.find("Search: local BLAST+: tblastn -db " + s_pData->Path("nucldb") +
                                " -evalue 0.001 -seg no"),
            std::string::npos)
      << shown.m_strOut;
  EXPECT_NE(RunOnDatabase(db, {"show", "3", "--json"}).m_strOut.find("\"search\":\"local BLAST+"),
            std::string::npos);
  EXPECT_NE(RunOnDatabase(db, {"subbase", "list"}).m_strOut.find("runs"), std::string::npos);
}

// Starts blastsearch with `args`, its output going to `out` and `err`.
pid_t Start(const std::vector<std::string>& args, const fs::path& out, const fs::path& err) {
  return StartProgram(kProgram, args, out, err);
}

// True once `pid` (not our child) is gone, waiting up to five seconds.
bool Ends(pid_t pid) {
  for (int i = 0; i < 500; ++i) {
    if (::kill(pid, 0) != 0) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

TEST(BlastCommandKill, CtrlCAndKillKeepEveryResultReportedStoredAndEndBlastPlus) {
  ASSERT_TRUE(fs::exists(kProgram)) << kProgram;
  CTempDir dir("blastkill");
  // A BLAST+ that writes the results of its first query and then works on:
  // the first part of a real BLAST+ XML report, then a long wait.
  const fs::path bin = dir.Path() / "bin";
  fs::create_directories(bin);
  const std::string xml = std::string(BLASTSEARCH_SOURCE_DIR) + "/tests/data/blastplus/blastp.xml";
  {
    std::ofstream script(bin / "blastp");
    script << "#!/bin/sh\necho $$ > '" << (dir.Path() / "pid").string() << "'\n"
           << "sed -n '1,179p' '" << xml << "'\nexec sleep 120\n";
  }
  fs::permissions(bin / "blastp", fs::perms::owner_all);
  std::ofstream(dir.Path() / "q.fa") << ">q\nMKV\n";
  for (const int signal : {SIGINT, SIGKILL, SIGTERM}) {
    SCOPED_TRACE(signal);
    const std::string db = (dir.Path() / ("db" + std::to_string(signal))).string();
    const fs::path out = dir.Path() / "out", err = dir.Path() / "err";
    fs::remove(dir.Path() / "pid");
    const pid_t pid =
        Start({"--db", db, "blast", "blastp", "--query", (dir.Path() / "q.fa").string(),
               "--blast-db", "x", "--blast-bin", bin.string()},
              out, err);
    ASSERT_GT(pid, 0);
    for (int i = 0; i < 2000 && ReadAll(out).find("stored 1:") == std::string::npos; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_NE(ReadAll(out).find("stored 1:"), std::string::npos) << ReadAll(err);
    const pid_t blast = std::atoi(ReadAll(dir.Path() / "pid").c_str());
    ASSERT_GT(blast, 0);
    ::kill(pid, signal);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    if (signal == SIGINT) {
      ASSERT_TRUE(WIFEXITED(status));
      EXPECT_EQ(WEXITSTATUS(status), 130);
      EXPECT_NE(ReadAll(err).find("1 result stored: \"query_p1"), std::string::npos)
          << ReadAll(err);
    } else {
      EXPECT_TRUE(WIFSIGNALED(status));
    }
    EXPECT_TRUE(Ends(blast)) << "BLAST+ is still running";
    // What was reported stored is there, whole; nothing else is.
    engine().OpenDatabase(db, 1);
    EXPECT_EQ(engine().Storage(1)->IntegrityCheck(), "ok");
    ASSERT_EQ(blastSearch().getobjlist(1).GetCount(), Count(ReadAll(out), "stored "));
    EXPECT_NE(FindObject(CBlastSearchObject::objtype(), 1,
                         "query_p1 family 0 variant, a query whose definition is long enough to "
                         "be wrapped over two lines by BLAST+"),
              nullptr);
    engine().CloseDatabase(1);
  }
}

}  // namespace

}  // namespace blastsearch
