#include "model/BlastSearchSeqComponent.h"

namespace blastsearch {

IMPLEMENT_DYNCREATE(CBlastSearchSeqComponent, CObject)

CBlastSearchSeqComponent::CBlastSearchSeqComponent(const CBlastSearchSeqComponent& other)
    : CObject() {
  *this = other;
}

CBlastSearchSeqComponent& CBlastSearchSeqComponent::operator=(
    const CBlastSearchSeqComponent& other) {
  if (this == &other) return *this;
  m_nStart = other.m_nStart;
  m_nEnd = other.m_nEnd;
  m_nLength = other.m_nLength;
  m_bMinusStrand = other.m_bMinusStrand;
  m_nExtra = other.m_nExtra;
  m_strSeq = other.m_strSeq;
  return *this;
}

}  // namespace blastsearch
