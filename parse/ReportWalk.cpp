#include "parse/ReportWalk.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstdlib>

#include "host/UxMol.h"
#include "model/BlastSearchHit.h"
#include "model/BlastSearchHitElement.h"

namespace {

inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }
// White space as the standard conversions and scan formats take it.
inline bool IsWhite(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// Reads "%d" at `p`: white space, an optional sign, at least one digit.
// Moves `p` past the number; false (p unchanged) when there is none.
bool ReadInt(const char*& p, int& value) {
  const char* at = p;
  while (IsWhite(*at)) ++at;
  bool negative = false;
  if (*at == '+' || *at == '-') negative = (*at++ == '-');
  if (!IsDigit(*at)) return false;
  constexpr long long kSaturated = static_cast<long long>(INT_MAX) + 1;
  long long magnitude = 0;
  for (; IsDigit(*at); ++at) magnitude = std::min(magnitude * 10 + (*at - '0'), kSaturated);
  if (negative) {
    value = static_cast<int>(-magnitude);  // -kSaturated is INT_MIN
  } else {
    value = static_cast<int>(std::min<long long>(magnitude, INT_MAX));
  }
  p = at;
  return true;
}

void UpperCase(std::string& text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - ('a' - 'A'));
  }
}

}  // namespace

void CParseControl::StoreProgress(int nHits) const {
  if (m_pProgress != nullptr) std::atomic_ref<int>(*m_pProgress).store(nHits, std::memory_order_relaxed);
}

bool CParseControl::StopRequested() const {
  return m_pStop != nullptr && std::atomic_ref<int>(*m_pStop).load(std::memory_order_relaxed) != 0;
}

int ToNumber(const std::string& value) {
  const char* p = value.c_str();
  int number = 0;
  return ReadInt(p, number) ? number : 0;
}

double ToReal(const std::string& value) { return std::strtod(value.c_str(), nullptr); }

int ScanCounts(const char* text, const char* label, int& first, int& second) {
  const char* p = text;
  for (const char* l = label; *l != '\0'; ++l, ++p) {
    if (*p != *l) return 0;
  }
  // The rest of the format: " = %d/%d (%d".
  const auto skipWhite = [&p] {
    while (IsWhite(*p)) ++p;
  };
  skipWhite();
  if (*p++ != '=') return 0;
  skipWhite();
  if (!ReadInt(p, first)) return 0;
  if (*p++ != '/') return 1;
  if (!ReadInt(p, second)) return 1;
  skipWhite();
  int third = 0;
  if (*p++ != '(' || !ReadInt(p, third)) return 2;
  return 3;
}

int MinusStrandFlag(std::string word) {
  UpperCase(word);
  return word.find("PLUS") == std::string::npos ? 1 : 0;
}

void SetUpQueryMolecule(CUxMol& mol, int nQueryType) {
  mol.m_nType = nQueryType;
  mol.m_nWord1 = 1;
  mol.m_nWord2 = 0;
  mol.m_nType2 = nQueryType == 2 ? 2 : 0;
}

void ReserveRows(CBlastSearchHitElement& element, std::size_t nRemaining) {
  if (element.m_nAlignLength <= 0) return;
  const std::size_t columns = std::min(static_cast<std::size_t>(element.m_nAlignLength), nRemaining);
  element.m_Query.m_strSeq.reserve(element.m_Query.m_strSeq.size() + columns);
  element.m_Subject.m_strSeq.reserve(element.m_Subject.m_strSeq.size() + columns);
}

void AppendElement(CBlastSearchHit& hit, std::unique_ptr<CBlastSearchHitElement> element) {
  UpperCase(element->m_Query.m_strSeq);
  UpperCase(element->m_Subject.m_strSeq);
  const std::size_t columns = element->m_Query.m_strSeq.size();
  const int length = static_cast<int>(std::min<std::size_t>(columns, INT_MAX));
  element->m_Query.m_nLength = length;
  element->m_Subject.m_nLength = length;
  if (hit.m_nLength < length) hit.m_nLength = length;
  hit.m_ElementList.push_back(std::move(element));
}
