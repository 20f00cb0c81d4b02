// The database window's File > Open... and Save As...: the host's dialogs
// with the BLAST page, storing a report, opening a stored result and
// writing the chosen results as an archive.
#include <gtest/gtest.h>

#include <QDialogButtonBox>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QSettings>
#include <QTabWidget>
#include <filesystem>

#include "QtTestHelpers.h"
#include "gui/DatabaseWindow.h"
#include "gui/ObjectListModel.h"
#include "host/db/DBEngine.h"
#include "host/qt/OrvFileDialog.h"
#include "platform/UserInteraction.h"
#include "support/TempDatabase.h"
#include "table/BlastSearchObject.h"
#include "table/BlastSearchTable.h"
#include "viewer/ResultViewer.h"

namespace blastsearch {

namespace {

const std::string kReport =
    std::string(BLASTSEARCH_SOURCE_DIR) + "/tests/data/blastplus/blastp.txt";

class OpenSaveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       QString::fromStdString(m_settings.Path().string()));
    for (const char* name : {"alpha", "beta", "gamma"}) {
      CBlastSearchObject object;
      object.m_name = name;
      std::string subbase;
      ASSERT_EQ(blastSearch().AddNewObject(&object, "MAIN", subbase, 1), 1);
    }
    m_pWindow = std::make_unique<CDatabaseWindow>();
  }
  void TearDown() override {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      if (dynamic_cast<CResultViewer*>(widget) != nullptr) widget->close();
    }
  }
  // The File menu's item `text`.
  QAction* FileItem(const QString& text) const {
    for (QAction* menu : m_pWindow->menuBar()->actions()) {
      if (menu->text() != "&File") continue;
      for (QAction* item : menu->menu()->actions()) {
        if (item->text() == text) return item;
      }
    }
    return nullptr;
  }
  // Chooses `item` of the File menu and plays the person in the dialog it
  // shows with `script`; the dialog's page area is checked first.
  void Choose(QAction* item, const std::function<void(COrvFileDialog&)>& script) {
    ASSERT_NE(item, nullptr);
    WithModal<int>(
        [item] {
          item->trigger();
          return 0;
        },
        [script](QWidget* modal) {
          auto* dialog = dynamic_cast<COrvFileDialog*>(modal);
          if (dialog == nullptr) {
            ADD_FAILURE() << "no file dialog";
            if (modal != nullptr) modal->close();
            return;
          }
          QTabWidget* pages = dialog->PageArea();
          EXPECT_EQ(pages->tabText(pages->currentIndex()), "BLAST Search Objects");
          script(*dialog);
        });
  }
  static void Confirm(COrvFileDialog& dialog, QDialogButtonBox::StandardButton which) {
    dialog.findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"))->button(which)->click();
  }

  CTempDir m_settings{"settings"};
  CTempDatabase m_db;
  CScriptedUserInteraction m_ui;
  CTempDir m_dir{"opensave"};
  std::unique_ptr<CDatabaseWindow> m_pWindow;
};

TEST_F(OpenSaveTest, OpenStoresTheChosenReportAndCancelStoresNothing) {
  QAction* open = FileItem(QStringLiteral("&Open..."));
  ASSERT_NE(open, nullptr);
  EXPECT_EQ(open->shortcut(), QKeySequence(QKeySequence::Open));
  Choose(open, [](COrvFileDialog& dialog) {
    dialog.selectFile(QString::fromStdString(kReport));
    dialog.reject();
  });
  EXPECT_EQ(blastSearch().getobjlist(1).GetCount(), 3u);
  Choose(open, [](COrvFileDialog& dialog) {
    dialog.selectFile(QString::fromStdString(kReport));
    Confirm(dialog, QDialogButtonBox::Open);
  });
  EXPECT_EQ(blastSearch().getobjlist(1).GetCount(), 6u);  // one result per query
  EXPECT_EQ(m_pWindow->SelectedObjects().size(), 3u);     // what was stored, selected
}

TEST_F(OpenSaveTest, OpenShowsAStoredResultChosenOnThePage) {
  Choose(FileItem(QStringLiteral("&Open...")), [](COrvFileDialog& dialog) {
    ASSERT_TRUE(dialog.ShowPage(201, {"beta"}));
    dialog.PageArea()->findChild<QPushButton*>(QStringLiteral("openStored"))->click();
  });
  const std::vector<CObjInfo*> selected = m_pWindow->SelectedObjects();
  ASSERT_EQ(selected.size(), 1u);
  EXPECT_EQ(selected[0]->m_name, "beta");
  int viewers = 0;
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    viewers += dynamic_cast<CResultViewer*>(widget) != nullptr && widget->isVisible() ? 1 : 0;
  }
  EXPECT_EQ(viewers, 1);
  EXPECT_EQ(blastSearch().getobjlist(1).GetCount(), 3u);
}

TEST_F(OpenSaveTest, SaveAsWritesTheResultsChosenOnThePageAsAnArchive) {
  ASSERT_EQ(m_pWindow->SelectObjects({"alpha", "gamma"}), 2);
  const std::string target = (m_dir.Path() / "two").string();
  QStringList preselected;
  Choose(FileItem(QStringLiteral("Save &As...")), [&](COrvFileDialog& dialog) {
    for (QListWidgetItem* item : dialog.PageList(201)->selectedItems()) {
      preselected << item->text();
    }
    dialog.selectFile(QString::fromStdString(target));
    Confirm(dialog, QDialogButtonBox::Save);
  });
  EXPECT_EQ(preselected, (QStringList{"alpha", "gamma"}));  // the window's selection
  CDBObjectList written;
  ASSERT_EQ(blastSearch().ExtractObjectsFromArchive(COrvFileSpec(target + ".ba6"), written), 1);
  std::vector<std::string> names;
  for (const auto& object : written) names.push_back(object->m_name);
  EXPECT_EQ(names, (std::vector<std::string>{"alpha", "gamma"}));
}

}  // namespace

}  // namespace blastsearch
