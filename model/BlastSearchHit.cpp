#include "model/BlastSearchHit.h"

#include "model/OwnedList.h"

namespace blastsearch {

IMPLEMENT_DYNCREATE(CBlastSearchHit, CObject)

CBlastSearchHit::CBlastSearchHit(const CBlastSearchHit& other) : CObject() { *this = other; }

CBlastSearchHit& CBlastSearchHit::operator=(const CBlastSearchHit& other) {
  if (this == &other) return *this;
  AppendCopies(m_ElementList, other.m_ElementList);
  m_strID = other.m_strID;
  m_strName = other.m_strName;
  m_nLength = other.m_nLength;
  m_strDescription = other.m_strDescription;
  m_nMolType = other.m_nMolType;
  return *this;
}

CBlastSearchHit::~CBlastSearchHit() { DeleteInOrder(m_ElementList); }

}  // namespace blastsearch
