// The search run: its messages, prompt and progress, the subbase it fills,
// the order in which filters are asked, and the table's search command.
#include <gtest/gtest.h>

#include "SearchCorpusDb.h"
#include "SearchProbes.h"
#include "host/db/DBFunctions.h"
#include "search/SearchFilters.h"
#include "search/SearchRun.h"
#include "search/TableSearch.h"

namespace blastsearch {

namespace {

class SearchRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SKIP_WITHOUT_CORPUS();
    m_db = SearchCorpusDb::Get();
    ASSERT_NE(m_db, nullptr);
    m_db->Open();
    m_keyword.m_bEnabled = 1;
    m_keyword.m_keywords = {"tri"};
  }
  std::vector<std::string> Texts() const {
    std::vector<std::string> texts;
    for (const auto& m : m_ui.Messages()) texts.push_back(m.strText);
    return texts;
  }
  std::vector<std::string> SubbaseNames(const std::string& subbase) {
    std::vector<std::string> names;
    EXPECT_TRUE(blastSearch().SubbaseObjectNames(1, subbase, names)) << subbase;
    return names;
  }

  SearchCorpusDb* m_db = nullptr;
  CScriptedUserInteraction m_ui;
  CKeywordFilter m_keyword;
};

struct FailureCase {
  const char* label;
  int objType;
  std::string lookIn;
  bool active;
  std::vector<std::string> messages;
  CSearchRun::EOutcome outcome;
};

TEST_F(SearchRunTest, EveryFailureIsReportedAsTheRunSays) {
  ASSERT_EQ(blastSearch().NewSubbase(1, "empty one", {}, 1), 1);
  const std::vector<FailureCase> cases = {
      {"no active filter",
       15,
       "",
       false,
       {"Search Result: All BLAST Result of MAIN Subbase"},
       CSearchRun::kAllObjects},
      {"no active filter, main in lower case",
       15,
       "main",
       false,
       {"Search Result: All BLAST Result of MAIN Subbase"},
       CSearchRun::kAllObjects},
      {"no active filter, a subbase",
       15,
       "empty one",
       false,
       {"Search Result: All BLAST Result of empty one Subbase"},
       CSearchRun::kAllObjects},
      {"no table for the type", 99, "", true, {}, CSearchRun::kNoTables},
      {"missing subbase",
       15,
       "no such",
       true,
       {"Specified Subbase is Empty or Doesn't Exist"},
       CSearchRun::kEmptySubbase},
      {"empty subbase",
       15,
       "empty one",
       true,
       {"Specified Subbase is Empty or Doesn't Exist"},
       CSearchRun::kEmptySubbase},
  };
  const std::size_t subbases = blastSearch().getsblist(1).GetCount();
  for (const FailureCase& c : cases) {
    SCOPED_TRACE(c.label);
    CScriptedUserInteraction ui;
    m_keyword.m_bEnabled = c.active ? 1 : 0;
    CSearchRun run(c.objType, 1);
    run.AddFilter(&m_keyword);
    run.m_lookInSubbase = c.lookIn;
    run.OnStartSearch();
    EXPECT_EQ(run.m_outcome, c.outcome);
    std::vector<std::string> texts;
    for (const auto& m : ui.Messages()) {
      texts.push_back(m.strText);
      EXPECT_EQ(m.nStyle, unsigned{MB_ICONINFORMATION});
    }
    EXPECT_EQ(texts, c.messages);
    EXPECT_TRUE(ui.Edits().empty());
    if (!ui.ProgressLog().empty()) {
      EXPECT_EQ(ui.ProgressLog().back(), "close");
    }
    EXPECT_EQ(blastSearch().getsblist(1).GetCount(), subbases);
  }
}

TEST_F(SearchRunTest, NothingFoundAndCancelledPromptsStoreNothing) {
  const std::size_t subbases = blastSearch().getsblist(1).GetCount();
  {
    CKeywordFilter none;
    none.m_bEnabled = 1;
    none.m_keywords = {"nobody has this"};
    CSearchRun run(15, 1);
    run.AddFilter(&none);
    run.OnStartSearch();
    EXPECT_EQ(run.m_outcome, CSearchRun::kNothingFound);
    EXPECT_EQ(Texts(), std::vector<std::string>{"No BLAST Result Found"});
    EXPECT_TRUE(m_ui.Edits().empty());
  }
  for (bool answerEmpty : {false, true}) {
    CScriptedUserInteraction ui;
    if (answerEmpty) ui.QueueText("");
    CSearchRun run(15, 1);
    run.AddFilter(&m_keyword);
    run.OnStartSearch();
    EXPECT_EQ(run.m_outcome, CSearchRun::kNotNamed);
    EXPECT_TRUE(ui.Messages().empty());
    EXPECT_EQ(ui.Edits().size(), 1u);
    EXPECT_TRUE(run.m_resultSubbase.empty());
  }
  EXPECT_EQ(blastSearch().getsblist(1).GetCount(), subbases);
}

TEST_F(SearchRunTest, ObjectListThatCannotBeReadEndsSilently) {
  CProbeTable probe;
  probe.m_bRefuseList = true;
  // A filter the storage cannot narrow: the run walks the object list.
  CProbeFilter any([](const CObjInfo&) { return true; });
  CSearchRun run(15, 1);
  run.AddFilter(&any);
  run.OnStartSearch();
  EXPECT_EQ(run.m_outcome, CSearchRun::kNoObjectList);
  EXPECT_TRUE(m_ui.Messages().empty());
  ASSERT_FALSE(m_ui.ProgressLog().empty());
  EXPECT_EQ(m_ui.ProgressLog().back(), "close");
}

TEST_F(SearchRunTest, FoundObjectsGoIntoTheNamedSubbaseWithPromptAndProgress) {
  m_ui.QueueText("tri results");
  CSearchRun run(15, 1);
  run.AddFilter(&m_keyword);
  // The walk of every object, which the progress window follows object by
  // object (search_narrowing_test compares the indexed search with it).
  run.m_bNarrow = false;
  run.OnStartSearch();
  const auto tri = m_db->Expected([](auto& o) { return Has(o.keywords, "tri"); });
  ASSERT_EQ(run.m_outcome, CSearchRun::kStored);
  EXPECT_EQ(run.m_resultSubbase, "tri results");
  EXPECT_EQ(Texts(), std::vector<std::string>{std::to_string(tri.size()) +
                                              " BLAST Result Found And Entered Into 'tri "
                                              "results' Subbase"});
  EXPECT_EQ(m_ui.Messages()[0].nStyle, unsigned{MB_ICONINFORMATION});
  ASSERT_EQ(m_ui.Edits().size(), 1u);
  EXPECT_EQ(m_ui.Edits()[0], (std::pair<std::string, std::string>{"Add New BLAST Result Subbase",
                                                                  "Search Results"}));
  const auto names = SubbaseNames("tri results");
  EXPECT_EQ(std::set<std::string>(names.begin(), names.end()), tri);

  // The progress window: titled, sorting first, then every object of the table in list order.
  const auto& log = m_ui.ProgressLog();
  ASSERT_GE(log.size(), 4u);
  EXPECT_EQ(log[0], "open");
  EXPECT_EQ(log[1], "title:Searching...");
  EXPECT_EQ(log[2], "message:Sorting Data...");
  EXPECT_EQ(log.back(), "close");
  std::vector<std::string> shown(log.begin() + 3, log.end() - 1), listed;
  for (const auto& info : blastSearch().getobjlist(1)) listed.push_back("message:" + info->m_name);
  EXPECT_EQ(shown, listed);
}

TEST_F(SearchRunTest, ChosenNamesAreCutToTheHostsLengthAndMainIsRefused) {
  struct NameCase {
    std::string answer, stored;
  };
  const std::string a300(300, 'a');
  const std::string utf8 = std::string(249, 'b') + "\xC3\xA9" + "tail";  // é straddles 250
  for (const NameCase& c :
       {NameCase{a300, a300.substr(0, 250)}, NameCase{utf8, utf8.substr(0, 249)}}) {
    CScriptedUserInteraction ui;
    ui.QueueText(c.answer);
    CSearchRun run(15, 1);
    run.AddFilter(&m_keyword);
    run.OnStartSearch();
    EXPECT_EQ(run.m_resultSubbase, c.stored);
    EXPECT_NE(blastSearch().getsblist(1).FindByName(c.stored), nullptr);
    EXPECT_EQ(blastSearch().getsblist(1).FindByName(c.answer), nullptr);
  }
  // A name the host refuses is reported by the host, never as a success.
  CScriptedUserInteraction ui;
  ui.QueueText("MAIN");
  CSearchRun run(15, 1);
  run.AddFilter(&m_keyword);
  run.m_resultSubbase = "earlier";
  run.OnStartSearch();
  EXPECT_EQ(run.m_outcome, CSearchRun::kNotStored);
  EXPECT_EQ(run.m_resultSubbase, "earlier");
  for (const auto& m : ui.Messages())
    EXPECT_EQ(m.strText.find("Found And Entered"), std::string::npos);
}

TEST_F(SearchRunTest, AFilterIsNeverAskedAboutAnObjectThatFailedAnEarlierOne) {
  CProbeFilter first(
      [](const CObjInfo& i) { return i.m_name.find("blastp") != std::string::npos; });
  CProbeFilter inactive([](const CObjInfo&) { return false; }, 0);
  CProbeFilter second([](const CObjInfo& i) { return i.m_tableNumber > 0; });
  CSearchRun run(15, 1);
  for (CSearchFilter* f : std::initializer_list<CSearchFilter*>{&first, &inactive, &second}) {
    run.AddFilter(f);
  }
  run.OnStartSearch();
  std::vector<std::string> passedFirst, passedBoth;
  for (const auto& info : blastSearch().getobjlist(1)) {
    if (info->m_name.find("blastp") == std::string::npos) continue;
    passedFirst.push_back(info->m_name);
    if (info->m_tableNumber > 0) passedBoth.push_back(info->m_name);
  }
  EXPECT_EQ(first.m_asked.size(), blastSearch().getobjlist(1).GetCount());
  EXPECT_TRUE(inactive.m_asked.empty());
  EXPECT_EQ(second.m_asked, passedFirst);
  EXPECT_EQ(run.m_results, passedBoth);
  ASSERT_FALSE(passedBoth.empty());
}

TEST_F(SearchRunTest, ObjectDataIsLoadedOnceAndNeverForTheAttributeFilter) {
  CProbeTable probe;
  CAttribFilter attrib;
  attrib.m_bEnabled = 1;
  attrib.m_b11To100 = 1;
  CContextFilter text;
  text.m_bEnabled = 1;
  text.m_substrings = {"zinc"};
  text.m_fieldCodes = {"255", "248"};
  {
    CSearchRun run(15, 1);
    run.AddFilter(&attrib);
    run.OnStartSearch();
    EXPECT_TRUE(probe.m_loads.empty());
    EXPECT_EQ(probe.m_nRecordsRead, 0);
    EXPECT_EQ(run.m_results.size(),
              m_db->Expected([](auto& o) { return o.hits >= 11 && o.hits <= 100; }).size());
  }
  CSearchRun run(15, 1);
  run.AddFilter(&m_keyword);
  run.AddFilter(&text);
  run.m_bNarrow = false;  // every object tested, each loaded once
  run.OnStartSearch();
  EXPECT_EQ(probe.m_loads.size(), m_db->m_objects.size());
  for (const auto& [name, loads] : probe.m_loads) EXPECT_EQ(loads, 1) << name;
  const auto expected = m_db->Expected([](auto& o) {
    return Has(o.keywords, "tri") && o.comments.size() > 1 && Holds(o.comments[1], "zinc");
  });
  EXPECT_EQ(std::set<std::string>(run.m_results.begin(), run.m_results.end()), expected);
  EXPECT_FALSE(expected.empty());
}

// The table's search command, with a stand-in for the dialog.
struct DialogScript {
  static inline std::vector<CSearchFilter*> filters;
  static inline std::string lookIn;
  static int SearchTwiceThenOk(CSearchRun& run) {
    filters = run.m_filters;
    lookIn = run.m_lookInSubbase;
    for (const char* name : {"first", "second"}) {
      CScriptedUserInteraction ui;
      ui.QueueText(name);
      TextSearchFilter().m_bEnabled = 0;  // earlier searches of this program left settings
      KeywordSearchFilter().m_bEnabled = 0;
      AttribSearchFilter().m_bEnabled = 1;
      AttribSearchFilter().m_queryName = "blastx";
      run.OnStartSearch();
    }
    return 1;
  }
  static int Close(CSearchRun&) { return 2; }
};

TEST_F(SearchRunTest, TheTablesSearchCommandRunsTheDialogOverTheThreeFilters) {
  std::string result = "stale";
  SetSearchDialogRunner(nullptr);
  EXPECT_EQ(blastSearch().SearchForObjects(1, "", result), 0);
  EXPECT_EQ(result, "");

  SetSearchDialogRunner(&DialogScript::SearchTwiceThenOk);
  EXPECT_EQ(blastSearch().SearchForObjects(1, "", result), 1);
  EXPECT_EQ(result, "second");
  EXPECT_EQ(DialogScript::filters,
            (std::vector<CSearchFilter*>{&AttribSearchFilter(), &TextSearchFilter(),
                                         &KeywordSearchFilter()}));
  EXPECT_EQ(DialogScript::lookIn, "MAIN");
  EXPECT_EQ(SubbaseNames("second").size(),
            m_db->Expected([](auto& o) { return Holds(o.name, "blastx", true); }).size());

  // The filters keep their settings from one search command to the next.
  SetSearchDialogRunner(&DialogScript::Close);
  EXPECT_EQ(blastSearch().SearchForObjects(1, "", result), 0);
  EXPECT_EQ(result, "");
  EXPECT_EQ(AttribSearchFilter().m_queryName, "blastx");
  SetSearchDialogRunner(nullptr);
  AttribSearchFilter().m_bEnabled = 0;
}

TEST(SearchRunEmptyDatabaseTest, AnEmptyTableSaysSo) {
  const auto dir =
      std::filesystem::temp_directory_path() / ("blastsearch-empty-" + std::to_string(::getpid()));
  engine().OpenDatabase(dir.string(), 1);
  CScriptedUserInteraction ui;
  CKeywordFilter keyword;
  keyword.m_bEnabled = 1;
  keyword.m_keywords = {"x"};
  CSearchRun run(15, 1);
  run.AddFilter(&keyword);
  run.m_lookInSubbase = "Main";
  run.OnStartSearch();
  engine().CloseDatabase(1);
  std::filesystem::remove_all(dir);
  EXPECT_EQ(run.m_outcome, CSearchRun::kEmptySubbase);
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].strText, "Database Contains No BLAST Result");
  EXPECT_EQ(ui.Messages()[0].nStyle, unsigned{MB_ICONINFORMATION});
}

}  // namespace

}  // namespace blastsearch
