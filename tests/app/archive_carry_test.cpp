// Archives carry everything a stored result has: through `archive export`
// and `archive import` into an empty database (of either backend), its
// record, comment, keywords, user-defined fields (definitions and values)
// and authors come back the same; so does `db copy` between backends. The archive's record is the
// stored record with lines that older readers pass over; damage to them is reported naming the
// file.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/CommandRun.h"
#include "app/ProgramProcess.h"
#include "host/db/DBRecordText.h"
#include "host/db/SqliteStorage.h"
#include "support/StorageBackends.h"
#include "support/TempDatabase.h"

namespace blastsearch {

namespace {

namespace fs = std::filesystem;

const fs::path kReports = fs::path(BLASTSEARCH_SOURCE_DIR) / "tests" / "data" / "blastplus";
constexpr int kTable = 201;

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void RunAll(const std::string& dir, const std::vector<std::vector<std::string>>& commands) {
  for (const auto& args : commands) {
    CCommandRun run = RunOnDatabase(dir, args);
    ASSERT_EQ(run.m_nStatus, 0) << args[0] << " " << args[1] << ": " << run.m_strErr;
  }
}

// A database whose results have everything a result can have.
void FillDatabase(const std::string& dir) {
  RunAll(dir,
         {
             {"import", (kReports / "blastn.txt").string(), (kReports / "blastp.txt").string()},
             {"field", "define", "lab", "text"},
             {"field", "define", "count", "number"},
             {"field", "define", "unused", "text"},
             {"field", "set", "1", "lab", "Heidelberg"},
             {"field", "set", "1", "lab", "back \\ slash"},
             {"field", "set", "4", "count", "12.5"},
             {"keyword", "add", "1", "kinase", "reviewed"},
             {"keyword", "add", "5", "odd\\keyword"},
             {"comment", "set", "2", "first line\nsecond\tline \\ end\n\nafter a blank"},
             {"comment", "set", "6", "one"},
             {"author", "set", "1", "--name", "Ada", "--organization", "Lab", "--email",
              "ada@example.org"},
             {"author", "set", "3", "--original", "--name", "Bob"},
             {"rename", "5", "renamed result"},
         });
}

// What the commands say of every result of the database in `dir`.
std::vector<std::string> Views(const std::string& dir) {
  std::vector<std::vector<std::string>> commands = {
      {"list"},
      {"list", "--json"},
      {"keyword", "list"},
      {"summary"},
      {"search", "--text", "Ada", "--field", "author", "--json"},
      {"search", "--text", "second\tline", "--field", "comment", "--json"},
      {"search", "--keyword", "kinase", "--json"},
      {"search", "--hits", "1-10", "--json"}};
  for (const char* uid : {"1", "2", "3", "4", "5", "6"}) {
    commands.push_back({"show", uid, "--json"});
    commands.push_back({"comment", "show", uid});
    commands.push_back({"keyword", "list", uid});
  }
  std::vector<std::string> views;
  for (const auto& args : commands) {
    CCommandRun run = RunOnDatabase(dir, args);
    std::string what;
    for (const std::string& arg : args) what += arg + " ";
    views.push_back(what + "-> " + std::to_string(run.m_nStatus) + "\n" + run.m_strOut +
                    run.m_strErr);
  }
  return views;
}

// On each backend: a database and what an archive of it brings into an
// empty one answer every command alike.
class ArchiveCarryOn : public BackendTest {};

TEST_P(ArchiveCarryOn, ARoundTripIntoAnEmptyDatabaseKeepsEverything) {
  CTempDir scratch("archivecarry");
  const std::string source = m_database.CommandAddress();
  FillDatabase(source);
  const std::string archive = (scratch.Path() / "all.ba6").string();
  RunAll(source, {{"archive", "export", archive}});
  CBackendDatabase empty(GetParam());
  const std::string target = empty.CommandAddress();
  RunAll(target, {{"archive", "import", archive}});
  const std::vector<std::string> before = Views(source);
  const std::vector<std::string> after = Views(target);
  ASSERT_EQ(before.size(), after.size());
  for (std::size_t i = 0; i < before.size(); ++i) EXPECT_EQ(after[i], before[i]);
  EXPECT_NE(before[0].find("Heidelberg"), std::string::npos);
  EXPECT_NE(before[0].find("unused"), std::string::npos);
  // The values of the fields are found by search as before.
  CCommandRun search =
      RunOnDatabase(target, {"search", "--text", "Heidelberg", "--field", "lab", "--into", "s"});
  EXPECT_EQ(search.m_nStatus, 0) << search.m_strErr;
  EXPECT_NE(RunOnDatabase(target, {"subbase", "list"}).m_strOut.find("s\t1"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Backends, ArchiveCarryOn, ::testing::ValuesIn(StorageBackendNames()),
                         BackendTestName);

// `db copy` carries a whole database between backends and back: every
// command answers alike in the copy of the copy, and a copy killed midway
// goes on when run again, storing nothing twice.
TEST(DatabaseCopy, FolderToServerAndBackAnswersAlike) {
  CBackendDatabase server("postgres");
  if (!server.SkipReason().empty()) GTEST_SKIP() << server.SkipReason();
  CTempDir scratch("dbcopy");
  const std::string source = (scratch.Path() / "source").string();
  const std::string back = (scratch.Path() / "back").string();
  FillDatabase(source);
  for (const auto& [from, to] :
       {std::pair{source, server.CommandAddress()}, std::pair{server.CommandAddress(), back}}) {
    CCommandRun run = RunOnDatabase(from, {"db", "copy", "--to", to, "--batch", "4"});
    ASSERT_EQ(run.m_nStatus, 0) << run.m_strErr;
    EXPECT_NE(run.m_strErr.find("copied 6 of 6 results"), std::string::npos) << run.m_strErr;
  }
  EXPECT_EQ(Views(server.CommandAddress()), Views(source));
  EXPECT_EQ(Views(back), Views(source));
  CCommandRun info = RunOnDatabase(server.CommandAddress(), {"db", "info"});
  EXPECT_EQ(info.m_nStatus, 0) << info.m_strErr;
  EXPECT_NE(info.m_strOut.find("backend: postgresql\nschema version: 1\nresults: 6\n"),
            std::string::npos)
      << info.m_strOut;
  // Copied again: everything is there already, nothing is added.
  CCommandRun again = RunOnDatabase(source, {"db", "copy", "--to", server.CommandAddress()});
  EXPECT_EQ(again.m_nStatus, 0) << again.m_strErr;
  EXPECT_NE(again.m_strOut.find("Copied 0 results"), std::string::npos) << again.m_strOut;
  EXPECT_EQ(Views(server.CommandAddress()), Views(source));
  // Into a database holding other results under the same UIDs: refused.
  const std::string other = (scratch.Path() / "other").string();
  RunAll(other, {{"import", (kReports / "tblastx.txt").string()},
                 {"rename", "1", "somebody else's result"}});
  CCommandRun refused = RunOnDatabase(source, {"db", "copy", "--to", other});
  EXPECT_EQ(refused.m_nStatus, 1);
  EXPECT_NE(refused.m_strErr.find("copy into an empty database"), std::string::npos)
      << refused.m_strErr;
  EXPECT_EQ(RunOnDatabase(source, {"db", "copy", "--to", source}).m_nStatus, 1);
  // A damaged record is named and not carried on as if it had been read.
  server.DamageRecord(kTable, 2);
  const std::string fromDamaged = (scratch.Path() / "from-damaged").string();
  CCommandRun damaged =
      RunOnDatabase(server.CommandAddress(), {"db", "copy", "--to", fromDamaged, "--batch", "1"});
  EXPECT_EQ(damaged.m_nStatus, 1);
  EXPECT_NE(damaged.m_strErr.find("record of UID 2 is damaged"), std::string::npos)
      << damaged.m_strErr;
  EXPECT_EQ(RunOnDatabase(fromDamaged, {"show", "2"}).m_nStatus, 1);
}

TEST(DatabaseCopy, AKilledCopyGoesOnWhenRunAgain) {
  CBackendDatabase server("postgres");
  if (!server.SkipReason().empty()) GTEST_SKIP() << server.SkipReason();
  CTempDir scratch("dbcopykill");
  const std::string source = (scratch.Path() / "source").string();
  std::vector<std::string> import{"import"};
  for (const auto& entry : fs::directory_iterator(kReports)) {
    if (entry.path().extension() == ".txt") import.push_back(entry.path().string());
  }
  RunAll(source, {import});
  const fs::path program = fs::path(BLASTSEARCH_BINARY_DIR) / "app" / "blastsearch";
  const fs::path out = scratch.Path() / "out";
  const fs::path err = scratch.Path() / "err";
  const pid_t child = StartProgram(
      program, {"--db", source, "db", "copy", "--to", server.CommandAddress(), "--batch", "1"}, out,
      err);
  ASSERT_GT(child, 0);
  // Killed as soon as it has stored its first batch.
  for (int i = 0; i < 20000 && ReadAll(err).find("copied 1 of") == std::string::npos; ++i) {
    ::usleep(500);
  }
  ::kill(child, SIGKILL);
  int status = 0;
  ::waitpid(child, &status, 0);
  const std::string listed = RunOnDatabase(server.CommandAddress(), {"list", "--json"}).m_strOut;
  EXPECT_NE(listed, "") << ReadAll(err);
  CCommandRun rerun = RunOnDatabase(source, {"db", "copy", "--to", server.CommandAddress()});
  ASSERT_EQ(rerun.m_nStatus, 0) << rerun.m_strErr;
  EXPECT_EQ(RunOnDatabase(server.CommandAddress(), {"list", "--json"}).m_strOut,
            RunOnDatabase(source, {"list", "--json"}).m_strOut);
  EXPECT_EQ(RunOnDatabase(server.CommandAddress(), {"check"}).m_nStatus, 0);
}

// An older reader passes over the lines an archive adds: taking them out
// leaves each stored record as it is in the database.
TEST(ArchiveCarry, AnArchivesRecordIsTheStoredRecordWithLinesOlderReadersSkip) {
  CTempDir scratch("archivelines");
  const std::string dir = (scratch.Path() / "db").string();
  FillDatabase(dir);
  const fs::path archive = scratch.Path() / "all.ba6";
  RunAll(dir, {{"archive", "export", archive.string()}});
  const std::string bytes = ReadAll(archive);
  auto storage = OpenSqliteStorage((fs::path(dir) / kDatabaseFileName).string());
  std::size_t pos = bytes.find('\n') + 1;
  for (unsigned long uid = 1; uid <= 6; ++uid) {
    SCOPED_TRACE("UID " + std::to_string(uid));
    std::size_t length = 0;
    ASSERT_EQ(std::sscanf(bytes.c_str() + pos, "object %zu", &length), 1);
    pos = bytes.find('\n', pos) + 1;
    std::string record = bytes.substr(pos, length);
    pos += length + 1;
    std::string stored;
    ASSERT_TRUE(storage->ReadRecord(kTable, uid, stored));
    // The added lines stand together before the end mark.
    const std::size_t added = stored.size() - 4;
    ASSERT_EQ(record.compare(0, added, stored, 0, added), 0);
    std::istringstream lines(record.substr(added, record.size() - stored.size()));
    for (std::string line; std::getline(lines, line);) {
      EXPECT_TRUE(line.rfind("@248:", 0) == 0 || line.rfind("@257:", 0) == 0) << line;
    }
    EXPECT_EQ(record.substr(record.size() - 4), "@0:\n");
  }
}

// An archive of results without comments or fields is what older writers
// wrote: it has no added lines, and reads as before.
TEST(ArchiveCarry, AnArchiveWithoutAddedLinesImports) {
  CTempDir scratch("archiveplain");
  const std::string dir = (scratch.Path() / "db").string();
  RunAll(dir, {{"import", (kReports / "blastx.txt").string()}});
  const fs::path archive = scratch.Path() / "plain.ba6";
  RunAll(dir, {{"archive", "export", archive.string()}});
  const std::string bytes = ReadAll(archive);
  EXPECT_EQ(bytes.find("\n@248:"), std::string::npos);
  EXPECT_EQ(bytes.find("\n@257:"), std::string::npos);
  const std::string target = (scratch.Path() / "target").string();
  RunAll(target, {{"archive", "import", archive.string()}});
  EXPECT_EQ(RunOnDatabase(target, {"list"}).m_strOut, RunOnDatabase(dir, {"list"}).m_strOut);
}

// The object heading of `archive` with the record's checksum made anew after
// `from` was replaced by `to` in it.
std::string Changed(const std::string& archive, const std::string& from, const std::string& to) {
  const std::size_t at = archive.find(from);
  if (at == std::string::npos) return {};
  std::size_t head = archive.rfind("\nobject ", at) + 1;
  const std::size_t start = archive.find('\n', head) + 1;
  std::size_t length = 0;
  std::sscanf(archive.c_str() + head, "object %zu", &length);
  std::string record = archive.substr(start, length);
  record.replace(at - start, from.size(), to);
  char line[64];
  std::snprintf(line, sizeof line, "object %zu %08x\n", record.size(),
                static_cast<unsigned>(RecordCrc32(record)));
  return archive.substr(0, head) + line + record + archive.substr(start + length);
}

// Damage to the added lines: the import is refused naming the file, and
// nothing of the archive is stored.
TEST(ArchiveCarry, DamagedAddedLinesAreReportedNamingTheFile) {
  CTempDir scratch("archivedamage");
  const std::string dir = (scratch.Path() / "db").string();
  FillDatabase(dir);
  const fs::path archive = scratch.Path() / "all.ba6";
  RunAll(dir, {{"archive", "export", archive.string()}});
  const std::string bytes = ReadAll(archive);
  std::string flipped = bytes;
  const std::size_t comment = flipped.find("@248:first line");
  ASSERT_NE(comment, std::string::npos);
  flipped[comment + 6] = 'F';
  struct Case {
    const char* what;
    std::string bytes;
    const char* said;
  };
  const std::vector<Case> cases = {
      {"comment byte changed", flipped, "differ from what was written"},
      {"unknown field kind", Changed(bytes, "@257:lab\t1\t", "@257:lab\t9\t"), "cannot be read"},
      {"definition without kind", Changed(bytes, "@257:lab\t1\t", "@257:lab"), "cannot be read"},
      {"empty field name", Changed(bytes, "@257:lab\t", "@257:\t"), "cannot be read"},
      {"field name with a line end", Changed(bytes, "@257:lab\t", "@257:l\\nab\t"),
       "cannot be read"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_FALSE(c.bytes.empty());
    const fs::path damaged = scratch.Path() / "damaged.ba6";
    std::ofstream(damaged, std::ios::binary | std::ios::trunc) << c.bytes;
    const std::string target = (scratch.Path() / "target").string();
    CCommandRun run = RunOnDatabase(target, {"archive", "import", damaged.string()});
    EXPECT_EQ(run.m_nStatus, 1);
    EXPECT_NE(run.m_strErr.find(damaged.string()), std::string::npos) << run.m_strErr;
    EXPECT_NE(run.m_strErr.find(c.said), std::string::npos) << run.m_strErr;
    EXPECT_EQ(RunOnDatabase(target, {"list", "--json"}).m_strOut.find("uid"), std::string::npos);
    EXPECT_EQ(RunOnDatabase(target, {"field", "define", "lab", "text"}).m_nStatus, 0);
    fs::remove_all(target);
  }
}

}  // namespace

}  // namespace blastsearch
