#pragma once

#include <string>

#include "platform/Export.h"
#include "search/SearchFilter.h"

namespace blastsearch BLASTSEARCH_EXPORT {

// Attribute search: a substring of the object's name and hit-count ranges.
// Never loads object data: the hit count comes from the table's list
// record through its "Hits Count" field value.
class CAttribFilter : public CSearchFilter {
 public:
  CAttribFilter() = default;
  ~CAttribFilter() override = default;

  // Enabled, and a name substring or one or two (not all three) ranges set.
  int IsActive() const override;
  // 1 when the name holds m_queryName (case-sensitive; empty: any name) and,
  // when a range is set, the hit count lies in a set range: "< = 10" is 1 to
  // 10 (a count of 0 is in no range), then 11 to 100, then 101 and more.
  int Match(CObjInfo* info, CDBObjectBase** data, int dbId) override;
  // The name substring and the hit-count ranges.
  int NarrowCandidates(CCandidateQuery& query) const override;

  std::string m_queryName;  // substring of the object's name
  int m_bUpTo10 = 0;
  int m_b11To100 = 0;
  int m_bOver100 = 0;

 private:
  int MatchHitCount(const CObjInfo* info, int dbId) const;
};

// The number at the start of `text` as the C library's "%i" reads it
// (decimal, 0x hexadecimal, leading-0 octal, optional sign), limited to the
// range of int; 0 when nothing reads.
int ScanInteger(const std::string& text);

}  // namespace BLASTSEARCH_EXPORT
