#include "viewer/ResultViewer.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFontDatabase>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSplitter>
#include <QStatusBar>
#include <QTableWidget>
#include <QTextEdit>
#include <QVBoxLayout>
#include <limits>

#include "host/qt/ScreenFit.h"
#include "model/AlignmentMidline.h"
#include "model/BlastSearchEntry.h"
#include "model/HitLink.h"
#include "model/NumberFormat.h"
#include "model/ResultInfo.h"
#include "viewer/AlignmentText.h"
#include "viewer/HitOverview.h"
#include "viewer/HitOverviewLayout.h"

namespace blastsearch {

namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

// A table cell that sorts by a number of its own (lengths, scores,
// expects) instead of by its text.
class CNumberItem : public QTableWidgetItem {
 public:
  CNumberItem(const QString& text, double key) : QTableWidgetItem(text), m_dKey(key) {
    setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
  }
  bool operator<(const QTableWidgetItem& other) const override {
    if (const auto* number = dynamic_cast<const CNumberItem*>(&other)) {
      return m_dKey < number->m_dKey;
    }
    return QTableWidgetItem::operator<(other);
  }

 private:
  double m_dKey;
};

QTableWidgetItem* TextItem(const QString& text) {
  auto* item = new QTableWidgetItem(text);
  item->setToolTip(text);
  return item;
}

QString BandSwatch(double bits) {
  const CBandColour colour = BandColour(BitScoreBand(bits));
  return QStringLiteral("<span style=\"background-color:rgb(%1,%2,%3)\">&nbsp;&nbsp;&nbsp;</span>")
      .arg(colour.m_nRed)
      .arg(colour.m_nGreen)
      .arg(colour.m_nBlue);
}

bool IsProtein(int molType) { return molType == 2; }

// Whether the result's query is a protein: its type says so, or, for a result
// read from a report (whose types stay at their default), the program named,
// or else a query row holding a letter that no nucleotide code uses.
bool QueryIsProtein(const CBlastSearchEntry& entry) {
  if (IsProtein(entry.GetMolType())) return true;
  // The program says what the query is (a tblastx query is nucleotide,
  // though its rows are translated).
  int queryType = 0;
  int hitType = 0;
  if (MoleculeTypesOfProgram(GetResultInfo(entry, result_info::kProgram), queryType, hitType))
    return IsProtein(queryType);
  int looked = 0;
  for (const auto& hit : entry.m_Hits.m_HitList) {
    if (!hit) continue;
    for (const auto& element : hit->m_ElementList) {
      if (!element) continue;
      // A translated query row (blastx, tblastx) is a nucleotide query.
      if (IsTranslatedRow(element->m_Query)) return false;
      if (element->m_Query.m_strSeq.find_first_of("EFIJLOPQZefijlopqz") != std::string::npos) {
        return true;
      }
      if (++looked == 20) return false;
    }
  }
  return false;
}

// A row line of an alignment block as HTML: gaps in grey and, in the
// subject row, residues that differ from the query's in red.
QString RowHtml(const std::string& line, const CAlignmentBlock& block, bool subject) {
  QString html;
  std::string run;
  const char* runColour = nullptr;
  const auto flush = [&] {
    if (run.empty()) return;
    const QString text = Q(run).toHtmlEscaped();
    html += runColour == nullptr
                ? text
                : QStringLiteral("<span style=\"color:%1\">%2</span>").arg(runColour, text);
    run.clear();
  };
  for (std::size_t i = 0; i < line.size(); ++i) {
    const bool inText = i >= block.m_nTextColumn && i < block.m_nTextColumn + block.m_nTextWidth;
    const char* colour = nullptr;
    if (inText && line[i] == '-') {
      colour = "#9aa0a8";
    } else if (inText && subject &&
               (i >= block.m_strConsensus.size() || block.m_strConsensus[i] == ' ')) {
      colour = "#c0392b";
    }
    if (colour != runColour) flush();
    runColour = colour;
    run += line[i];
  }
  flush();
  return html;
}

}  // namespace

CResultViewer::CResultViewer(const CBlastSearchEntry& entry, const std::string& title,
                             QWidget* parent)
    : QMainWindow(parent), m_pEntry(std::make_unique<CBlastSearchEntry>(entry)) {
  const std::string name = m_pEntry->GetMolName();
  const std::string heading = !title.empty() ? title : !name.empty() ? name : "BLAST result";
  setWindowTitle(Q(heading) + QStringLiteral(" - BLAST Result"));

  auto* central = new QWidget(this);
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(MakeHeader(title));
  auto* splitter = new QSplitter(Qt::Vertical, central);
  splitter->setChildrenCollapsible(false);
  splitter->addWidget(MakeOverviewPanel());
  splitter->addWidget(MakeHitTable());
  splitter->addWidget(MakeAlignmentPanel());
  splitter->setStretchFactor(0, 2);
  splitter->setStretchFactor(1, 2);
  splitter->setStretchFactor(2, 3);
  splitter->setSizes({270, 190, 300});
  auto* body = new QWidget(central);
  auto* bodyLayout = new QVBoxLayout(body);
  bodyLayout->setContentsMargins(8, 6, 8, 4);
  bodyLayout->addWidget(splitter);
  layout->addWidget(body, 1);
  setCentralWidget(central);

  int pairs = 0;
  for (const auto& hit : m_pEntry->m_Hits.m_HitList) {
    if (hit) pairs += static_cast<int>(hit->m_ElementList.size());
  }
  statusBar()->showMessage(
      QStringLiteral("%1 hits, %2 segment pairs").arg(m_pEntry->GetHitsCount()).arg(pairs));
  auto* close = new QAction(QStringLiteral("Close"), this);
  close->setShortcuts({QKeySequence::Close, QKeySequence(Qt::Key_Escape)});
  connect(close, &QAction::triggered, this, [this] { this->close(); });
  addAction(close);
  resize(1040, 820);
  FitToScreen(this);
  MakeActions();
  FillHitTable();
  SelectHit(m_pEntry->IsEmpty() != 0 ? -1 : 0);
}

CResultViewer::~CResultViewer() = default;

QWidget* CResultViewer::MakeHeader(const std::string& title) {
  auto* frame = new QFrame(this);
  frame->setObjectName(QStringLiteral("resultHeader"));
  frame->setStyleSheet(
      QStringLiteral("#resultHeader { background: #eef2f7; border-bottom: 1px solid #c8d0dc; }"));
  auto* layout = new QVBoxLayout(frame);
  layout->setContentsMargins(14, 10, 14, 10);
  m_pHeader = new QLabel(frame);
  m_pHeader->setTextFormat(Qt::RichText);
  m_pHeader->setTextInteractionFlags(Qt::TextSelectableByMouse);
  m_pHeader->setWordWrap(true);

  const CBlastSearchEntry& entry = *m_pEntry;
  const std::string name = entry.GetMolName();
  QString text = QStringLiteral("<div style=\"font-size:14pt; font-weight:600\">%1</div>")
                     .arg(!name.empty()    ? Q(name).toHtmlEscaped()
                          : !title.empty() ? Q(title).toHtmlEscaped()
                                           : QStringLiteral("(unnamed query)"));
  QStringList facts;
  if (!title.empty() && !name.empty() && title != name) {
    facts << QStringLiteral("Result: <b>%1</b>").arg(Q(title).toHtmlEscaped());
  }
  if (!entry.GetMolID().empty()) {
    facts << QStringLiteral("Query ID: <b>%1</b>").arg(Q(entry.GetMolID()).toHtmlEscaped());
  }
  const bool protein = QueryIsProtein(entry);
  facts << (entry.GetMolLength() > 0
                ? QStringLiteral("Length: <b>%L1</b> %2")
                      .arg(entry.GetMolLength())
                      .arg(protein ? QStringLiteral("residues") : QStringLiteral("bases"))
                : QStringLiteral("Length: not known"));
  QString search = protein ? QStringLiteral("protein query") : QStringLiteral("nucleotide query");
  const std::string program = GetResultInfo(entry, result_info::kProgram);
  int queryType = 0;
  int hitType = 0;
  const bool known = MoleculeTypesOfProgram(program, queryType, hitType);
  if (known) {
    search =
        QStringLiteral("%1, %2 against %3 sequences")
            .arg(Q(program), search,
                 IsProtein(hitType) ? QStringLiteral("protein") : QStringLiteral("nucleotide"));
  } else if (!entry.m_Hits.m_HitList.empty() && entry.m_Hits.m_HitList.front() &&
             IsProtein(entry.m_Hits.m_HitList.front()->m_nMolType)) {
    search += QStringLiteral(" against protein sequences");  // said only when known
  }
  facts << QStringLiteral("Search: %1").arg(search);
  facts << QStringLiteral("Hits: <b>%1</b>").arg(entry.GetHitsCount());
  if (const std::string run = GetResultInfo(entry, result_info::kSearch); !run.empty()) {
    facts << QStringLiteral("Run: %1").arg(Q(run).toHtmlEscaped());  // when blastsearch ran it
  }
  facts
      << QStringLiteral("Hit links: %1")
             .arg(entry.m_nLinkType == 1
                      ? QStringLiteral("local (%1)").arg(Q(entry.m_strLinkDatabase).toHtmlEscaped())
                      : QStringLiteral("NCBI records"));
  text += QStringLiteral("<div style=\"color:#3a4454\">%1</div>")
              .arg(facts.join(QStringLiteral(" &nbsp;&middot;&nbsp; ")));
  m_pHeader->setText(text);
  layout->addWidget(m_pHeader);
  return frame;
}

QWidget* CResultViewer::MakeOverviewPanel() {
  auto* box = new QGroupBox(QStringLiteral("Distribution of the hits along the query"), this);
  auto* layout = new QVBoxLayout(box);
  layout->setContentsMargins(4, 6, 4, 4);
  layout->setSpacing(2);
  layout->addWidget(MakeBandLegend(box));
  m_pOverview = new CHitOverview(*m_pEntry);
  m_pOverview->SetSelectionHandler([this](int hit) { SelectHit(hit); });
  m_pOverviewArea = new QScrollArea(box);
  m_pOverviewArea->setWidgetResizable(true);
  m_pOverviewArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  m_pOverviewArea->setWidget(m_pOverview);
  m_pOverviewArea->setMinimumHeight(CHitOverview::kTop + 4 * CHitOverview::kRowHeight);
  m_pOverviewArea->setFrameShape(QFrame::NoFrame);
  // The ruler stays in view above the scrolling rows; both on one white panel.
  auto* panel = new QFrame(box);
  panel->setFrameShape(QFrame::StyledPanel);
  panel->setBackgroundRole(QPalette::Base);
  panel->setAutoFillBackground(true);
  auto* panelLayout = new QVBoxLayout(panel);
  panelLayout->setContentsMargins(1, 1, 1, 1);
  panelLayout->setSpacing(0);
  panelLayout->addWidget(new CHitRuler(m_pOverview, panel));
  panelLayout->addWidget(m_pOverviewArea, 1);
  layout->addWidget(panel, 1);
  return box;
}

QWidget* CResultViewer::MakeHitTable() {
  auto* panel = new QWidget(this);
  auto* layout = new QVBoxLayout(panel);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(2);
  m_pFindBar = new QWidget(panel);
  auto* findRow = new QHBoxLayout(m_pFindBar);
  findRow->setContentsMargins(0, 0, 0, 0);
  auto* findLabel = new QLabel(QStringLiteral("&Find in descriptions:"), m_pFindBar);
  m_pFind = new QLineEdit(m_pFindBar);
  m_pFind->setClearButtonEnabled(true);
  m_pFind->setToolTip(QStringLiteral("Enter: next hit that holds the text; Esc: close"));
  m_pFind->installEventFilter(this);
  findLabel->setBuddy(m_pFind);
  findRow->addWidget(findLabel);
  findRow->addWidget(m_pFind, 1);
  m_pFindBar->hide();
  connect(m_pFind, &QLineEdit::textEdited, this, [this](const QString& text) {
    if (!text.isEmpty()) FindHit(text, true);
  });
  connect(m_pFind, &QLineEdit::returnPressed, this, [this] { FindHit(m_pFind->text(), false); });
  layout->addWidget(m_pFindBar);

  m_pTable = new QTableWidget(0, kColumnCount, panel);
  m_pTable->setHorizontalHeaderLabels(
      {QStringLiteral("#"), QStringLiteral("Identifier"), QStringLiteral("Description"),
       QStringLiteral("Length"), QStringLiteral("Best bits"), QStringLiteral("Best E value"),
       QStringLiteral("Query cover"), QStringLiteral("% identity")});
  m_pTable->horizontalHeaderItem(kColumnCover)
      ->setToolTip(QStringLiteral("The share of the query that the hit's segment pairs cover"));
  m_pTable->horizontalHeaderItem(kColumnIdentity)
      ->setToolTip(QStringLiteral("Identities of all segment pairs over their total length"));
  m_pTable->setSelectionBehavior(QAbstractItemView::SelectRows);
  m_pTable->setSelectionMode(QAbstractItemView::ExtendedSelection);
  m_pTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
  m_pTable->setAlternatingRowColors(true);
  m_pTable->setWordWrap(false);
  m_pTable->verticalHeader()->hide();
  m_pTable->verticalHeader()->setDefaultSectionSize(m_pTable->fontMetrics().height() + 6);
  QHeaderView* header = m_pTable->horizontalHeader();
  header->setHighlightSections(false);
  header->setSectionResizeMode(QHeaderView::Interactive);
  header->setSectionResizeMode(kColumnDescription, QHeaderView::Stretch);
  // The current row (moved by clicks and arrows) is the hit shown.
  connect(m_pTable, &QTableWidget::currentCellChanged, this, [this](int row) {
    if (m_bSelecting || row < 0) return;
    const QTableWidgetItem* rank = m_pTable->item(row, kColumnRank);
    if (rank != nullptr) ShowHit(rank->data(Qt::UserRole).toInt());
  });
  connect(m_pTable, &QTableWidget::itemSelectionChanged, this, [this] { UpdateActions(); });
  m_pTable->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(m_pTable, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { ShowMenu(m_pTable->viewport(), at); });
  m_pTable->installEventFilter(this);
  layout->addWidget(m_pTable, 1);
  return panel;
}

QWidget* CResultViewer::MakeAlignmentPanel() {
  auto* panel = new QWidget(this);
  auto* layout = new QVBoxLayout(panel);
  layout->setContentsMargins(0, 4, 0, 0);
  layout->setSpacing(4);
  m_pHitTitle = new QLabel(panel);
  m_pHitTitle->setTextFormat(Qt::RichText);
  m_pHitTitle->setTextInteractionFlags(Qt::TextSelectableByMouse);
  m_pHitTitle->setWordWrap(true);
  layout->addWidget(m_pHitTitle);

  auto* linkRow = new QHBoxLayout();
  auto* linkLabel = new QLabel(QStringLiteral("Link:"), panel);
  m_pLink = new QLineEdit(panel);
  m_pLink->setReadOnly(true);
  m_pLink->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  m_pLink->setToolTip(QStringLiteral("The hit's link; select it or use Copy"));
  linkLabel->setBuddy(m_pLink);
  m_pCopyLink = new QPushButton(QStringLiteral("Copy"), panel);
  m_pCopyLink->setToolTip(QStringLiteral("Copies the hit's link to the clipboard"));
  connect(m_pCopyLink, &QPushButton::clicked, this, [this] {
    if (QClipboard* clipboard = QApplication::clipboard(); clipboard != nullptr) {
      clipboard->setText(m_pLink->text());
    }
    statusBar()->showMessage(QStringLiteral("Link copied: %1").arg(m_pLink->text()), 4000);
  });
  m_pOpen = new QPushButton(QStringLiteral("Open at NCBI"), panel);
  m_pOpen->setToolTip(QStringLiteral("Opens the hit's record at NCBI in the browser (Enter)"));
  connect(m_pOpen, &QPushButton::clicked, this, [this] { OpenHitAtNcbi(); });
  linkRow->addWidget(linkLabel);
  linkRow->addWidget(m_pLink, 1);
  linkRow->addWidget(m_pCopyLink);
  linkRow->addWidget(m_pOpen);
  layout->addLayout(linkRow);

  m_pAlignments = new QTextEdit(panel);
  m_pAlignments->setReadOnly(true);
  m_pAlignments->setLineWrapMode(QTextEdit::NoWrap);
  m_pAlignments->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  m_pAlignments->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(m_pAlignments, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { ShowMenu(m_pAlignments->viewport(), at); });
  m_pHitTitle->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::LinksAccessibleByMouse);
  connect(m_pHitTitle, &QLabel::linkActivated, this, [this] { OpenHitAtNcbi(); });
  layout->addWidget(m_pAlignments, 1);
  return panel;
}

void CResultViewer::FillHitTable() {
  m_pTable->setSortingEnabled(false);
  m_pTable->setRowCount(m_pEntry->GetHitsCount());
  int row = 0;
  int position = -1;
  for (const auto& hit : m_pEntry->m_Hits.m_HitList) {
    ++position;
    if (!hit) continue;
    auto* rank = new CNumberItem(QString::number(position + 1), position);
    rank->setData(Qt::UserRole, position);
    m_pTable->setItem(row, kColumnRank, rank);
    const std::string& identifier = hit->m_strName.empty() ? hit->m_strID : hit->m_strName;
    m_pTable->setItem(row, kColumnIdentifier, TextItem(Q(identifier)));
    m_pTable->setItem(row, kColumnDescription, TextItem(Q(hit->m_strDescription)));
    m_pTable->setItem(row, kColumnLength,
                      new CNumberItem(QStringLiteral("%L1").arg(hit->m_nLength), hit->m_nLength));
    double bits = 0.0;
    double expect = 0.0;
    if (BestScores(*hit, bits, expect)) {
      m_pTable->setItem(row, kColumnBits,
                        new CNumberItem(Q(FormatNumber(bits, ENumberStyle::kReportBits)), bits));
      m_pTable->setItem(
          row, kColumnExpect,
          new CNumberItem(Q(FormatNumber(expect, ENumberStyle::kReportExpect)), expect));
    } else {
      // A hit without segment pairs sorts below every scored one.
      m_pTable->setItem(row, kColumnBits,
                        new CNumberItem(QString(), -std::numeric_limits<double>::infinity()));
      m_pTable->setItem(row, kColumnExpect,
                        new CNumberItem(QString(), std::numeric_limits<double>::infinity()));
    }
    const int cover = QueryCoverOf(*hit, m_pEntry->GetMolLength());
    m_pTable->setItem(
        row, kColumnCover,
        new CNumberItem(cover < 0 ? QString() : QStringLiteral("%1%").arg(cover), cover));
    const double identity = PercentIdentityOf(*hit);
    m_pTable->setItem(
        row, kColumnIdentity,
        new CNumberItem(identity < 0 ? QString() : QString::number(identity, 'f', 2), identity));
    ++row;
  }
  m_pTable->setRowCount(row);
  m_pTable->horizontalHeader()->setSortIndicator(kColumnRank, Qt::AscendingOrder);
  m_pTable->setSortingEnabled(true);
  m_pTable->resizeColumnToContents(kColumnRank);
  m_pTable->resizeColumnToContents(kColumnIdentifier);
  m_pTable->setColumnWidth(kColumnIdentifier,
                           std::min(m_pTable->columnWidth(kColumnIdentifier), 260));
  for (int column : {kColumnLength, kColumnBits, kColumnExpect, kColumnCover, kColumnIdentity}) {
    m_pTable->resizeColumnToContents(column);
  }
}

int CResultViewer::RowOfHit(int hit) const {
  for (int row = 0; row < m_pTable->rowCount(); ++row) {
    const QTableWidgetItem* rank = m_pTable->item(row, kColumnRank);
    if (rank != nullptr && rank->data(Qt::UserRole).toInt() == hit) return row;
  }
  return -1;
}

void CResultViewer::SelectHit(int hit) {
  const int row = RowOfHit(hit);
  if (row < 0) {
    m_bSelecting = true;
    m_pTable->clearSelection();
    m_bSelecting = false;
    ShowHit(-1);
    return;
  }
  m_bSelecting = true;
  m_pTable->setCurrentCell(row, kColumnRank,
                           QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  m_pTable->scrollToItem(m_pTable->item(row, kColumnRank));
  m_bSelecting = false;
  ShowHit(hit);
}

void CResultViewer::ShowHit(int hit) {
  CBlastSearchHit* shown = nullptr;
  int position = 0;
  for (const auto& item : m_pEntry->m_Hits.m_HitList) {
    if (hit >= 0 && position++ == hit) {
      shown = item.get();
      break;
    }
  }
  m_nSelected = shown != nullptr ? hit : -1;
  m_pOverview->SetSelectedHit(m_nSelected);
  if (m_nSelected >= 0 && m_pOverviewArea->isVisible()) {
    const QRect row = m_pOverview->RowRect(m_nSelected);
    m_pOverviewArea->ensureVisible(row.center().x(), row.center().y(), 0, row.height() * 2);
  }
  if (shown == nullptr) {
    m_pHitTitle->setText(m_pEntry->IsEmpty() != 0
                             ? QStringLiteral("<i>This result holds no hits.</i>")
                             : QStringLiteral("<i>Select a hit to see its alignments.</i>"));
    m_pLink->clear();
    m_pLink->setEnabled(false);
    m_pCopyLink->setEnabled(false);
    m_pAlignments->clear();
    UpdateActions();
    return;
  }

  const std::string& identifier = shown->m_strName.empty() ? shown->m_strID : shown->m_strName;
  const std::string address = GetHitAddress(m_pEntry.get(), shown);
  // The identifier links to the hit's record where it has one.
  const QString name = address.empty()
                           ? Q(identifier).toHtmlEscaped()
                           : QStringLiteral("<a href=\"%1\">%2</a>")
                                 .arg(Q(address).toHtmlEscaped(), Q(identifier).toHtmlEscaped());
  m_pHitTitle->setText(QStringLiteral("<span style=\"font-size:11pt; font-weight:600\">%1</span>"
                                      "&nbsp; %2 &nbsp;<span style=\"color:#5a6474\">Length "
                                      "%L3</span>")
                           .arg(name, Q(shown->m_strDescription).toHtmlEscaped())
                           .arg(shown->m_nLength));
  m_pLink->setText(Q(address.empty() ? GetHitLink(m_pEntry.get(), shown) : address));
  m_pLink->setCursorPosition(0);
  m_pLink->setEnabled(true);
  m_pCopyLink->setEnabled(true);

  const QString fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont).family();
  const CAlignmentStyle style = AlignmentStyleOf(*m_pEntry);
  QString html = QStringLiteral("<html><body>");
  html += QStringLiteral("<p style=\"margin-bottom:2px\"><b>&gt;%1</b> %2<br>Length = %3</p>")
              .arg(Q(identifier).toHtmlEscaped(), Q(shown->m_strDescription).toHtmlEscaped())
              .arg(shown->m_nLength);
  const int count = static_cast<int>(shown->m_ElementList.size());
  int index = 0;
  for (const auto& element : shown->m_ElementList) {
    if (!element) continue;
    ++index;
    html += QStringLiteral(
                "<p style=\"margin-top:14px; margin-bottom:4px\">%1 "
                "<span style=\"color:#3a4454\">Segment pair %2 of %3 &middot; query "
                "%4 to %5</span><br>")
                .arg(BandSwatch(element->m_dBitScore))
                .arg(index)
                .arg(count)
                .arg(element->m_Query.m_nStart)
                .arg(element->m_Query.m_nEnd);
    QStringList lines;
    for (const std::string& line : ScoreLines(*element, style)) {
      lines << Q(line).toHtmlEscaped().replace(QStringLiteral("  "), QStringLiteral("&nbsp; "));
    }
    html += lines.join(QStringLiteral("<br>")) + QStringLiteral("</p>");
    QString rows;
    for (const CAlignmentBlock& block : AlignmentBlocks(*element, style, 60)) {
      rows += RowHtml(block.m_strQuery, block, false) + QLatin1Char('\n') +
              QStringLiteral("<span style=\"color:#5a6474\">%1</span>\n")
                  .arg(Q(block.m_strConsensus).toHtmlEscaped()) +
              RowHtml(block.m_strSubject, block, true) + QStringLiteral("\n\n");
    }
    html +=
        QStringLiteral("<pre style=\"font-family:'%1'; font-size:10pt; margin-top:4px\">%2</pre>")
            .arg(fixed, rows);
  }
  if (count == 0) html += QStringLiteral("<p><i>This hit holds no segment pairs.</i></p>");
  html += QStringLiteral("</body></html>");
  m_pAlignments->setHtml(html);
  m_pAlignments->verticalScrollBar()->setValue(0);
  UpdateActions();
}

}  // namespace blastsearch
