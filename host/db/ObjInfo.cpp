#include "host/db/ObjInfo.h"

#include <algorithm>

namespace blastsearch {

CObjInfoList::Items::iterator CObjInfoList::LowerBound(unsigned long objId) {
  return std::lower_bound(
      m_items.begin(), m_items.end(), objId,
      [](const std::unique_ptr<CObjInfo>& item, unsigned long id) { return item->m_objId < id; });
}

CObjInfo* CObjInfoList::FindById(unsigned long objId) const {
  auto it = const_cast<CObjInfoList*>(this)->LowerBound(objId);
  return it != m_items.end() && (*it)->m_objId == objId ? it->get() : nullptr;
}

CObjInfo* CObjInfoList::FindByName(const std::string& name) const {
  for (const auto& item : m_items) {
    if (item->m_name == name) return item.get();
  }
  return nullptr;
}

CObjInfo* CObjInfoList::Put(const CObjInfo& info) {
  auto it = LowerBound(info.m_objId);
  if (it != m_items.end() && (*it)->m_objId == info.m_objId) {
    **it = info;
    return it->get();
  }
  return m_items.insert(it, std::make_unique<CObjInfo>(info))->get();
}

void CObjInfoList::Remove(unsigned long objId) {
  auto it = LowerBound(objId);
  if (it != m_items.end() && (*it)->m_objId == objId) m_items.erase(it);
}

void CObjInfoList::Merge(Items&& fresh) {
  auto old = m_items.begin();
  for (std::unique_ptr<CObjInfo>& info : fresh) {
    while (old != m_items.end() && (*old)->m_objId < info->m_objId) ++old;
    if (old != m_items.end() && (*old)->m_objId == info->m_objId) {
      **old = std::move(*info);
      info = std::move(*old);
      ++old;
    }
  }
  m_items = std::move(fresh);
}

void CObjInfoList::Merge(std::vector<CObjInfo>&& fresh) {
  Items merged;
  merged.reserve(fresh.size());
  auto old = m_items.begin();
  for (CObjInfo& info : fresh) {
    while (old != m_items.end() && (*old)->m_objId < info.m_objId) ++old;
    if (old != m_items.end() && (*old)->m_objId == info.m_objId) {
      **old = std::move(info);
      merged.push_back(std::move(*old));
      ++old;
    } else {
      merged.push_back(std::make_unique<CObjInfo>(std::move(info)));
    }
  }
  m_items = std::move(merged);
}

}  // namespace blastsearch
