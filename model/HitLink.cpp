#include "model/HitLink.h"

#include "model/BlastSearchEntry.h"

std::string GetConsensusSeq(const CBlastSearchHitElement* element) {
  if (element == nullptr) return std::string();
  const std::string& subject = element->m_Subject.m_strSeq;
  std::string consensus = element->m_Query.m_strSeq;
  for (size_t i = 0; i < consensus.size(); ++i) {
    if (i >= subject.size() || consensus[i] != subject[i]) consensus[i] = ' ';
  }
  return consensus;
}

std::string GetHitLink(const CBlastSearchEntry* entry, int molType, const std::string& id) {
  if (entry == nullptr) return std::string();
  const char* kind = molType == 2 ? "protein" : "dnarna";
  if (entry->m_nLinkType == 1) {
    return "qlon://" + entry->m_strLinkDatabase + "/" + kind + "/" + id;
  }
  return std::string("ncbi:") + kind + "/" + id;
}

std::string GetHitLink(const CBlastSearchEntry* entry, const CBlastSearchHit* hit) {
  if (hit == nullptr) return std::string();
  return GetHitLink(entry, hit->m_nMolType, hit->m_strID);
}
