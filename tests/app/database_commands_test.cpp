#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>

#include "app/CommandContext.h"
#include "app/CommandRun.h"
#include "host/db/DBStorage.h"
#include "host/db/SqliteStorage.h"
#include "support/Corpus.h"
#include "support/StorageBackends.h"
#include "support/TempDatabase.h"

namespace blastsearch {

namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;

std::string Report(const char* folder, const char* name) {
  return (CorpusDir() / folder / name).string();
}

void WriteFile(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// Imports `files` into the database in `dir`; the stored name of each file.
std::map<std::string, std::string> Import(const std::string& dir,
                                          const std::vector<std::string>& files) {
  std::vector<std::string> args{"import"};
  args.insert(args.end(), files.begin(), files.end());
  CCommandRun run = RunOnDatabase(dir, args);
  EXPECT_EQ(run.m_nStatus, 0) << run.m_strErr;
  std::map<std::string, std::string> names;
  for (auto& [file, name] : StoredByImport(run.m_strOut)) names[file] = name;
  EXPECT_EQ(names.size(), files.size()) << run.m_strOut;
  return names;
}

std::string ListJson(const std::string& dir) {
  CCommandRun run = RunOnDatabase(dir, {"list", "--json"});
  EXPECT_EQ(run.m_nStatus, 0) << run.m_strErr;
  return run.m_strOut;
}

// One walk of the corpus: every report imports; each stored result shows as
// `parse --json` shows its file; an archive of them all, imported into an
// empty database, lists and shows the same.
TEST(DatabaseCommandsCorpus, EveryReportImportsShowsAsParsedAndSurvivesAnArchive) {
  SKIP_WITHOUT_CORPUS();
  CTempDir scratch("dbcmd_corpus");
  const std::string first = (scratch.Path() / "first").string();
  const std::string second = (scratch.Path() / "second").string();
  std::vector<std::string> files;
  for (const char* folder : {"text", "html-classic", "html-qblast", "blastplus-text"}) {
    for (const fs::path& report : CorpusFiles(folder)) files.push_back(report.string());
  }
  ASSERT_GE(files.size(), 90u);
  std::vector<std::string> args{"import"};
  args.insert(args.end(), files.begin(), files.end());
  const CCommandRun run = RunOnDatabase(first, args);
  ASSERT_EQ(run.m_nStatus, 0) << run.m_strErr;
  // A file of several queries stores one result per query, in report order,
  // each shown as its line of `parse --json`.
  std::map<std::string, std::vector<std::string>> byFile;
  for (auto& [file, name] : StoredByImport(run.m_strOut)) byFile[file].push_back(name);
  EXPECT_EQ(byFile.size(), files.size());
  std::size_t results = 0;
  std::map<std::string, std::string> shown;
  for (const auto& [file, names] : byFile) {
    SCOPED_TRACE(file);
    std::istringstream parsed(RunCommand({"parse", file, "--json"}).m_strOut);
    std::vector<std::string> lines;
    for (std::string line; std::getline(parsed, line);) lines.push_back(line + "\n");
    results += lines.size();
    ASSERT_EQ(names.size(), std::min<std::size_t>(lines.size(), 10));  // the import lists ten
    for (std::size_t i = 0; i < names.size(); ++i) {
      CCommandRun show = RunOnDatabase(first, {"show", names[i], "--json"});
      ASSERT_EQ(show.m_nStatus, 0) << show.m_strErr;
      EXPECT_EQ(show.m_strOut, lines[i]) << names[i];
      shown[names[i]] = show.m_strOut;
    }
  }
  EXPECT_GT(results, files.size());
  const std::string list = ListJson(first);
  EXPECT_EQ(Json::parse(list).size(), results);

  const std::string archive = (scratch.Path() / "all.ba6").string();
  CCommandRun exported = RunOnDatabase(first, {"archive", "export", archive});
  ASSERT_EQ(exported.m_nStatus, 0) << exported.m_strErr;
  CCommandRun imported = RunOnDatabase(second, {"archive", "import", archive});
  ASSERT_EQ(imported.m_nStatus, 0) << imported.m_strErr;
  EXPECT_NE(imported.m_strOut.find(std::to_string(results) + " BLAST Results stored"),
            std::string::npos)
      << imported.m_strOut;
  EXPECT_EQ(ListJson(second), list);
  for (const auto& [name, json] : shown) {
    EXPECT_EQ(RunOnDatabase(second, {"show", name, "--json"}).m_strOut, json) << name;
  }
}

// A transfer file imports through the table's transfer import and shows as
// the report it was made from; a readable show and a summary line work on it.
TEST(DatabaseImport, TransferFilesStoreTheResultTheyHold) {
  SKIP_WITHOUT_CORPUS();
  CTempDir scratch("dbcmd_transfer");
  const std::string dir = (scratch.Path() / "db").string();
  const std::string report = Report("html-qblast", "bt070.html");
  const std::string transfer = (scratch.Path() / "bt070.bqt").string();
  CCommandRun parsed = RunCommand({"parse", report, "--json", "--save", transfer});
  ASSERT_EQ(parsed.m_nStatus, 0) << parsed.m_strErr;
  const auto names = Import(dir, {transfer});
  ASSERT_EQ(names.size(), 1u);
  const std::string name = names.begin()->second;
  EXPECT_EQ(RunOnDatabase(dir, {"show", name, "--json"}).m_strOut, parsed.m_strOut);
  EXPECT_EQ(RunOnDatabase(dir, {"show", name, "--summary"}).m_strOut,
            RunCommand({"parse", report, "--summary"}).m_strOut);
  CCommandRun readable = RunOnDatabase(dir, {"show", "1"});
  EXPECT_EQ(readable.m_nStatus, 0);
  EXPECT_EQ(readable.m_strOut, RunCommand({"parse", report}).m_strOut);
}

// Files that hold no result are refused with one line naming them and exit
// 1; the good files of the same command are stored all the same.
TEST(DatabaseImport, RefusesWhatHoldsNoResultAndStoresTheRest) {
  SKIP_WITHOUT_CORPUS();
  CTempDir scratch("dbcmd_refuse");
  const std::string dir = (scratch.Path() / "db").string();
  const std::string transfer = (scratch.Path() / "good.bqt").string();
  ASSERT_EQ(RunCommand({"parse", Report("text", "text_2010L_blastp_001.txt"), "--summary", "--save",
                        transfer})
                .m_nStatus,
            0);
  std::string bytes;
  {
    std::ifstream in(transfer, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), {});
  }
  struct Case {
    const char* name;
    std::string content;  // empty name of a missing file when `create` is false
    bool create;
    const char* said;
  };
  const std::vector<Case> cases = {
      {"junk.txt", "nothing of interest here\n", true, "no BLAST report"},
      {"empty.html", "", true, "no BLAST report"},
      {"cut.bqt", bytes.substr(0, bytes.size() / 2), true, "damaged transfer file"},
      {"missing.txt", "", false, "cannot read"},
  };
  const std::string good = Report("text", "text_2010L_blastn_001.txt");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path path = scratch.Path() / c.name;
    if (c.create) WriteFile(path, c.content);
    CCommandRun run = RunOnDatabase(dir, {"import", "--allow-duplicates", path.string(), good});
    EXPECT_EQ(run.m_nStatus, 1);
    EXPECT_NE(run.m_strErr.find(path.string() + ": "), std::string::npos) << run.m_strErr;
    EXPECT_NE(run.m_strErr.find(c.said), std::string::npos) << run.m_strErr;
    EXPECT_EQ(std::count(run.m_strErr.begin(), run.m_strErr.end(), '\n'), 1) << run.m_strErr;
    EXPECT_EQ(StoredByImport(run.m_strOut).size(), 1u) << run.m_strOut;
  }
  EXPECT_EQ(Json::parse(ListJson(dir)).size(), cases.size());
}

// The commands on each backend: a folder, or a database on the tests'
// PostgreSQL server.
class DatabaseCommandsOn : public BackendTest {};
INSTANTIATE_TEST_SUITE_P(Backends, DatabaseCommandsOn, ::testing::ValuesIn(StorageBackendNames()),
                         BackendTestName);

// The changing commands, each checked by what `list --json` shows after it;
// refusals answer 1 with one line and change nothing.
TEST_P(DatabaseCommandsOn, ChangesAndTheirRefusals) {
  SKIP_WITHOUT_CORPUS();
  CTempDir scratch("dbcmd_changes");
  const std::string dir = m_database.CommandAddress();
  Import(dir, {Report("text", "text_2010L_blastn_001.txt"),
               Report("text", "text_2010L_blastp_001.txt"), Report("html-classic", "bt019.html")});
  ASSERT_EQ(RunOnDatabase(dir, {"rename", "1", "alpha"}).m_nStatus, 0);
  ASSERT_EQ(RunOnDatabase(dir, {"rename", "2", "beta"}).m_nStatus, 0);
  ASSERT_EQ(RunOnDatabase(dir, {"rename", "3", "gamma"}).m_nStatus, 0);

  struct Step {
    std::vector<std::string> args;
    int status;
    std::vector<std::string> names;  // the names listed afterwards, in UID order
    std::string subbaseList;         // `subbase list` afterwards
  };
  const std::vector<Step> steps = {
      {{"rename", "alpha", "beta"}, 1, {"alpha", "beta", "gamma"}, ""},
      {{"rename", "alpha", ""}, 1, {"alpha", "beta", "gamma"}, ""},
      {{"rename", "nosuch", "x"}, 1, {"alpha", "beta", "gamma"}, ""},
      {{"duplicate", "alpha", "--subbase", "picked"},
       0,
       {"alpha", "beta", "gamma", "alpha copy"},
       "picked\t1\n"},
      {{"subbase", "new", "picked", "beta"},
       1,
       {"alpha", "beta", "gamma", "alpha copy"},
       "picked\t1\n"},
      {{"subbase", "add", "picked", "beta", "3"},
       0,
       {"alpha", "beta", "gamma", "alpha copy"},
       "picked\t3\n"},
      {{"subbase", "remove", "picked", "gamma"},
       0,
       {"alpha", "beta", "gamma", "alpha copy"},
       "picked\t2\n"},
      {{"subbase", "new", "MAIN"}, 1, {"alpha", "beta", "gamma", "alpha copy"}, "picked\t2\n"},
      {{"subbase", "rename", "picked", "chosen"},
       0,
       {"alpha", "beta", "gamma", "alpha copy"},
       "chosen\t2\n"},
      {{"subbase", "rename", "nosuch", "x"},
       1,
       {"alpha", "beta", "gamma", "alpha copy"},
       "chosen\t2\n"},
      {{"subbase", "delete-contents", "chosen"}, 0, {"alpha", "gamma"}, "chosen\t0\n"},
      {{"subbase", "new", "kept", "alpha"}, 0, {"alpha", "gamma"}, "chosen\t0\nkept\t1\n"},
      {{"subbase", "clear", "kept"}, 0, {"alpha", "gamma"}, "chosen\t0\nkept\t0\n"},
      {{"subbase", "dismiss", "kept"}, 0, {"alpha", "gamma"}, "chosen\t0\n"},
      {{"subbase", "dismiss", "kept"}, 1, {"alpha", "gamma"}, "chosen\t0\n"},
      {{"rm", "gamma", "nosuch"}, 1, {"alpha"}, "chosen\t0\n"},
      {{"rm", "1"}, 0, {}, "chosen\t0\n"},
  };
  for (const Step& step : steps) {
    std::string what;
    for (const std::string& arg : step.args) what += arg + " ";
    SCOPED_TRACE(what);
    CCommandRun run = RunOnDatabase(dir, step.args);
    EXPECT_EQ(run.m_nStatus, step.status) << run.m_strErr;
    if (step.status == 0) {
      EXPECT_EQ(run.m_strErr, "");
    } else {
      EXPECT_NE(run.m_strErr, "");
    }
    std::vector<std::string> names;
    for (const Json& item : Json::parse(ListJson(dir))) names.push_back(item["name"]);
    EXPECT_EQ(names, step.names);
    EXPECT_EQ(RunOnDatabase(dir, {"subbase", "list"}).m_strOut, step.subbaseList);
  }
}

// list: the columns in the table's order from the list records, and JSON with
// the five keys; a subbase limits both; a missing subbase is refused.
TEST_P(DatabaseCommandsOn, ListShowsTheTableColumns) {
  SKIP_WITHOUT_CORPUS();
  CTempDir scratch("dbcmd_list");
  const std::string dir = m_database.CommandAddress();
  EXPECT_EQ(RunOnDatabase(dir, {"list", "--json"}).m_strOut, "[]\n");
  Import(dir, {Report("text", "text_2010L_blastn_001.txt")});
  CCommandRun text = RunOnDatabase(dir, {"list"});
  ASSERT_EQ(text.m_nStatus, 0);
  const std::string name =
      "gi|1348916|gb|G26684|G26684 human STS STS_D11570. gi|1375195|gb|G26945|G26945 human STS "
      "SHGC-32699.";
  EXPECT_EQ(
      text.m_strOut.substr(0, text.m_strOut.find('\n')),
      "Name" + std::string(80 - 4 + 2, ' ') + "Created               UID  Hits Count  QueryName")
      << "the name column as wide as the name, its query's, up to 80 characters";
  EXPECT_GT(name.size(), 80u);
  const Json list = Json::parse(ListJson(dir));
  ASSERT_EQ(list.size(), 1u);
  const Json& item = list[0];
  EXPECT_EQ(item["uid"], 1);
  EXPECT_EQ(item["hits"], 4);
  // The query's definition wraps onto a second line, joined with one blank.
  EXPECT_EQ(item["query_name"],
            "gi|1348916|gb|G26684|G26684 human STS STS_D11570. gi|1375195|gb|G26945|G26945 human "
            "STS SHGC-32699.");
  EXPECT_TRUE(std::regex_match(item["created"].get<std::string>(),
                               std::regex(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ)")));
  std::vector<std::string> keys;
  for (auto it = item.begin(); it != item.end(); ++it) keys.push_back(it.key());
  std::sort(keys.begin(), keys.end());
  EXPECT_EQ(keys, (std::vector<std::string>{"created", "hits", "name", "query_name", "uid"}));
  EXPECT_EQ(RunOnDatabase(dir, {"list", "--subbase", "none"}).m_nStatus, 1);
  CCommandRun summary = RunOnDatabase(dir, {"summary"});
  EXPECT_EQ(summary.m_nStatus, 0);
  EXPECT_NE(summary.m_strOut.find(item["name"].get<std::string>()), std::string::npos);
}

// A record whose archive bytes are damaged: show names the object and fails;
// listing and the other results are unaffected.
TEST(DatabaseCommands, DamagedRecordIsNamedAndTheRestIsUnaffected) {
  SKIP_WITHOUT_CORPUS();
  CTempDir scratch("dbcmd_damaged");
  const std::string dir = (scratch.Path() / "db").string();
  Import(dir, {Report("text", "text_2010L_blastn_001.txt"),
               Report("text", "text_2010L_blastp_001.txt")});
  const std::string good = RunOnDatabase(dir, {"show", "2", "--json"}).m_strOut;
  const std::string listed = ListJson(dir);
  {
    std::unique_ptr<CDBStorage> storage =
        OpenSqliteStorage((fs::path(dir) / kDatabaseFileName).string());
    CStoredObject row;
    ASSERT_TRUE(storage->FindObjectById(201, 1, &row));
    std::string record;
    ASSERT_TRUE(storage->ReadRecord(201, 1, record));
    const std::size_t field = record.find("@2008:");
    ASSERT_NE(field, std::string::npos);
    for (std::size_t i = field + 10; i < record.size() && i < field + 60; ++i) record[i] ^= 0x5A;
    storage->PutObject(201, row, record);
  }
  CCommandRun show = RunOnDatabase(dir, {"show", "1", "--json"});
  EXPECT_EQ(show.m_nStatus, 1);
  EXPECT_EQ(show.m_strOut, "");
  EXPECT_NE(show.m_strErr.find("\"gi|1348916|gb|G26684|G26684 human STS STS_D11570."),
            std::string::npos)
      << show.m_strErr;
  EXPECT_NE(show.m_strErr.find("damaged"), std::string::npos) << show.m_strErr;
  EXPECT_EQ(RunOnDatabase(dir, {"export", "1", "2", "--format", "tsv"}).m_nStatus, 1);
  EXPECT_EQ(ListJson(dir), listed);
  EXPECT_EQ(RunOnDatabase(dir, {"show", "2", "--json"}).m_strOut, good);
}

// A damaged archive stores nothing of itself and says where it is damaged.
TEST(DatabaseArchive, DamagedArchiveStoresNothingAndSaysWhere) {
  SKIP_WITHOUT_CORPUS();
  CTempDir scratch("dbcmd_archive");
  const std::string source = (scratch.Path() / "source").string();
  const std::string target = (scratch.Path() / "target").string();
  Import(source,
         {Report("text", "text_2010L_blastn_001.txt"), Report("text", "text_2010L_blastp_001.txt"),
          Report("html-qblast", "bt070.html")});
  const fs::path archive = scratch.Path() / "three.ba6";
  ASSERT_EQ(RunOnDatabase(source, {"archive", "export", archive.string()}).m_nStatus, 0);
  std::string bytes;
  {
    std::ifstream in(archive, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), {});
  }
  ASSERT_GT(bytes.size(), 200u);
  Import(target, {Report("html-classic", "bt019.html")});
  const std::string before = ListJson(target);
  std::string flipped = bytes;
  for (std::size_t i = bytes.size() * 2 / 3; i < bytes.size() * 2 / 3 + 16; ++i) flipped[i] ^= 0x33;
  const std::vector<std::pair<std::string, std::string>> damages = {
      {"cut in the last result", bytes.substr(0, bytes.size() - 7)},
      {"cut in the middle", bytes.substr(0, bytes.size() / 2)},
      {"bytes changed", flipped},
      {"not an archive", "hello\n"},
  };
  for (const auto& [what, content] : damages) {
    SCOPED_TRACE(what);
    const fs::path damaged = scratch.Path() / "damaged.ba6";
    WriteFile(damaged, content);
    CCommandRun run = RunOnDatabase(target, {"archive", "import", damaged.string()});
    EXPECT_EQ(run.m_nStatus, 1);
    EXPECT_NE(run.m_strErr.find("damaged.ba6"), std::string::npos) << run.m_strErr;
    if (content.size() > 100) {
      EXPECT_NE(run.m_strErr.find("byte"), std::string::npos) << run.m_strErr;
    }
    EXPECT_EQ(ListJson(target), before);
  }
  EXPECT_EQ(RunOnDatabase(target, {"archive", "import", archive.string()}).m_nStatus, 0);
  EXPECT_EQ(Json::parse(ListJson(target)).size(), 4u);
}

// Export: each format, an output file replaced only when all was written, a
// transfer file that reads back as the stored result.
TEST_P(DatabaseCommandsOn, ExportFormatsAndOutputFiles) {
  SKIP_WITHOUT_CORPUS();
  CTempDir scratch("dbcmd_export");
  const std::string dir = m_database.CommandAddress();
  Import(dir,
         {Report("text", "text_2010L_blastn_001.txt"), Report("text", "text_2010L_tblastn_001.txt"),
          Report("text", "text_2010L_blastp_002.txt")});
  CCommandRun json = RunOnDatabase(dir, {"export", "1", "2"});
  ASSERT_EQ(json.m_nStatus, 0) << json.m_strErr;
  EXPECT_EQ(json.m_strOut, RunOnDatabase(dir, {"show", "1", "--json"}).m_strOut +
                               RunOnDatabase(dir, {"show", "2", "--json"}).m_strOut);

  CCommandRun tsv = RunOnDatabase(dir, {"export", "1", "--format", "tsv"});
  ASSERT_EQ(tsv.m_nStatus, 0);
  EXPECT_EQ(tsv.m_strOut.substr(0, tsv.m_strOut.find('\n')),
            "gi|1348916|gb|G26684|G26684\tgi|1348916|gb|G26684|G26684\t100.00\t285\t0\t0\t1\t285"
            "\t1\t285\t1e-146\t517");
  for (std::size_t start = 0; start < tsv.m_strOut.size();) {
    const std::size_t end = tsv.m_strOut.find('\n', start);
    const std::string line = tsv.m_strOut.substr(start, end - start);
    EXPECT_EQ(std::count(line.begin(), line.end(), '\t'), 11) << line;
    start = end + 1;
  }
  CCommandRun fasta = RunOnDatabase(dir, {"export", "2", "--format", "fasta"});
  ASSERT_EQ(fasta.m_nStatus, 0);
  EXPECT_EQ(fasta.m_strOut.rfind(">gi|3820341|emb|AJ229891|KLAJ9891:1-225 Kluyveromyces", 0), 0u)
      << fasta.m_strOut.substr(0, 200);
  std::istringstream lines(fasta.m_strOut);
  for (std::string line; std::getline(lines, line);) {
    if (line[0] != '>') {
      EXPECT_EQ(line.find('-'), std::string::npos) << line;
    }
  }

  // A result without aligned rows (here: without hits) has no FASTA to give.
  CCommandRun empty = RunOnDatabase(dir, {"export", "3", "--format", "fasta"});
  EXPECT_EQ(empty.m_nStatus, 1);
  EXPECT_EQ(empty.m_strOut, "");
  EXPECT_NE(empty.m_strErr.find("holds no aligned subject rows"), std::string::npos)
      << empty.m_strErr;

  const fs::path output = scratch.Path() / "out.tsv";
  WriteFile(output, "old\n");
  EXPECT_EQ(RunOnDatabase(dir, {"export", "1", "nosuch", "--format", "tsv", "-o", output.string()})
                .m_nStatus,
            1);
  EXPECT_EQ(ReadWholeFile(output), "old\n");
  EXPECT_EQ(RunOnDatabase(dir, {"export", "1", "--format", "tsv", "-o", output.string()}).m_nStatus,
            0);
  EXPECT_EQ(ReadWholeFile(output), tsv.m_strOut);
  // Nothing beside the output is left in its folder.
  EXPECT_EQ(std::distance(fs::directory_iterator(scratch.Path()), fs::directory_iterator()), 1);

  const fs::path transfer = scratch.Path() / "one.bqt";
  ASSERT_EQ(RunOnDatabase(dir, {"export", "2", "--format", "transfer", "-o", transfer.string()})
                .m_nStatus,
            0);
  EXPECT_EQ(RunCommand({"parse", transfer.string(), "--json"}).m_strOut,
            RunOnDatabase(dir, {"show", "2", "--json"}).m_strOut);
  EXPECT_EQ(RunOnDatabase(dir, {"export", "1", "2", "--format", "transfer"}).m_nStatus, 2);
  EXPECT_EQ(RunOnDatabase(dir, {"export", "1", "--format", "xml"}).m_nStatus, 2);
}

// The database folder: --db, else BLASTSEARCH_DB, else the user's data
// folder; what is not a database of this program is refused and left as it
// was.
TEST(DatabaseChoice, FolderOrderAndForeignFiles) {
  struct Case {
    const char* asked;
    const char* xdg;   // null: unset
    const char* home;  // null: unset
    const char* expected;
  };
  const Case cases[] = {
      {"/given", "/data", "/home/u", "/given"},
      {"", "/data", "/home/u", "/data/blastsearch"},
      {"", "relative/data", "/home/u", "/home/u/.local/share/blastsearch"},
      {"", nullptr, "/home/u", "/home/u/.local/share/blastsearch"},
      {"", nullptr, nullptr, ""},
  };
  const char* savedXdg = std::getenv("XDG_DATA_HOME");
  const char* savedHome = std::getenv("HOME");
  const std::string xdg = savedXdg ? savedXdg : "", home = savedHome ? savedHome : "";
  auto set = [](const char* name, const char* value) {
    if (value != nullptr) {
      ::setenv(name, value, 1);
    } else {
      ::unsetenv(name);
    }
  };
  for (const Case& c : cases) {
    set("XDG_DATA_HOME", c.xdg);
    set("HOME", c.home);
    EXPECT_EQ(DatabaseDirectory(c.asked), c.expected) << c.asked << " " << (c.xdg ? c.xdg : "-");
  }
  CTempDir scratch("dbcmd_choice");
  ::setenv("XDG_DATA_HOME", scratch.Path().c_str(), 1);
  EXPECT_EQ(RunCommand({"list"}).m_nStatus, 0);
  EXPECT_TRUE(fs::exists(scratch.Path() / "blastsearch" / kDatabaseFileName));
  const fs::path env = scratch.Path() / "from-env";
  ::setenv("BLASTSEARCH_DB", env.c_str(), 1);
  EXPECT_EQ(RunCommand({"list"}).m_nStatus, 0);
  EXPECT_TRUE(fs::exists(env / kDatabaseFileName));
  ::unsetenv("BLASTSEARCH_DB");
  set("XDG_DATA_HOME", savedXdg ? xdg.c_str() : nullptr);
  set("HOME", savedHome ? home.c_str() : nullptr);

  const fs::path foreign = scratch.Path() / "foreign";
  fs::create_directories(foreign);
  WriteFile(foreign / kDatabaseFileName, "these are somebody's notes\n");
  CCommandRun run = RunOnDatabase(foreign.string(), {"list"});
  EXPECT_EQ(run.m_nStatus, 1);
  EXPECT_NE(run.m_strErr.find(kDatabaseFileName), std::string::npos) << run.m_strErr;
  EXPECT_EQ(ReadWholeFile(foreign / kDatabaseFileName), "these are somebody's notes\n");
}

// Every command answers --help; a failed write of the output is a failure.
TEST(DatabaseCommands, HelpForEveryCommandAndCheckedOutput) {
  const std::vector<std::vector<std::string>> commands = {{"import"},
                                                          {"list"},
                                                          {"show"},
                                                          {"export"},
                                                          {"rm"},
                                                          {"rename"},
                                                          {"duplicate"},
                                                          {"summary"},
                                                          {"subbase"},
                                                          {"subbase", "list"},
                                                          {"subbase", "new"},
                                                          {"subbase", "rename"},
                                                          {"subbase", "dismiss"},
                                                          {"subbase", "clear"},
                                                          {"subbase", "delete-contents"},
                                                          {"subbase", "add"},
                                                          {"subbase", "remove"},
                                                          {"archive"},
                                                          {"archive", "export"},
                                                          {"archive", "import"}};
  for (std::vector<std::string> command : commands) {
    const std::string name = command.back();
    command.push_back("--help");
    CCommandRun run = RunCommand(command);
    EXPECT_EQ(run.m_nStatus, 0) << name;
    EXPECT_NE(run.m_strOut.find("Usage: " + name), std::string::npos) << run.m_strOut;
  }
  EXPECT_NE(RunCommand({"--help"}).m_strOut.find("--db"), std::string::npos);

  CTempDir scratch("dbcmd_output");
  std::ostringstream broken, err;
  broken.setstate(std::ios::badbit);
  EXPECT_EQ(RunBlastSearch({"--db", scratch.Path().string(), "list"}, broken, err), 1);
  EXPECT_NE(err.str().find("standard output"), std::string::npos) << err.str();
}

}  // namespace

}  // namespace blastsearch
