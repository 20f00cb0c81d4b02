#pragma once

// Temporary: the window types of the shared menu and image-list seam, as small
// local forms until the real ones (platform/Menu.h, platform/ImageList.h,
// platform/qt/WindowResources.h) are in the tree. Only the database window
// uses these; they go when the real headers arrive.

#include <QIcon>
#include <QMenu>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/StringTable.h"

class CMenu;

enum : unsigned { MF_POPUP = 0x10, MF_SEPARATOR = 0x800, MF_HELP = 0x4000 };

// One item of a menu; a popup owns its menu.
struct CMenuItem {
  std::string m_strText;
  unsigned m_nID = 0;
  unsigned m_nFlags = 0;
  std::unique_ptr<CMenu> m_pPopup;
};

// An owning tree of menu items.
class CMenu {
 public:
  int GetMenuItemCount() const { return static_cast<int>(m_items.size()); }
  const CMenuItem& GetItem(int pos) const { return m_items[static_cast<std::size_t>(pos)]; }
  CMenu* GetSubMenu(int pos) const { return GetItem(pos).m_pPopup.get(); }
  void AppendItem(CMenuItem item) { m_items.push_back(std::move(item)); }

 private:
  std::vector<CMenuItem> m_items;
};

// An icon: width, height and RGBA pixels.
class CIcon {
 public:
  int m_nWidth = 0;
  int m_nHeight = 0;
};

// A list of images of one size.
class CImageList {
 public:
  bool Create(int cx, int cy, int /*grow*/) {
    m_nCx = cx;
    m_nCy = cy;
    return true;
  }
  int GetImageCount() const { return m_nCount; }
  void SetImageCount(int count) { m_nCount = count; }
  // A copy of image `pos` as a new icon (owned by the caller), or null.
  CIcon* ExtractIcon(int /*pos*/) const { return nullptr; }

 private:
  int m_nCx = 16;
  int m_nCy = 16;
  int m_nCount = 0;
};

inline QIcon ToQIcon(const CIcon&) { return QIcon(); }

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
