#include "parse/MarkerCache.h"

#include <algorithm>
#include <cctype>
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

// True when `c` is one of the characters of `set` (never the terminator).
inline bool InSet(char c, const char* set) {
  for (; *set != '\0'; ++set) {
    if (*set == c) return true;
  }
  return false;
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
  m_entries.reserve(32);
}

CMarkerCache::MarkerId CMarkerCache::Marker(const char* marker, Match match) {
  const bool folded = match == Match::TagFolded && marker[0] == '<';
  for (MarkerId id = 0; id < m_entries.size(); ++id) {
    const CEntry& entry = m_entries[id];
    if (entry.bFolded == folded && (entry.pMarker == marker || std::strcmp(entry.pMarker, marker) == 0)) {
      return id;
    }
  }
  const std::size_t length = std::strlen(marker);
  std::size_t anchor = kNoAnchor;
  for (std::size_t i = length; i-- > 0;) {
    const auto c = static_cast<unsigned char>(marker[i]);
    if (std::ispunct(c)) {
      anchor = i;
      break;
    }
  }
  m_entries.push_back(CEntry{marker, length, anchor, folded, nullptr, nullptr});
  return m_entries.size() - 1;
}

const char* CMarkerCache::Search(const char* from, const CEntry& entry) const {
  if (m_bPlain) {
    // The primitives themselves, as the readers would call them.
    if (entry.bFolded) return StrStr(from, entry.pMarker);
    return std::strstr(from, entry.pMarker);
  }
  if (entry.bFolded) return FindFolded(from, m_pEnd, entry.pMarker, entry.nLength);
  if (entry.nLength == 0) return from;
  const char* const marker = entry.pMarker;
  const std::size_t length = entry.nLength;
  const std::size_t anchor = entry.nAnchor;
  if (anchor == kNoAnchor) {
    // A marker made of letters ("Score", "Expect") is mostly met a few
    // characters on: look there first, then hand the search to the
    // library's strstr, which compares several characters at once (the text
    // is terminated).
    const char* const near =
        from + std::min<std::size_t>(kNearWindow, static_cast<std::size_t>(m_pEnd - from));
    for (const char* at = from; at < near; ++at) {
      if (*at == marker[0] && static_cast<std::size_t>(m_pEnd - at) >= length &&
          std::memcmp(at, marker, length) == 0) {
        return at;
      }
    }
    return near == m_pEnd ? nullptr : std::strstr(near, marker);
  }
  // Otherwise jump with memchr from one occurrence of the marker's
  // punctuation character (':' of "Sbjct:", '=' of "Score = ") to the next
  // and compare the whole marker around it: such characters are rare in a
  // report's rows, so few jumps miss.
  const char* at = from + anchor;
  while (at < m_pEnd) {
    at = static_cast<const char*>(std::memchr(at, marker[anchor], static_cast<std::size_t>(m_pEnd - at)));
    if (at == nullptr) return nullptr;
    const char* const start = at - anchor;
    if (static_cast<std::size_t>(m_pEnd - start) < length) return nullptr;
    if (std::memcmp(start, marker, length) == 0) return start;
    ++at;
  }
  return nullptr;
}

const char* CMarkerCache::Find(const char* from, MarkerId marker) {
  CEntry& entry = m_entries[marker];
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

bool CMarkerCache::Follows(const char* from, MarkerId wanted,
                           std::initializer_list<MarkerId> notBefore) {
  const char* at = Find(from, wanted);
  if (at == nullptr) return false;
  for (MarkerId other : notBefore) {
    const char* otherAt = Find(from, other);
    if (otherAt != nullptr && otherAt < at) return false;
  }
  return true;
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

int CMarkerCache::FindString(char** cursor, MarkerId pattern, int limit) {
  if (m_bPlain) return ::FindString(cursor, m_entries[pattern].pMarker, limit);
  const char* at = Find(*cursor, pattern);
  if (at == nullptr || (limit > 0 && at - *cursor > limit)) return 0;
  *cursor += at - *cursor;
  return 1;
}

int CMarkerCache::GetString(char** cursor, MarkerId first, MarkerId second, const char* skip,
                            std::string& value, const char* stop) {
  if (m_bPlain) {
    return ::GetString(cursor, first == kNone ? nullptr : m_entries[first].pMarker,
                       second == kNone ? nullptr : m_entries[second].pMarker, skip, value, stop, 0);
  }
  const char* at = *cursor;
  for (MarkerId marker : {first, second}) {
    if (marker == kNone) continue;
    at = Find(at, marker);
    if (at == nullptr) return 0;
    at += m_entries[marker].nLength;
  }
  // Skip set and stop set as the primitive takes them: past the skip set,
  // then up to the first stop character, which must come before the end.
  if (stop == nullptr) return 0;
  if (skip != nullptr) {
    while (InSet(*at, skip)) ++at;
  }
  const char* const end = std::strpbrk(at, stop);
  if (end == nullptr) return 0;
  value.assign(at, static_cast<std::size_t>(end - at));
  *cursor += end + 1 - *cursor;
  return 1;
}
