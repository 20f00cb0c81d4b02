#include "host/editor/EditKeywordsPage.h"

#include <algorithm>

#include "host/db/DBEngine.h"
#include "host/db/DBObjectBase.h"
#include "host/db/DBTableBase.h"

namespace blastsearch {

CEditKeywordsPage::CEditKeywordsPage(CDBObjectBase* object, int dbId)
    : CEditObjectPage(kLayoutEditKeywords) {
  if (object == nullptr) return;
  m_keywords = object->m_keywords;
  const int tableId = engine().ObjtypeToObjtable(object->GetObjectType());
  if (CDBTableBase* table = engine().TableByID(tableId); table != nullptr) {
    m_available = table->getkwlist(dbId);
  }
}

CEditKeywordsPage::~CEditKeywordsPage() = default;

int CEditKeywordsPage::AddKeyword(const std::string& keyword) {
  if (keyword.empty() ||
      std::find(m_keywords.begin(), m_keywords.end(), keyword) != m_keywords.end()) {
    return 0;
  }
  m_keywords.push_back(keyword);
  return 1;
}

int CEditKeywordsPage::RemoveKeyword(const std::string& keyword) {
  auto end = std::remove(m_keywords.begin(), m_keywords.end(), keyword);
  if (end == m_keywords.end()) return 0;
  m_keywords.erase(end, m_keywords.end());
  return 1;
}

int CEditKeywordsPage::UpdateObject(CDBObjectBase* object) {
  if (object == nullptr) return 0;
  std::vector<std::string> keywords;
  for (const std::string& keyword : m_keywords) {
    if (!keyword.empty()) keywords.push_back(keyword);
  }
  if (keywords == object->m_keywords) return 0;
  object->m_keywords = std::move(keywords);
  return kEditKeywordsChanged;
}

}  // namespace blastsearch
