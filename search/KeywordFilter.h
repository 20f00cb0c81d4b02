#pragma once

#include <string>
#include <vector>

#include "platform/Export.h"
#include "search/SearchFilter.h"

namespace blastsearch BLASTSEARCH_EXPORT {

// Keyword search: an object passes when it carries at least one of the
// keywords (exact, case-sensitive).
class CKeywordFilter : public CSearchFilter {
 public:
  CKeywordFilter() = default;
  ~CKeywordFilter() override = default;

  // Enabled and with keywords.
  int IsActive() const override;
  // Loads the object data (once per object, see CSearchFilter); 0 when it
  // cannot be loaded.
  int Match(CObjInfo* info, CDBObjectBase** data, int dbId) override;
  // The keywords.
  int NarrowCandidates(CCandidateQuery& query) const override;

  std::vector<std::string> m_keywords;
};

}  // namespace BLASTSEARCH_EXPORT
