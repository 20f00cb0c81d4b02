#pragma once

#include <QRect>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "viewer/HitOverviewLayout.h"

class CBlastSearchEntry;
class QPainter;

// The graphical overview of a result: a ruler of query positions, then one
// row per hit (report order) with a bar for each segment pair placed by its
// query range and coloured by its bit-score band. Clicking a hit's row
// selects the hit; hovering shows its name. Meant to sit in a scroll area
// that resizes it: its minimum height holds every row.
class CHitOverview : public QWidget {
 public:
  // Takes what it draws from `entry` (copied; the entry may go after).
  explicit CHitOverview(const CBlastSearchEntry& entry, QWidget* parent = nullptr);

  // Called with the hit's position when a person clicks a hit's row.
  void SetSelectionHandler(std::function<void(int)> handler) { m_onSelect = std::move(handler); }
  // Marks hit `hit` (-1: none) and repaints.
  void SetSelectedHit(int hit);
  int SelectedHit() const { return m_nSelected; }

  // Number of hit rows.
  int RowCount() const { return static_cast<int>(m_rows.size()); }
  // The rectangle of hit `hit`'s row, in this widget's pixels.
  QRect RowRect(int hit) const;
  // The bar of segment pair `element` of hit `hit`, in this widget's
  // pixels; empty when there is no such pair or nothing to scale by.
  QRect BarRect(int hit, int element) const;
  // The bit-score band of that segment pair (0 to 4; 0 when there is none).
  int BarBand(int hit, int element) const;
  // The hit whose row holds `point`, or -1.
  int HitAt(const QPoint& point) const;

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

  // Layout, in pixels.
  static constexpr int kMargin = 14;
  static constexpr int kRulerHeight = 46;
  static constexpr int kRowHeight = 11;
  static constexpr int kBarHeight = 7;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  bool event(QEvent* event) override;

 private:
  struct CRow {
    std::string m_strName;
    std::string m_strDescription;
    std::vector<CQueryRange> m_ranges;
    std::vector<int> m_bands;
    double m_dBestBits = 0.0;
  };
  int TrackWidth() const;
  void PaintRuler(QPainter& painter) const;

  int m_nQueryLength = 0;
  int m_nScale = 0;
  std::vector<CRow> m_rows;
  int m_nSelected = -1;
  std::function<void(int)> m_onSelect;
};

// A row of the five band colours with their bit-score ranges.
QWidget* MakeBandLegend(QWidget* parent);
