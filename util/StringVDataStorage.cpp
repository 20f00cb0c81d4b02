#include "util/StringVDataStorage.h"

#include "host/KaArchive.h"
#include "host/RttiLink.h"

namespace blastsearch {

IMPLEMENT_DYNCREATE(CStringVDataStorage, CObject)

// The link with the archive ("~Data~") is made by the module's start-up.

CStringVDataStorage& CStringVDataStorage::operator=(const CStringVDataStorage& source) {
  if (this != &source) m_items = source.m_items;
  return *this;
}

void CStringVDataStorage::Serialize(CKaArchive& ar) {
  if (!ar.IsLoading()) {
    for (const CStringVDataItem& item : m_items) {
      std::string element = item.Assemble();
      ar(element);
    }
    return;
  }
  m_items.clear();
  while (!ar.AtEnd()) {
    std::string element;
    ar(element);
    CStringVDataItem item;
    if (item.Separate(std::move(element))) m_items.push_back(std::move(item));
  }
}

void CStringVDataStorage::_ux_serialize(CStringVDataStorage* object, CKaArchive& ar) {
  object->Serialize(ar);
}

void CStringVDataStorage::Set(std::string key, std::string value) {
  for (CStringVDataItem& item : m_items) {
    if (item.m_strKey == key) {
      if (item.m_strValue != value) item.m_strValue = std::move(value);
      return;
    }
  }
  m_items.emplace_back(std::move(key), std::move(value));
}

int CStringVDataStorage::Lookup(std::string key, std::string& value, int* index) const {
  for (std::size_t i = 0; i < m_items.size(); ++i) {
    if (m_items[i].m_strKey == key) {
      value = m_items[i].m_strValue;
      if (index != nullptr) *index = static_cast<int>(i);
      return 1;
    }
  }
  return 0;
}

int CStringVDataStorage::Get(int index, std::string& key, std::string& value) const {
  if (index < 0 || index >= GetCount()) return 0;
  const CStringVDataItem& item = m_items[static_cast<std::size_t>(index)];
  key = item.m_strKey;
  value = item.m_strValue;
  return 1;
}

CStringVDataItem CStringVDataStorage::GetItem(int index) const {
  if (index < 0 || index >= GetCount()) return CStringVDataItem();
  return m_items[static_cast<std::size_t>(index)];
}

}  // namespace blastsearch
