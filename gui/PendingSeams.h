#pragma once

// Temporary: the Qt conversions of the window data (icons and menus) as small
// local forms until the window layer's own are in the tree. Only the
// database window uses these; they go when the real ones arrive.

#include <QIcon>
#include <QImage>
#include <QMenu>
#include <QPixmap>
#include <string>

#include "platform/ImageList.h"
#include "platform/Menu.h"
#include "platform/StringTable.h"

// The icon as a Qt pixmap, transparency kept.
inline QPixmap ToQPixmap(const CIcon& icon) {
  QImage image(icon.GetWidth(), icon.GetHeight(), QImage::Format_RGBA8888);
  for (int y = 0; y < icon.GetHeight(); ++y) {
    for (int x = 0; x < icon.GetWidth(); ++x) {
      const CRgba c = icon.GetPixel(x, y);
      image.setPixelColor(x, y, QColor(c.m_r, c.m_g, c.m_b, c.m_a));
    }
  }
  return QPixmap::fromImage(image);
}

inline QIcon ToQIcon(const CIcon& icon) {
  if (icon.GetWidth() <= 0 || icon.GetHeight() <= 0) return QIcon();
  return QIcon(ToQPixmap(icon));
}

// A Qt menu of `menu`: each action carries its command in data(), its prompt
// as status tip (text before "\n") and tooltip (after it).
inline QMenu* BuildQMenu(const CMenu& menu, QWidget* parent) {
  auto* built = new QMenu(parent);
  for (int i = 0; i < menu.GetMenuItemCount(); ++i) {
    const CMenuItem& item = menu.GetItem(i);
    if ((item.m_nFlags & MF_SEPARATOR) != 0 || (item.m_strText.empty() && !item.m_pPopup)) {
      built->addSeparator();
    } else if (item.m_pPopup) {
      QMenu* sub = BuildQMenu(*item.m_pPopup, built);
      sub->setTitle(QString::fromStdString(item.m_strText));
      built->addMenu(sub);
    } else {
      QAction* action = built->addAction(QString::fromStdString(item.m_strText));
      action->setData(item.m_nID);
      std::string prompt;
      if (LoadString(item.m_nID, prompt) != 0) {
        const auto cut = prompt.find('\n');
        action->setStatusTip(QString::fromStdString(prompt.substr(0, cut)));
        if (cut != std::string::npos) {
          action->setToolTip(QString::fromStdString(prompt.substr(cut + 1)));
        }
      }
    }
  }
  return built;
}
