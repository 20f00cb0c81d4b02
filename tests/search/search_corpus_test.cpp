// Searches over a database of imported corpus results, through the command
// line and through the search run, against results worked out from what the
// set-up gave each object.
#include <gtest/gtest.h>

#include <functional>
#include <nlohmann/json.hpp>

#include "SearchCorpusDb.h"
#include "host/db/DBFunctions.h"
#include "search/SearchFilters.h"
#include "search/SearchRun.h"
#include "search/TableSearch.h"

namespace blastsearch {

namespace {

std::set<std::string> JsonNames(const std::string& json) {
  std::set<std::string> names;
  for (const auto& item : nlohmann::json::parse(json)) names.insert(item.at("name"));
  return names;
}

class SearchCorpusTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SKIP_WITHOUT_CORPUS();
    m_db = SearchCorpusDb::Get();
    ASSERT_NE(m_db, nullptr);
    ASSERT_GT(m_db->m_objects.size(), 40u);
    m_db->Open();
  }
  SearchCorpusDb* m_db = nullptr;
};

struct FilterCase {
  const char* label;
  std::vector<std::string> args;
  std::function<bool(const ObjModel&)> pick;
};

bool AuthorHolds(const std::string& record, const std::string& part, bool matchCase = false) {
  return Holds(record.empty() ? SearchCorpusDb::kCurrentUser : record, part, matchCase);
}

const std::vector<FilterCase>& FilterCases() {
  static const std::vector<FilterCase> cases = {
      {"one keyword", {"--keyword", "even"}, [](auto& o) { return Has(o.keywords, "even"); }},
      {"either keyword",
       {"--keyword", "tri", "--keyword", "Even"},
       [](auto& o) { return Has(o.keywords, "tri") || Has(o.keywords, "Even"); }},
      {"keyword case counts",
       {"--keyword", "Even"},
       [](auto& o) { return Has(o.keywords, "Even"); }},
      {"comment, any case",
       {"--text", "ZINC", "--field", "comment"},
       [](auto& o) { return o.comments.size() > 1 && Holds(o.comments[1], "zinc"); }},
      {"comment, case counts",
       {"--text", "zinc", "--field", "comment", "--match-case"},
       [](auto& o) { return o.comments.size() > 1 && Holds(o.comments[1], "zinc", true); }},
      {"user field",
       {"--text", "heidelberg", "--field", "Lab", "--match-case"},
       [](auto& o) {
         return o.fields.count("Lab") && Holds(o.fields.at("Lab")[0], "heidelberg", true);
       }},
      {"number field",
       {"--text", "1", "--field", "Score"},
       [](auto& o) { return o.fields.count("Score") && Holds(o.fields.at("Score")[0], "1"); }},
      {"author, missing ones are the current user",
       {"--text", "person", "--field", "author"},
       [](auto& o) { return AuthorHolds(o.author, "person"); }},
      {"author organisation",
       {"--text", "analytical", "--field", "author"},
       [](auto& o) { return o.authorOrg == "Analytical"; }},
      {"original author",
       {"--text", "Hopper", "--field", "original-author", "--match-case"},
       [](auto& o) { return AuthorHolds(o.original, "Hopper", true); }},
      {"several fields and substrings",
       {"--text", "lovelace", "--text", "north", "--field", "author", "--field", "Lab"},
       [](auto& o) {
         return AuthorHolds(o.author, "lovelace") ||
                (o.fields.count("Lab") && Holds(o.fields.at("Lab")[0], "north"));
       }},
      {"description",
       {"--text", "cytochrome", "--field", "description"},
       [](auto& o) { return Holds(o.description, "cytochrome"); }},
      {"name", {"--name", "blastn"}, [](auto& o) { return Holds(o.name, "blastn", true); }},
      {"name, case counts",
       {"--name", "BLASTN"},
       [](auto& o) { return Holds(o.name, "BLASTN", true); }},
      {"1-10 hits", {"--hits", "1-10"}, [](auto& o) { return o.hits >= 1 && o.hits <= 10; }},
      {"11-100 hits", {"--hits", "11-100"}, [](auto& o) { return o.hits >= 11 && o.hits <= 100; }},
      {"over 100 or few hits",
       {"--hits", "101-", "--hits", "1-10"},
       [](auto& o) { return o.hits >= 101 || (o.hits >= 1 && o.hits <= 10); }},
      {"all three filters",
       {"--name", "_", "--hits", "1-10", "--hits", "11-100", "--keyword", "even", "--keyword",
        "tri", "--text", "heidelberg", "--field", "Lab"},
       [](auto& o) {
         return Holds(o.name, "_", true) && o.hits >= 1 && o.hits <= 100 &&
                (Has(o.keywords, "even") || Has(o.keywords, "tri")) && o.fields.count("Lab");
       }},
  };
  return cases;
}

TEST_F(SearchCorpusTest, EachFilterAndAllTogetherFindWhatTheObjectsHold) {
  std::size_t nonTrivial = 0;
  for (const FilterCase& c : FilterCases()) {
    SCOPED_TRACE(c.label);
    const std::set<std::string> expected = m_db->Expected(c.pick);
    std::vector<std::string> args = {"search", "--json"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    std::string out, err;
    const int status = m_db->Run(args, &out, &err);
    EXPECT_EQ(JsonNames(out), expected) << err;
    EXPECT_EQ(status, expected.empty() ? 1 : 0) << err;
    if (expected.empty()) {
      EXPECT_NE(err.find("No BLAST Result Found"), std::string::npos) << err;
    }
    if (!expected.empty() && expected.size() < m_db->m_objects.size()) ++nonTrivial;
  }
  // The set-up must leave most cases able to tell a wrong filter from a right one.
  EXPECT_GE(nonTrivial, FilterCases().size() - 2);
}

TEST_F(SearchCorpusTest, IntoStoresTheMatchesAndASecondSearchReplacesThem) {
  std::string err;
  ASSERT_EQ(m_db->Run({"search", "--keyword", "even", "--into", "picked"}, nullptr, &err), 0);
  const auto even = m_db->Expected([](auto& o) { return Has(o.keywords, "even"); });
  EXPECT_NE(err.find(std::to_string(even.size()) +
                     " BLAST Result Found And Entered Into 'picked' Subbase"),
            std::string::npos)
      << err;
  std::vector<std::string> names;
  ASSERT_TRUE(blastSearch().SubbaseObjectNames(1, "picked", names));
  EXPECT_EQ(std::set<std::string>(names.begin(), names.end()), even);

  ASSERT_EQ(m_db->Run({"search", "--keyword", "tri", "--into", "picked"}), 0);
  names.clear();
  ASSERT_TRUE(blastSearch().SubbaseObjectNames(1, "picked", names));
  EXPECT_EQ(std::set<std::string>(names.begin(), names.end()),
            m_db->Expected([](auto& o) { return Has(o.keywords, "tri"); }));

  // Searching inside the subbase finds only its objects; "main" in any case is the table.
  std::string out;
  m_db->Run({"search", "--json", "--in", "picked", "--keyword", "even"}, &out);
  EXPECT_EQ(JsonNames(out), m_db->Expected([](auto& o) {
    return Has(o.keywords, "tri") && Has(o.keywords, "even");
  }));
  for (const char* main : {"main", "Main", "MAIN", ""}) {
    m_db->Run({"search", "--json", "--in", main, "--keyword", "even"}, &out);
    EXPECT_EQ(JsonNames(out), even) << main;
  }
}

TEST_F(SearchCorpusTest, WithoutIntoOrTerminalNothingIsCreated) {
  const std::size_t before = blastSearch().getsblist(1).GetCount();
  std::string out, err;
  EXPECT_EQ(m_db->Run({"search", "--keyword", "even"}, &out, &err), 0);
  EXPECT_EQ(blastSearch().getsblist(1).GetCount(), before);
  // The matches as `list` shows them: a heading, then one line each.
  const auto even = m_db->Expected([](auto& o) { return Has(o.keywords, "even"); });
  EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), static_cast<long>(even.size() + 1));
  for (const auto& name : even) EXPECT_NE(out.find(name), std::string::npos) << name;
  EXPECT_EQ(err.find("Entered Into"), std::string::npos);
}

}  // namespace

}  // namespace blastsearch
