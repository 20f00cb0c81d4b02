#include "model/BlastSearchHits.h"

#include "model/OwnedList.h"

namespace blastsearch {

IMPLEMENT_DYNCREATE(CBlastSearchHits, CObject)

CBlastSearchHits::CBlastSearchHits(const CBlastSearchHits& other) : CObject() { *this = other; }

CBlastSearchHits& CBlastSearchHits::operator=(const CBlastSearchHits& other) {
  if (this == &other) return *this;
  m_strInfo = other.m_strInfo;
  AppendCopies(m_HitList, other.m_HitList);
  return *this;
}

CBlastSearchHits::~CBlastSearchHits() { DeleteInOrder(m_HitList); }

}  // namespace blastsearch
