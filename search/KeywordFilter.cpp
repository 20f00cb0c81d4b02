#include "search/KeywordFilter.h"

#include <algorithm>

#include "host/db/DBObjectBase.h"
#include "host/db/DBStorage.h"

namespace blastsearch {

int CKeywordFilter::IsActive() const { return m_bEnabled != 0 && !m_keywords.empty() ? 1 : 0; }

int CKeywordFilter::Match(CObjInfo* info, CDBObjectBase** data, int dbId) {
  if (m_keywords.empty()) return 0;
  if (LoadObjectData(info, data, dbId) == 0) return 0;
  const std::vector<std::string>& carried = (*data)->m_keywords;
  for (const std::string& keyword : m_keywords) {
    if (std::find(carried.begin(), carried.end(), keyword) != carried.end()) return 1;
  }
  return 0;
}

int CKeywordFilter::NarrowCandidates(CCandidateQuery& query) const {
  if (m_keywords.empty() || !query.m_keywords.empty()) return 0;
  query.m_keywords = m_keywords;
  return 1;
}

}  // namespace blastsearch
