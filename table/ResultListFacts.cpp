#include "table/ResultListFacts.h"

#include <cmath>
#include <cstdio>
#include <limits>

#include "model/BlastSearchEntry.h"
#include "model/NumberFormat.h"
#include "model/ResultInfo.h"

namespace blastsearch {

namespace {

constexpr std::string_view kProgram = "program=";
constexpr std::string_view kDatabase = "database=";
constexpr std::string_view kExpect = "evalue=";
constexpr std::string_view kIdentity = "identity=";
constexpr std::string_view kKeyword = "keyword=";

std::string Key(std::string_view name, std::string_view value) {
  std::string key(kResultFactKey);
  key += name;
  key += value;
  return key;
}

bool Take(std::string_view& key, std::string_view name) {
  if (key.substr(0, name.size()) != name) return false;
  key.remove_prefix(name.size());
  return true;
}

}  // namespace

std::string BestExpectText(const CBlastSearchEntry& entry) {
  double best = std::numeric_limits<double>::infinity();
  for (const auto& hit : entry.m_Hits.m_HitList) {
    for (const auto& element : hit->m_ElementList) {
      if (std::isfinite(element->m_dExpect) && element->m_dExpect >= 0) {
        best = std::min(best, element->m_dExpect);
      }
    }
  }
  if (!std::isfinite(best)) return {};
  if (best == 0) return "0";
  return FormatSignificant(best, 3);
}

std::string BestIdentityText(const CBlastSearchEntry& entry) {
  double best = -1;
  for (const auto& hit : entry.m_Hits.m_HitList) {
    for (const auto& element : hit->m_ElementList) {
      if (element->m_nAlignLength <= 0 || element->m_nIdentities < 0 ||
          element->m_nIdentities > element->m_nAlignLength) {
        continue;
      }
      best = std::max(best, 100.0 * element->m_nIdentities / element->m_nAlignLength);
    }
  }
  if (best < 0) return {};
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", best);
  return text;
}

std::vector<std::string> MakeResultFactKeys(const CBlastSearchEntry& entry,
                                            const std::vector<std::string>& keywords) {
  std::vector<std::string> keys;
  const auto add = [&keys](std::string_view name, const std::string& value) {
    if (!value.empty()) keys.push_back(Key(name, value));
  };
  add(kProgram, GetResultInfo(entry, result_info::kProgram));
  add(kDatabase, GetResultInfo(entry, result_info::kDatabase));
  add(kExpect, BestExpectText(entry));
  add(kIdentity, BestIdentityText(entry));
  for (const std::string& keyword : keywords) add(kKeyword, keyword);
  return keys;
}

bool ReadResultFactKey(std::string_view key, CResultListFacts& facts) {
  if (!Take(key, kResultFactKey)) return false;
  if (Take(key, kProgram)) {
    facts.m_strProgram = key;
  } else if (Take(key, kDatabase)) {
    facts.m_strDatabase = key;
  } else if (Take(key, kExpect)) {
    facts.m_strBestExpect = key;
  } else if (Take(key, kIdentity)) {
    facts.m_strBestIdentity = key;
  } else if (Take(key, kKeyword)) {
    facts.m_keywords.emplace_back(key);
  } else {
    return false;
  }
  return true;
}

}  // namespace blastsearch
