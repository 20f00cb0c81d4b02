#include "gui/ObjectIcons.h"

#include <QPainter>
#include <QPixmap>

#include "host/db/DBTableBase.h"
#include "platform/ImageList.h"
#include "platform/Menu.h"
#include "platform/qt/WindowResources.h"

namespace blastsearch {

namespace {

// A sheet of paper with a folded corner and, for object pictures, three
// coloured bars like aligned segments.
QPixmap DrawSheet(int size, bool withBars) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing, size > 16);
  const double unit = size / 16.0;
  const double left = 2.5 * unit;
  const double right = 13.5 * unit;
  const double top = 0.5 * unit;
  const double bottom = 15.5 * unit;
  const double fold = 4 * unit;
  QPolygonF sheet;
  sheet << QPointF(left, top) << QPointF(right - fold, top) << QPointF(right, top + fold)
        << QPointF(right, bottom) << QPointF(left, bottom);
  painter.setPen(QPen(QColor(90, 100, 115), 1));
  painter.setBrush(QColor(250, 251, 253));
  painter.drawPolygon(sheet);
  painter.drawLine(QPointF(right - fold, top), QPointF(right - fold, top + fold));
  painter.drawLine(QPointF(right - fold, top + fold), QPointF(right, top + fold));
  if (!withBars) return pixmap;
  const QColor colours[] = {QColor(200, 40, 40), QColor(225, 120, 20), QColor(40, 110, 200)};
  const double starts[] = {4, 5.5, 4.5};
  const double ends[] = {11, 12, 9};
  painter.setPen(Qt::NoPen);
  for (int i = 0; i < 3; ++i) {
    painter.setBrush(colours[i]);
    painter.drawRect(
        QRectF(starts[i] * unit, (6 + 3 * i) * unit, (ends[i] - starts[i]) * unit, 1.8 * unit));
  }
  return pixmap;
}

}  // namespace

CObjectIcons::CObjectIcons(int size) : m_nSize(size), m_pList(std::make_unique<CImageList>()) {
  m_pList->Create(size, size, 4);
  m_pList->SetImageCount(kHostImages);
}

CObjectIcons::~CObjectIcons() = default;

void CObjectIcons::AddTableImages(CDBTableBase& table) {
  if (m_tables[&table]) return;
  m_tables[&table] = true;
  table.UpdateImageListIcons(m_pList.get());
  m_cache.clear();
}

int CObjectIcons::GetImageCount() const { return m_pList->GetImageCount(); }

QIcon CObjectIcons::Image(int index) {
  if (index < 0 || index >= GetImageCount()) return QIcon();
  if (const auto found = m_cache.find(index); found != m_cache.end()) return found->second;
  QIcon icon;
  if (index >= kHostImages) {
    std::unique_ptr<CIcon> extracted = m_pList->ExtractIcon(index);
    if (extracted) icon = ToQIcon(*extracted);
  }
  if (icon.isNull()) icon = HostImage(index);
  m_cache[index] = icon;
  return icon;
}

QIcon CObjectIcons::TableIcon(CDBTableBase& table) {
  std::unique_ptr<CIcon> icon(table.GetContextIcon(m_nSize < 32 ? 1 : 2));
  if (icon) {
    QIcon converted = ToQIcon(*icon);
    if (!converted.isNull()) return converted;
  }
  return HostImage(kHostImages - 1);
}

QIcon CObjectIcons::HostImage(int index) const {
  return QIcon(DrawSheet(m_nSize, index == kHostImages - 1));
}

}  // namespace blastsearch
