// The same reports imported and annotated in the same way into a local
// SQLite database and into a PostgreSQL server database answer `list`,
// `show` and `search` byte for byte the same (only the stored time of each
// result, which depends on when it was imported, is set aside).

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "app/CommandRun.h"
#include "support/StorageBackends.h"

namespace blastsearch {

namespace {

namespace fs = std::filesystem;

const fs::path kReports = fs::path(BLASTSEARCH_SOURCE_DIR) / "tests" / "data" / "blastplus";

// A `list --json`-like answer with each result's stored time blanked.
std::string WithoutTimes(const std::string& json) {
  static const std::regex created(R"re("created":"[0-9T:Z-]+")re");
  return std::regex_replace(json, created, "\"created\":\"-\"");
}

// The names `list --json` gives, in its order.
std::vector<std::string> ListedNames(const std::string& json) {
  static const std::regex name(R"re(\{"uid":\d+,"name":"((?:[^"\\]|\\.)*)")re");
  std::vector<std::string> names;
  for (auto it = std::sregex_iterator(json.begin(), json.end(), name); it != std::sregex_iterator();
       ++it) {
    names.push_back((*it)[1]);
  }
  return names;
}

// Imports the reports and annotates their results through the commands, the
// same way whatever the database; returns the names listed.
std::vector<std::string> Fill(const std::string& db) {
  std::vector<std::string> import = {"import"};
  for (const char* file : {"blastn.txt", "blastp.xml", "blastx.json", "tblastn.tsv",
                           "megablast.xml2", "psiblast.html"}) {
    import.push_back((kReports / file).string());
  }
  const CCommandRun imported = RunOnDatabase(db, import);
  EXPECT_EQ(imported.m_nStatus, 0) << imported.m_strErr;
  const std::vector<std::string> names =
      ListedNames(RunOnDatabase(db, {"list", "--json"}).m_strOut);
  for (std::size_t i = 0; i < names.size(); ++i) {
    const std::string& name = names[i];
    if (i % 2 == 0) {
      EXPECT_EQ(RunOnDatabase(db, {"keyword", "add", name, "even"}).m_nStatus, 0);
    }
    if (i % 3 == 0) {
      EXPECT_EQ(RunOnDatabase(db, {"keyword", "add", name, "Tri"}).m_nStatus, 0);
    }
    if (i % 4 == 1) {
      const std::string text = "seen by run " + std::to_string(i) + "\nA Zinc finger";
      EXPECT_EQ(RunOnDatabase(db, {"comment", "set", name, text}).m_nStatus, 0);
    }
  }
  return names;
}

TEST(BackendAnswers, BothStoragesAnswerTheSameForTheSameReports) {
  CBackendDatabase local("sqlite");
  CBackendDatabase server("postgres");
  if (!server.SkipReason().empty()) GTEST_SKIP() << server.SkipReason();
  const std::string a = local.CommandAddress();
  const std::string b = server.CommandAddress();
  const std::vector<std::string> names = Fill(a);
  ASSERT_EQ(Fill(b), names);
  ASSERT_GE(names.size(), 12u);

  const auto same = [&](const std::vector<std::string>& args, int status) {
    std::string line;
    for (const std::string& arg : args) line += arg + " ";
    SCOPED_TRACE(line);
    const CCommandRun one = RunOnDatabase(a, args);
    const CCommandRun other = RunOnDatabase(b, args);
    EXPECT_EQ(one.m_nStatus, status) << one.m_strErr;
    EXPECT_EQ(other.m_nStatus, one.m_nStatus) << other.m_strErr;
    EXPECT_EQ(WithoutTimes(other.m_strOut), WithoutTimes(one.m_strOut));
    EXPECT_EQ(other.m_strErr, one.m_strErr);
  };
  same({"list", "--json"}, 0);
  same({"list", "--json", "--limit", "4", "--after", names[3]}, 0);
  for (const std::string& name : names) same({"show", "--json", name}, 0);
  // Each search with its exit status: 0 found, 1 nothing found, 2 a keyword
  // never given.
  const std::vector<std::pair<std::vector<std::string>, int>> searches = {
      {{"--hits", "1-10"}, 0},
      {{"--hits", "11-100"}, 1},
      {{"--hits", "101-"}, 1},
      {{"--keyword", "even"}, 0},
      {{"--keyword", "tri"}, 2},
      {{"--keyword", "even", "--keyword", "Tri"}, 0},
      {{"--keyword", "nobody"}, 2},
      {{"--text", "zinc", "--field", "comment"}, 0},
      {{"--text", "zinc", "--match-case", "--field", "comment"}, 1},
      {{"--text", "run 9", "--field", "comment", "--keyword", "Tri"}, 0},
      {{"--name", "query_"}, 0},
      {{"--name", "query_", "--hits", "1-10", "--keyword", "even"}, 0},
  };
  for (const auto& [search, status] : searches) {
    std::vector<std::string> args = {"search", "--json"};
    args.insert(args.end(), search.begin(), search.end());
    same(args, status);
  }
}

}  // namespace

}  // namespace blastsearch
