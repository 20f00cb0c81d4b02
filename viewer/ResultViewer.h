#pragma once

#include <QMainWindow>
#include <QString>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Export.h"

class QAction;
class QEvent;
class QLabel;
class QMenu;
class QUrl;
class QLineEdit;
class QPushButton;
class QScrollArea;
class QTableWidget;
class QTextEdit;

namespace blastsearch BLASTSEARCH_EXPORT {

class CBlastSearchEntry;
class CBlastSearchHit;
class CHitOverview;

// The window that shows one BLAST search result: the query in a header, the
// graphical overview of the hits along the query with its colour legend,
// the table of hits (sortable; query cover and % identity as BLAST+ gives
// them) and the alignments of the selected hit with its web address at
// NCBI. Selecting a hit in the table (mouse or arrows) or clicking its row
// in the overview shows it. Enter or "Open at NCBI" opens the hit's record
// in the browser; Ctrl+C copies the selected rows as tab-separated text with
// a header; Ctrl+F finds text in the hits' descriptions; the context menu of
// the table and of the alignments copies rows, copies or saves the selected
// subjects' aligned sequences as FASTA and copies the alignment as text.
// What each command did, or why it could not, shows in the status bar. The
// window keeps its own copy of the result.
class CResultViewer : public QMainWindow {
 public:
  // Copies `entry`; `title` (for example the stored object's name) heads
  // the window, else the query's name does. Selects the first hit.
  explicit CResultViewer(const CBlastSearchEntry& entry, const std::string& title = {},
                         QWidget* parent = nullptr);
  ~CResultViewer() override;

  // The result shown (the viewer's copy).
  const CBlastSearchEntry& Entry() const { return *m_pEntry; }
  // Shows hit `hit` (its position in the result; -1 or out of range: none)
  // and selects it in the table and the overview.
  void SelectHit(int hit);
  // The hit shown, or -1.
  int SelectedHit() const { return m_nSelected; }
  // The hits selected in the table (positions in the result), in the
  // table's order.
  std::vector<int> SelectedHits() const;

  // Opens a web address; returns whether it did. The default hands the
  // address to the desktop's browser (QDesktopServices::openUrl).
  using UrlOpener = std::function<bool(const QUrl&)>;
  // Replaces the opener (tests record addresses instead of opening them);
  // an empty function restores the default.
  void SetUrlOpener(UrlOpener opener);
  // Asks for the file to save FASTA to, given a suggested name; an empty
  // result means the person cancelled. The default is a save dialog.
  using SaveFileChooser = std::function<QString(const QString& suggested)>;
  void SetSaveFileChooser(SaveFileChooser chooser);

  // The commands of the menus and keys; each reports in the status bar.
  // Opens the shown hit's NCBI record; false when it has no address or the
  // opener failed.
  bool OpenHitAtNcbi();
  // The selected rows as tab-separated text: a header line of the column
  // names, then one line per row as shown (tabs and line ends in a cell
  // made blanks). Empty when no row is selected.
  QString SelectedRowsText() const;
  // The selected subjects' aligned rows as FASTA (SubjectFasta of each).
  QString SelectedFasta() const;
  // The shown hit's alignments as plain text (HitAlignmentText); empty
  // when no hit is shown.
  QString AlignmentText() const;
  // Put the texts above on the clipboard; false (and a message) when there
  // was nothing to copy.
  bool CopySelectedRows();
  bool CopySelectedFasta();
  bool CopyAlignment();
  // Writes SelectedFasta() to a file chosen through the save chooser;
  // false when cancelled, when there is nothing to save, or when the file
  // cannot be written (the message names the file and the reason).
  bool SaveSelectedFasta();
  // Shows the find box over the hit table and gives it the keyboard.
  void StartFind();
  // Selects the next hit after the current row (from the top when
  // `fromTop`) whose identifier or description holds `text`, letter case
  // aside, wrapping round; false when none does.
  bool FindHit(const QString& text, bool fromTop);

  // The viewer's parts, for tests and the pictures of the documentation.
  QLabel* Header() const { return m_pHeader; }
  QTableWidget* HitTable() const { return m_pTable; }
  CHitOverview* Overview() const { return m_pOverview; }
  QScrollArea* OverviewArea() const { return m_pOverviewArea; }
  QTextEdit* AlignmentView() const { return m_pAlignments; }
  QLabel* HitTitle() const { return m_pHitTitle; }
  QLineEdit* LinkEdit() const { return m_pLink; }
  QPushButton* OpenButton() const { return m_pOpen; }
  QLineEdit* FindEdit() const { return m_pFind; }
  // The context menu of the table and the alignments (the same commands).
  QMenu* ContextMenu() const { return m_pMenu; }

  // Columns of the hit table. Column 0 holds the hit's position in the
  // result (report order).
  enum {
    kColumnRank,
    kColumnIdentifier,
    kColumnDescription,
    kColumnLength,
    kColumnBits,
    kColumnExpect,
    kColumnCover,
    kColumnIdentity,
    kColumnCount
  };

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* MakeHeader(const std::string& title);
  void MakeActions();
  void ShowMenu(QWidget* from, const QPoint& at);
  void UpdateActions();
  void Report(const QString& message);
  const CBlastSearchHit* HitAt(int hit) const;
  QWidget* MakeOverviewPanel();
  QWidget* MakeHitTable();
  QWidget* MakeAlignmentPanel();
  void FillHitTable();
  void ShowHit(int hit);
  int RowOfHit(int hit) const;

  std::unique_ptr<CBlastSearchEntry> m_pEntry;
  int m_nSelected = -1;
  bool m_bSelecting = false;
  QLabel* m_pHeader = nullptr;
  CHitOverview* m_pOverview = nullptr;
  QScrollArea* m_pOverviewArea = nullptr;
  QTableWidget* m_pTable = nullptr;
  QLabel* m_pHitTitle = nullptr;
  QLineEdit* m_pLink = nullptr;
  QPushButton* m_pCopyLink = nullptr;
  QTextEdit* m_pAlignments = nullptr;
  QPushButton* m_pOpen = nullptr;
  QWidget* m_pFindBar = nullptr;
  QLineEdit* m_pFind = nullptr;
  QMenu* m_pMenu = nullptr;
  QAction* m_pOpenAction = nullptr;
  QAction* m_pCopyRowsAction = nullptr;
  QAction* m_pCopyFastaAction = nullptr;
  QAction* m_pSaveFastaAction = nullptr;
  QAction* m_pCopyAlignmentAction = nullptr;
  QAction* m_pCopyTextAction = nullptr;
  QAction* m_pFindAction = nullptr;
  UrlOpener m_urlOpener;
  SaveFileChooser m_saveChooser;
};

}  // namespace BLASTSEARCH_EXPORT
