// The host's open and save dialogs: the tables' pages shown below Qt's
// file dialog, a file chosen or a stored result, and cancelling.
#include <gtest/gtest.h>

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <fstream>

#include "QtTestHelpers.h"
#include "host/db/DBEngine.h"
#include "host/db/OrvSaveLoadData.h"
#include "host/qt/OrvFileDialog.h"
#include "platform/UserInteraction.h"
#include "support/TempDatabase.h"
#include "table/BlastSearchObject.h"
#include "table/BlastSearchTable.h"

namespace blastsearch {

namespace {

constexpr int kBlastTable = 201;

class OrvFileDialogTest : public ::testing::Test {
 protected:
  OrvFileDialogTest() {
    for (const char* name : {"gamma", "Beta", "alpha"}) {
      CBlastSearchObject object;
      object.m_name = name;
      std::string subbase;
      EXPECT_EQ(blastSearch().AddNewObject(&object, "MAIN", subbase, 1), 1) << name;
    }
    std::ofstream(Report()) << "BLASTP 2.12.0+\n";
  }
  std::string Report() const { return (m_dir.Path() / "run.txt").string(); }
  // Runs `dialog`, `script` playing the person inside it.
  static int Run(COrvFileDialog& dialog, const std::function<void(COrvFileDialog&)>& script) {
    return WithModal<int>([&dialog] { return dialog.DoModal(); },
                          [script](QWidget* modal) {
                            auto* shown = dynamic_cast<COrvFileDialog*>(modal);
                            ASSERT_NE(shown, nullptr) << "no file dialog shown";
                            script(*shown);
                          });
  }
  static QPushButton* Confirm(COrvFileDialog& dialog) {
    auto* box = dialog.findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
    return box->button(dialog.acceptMode() == QFileDialog::AcceptOpen ? QDialogButtonBox::Open
                                                                      : QDialogButtonBox::Save);
  }
  static std::vector<std::string> Names(const QListWidget& list) {
    std::vector<std::string> names;
    for (int i = 0; i < list.count(); ++i) names.push_back(list.item(i)->text().toStdString());
    return names;
  }

  CScriptedUserInteraction m_ui;
  CTempDatabase m_db;
  CTempDir m_dir{"filedialog"};
};

TEST_F(OrvFileDialogTest, EachDialogShowsTheBlastPageWithTheStoredResults) {
  for (const auto mode : {COrvFileDialog::kOpen, COrvFileDialog::kSave}) {
    COrvFileDialog dialog(mode);
    EXPECT_TRUE(dialog.testOption(QFileDialog::DontUseNativeDialog));
    EXPECT_EQ(dialog.windowTitle(), mode == COrvFileDialog::kOpen ? "Open" : "Save As");
    EXPECT_GE(dialog.AddTablePages(), 1);
    QTabWidget* pages = dialog.PageArea();
    ASSERT_NE(pages->currentIndex(), -1);
    EXPECT_EQ(pages->tabText(pages->currentIndex()), "BLAST Search Objects") << mode;
    dialog.show();
    Settle();
    EXPECT_TRUE(pages->isVisible());
    QListWidget* list = dialog.PageList(kBlastTable);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(Names(*list), (std::vector<std::string>{"alpha", "Beta", "gamma"}));
    EXPECT_FALSE(list->item(0)->icon().isNull());  // the page asks for icons
    // The page asks for ten rows.
    EXPECT_GE(list->height(), 10 * list->fontMetrics().height());
    if (mode == COrvFileDialog::kSave) {
      EXPECT_EQ(dialog.selectedNameFilter(), "BLAST Results Archives (*.ba6)");
      EXPECT_EQ(dialog.defaultSuffix(), "ba6");
    }
  }
}

TEST_F(OrvFileDialogTest, ChoosingAFileAndConfirmingReturnsIt) {
  COrvFileDialog dialog(COrvFileDialog::kOpen);
  dialog.AddTablePages();
  const int answer = Run(dialog, [this](COrvFileDialog& shown) {
    shown.selectFile(QString::fromStdString(Report()));
    Confirm(shown)->click();
  });
  EXPECT_EQ(answer, IDOK);
  EXPECT_EQ(dialog.Choice().m_paths, std::vector<std::string>{Report()});
  EXPECT_EQ(dialog.Choice().m_nObjTable, kBlastTable);  // read into the page's table
  EXPECT_TRUE(dialog.Choice().m_objects.empty());
}

TEST_F(OrvFileDialogTest, CancelReturnsNothing) {
  for (const auto mode : {COrvFileDialog::kOpen, COrvFileDialog::kSave}) {
    COrvFileDialog dialog(mode);
    dialog.AddTablePages();
    dialog.ShowPage(kBlastTable, {"Beta"});
    const int answer = Run(dialog, [this](COrvFileDialog& shown) {
      shown.selectFile(QString::fromStdString(Report()));
      shown.reject();
    });
    EXPECT_EQ(answer, IDCANCEL) << mode;
    EXPECT_TRUE(dialog.Choice().m_paths.empty());
    EXPECT_TRUE(dialog.Choice().m_objects.empty());
    EXPECT_EQ(dialog.Choice().m_nObjTable, 0);
  }
}

TEST_F(OrvFileDialogTest, OpeningAStoredResultChoosesItInsteadOfAFile) {
  COrvSaveLoadData data;
  blastSearch().AppendPageToOpenDialog(data);
  std::string* buffer = data.m_pages.back().m_pSelection;
  COrvFileDialog dialog(COrvFileDialog::kOpen);
  ASSERT_EQ(dialog.AddPages(data), 1);
  auto* open = dialog.PageArea()->findChild<QPushButton*>(QStringLiteral("openStored"));
  ASSERT_NE(open, nullptr);
  EXPECT_FALSE(open->isEnabled());  // nothing chosen yet
  const int answer = Run(dialog, [this, open](COrvFileDialog& shown) {
    shown.selectFile(QString::fromStdString(Report()));  // the stored one wins
    shown.ShowPage(kBlastTable, {"Beta"});
    EXPECT_TRUE(open->isEnabled());
    open->click();
  });
  EXPECT_EQ(answer, IDOK);
  EXPECT_TRUE(dialog.Choice().m_paths.empty());
  EXPECT_EQ(dialog.Choice().m_objects, std::vector<std::string>{"Beta"});
  EXPECT_EQ(*buffer, "Beta");  // the table's page learns the choice
}

TEST_F(OrvFileDialogTest, SavingNeedsResultsChosenOnThePage) {
  const std::string target = (m_dir.Path() / "picked").string();
  COrvFileDialog bare(COrvFileDialog::kSave);  // no table's page: nothing to save
  EXPECT_EQ(Run(bare,
                [&](COrvFileDialog& shown) {
                  shown.selectFile(QString::fromStdString(target));
                  Confirm(shown)->click();
                  shown.reject();
                }),
            IDCANCEL);
  COrvFileDialog dialog(COrvFileDialog::kSave);
  dialog.AddTablePages();
  bool stayed = false;
  const int answer = Run(dialog, [&](COrvFileDialog& shown) {
    shown.selectFile(QString::fromStdString(target));
    Confirm(shown)->click();  // nothing selected: refused
    stayed = shown.isVisible();
    shown.ShowPage(kBlastTable, {"gamma", "alpha"});
    Confirm(shown)->click();
  });
  EXPECT_TRUE(stayed);
  ASSERT_EQ(m_ui.Messages().size(), 2u);
  EXPECT_EQ(m_ui.Messages()[0].strText, "No table offers anything to save.");
  EXPECT_EQ(m_ui.Messages()[1].strText,
            "Choose the BLAST Results to save on the page \"BLAST Search Objects\".");
  EXPECT_EQ(answer, IDOK);
  EXPECT_EQ(dialog.Choice().m_paths, std::vector<std::string>{target + ".ba6"});
  EXPECT_EQ(dialog.Choice().m_objects, (std::vector<std::string>{"alpha", "gamma"}));
}

TEST_F(OrvFileDialogTest, PagesOfUnknownTablesAreLeftOutAndTheCurrentPageShowsFirst) {
  COrvSaveLoadData data;
  data.m_pages.emplace_back();  // table 0: nobody's
  data.m_pages.back().m_strTitle = "Nobody's";
  blastSearch().AppendPageToOpenDialog(data);
  data.m_pages.back().m_strTitle = "Second";
  data.m_pages.back().m_nListRows = 1000000;  // bounded
  data.m_pages.back().m_bShowIcons = 0;
  blastSearch().AppendPageToOpenDialog(data);
  data.m_nCurPage = 2;
  COrvFileDialog dialog(COrvFileDialog::kOpen);
  EXPECT_EQ(dialog.AddPages(data), 2);
  QTabWidget* pages = dialog.PageArea();
  ASSERT_EQ(pages->count(), 2);
  EXPECT_EQ(pages->tabText(0), "Second");
  EXPECT_EQ(pages->currentIndex(), 1);
  QListWidget* first = dialog.PageList(kBlastTable);
  EXPECT_TRUE(first->item(0)->icon().isNull());
  EXPECT_LT(first->height(), 100 * first->fontMetrics().height());
}

}  // namespace

}  // namespace blastsearch
