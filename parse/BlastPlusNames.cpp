#include "parse/BlastPlusNames.h"

#include <algorithm>

#include "model/BlastSearchEntry.h"
#include "parse/ResultReader.h"

namespace blastsearch {

namespace {

bool IsLocalQueryNumber(std::string_view id) {
  if (id.starts_with("lcl|")) id.remove_prefix(4);
  if (!id.starts_with("Query_") || id.size() == 6) return false;
  id.remove_prefix(6);
  return std::all_of(id.begin(), id.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

}  // namespace

std::string QueryNameOfIdAndTitle(std::string_view id, std::string_view title) {
  id = Trimmed(id);
  title = Trimmed(title);
  if (id.empty() || (IsLocalQueryNumber(id) && !title.empty())) return std::string(title);
  std::string name(id);
  if (!title.empty()) name.append(1, ' ').append(title);
  return name;
}

void SetHitNames(CBlastSearchHit& hit, std::string_view seqId, std::string_view title) {
  seqId = Trimmed(seqId);
  title = Trimmed(title);
  if (seqId.empty() || seqId.starts_with("gnl|BL_ORD_ID|")) {
    const std::size_t blank = std::min(title.find(' '), title.size());
    const std::string_view word = title.substr(0, blank);
    hit.m_strName = std::string(word);
    hit.m_strID = AccessionOfSeqId(word);
    hit.m_strDescription = std::string(Trimmed(title.substr(blank)));
    return;
  }
  std::string_view shown = seqId;
  if (shown.starts_with("gi|")) {
    const std::size_t bar = shown.find('|', 3);
    if (bar != std::string_view::npos && bar + 1 < shown.size()) shown.remove_prefix(bar + 1);
  }
  hit.m_strName =
      shown.find('|') == std::string_view::npos ? std::string(shown) : AccessionOfSeqId(shown);
  hit.m_strID = AccessionOfSeqId(seqId);
  hit.m_strDescription = std::string(title);
}

void SetQueryType(CBlastSearchEntry& entry, int queryType) {
  entry.m_Mol.m_nType = queryType;
  entry.m_Mol.m_nType2 = queryType == 2 ? 2 : 0;
  entry.m_Mol.m_nWord1 = 1;
  entry.m_Mol.m_nWord2 = 0;
}

void SetRowSpan(CBlastSearchHitElement& element, bool subject, long long from, long long to,
                bool minus) {
  CBlastSearchSeqComponent& row = subject ? element.m_Subject : element.m_Query;
  if (minus && from < to) std::swap(from, to);
  row.m_nStart = static_cast<int>(from);
  row.m_nEnd = static_cast<int>(to);
  row.m_bMinusStrand = minus ? 1 : 0;
}

std::string UpperCaseRow(std::string_view text) {
  std::string row(text);
  for (char& c : row)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return row;
}

}  // namespace blastsearch
