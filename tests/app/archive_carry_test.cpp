// Archives carry everything a stored result has: through `archive export`
// and `archive import` into an empty database, its record, comment,
// keywords, user-defined fields (definitions and values) and authors come
// back the same. The archive's record is the stored record with lines that
// older readers pass over; damage to them is reported naming the file.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/CommandRun.h"
#include "host/db/DBRecordText.h"
#include "host/db/SqliteStorage.h"
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
      {"search", "--text", "Ada", "--field", "author", "--json"}};
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

TEST(ArchiveCarry, ARoundTripIntoAnEmptyDatabaseKeepsEverything) {
  CTempDir scratch("archivecarry");
  const std::string source = (scratch.Path() / "source").string();
  FillDatabase(source);
  const std::string archive = (scratch.Path() / "all.ba6").string();
  RunAll(source, {{"archive", "export", archive}});
  const std::string target = (scratch.Path() / "target").string();
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
