// The search narrowed by the storage's indexes against the walk of every
// object: the same results, message and outcome for every kind of filter
// and their combinations, with only the candidates loaded, on each storage.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <numeric>

#include "SearchCorpusDb.h"
#include "SearchProbes.h"
#include "search/SearchFilters.h"
#include "search/SearchRun.h"

namespace blastsearch {

namespace {

struct CNarrowCase {
  const char* label;
  std::function<void(CAttribFilter&, CContextFilter&, CKeywordFilter&)> set;
  std::string lookIn;
  // Only objects that pass are loaded (the index is exact for the case).
  bool loadsOnlyMatches;
};

std::vector<CNarrowCase> NarrowCases() {
  return {
      {"keyword", [](auto&, auto&, auto& k) { k.m_keywords = {"tri"}; }, "", true},
      {"keywords differing in case",
       [](auto&, auto&, auto& k) {
         k.m_keywords = {"Even", "nobody has it"};
       },
       "", true},
      {"field text",
       [](auto&, auto& t, auto&) {
         t.m_udfNames = {"Lab"};
         t.m_substrings = {"NORTH"};
       },
       "", true},
      {"field text, case counts",
       [](auto&, auto& t, auto&) {
         t.m_udfNames = {"Lab"};
         t.m_substrings = {"Heidel"};
         t.m_bMatchCase = 1;
       },
       "", false},
      {"description",
       [](auto&, auto& t, auto&) {
         t.m_fieldCodes = {"263"};
         t.m_substrings = {"cytochrome", "xyz"};
       },
       "", true},
      {"comment",
       [](auto&, auto& t, auto&) {
         t.m_fieldCodes = {"248"};
         t.m_substrings = {"zinc"};
       },
       "", true},
      {"author (not indexed: every object is read)",
       [](auto&, auto& t, auto&) {
         t.m_fieldCodes = {"255", "248"};
         t.m_substrings = {"lovelace"};
       },
       "", false},
      {"hit counts", [](auto& a, auto&, auto&) { a.m_bUpTo10 = a.m_bOver100 = 1; }, "", true},
      {"name and keyword",
       [](auto& a, auto&, auto& k) {
         a.m_queryName = "_";
         k.m_keywords = {"even"};
       },
       "", true},
      {"every filter in a subbase",
       [](auto& a, auto& t, auto& k) {
         a.m_b11To100 = a.m_bUpTo10 = 1;
         k.m_keywords = {"even", "tri"};
         t.m_udfNames = {"Lab"};
         t.m_substrings = {"heidelberg"};
       },
       "picked", false},
      {"short text and a keyword",
       [](auto&, auto& t, auto& k) {
         t.m_udfNames = {"Lab"};
         t.m_substrings = {"he"};
         k.m_keywords = {"tri"};
       },
       "", false},
  };
}

class SearchNarrowingTest : public ::testing::TestWithParam<std::string> {
 protected:
  void SetUp() override {
    SKIP_WITHOUT_CORPUS();
    std::string whyNot;
    m_db = SearchCorpusDb::Get(GetParam(), &whyNot);
    if (m_db == nullptr) GTEST_SKIP() << whyNot;
    m_db->Open();
    std::vector<std::string> some;
    for (std::size_t i = 0; i < m_db->m_objects.size(); i += 2) {
      some.push_back(m_db->m_objects[i].name);
    }
    ASSERT_EQ(blastSearch().NewSubbase(1, "picked", some, 1), 1);
  }
  struct CRun {
    std::vector<std::string> results;
    std::vector<std::string> messages;
    CSearchRun::EOutcome outcome;
    int loads;
  };
  CRun Run(const CNarrowCase& c, bool narrow) {
    CProbeTable probe;
    CScriptedUserInteraction ui;
    CAttribFilter attrib;
    CContextFilter text;
    CKeywordFilter keyword;
    attrib.m_bEnabled = text.m_bEnabled = keyword.m_bEnabled = 1;
    c.set(attrib, text, keyword);
    CSearchRun run(15, 1);
    run.AddFilter(&attrib);
    run.AddFilter(&text);
    run.AddFilter(&keyword);
    run.m_lookInSubbase = c.lookIn;
    run.m_bNarrow = narrow;
    run.OnStartSearch();
    CRun done{run.m_results, {}, run.m_outcome, 0};
    for (const auto& m : ui.Messages()) done.messages.push_back(m.strText);
    for (const auto& [name, count] : probe.m_loads) done.loads += count;
    return done;
  }
  SearchCorpusDb* m_db = nullptr;
};

TEST_P(SearchNarrowingTest, NarrowedSearchesFindWhatTheWalkFindsLoadingOnlyCandidates) {
  for (const CNarrowCase& c : NarrowCases()) {
    SCOPED_TRACE(c.label);
    const CRun walk = Run(c, false);
    const CRun narrowed = Run(c, true);
    EXPECT_EQ(narrowed.results, walk.results);
    EXPECT_EQ(narrowed.messages, walk.messages);
    EXPECT_EQ(narrowed.outcome, walk.outcome);
    EXPECT_LE(narrowed.loads, walk.loads);
    if (c.loadsOnlyMatches) {
      EXPECT_EQ(narrowed.loads,
                static_cast<int>(narrowed.results.size()) * (narrowed.loads > 0 ? 1 : 0));
    }
  }
}

TEST_P(SearchNarrowingTest, AKeywordSearchLoadsOnlyTheObjectsCarryingIt) {
  CNarrowCase keyword{"tri", [](auto&, auto&, auto& k) { k.m_keywords = {"tri"}; }, "", true};
  const CRun narrowed = Run(keyword, true);
  const std::set<std::string> carrying =
      m_db->Expected([](const ObjModel& o) { return Has(o.keywords, "tri"); });
  ASSERT_FALSE(carrying.empty());
  EXPECT_EQ(narrowed.loads, static_cast<int>(carrying.size()));
  EXPECT_LT(carrying.size(), m_db->m_objects.size());
}

INSTANTIATE_TEST_SUITE_P(Backends, SearchNarrowingTest, ::testing::ValuesIn(StorageBackendNames()),
                         BackendTestName);

// A comment search for "quasar", walked and narrowed.
CNarrowCase QuasarCase() {
  return {"quasar",
          [](auto&, auto& t, auto&) {
            t.m_fieldCodes = {"248"};
            t.m_substrings = {"quasar"};
          },
          "", true};
}

// A local database keeps comments as files beside it, which anyone may edit.
class SearchCommentFileTest : public SearchNarrowingTest {};

TEST_P(SearchCommentFileTest, CommentFilesChangedBehindTheProgramsBackAreFoundAsTheyAreNow) {
  const ObjModel& object = m_db->m_objects[1];  // no comment of its own
  CStoredObject row;
  ASSERT_TRUE(engine().Storage(1)->FindObjectByName(201, object.name, &row));
  const std::string file = engine().MakeCommentFileName(15, row.m_recordId, 1).GetPath();
  const auto write = [&](const std::string& text) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << text;
  };
  const CNarrowCase quasar = QuasarCase();
  const auto check = [&](const std::vector<std::string>& expected) {
    const CRun walk = Run(quasar, false);
    const CRun narrowed = Run(quasar, true);
    EXPECT_EQ(walk.results, expected);
    EXPECT_EQ(narrowed.results, expected);
    EXPECT_EQ(narrowed.loads, static_cast<int>(expected.size()));
  };
  write("first line\na bright Quasar\n");
  check({object.name});
  write("first line\na bright Pulsar\n");  // the same size: told by its time
  check({});
  write("quasar again");
  check({object.name});
  std::filesystem::remove(file);
  check({});
}

INSTANTIATE_TEST_SUITE_P(Local, SearchCommentFileTest, ::testing::Values("sqlite"),
                         BackendTestName);

// A server database keeps comments in itself: what a client stores, by the
// command or through the storage, the next search finds, and a changed or
// removed comment no longer matches.
class SearchServerCommentTest : public SearchNarrowingTest {};

TEST_P(SearchServerCommentTest, CommentsStoredInTheServerAreFoundAsTheyAreNow) {
  const ObjModel& object = m_db->m_objects[1];  // no comment of its own
  ASSERT_TRUE(object.comments.empty());
  const auto check = [&](const std::vector<std::string>& expected) {
    const CRun walk = Run(QuasarCase(), false);
    const CRun narrowed = Run(QuasarCase(), true);
    EXPECT_EQ(walk.results, expected);
    EXPECT_EQ(narrowed.results, expected);
    EXPECT_EQ(narrowed.loads, static_cast<int>(expected.size()));
  };
  const auto store = [&](const std::vector<std::string>& lines) {
    CStoredObject row;
    CDBStorage* storage = engine().Storage(1);
    ASSERT_TRUE(storage->KeepsComments());
    ASSERT_TRUE(storage->FindObjectByName(201, object.name, &row));
    storage->SetCommentLines(201, row.m_recordId, lines);
  };
  ASSERT_EQ(m_db->Run({"comment", "set", object.name, "first line\na bright Quasar"}), 0);
  check({object.name});
  ASSERT_EQ(m_db->Run({"comment", "set", object.name, "first line\na bright Pulsar"}), 0);
  check({});
  store({"stored directly", "QUASAR at the end"});
  check({object.name});
  store({});
  check({});
  ASSERT_EQ(m_db->Run({"comment", "set", object.name, "quasar"}), 0);
  check({object.name});
  ASSERT_EQ(m_db->Run({"comment", "set", object.name, ""}), 0);
  check({});
}

INSTANTIATE_TEST_SUITE_P(Server, SearchServerCommentTest, ::testing::Values("postgres"),
                         BackendTestName);

}  // namespace

}  // namespace blastsearch
