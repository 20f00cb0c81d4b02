// The Qt editor window: a person edits the pages' members through it; OK
// writes them, Cancel and a refused name leave them as they were.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollArea>
#include <QTabWidget>
#include <QTableWidget>
#include <QTreeWidget>

#include "QtTestHelpers.h"
#include "host/db/DBEngine.h"
#include "host/editor/EditCommentsPage.h"
#include "host/editor/EditGeneralPage.h"
#include "host/editor/EditKeywordsPage.h"
#include "host/editor/EditUDFieldsPage.h"
#include "host/editor/EditorPropSheet.h"
#include "host/qt/EditorSheetDialog.h"
#include "platform/UserInteraction.h"
#include "platform/qt/DialogBuilder.h"
#include "support/TempDatabase.h"
#include "table/BlastSearchTable.h"
#include "table/EditBlastSearchPage.h"

namespace blastsearch {

namespace {

class EditorSheetTest : public ::testing::Test {
 protected:
  EditorSheetTest() {
    m_sheet.AddPage(&m_general);
    m_sheet.AddPage(&m_fields);
    m_sheet.AddPage(&m_comments);
    m_sheet.AddPage(&m_keywords);
    InstallEditorSheetRunner();
  }
  ~EditorSheetTest() override { SetEditorSheetRunner(nullptr); }

  // The object edited, with a keyword of its own and one more in the
  // database to choose from.
  static CBlastSearchObject Stored() {
    EXPECT_EQ(blastSearch().AddKeyword(1, "kinase"), 1);
    CBlastSearchObject object;
    object.m_name = "BRCA1 vs nr";
    object.m_recordId = 7;
    object.m_keywords = {"human"};
    return object;
  }
  // Runs the editor, `script` playing the person inside it.
  int Run(const std::function<void(QWidget*)>& script) {
    return WithModal<int>([this] { return OrvDoModal(m_sheet); }, script);
  }
  static QPushButton* Button(QWidget* dialog, QDialogButtonBox::StandardButton which) {
    return dialog->findChild<QDialogButtonBox*>("buttons")->button(which);
  }
  static void ShowTab(QWidget* dialog, const QString& title) {
    auto* tabs = dialog->findChild<QTabWidget*>("editorTabs");
    for (int i = 0; i < tabs->count(); ++i) {
      if (tabs->tabText(i) == title) tabs->setCurrentIndex(i);
    }
  }

  CScriptedUserInteraction m_ui;
  CTempDatabase m_db;
  CBlastSearchObject m_object{Stored()};
  CEditorPropSheet m_sheet{"Object Properties: BRCA1 vs nr", nullptr, 0};
  CEditBlastSearchPage m_blastPage{&m_object};
  CEditGeneralPage m_general{&m_object, &m_blastPage, &m_sheet, 0, 1, 1};
  CEditUDFieldsPage m_fields{&m_object};
  CEditCommentsPage m_comments{&m_object};
  CEditKeywordsPage m_keywords{&m_object, 1};
};

TEST_F(EditorSheetTest, TypedNameAndAddedKeywordsReachThePagesOnOk) {
  QStringList tabs;
  const int answer = Run([&](QWidget* dialog) {
    auto* tabWidget = dialog->findChild<QTabWidget*>("editorTabs");
    for (int i = 0; i < tabWidget->count(); ++i) tabs << tabWidget->tabText(i);
    EXPECT_EQ(dialog->windowTitle(), "Object Properties: BRCA1 vs nr");
    EXPECT_EQ(dialog->findChild<QLineEdit*>("recordNumberText")->text(), "7");
    auto* name = dialog->findChild<QLineEdit*>("nameEdit");
    name->selectAll();
    QTest::keyClicks(name, "BRCA1 vs refseq");

    ShowTab(dialog, "Keywords");
    auto* known = dialog->findChild<QListWidget*>("availableList");
    EXPECT_EQ(known->count(), 1);
    if (known->count() > 0) known->item(0)->setSelected(true);
    auto* add = dialog->findChild<QPushButton*>("addKeywordButton");
    QTest::mouseClick(add, Qt::LeftButton);
    QTest::keyClicks(dialog->findChild<QLineEdit*>("keywordEdit"), "tumour suppressor");
    QTest::mouseClick(add, Qt::LeftButton);
    QTest::mouseClick(add, Qt::LeftButton);  // nothing typed or chosen twice
    auto* own = dialog->findChild<QListWidget*>("keywordList");
    if (own->count() > 0) own->item(0)->setSelected(true);  // "human"
    QTest::mouseClick(dialog->findChild<QPushButton*>("removeKeywordButton"), Qt::LeftButton);
    QTest::mouseClick(Button(dialog, QDialogButtonBox::Ok), Qt::LeftButton);
  });
  EXPECT_EQ(answer, IDOK);
  EXPECT_TRUE(tabs.startsWith("General"));
  for (const char* title : {"User Fields", "Comments", "Keywords"})
    EXPECT_TRUE(tabs.contains(title));
  EXPECT_EQ(m_general.m_name, "BRCA1 vs refseq");
  EXPECT_EQ(m_keywords.m_keywords, (std::vector<std::string>{"kinase", "tumour suppressor"}));
  EXPECT_EQ(m_object.m_name, "BRCA1 vs nr");  // the table writes the object, not the window
}

TEST_F(EditorSheetTest, CancelAndARefusedNameChangeNothing) {
  EXPECT_EQ(Run([](QWidget* dialog) {
              QTest::keyClicks(dialog->findChild<QLineEdit*>("nameEdit"), " (draft)");
              QTest::keyClicks(dialog->findChild<QLineEdit*>("keywordEdit"), "lost");
              QTest::mouseClick(dialog->findChild<QPushButton*>("addKeywordButton"),
                                Qt::LeftButton);
              QTest::mouseClick(Button(dialog, QDialogButtonBox::Cancel), Qt::LeftButton);
            }),
            IDCANCEL);
  EXPECT_EQ(m_general.m_name, "BRCA1 vs nr");
  EXPECT_EQ(m_keywords.m_keywords, std::vector<std::string>{"human"});

  bool stayedOpen = false;
  EXPECT_EQ(Run([&](QWidget* dialog) {
              dialog->findChild<QLineEdit*>("nameEdit")->clear();
              QTest::mouseClick(Button(dialog, QDialogButtonBox::Ok), Qt::LeftButton);
              stayedOpen = dialog->isVisible();
              QTest::mouseClick(Button(dialog, QDialogButtonBox::Cancel), Qt::LeftButton);
            }),
            IDCANCEL);
  EXPECT_TRUE(stayedOpen);
  ASSERT_EQ(m_ui.Messages().size(), 1u);
  EXPECT_EQ(m_ui.Messages()[0].strText, "Please give the object a name.");
  EXPECT_EQ(m_general.m_name, "BRCA1 vs nr");
}

TEST_F(EditorSheetTest, TheExtraPageIsATabOfItsOwnBuiltFromItsLayout) {
  CEditObjectPage extra(5003);  // any layout of the resources
  CEditGeneralPage general(&m_object, &extra, nullptr, 0, 1, 1);
  CEditorPropSheet sheet("Object Properties: BRCA1 vs nr", nullptr, 0);
  sheet.AddPage(&general);
  CEditorSheetDialog dialog(sheet);
  ASSERT_EQ(dialog.Tabs()->count(), 2);
  EXPECT_EQ(dialog.Tabs()->tabText(1), "BLAST Result");
  QWidget* edit = GetDlgItem(dialog.Tabs()->widget(1), 1000);
  ASSERT_NE(edit, nullptr);
  EXPECT_FALSE(edit->isEnabled());  // the page stores nothing
}

// The BLAST page's face at the system's font and at twice its size: its
// texts whole, its list headed by its text, and the window asking for room
// for the whole face.
TEST_F(EditorSheetTest, TheBlastPageShowsWholeAtAnyFontSize) {
  const QFont system = QApplication::font();
  for (const double scale : {1.0, 2.0}) {
    QFont font = system;
    font.setPointSizeF(system.pointSizeF() * scale);
    QApplication::setFont(font);
    CEditorSheetDialog dialog(m_sheet);
    QApplication::setFont(system);
    auto* face = dialog.findChild<QWidget*>("layoutFace");
    ASSERT_NE(face, nullptr) << scale;
    for (const QLabel* label : face->findChildren<QLabel*>()) {
      EXPECT_LE(label->sizeHint().width(), label->width()) << label->text().toStdString();
      EXPECT_LE(label->sizeHint().height(), label->height()) << label->text().toStdString();
    }
    for (const char* text : {"Title", "Affiliation", " Citation type "}) {
      bool found = false;
      for (const QLabel* label : face->findChildren<QLabel*>()) found |= label->text() == text;
      EXPECT_TRUE(found) << text;
    }
    auto* authors = qobject_cast<QTreeWidget*>(GetDlgItem(face, 2459));
    ASSERT_NE(authors, nullptr);
    EXPECT_EQ(authors->headerItem()->text(0), "List1");
    const QSize room = dialog.findChild<QScrollArea*>("layoutArea")->sizeHint();
    EXPECT_GE(room.width(), face->width()) << scale;
    EXPECT_GE(room.height(), face->height()) << scale;
  }
}

// Enter in a box of the editor does that box's job and never ends the
// editor: a new keyword is added, a typed name or author stays typed.
TEST_F(EditorSheetTest, EnterInABoxStaysInTheEditor) {
  struct Case {
    const char* box;
    const char* typed;
  };
  for (const Case& c :
       {Case{"keywordEdit", "membrane"}, Case{"nameEdit", " 2"}, Case{"authorEdit", "A. Person"}}) {
    SCOPED_TRACE(c.box);
    bool open = false;
    QStringList own;
    EXPECT_EQ(Run([&](QWidget* dialog) {
                auto* box = dialog->findChild<QLineEdit*>(c.box);
                if (c.box == std::string("keywordEdit")) ShowTab(dialog, "Keywords");
                box->setFocus();
                QTest::keyClicks(box, c.typed);
                QTest::keyClick(box, Qt::Key_Return);
                open = dialog->isVisible();
                auto* list = dialog->findChild<QListWidget*>("keywordList");
                for (int i = 0; i < list->count(); ++i) own << list->item(i)->text();
                QTest::mouseClick(Button(dialog, QDialogButtonBox::Cancel), Qt::LeftButton);
              }),
              IDCANCEL);
    EXPECT_TRUE(open) << "Enter did not close the editor";
    if (c.box == std::string("keywordEdit")) {
      EXPECT_TRUE(own.contains("membrane")) << "added";
    }
  }
}

TEST_F(EditorSheetTest, TheAuthorIsSetOnOk) {
  EXPECT_EQ(Run([](QWidget* dialog) {
              auto* author = dialog->findChild<QLineEdit*>("authorEdit");
              author->clear();
              QTest::keyClicks(author, "R. Franklin");
              QTest::mouseClick(Button(dialog, QDialogButtonBox::Ok), Qt::LeftButton);
            }),
            IDOK);
  EXPECT_EQ(m_general.m_author, "R. Franklin");
  EXPECT_EQ(m_general.UpdateObject(&m_object), kEditGeneralChanged);
  EXPECT_EQ(m_object.m_creator.m_strName, "R. Franklin");
}

// A number field takes numbers only; what is no number is refused with a
// message naming the field, and the editor stays open.
QPushButton* EditorButton(QWidget* dialog, QDialogButtonBox::StandardButton which) {
  return dialog->findChild<QDialogButtonBox*>("buttons")->button(which);
}

TEST(EditorNumberFieldTest, TextInANumberFieldIsRefusedNamingTheField) {
  CScriptedUserInteraction ui;
  CTempDatabase db;
  CUDFieldDef length;
  length.m_strName = "Length";
  length.m_valueKind = kValueNumber;
  engine().Storage(1)->PutUDFieldDef(length);
  CUDFieldDef lab;
  lab.m_strName = "Lab";
  engine().Storage(1)->PutUDFieldDef(lab);
  InstallEditorSheetRunner();
  struct Case {
    const char* length;
    const char* lab;
    bool accepted;
  };
  const Case cases[] = {{"sixty", "north", false}, {"60", "sixty", true}, {"-1.5e3; 7", "", true},
                        {"12abc", "", false},      {"inf", "", false},    {"", "", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.length);
    CBlastSearchObject object;
    object.m_name = "x";
    CEditUDFieldsPage page(&object);
    ASSERT_EQ(page.m_fields.size(), 2u);
    EXPECT_TRUE(page.IsNumeric(0));
    EXPECT_FALSE(page.IsNumeric(1));
    CEditorPropSheet sheet("Fields", nullptr, 0);
    sheet.AddPage(&page);
    const std::size_t before = ui.Messages().size();
    bool open = false;
    const int answer = WithModal<int>(
        [&] { return OrvDoModal(sheet); },
        [&](QWidget* dialog) {
          auto* table = dialog->findChild<QTableWidget*>("fieldsTable");
          table->item(0, 1)->setText(c.length);
          table->item(1, 1)->setText(c.lab);
          QTest::mouseClick(EditorButton(dialog, QDialogButtonBox::Ok), Qt::LeftButton);
          open = dialog->isVisible();
          if (open)
            QTest::mouseClick(EditorButton(dialog, QDialogButtonBox::Cancel), Qt::LeftButton);
        });
    EXPECT_EQ(answer, c.accepted ? IDOK : IDCANCEL);
    EXPECT_EQ(open, !c.accepted);
    if (!c.accepted) {
      ASSERT_EQ(ui.Messages().size(), before + 1);
      EXPECT_NE(ui.Messages().back().strText.find("\"Length\""), std::string::npos)
          << ui.Messages().back().strText;
    }
  }
  SetEditorSheetRunner(nullptr);
}

}  // namespace

}  // namespace blastsearch
