// `db copy` reads the source a page at a time: many results copied with a
// small page answer every command as the source does, into either backend
// and back, and a copy killed partway goes on when run again (with another
// page size) and ends the same.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "app/CommandRun.h"
#include "app/ProgramProcess.h"
#include "run/RemoteRequests.h"
#include "support/StorageBackends.h"
#include "support/TempDatabase.h"

namespace blastsearch {

namespace {

namespace fs = std::filesystem;

const fs::path kReports = fs::path(BLASTSEARCH_SOURCE_DIR) / "tests" / "data" / "blastplus";

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void RunAll(const std::string& db, const std::vector<std::vector<std::string>>& commands) {
  for (const auto& args : commands) {
    const CCommandRun run = RunOnDatabase(db, args);
    ASSERT_EQ(run.m_nStatus, 0) << args[0] << ": " << run.m_strErr;
  }
}

// A folder database of every pairwise text report, with keywords, fields,
// comments and a subbase spread over the pages.
std::string FillSource(const fs::path& dir) {
  const std::string db = (dir / "source").string();
  std::vector<std::string> import{"import"};
  for (const auto& entry : fs::directory_iterator(kReports)) {
    if (entry.path().extension() == ".txt") import.push_back(entry.path().string());
  }
  RunAll(db, {import,
              {"field", "define", "lab", "text"},
              {"field", "set", "2", "lab", "Heidelberg"},
              {"field", "set", "17", "lab", "Basel"},
              {"keyword", "add", "1", "kinase"},
              {"keyword", "add", "12", "reviewed", "kinase"},
              {"comment", "set", "3", "a comment\nof two lines"},
              {"comment", "set", "20", "late"},
              {"subbase", "new", "picked", "1", "7", "8", "19"},
              {"rename", "9", "renamed"}});
  return db;
}

// The list, the subbase, a field's search and every result's show, keywords
// and comment.
std::vector<std::string> Views(const std::string& db) {
  const CCommandRun list = RunOnDatabase(db, {"list", "--json"});
  std::vector<std::string> views{
      list.m_strOut, RunOnDatabase(db, {"subbase", "list"}).m_strOut,
      RunOnDatabase(db, {"list", "--subbase", "picked"}).m_strOut,
      RunOnDatabase(db, {"keyword", "list"}).m_strOut,
      RunOnDatabase(db, {"search", "--text", "Basel", "--field", "lab", "--json"}).m_strOut};
  for (const auto& item : nlohmann::json::parse(list.m_strOut)) {
    const std::string uid = std::to_string(item["uid"].get<unsigned long>());
    for (std::vector<std::string> args : {std::vector<std::string>{"show", uid, "--json"},
                                          {"keyword", "list", uid},
                                          {"comment", "show", uid}}) {
      const CCommandRun run = RunOnDatabase(db, args);
      views.push_back(uid + " " + args[0] + ": " + std::to_string(run.m_nStatus) + "\n" +
                      run.m_strOut);
    }
  }
  return views;
}

std::size_t Results(const std::string& db) {
  return nlohmann::json::parse(RunOnDatabase(db, {"list", "--json"}).m_strOut).size();
}

// The target of each test is a database of the parameter's backend.
class DatabaseCopyPages : public BackendTest {};

TEST_P(DatabaseCopyPages, ManyResultsCopiedInSmallPagesAnswerAlike) {
  CTempDir scratch("copypages");
  const std::string source = FillSource(scratch.Path());
  ASSERT_GE(Results(source), 20u);
  const std::vector<std::string> expected = Views(source);
  std::string error;
  ASSERT_TRUE(
      SaveRemoteRequest(RemoteRequestsFile(source), {"RID1", 5, "blastp", "nr", "run"}, error));
  const std::string target = m_database.CommandAddress();
  const CCommandRun run = RunOnDatabase(source, {"db", "copy", "--to", target, "--batch", "2"});
  ASSERT_EQ(run.m_nStatus, 0) << run.m_strErr;
  const std::string all = std::to_string(Results(source));
  EXPECT_NE(run.m_strErr.find("copied 2 of " + all + " results"), std::string::npos);
  EXPECT_NE(run.m_strErr.find("copied " + all + " of " + all + " results"), std::string::npos);
  EXPECT_EQ(Views(target), expected);
  // And back into a fresh folder, a page of one at a time.
  const std::string back = (scratch.Path() / "back").string();
  ASSERT_EQ(RunOnDatabase(target, {"db", "copy", "--to", back, "--batch", "1"}).m_nStatus, 0);
  EXPECT_EQ(Views(back), expected);
  // The request IDs of remote searches go with the results, both ways.
  const std::vector<CRemoteRequest> carried = ReadRemoteRequests(RemoteRequestsFile(back));
  ASSERT_EQ(carried.size(), 1u);
  EXPECT_EQ(carried[0].m_strSearchLine, "run");
}

TEST_P(DatabaseCopyPages, AKilledCopyResumedWithAnotherPageSizeEndsTheSame) {
  CTempDir scratch("copykill");
  const std::string source = FillSource(scratch.Path());
  const std::vector<std::string> expected = Views(source);
  const std::string target = m_database.CommandAddress();
  const fs::path program = fs::path(BLASTSEARCH_BINARY_DIR) / "app" / "blastsearch";
  const fs::path out = scratch.Path() / "out";
  const fs::path err = scratch.Path() / "err";
  const pid_t child = StartProgram(
      program, {"--db", source, "db", "copy", "--to", target, "--batch", "1"}, out, err);
  ASSERT_GT(child, 0);
  // Killed once it has stored a few pages, well before the end.
  for (int i = 0; i < 40000 && ReadAll(err).find("copied 3 of") == std::string::npos; ++i) {
    ::usleep(250);
  }
  ::kill(child, SIGKILL);
  int status = 0;
  ::waitpid(child, &status, 0);
  ASSERT_TRUE(WIFSIGNALED(status)) << "the copy ended before it was killed: " << ReadAll(err);
  const std::size_t partial = Results(target);
  EXPECT_GE(partial, 3u);
  EXPECT_LT(partial, Results(source));
  const CCommandRun rerun = RunOnDatabase(source, {"db", "copy", "--to", target, "--batch", "5"});
  ASSERT_EQ(rerun.m_nStatus, 0) << rerun.m_strErr;
  EXPECT_NE(rerun.m_strOut.find("Copied " + std::to_string(Results(source) - partial)),
            std::string::npos)
      << rerun.m_strOut;
  EXPECT_EQ(Views(target), expected);
  EXPECT_EQ(RunOnDatabase(target, {"check"}).m_nStatus, 0);
}

INSTANTIATE_TEST_SUITE_P(Backends, DatabaseCopyPages, ::testing::ValuesIn(StorageBackendNames()),
                         BackendTestName);

}  // namespace

}  // namespace blastsearch
