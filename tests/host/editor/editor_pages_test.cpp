// The host's object editor without a table or database: what each page
// writes back into an object and the change bits it answers, the comment's
// line splitting, the sheet's title, first page and runner.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "host/db/DBObjectBase.h"
#include "host/editor/EditCommentsPage.h"
#include "host/editor/EditKeywordsPage.h"
#include "host/editor/EditorPropSheet.h"
#include "host/editor/ScriptedSheetRunner.h"
#include "platform/UserInteraction.h"

namespace blastsearch {

namespace {

// A plain object of the database framework, stored nowhere.
class CPlainObject : public CDBObjectBase {
 public:
  CPlainObject() : CDBObjectBase(91) {}
  CDBObjectBase* Clone() const override { return new CPlainObject(*this); }
  int GetObjectType() const override { return 91; }
};

TEST(EditKeywordsPage, EditsAndAnswersAChangeOnlyWhenTheKeywordsDiffer) {
  const struct {
    std::vector<std::string> before;
    std::vector<std::string> edited;  // m_keywords as the person left them
    std::vector<std::string> after;
    int bits;
  } cases[] = {
      {{}, {}, {}, 0},
      {{"a"}, {"a"}, {"a"}, 0},
      {{"a"}, {"a", ""}, {"a"}, 0},  // an empty keyword is dropped
      {{"a"}, {"a", "b"}, {"a", "b"}, kEditKeywordsChanged},
      {{"a", "b"}, {"b"}, {"b"}, kEditKeywordsChanged},
      {{"a", "b"}, {"b", "a"}, {"b", "a"}, kEditKeywordsChanged},
      {{"a"}, {}, {}, kEditKeywordsChanged},
  };
  for (const auto& c : cases) {
    CPlainObject object;
    object.m_keywords = c.before;
    CEditKeywordsPage page(&object, 7);  // database 7 is not open: nothing offered
    EXPECT_EQ(page.m_keywords, c.before);
    EXPECT_TRUE(page.m_available.empty());
    page.m_keywords = c.edited;
    EXPECT_EQ(page.UpdateObject(&object), c.bits) << c.edited.size();
    EXPECT_EQ(object.m_keywords, c.after) << c.edited.size();
  }
}

TEST(EditKeywordsPage, AddsEachKeywordOnceAndRemovesOnlyWhatIsThere) {
  CEditKeywordsPage page(nullptr, 7);
  const struct {
    bool add;
    const char* keyword;
    int answer;
  } steps[] = {
      {true, "a", 1},  {true, "a", 0},  {true, "", 0},   {true, "b", 1},
      {false, "c", 0}, {false, "a", 1}, {false, "a", 0}, {true, "a", 1},
  };
  for (const auto& s : steps) {
    EXPECT_EQ(s.add ? page.AddKeyword(s.keyword) : page.RemoveKeyword(s.keyword), s.answer)
        << (s.add ? "add " : "remove ") << s.keyword;
  }
  EXPECT_EQ(page.m_keywords, (std::vector<std::string>{"b", "a"}));
  EXPECT_EQ(page.UpdateObject(nullptr), 0);
}

TEST(EditCommentsPage, SplitsTheTextIntoTheCommentsLines) {
  const struct {
    std::vector<std::string> before;
    const char* text;
    std::vector<std::string> after;
    int bits;
  } cases[] = {
      {{}, "", {}, 0},
      {{"one", "two"}, "one\ntwo", {"one", "two"}, 0},
      {{"one", "two"}, "one\r\ntwo", {"one", "two"}, 0},
      {{"one", "two", ""}, "one\ntwo\n", {"one", "two", ""}, 0},  // as the page joined them
      {{"one", "two"}, "one\r\ntwo\r\n", {"one", "two", ""}, kEditCommentChanged},
      {{}, "\n", {"", ""}, kEditCommentChanged},
      {{"one"}, "one\n\nthree", {"one", "", "three"}, kEditCommentChanged},
      {{"one"}, "", {}, kEditCommentChanged},
  };
  for (const auto& c : cases) {
    CPlainObject object;
    object.m_comments = c.before;
    CEditCommentsPage page(&object);
    page.m_text = c.text;
    EXPECT_EQ(page.UpdateObject(&object), c.bits) << c.text;
    EXPECT_EQ(object.m_comments, c.after) << c.text;
  }
}

TEST(EditorSheet, TitleFirstPageAndPages) {
  EXPECT_EQ(EditorSheetTitle(1, "", 0), "New Object");
  EXPECT_EQ(EditorSheetTitle(1, "n", 2), "New Object: n");
  EXPECT_EQ(EditorSheetTitle(0, "n", 1), "Object Properties: n");
  const struct {
    int isNew, kind, page;
  } firstPages[] = {{1, 3, 0}, {0, 0, 0}, {0, 3, 3}, {0, 4, 0}, {0, -1, 0}};
  for (const auto& f : firstPages) {
    EXPECT_EQ(EditorSheetDefPage(f.isNew, f.kind), f.page) << f.isNew << ' ' << f.kind;
  }

  CEditCommentsPage comments(nullptr);
  CEditKeywordsPage keywords(nullptr, 7);
  for (int first : {0, 1, 2, -1}) {
    CEditorPropSheet sheet("t", nullptr, first);
    sheet.AddPage(&comments);
    sheet.AddPage(nullptr);
    sheet.AddPage(&keywords);
    EXPECT_EQ(sheet.GetPageCount(), 2);
    EXPECT_EQ(sheet.GetPage(2), nullptr);
    EXPECT_EQ(sheet.FindPage<CEditKeywordsPage>(), &keywords);
    EXPECT_EQ(sheet.GetFirstPage(), first == 1 ? 1 : 0) << first;
  }
}

TEST(EditorSheet, RunsThroughTheInstalledRunnerAndCancelsWithoutOne) {
  CEditorPropSheet sheet("title", nullptr, 0);
  EXPECT_EQ(OrvDoModal(sheet), IDCANCEL);  // none installed
  {
    CScriptedSheetRunner runner;
    runner.QueueAnswer(IDOK);
    runner.Queue([](CEditorPropSheet&) -> int { throw std::runtime_error("a failing face"); });
    EXPECT_EQ(OrvDoModal(sheet), IDOK);
    EXPECT_EQ(OrvDoModal(sheet), IDCANCEL);  // the runner threw
    EXPECT_EQ(OrvDoModal(sheet), IDCANCEL);  // nothing queued
    EXPECT_EQ(runner.Titles(), (std::vector<std::string>{"title", "title", "title"}));
  }
  EXPECT_EQ(EditorSheetRunner(), nullptr);
}

}  // namespace

}  // namespace blastsearch
