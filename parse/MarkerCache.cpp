#include "parse/MarkerCache.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "parse/FindText.h"
#include "parse/ScanText.h"

namespace blastsearch {

namespace {

thread_local MarkerSearch t_defaultMarkerSearch = MarkerSearch::Cached;

inline unsigned char FoldCase(char c) {
  const auto u = static_cast<unsigned char>(c);
  return (u >= 'a' && u <= 'z') ? static_cast<unsigned char>(u - ('a' - 'A')) : u;
}

// True when `marker` (of `length` characters) stands at `at`. Stops at the
// first difference, so it never reads past the text's terminator.
inline bool MatchesAt(const char* at, const char* marker, std::size_t length) {
  for (std::size_t i = 0; i < length; ++i) {
    if (at[i] != marker[i]) return false;
  }
  return true;
}

// First match of a '<' marker from `from` on without regard to letter case:
// from one '<' to the next, comparing the rest of the marker there (the
// terminator differs from every marker character, so comparing stops there).
const char* FindFolded(const char* from, const char* marker, std::size_t length) {
  for (const char* at = std::strchr(from, '<'); at != nullptr; at = std::strchr(at + 1, '<')) {
    std::size_t i = 1;
    while (i < length && FoldCase(at[i]) == FoldCase(marker[i])) ++i;
    if (i == length) return at;
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

CMarkerCache::CMarkerCache() : CMarkerCache(DefaultMarkerSearch()) {}

CMarkerCache::CMarkerCache(MarkerSearch mode) : m_bPlain(mode == MarkerSearch::Plain) {
  m_entries.reserve(32);
}

CMarkerCache::MarkerId CMarkerCache::Marker(const char* marker, Match match) {
  const bool folded = match == Match::TagFolded && marker[0] == '<';
  for (MarkerId id = 0; id < m_entries.size(); ++id) {
    const CEntry& entry = m_entries[id];
    if (entry.bFolded == folded &&
        (entry.pMarker == marker || std::strcmp(entry.pMarker, marker) == 0)) {
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
  // The character checked together with the first in a search over known
  // length: the last one that is not a blank (blanks are everywhere).
  std::size_t probe = length > 0 ? length - 1 : 0;
  while (probe > 0 && marker[probe] == ' ') --probe;
  m_entries.push_back(CEntry{marker, length, anchor, probe, folded, nullptr, nullptr});
  return m_entries.size() - 1;
}

const char* CMarkerCache::Search(const char* from, const CEntry& entry) const {
  if (m_bPlain) {
    // The primitives themselves, as the readers would call them.
    if (entry.bFolded) return StrStr(from, entry.pMarker);
    return std::strstr(from, entry.pMarker);
  }
  if (entry.bFolded) return FindFolded(from, entry.pMarker, entry.nLength);
  const char* const marker = entry.pMarker;
  const std::size_t length = entry.nLength;
  if (length == 0) return from;
  if (m_pKnownEnd != nullptr) {
    return FindText(from, m_pKnownEnd, std::string_view(marker, length), entry.nProbe);
  }
  const std::size_t anchor = entry.nAnchor;
  if (anchor == kNoAnchor) {
    // A marker made of letters ("Score", "Positives") is mostly met a few
    // characters on: look there first, then hand the search to the
    // library's strstr, which compares several characters at once.
    std::size_t i = 0;
    for (; i < kNearWindow && from[i] != '\0'; ++i) {
      if (from[i] == marker[0] && MatchesAt(from + i, marker, length)) return from + i;
    }
    return from[i] == '\0' ? nullptr : std::strstr(from + i, marker);
  }
  // Otherwise jump from one occurrence of the marker's punctuation character
  // (':' of "Sbjct:", '=' of "Score = ") to the next and compare the whole
  // marker around it: such characters are rare in a report's rows, so few
  // jumps miss. A match cannot start before `from`: the anchor is searched
  // from `anchor` characters on, and the characters before it are there.
  if (Available(from, anchor) < anchor) return nullptr;
  for (const char* at = std::strchr(from + anchor, marker[anchor]); at != nullptr;
       at = std::strchr(at + 1, marker[anchor])) {
    const char* const start = at - anchor;
    if (MatchesAt(start, marker, length)) return start;
  }
  return nullptr;
}

const char* CMarkerCache::Find(const char* from, MarkerId marker) {
  CEntry& entry = m_entries[marker];
  if (m_bPlain) return Search(from, entry);
  // The remembered answer holds for every position from where its search
  // started up to the occurrence it found (or, when it found none, to the end):
  // no occurrence starts in between.
  if (!Covers(entry, from)) {
    entry.pSearchedFrom = from;
    entry.pFound = Search(from, entry);
  }
  return entry.pFound;
}

void CMarkerCache::FindBoth(const char* from, MarkerId first, MarkerId second) {
  CEntry& one = m_entries[first];
  CEntry& other = m_entries[second];
  // Only the searches over known length that FindText answers.
  if (m_bPlain || m_pKnownEnd == nullptr || one.bFolded || other.bFolded || one.nLength < 2 ||
      other.nLength < 2 || Covers(one, from) || Covers(other, from)) {
    return;
  }
  const std::string_view markers[2] = {{one.pMarker, one.nLength}, {other.pMarker, other.nLength}};
  const std::size_t probes[2] = {one.nProbe, other.nProbe};
  const char* found[2] = {};
  FindTexts(from, m_pKnownEnd, markers, probes, found);
  one.pSearchedFrom = other.pSearchedFrom = from;
  one.pFound = found[0];
  other.pFound = found[1];
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
  if (m_bPlain) return blastsearch::FindString(cursor, m_entries[pattern].pMarker, limit);
  const char* at = Find(*cursor, pattern);
  if (at == nullptr || (limit > 0 && at - *cursor > limit)) return 0;
  *cursor += at - *cursor;
  return 1;
}

CMarkerCache::CCharacterSet& CMarkerCache::CharacterSet(const char* set) {
  for (std::size_t i = 0; i < m_nSets; ++i) {
    if (m_sets[i].pText == set) return m_sets[i];
  }
  // A reader uses a handful of sets; past that, the last slot is remade.
  CCharacterSet& added = m_sets[m_nSets < kSets ? m_nSets++ : kSets - 1];
  added = CCharacterSet();
  added.pText = set;
  added.nLength = std::strlen(set);
  for (const char* c = set; *c != '\0'; ++c) added.bMember[static_cast<unsigned char>(*c)] = true;
  return added;
}

const char* CMarkerCache::FindAny(const char* from, const char* set) {
  if (m_bPlain) return from + std::strcspn(from, set);
  return FindAny(from, CharacterSet(set));
}

const char* CMarkerCache::FindAny(const char* from, CCharacterSet& set) {
  // As with markers: the remembered answer holds from where its search
  // started up to what it found.
  if (set.pSearchedFrom == nullptr || from < set.pSearchedFrom || from > set.pFound) {
    const char* const text = set.pText;
    const char* found = nullptr;
    if (m_pKnownEnd != nullptr && set.nLength > 0 && set.nLength <= 4) {
      // The text holds no zero byte before its end: the same answer.
      found = FindAnyOf(from, m_pKnownEnd, std::string_view(text, set.nLength));
      if (found == m_pKnownEnd) found = nullptr;
    } else {
      found = text[0] != '\0' && text[1] == '\0' ? std::strchr(from, text[0])
                                                 : std::strpbrk(from, text);
    }
    set.pSearchedFrom = from;
    set.pFound = found != nullptr ? found : TextEnd(from);
  }
  return set.pFound;
}

const char* CMarkerCache::LineEnd(const char* from) {
  if (m_lineBreak == kNone) m_lineBreak = Marker("\n");
  const char* at = Find(from, m_lineBreak);
  return at != nullptr ? at : TextEnd(from);
}

const char* CMarkerCache::FindTextEnd(const char* from) {
  if (m_bPlain) return from + std::strlen(from);
  if (m_pTextEnd == nullptr || m_pTextEnd < from) m_pTextEnd = from + std::strlen(from);
  return m_pTextEnd;
}

int CMarkerCache::GetString(char** cursor, MarkerId first, MarkerId second, const char* skip,
                            std::string& value, const char* stop) {
  if (m_bPlain) {
    return blastsearch::GetString(cursor, first == kNone ? nullptr : m_entries[first].pMarker,
                                  second == kNone ? nullptr : m_entries[second].pMarker, skip,
                                  value, stop, 0);
  }
  const char* taken = nullptr;
  std::size_t length = 0;
  if (!GetSpan(cursor, first, second, skip, taken, length, stop)) return 0;
  value.assign(taken, length);
  return 1;
}

int CMarkerCache::GetSpan(char** cursor, MarkerId first, MarkerId second, const char* skip,
                          const char*& value, std::size_t& length, const char* stop) {
  if (m_bPlain) {
    // The primitive itself; the value it took ends right before the stop
    // character that the cursor now stands past.
    std::string taken;
    if (!GetString(cursor, first, second, skip, taken, stop)) return 0;
    length = taken.size();
    value = *cursor - 1 - length;
    return 1;
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
  if (skip != nullptr && skip[0] != '\0') {
    if (skip[1] == '\0') {
      while (*at == skip[0]) ++at;
    } else {
      const CCharacterSet& skipSet = CharacterSet(skip);
      while (skipSet.Holds(*at)) ++at;
    }
  }
  // Values are mostly a few characters long (numbers): those are looked at
  // one by one; longer ones (rows) go to the library, which compares several
  // characters at once.
  CCharacterSet& stopSet = CharacterSet(stop);
  const char* end = at;
  for (int i = 0; i < 8 && !stopSet.Holds(*end) && *end != '\0'; ++i) ++end;
  if (!stopSet.Holds(*end) && *end != '\0') end = FindAny(end, stopSet);
  if (*end == '\0') return 0;
  value = at;
  length = static_cast<std::size_t>(end - at);
  *cursor += end + 1 - *cursor;
  return 1;
}

}  // namespace blastsearch
