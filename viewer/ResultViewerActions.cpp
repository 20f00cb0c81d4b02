// The result viewer's commands: opening a hit at NCBI, copying rows,
// FASTA and alignments, saving FASTA, finding in descriptions, and the keys
// and context menu that reach them.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSaveFile>
#include <QStatusBar>
#include <QTableWidget>
#include <QTextEdit>
#include <QUrl>
#include <algorithm>

#include "model/AlignmentMidline.h"
#include "model/BlastSearchEntry.h"
#include "model/HitLink.h"
#include "model/SubjectFasta.h"
#include "viewer/AlignmentText.h"
#include "viewer/ResultViewer.h"

namespace blastsearch {

namespace {

bool PutOnClipboard(const QString& text) {
  QClipboard* clipboard = QApplication::clipboard();
  if (clipboard == nullptr || text.isEmpty()) return false;
  clipboard->setText(text);
  return true;
}

// A table cell as one field of a tab-separated line.
QString Field(const QString& text) {
  QString field = text;
  for (QChar& c : field) {
    if (c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r')) {
      c = QLatin1Char(' ');
    }
  }
  return field;
}

// The selected rows of `table`, top to bottom.
std::vector<int> SelectedRows(const QTableWidget& table) {
  std::vector<int> rows;
  for (const QModelIndex& index : table.selectionModel()->selectedRows()) {
    rows.push_back(index.row());
  }
  std::sort(rows.begin(), rows.end());
  return rows;
}

bool IsEnter(const QKeyEvent* key) {
  return (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
         (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
}

}  // namespace

void CResultViewer::MakeActions() {
  m_urlOpener = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
  m_saveChooser = [this](const QString& suggested) {
    return QFileDialog::getSaveFileName(
        this, QStringLiteral("Save aligned sequences as FASTA"), suggested,
        QStringLiteral("FASTA files (*.fasta *.fa);;All files (*)"));
  };
  const auto make = [this](const QString& text, const QKeySequence& keys, auto slot) {
    auto* action = new QAction(text, this);
    action->setShortcut(keys);
    action->setShortcutVisibleInContextMenu(true);
    // The keys reach these commands through the table's key handling
    // (eventFilter) or the window action below, never twice.
    action->setShortcutContext(Qt::WidgetShortcut);
    connect(action, &QAction::triggered, this, slot);
    return action;
  };
  m_pOpenAction = make(QStringLiteral("Open at NCBI"), QKeySequence(Qt::Key_Return),
                       [this] { OpenHitAtNcbi(); });
  m_pCopyRowsAction =
      make(QStringLiteral("Copy rows"), QKeySequence::Copy, [this] { CopySelectedRows(); });
  m_pCopyFastaAction =
      make(QStringLiteral("Copy aligned sequences as FASTA"), {}, [this] { CopySelectedFasta(); });
  m_pSaveFastaAction = make(QStringLiteral("Save aligned sequences as FASTA..."), {},
                            [this] { SaveSelectedFasta(); });
  m_pCopyAlignmentAction =
      make(QStringLiteral("Copy alignment as text"), {}, [this] { CopyAlignment(); });
  m_pCopyTextAction = make(QStringLiteral("Copy selected text"), {}, [this] {
    m_pAlignments->copy();
    Report(QStringLiteral("Selected text copied"));
  });
  m_pFindAction =
      make(QStringLiteral("Find in descriptions..."), QKeySequence::Find, [this] { StartFind(); });
  // Ctrl+F works anywhere in the window.
  auto* find = new QAction(this);
  find->setShortcut(QKeySequence::Find);
  connect(find, &QAction::triggered, this, [this] { StartFind(); });
  addAction(find);

  m_pMenu = new QMenu(this);
  m_pMenu->addAction(m_pOpenAction);
  m_pMenu->addSeparator();
  m_pMenu->addAction(m_pCopyRowsAction);
  m_pMenu->addAction(m_pCopyFastaAction);
  m_pMenu->addAction(m_pSaveFastaAction);
  m_pMenu->addAction(m_pCopyAlignmentAction);
  m_pMenu->addAction(m_pCopyTextAction);
  m_pMenu->addSeparator();
  m_pMenu->addAction(m_pFindAction);
}

void CResultViewer::ShowMenu(QWidget* from, const QPoint& at) {
  UpdateActions();
  m_pCopyTextAction->setVisible(from == m_pAlignments->viewport());
  m_pMenu->popup(from->mapToGlobal(at));
}

void CResultViewer::UpdateActions() {
  if (m_pMenu == nullptr) return;
  const bool rows = !m_pTable->selectionModel()->selectedRows().isEmpty();
  const CBlastSearchHit* shown = HitAt(m_nSelected);
  const bool address = !GetHitAddress(m_pEntry.get(), shown).empty();
  m_pOpenAction->setEnabled(address);
  m_pOpen->setEnabled(address);
  m_pOpen->setToolTip(address
                          ? QStringLiteral("Opens %1 in the browser (Enter)").arg(m_pLink->text())
                          : QStringLiteral("This hit has no NCBI record to open"));
  m_pCopyRowsAction->setEnabled(rows);
  m_pCopyFastaAction->setEnabled(rows);
  m_pSaveFastaAction->setEnabled(rows);
  m_pCopyAlignmentAction->setEnabled(shown != nullptr);
  m_pCopyTextAction->setEnabled(m_pAlignments->textCursor().hasSelection());
}

void CResultViewer::Report(const QString& message) { statusBar()->showMessage(message, 8000); }

const CBlastSearchHit* CResultViewer::HitAt(int hit) const {
  if (hit < 0) return nullptr;
  int position = 0;
  for (const auto& item : m_pEntry->m_Hits.m_HitList) {
    if (position++ == hit) return item.get();
  }
  return nullptr;
}

std::vector<int> CResultViewer::SelectedHits() const {
  std::vector<int> hits;
  for (int row : SelectedRows(*m_pTable)) {
    if (const QTableWidgetItem* rank = m_pTable->item(row, kColumnRank)) {
      hits.push_back(rank->data(Qt::UserRole).toInt());
    }
  }
  return hits;
}

void CResultViewer::SetUrlOpener(UrlOpener opener) {
  m_urlOpener = opener ? std::move(opener)
                       : UrlOpener([](const QUrl& url) { return QDesktopServices::openUrl(url); });
}

void CResultViewer::SetSaveFileChooser(SaveFileChooser chooser) {
  if (chooser) {
    m_saveChooser = std::move(chooser);
    return;
  }
  m_saveChooser = [this](const QString& suggested) {
    return QFileDialog::getSaveFileName(this, QStringLiteral("Save aligned sequences as FASTA"),
                                        suggested);
  };
}

bool CResultViewer::OpenHitAtNcbi() {
  const std::string address = GetHitAddress(m_pEntry.get(), HitAt(m_nSelected));
  if (address.empty()) {
    Report(QStringLiteral("This hit has no NCBI record to open"));
    return false;
  }
  const QUrl url(QString::fromStdString(address));
  if (!m_urlOpener(url)) {
    Report(QStringLiteral("Could not open %1: no browser took it").arg(url.toString()));
    return false;
  }
  Report(QStringLiteral("Opened %1").arg(url.toString()));
  return true;
}

QString CResultViewer::SelectedRowsText() const {
  const std::vector<int> rows = SelectedRows(*m_pTable);
  if (rows.empty()) return QString();
  QStringList header;
  for (int column = 0; column < kColumnCount; ++column) {
    header << Field(m_pTable->horizontalHeaderItem(column)->text());
  }
  QString text = header.join(QLatin1Char('\t')) + QLatin1Char('\n');
  for (int row : rows) {
    QStringList cells;
    for (int column = 0; column < kColumnCount; ++column) {
      const QTableWidgetItem* item = m_pTable->item(row, column);
      cells << (item != nullptr ? Field(item->text()) : QString());
    }
    text += cells.join(QLatin1Char('\t')) + QLatin1Char('\n');
  }
  return text;
}

QString CResultViewer::SelectedFasta() const {
  // The hits by position, looked up once (a result may hold many).
  std::vector<const CBlastSearchHit*> hits;
  for (const auto& item : m_pEntry->m_Hits.m_HitList) hits.push_back(item.get());
  std::string fasta;
  for (int hit : SelectedHits()) {
    if (hit >= 0 && static_cast<std::size_t>(hit) < hits.size() && hits[hit] != nullptr) {
      fasta += SubjectFasta(*hits[hit]);
    }
  }
  return QString::fromStdString(fasta);
}

QString CResultViewer::AlignmentText() const {
  const CBlastSearchHit* shown = HitAt(m_nSelected);
  if (shown == nullptr) return QString();
  return QString::fromStdString(HitAlignmentText(*shown, AlignmentStyleOf(*m_pEntry)));
}

bool CResultViewer::CopySelectedRows() {
  const std::size_t count = SelectedHits().size();
  if (!PutOnClipboard(SelectedRowsText())) {
    Report(QStringLiteral("No rows selected to copy"));
    return false;
  }
  Report(QStringLiteral("%1 row(s) copied as tab-separated text").arg(count));
  return true;
}

bool CResultViewer::CopySelectedFasta() {
  if (!PutOnClipboard(SelectedFasta())) {
    Report(QStringLiteral("The selected hits hold no aligned sequences to copy"));
    return false;
  }
  Report(
      QStringLiteral("Aligned sequences of %1 hit(s) copied as FASTA").arg(SelectedHits().size()));
  return true;
}

bool CResultViewer::CopyAlignment() {
  if (!PutOnClipboard(AlignmentText())) {
    Report(QStringLiteral("No hit shown whose alignment could be copied"));
    return false;
  }
  Report(QStringLiteral("Alignment copied as text"));
  return true;
}

bool CResultViewer::SaveSelectedFasta() {
  const QString fasta = SelectedFasta();
  if (fasta.isEmpty()) {
    Report(QStringLiteral("The selected hits hold no aligned sequences to save"));
    return false;
  }
  const QString path = m_saveChooser(QStringLiteral("subjects.fasta"));
  if (path.isEmpty()) return false;
  QSaveFile file(path);
  const QByteArray bytes = fasta.toUtf8();
  if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
    Report(QStringLiteral("Could not save %1: %2").arg(path, file.errorString()));
    return false;
  }
  Report(QStringLiteral("Saved the aligned sequences of %1 hit(s) to %2")
             .arg(SelectedHits().size())
             .arg(path));
  return true;
}

void CResultViewer::StartFind() {
  m_pFindBar->show();
  m_pFind->setFocus(Qt::ShortcutFocusReason);
  m_pFind->selectAll();
}

bool CResultViewer::FindHit(const QString& text, bool fromTop) {
  const int rows = m_pTable->rowCount();
  if (text.isEmpty() || rows == 0) return false;
  const int current = m_pTable->currentRow();
  const int first = fromTop || current < 0 ? 0 : current + 1;
  for (int step = 0; step < rows; ++step) {
    const int row = (first + step) % rows;
    for (int column : {kColumnDescription, kColumnIdentifier}) {
      const QTableWidgetItem* item = m_pTable->item(row, column);
      if (item == nullptr || !item->text().contains(text, Qt::CaseInsensitive)) continue;
      SelectHit(m_pTable->item(row, kColumnRank)->data(Qt::UserRole).toInt());
      Report(QStringLiteral("Hit %1 of the table holds \"%2\"").arg(row + 1).arg(text));
      return true;
    }
  }
  Report(QStringLiteral("No hit's identifier or description holds \"%1\"").arg(text));
  return false;
}

bool CResultViewer::eventFilter(QObject* watched, QEvent* event) {
  const bool key = event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride;
  if (!key) return QMainWindow::eventFilter(watched, event);
  auto* press = static_cast<QKeyEvent*>(event);
  if (watched == m_pFind && press->key() == Qt::Key_Escape) {
    // Esc closes the find box, not the window.
    event->accept();
    if (event->type() == QEvent::KeyPress) {
      m_pFindBar->hide();
      m_pTable->setFocus();
    }
    return true;
  }
  if (watched == m_pTable && (press->matches(QKeySequence::Copy) || IsEnter(press))) {
    event->accept();
    if (event->type() == QEvent::KeyPress) {
      if (IsEnter(press)) {
        OpenHitAtNcbi();
      } else {
        CopySelectedRows();
      }
    }
    return true;
  }
  return QMainWindow::eventFilter(watched, event);
}

}  // namespace blastsearch
