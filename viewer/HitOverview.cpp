#include "viewer/HitOverview.h"

#include <QHBoxLayout>
#include <QHelpEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPixmap>
#include <QToolTip>
#include <algorithm>

#include "model/BlastSearchEntry.h"
#include "model/NumberFormat.h"
#include "viewer/AlignmentText.h"

namespace blastsearch {

namespace {

QColor ToQColor(const CBandColour& colour) {
  return QColor(colour.m_nRed, colour.m_nGreen, colour.m_nBlue);
}

}  // namespace

CHitOverview::CHitOverview(const CBlastSearchEntry& entry, QWidget* parent) : QWidget(parent) {
  const int queryLength = entry.GetMolLength();
  std::vector<CQueryRange> all;
  for (const auto& hit : entry.m_Hits.m_HitList) {
    CRow row;  // a null entry keeps an empty row, so rows stay hit positions
    if (!hit) {
      m_rows.push_back(std::move(row));
      continue;
    }
    row.m_strName = hit->m_strName.empty() ? hit->m_strID : hit->m_strName;
    row.m_strDescription = hit->m_strDescription;
    double expect = 0.0;
    BestScores(*hit, row.m_dBestBits, expect);
    for (const auto& element : hit->m_ElementList) {
      if (!element) continue;
      row.m_ranges.push_back(CQueryRange{element->m_Query.m_nStart, element->m_Query.m_nEnd});
      row.m_bands.push_back(BitScoreBand(element->m_dBitScore));
      all.push_back(row.m_ranges.back());
    }
    m_rows.push_back(std::move(row));
  }
  // One scale for every row, so that bars of different hits line up.
  m_nScale = OverviewScaleLength(queryLength, all);
  setBackgroundRole(QPalette::Base);
  setAutoFillBackground(true);
  setMinimumHeight(minimumSizeHint().height());
}

void CHitOverview::SetSelectedHit(int hit) {
  m_nSelected = hit >= 0 && hit < RowCount() ? hit : -1;
  update();
}

int CHitOverview::TrackWidth() const { return std::max(width() - 2 * kMargin, 0); }

QRect CHitOverview::RowRect(int hit) const {
  if (hit < 0 || hit >= RowCount()) return {};
  return QRect(0, kTop + hit * kRowHeight, width(), kRowHeight);
}

QRect CHitOverview::BarRect(int hit, int element) const {
  if (hit < 0 || hit >= RowCount()) return {};
  const CRow& row = m_rows[static_cast<std::size_t>(hit)];
  if (element < 0 || element >= static_cast<int>(row.m_ranges.size())) return {};
  // Placed on the common scale: the scale length stands in for the query
  // length, so every row uses the same one.
  const std::vector<CBarSpan> spans = PlaceSegmentBars(m_nScale, row.m_ranges, TrackWidth());
  return SpanRect(hit, spans[static_cast<std::size_t>(element)]);
}

QRect CHitOverview::SpanRect(int hit, const CBarSpan& span) const {
  if (span.m_nWidth <= 0) return {};
  const int top = kTop + hit * kRowHeight + (kRowHeight - kBarHeight) / 2;
  return QRect(kMargin + span.m_nLeft, top, span.m_nWidth, kBarHeight);
}

int CHitOverview::BarBand(int hit, int element) const {
  if (hit < 0 || hit >= RowCount()) return 0;
  const CRow& row = m_rows[static_cast<std::size_t>(hit)];
  if (element < 0 || element >= static_cast<int>(row.m_bands.size())) return 0;
  return row.m_bands[static_cast<std::size_t>(element)];
}

int CHitOverview::HitAt(const QPoint& point) const {
  if (point.y() < kTop) return -1;
  const int hit = (point.y() - kTop) / kRowHeight;
  return hit < RowCount() ? hit : -1;
}

QSize CHitOverview::sizeHint() const { return QSize(640, minimumSizeHint().height()); }

QSize CHitOverview::minimumSizeHint() const {
  const int rows = std::max(RowCount(), 2);
  return QSize(200, kTop + rows * kRowHeight + kMargin / 2);
}

void CHitOverview::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  painter.fillRect(event->rect(), palette().color(QPalette::Base));
  const int track = TrackWidth();
  if (m_rows.empty()) {
    painter.setPen(QColor(0x80, 0x80, 0x80));
    painter.drawText(QRect(kMargin, kTop, track, 2 * kRowHeight), Qt::AlignCenter,
                     QStringLiteral("No hits"));
    return;
  }
  const int first = std::max((event->rect().top() - kTop) / kRowHeight, 0);
  const int last = std::min((event->rect().bottom() - kTop) / kRowHeight, RowCount() - 1);
  for (int hit = first; hit <= last; ++hit) {
    const CRow& row = m_rows[static_cast<std::size_t>(hit)];
    const QRect rowRect = RowRect(hit);
    if (hit == m_nSelected) painter.fillRect(rowRect, QColor(0xff, 0xee, 0xb0));
    const std::vector<CBarSpan> spans = PlaceSegmentBars(m_nScale, row.m_ranges, track);
    int leftmost = track;
    int rightmost = 0;
    for (const CBarSpan& span : spans) {
      if (span.m_nWidth <= 0) continue;
      leftmost = std::min(leftmost, span.m_nLeft);
      rightmost = std::max(rightmost, span.m_nLeft + span.m_nWidth);
    }
    // A thin line joins the segment pairs of one hit.
    if (spans.size() > 1 && rightmost > leftmost) {
      painter.setPen(QColor(0xa0, 0xa0, 0xa0));
      const int y = rowRect.center().y();
      painter.drawLine(kMargin + leftmost, y, kMargin + rightmost - 1, y);
    }
    painter.setPen(Qt::NoPen);
    for (std::size_t i = 0; i < spans.size(); ++i) {
      const QRect bar = SpanRect(hit, spans[i]);
      if (bar.isEmpty()) continue;
      painter.setBrush(ToQColor(BandColour(row.m_bands[i])));
      painter.drawRect(bar);
    }
  }
}

void CHitOverview::mousePressEvent(QMouseEvent* event) {
  const int hit = HitAt(event->position().toPoint());
  if (event->button() != Qt::LeftButton || hit < 0) {
    QWidget::mousePressEvent(event);
    return;
  }
  SetSelectedHit(hit);
  if (m_onSelect) m_onSelect(hit);
}

bool CHitOverview::event(QEvent* event) {
  if (event->type() != QEvent::ToolTip) return QWidget::event(event);
  auto* help = static_cast<QHelpEvent*>(event);
  const int hit = HitAt(help->pos());
  if (hit < 0) {
    QToolTip::hideText();
    event->ignore();
    return true;
  }
  const CRow& row = m_rows[static_cast<std::size_t>(hit)];
  QString text =
      QStringLiteral("<b>%1</b>").arg(QString::fromStdString(row.m_strName).toHtmlEscaped());
  if (!row.m_strDescription.empty()) {
    text += QStringLiteral("<br>") + QString::fromStdString(row.m_strDescription).toHtmlEscaped();
  }
  if (!row.m_ranges.empty()) {
    text +=
        QStringLiteral("<br>Best score: %1 bits")
            .arg(QString::fromStdString(FormatNumber(row.m_dBestBits, ENumberStyle::kReportBits)));
  }
  QToolTip::showText(help->globalPos(), text, this);
  return true;
}

CHitRuler::CHitRuler(CHitOverview* overview, QWidget* parent)
    : QWidget(parent), m_pOverview(overview) {
  m_pOverview->installEventFilter(this);
  setBackgroundRole(QPalette::Base);
  setAutoFillBackground(true);
  setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

QSize CHitRuler::sizeHint() const { return QSize(200, 22 + fontMetrics().height()); }

bool CHitRuler::eventFilter(QObject* watched, QEvent* event) {
  if (watched == m_pOverview &&
      (event->type() == QEvent::Resize || event->type() == QEvent::Move)) {
    update();
  }
  return QWidget::eventFilter(watched, event);
}

void CHitRuler::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  // Where the overview's track begins, in this widget's pixels.
  const int left = m_pOverview->mapTo(window(), QPoint(0, 0)).x() -
                   mapTo(window(), QPoint(0, 0)).x() + CHitOverview::kMargin;
  const int track = m_pOverview->TrackWidth();
  const int scale = m_pOverview->ScaleLength();
  const QRect bar(left, 3, track, 12);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(0x3b, 0x5b, 0x8c));
  painter.drawRect(bar);
  QFont small = font();
  small.setPointSizeF(std::max(small.pointSizeF() * 0.85, 6.0));
  painter.setFont(small);
  painter.setPen(Qt::white);
  painter.drawText(bar.adjusted(6, 0, -6, 0), Qt::AlignLeft | Qt::AlignVCenter,
                   QStringLiteral("Query"));
  painter.setPen(QColor(0x50, 0x50, 0x50));
  if (scale <= 0) {
    painter.drawText(QRect(left, bar.bottom() + 4, track, 18), Qt::AlignLeft | Qt::AlignTop,
                     QStringLiteral("Query length unknown"));
    return;
  }
  const QFontMetrics metrics(small);
  const int spacing = metrics.horizontalAdvance(QString::number(scale)) + 24;
  for (int position : RulerPositions(scale, track, spacing)) {
    const int x = left + QueryPositionX(position, scale, track);
    painter.drawLine(x, bar.bottom() + 1, x, bar.bottom() + 5);
    const QString label = QString::number(position);
    const int labelWidth = metrics.horizontalAdvance(label);
    const int labelLeft = std::clamp(x - labelWidth / 2, 0, std::max(width() - labelWidth, 0));
    painter.drawText(QRect(labelLeft, bar.bottom() + 6, labelWidth + 2, metrics.height()),
                     Qt::AlignLeft | Qt::AlignTop, label);
  }
}

QWidget* MakeBandLegend(QWidget* parent) {
  auto* legend = new QWidget(parent);
  auto* layout = new QHBoxLayout(legend);
  layout->setContentsMargins(CHitOverview::kMargin, 2, CHitOverview::kMargin, 2);
  layout->setSpacing(6);
  auto* title = new QLabel(QStringLiteral("Bit score:"), legend);
  layout->addWidget(title);
  for (int band = 0; band < kBitScoreBands; ++band) {
    QPixmap swatch(22, 10);
    swatch.fill(ToQColor(BandColour(band)));
    auto* box = new QLabel(legend);
    box->setPixmap(swatch);
    layout->addWidget(box);
    auto* label = new QLabel(QString::fromStdString(BandLabel(band)), legend);
    layout->addWidget(label);
    layout->addSpacing(8);
  }
  layout->addStretch(1);
  return legend;
}

}  // namespace blastsearch
