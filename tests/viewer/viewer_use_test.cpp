// The result viewer as a person uses it, on Qt's offscreen platform: keys
// in the hit table, the context menu of the table and of the alignments,
// the find box, opening hits at NCBI (through a recording opener) and
// saving FASTA (through a scripted file chooser).
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QImage>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QStatusBar>
#include <QTableWidget>
#include <QTest>
#include <QTextEdit>
#include <QUrl>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "QtTestHelpers.h"
#include "model/BlastSearchEntry.h"
#include "model/ResultInfo.h"
#include "support/TempDatabase.h"
#include "viewer/ResultViewer.h"
#include "viewer/ViewerScreenshot.h"

namespace blastsearch {

namespace {

struct CPairSpec {
  int queryStart;
  const char* query;
  const char* subject;
  int subjectStart;
};

// A blastp result over a query of 100 residues: three hits, the second
// with a gap and a description holding a tab and a line end, the third
// from a local database (no NCBI record).
std::unique_ptr<CBlastSearchEntry> Result() {
  auto entry = std::make_unique<CBlastSearchEntry>();
  entry->m_Mol.m_strName = "query_1 test protein";
  entry->m_Mol.m_nLength = 100;
  SetResultInfo(*entry, result_info::kProgram, "blastp");
  SetResultInfo(*entry, result_info::kLayout, "BLAST+ XML");
  struct {
    const char *name, *id, *description;
    std::vector<CPairSpec> pairs;
  } hits[] = {
      {"sp|P1|ALPHA", "P1", "alpha kinase", {{1, "MKVLIAG", "MKVIIAG", 1}}},
      {"ref|NP_2.1|", "NP_2.1", "beta\tkinase\nlike", {{11, "WKR-DE", "WKRQEE", 5}}},
      {"gnl|BL_ORD_ID|7", "7", "gamma transporter", {{50, "HHHH", "HHHH", 1}}},
  };
  for (const auto& spec : hits) {
    auto hit = std::make_unique<CBlastSearchHit>();
    hit->m_strName = spec.name;
    hit->m_strID = spec.id;
    hit->m_strDescription = spec.description;
    hit->m_nLength = 200;
    for (const CPairSpec& pair : spec.pairs) {
      auto element = std::make_unique<CBlastSearchHitElement>();
      element->m_Query.m_strSeq = pair.query;
      element->m_Subject.m_strSeq = pair.subject;
      const int length = static_cast<int>(std::string(pair.query).size());
      element->m_Query.m_nStart = pair.queryStart;
      element->m_Query.m_nEnd = pair.queryStart + length - 1;
      element->m_Subject.m_nStart = pair.subjectStart;
      element->m_Subject.m_nEnd = pair.subjectStart + length - 1;
      element->m_nAlignLength = length;
      element->m_nIdentities = length - 1;
      element->m_nPositives = length;
      element->m_dBitScore = 50.0;
      element->m_dExpect = 1e-5;
      hit->m_ElementList.push_back(std::move(element));
    }
    entry->m_Hits.m_HitList.push_back(std::move(hit));
  }
  return entry;
}

class ResultViewerUse : public ::testing::Test {
 protected:
  void SetUp() override {
    m_pViewer = std::make_unique<CResultViewer>(*Result(), "use");
    m_pViewer->SetUrlOpener([this](const QUrl& url) {
      m_opened.push_back(url.toString().toStdString());
      return true;
    });
    m_pViewer->show();
    QApplication::setActiveWindow(m_pViewer.get());
    Settle();
    QApplication::clipboard()->clear();
  }

  QTableWidget* Table() const { return m_pViewer->HitTable(); }
  QString Clipboard() const { return QApplication::clipboard()->text(); }
  QString Status() const { return m_pViewer->statusBar()->currentMessage(); }

  void Key(QWidget* widget, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(widget, key, modifiers);
    Settle();
  }

  // Opens the context menu over `widget` at `at`, as a right click does,
  // and clicks the item named `text`.
  void ChooseFromMenu(QWidget* widget, const QPoint& at, const QString& text) {
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, widget->mapToGlobal(at));
    QApplication::sendEvent(widget, &event);
    Settle();
    QMenu* menu = m_pViewer->ContextMenu();
    ASSERT_TRUE(menu->isVisible()) << text.toStdString();
    QAction* chosen = nullptr;
    for (QAction* action : menu->actions()) {
      if (action->isVisible() && action->text() == text) chosen = action;
    }
    ASSERT_NE(chosen, nullptr) << text.toStdString();
    ASSERT_TRUE(chosen->isEnabled()) << text.toStdString();
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(chosen).center());
    Settle();
    EXPECT_FALSE(menu->isVisible());
  }

  QPoint RowPoint(int row) const {
    return Table()->visualItemRect(Table()->item(row, CResultViewer::kColumnDescription)).center();
  }

  std::unique_ptr<CResultViewer> m_pViewer;
  std::vector<std::string> m_opened;
};

TEST_F(ResultViewerUse, ArrowsEnterAndCtrlCWorkTheHitTable) {
  Table()->setFocus();
  EXPECT_EQ(m_pViewer->SelectedHit(), 0);
  Key(Table(), Qt::Key_Down);
  EXPECT_EQ(m_pViewer->SelectedHit(), 1);
  EXPECT_EQ(m_pViewer->LinkEdit()->text(), "https://www.ncbi.nlm.nih.gov/protein/NP_2.1");
  Key(Table(), Qt::Key_Return);
  EXPECT_EQ(m_opened, std::vector<std::string>{"https://www.ncbi.nlm.nih.gov/protein/NP_2.1"});

  // Shift+Up adds the first row; Ctrl+C copies both rows, not one cell.
  Key(Table(), Qt::Key_Up, Qt::ShiftModifier);
  Key(Table(), Qt::Key_C, Qt::ControlModifier);
  const QStringList lines = Clipboard().split('\n', Qt::SkipEmptyParts);
  ASSERT_EQ(lines.size(), 3) << Clipboard().toStdString();
  EXPECT_EQ(lines[0],
            "#\tIdentifier\tDescription\tLength\tBest bits\tBest E value\tQuery cover\t% identity");
  EXPECT_EQ(lines[1], "1\tsp|P1|ALPHA\talpha kinase\t200\t50.0\t1e-05\t7%\t85.71");
  EXPECT_EQ(lines[2], "2\tref|NP_2.1|\tbeta kinase like\t200\t50.0\t1e-05\t6%\t83.33");
  EXPECT_TRUE(Status().contains("2 row(s) copied")) << Status().toStdString();

  // A hit of a local database has no record to open: the button is off and
  // Enter opens nothing.
  Key(Table(), Qt::Key_End, Qt::ControlModifier);
  EXPECT_EQ(m_pViewer->SelectedHit(), 2);
  EXPECT_FALSE(m_pViewer->OpenButton()->isEnabled());
  Key(Table(), Qt::Key_Return);
  EXPECT_EQ(m_opened.size(), 1u);
  EXPECT_TRUE(Status().contains("no NCBI record")) << Status().toStdString();
}

TEST_F(ResultViewerUse, OpenAtNcbiButtonOpensTheShownHit) {
  QTest::mouseClick(m_pViewer->OpenButton(), Qt::LeftButton);
  EXPECT_EQ(m_opened, std::vector<std::string>{"https://www.ncbi.nlm.nih.gov/protein/P1"});
  // An opener that fails is reported, not taken for success.
  m_pViewer->SetUrlOpener([](const QUrl&) { return false; });
  EXPECT_FALSE(m_pViewer->OpenHitAtNcbi());
  EXPECT_TRUE(Status().contains("Could not open")) << Status().toStdString();
}

TEST_F(ResultViewerUse, ContextMenusCopyRowsFastaAndAlignments) {
  // Click the first row, Ctrl+click the second, then the menu's commands.
  QTest::mouseClick(Table()->viewport(), Qt::LeftButton, {}, RowPoint(0));
  QTest::mouseClick(Table()->viewport(), Qt::LeftButton, Qt::ControlModifier, RowPoint(1));
  ASSERT_EQ(m_pViewer->SelectedHits(), (std::vector<int>{0, 1}));
  struct {
    const char* command;
    QWidget* (*where)(CResultViewer&);
    QString expected;
  } cases[] = {
      {"Copy aligned sequences as FASTA",
       [](CResultViewer& v) -> QWidget* { return v.HitTable()->viewport(); },
       ">sp|P1|ALPHA:1-7 alpha kinase\nMKVIIAG\n>ref|NP_2.1|:5-10 beta kinase like\nWKRQEE\n"},
      {"Copy rows", [](CResultViewer& v) -> QWidget* { return v.HitTable()->viewport(); },
       m_pViewer->SelectedRowsText()},
      // The shown hit is the one clicked last; its middle line has the
      // identities as letters and V/I, a positive pair, as '+'.
      {"Copy alignment as text",
       [](CResultViewer& v) -> QWidget* { return v.AlignmentView()->viewport(); },
       m_pViewer->AlignmentText()},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.command);
    QApplication::clipboard()->clear();
    QWidget* where = c.where(*m_pViewer);
    ChooseFromMenu(where, QPoint(20, 20), c.command);
    EXPECT_EQ(Clipboard().toStdString(), c.expected.toStdString());
  }
  EXPECT_TRUE(Clipboard().contains("WKR-DE")) << Clipboard().toStdString();
  EXPECT_TRUE(Clipboard().contains(QStringLiteral("WKR +E"))) << Clipboard().toStdString();
  m_pViewer->SelectHit(0);
  EXPECT_TRUE(m_pViewer->AlignmentText().contains("MKV+IAG"));
  EXPECT_TRUE(m_pViewer->AlignmentView()->toPlainText().contains("MKV+IAG"));
}

TEST_F(ResultViewerUse, SavingFastaWritesTheFileOrSaysWhyNot) {
  CTempDir dir("viewer-fasta");
  QTest::mouseClick(Table()->viewport(), Qt::LeftButton, {}, RowPoint(1));
  struct {
    std::string path;  // empty: the person cancels
    bool saved;
    const char* status;
  } cases[] = {
      {(dir.Path() / "subjects.fasta").string(), true, "Saved the aligned sequences of 1 hit"},
      {(dir.Path() / "missing" / "x.fasta").string(), false, "Could not save"},
      {"", false, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    m_pViewer->statusBar()->clearMessage();
    m_pViewer->SetSaveFileChooser([&](const QString&) { return QString::fromStdString(c.path); });
    ChooseFromMenu(Table()->viewport(), RowPoint(1), "Save aligned sequences as FASTA...");
    EXPECT_TRUE(Status().contains(c.status)) << Status().toStdString();
    if (!c.path.empty()) {
      EXPECT_TRUE(Status().contains(QString::fromStdString(c.path)));
    }
    std::ifstream file(c.path);
    EXPECT_EQ(file.good(), c.saved);
    if (c.saved) {
      std::stringstream text;
      text << file.rdbuf();
      EXPECT_EQ(text.str(), ">ref|NP_2.1|:5-10 beta kinase like\nWKRQEE\n");
    }
  }
}

TEST_F(ResultViewerUse, CtrlFFindsInDescriptionsAndEscClosesTheFindBox) {
  Table()->setFocus();
  Key(Table(), Qt::Key_F, Qt::ControlModifier);
  QLineEdit* find = m_pViewer->FindEdit();
  ASSERT_TRUE(find->isVisible());
  EXPECT_TRUE(find->hasFocus());
  struct {
    const char* typed;
    bool next;  // Enter after typing: the next match
    int hit;
  } cases[] = {{"KINASE", false, 0}, {"", true, 1}, {"", true, 0}, {"transp", false, 2}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.typed);
    if (*c.typed != '\0') {
      find->clear();
      QTest::keyClicks(find, c.typed);
    }
    if (c.next) Key(find, Qt::Key_Return);
    EXPECT_EQ(m_pViewer->SelectedHit(), c.hit);
  }
  find->clear();
  QTest::keyClicks(find, "zzz");
  EXPECT_EQ(m_pViewer->SelectedHit(), 2);
  EXPECT_TRUE(Status().contains("No hit")) << Status().toStdString();
  Key(find, Qt::Key_Escape);
  EXPECT_FALSE(find->isVisible());
  EXPECT_TRUE(m_pViewer->isVisible());  // Esc closed the find box, not the window
}

TEST_F(ResultViewerUse, PictureWithTheContextMenuOpen) {
  CTempDir dir("viewer-menu-picture");
  const std::string plain = (dir.Path() / "viewer.png").string();
  const std::string menu = (dir.Path() / "pictures" / "viewer-menu.png").string();
  ASSERT_EQ(WriteViewerScreenshot(*Result(), plain), "");
  ASSERT_EQ(WriteViewerMenuScreenshot(*Result(), menu), "");
  QImage withMenu;
  QImage without;
  ASSERT_TRUE(withMenu.load(QString::fromStdString(menu)));
  ASSERT_TRUE(without.load(QString::fromStdString(plain)));
  EXPECT_EQ(withMenu.size(), without.size());
  EXPECT_NE(withMenu, without);  // the menu and the second selected row show
  const std::string bad = (dir.Path() / "viewer.png" / "x.png").string();
  EXPECT_EQ(WriteViewerMenuScreenshot(*Result(), bad), "cannot write " + bad);
}

}  // namespace

}  // namespace blastsearch
