#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

// Menus as plain data: the window layer turns them into real menus at the
// widget (platform/qt/WindowResources.h).

// Flags of a menu item.
enum : unsigned {
  MF_STRING = 0x0000,     // a command with a text
  MF_POPUP = 0x0010,      // opens a submenu
  MF_END = 0x0080,        // in a menu resource: the last item of its level
  MF_SEPARATOR = 0x0800,  // a separator line
  MF_HELP = 0x4000,       // help-justified (placed at the right of a menu bar)
};

class CMenu;

// One item of a menu: its text ("&Open"; "" for a separator), command
// identifier (0 for a separator or a popup), flags, and for a popup its menu,
// owned by the item.
struct CMenuItem {
  std::string m_strText;
  unsigned m_nID = 0;
  unsigned m_nFlags = 0;
  std::unique_ptr<CMenu> m_pPopup;
};

// An owning tree of menu items. Positions count from 0; an operation given a
// position outside the menu does nothing and answers 0, null or an empty item
// as its comment says.
class CMenu {
 public:
  CMenu();
  CMenu(CMenu&&) noexcept;
  CMenu& operator=(CMenu&&) noexcept;
  ~CMenu();

  int GetMenuItemCount() const;
  // The item at `pos`; an empty item (no text, 0, no flags) outside the menu.
  // Valid until the menu changes.
  const CMenuItem& GetItem(int pos) const;
  // The command identifier at `pos`: 0 for a separator, a popup or outside.
  unsigned GetMenuItemID(int pos) const;
  // The text at `pos`; "" outside the menu.
  std::string GetMenuString(int pos) const;
  // The submenu at `pos`, owned by this menu; null if that is not a popup.
  CMenu* GetSubMenu(int pos) const;
  // Takes the popup at `pos` out of this menu (the item goes too) and hands
  // its submenu to the caller; null (menu unchanged) if it is not a popup.
  [[nodiscard]] std::unique_ptr<CMenu> RemovePopup(int pos);
  // Removes the item at `pos` with its submenu: 1, 0 outside the menu.
  int DeleteMenu(int pos);
  // Adds `item` at the end / before `pos` (at the end when `pos` is outside).
  // A popup item without a submenu gets an empty one.
  void AppendItem(CMenuItem item);
  void InsertItem(int pos, CMenuItem item);

 private:
  std::vector<CMenuItem> m_items;
};

// One item of a menu resource, kept as data. Items are listed depth first:
// a popup item (MF_POPUP) is followed by the items of its submenu; MF_END
// marks the last item of each level, the top level included.
struct CMenuResourceItem {
  unsigned m_nFlags;
  unsigned m_nID;
  const char* m_pszText;
};

// A menu resource: identifier and its items.
struct CMenuResource {
  unsigned m_nId;
  const CMenuResourceItem* m_pItems;
  int m_nItems;
};

// Builds the menu `resource` describes: a new menu owned by the caller, or
// null when the items are not well formed (a level without its MF_END, items
// left over, nesting deeper than 16 levels).
std::unique_ptr<CMenu> BuildMenu(const CMenuResource& resource);

// The menu `id` of the resources of the loaded modules (searched in the order
// the modules registered them, platform/ModuleResources.h): a new menu owned
// by the caller, or null when no module has it.
[[nodiscard]] std::unique_ptr<CMenu> LoadMenu(unsigned id);

}  // namespace BLASTSEARCH_EXPORT
