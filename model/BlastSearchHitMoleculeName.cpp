#include "model/BlastSearchHitMoleculeName.h"

namespace blastsearch {

IMPLEMENT_DYNCREATE(CBlastSearchHitMoleculeName, CObject)

CBlastSearchHitMoleculeName::CBlastSearchHitMoleculeName(const CBlastSearchHitMoleculeName& other)
    : CObject() {
  *this = other;
}

CBlastSearchHitMoleculeName& CBlastSearchHitMoleculeName::operator=(
    const CBlastSearchHitMoleculeName& other) {
  if (this == &other) return *this;
  m_strFirst = other.m_strFirst;
  m_strSecond = other.m_strSecond;
  m_strThird = other.m_strThird;
  return *this;
}

}  // namespace blastsearch
