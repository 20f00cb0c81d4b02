#include "model/HitLink.h"

#include <algorithm>
#include <cctype>

#include "model/AlignmentMidline.h"
#include "model/BlastSearchEntry.h"
#include "model/ResultInfo.h"

namespace blastsearch {

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

bool IsProteinSubject(const CBlastSearchEntry* entry, const CBlastSearchHit* hit) {
  if (entry == nullptr || hit == nullptr) return false;
  int queryType = 0;
  int hitType = 0;
  if (MoleculeTypesOfProgram(GetResultInfo(*entry, result_info::kProgram), queryType, hitType)) {
    return hitType == 2;
  }
  if (hit->m_nMolType == 2) return true;
  const auto first = std::find_if(hit->m_ElementList.begin(), hit->m_ElementList.end(),
                                  [](const auto& element) { return element != nullptr; });
  if (first == hit->m_ElementList.end()) return false;
  if (AlignmentStyleOf(*entry).m_bNucleotide) return false;
  return !IsTranslatedRow((*first)->m_Subject);
}

std::string GetHitAddress(const CBlastSearchEntry* entry, const CBlastSearchHit* hit) {
  if (entry == nullptr || hit == nullptr || entry->m_nLinkType == 1) return std::string();
  const std::string& id = hit->m_strID;
  if (id.empty() || hit->m_strName.rfind("gnl|", 0) == 0) return std::string();
  const bool plain = std::all_of(id.begin(), id.end(), [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '.' || c == '_' || c == '-';
  });
  if (!plain) return std::string();
  return std::string("https://www.ncbi.nlm.nih.gov/") +
         (IsProteinSubject(entry, hit) ? "protein/" : "nuccore/") + id;
}

}  // namespace blastsearch
