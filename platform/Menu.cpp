#include "platform/Menu.h"

#include <utility>

namespace blastsearch {

CMenu::CMenu() = default;
CMenu::CMenu(CMenu&&) noexcept = default;
CMenu& CMenu::operator=(CMenu&&) noexcept = default;
CMenu::~CMenu() = default;

int CMenu::GetMenuItemCount() const { return static_cast<int>(m_items.size()); }

const CMenuItem& CMenu::GetItem(int pos) const {
  static const CMenuItem kNone;
  if (pos < 0 || pos >= GetMenuItemCount()) return kNone;
  return m_items[static_cast<std::size_t>(pos)];
}

unsigned CMenu::GetMenuItemID(int pos) const { return GetItem(pos).m_nID; }

std::string CMenu::GetMenuString(int pos) const { return GetItem(pos).m_strText; }

CMenu* CMenu::GetSubMenu(int pos) const { return GetItem(pos).m_pPopup.get(); }

std::unique_ptr<CMenu> CMenu::RemovePopup(int pos) {
  if (GetSubMenu(pos) == nullptr) return nullptr;
  const auto at = m_items.begin() + pos;
  std::unique_ptr<CMenu> popup = std::move(at->m_pPopup);
  m_items.erase(at);
  return popup;
}

int CMenu::DeleteMenu(int pos) {
  if (pos < 0 || pos >= GetMenuItemCount()) return 0;
  m_items.erase(m_items.begin() + pos);
  return 1;
}

void CMenu::AppendItem(CMenuItem item) { InsertItem(GetMenuItemCount(), std::move(item)); }

void CMenu::InsertItem(int pos, CMenuItem item) {
  if ((item.m_nFlags & MF_POPUP) != 0 && item.m_pPopup == nullptr) {
    item.m_pPopup = std::make_unique<CMenu>();
  }
  item.m_nFlags &= ~MF_END;
  if (pos < 0 || pos > GetMenuItemCount()) pos = GetMenuItemCount();
  m_items.insert(m_items.begin() + pos, std::move(item));
}

namespace {

constexpr int kMaxMenuDepth = 16;

// Reads one level of `resource` from `next` into `menu`, up to and including
// the item flagged MF_END: true when it was well formed.
bool ReadMenuLevel(const CMenuResource& resource, int& next, int depth, CMenu& menu) {
  if (depth > kMaxMenuDepth) return false;
  while (next < resource.m_nItems) {
    const CMenuResourceItem& entry = resource.m_pItems[next++];
    CMenuItem item;
    item.m_strText = entry.m_pszText != nullptr ? entry.m_pszText : "";
    item.m_nFlags = entry.m_nFlags;
    item.m_nID = (entry.m_nFlags & (MF_POPUP | MF_SEPARATOR)) != 0 ? 0 : entry.m_nID;
    if ((entry.m_nFlags & MF_POPUP) != 0) {
      item.m_pPopup = std::make_unique<CMenu>();
      if (!ReadMenuLevel(resource, next, depth + 1, *item.m_pPopup)) return false;
    }
    menu.AppendItem(std::move(item));
    if ((entry.m_nFlags & MF_END) != 0) return true;
  }
  return false;  // the level never ended
}

}  // namespace

std::unique_ptr<CMenu> BuildMenu(const CMenuResource& resource) {
  if (resource.m_pItems == nullptr || resource.m_nItems <= 0) return nullptr;
  auto menu = std::make_unique<CMenu>();
  int next = 0;
  if (!ReadMenuLevel(resource, next, 0, *menu) || next != resource.m_nItems) return nullptr;
  return menu;
}

}  // namespace blastsearch
