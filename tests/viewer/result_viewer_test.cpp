// The result viewer on Qt's offscreen platform: its hit table, alignments,
// overview and link, opening stored results through the engine, and its
// picture.
#include <gtest/gtest.h>

#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QTableWidget>
#include <QTest>
#include <QTextEdit>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <tuple>

#include "QtTestHelpers.h"
#include "host/db/DBEngine.h"
#include "host/db/ObjInfo.h"
#include "model/BlastSearchEntry.h"
#include "model/HitLink.h"
#include "model/ResultInfo.h"
#include "platform/UserInteraction.h"
#include "support/Corpus.h"
#include "support/ReportParse.h"
#include "support/TempDatabase.h"
#include "table/BlastSearchObject.h"
#include "table/BlastSearchTable.h"
#include "viewer/AlignmentText.h"
#include "viewer/HitOverview.h"
#include "viewer/ResultViewer.h"
#include "viewer/ResultViewerOpener.h"
#include "viewer/ViewerScreenshot.h"

namespace blastsearch {

namespace {

std::unique_ptr<CBlastSearchHitElement> Pair(int start, int end, double bits, double expect) {
  auto element = std::make_unique<CBlastSearchHitElement>();
  const int length = end - start + 1;
  element->m_Query = CBlastSearchSeqComponent();
  element->m_Query.m_nStart = start;
  element->m_Query.m_nEnd = end;
  element->m_Query.m_strSeq = std::string(static_cast<std::size_t>(length), 'K');
  element->m_Subject.m_nStart = 1;
  element->m_Subject.m_nEnd = length;
  element->m_Subject.m_strSeq = element->m_Query.m_strSeq;
  element->m_dBitScore = bits;
  element->m_dExpect = expect;
  element->m_nAlignLength = length;
  element->m_nIdentities = length;
  element->m_nPositives = length;
  return element;
}

void AddHit(CBlastSearchEntry& entry, const std::string& id, const std::string& description,
            int length, std::vector<std::unique_ptr<CBlastSearchHitElement>> pairs) {
  auto hit = std::make_unique<CBlastSearchHit>();
  hit->m_strID = id;
  hit->m_strName = "gi|" + id;
  hit->m_strDescription = description;
  hit->m_nLength = length;
  hit->m_nMolType = 2;
  for (auto& element : pairs) hit->m_ElementList.push_back(std::move(element));
  entry.m_Hits.m_HitList.push_back(std::move(hit));
}

// A protein query of 300 residues with three hits, one in each of four bands.
std::unique_ptr<CBlastSearchEntry> HandBuilt() {
  auto entry = std::make_unique<CBlastSearchEntry>();
  entry->m_Mol.m_strName = "sp|P12345|TEST_HUMAN";
  entry->m_Mol.m_strID = "P12345";
  entry->m_Mol.m_nType = 2;
  entry->m_Mol.m_nLength = 300;
  std::vector<std::unique_ptr<CBlastSearchHitElement>> first;
  first.push_back(Pair(11, 130, 250.2, 1e-70));
  first.push_back(Pair(200, 260, 45.1, 0.002));
  AddHit(*entry, "1001", "alpha protein", 320, std::move(first));
  std::vector<std::unique_ptr<CBlastSearchHitElement>> second;
  second.push_back(Pair(31, 90, 60.0, 1e-10));
  AddHit(*entry, "1002", "beta protein", 150, std::move(second));
  std::vector<std::unique_ptr<CBlastSearchHitElement>> third;
  third.push_back(Pair(1, 300, 90.0, 1e-20));
  AddHit(*entry, "1003", "gamma protein", 90, std::move(third));
  return entry;
}

QString Cell(const QTableWidget* table, int row, int column) {
  const QTableWidgetItem* item = table->item(row, column);
  return item != nullptr ? item->text() : QString();
}

int CountOf(const QString& text, const QString& part) { return static_cast<int>(text.count(part)); }

TEST(ResultViewer, HitTableListsEveryHitAndSortsByNumbers) {
  CResultViewer viewer(*HandBuilt());
  QTableWidget* table = viewer.HitTable();
  ASSERT_EQ(table->rowCount(), 3);
  ASSERT_EQ(table->columnCount(), CResultViewer::kColumnCount);
  EXPECT_EQ(table->horizontalHeaderItem(CResultViewer::kColumnIdentifier)->text(), "Identifier");
  // Query cover: 11-130 and 200-260 of 300 residues (181, 60%).
  const QStringList first = {"1",   "gi|1001", "alpha protein", "320",
                             "250", "1e-70",   "60%",           "100.00"};
  for (int column = 0; column < CResultViewer::kColumnCount; ++column) {
    EXPECT_EQ(Cell(table, 0, column), first[column]) << column;
  }
  EXPECT_EQ(Cell(table, 1, CResultViewer::kColumnBits), "60.0");

  // Lengths sort as numbers (90 < 150 < 320), not as text.
  table->sortByColumn(CResultViewer::kColumnLength, Qt::AscendingOrder);
  EXPECT_EQ(Cell(table, 0, CResultViewer::kColumnIdentifier), "gi|1003");
  EXPECT_EQ(Cell(table, 2, CResultViewer::kColumnIdentifier), "gi|1001");
  table->sortByColumn(CResultViewer::kColumnBits, Qt::DescendingOrder);
  EXPECT_EQ(Cell(table, 1, CResultViewer::kColumnIdentifier), "gi|1003");
  table->sortByColumn(CResultViewer::kColumnExpect, Qt::AscendingOrder);
  EXPECT_EQ(Cell(table, 0, CResultViewer::kColumnIdentifier), "gi|1001");
  EXPECT_EQ(Cell(table, 2, CResultViewer::kColumnIdentifier), "gi|1002");

  EXPECT_TRUE(viewer.Header()->text().contains("sp|P12345|TEST_HUMAN"));
  EXPECT_TRUE(viewer.Header()->text().contains("300"));
}

// A result read from a report keeps the default molecule types; the viewer
// then tells a protein query by its rows and names no database kind.
TEST(ResultViewer, HeaderTellsTheQueryKindFromTheRowsWhenTypesAreDefault) {
  for (const auto& [row, kind, unit] : {std::tuple{"MKLVEFQ", "protein query", "residues"},
                                        std::tuple{"ACGTNACGT", "nucleotide query", "bases"}}) {
    CBlastSearchEntry entry;
    entry.m_Mol.m_nLength = 50;
    auto pair = Pair(1, 7, 30.0, 0.1);
    pair->m_Query.m_strSeq = row;
    std::vector<std::unique_ptr<CBlastSearchHitElement>> pairs;
    pairs.push_back(std::move(pair));
    AddHit(entry, "1", "one", 50, std::move(pairs));
    entry.m_Hits.m_HitList.front()->m_nMolType = 1;
    CResultViewer viewer(entry);
    EXPECT_TRUE(viewer.Header()->text().contains(kind)) << row;
    EXPECT_TRUE(viewer.Header()->text().contains(unit)) << row;
    EXPECT_FALSE(viewer.Header()->text().contains("against")) << row;
    // The program named by the report decides: tblastx rows are translated,
    // its query is nucleotide.
    SetResultInfo(entry, result_info::kProgram, "tblastx");
    CResultViewer named(entry);
    EXPECT_TRUE(named.Header()->text().contains("nucleotide query")) << row;
  }
}

TEST(ResultViewer, SelectingAHitShowsItsAlignmentsAndLink) {
  CResultViewer viewer(*HandBuilt());
  viewer.show();
  Settle();
  EXPECT_EQ(viewer.SelectedHit(), 0);  // the first hit shows at once
  QString text = viewer.AlignmentView()->toPlainText();
  EXPECT_EQ(CountOf(text, "Score = "), 2);
  EXPECT_TRUE(text.contains("Query  11  " + QString(60, 'K') + "  70")) << text.toStdString();
  EXPECT_EQ(viewer.LinkEdit()->text(), "https://www.ncbi.nlm.nih.gov/protein/1001");

  // After sorting, a click on the table's second row shows the hit there.
  QTableWidget* table = viewer.HitTable();
  table->sortByColumn(CResultViewer::kColumnBits, Qt::DescendingOrder);
  const QRect cell = table->visualItemRect(table->item(1, CResultViewer::kColumnDescription));
  QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cell.center());
  EXPECT_EQ(viewer.SelectedHit(), 2);
  EXPECT_EQ(viewer.Overview()->SelectedHit(), 2);
  text = viewer.AlignmentView()->toPlainText();
  EXPECT_EQ(CountOf(text, "Query  "), 5);  // 300 columns in blocks of 60
  EXPECT_EQ(CountOf(text, "Sbjct  "), 5);
  EXPECT_TRUE(text.contains("Score = 90.0 bits")) << text.toStdString();
  EXPECT_TRUE(text.contains("Identities = 300/300 (100%),  Positives = 300/300 (100%)"));
  EXPECT_TRUE(text.contains("Sbjct  241  " + QString(60, 'K') + "  300"));
  EXPECT_EQ(viewer.LinkEdit()->text(), "https://www.ncbi.nlm.nih.gov/protein/1003");
  EXPECT_TRUE(viewer.LinkEdit()->isReadOnly());
  EXPECT_TRUE(viewer.HitTitle()->text().contains("gamma protein"));
}

TEST(ResultViewer, OverviewBarsFollowTheQueryRangesAndBandsAndClicksSelect) {
  CResultViewer viewer(*HandBuilt());
  viewer.show();
  Settle();
  CHitOverview* overview = viewer.Overview();
  ASSERT_EQ(overview->RowCount(), 3);
  const int track = overview->width() - 2 * CHitOverview::kMargin;
  ASSERT_GT(track, 100);
  const std::vector<CBarSpan> spans = PlaceSegmentBars(300, {{11, 130}, {200, 260}}, track);
  for (int element = 0; element < 2; ++element) {
    const QRect bar = overview->BarRect(0, element);
    EXPECT_EQ(bar.left(), CHitOverview::kMargin + spans[element].m_nLeft) << element;
    EXPECT_EQ(bar.width(), spans[element].m_nWidth) << element;
  }
  EXPECT_LT(overview->BarRect(0, 0).bottom(), overview->BarRect(1, 0).top());
  EXPECT_EQ(overview->BarBand(0, 0), 4);
  EXPECT_EQ(overview->BarBand(0, 1), 1);
  EXPECT_EQ(overview->BarBand(1, 0), 2);
  EXPECT_EQ(overview->BarBand(2, 0), 3);
  EXPECT_TRUE(overview->BarRect(0, 2).isEmpty());

  // The painted bars carry their bands' colours.
  const QImage picture = overview->grab().toImage();
  for (auto [hit, element] : {std::pair{0, 0}, {0, 1}, {1, 0}, {2, 0}}) {
    const CBandColour colour = BandColour(overview->BarBand(hit, element));
    const QPoint centre = overview->BarRect(hit, element).center();
    EXPECT_EQ(picture.pixelColor(centre * picture.devicePixelRatio()),
              QColor(colour.m_nRed, colour.m_nGreen, colour.m_nBlue))
        << hit << "," << element;
  }

  QTest::mouseClick(overview, Qt::LeftButton, {}, overview->BarRect(1, 0).center());
  EXPECT_EQ(viewer.SelectedHit(), 1);
  const QList<QTableWidgetItem*> selected = viewer.HitTable()->selectedItems();
  ASSERT_FALSE(selected.isEmpty());
  EXPECT_EQ(Cell(viewer.HitTable(), selected.front()->row(), CResultViewer::kColumnIdentifier),
            "gi|1002");
  EXPECT_EQ(viewer.LinkEdit()->text(), "https://www.ncbi.nlm.nih.gov/protein/1002");
}

TEST(ResultViewer, EmptyResultsAndUnknownQueryLengthsShowWithoutFailing) {
  CBlastSearchEntry empty;
  CResultViewer none(empty);
  none.show();
  Settle();
  EXPECT_FALSE(none.grab().isNull());
  EXPECT_EQ(none.HitTable()->rowCount(), 0);
  EXPECT_EQ(none.SelectedHit(), -1);
  none.SelectHit(0);
  EXPECT_EQ(none.SelectedHit(), -1);
  EXPECT_TRUE(none.HitTitle()->text().contains("no hits"));
  EXPECT_FALSE(none.LinkEdit()->isEnabled());
  EXPECT_TRUE(none.Header()->text().contains("not known"));

  // Query length 0: one hit without ranges, one with, one without pairs.
  CBlastSearchEntry unknown;
  unknown.m_nLinkType = 1;
  unknown.m_strLinkDatabase = "LocalDB";
  std::vector<std::unique_ptr<CBlastSearchHitElement>> zero;
  zero.push_back(std::make_unique<CBlastSearchHitElement>());
  AddHit(unknown, "1", "no range", 10, std::move(zero));
  std::vector<std::unique_ptr<CBlastSearchHitElement>> ranged;
  ranged.push_back(Pair(5, 40, 30.0, 0.5));
  AddHit(unknown, "2", "ranged", 50, std::move(ranged));
  AddHit(unknown, "3", "no pairs", 70, {});
  CResultViewer viewer(unknown);
  viewer.show();
  Settle();
  EXPECT_FALSE(viewer.grab().isNull());
  EXPECT_TRUE(viewer.Overview()->BarRect(0, 0).isEmpty());
  EXPECT_FALSE(viewer.Overview()->BarRect(1, 0).isEmpty());
  EXPECT_EQ(viewer.Overview()->BarRect(1, 0).right(),
            viewer.Overview()->width() - CHitOverview::kMargin - 1);
  EXPECT_EQ(viewer.LinkEdit()->text(), "qlon://LocalDB/protein/1");
  viewer.SelectHit(2);
  EXPECT_EQ(viewer.SelectedHit(), 2);
  EXPECT_EQ(Cell(viewer.HitTable(), 2, CResultViewer::kColumnBits), "");
  EXPECT_TRUE(viewer.AlignmentView()->toPlainText().contains("no segment pairs"));
  viewer.HitTable()->sortByColumn(CResultViewer::kColumnBits, Qt::DescendingOrder);
  EXPECT_EQ(Cell(viewer.HitTable(), 2, CResultViewer::kColumnIdentifier), "gi|3");
}

TEST(ResultViewer, ShowsACorpusResult) {
  SKIP_WITHOUT_CORPUS();
  const auto files = CorpusFiles("html-qblast");
  ASSERT_FALSE(files.empty());
  CBlastSearchEntry entry;
  ASSERT_EQ(ParseReport(ReportReader::QBlast, ReadWholeFile(files.front()), entry), 1);
  ASSERT_GT(entry.GetHitsCount(), 1);
  CResultViewer viewer(entry, files.front().filename().string());
  viewer.show();
  Settle();
  ASSERT_EQ(viewer.HitTable()->rowCount(), entry.GetHitsCount());
  ASSERT_EQ(viewer.Overview()->RowCount(), entry.GetHitsCount());
  int row = 0;
  for (const auto& hit : entry.m_Hits.m_HitList) {
    EXPECT_EQ(Cell(viewer.HitTable(), row, CResultViewer::kColumnIdentifier).toStdString(),
              hit->m_strName.empty() ? hit->m_strID : hit->m_strName);
    EXPECT_EQ(Cell(viewer.HitTable(), row, CResultViewer::kColumnLength).remove(',').toInt(),
              hit->m_nLength);
    for (int element = 0; element < static_cast<int>(hit->m_ElementList.size()); ++element) {
      EXPECT_FALSE(viewer.Overview()->BarRect(row, element).isEmpty()) << row << "," << element;
    }
    ++row;
  }
  // The last hit's alignments: one query and one subject row per block.
  const int last = entry.GetHitsCount() - 1;
  viewer.SelectHit(last);
  int blocks = 0;
  for (const auto& element : entry.m_Hits.m_HitList.back()->m_ElementList) {
    blocks += static_cast<int>(AlignmentBlocks(*element).size());
  }
  const QString text = viewer.AlignmentView()->toPlainText();
  EXPECT_EQ(CountOf(text, "\nQuery  "), blocks);
  EXPECT_EQ(CountOf(text, "\nSbjct  "), blocks);
  EXPECT_EQ(viewer.LinkEdit()->text().toStdString(),
            GetHitAddress(&entry, entry.m_Hits.m_HitList.back().get()));
}

std::vector<CResultViewer*> OpenViewers() {
  std::vector<CResultViewer*> viewers;
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (auto* viewer = dynamic_cast<CResultViewer*>(widget)) viewers.push_back(viewer);
  }
  return viewers;
}

TEST(ResultViewer, OpeningAStoredResultShowsItInAWindowOfItsOwn) {
  CScriptedUserInteraction ui;
  CTempDatabase db;
  CBlastSearchObject object;
  object.m_name = "stored result";
  object.Entry() = *HandBuilt();
  std::string subbase;
  ASSERT_EQ(blastSearch().AddNewObject(&object, "MAIN", subbase, 1), 1);
  CObjInfo* info = blastSearch().getobjlist(1).FindByName("stored result");
  ASSERT_NE(info, nullptr);

  EXPECT_EQ(OpenResultViewer(nullptr), 0);
  EXPECT_EQ(engine().HasObjectViewer(CBlastSearchObject::objtype()), 1);
  ASSERT_TRUE(OpenViewers().empty());
  EXPECT_EQ(blastSearch().OpenObject(info), 1);
  std::vector<CResultViewer*> viewers = OpenViewers();
  ASSERT_EQ(viewers.size(), 1u);
  QPointer<CResultViewer> viewer = viewers.front();
  EXPECT_TRUE(viewer->isVisible());
  EXPECT_TRUE(viewer->windowTitle().contains("stored result"));
  EXPECT_EQ(viewer->HitTable()->rowCount(), 3);
  EXPECT_TRUE(ui.Messages().empty());
  viewer->close();
  QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(viewer.isNull());

  // A record that is not there: a message naming it, no window.
  CObjInfo gone(CBlastSearchObject::objtype(), 987654, "gone away");
  EXPECT_EQ(engine().OpenObject(&gone), 0);
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_NE(ui.Messages()[0].strText.find("\"gone away\""), std::string::npos);
  EXPECT_EQ(ui.Messages()[0].nStyle, MB_ICONSTOP);
  EXPECT_TRUE(OpenViewers().empty());
}

TEST(ResultViewer, PictureOfTheViewer) {
  CTempDir dir("viewer-picture");
  const std::string path = (dir.Path() / "pictures" / "viewer.png").string();
  EXPECT_EQ(WriteViewerScreenshot(*HandBuilt(), path, "a result"), "");
  QImage image;
  ASSERT_TRUE(image.load(QString::fromStdString(path)));
  EXPECT_GE(image.width(), 1000);
  EXPECT_TRUE(OpenViewers().empty());

  const std::filesystem::path blocker = dir.Path() / "file";
  std::ofstream(blocker) << "x";
  const std::string bad = (blocker / "viewer.png").string();
  EXPECT_EQ(WriteViewerScreenshot(*HandBuilt(), bad), "cannot write " + bad);
}

}  // namespace

}  // namespace blastsearch
