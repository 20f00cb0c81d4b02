#include "model/BlastSearchEntry.h"

namespace blastsearch {

IMPLEMENT_DYNCREATE(CBlastSearchEntry, CObject)

CBlastSearchEntry::CBlastSearchEntry() {
  m_Mol.m_nType = 0;
  m_Mol.m_nLength = 0;
  m_nLinkType = 0;
}

CBlastSearchEntry::CBlastSearchEntry(const CBlastSearchEntry& other) : CBlastSearchEntry() {
  *this = other;
}

CBlastSearchEntry& CBlastSearchEntry::operator=(const CBlastSearchEntry& other) {
  if (this == &other) return *this;
  m_Hits = other.m_Hits;
  // Only the query members this module uses; the host's other words and the
  // extra data stay as they are.
  m_Mol.m_nType = other.m_Mol.m_nType;
  m_Mol.m_strName = other.m_Mol.m_strName;
  m_Mol.m_strSequence = other.m_Mol.m_strSequence;
  m_Mol.m_nLength = other.m_Mol.m_nLength;
  m_Mol.m_strID = other.m_Mol.m_strID;
  m_Mol.m_strLink = other.m_Mol.m_strLink;
  m_nLinkType = other.m_nLinkType;
  m_strLinkDatabase = other.m_strLinkDatabase;
  return *this;
}

std::string CBlastSearchEntry::GetMolName() const { return m_Mol.m_strName; }
std::string CBlastSearchEntry::GetMolID() const { return m_Mol.m_strID; }
std::string CBlastSearchEntry::GetMolSequence() const { return m_Mol.m_strSequence; }
int CBlastSearchEntry::GetMolType() const { return m_Mol.m_nType; }
int CBlastSearchEntry::GetMolLength() const { return m_Mol.m_nLength; }
std::string* CBlastSearchEntry::GetMolQlonLink() { return &m_Mol.m_strLink; }

}  // namespace blastsearch
