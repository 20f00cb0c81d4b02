#pragma once

#include <QRect>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "platform/Export.h"
#include "viewer/HitOverviewLayout.h"

namespace blastsearch BLASTSEARCH_EXPORT {

class CBlastSearchEntry;

// The graphical overview of a result: one row per hit (report order) with a
// bar for each segment pair placed by its query range and coloured by its
// bit-score band, under a CHitRuler of query positions. Clicking a hit's
// row selects the hit; hovering shows its name. Meant to sit in a scroll
// area that resizes it: its minimum height holds every row.
class CHitOverview : public QWidget {
 public:
  // Takes what it draws from `entry` (copied; the entry may go after).
  explicit CHitOverview(const CBlastSearchEntry& entry, QWidget* parent = nullptr);

  // Called with the hit's position when a person clicks a hit's row.
  void SetSelectionHandler(std::function<void(int)> handler) { m_onSelect = std::move(handler); }
  // Marks hit `hit` (-1: none) and repaints.
  void SetSelectedHit(int hit);
  int SelectedHit() const { return m_nSelected; }

  // The query length that the track spans (0: nothing to scale by) and the
  // track's width; the track starts kMargin pixels from the left.
  int ScaleLength() const { return m_nScale; }
  int TrackWidth() const;
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
  static constexpr int kTop = 4;
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

  // The rectangle of a bar of hit `hit`'s row; empty for an empty span.
  QRect SpanRect(int hit, const CBarSpan& span) const;

  int m_nScale = 0;
  std::vector<CRow> m_rows;
  int m_nSelected = -1;
  std::function<void(int)> m_onSelect;
};

// The ruler over an overview: a bar standing for the query with its
// positions labelled, lined up with the overview's track wherever the two
// sit in one window. Follows the overview's size; does not own it.
class CHitRuler : public QWidget {
 public:
  CHitRuler(CHitOverview* overview, QWidget* parent);
  QSize sizeHint() const override;
  QSize minimumSizeHint() const override { return sizeHint(); }

 protected:
  void paintEvent(QPaintEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  CHitOverview* m_pOverview;
};

// A row of the five band colours with their bit-score ranges.
QWidget* MakeBandLegend(QWidget* parent);

}  // namespace BLASTSEARCH_EXPORT
