// Faults of the database commands: changes racing in separate processes,
// refusals of bad input, outputs that must not replace what they point at,
// and databases that cannot be read.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "app/CommandRun.h"
#include "host/db/DBStorage.h"
#include "host/db/SqliteStorage.h"
#include "support/Corpus.h"
#include "support/TempDatabase.h"

namespace blastsearch {

namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;

const fs::path kProgram = fs::path(BLASTSEARCH_BINARY_DIR) / "app" / "blastsearch";
constexpr int kTable = 201;

struct CProcessRun {
  int m_nStatus = -1;
  std::string m_strOut;
};

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// Starts every command of `commands` as its own blastsearch process on the
// database `dir`, all at once, and waits for them all.
std::vector<CProcessRun> RunAtOnce(const fs::path& dir,
                                   const std::vector<std::vector<std::string>>& commands) {
  std::vector<pid_t> pids;
  for (std::size_t i = 0; i < commands.size(); ++i) {
    std::vector<std::string> args{kProgram.string(), "--db", dir.string()};
    args.insert(args.end(), commands[i].begin(), commands[i].end());
    const std::string out = (dir / ("out" + std::to_string(i))).string();
    const pid_t pid = ::fork();
    if (pid == 0) {
      const int fd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      ::dup2(fd, STDOUT_FILENO);
      const int null = ::open("/dev/null", O_WRONLY);
      ::dup2(null, STDERR_FILENO);
      std::vector<char*> argv;
      for (std::string& arg : args) argv.push_back(arg.data());
      argv.push_back(nullptr);
      ::execv(argv[0], argv.data());
      ::_exit(127);
    }
    pids.push_back(pid);
  }
  std::vector<CProcessRun> runs(commands.size());
  for (std::size_t i = 0; i < pids.size(); ++i) {
    int status = 0;
    ::waitpid(pids[i], &status, 0);
    runs[i].m_nStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    runs[i].m_strOut = ReadAll(dir / ("out" + std::to_string(i)));
  }
  return runs;
}

// A database in `dir` holding the three results of one corpus report.
void ImportThree(const std::string& dir) {
  CCommandRun run =
      RunOnDatabase(dir, {"import", (CorpusDir() / "text" / "text_2010L_blastn_001.txt").string(),
                          (CorpusDir() / "text" / "text_2010L_blastp_001.txt").string(),
                          (CorpusDir() / "html-classic" / "bt019.html").string()});
  ASSERT_EQ(run.m_nStatus, 0) << run.m_strErr;
}

std::set<std::string> Lines(const std::string& text) {
  std::set<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.insert(line);
  return lines;
}

Json Listed(const std::string& dir) {
  CCommandRun run = RunOnDatabase(dir, {"list", "--json"});
  EXPECT_EQ(run.m_nStatus, 0) << run.m_strErr;
  return Json::parse(run.m_strOut);
}

bool HasUid(const Json& list, unsigned long uid) {
  for (const Json& item : list) {
    if (item["uid"] == uid) return true;
  }
  return false;
}

std::string NameOfUid(const Json& list, unsigned long uid) {
  for (const Json& item : list) {
    if (item["uid"] == uid) return item["name"];
  }
  return {};
}

// Changes made at once by separate processes: every change reported done is
// there afterwards, none undone by another, nothing deleted comes back, and
// counts reported are the run's own.
TEST(DatabaseRaces, NoChangeReportedDoneIsLostOrUndone) {
  SKIP_WITHOUT_CORPUS();
  CTempDir scratch("dbrace");
  const std::string dir = (scratch.Path() / "db").string();
  ImportThree(dir);
  int refusedOrLost = 0;
  for (int round = 0; round < 6; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    const std::string r = std::to_string(round);
    // Keywords and field values on one result from four processes.
    if (round == 0) {
      ASSERT_EQ(RunOnDatabase(dir, {"field", "define", "tag", "text"}).m_nStatus, 0);
    }
    std::vector<std::vector<std::string>> changes;
    for (int k = 0; k < 3; ++k)
      changes.push_back({"keyword", "add", "1", "k" + r + std::to_string(k)});
    changes.push_back({"field", "set", "1", "tag", "v" + r});
    changes.push_back({"rename", "1", "renamed" + r});
    std::vector<CProcessRun> runs = RunAtOnce(dir, changes);
    const std::set<std::string> keywords =
        Lines(RunOnDatabase(dir, {"keyword", "list", "1"}).m_strOut);
    for (int k = 0; k < 3; ++k) {
      if (runs[k].m_nStatus == 0) {
        EXPECT_TRUE(keywords.count("k" + r + std::to_string(k))) << "keyword " << k << " lost";
      } else {
        ++refusedOrLost;
      }
    }
    const Json list = Listed(dir);
    if (runs[4].m_nStatus == 0) {
      EXPECT_EQ(NameOfUid(list, 1), "renamed" + r);
    }
    EXPECT_EQ(runs[3].m_nStatus, 0);
    EXPECT_NE(RunOnDatabase(dir, {"list"}).m_strOut.find("v" + r), std::string::npos);

    // A subbase made of UID 2 while UID 2 is renamed holds it when it says so.
    std::vector<CProcessRun> subbase =
        RunAtOnce(dir, {{"subbase", "new", "S" + r, "2"}, {"rename", "2", "second" + r}});
    if (subbase[0].m_nStatus == 0) {
      EXPECT_NE(subbase[0].m_strOut.find("holding 1 result"), std::string::npos);
      EXPECT_NE(RunOnDatabase(dir, {"subbase", "list"}).m_strOut.find("S" + r + "\t1\n"),
                std::string::npos);
    }
  }
  EXPECT_EQ(refusedOrLost, 0);

  // A result deleted while a keyword is added stays deleted.
  std::vector<CProcessRun> deleted = RunAtOnce(dir, {{"keyword", "add", "3", "late"}, {"rm", "3"}});
  ASSERT_EQ(deleted[1].m_nStatus, 0);
  EXPECT_FALSE(HasUid(Listed(dir), 3));
  EXPECT_EQ(Listed(dir).size(), 2u);

  // Archive imports at once each report what they stored themselves.
  const std::string archive = (scratch.Path() / "two.ba6").string();
  ASSERT_EQ(RunOnDatabase(dir, {"archive", "export", archive}).m_nStatus, 0);
  const fs::path second = scratch.Path() / "second";
  ASSERT_EQ(RunOnDatabase(second.string(), {"list"}).m_nStatus, 0);
  std::vector<CProcessRun> imports = RunAtOnce(second, {{"archive", "import", archive},
                                                        {"archive", "import", archive},
                                                        {"archive", "import", archive}});
  for (const CProcessRun& run : imports) {
    EXPECT_EQ(run.m_nStatus, 0);
    EXPECT_NE(run.m_strOut.find(": 2 BLAST Results stored"), std::string::npos) << run.m_strOut;
  }
  EXPECT_EQ(Listed(second.string()).size(), 6u);
}

// Bad input to the changing commands: refused with a message and a failing
// exit, and nothing changes.
TEST(DatabaseRefusals, BadInputIsRefusedAndChangesNothing) {
  SKIP_WITHOUT_CORPUS();
  CTempDir scratch("dbrefuse");
  const std::string dir = (scratch.Path() / "db").string();
  ImportThree(dir);
  ASSERT_EQ(RunOnDatabase(dir, {"field", "define", "count", "number"}).m_nStatus, 0);
  const fs::path nul = scratch.Path() / "nul.txt";
  std::ofstream(nul, std::ios::binary) << std::string("before\0after\n", 13);
  const fs::path huge = scratch.Path() / "huge.txt";
  std::ofstream(huge).close();
  fs::resize_file(huge, (std::size_t{8} << 20) + 1);
  const fs::path sparse = scratch.Path() / "sparse.ba6";
  std::ofstream(sparse).close();
  fs::resize_file(sparse, std::size_t{1} << 30);

  struct Case {
    std::vector<std::string> args;
    int status;
  };
  const std::vector<Case> cases = {
      {{"comment", "set", "1", "--file", nul.string()}, 2},
      {{"comment", "set", "1", "--file", huge.string()}, 2},
      {{"comment", "set", "1", "--file", (scratch.Path() / "absent").string()}, 2},
      {{"rename", "1", "two\nlines"}, 1},
      {{"rename", "1", std::string(251, 'n')}, 1},
      {{"rename", "1", "tab\there"}, 1},
      {{"field", "set", "1", "count", "nan"}, 2},
      {{"field", "set", "1", "count", "0x1p3"}, 2},
      {{"field", "set", "1", "count", " 12"}, 2},
      {{"field", "set", "1", "count", "1e999"}, 2},
      {{"field", "set", "1", "count", "12."}, 0},
      {{"field", "unset", "1", "count", "12."}, 0},
      {{"subbase", "delete-contents", ""}, 1},
      {{"subbase", "delete-contents", "main"}, 1},
      {{"subbase", "delete-contents", "MAIN"}, 1},
      {{"search", "--name", "x", "--into", ""}, 2},
      {{"archive", "import", "/dev/zero"}, 1},
      {{"archive", "import", sparse.string()}, 1},
  };
  for (const Case& c : cases) {
    std::string what;
    for (const std::string& arg : c.args) what += arg.substr(0, 20) + " ";
    SCOPED_TRACE(what);
    CCommandRun run = RunOnDatabase(dir, c.args);
    EXPECT_EQ(run.m_nStatus, c.status) << run.m_strErr;
    if (c.status != 0) {
      EXPECT_NE(run.m_strErr, "");
    }
    EXPECT_EQ(RunOnDatabase(dir, {"comment", "show", "1"}).m_strOut, "");
    EXPECT_EQ(Listed(dir).size(), 3u);
  }
  EXPECT_EQ(RunOnDatabase(dir, {"subbase", "delete-contents", "Main", "--yes"}).m_nStatus, 0);
  EXPECT_EQ(Listed(dir).size(), 0u);
}

// A UID wins over a name that is the same number; "name:" reaches the name.
TEST(DatabaseRefusals, AUidWinsOverANumericName) {
  SKIP_WITHOUT_CORPUS();
  CTempDir scratch("dbuid");
  const std::string dir = (scratch.Path() / "db").string();
  ImportThree(dir);
  ASSERT_EQ(RunOnDatabase(dir, {"rename", "1", "3"}).m_nStatus, 0);
  ASSERT_EQ(RunOnDatabase(dir, {"keyword", "add", "name:3", "one"}).m_nStatus, 0);
  EXPECT_EQ(RunOnDatabase(dir, {"keyword", "list", "1"}).m_strOut, "one\n");
  ASSERT_EQ(RunOnDatabase(dir, {"rm", "3"}).m_nStatus, 0);
  const Json list = Listed(dir);
  EXPECT_TRUE(HasUid(list, 1));
  EXPECT_FALSE(HasUid(list, 3));
  ASSERT_EQ(RunOnDatabase(dir, {"rm", "3"}).m_nStatus, 0);  // now only the name matches
  EXPECT_FALSE(HasUid(Listed(dir), 1));
}

// Where outputs go: never over the database, straight into devices, through
// links to their targets, keeping the target's mode.
TEST(DatabaseOutputs, TargetsAreWrittenAsWhatTheyAre) {
  SKIP_WITHOUT_CORPUS();
  CTempDir scratch("dbout");
  const fs::path dir = scratch.Path() / "db";
  ImportThree(dir.string());
  const fs::path database = dir / "quillon.db";
  const fs::path kept = scratch.Path() / "kept.fasta";
  std::ofstream(kept) << "old\n";
  fs::permissions(kept, fs::perms::owner_read | fs::perms::owner_write);
  const fs::path link = scratch.Path() / "link.fasta";
  fs::create_symlink(kept, link);
  const fs::path dbLink = scratch.Path() / "db.link";
  fs::create_symlink(database, dbLink);
  fs::create_directory(scratch.Path() / "folder");

  struct Case {
    std::vector<std::string> args;
    int status;
  };
  const std::vector<Case> cases = {
      {{"export", "1", "-o", database.string()}, 1},
      {{"export", "1", "-o", dbLink.string()}, 1},
      {{"archive", "export", database.string()}, 1},
      {{"export", "1", "-o", (scratch.Path() / "folder").string()}, 1},
      {{"export", "1", "-o", "/dev/full"}, 1},
      {{"export", "1", "-o", "/dev/null"}, 0},
      {{"archive", "export", "/dev/null"}, 0},
      {{"export", "1", "-o", link.string()}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args[0] + " " + c.args.back());
    CCommandRun run = RunOnDatabase(dir.string(), c.args);
    EXPECT_EQ(run.m_nStatus, c.status) << run.m_strErr;
    EXPECT_EQ(Listed(dir.string()).size(), 3u);
  }
  // Saving a parsed report over a database that no command has open.
  const std::string report = (CorpusDir() / "text" / "text_2010L_blastn_001.txt").string();
  for (const fs::path& target : {database, dbLink, fs::path(database.string() + "-wal")}) {
    if (!fs::exists(target)) continue;
    CCommandRun parse = RunCommand({"parse", report, "--save", target.string()});
    EXPECT_NE(parse.m_nStatus, 0);
    EXPECT_NE(parse.m_strErr.find("object database"), std::string::npos) << parse.m_strErr;
  }
  EXPECT_EQ(Listed(dir.string()).size(), 3u);
  EXPECT_TRUE(fs::is_character_file("/dev/null"));
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_NE(ReadAll(kept).find('{'), std::string::npos);
  EXPECT_EQ(fs::status(kept).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(fs::directory_iterator(scratch.Path() / "folder"), fs::directory_iterator());
}

// Names with control characters or of great length: list, search and summary
// keep each result to one row, escape what a terminal would act on, and pad
// no row to a long name.
TEST(DatabaseOutputs, NamesAreListedPrintably) {
  SKIP_WITHOUT_CORPUS();
  CTempDir scratch("dbnames");
  const std::string dir = (scratch.Path() / "db").string();
  ImportThree(dir);
  {
    auto storage = OpenSqliteStorage((fs::path(dir) / "quillon.db").string());
    storage->RenameObject(kTable, 1, "a\x1b]0;title\x07z\nnext");
    storage->RenameObject(kTable, 2, std::string(100000, 'w'));
  }
  const std::vector<std::vector<std::string>> commands = {
      {"list"}, {"summary"}, {"search", "--name", "a", "--into", "found"}};
  for (const auto& args : commands) {
    SCOPED_TRACE(args[0]);
    CCommandRun run = RunOnDatabase(dir, args);
    EXPECT_EQ(run.m_strOut.find('\x1b'), std::string::npos);
    EXPECT_EQ(run.m_strOut.find('\x07'), std::string::npos);
    EXPECT_EQ(run.m_strOut.find("z\nnext"), std::string::npos);
  }
  CCommandRun list = RunOnDatabase(dir, {"list"});
  std::istringstream rows(list.m_strOut);
  std::size_t count = 0;
  for (std::string row; std::getline(rows, row); ++count) {
    if (row.find("wwww") == std::string::npos) {
      EXPECT_LT(row.size(), 400u) << row.substr(0, 80);
    }
  }
  EXPECT_EQ(count, 4u);  // the heading and three rows
}

// A database whose pages are damaged is reported as damaged, never as empty.
TEST(DatabaseDamage, ADamagedDatabaseIsNeverReportedEmpty) {
  SKIP_WITHOUT_CORPUS();
  CTempDir scratch("dbdamage");
  const std::string dir = (scratch.Path() / "db").string();
  ImportThree(dir);
  const fs::path file = fs::path(dir) / "quillon.db";
  ASSERT_FALSE(fs::exists(fs::path(dir) / "quillon.db-wal") &&
               fs::file_size(fs::path(dir) / "quillon.db-wal") > 0);
  {
    // Every page after the first (the schema's) overwritten.
    std::fstream bytes(file, std::ios::in | std::ios::out | std::ios::binary);
    const auto size = static_cast<std::size_t>(fs::file_size(file));
    bytes.seekp(4096);
    bytes << std::string(size - 4096, '\x55');
  }
  const std::vector<std::vector<std::string>> commands = {
      {"list", "--json"}, {"list"}, {"search", "--name", "x", "--into", "s"}, {"summary"}};
  for (const auto& args : commands) {
    SCOPED_TRACE(args[0]);
    CCommandRun run = RunOnDatabase(dir, args);
    EXPECT_EQ(run.m_nStatus, 1) << run.m_strOut;
    EXPECT_NE(run.m_strErr.find("damaged"), std::string::npos) << run.m_strErr;
    EXPECT_EQ(run.m_strOut, "");
  }
}

}  // namespace

namespace {

// A database in a folder that cannot be written is read by the reading
// commands; changes are refused saying read-only. Run as another user when
// the tests run as root (who may write anything).
TEST(DatabaseReadOnly, ReadingWorksAndChangesSayReadOnly) {
  SKIP_WITHOUT_CORPUS();
  std::vector<std::string> as;
  if (::geteuid() == 0) {
    if (!fs::exists("/usr/sbin/runuser") && !fs::exists("/sbin/runuser")) {
      GTEST_SKIP() << "runs as root without runuser";
    }
    as = {"runuser", "-u", "nobody", "--"};
  }
  CTempDir scratch("dbreadonly");
  const fs::path dir = scratch.Path() / "db";
  ImportThree(dir.string());
  fs::permissions(scratch.Path(),
                  fs::perms::all & ~fs::perms::others_write & ~fs::perms::group_write);
  for (const auto& entry : fs::recursive_directory_iterator(dir)) {
    fs::permissions(entry.path(),
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
  }
  fs::permissions(dir, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  struct Case {
    std::string command;
    int status;
    const char* said;  // in the output, or in the message of a refusal
  };
  const std::vector<Case> cases = {
      {"list", 0, "Name"},
      {"show 1 --summary", 0, "hits="},
      {"export 2 --format tsv", 0, "\t"},
      {"rename 1 other", 1, "read-only"},
      {"keyword add 1 k", 1, "read-only"},
      {"rm 1", 1, "read-only"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.command);
    std::string line;
    for (const std::string& word : as) line += word + " ";
    line += kProgram.string() + " --db " + dir.string() + " " + c.command + " 2>&1";
    FILE* pipe = ::popen(line.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string out;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
      out.append(buffer, n);
    const int status = ::pclose(pipe);
    EXPECT_EQ(WEXITSTATUS(status), c.status) << out;
    EXPECT_NE(out.find(c.said), std::string::npos) << out;
  }
  fs::permissions(dir, fs::perms::owner_all, fs::perm_options::add);
  for (const auto& entry : fs::recursive_directory_iterator(dir)) {
    fs::permissions(entry.path(), fs::perms::owner_write, fs::perm_options::add);
  }
  EXPECT_EQ(Listed(dir.string()).size(), 3u);
}

// A damaged initial archive of a new database is reported, not passed over.
TEST(DatabaseDamage, ADamagedInitialArchiveIsReported) {
  CTempDir scratch("dbseed");
  const fs::path dir = scratch.Path() / "db";
  fs::create_directories(dir);
  std::ofstream(dir / "DBInit.ba6") << "not an archive\n";
  CCommandRun run = RunOnDatabase(dir.string(), {"list"});
  EXPECT_EQ(run.m_nStatus, 1);
  EXPECT_NE(run.m_strErr.find("DBInit.ba6: the initial archive can't be read"), std::string::npos)
      << run.m_strErr;
}

}  // namespace

namespace {

// check: a sound database passes; a damaged record is named; a damaged file
// fails.
TEST(DatabaseCheck, SoundPassesAndDamageIsNamed) {
  SKIP_WITHOUT_CORPUS();
  CTempDir scratch("dbcheck");
  const std::string dir = (scratch.Path() / "db").string();
  ImportThree(dir);
  CCommandRun sound = RunOnDatabase(dir, {"check"});
  EXPECT_EQ(sound.m_nStatus, 0) << sound.m_strErr;
  EXPECT_EQ(sound.m_strOut, "The database is sound: 3 results checked\n");
  std::string name;
  {
    auto storage = OpenSqliteStorage((fs::path(dir) / kDatabaseFileName).string());
    CStoredObject row;
    ASSERT_TRUE(storage->FindObjectById(kTable, 2, &row));
    name = row.m_name;
    storage->PutObject(kTable, row, "@1:not a record\n");
  }
  CCommandRun damaged = RunOnDatabase(dir, {"check"});
  EXPECT_EQ(damaged.m_nStatus, 1);
  EXPECT_NE(damaged.m_strErr.find("\"" + name + "\" (UID 2) is missing or damaged"),
            std::string::npos)
      << damaged.m_strErr;
  EXPECT_EQ(damaged.m_strOut, "");
}

}  // namespace

namespace {

// An archive imported after a result was deleted never gives its UID to
// another result.
TEST(DatabaseArchiveUids, ADeletedResultsUidIsNotHandedOutAgain) {
  SKIP_WITHOUT_CORPUS();
  CTempDir scratch("dbuidreuse");
  const std::string dir = (scratch.Path() / "db").string();
  ImportThree(dir);
  const std::string archive = (scratch.Path() / "all.ba6").string();
  ASSERT_EQ(RunOnDatabase(dir, {"archive", "export", archive}).m_nStatus, 0);
  ASSERT_EQ(RunOnDatabase(dir, {"rm", "3"}).m_nStatus, 0);
  ASSERT_EQ(RunOnDatabase(dir, {"archive", "import", archive}).m_nStatus, 0);
  const Json list = Listed(dir);
  EXPECT_EQ(list.size(), 5u);
  EXPECT_FALSE(HasUid(list, 3));
  // Into an empty database the archive's UIDs are kept.
  const std::string fresh = (scratch.Path() / "fresh").string();
  ASSERT_EQ(RunOnDatabase(fresh, {"archive", "import", archive}).m_nStatus, 0);
  for (unsigned long uid : {1UL, 2UL, 3UL}) EXPECT_TRUE(HasUid(Listed(fresh), uid)) << uid;
}

}  // namespace

namespace {

// One byte changed in a stored record, inside the file: the result is
// reported damaged by show and check, never shown changed.
TEST(DatabaseCheck, AChangedByteOfARecordIsCaughtByItsChecksum) {
  SKIP_WITHOUT_CORPUS();
  CTempDir scratch("dbflip");
  const std::string dir = (scratch.Path() / "db").string();
  ImportThree(dir);
  const fs::path file = fs::path(dir) / kDatabaseFileName;
  std::string bytes = ReadAll(file);
  const std::size_t at = bytes.find("gi|720683|gb|G03725|G03725");
  ASSERT_NE(at, std::string::npos);
  bytes[at + 3] = '8';
  std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"show", "1", "--json"}, std::vector<std::string>{"check"}}) {
    CCommandRun run = RunOnDatabase(dir, args);
    EXPECT_EQ(run.m_nStatus, 1) << args[0];
    EXPECT_NE(run.m_strErr.find("damaged"), std::string::npos) << run.m_strErr;
    EXPECT_EQ(run.m_strOut.find("gi|820683"), std::string::npos);
  }
  EXPECT_EQ(RunOnDatabase(dir, {"show", "2", "--summary"}).m_nStatus, 0);
}

}  // namespace

}  // namespace blastsearch
