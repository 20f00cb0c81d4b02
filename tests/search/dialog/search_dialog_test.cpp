// The search dialog and its pages driven as a person would, over a real
// database: adding and removing substrings and keywords, switching pages
// with their tab boxes, reopening, and whole searches into named subbases.
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QTemporaryDir>

#include "SearchDialogFixture.h"
#include "host/qt/ValDlg.h"
#include "search/dialog/SearchScreenshots.h"

namespace blastsearch {

namespace {

enum { kAttribTab = 0, kTextTab = 1, kKeywordTab = 2 };

// A script that did not find the dialog it expected fails the test and
// closes what is open, so that the test ends instead of waiting.
void CloseModal() {
  ADD_FAILURE() << "not the dialog expected";
  if (QWidget* modal = QApplication::activeModalWidget(); modal != nullptr) modal->close();
}

class ContextSearchPageTest : public SearchDialogFixture {
 protected:
  void SetUp() override {
    SearchDialogFixture::SetUp();
    Open(kTextTab);
    ClickTabBox(kTextTab);
    ASSERT_EQ(TextSearchFilter().m_bEnabled, 1);
  }
  CContextSearchDlg& Page() { return m_set->m_textPage; }
  void Type(const QString& text) {
    Page().m_newSubstringEdit->selectAll();
    QTest::keyClicks(Page().m_newSubstringEdit, text);
    QTest::mouseClick(Page().m_addButton, Qt::LeftButton);
  }
};

TEST_F(ContextSearchPageTest, AddsEachSubstringOnceKeepsCaseVariantsRefusesBars) {
  EXPECT_FALSE(Page().m_addButton->isEnabled()) << "nothing typed yet";
  Type("zinc");
  Type("zinc");
  Type("Zinc");
  Type("finger");
  EXPECT_EQ(Items(*Page().m_substringList), (std::vector<std::string>{"finger", "Zinc", "zinc"}));
  EXPECT_TRUE(m_ui.Messages().empty());
  EXPECT_EQ(Page().m_newSubstringEdit->text(), "finger");
  EXPECT_EQ(Page().m_newSubstringEdit->selectedText(), "finger");

  Type("a|b");
  EXPECT_EQ(Page().m_substringList->GetCount(), 3);
  ASSERT_EQ(m_ui.Messages().size(), 1u);
  EXPECT_EQ(m_ui.Messages()[0].nStyle, unsigned{MB_ICONSTOP});
  EXPECT_NE(m_ui.Messages()[0].strText.find('|'), std::string::npos);
  EXPECT_EQ(Page().m_newSubstringEdit->selectedText(), "a|b");
}

TEST_F(ContextSearchPageTest, DoubleClickRemovesEverySelectedSubstring) {
  for (const char* text : {"one", "three", "two", "zz"}) Type(text);
  EXPECT_FALSE(Page().m_removeButton->isEnabled());
  CIconTextListBox& list = *Page().m_substringList;
  const auto at = [&](int row) { return list.visualItemRect(list.item(row)).center(); };
  QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, at(0));
  EXPECT_TRUE(Page().m_removeButton->isEnabled());
  // A person's double click: the first click of it extends the selection.
  QTest::mouseClick(list.viewport(), Qt::LeftButton, Qt::ShiftModifier, at(2));
  EXPECT_EQ(list.GetSelCount(), 3);
  QTest::mouseDClick(list.viewport(), Qt::LeftButton, Qt::ShiftModifier, at(2));
  Settle();
  EXPECT_EQ(Items(list), std::vector<std::string>{"zz"});
  EXPECT_FALSE(Page().m_removeButton->isEnabled());
}

TEST_F(ContextSearchPageTest, UncheckingDisablesThePageRecheckingRestoresTheButtons) {
  Type("abc");
  ClickTabBox(kTextTab);
  EXPECT_EQ(TextSearchFilter().m_bEnabled, 0);
  EXPECT_EQ(Sheet().GetPageCheck(kTextTab), 0);
  for (QWidget* child : Page().findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
    EXPECT_FALSE(child->isEnabled()) << GetDlgCtrlID(child);
  }
  ClickTabBox(kTextTab);
  EXPECT_EQ(TextSearchFilter().m_bEnabled, 1);
  EXPECT_TRUE(Page().m_addButton->isEnabled()) << "the edit holds text";
  EXPECT_FALSE(Page().m_removeButton->isEnabled()) << "no substring selected";
  EXPECT_TRUE(Page().m_substringList->isEnabled());
  Page().m_newSubstringEdit->clear();
  ClickTabBox(kTextTab);
  ClickTabBox(kTextTab);
  EXPECT_FALSE(Page().m_addButton->isEnabled()) << "the edit is empty";
}

TEST_F(ContextSearchPageTest, UpdateFilterTakesSubstringsFieldsAndCase) {
  Type("b");
  Type("a");
  CIconTextListBox& fields = *Page().m_fieldList;
  EXPECT_EQ(Items(fields),
            (std::vector<std::string>{"Comment", "Author", "Original Author", "Lab"}));
  for (int row : {1, 3}) {
    QTest::mouseClick(fields.viewport(), Qt::LeftButton, {},
                      fields.visualItemRect(fields.item(row)).center());
  }
  EXPECT_EQ(fields.item(1)->checkState(), Qt::Checked);
  EXPECT_EQ(fields.item(0)->checkState(), Qt::Unchecked);
  QTest::mouseClick(Control<QAbstractButton>(&Page(), 2269), Qt::LeftButton);
  EXPECT_EQ(Page().UpdateFilter(), 1);
  const CContextFilter& filter = TextSearchFilter();
  EXPECT_EQ(filter.m_substrings, (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(filter.m_fieldCodes, std::vector<std::string>{"255"});
  EXPECT_EQ(filter.m_udfNames, std::vector<std::string>{"Lab"});
  EXPECT_EQ(filter.m_bMatchCase, 1);
}

class KeywordsSearchPageTest : public SearchDialogFixture {
 protected:
  void SetUp() override {
    SearchDialogFixture::SetUp();
    Open(kKeywordTab);
    ClickTabBox(kKeywordTab);
  }
  CKeywordsSearchDlg& Page() { return m_set->m_keywordPage; }
};

TEST_F(KeywordsSearchPageTest, ChoosesFromTheTablesKeywordsAndRemovesThem) {
  EXPECT_EQ(Control<QLabel>(&Page(), 1003)->text().toStdString(),
            "Find only " + engine().DescribeObjType(15, 1, 1) +
                " with one or more of the following keywords:");
  EXPECT_FALSE(Page().m_removeAllButton->isEnabled());
  std::vector<std::string> offered;
  QTimer::singleShot(0, [&] {
    auto* dialog = dynamic_cast<CValDlg*>(QApplication::activeModalWidget());
    if (dialog == nullptr) return CloseModal();
    QListWidget* list = dialog->ValueList();
    for (int i = 0; i < list->count(); ++i) offered.push_back(list->item(i)->text().toStdString());
    list->item(1)->setCheckState(Qt::Checked);  // "tri"
    QTest::keyClicks(dialog->NewValueEdit(), "fresh");
    QTest::keyClick(dialog->NewValueEdit(), Qt::Key_Return);
    EXPECT_TRUE(dialog->isVisible()) << "Enter in the edit adds, it does not end the dialog";
    EXPECT_EQ(list->count(), 3);
    for (QPushButton* button : dialog->findChildren<QPushButton*>()) {
      if (button->text().remove('&') == "OK") QTest::mouseClick(button, Qt::LeftButton);
    }
  });
  QTest::mouseClick(Page().m_addButton, Qt::LeftButton);
  Settle();
  EXPECT_EQ(offered, (std::vector<std::string>{"kinase", "tri"}));
  EXPECT_EQ(KeywordSearchFilter().m_keywords, (std::vector<std::string>{"tri", "fresh"}));
  EXPECT_EQ(Items(*Page().m_keywordList), (std::vector<std::string>{"fresh", "tri"}));
  EXPECT_TRUE(Page().m_removeAllButton->isEnabled());
  EXPECT_FALSE(Page().m_removeButton->isEnabled());

  CIconTextListBox& list = *Page().m_keywordList;
  QTest::mouseClick(list.viewport(), Qt::LeftButton, {},
                    list.visualItemRect(list.item(1)).center());
  EXPECT_TRUE(Page().m_removeButton->isEnabled());
  QTest::mouseClick(Page().m_removeButton, Qt::LeftButton);
  EXPECT_EQ(KeywordSearchFilter().m_keywords, std::vector<std::string>{"fresh"});
  QTest::mouseClick(Page().m_removeAllButton, Qt::LeftButton);
  EXPECT_TRUE(KeywordSearchFilter().m_keywords.empty());
  EXPECT_FALSE(Page().m_removeAllButton->isEnabled());
}

class AttribSearchPageTest : public SearchDialogFixture {};

TEST_F(AttribSearchPageTest, ShowsTheQueryNameAndAlwaysAllThreeRangesChecked) {
  AttribSearchFilter().m_bEnabled = 1;
  AttribSearchFilter().m_queryName = "kin";
  AttribSearchFilter().m_bUpTo10 = 1;
  Open(kAttribTab);
  CAttribSearchDlg& page = m_set->m_attribPage;
  EXPECT_EQ(Sheet().GetPageCheck(kAttribTab), 1);
  EXPECT_EQ(Control<QLineEdit>(&page, 1000)->text(), "kin");
  for (int id : {1004, 1005, 1006}) {
    EXPECT_TRUE(Control<QAbstractButton>(&page, id)->isChecked()) << id;
    EXPECT_TRUE(Control<QAbstractButton>(&page, id)->isEnabled()) << id;
  }
  QTest::mouseClick(Control<QAbstractButton>(&page, 1006), Qt::LeftButton);
  EXPECT_EQ(page.UpdateFilter(), 1);
  EXPECT_EQ(AttribSearchFilter().m_bUpTo10, 1);
  EXPECT_EQ(AttribSearchFilter().m_b11To100, 1);
  EXPECT_EQ(AttribSearchFilter().m_bOver100, 0);
}

class TableSearchTest : public SearchDialogFixture {
 protected:
  void ClickStart() {
    QTest::mouseClick(Control<QPushButton>(&Dialog(), 812), Qt::LeftButton);
    Settle();
  }
  void TypeQueryName(const QString& text) {
    auto* edit = Control<QLineEdit>(&m_set->m_attribPage, 1000);
    edit->selectAll();
    QTest::keyClicks(edit, text);
  }
};

TEST_F(TableSearchTest, FirstOpeningHasEveryTabUncheckedAndFindsAllOfMain) {
  Open();
  EXPECT_EQ(Dialog().windowTitle().toStdString(),
            engine().DescribeObjType(15, 1, 1) + " Database Search");
  for (int tab : {kAttribTab, kTextTab, kKeywordTab}) EXPECT_EQ(Sheet().GetPageCheck(tab), 0);
  EXPECT_EQ(Control<QComboBox>(&Dialog(), 116)->currentText(), "MAIN");
  ClickStart();
  EXPECT_EQ(Texts(), std::vector<std::string>{"Search Result: All BLAST Result of MAIN Subbase"});
  EXPECT_TRUE(m_ui.Edits().empty());
  EXPECT_EQ(blastSearch().getsblist(1).GetCount(), 0u);
}

TEST_F(TableSearchTest, SearchesIntoANamedSubbaseAndASecondSearchReplacesIt) {
  InstallSearchDialog();
  std::string result;
  int answer = -1;
  QTimer::singleShot(0, [&] {
    auto* dialog = dynamic_cast<CTableSearch*>(QApplication::activeModalWidget());
    if (dialog == nullptr) return CloseModal();
    m_set.reset();  // the test drives the modal dialog, not one of its own
    CCoolPropertySheet& sheet = *dialog->m_pSheet;
    Settle();
    CCheckPropPageButton* box = sheet.GetCheckButton(kAttribTab);
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
    auto* page = sheet.GetPage(kAttribTab);
    auto* edit = dynamic_cast<QLineEdit*>(GetDlgItem(page, 1000));
    QTest::keyClicks(edit, "kinase");
    auto* start = dynamic_cast<QPushButton*>(GetDlgItem(dialog, 812));
    m_ui.QueueText("picked");
    QTest::mouseClick(start, Qt::LeftButton);
    EXPECT_EQ(SubbaseNames("picked"), (std::vector<std::string>{"alpha kinase", "beta kinase"}));
    EXPECT_EQ(Control<QComboBox>(dialog, 116)->findText("picked"), 1);

    QTest::mouseClick(dynamic_cast<QAbstractButton*>(GetDlgItem(page, 1005)), Qt::LeftButton);
    m_ui.QueueText("picked");
    QTest::mouseClick(start, Qt::LeftButton);
    EXPECT_EQ(SubbaseNames("picked"), std::vector<std::string>{"alpha kinase"});
    QTest::mouseClick(dynamic_cast<QPushButton*>(GetDlgItem(dialog, 1)), Qt::LeftButton);
  });
  answer = blastSearch().SearchForObjects(1, "MAIN", result);
  EXPECT_EQ(answer, 1);
  EXPECT_EQ(result, "picked");
  EXPECT_EQ(Texts(),
            (std::vector<std::string>{"2 BLAST Result Found And Entered Into 'picked' Subbase",
                                      "1 BLAST Result Found And Entered Into 'picked' Subbase"}));
  ASSERT_EQ(m_ui.Edits().size(), 2u);
  EXPECT_EQ(m_ui.Edits()[0], (std::pair<std::string, std::string>{"Add New BLAST Result Subbase",
                                                                  "Search Results"}));
  SetSearchDialogRunner(nullptr);
}

TEST_F(TableSearchTest, LooksInTheSubbaseChosenInTheLookInBox) {
  ASSERT_EQ(blastSearch().NewSubbase(1, "only gamma", {"gamma"}, 0), 1);
  Open(kAttribTab);
  ClickTabBox(kAttribTab);
  TypeQueryName("a");  // every name holds an "a"
  auto* lookIn = Control<QComboBox>(&Dialog(), 116);
  ASSERT_EQ(lookIn->count(), 2);
  lookIn->setFocus();
  QTest::keyClick(lookIn, Qt::Key_Down);
  EXPECT_EQ(Dialog().m_lookInSubbase, "only gamma");
  m_ui.QueueText("from gamma");
  ClickStart();
  EXPECT_EQ(SubbaseNames("from gamma"), std::vector<std::string>{"gamma"});
  EXPECT_EQ(lookIn->currentText(), "only gamma") << "refilling keeps the choice";
  EXPECT_EQ(lookIn->count(), 3);
}

TEST_F(TableSearchTest, ClosingWithoutASuccessfulSearchAnswersZeroAndNoName) {
  InstallSearchDialog();
  std::string result = "stale";
  QTimer::singleShot(0, [] {
    auto* dialog = dynamic_cast<CTableSearch*>(QApplication::activeModalWidget());
    if (dialog == nullptr) return CloseModal();
    QTest::mouseClick(dynamic_cast<QPushButton*>(GetDlgItem(dialog, 2)), Qt::LeftButton);
  });
  EXPECT_EQ(blastSearch().SearchForObjects(1, "MAIN", result), 0);
  EXPECT_EQ(result, "");
  SetSearchDialogRunner(nullptr);
}

TEST_F(TableSearchTest, ReopeningShowsThePreviousSettings) {
  Open(kTextTab);
  ClickTabBox(kTextTab);
  auto& text = m_set->m_textPage;
  QTest::keyClicks(text.m_newSubstringEdit, "kin");
  QTest::mouseClick(text.m_addButton, Qt::LeftButton);
  CIconTextListBox& fields = *text.m_fieldList;
  QTest::mouseClick(fields.viewport(), Qt::LeftButton, {},
                    fields.visualItemRect(fields.item(3)).center());  // "Lab"
  ShowTab(kAttribTab);
  ClickTabBox(kAttribTab);
  TypeQueryName("beta");
  QTest::mouseClick(Control<QAbstractButton>(&m_set->m_attribPage, 1004), Qt::LeftButton);
  KeywordSearchFilter().m_keywords = {"tri"};
  ClickStart();  // brings the pages into the filters; nothing matches all
  EXPECT_EQ(Texts(), std::vector<std::string>{"No BLAST Result Found"});
  m_set.reset();

  Open(kAttribTab);
  EXPECT_EQ(Sheet().GetPageCheck(kAttribTab), 1);
  EXPECT_EQ(Sheet().GetPageCheck(kTextTab), 1);
  EXPECT_EQ(Sheet().GetPageCheck(kKeywordTab), 0);
  EXPECT_EQ(Control<QLineEdit>(&m_set->m_attribPage, 1000)->text(), "beta");
  for (int id : {1004, 1005, 1006}) {
    EXPECT_TRUE(Control<QAbstractButton>(&m_set->m_attribPage, id)->isChecked()) << id;
  }
  ShowTab(kTextTab);
  EXPECT_EQ(Items(*m_set->m_textPage.m_substringList), std::vector<std::string>{"kin"});
  EXPECT_EQ(m_set->m_textPage.m_fieldList->GetSel(3), 1);
  EXPECT_EQ(m_set->m_textPage.m_fieldList->GetSel(0), 0);
  ShowTab(kKeywordTab);
  EXPECT_EQ(Items(*m_set->m_keywordPage.m_keywordList), std::vector<std::string>{"tri"});
}

// The search dialog whose sheet gets no window.
class CSheetlessSearch : public CTableSearch {
 public:
  using CTableSearch::CTableSearch;

 protected:
  int CreateSheetWindow() override { return 0; }
};

class TableSearchStartTest : public SearchDialogFixture {
 protected:
  // The dialog's frame centre is that of `over`: exactly while the dialog
  // is not shown; once shown, within what the window frame (unknown before
  // the first show) moves it.
  static void ExpectCentredOn(const QWidget& dialog, const QRect& over) {
    const QPoint offset = dialog.frameGeometry().center() - over.center();
    EXPECT_LE(offset.manhattanLength(), dialog.isVisible() ? 8 : 1) << "over " << over.x();
  }
};

TEST_F(TableSearchStartTest, EndsWhenItsSheetGetsNoWindowAndStillSearchesWithTheFilters) {
  const int objType = blastSearch().tableobjtype();
  AttribSearchFilter().m_bEnabled = 1;  // as a previous opening left it
  AttribSearchFilter().m_queryName = "beta";
  CAttribSearchDlg attribPage(&AttribSearchFilter(), objType, 1);
  CContextSearchDlg textPage(&TextSearchFilter(), objType, 1);
  CSheetlessSearch dialog(objType, 1, nullptr);
  dialog.AddFilterPage(&AttribSearchFilter(), &attribPage);
  dialog.AddFilterPage(&TextSearchFilter(), &textPage);
  ASSERT_EQ(dialog.Create(), 1);
  dialog.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
  Settle();
  ASSERT_NE(dialog.m_pSheet, nullptr);
  EXPECT_FALSE(dialog.m_pSheet->HasWindow());
  EXPECT_FALSE(dialog.m_pSheet->isVisible());
  EXPECT_FALSE(attribPage.HasWindow());
  EXPECT_EQ(dialog.m_subbaseCombo, nullptr) << "initialisation went on past the sheet";
  auto* lookIn = dynamic_cast<QComboBox*>(GetDlgItem(&dialog, 116));
  ASSERT_NE(lookIn, nullptr);
  EXPECT_EQ(lookIn->count(), 0);
  m_ui.QueueText("kept");
  QTest::mouseClick(dynamic_cast<QPushButton*>(GetDlgItem(&dialog, 812)), Qt::LeftButton);
  Settle();
  EXPECT_EQ(SubbaseNames("kept"), std::vector<std::string>{"beta kinase"});
  EXPECT_EQ(dialog.m_resultSubbase, "kept");
}

TEST_F(TableSearchStartTest, IsCentredOnItsParent) {
  const QRect places[] = {{40, 30, 700, 520}, {200, 150, 600, 450}, {0, 0, 800, 600}};
  for (const QRect& place : places) {
    SCOPED_TRACE(place.x());
    QWidget parent;
    parent.setGeometry(place);
    parent.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));
    m_set = std::make_unique<CSearchDialogSet>(blastSearch().tableobjtype(), 1, &parent);
    ASSERT_EQ(Dialog().Create(), 1);
    ExpectCentredOn(Dialog(), parent.frameGeometry());
    Dialog().show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&Dialog()));
    ExpectCentredOn(Dialog(), parent.frameGeometry());
    m_set.reset();
  }
}

TEST_F(TableSearchStartTest, TheSearchCommandCentresTheDialogOnTheActiveWindow) {
  QWidget main;
  main.setGeometry(60, 50, 700, 500);
  main.show();
  QApplication::setActiveWindow(&main);
  ASSERT_TRUE(QTest::qWaitForWindowActive(&main));
  InstallSearchDialog();
  std::string result;
  QTimer::singleShot(0, [&main] {
    auto* dialog = dynamic_cast<CTableSearch*>(QApplication::activeModalWidget());
    if (dialog == nullptr) return CloseModal();
    EXPECT_EQ(dialog->parentWidget(), &main);
    ExpectCentredOn(*dialog, main.frameGeometry());
    dialog->EndDialog(2);
  });
  EXPECT_EQ(blastSearch().SearchForObjects(1, "MAIN", result), 0);
  SetSearchDialogRunner(nullptr);
}

TEST_F(TableSearchStartTest, ScreenshotsShowEachTabAndTheTabStripTwiceItsSize) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  ASSERT_EQ(WriteSearchScreenshots(dir.path().toStdString()), "");
  for (const char* name :
       {"search-attributes.png", "search-text.png", "search-keywords.png", "search-tabs.png"}) {
    EXPECT_FALSE(QImage(dir.filePath(name)).isNull()) << name;
  }
  const QImage strip(dir.filePath("search-tabs.png"));
  EXPECT_LT(strip.height(), strip.width() / 4) << "the strip, not the dialog";
  int darkRows = 0;  // the active tab's frame: rows mostly dark over its width
  for (int y = 0; y < strip.height(); ++y) {
    int dark = 0;
    for (int x = 0; x < strip.width() / 4; ++x) dark += qGray(strip.pixel(x, y)) < 96 ? 1 : 0;
    darkRows += dark > strip.width() / 8 ? 1 : 0;
  }
  EXPECT_GE(darkRows, 4) << "two frame rows, each two pixels high";
  const std::string missing = (dir.path() + "/none").toStdString();
  EXPECT_EQ(WriteSearchScreenshots(missing), "cannot write " + missing + "/search-attributes.png");
}

}  // namespace

}  // namespace blastsearch
