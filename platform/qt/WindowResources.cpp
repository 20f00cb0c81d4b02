#include "platform/qt/WindowResources.h"

#include <QAction>
#include <QImage>
#include <QMenu>
#include <string>

#include "platform/ImageList.h"
#include "platform/Menu.h"
#include "platform/StringTable.h"

namespace blastsearch {

QPixmap ToQPixmap(const CIcon& icon) {
  if (icon.GetWidth() == 0) return QPixmap();
  QImage image(icon.GetWidth(), icon.GetHeight(), QImage::Format_RGBA8888);
  for (int y = 0; y < icon.GetHeight(); ++y) {
    auto* line = image.scanLine(y);
    for (int x = 0; x < icon.GetWidth(); ++x) {
      const CRgba pixel = icon.GetPixel(x, y);
      line[4 * x] = pixel.m_r;
      line[4 * x + 1] = pixel.m_g;
      line[4 * x + 2] = pixel.m_b;
      line[4 * x + 3] = pixel.m_a;
    }
  }
  return QPixmap::fromImage(image);
}

QIcon ToQIcon(const CIcon& icon) {
  const QPixmap pixmap = ToQPixmap(icon);
  return pixmap.isNull() ? QIcon() : QIcon(pixmap);
}

namespace {

// Fills `target` with the items of `menu`.
void AddMenuItems(QMenu* target, const CMenu& menu) {
  for (int pos = 0; pos < menu.GetMenuItemCount(); ++pos) {
    const CMenuItem& item = menu.GetItem(pos);
    const QString text = QString::fromStdString(item.m_strText);
    if ((item.m_nFlags & MF_SEPARATOR) != 0) {
      target->addSeparator();
    } else if (item.m_pPopup != nullptr) {
      QMenu* submenu = target->addMenu(text);
      AddMenuItems(submenu, *item.m_pPopup);
    } else {
      QAction* action = target->addAction(text);
      action->setData(item.m_nID);
      std::string prompt;
      if (LoadString(item.m_nID, prompt) != 0) {
        const std::size_t cut = prompt.find('\n');
        action->setStatusTip(QString::fromStdString(prompt.substr(0, cut)));
        if (cut != std::string::npos) {
          action->setToolTip(QString::fromStdString(prompt.substr(cut + 1)));
        }
      }
    }
  }
}

}  // namespace

QMenu* BuildQMenu(const CMenu& menu, QWidget* parent) {
  auto* target = new QMenu(parent);
  target->setToolTipsVisible(false);
  AddMenuItems(target, menu);
  return target;
}

}  // namespace blastsearch
