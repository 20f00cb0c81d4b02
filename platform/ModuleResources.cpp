#include "platform/ModuleResources.h"

#include <algorithm>
#include <mutex>
#include <vector>

namespace blastsearch {

namespace {

// The registered sets, in registration order. Made on first use, so that
// modules may register from their static objects.
struct CRegistry {
  std::mutex m_mutex;
  std::vector<const CResourceSet*> m_sets;
};

CRegistry& Registry() {
  static CRegistry registry;
  return registry;
}

// The registered sets, copied so that the search runs without the lock.
std::vector<const CResourceSet*> RegisteredSets() {
  CRegistry& registry = Registry();
  const std::lock_guard lock(registry.m_mutex);
  return registry.m_sets;
}

}  // namespace

void AddResourceSet(const CResourceSet& set) {
  CRegistry& registry = Registry();
  const std::lock_guard lock(registry.m_mutex);
  if (std::find(registry.m_sets.begin(), registry.m_sets.end(), &set) == registry.m_sets.end()) {
    registry.m_sets.push_back(&set);
  }
}

void RemoveResourceSet(const CResourceSet& set) {
  CRegistry& registry = Registry();
  const std::lock_guard lock(registry.m_mutex);
  std::erase(registry.m_sets, &set);
}

bool IsResourceSetRegistered(const CResourceSet& set) {
  const std::vector<const CResourceSet*> sets = RegisteredSets();
  return std::find(sets.begin(), sets.end(), &set) != sets.end();
}

int LoadString(unsigned id, std::string& text) {
  for (const CResourceSet* set : RegisteredSets()) {
    for (const CStringResource& entry : set->m_strings) {
      if (entry.m_nId == id && entry.m_pszText != nullptr) {
        text = entry.m_pszText;
        return 1;
      }
    }
  }
  return 0;
}

const CDialogLayout* FindDialogLayout(int id) {
  for (const CResourceSet* set : RegisteredSets()) {
    for (const CDialogLayout& layout : set->m_layouts) {
      if (layout.m_nId == id) return &layout;
    }
  }
  return nullptr;
}

std::unique_ptr<CMenu> LoadMenu(unsigned id) {
  for (const CResourceSet* set : RegisteredSets()) {
    for (const CMenuResource& menu : set->m_menus) {
      if (menu.m_nId == id) return BuildMenu(menu);
    }
  }
  return nullptr;
}

std::unique_ptr<CBitmap> LoadBitmap(unsigned id) {
  for (const CResourceSet* set : RegisteredSets()) {
    for (const CBitmapResource& resource : set->m_bitmaps) {
      if (resource.m_nId != id) continue;
      if (resource.m_pBytes == nullptr) return nullptr;
      auto bitmap = std::make_unique<CBitmap>();
      if (!bitmap->LoadFromBytes({resource.m_pBytes, resource.m_nSize})) return nullptr;
      return bitmap;
    }
  }
  return nullptr;
}

}  // namespace blastsearch
