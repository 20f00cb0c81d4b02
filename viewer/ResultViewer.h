#pragma once

#include <QMainWindow>
#include <memory>
#include <string>

class CBlastSearchEntry;
class CHitOverview;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollArea;
class QTableWidget;
class QTextEdit;

// The window that shows one BLAST search result: the query in a header, the
// graphical overview of the hits along the query with its colour legend,
// the table of hits (sortable) and the alignments of the selected hit with
// its link. Selecting a hit in the table or clicking its row in the
// overview shows it. The window keeps its own copy of the result.
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

  // The viewer's parts, for tests and the pictures of the documentation.
  QLabel* Header() const { return m_pHeader; }
  QTableWidget* HitTable() const { return m_pTable; }
  CHitOverview* Overview() const { return m_pOverview; }
  QScrollArea* OverviewArea() const { return m_pOverviewArea; }
  QTextEdit* AlignmentView() const { return m_pAlignments; }
  QLabel* HitTitle() const { return m_pHitTitle; }
  QLineEdit* LinkEdit() const { return m_pLink; }

  // Columns of the hit table. Column 0 holds the hit's position in the
  // result (report order).
  enum {
    kColumnRank,
    kColumnIdentifier,
    kColumnDescription,
    kColumnLength,
    kColumnBits,
    kColumnExpect,
    kColumnCount
  };

 private:
  QWidget* MakeHeader(const std::string& title);
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
};
