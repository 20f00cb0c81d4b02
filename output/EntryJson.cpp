#include "output/EntryJson.h"

#include <nlohmann/json.hpp>

#include "model/BlastSearchEntry.h"
#include "model/HitLink.h"
#include "model/ResultInfo.h"
#include "output/EntryFacts.h"

namespace blastsearch {

namespace {

using Json = nlohmann::ordered_json;

// `value`, or null when the layout did not carry it.
template <typename T>
Json Known(bool known, const T& value) {
  return known ? Json(value) : Json(nullptr);
}

Json ComponentToJson(const CBlastSearchSeqComponent& row, const CEntryFacts& facts) {
  return Json{{"start", row.m_nStart},
              {"end", row.m_nEnd},
              {"length", row.m_nLength},
              {"minus", Known(facts.bFrames, row.m_bMinusStrand)},
              {"seq", Known(facts.bRows, row.m_strSeq)}};
}

Json ElementToJson(const CBlastSearchHitElement& element, const CEntryFacts& facts) {
  Json json{{"bit_score", element.m_dBitScore},
            {"score", Known(facts.bRawScore, element.m_nScore)},
            {"expect", element.m_dExpect},
            {"identities", Known(facts.bIdentities, element.m_nIdentities)},
            {"positives", Known(facts.bPositives, element.m_nPositives)},
            {"gaps", Known(facts.bGaps, element.m_nGaps)},
            {"align_length", element.m_nAlignLength},
            {"frame", Known(facts.bFrames, element.m_nFrame)},
            {"query", ComponentToJson(element.m_Query, facts)},
            {"subject", ComponentToJson(element.m_Subject, facts)}};
  if (GetExpectCount(element) > 0) json["expect_count"] = GetExpectCount(element);
  if (GetSubjectFrame(element) != 0) json["subject_frame"] = GetSubjectFrame(element);
  return json;
}

Json HitToJson(CBlastSearchEntry& entry, CBlastSearchHit& hit, const CEntryFacts& facts) {
  Json elements = Json::array();
  for (const auto& element : hit.m_ElementList) {
    if (element) elements.push_back(ElementToJson(*element, facts));
  }
  return Json{{"id", hit.m_strID},
              {"name", hit.m_strName},
              {"description", Known(facts.bDescription, hit.m_strDescription)},
              {"length", Known(facts.bHitLength, hit.m_nLength)},
              {"mol_type", facts.nHitType != 0 ? facts.nHitType : hit.m_nMolType},
              {"link", GetHitLink(&entry, &hit)},
              {"elements", std::move(elements)}};
}

// Where the result came from, as far as its reader said.
Json FormatToJson(const CBlastSearchEntry& entry, const CEntryFacts& facts) {
  Json json = Json::object();
  const std::pair<const char*, std::string> fields[] = {
      {"layout", facts.strLayout},   {"program", facts.strProgram},
      {"version", facts.strVersion}, {"database", facts.strDatabase},
      {"round", facts.strRound},     {"query", GetResultInfo(entry, result_info::kQueryNumber)},
      {"partial", facts.strPartial}, {"search", facts.strSearch}};
  for (const auto& [key, value] : fields) {
    if (value.empty()) continue;
    const bool number = (std::string_view(key) == "round" || std::string_view(key) == "query") &&
                        value.find_first_not_of("0123456789") == std::string::npos &&
                        value.size() < 10;
    json[key] = number ? Json(std::stoi(value)) : Json(value);
  }
  return json;
}

}  // namespace

std::string EntryToJson(CBlastSearchEntry& entry) {
  const CEntryFacts facts = GetEntryFacts(entry);
  Json hits = Json::array();
  for (const auto& hit : entry.m_Hits.m_HitList) {
    if (hit) hits.push_back(HitToJson(entry, *hit, facts));
  }
  Json doc{{"query", Json{{"name", entry.m_Mol.m_strName},
                          {"id", entry.m_Mol.m_strID},
                          {"type", facts.nQueryType},
                          {"length", Known(facts.bQueryLength, entry.m_Mol.m_nLength)}}},
           {"hits", std::move(hits)}};
  if (facts.bFormat) doc["format"] = FormatToJson(entry, facts);
  // Report text is 8-bit and need not be UTF-8: replace what is not.
  return doc.dump(-1, ' ', false, Json::error_handler_t::replace);
}

}  // namespace blastsearch
