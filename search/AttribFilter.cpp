#include "search/AttribFilter.h"

#include <climits>
#include <cstdlib>

#include "host/db/DBField.h"
#include "host/db/DBStorage.h"
#include "host/db/ObjInfo.h"
#include "table/BlastSearchTable.h"

namespace blastsearch {

int ScanInteger(const std::string& text) {
  long value = std::strtol(text.c_str(), nullptr, 0);
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

int CAttribFilter::IsActive() const {
  if (m_bEnabled == 0) return 0;
  const int ranges = (m_bUpTo10 != 0) + (m_b11To100 != 0) + (m_bOver100 != 0);
  return !m_queryName.empty() || ranges == 1 || ranges == 2 ? 1 : 0;
}

int CAttribFilter::MatchHitCount(const CObjInfo* info, int dbId) const {
  CDBFieldDef def;
  def.m_fieldId = CBlastSearchTable::kFieldHitsCount;
  def.m_valueKind = kValueNumber;
  std::string text;
  blastSearch().GetFieldValue(dbId, info, &def, text);
  const int n = ScanInteger(text);
  if (m_bUpTo10 != 0 && n >= 1 && n <= 10) return 1;
  if (m_b11To100 != 0 && n >= 11 && n <= 100) return 1;
  if (m_bOver100 != 0 && n >= 101) return 1;
  return 0;
}

int CAttribFilter::Match(CObjInfo* info, CDBObjectBase**, int dbId) {
  if (info == nullptr) return 0;
  if (!m_queryName.empty() && info->m_name.find(m_queryName) == std::string::npos) return 0;
  if (m_bUpTo10 == 0 && m_b11To100 == 0 && m_bOver100 == 0) return 1;
  return MatchHitCount(info, dbId);
}

int CAttribFilter::NarrowCandidates(CCandidateQuery& query) const {
  int added = 0;
  if (!m_queryName.empty() && query.m_nameSubstring.empty()) {
    query.m_nameSubstring = m_queryName;
    added = 1;
  }
  const bool ranges = m_bUpTo10 != 0 || m_b11To100 != 0 || m_bOver100 != 0;
  if (ranges && query.m_hitCountRanges.empty()) {
    // The hit count is the list number, read back exactly (MatchHitCount).
    if (m_bUpTo10 != 0) query.m_hitCountRanges.emplace_back(1, 10);
    if (m_b11To100 != 0) query.m_hitCountRanges.emplace_back(11, 100);
    if (m_bOver100 != 0) query.m_hitCountRanges.emplace_back(101, LONG_MAX);
    added = 1;
  }
  return added;
}

}  // namespace blastsearch
