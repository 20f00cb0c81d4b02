// The object editor of the BLAST search table, run by a scripted sheet
// runner on a real database: what is stored, when, and how the editor
// reopens.
#include <gtest/gtest.h>

#include <memory>

#include "host/db/DBEngine.h"
#include "host/db/DBFunctions.h"
#include "host/editor/EditCommentsPage.h"
#include "host/editor/EditGeneralPage.h"
#include "host/editor/EditKeywordsPage.h"
#include "host/editor/EditUDFieldsPage.h"
#include "host/editor/ScriptedSheetRunner.h"
#include "platform/UserInteraction.h"
#include "support/TempDatabase.h"
#include "table/BlastSearchTable.h"
#include "table/EditBlastSearchPage.h"

namespace blastsearch {

namespace {

// Reaches the table's editor of an object in memory.
struct CTableAccess : CBlastSearchTable {
  static int Edit(CBlastSearchTable& table, CBlastSearchObject* object, std::string& subbase,
                  int isNew) {
    using Form = int (CBlastSearchTable::*)(CBlastSearchObject*, std::string&, int);
    return (table.*static_cast<Form>(&CTableAccess::EditLocalObject))(object, subbase, isNew);
  }
};

class EditorTest : public ::testing::Test {
 protected:
  // Stores a result named `name` and answers its list record.
  CObjInfo* StoreResult(const std::string& name) {
    CBlastSearchObject object;
    object.m_name = name;
    object.m_creationTime = 1000;
    object.Entry().m_Mol.m_strName = "query";
    std::string out;
    EXPECT_EQ(m_table.AddNewObject(&object, "MAIN", out, 1), 1);
    return m_table.getobjlist(1).FindById(object.m_recordId);
  }
  std::string RecordOf(unsigned long recordId) {
    std::string record;
    (void)engine().Storage(1)->ReadRecord(201, recordId, record);  // none: empty
    return record;
  }
  std::unique_ptr<CBlastSearchObject> Stored(const std::string& name) {
    return std::unique_ptr<CBlastSearchObject>(
        dynamic_cast<CBlastSearchObject*>(m_table.GetObjectData(name.c_str(), 1)));
  }
  int EditNew(CBlastSearchObject& object) {
    std::string subbase = "MAIN";
    return CTableAccess::Edit(m_table, &object, subbase, 1);
  }
  std::vector<std::string> MessageTexts() const {
    std::vector<std::string> texts;
    for (const auto& message : m_ui.Messages()) texts.push_back(message.strText);
    return texts;
  }

  CScriptedUserInteraction m_ui;
  CScriptedSheetRunner m_runner;
  CTempDatabase m_db;
  CBlastSearchTable& m_table = blastSearch();
};

template <typename Page>
Page& PageOf(CEditorPropSheet& sheet) {
  Page* page = sheet.FindPage<Page>();
  if (page == nullptr) throw std::runtime_error("the sheet lacks a page");
  return *page;
}

TEST_F(EditorTest, TheSheetHoldsTheHostPagesAndTheGeneralPageTheResultPage) {
  CObjInfo* info = StoreResult("BRCA1 hits");
  std::vector<std::string> order;
  m_runner.Queue([&](CEditorPropSheet& sheet) {
    for (int i = 0; i < sheet.GetPageCount(); ++i) {
      CEditObjectPage* page = sheet.GetPage(i);
      if (dynamic_cast<CEditGeneralPage*>(page)) order.push_back("general");
      if (dynamic_cast<CEditUDFieldsPage*>(page)) order.push_back("fields");
      if (dynamic_cast<CEditCommentsPage*>(page)) order.push_back("comments");
      if (dynamic_cast<CEditKeywordsPage*>(page)) order.push_back("keywords");
    }
    auto& general = PageOf<CEditGeneralPage>(sheet);
    EXPECT_EQ(general.GetSheet(), &sheet);
    EXPECT_EQ(general.m_name, "BRCA1 hits");
    EXPECT_EQ(general.m_recordNumber, info->m_objId);
    EXPECT_EQ(general.m_typeName, "BLAST Result");
    EXPECT_EQ(general.m_creationTime, 1000);
    EXPECT_NE(dynamic_cast<CEditBlastSearchPage*>(general.GetExtraPage()), nullptr);
    EXPECT_EQ(sheet.GetFirstPage(), 0);
    return IDCANCEL;
  });
  EXPECT_EQ(m_table.EditLocalObject(info), 0);
  EXPECT_EQ(order, (std::vector<std::string>{"general", "fields", "comments", "keywords"}));
  EXPECT_EQ(m_runner.Titles(), (std::vector<std::string>{"Object Properties: BRCA1 hits"}));
}

TEST_F(EditorTest, TheResultPageEditsNothing) {
  CBlastSearchObject object;
  object.m_name = "kept";
  object.m_keywords = {"a"};
  CEditBlastSearchPage page(&object);
  CEditObjectPage base(1);
  EXPECT_EQ(page.GetLayoutId(), 5000);
  EXPECT_EQ(page.GetObjXType(), 41);
  EXPECT_EQ(page.UpdateObject(&object), 0);
  EXPECT_EQ(object.m_name, "kept");
  EXPECT_EQ(object.m_keywords, std::vector<std::string>{"a"});
  for (int n : {0, 1, 2, 15, -1}) EXPECT_EQ(page.NeedsChanges(n), base.NeedsChanges(n)) << n;
}

TEST_F(EditorTest, UnchangedOrCancelledEditsStoreNothing) {
  CObjInfo* info = StoreResult("stable");
  const std::string before = RecordOf(info->m_objId);
  const int changesBefore = m_table.m_objChanges;
  m_runner.QueueAnswer(IDOK);
  EXPECT_EQ(m_table.EditLocalObject(info), 1);
  m_runner.Queue([](CEditorPropSheet& sheet) {
    PageOf<CEditGeneralPage>(sheet).m_name = "renamed";
    PageOf<CEditKeywordsPage>(sheet).AddKeyword("lost");
    PageOf<CEditCommentsPage>(sheet).m_text = "lost too";
    return IDCANCEL;
  });
  EXPECT_EQ(m_table.EditLocalObject(info), 0);
  SetEditorSheetRunner(nullptr);  // no runner: the editor cannot be shown
  EXPECT_EQ(m_table.EditLocalObject(info), 0);
  SetEditorSheetRunner(&m_runner);
  EXPECT_EQ(m_table.m_objChanges, changesBefore);
  EXPECT_EQ(RecordOf(info->m_objId), before);
  EXPECT_FALSE(std::filesystem::exists(m_table.MakeCommentFileName(info->m_objId, 1).GetPath()));
  EXPECT_TRUE(m_ui.Messages().empty());

  CObjInfo gone(15, 999, "gone");
  EXPECT_EQ(m_table.EditLocalObject(&gone), 0);
  EXPECT_EQ(m_runner.Runs(), 2);  // never shown without a runner or an object
}

TEST_F(EditorTest, ANewObjectIsStoredWithAFreshCreationTimeEvenUnchanged) {
  CBlastSearchObject object;
  object.m_name = "fresh";
  object.m_creationTime = 1000;
  m_runner.QueueAnswer(IDOK);
  const long before = GetOrvCurrentTime();
  EXPECT_EQ(EditNew(object), 1);
  EXPECT_EQ(m_runner.Titles(), (std::vector<std::string>{"New Object: fresh"}));
  std::unique_ptr<CBlastSearchObject> stored = Stored("fresh");
  ASSERT_NE(stored, nullptr);
  EXPECT_GE(stored->m_creationTime, before);
  EXPECT_NE(stored->m_recordId, 0u);
  EXPECT_EQ(stored->m_localFlags & 1, 1);
  EXPECT_FALSE(stored->m_creator.IsEmpty());
}

TEST_F(EditorTest, AMissingRecordNumberIsSaidAndTheEditorReopensKeepingTheEdit) {
  CObjInfo* info = StoreResult("first name");
  const unsigned long id = info->m_objId;
  m_runner.Queue([](CEditorPropSheet& sheet) {
    auto& general = PageOf<CEditGeneralPage>(sheet);
    general.m_name = "second name";
    general.m_recordNumber = 0;
    return IDOK;
  });
  m_runner.Queue([](CEditorPropSheet& sheet) {
    EXPECT_EQ(PageOf<CEditGeneralPage>(sheet).m_name, "second name");
    return IDOK;  // nothing more changed: the first run's edit is still stored
  });
  EXPECT_EQ(m_table.EditLocalObject(info), 1);
  EXPECT_EQ(m_runner.Runs(), 2);
  ASSERT_EQ(m_ui.Messages().size(), 1u);
  EXPECT_EQ(m_ui.Messages()[0].strText, "Record Number Not Set Properly");
  EXPECT_EQ(m_ui.Messages()[0].nStyle, MB_OK);
  std::unique_ptr<CBlastSearchObject> stored = Stored("second name");
  ASSERT_NE(stored, nullptr);
  EXPECT_EQ(stored->m_recordId, id);
  EXPECT_EQ(Stored("first name"), nullptr);

  // A new object without a database to number it keeps asking until cancelled.
  engine().CloseDatabase(1);
  CBlastSearchObject orphan;
  orphan.m_name = "orphan";
  m_runner.QueueAnswer(IDOK);
  m_runner.QueueAnswer(IDCANCEL);
  EXPECT_EQ(EditNew(orphan), 0);
  EXPECT_EQ(MessageTexts().back(), "Record Number Not Set Properly");
  EXPECT_EQ(m_runner.Runs(), 4);
  m_db.Reopen();
}

TEST_F(EditorTest, AFailedStoreReopensAndTheCommentIsWrittenOnceStored) {
  CObjInfo* info = StoreResult("named");
  m_runner.Queue([](CEditorPropSheet& sheet) {
    PageOf<CEditGeneralPage>(sheet).m_name = "";  // cannot be stored
    PageOf<CEditCommentsPage>(sheet).m_text = "aligned against nr\nexpect below 1e-10";
    return IDOK;
  });
  m_runner.Queue([](CEditorPropSheet& sheet) {
    EXPECT_EQ(PageOf<CEditCommentsPage>(sheet).m_text, "aligned against nr\nexpect below 1e-10");
    PageOf<CEditGeneralPage>(sheet).m_name = "named again";
    return IDOK;
  });
  EXPECT_EQ(m_table.EditLocalObject(info), 1);
  EXPECT_EQ(m_runner.Runs(), 2);
  ASSERT_EQ(m_ui.Messages().size(), 1u);  // the store's own message, not the record number's
  EXPECT_NE(m_ui.Messages()[0].strText.find("without a name"), std::string::npos);
  std::unique_ptr<CBlastSearchObject> stored = Stored("named again");
  ASSERT_NE(stored, nullptr);
  EXPECT_EQ(stored->LoadComment(1), 1);
  EXPECT_EQ(stored->m_comments,
            (std::vector<std::string>{"aligned against nr", "expect below 1e-10"}));

  // Emptying the comment removes it.
  m_runner.Queue([](CEditorPropSheet& sheet) {
    PageOf<CEditCommentsPage>(sheet).m_text.clear();
    return IDOK;
  });
  EXPECT_EQ(m_table.EditLocalObject(m_table.getobjlist(1).FindByName("named again")), 1);
  const auto again = Stored("named again");
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(again->LoadComment(1), 0);
}

TEST_F(EditorTest, KeywordsAndUserFieldsReachTheDatabase) {
  CUDFieldDef organism;
  organism.m_strName = "Organism";
  organism.m_objType = 15;
  const int fieldId = engine().Storage(1)->PutUDFieldDef(organism);
  ASSERT_EQ(m_table.AddKeyword(1, "kinase"), 1);
  CObjInfo* info = StoreResult("with fields");
  m_runner.Queue([](CEditorPropSheet& sheet) {
    auto& keywords = PageOf<CEditKeywordsPage>(sheet);
    EXPECT_EQ(keywords.m_available, std::vector<std::string>{"kinase"});
    // at(): a missing value throws, the runner answers IDCANCEL and the
    // test fails below instead of reading past the end.
    EXPECT_EQ(keywords.AddKeyword(keywords.m_available.at(0)), 1);
    EXPECT_EQ(keywords.AddKeyword("kinase"), 0);
    keywords.AddKeyword("human");
    auto& fields = PageOf<CEditUDFieldsPage>(sheet);
    EXPECT_EQ(fields.m_fields.size(), 1u);
    fields.m_fields.at(0).m_values = {"Homo sapiens", ""};
    return IDOK;
  });
  EXPECT_EQ(m_table.EditLocalObject(info), 1);
  std::unique_ptr<CBlastSearchObject> stored = Stored("with fields");
  ASSERT_NE(stored, nullptr);
  EXPECT_EQ(stored->m_keywords, (std::vector<std::string>{"kinase", "human"}));
  EXPECT_EQ(m_table.getkwlist(1), (std::vector<std::string>{"human", "kinase"}));
  CDBFieldDef def;
  def.m_fieldId = fieldId;
  std::string value;
  EXPECT_EQ(m_table.GetFieldValue(1, m_table.getobjlist(1).FindByName("with fields"), &def, value),
            1);
  EXPECT_EQ(value, "Homo sapiens");

  // The same values in another order are no change.
  stored->m_udfValues = {{"Other", {"x"}}, {"Organism", {"Homo sapiens"}}};
  CEditUDFieldsPage page(stored.get());
  ASSERT_EQ(page.m_fields.size(), 2u);
  EXPECT_EQ(page.m_fields[0].m_strName, "Organism");
  EXPECT_EQ(page.UpdateObject(stored.get()), 0);
  EXPECT_EQ(stored->m_udfValues[0].m_strName, "Other");
}

TEST_F(EditorTest, CommentLinesSurviveThePageUnchanged) {
  CBlastSearchObject object;
  for (const auto& lines : std::vector<std::vector<std::string>>{
           {}, {"one"}, {"", "after an empty line"}, {"ends with an empty line", ""}}) {
    object.m_comments = lines;
    CEditCommentsPage page(&object);
    EXPECT_EQ(page.UpdateObject(&object), 0) << page.m_text;
    EXPECT_EQ(object.m_comments, lines);
  }
  CEditCommentsPage page(&object);
  page.m_text = "typed\r\non Windows";
  EXPECT_EQ(page.UpdateObject(&object), kEditCommentChanged);
  EXPECT_EQ(object.m_comments, (std::vector<std::string>{"typed", "on Windows"}));
}

}  // namespace

}  // namespace blastsearch
