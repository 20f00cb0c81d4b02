#include "model/BlastSearchHitElement.h"

namespace blastsearch {

IMPLEMENT_DYNCREATE(CBlastSearchHitElement, CObject)

CBlastSearchHitElement::CBlastSearchHitElement(const CBlastSearchHitElement& other) : CObject() {
  *this = other;
}

CBlastSearchHitElement& CBlastSearchHitElement::operator=(const CBlastSearchHitElement& other) {
  if (this == &other) return *this;
  m_Query = other.m_Query;
  m_Subject = other.m_Subject;
  m_nScore = other.m_nScore;
  m_dExpect = other.m_dExpect;
  m_dBitScore = other.m_dBitScore;
  m_nFrame = other.m_nFrame;
  m_nAlignLength = other.m_nAlignLength;
  m_nIdentities = other.m_nIdentities;
  m_nPositives = other.m_nPositives;
  m_nGaps = other.m_nGaps;
  return *this;
}

}  // namespace blastsearch
