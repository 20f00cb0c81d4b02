#include "app/EntryJson.h"

#include <nlohmann/json.hpp>

#include "model/BlastSearchEntry.h"
#include "model/HitLink.h"

namespace {

using Json = nlohmann::ordered_json;

Json ComponentToJson(const CBlastSearchSeqComponent& row) {
  return Json{{"start", row.m_nStart},
              {"end", row.m_nEnd},
              {"length", row.m_nLength},
              {"minus", row.m_bMinusStrand},
              {"seq", row.m_strSeq}};
}

Json ElementToJson(const CBlastSearchHitElement& element) {
  return Json{{"bit_score", element.m_dBitScore},
              {"score", element.m_nScore},
              {"expect", element.m_dExpect},
              {"identities", element.m_nIdentities},
              {"positives", element.m_nPositives},
              {"gaps", element.m_nGaps},
              {"align_length", element.m_nAlignLength},
              {"frame", element.m_nFrame},
              {"query", ComponentToJson(element.m_Query)},
              {"subject", ComponentToJson(element.m_Subject)}};
}

Json HitToJson(CBlastSearchEntry& entry, CBlastSearchHit& hit) {
  Json elements = Json::array();
  for (const auto& element : hit.m_ElementList) {
    if (element) elements.push_back(ElementToJson(*element));
  }
  return Json{{"id", hit.m_strID},
              {"name", hit.m_strName},
              {"description", hit.m_strDescription},
              {"length", hit.m_nLength},
              {"mol_type", hit.m_nMolType},
              {"link", GetHitLink(&entry, &hit)},
              {"elements", std::move(elements)}};
}

}  // namespace

std::string EntryToJson(CBlastSearchEntry& entry) {
  Json hits = Json::array();
  for (const auto& hit : entry.m_Hits.m_HitList) {
    if (hit) hits.push_back(HitToJson(entry, *hit));
  }
  Json doc{{"query",
            Json{{"name", entry.m_Mol.m_strName},
                 {"id", entry.m_Mol.m_strID},
                 {"type", entry.m_Mol.m_nType},
                 {"length", entry.m_Mol.m_nLength}}},
           {"hits", std::move(hits)}};
  // Report text is 8-bit and need not be UTF-8: replace what is not.
  return doc.dump(-1, ' ', false, Json::error_handler_t::replace);
}
