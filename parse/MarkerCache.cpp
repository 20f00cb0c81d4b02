#include "parse/MarkerCache.h"

#include <cstring>

#include "parse/ScanText.h"

namespace {

thread_local MarkerSearch t_defaultMarkerSearch = MarkerSearch::Cached;

inline unsigned char FoldCase(char c) {
  const auto u = static_cast<unsigned char>(c);
  return (u >= 'a' && u <= 'z') ? static_cast<unsigned char>(u - ('a' - 'A')) : u;
}

// First match of a '<' marker in [from, end) without regard to letter case:
// from one '<' to the next, comparing the rest of the marker there.
const char* FindFolded(const char* from, const char* end, const char* marker, std::size_t length) {
  const char* at = from;
  while (static_cast<std::size_t>(end - at) >= length) {
    at = static_cast<const char*>(std::memchr(at, '<', static_cast<std::size_t>(end - at)));
    if (at == nullptr || static_cast<std::size_t>(end - at) < length) return nullptr;
    std::size_t i = 1;
    while (i < length && FoldCase(at[i]) == FoldCase(marker[i])) ++i;
    if (i == length) return at;
    ++at;
  }
  return nullptr;
}

}  // namespace

MarkerSearch DefaultMarkerSearch() { return t_defaultMarkerSearch; }

MarkerSearch SetDefaultMarkerSearch(MarkerSearch mode) {
  const MarkerSearch previous = t_defaultMarkerSearch;
  t_defaultMarkerSearch = mode;
  return previous;
}

CMarkerCache::CMarkerCache(const char* text) : CMarkerCache(text, DefaultMarkerSearch()) {}

CMarkerCache::CMarkerCache(const char* text, MarkerSearch mode)
    : m_pEnd(text + std::strlen(text)), m_bPlain(mode == MarkerSearch::Plain) {
  m_entries.reserve(24);
}

CMarkerCache::CEntry& CMarkerCache::Lookup(const char* marker, Match match) {
  const bool folded = match == Match::TagFolded && marker[0] == '<';
  for (CEntry& entry : m_entries) {
    if (entry.pMarker == marker && entry.bFolded == folded) return entry;
  }
  for (CEntry& entry : m_entries) {
    if (entry.bFolded == folded && std::strcmp(entry.pMarker, marker) == 0) return entry;
  }
  m_entries.push_back(CEntry{marker, std::strlen(marker), folded, nullptr, nullptr});
  return m_entries.back();
}

const char* CMarkerCache::Search(const char* from, const CEntry& entry) const {
  if (m_bPlain) {
    // The primitives themselves, as the readers would call them.
    if (entry.bFolded) return StrStr(from, entry.pMarker);
    return std::strstr(from, entry.pMarker);
  }
  if (entry.bFolded) return FindFolded(from, m_pEnd, entry.pMarker, entry.nLength);
  return static_cast<const char*>(
      ::memmem(from, static_cast<std::size_t>(m_pEnd - from), entry.pMarker, entry.nLength));
}

const char* CMarkerCache::FindWith(const char* from, CEntry& entry) {
  if (m_bPlain) return Search(from, entry);
  // The remembered answer holds for every position from where its search
  // started up to the occurrence it found (or, when it found none, to the end):
  // no occurrence starts in between.
  const bool covered = entry.pSearchedFrom != nullptr && entry.pSearchedFrom <= from &&
                       (entry.pFound == nullptr || from <= entry.pFound);
  if (!covered) {
    entry.pSearchedFrom = from;
    entry.pFound = Search(from, entry);
  }
  return entry.pFound;
}

const char* CMarkerCache::Find(const char* from, const char* marker, Match match) {
  return FindWith(from, Lookup(marker, match));
}

bool CMarkerCache::Follows(const char* from, const char* wanted,
                           std::initializer_list<const char*> notBefore, Match match) {
  const char* at = Find(from, wanted, match);
  if (at == nullptr) return false;
  for (const char* other : notBefore) {
    const char* otherAt = Find(from, other, match);
    if (otherAt != nullptr && otherAt < at) return false;
  }
  return true;
}

int CMarkerCache::FindString(char** cursor, const char* pattern, int limit) {
  if (m_bPlain) return ::FindString(cursor, pattern, limit);
  const char* at = Find(*cursor, pattern);
  if (at == nullptr || (limit > 0 && at - *cursor > limit)) return 0;
  *cursor += at - *cursor;
  return 1;
}

int CMarkerCache::GetString(char** cursor, const char* first, const char* second, const char* skip,
                            std::string& value, const char* stop) {
  if (m_bPlain) return ::GetString(cursor, first, second, skip, value, stop, 0);
  const char* at = *cursor;
  for (const char* marker : {first, second}) {
    if (marker == nullptr) continue;
    CEntry& entry = Lookup(marker, Match::Exact);
    at = FindWith(at, entry);
    if (at == nullptr) return 0;
    at += entry.nLength;
  }
  // Skip set and stop set as the primitive takes them.
  char* position = *cursor + (at - *cursor);
  if (!::GetString(&position, nullptr, nullptr, skip, value, stop, 0)) return 0;
  *cursor = position;
  return 1;
}
