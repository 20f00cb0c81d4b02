#pragma once

#include <cstddef>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

// How the report readers search for markers.
// - Cached: each marker's next occurrence at or after the reading position
//   is remembered and reused while the position has not passed it, so that a
//   report costs one forward pass however often a reader looks ahead for a
//   marker or searches for one the report never holds.
// - Plain: every search runs afresh from the reading position with the
//   scanning primitives (StrStr, FindString, GetString). Slow on large
//   reports; kept so that tests can check that both give the same results.
enum class MarkerSearch { Cached, Plain };

// The mode that marker caches built on the calling thread use: Cached unless
// set otherwise on this thread.
MarkerSearch DefaultMarkerSearch();
// Sets the calling thread's mode; returns the previous one. For tests.
MarkerSearch SetDefaultMarkerSearch(MarkerSearch mode);

// Sets the calling thread's marker search mode for its lifetime. For tests.
class CMarkerSearchScope {
 public:
  explicit CMarkerSearchScope(MarkerSearch mode) : m_previous(SetDefaultMarkerSearch(mode)) {}
  ~CMarkerSearchScope() { SetDefaultMarkerSearch(m_previous); }
  CMarkerSearchScope(const CMarkerSearchScope&) = delete;
  CMarkerSearchScope& operator=(const CMarkerSearchScope&) = delete;

 private:
  MarkerSearch m_previous;
};

// Marker searches of one parse over one zero-terminated text. Answers are
// exactly those of the plain searches from the same position; in the cached
// mode a marker's text is scanned at most once per parse (a search that finds
// nothing is remembered too). A marker is known by its text; readers register
// the markers they use once (Marker) and search by the id they get. Marker
// texts are not copied and must outlive the cache. Every position handed in
// must lie inside the one text of the parse, which must not change while the
// cache is used. Not thread-safe: one parse, one thread.
class CMarkerCache {
 public:
  // How a marker is matched: Exact compares every character as written;
  // TagFolded follows StrStr (a marker that begins with '<' is matched
  // without regard to ASCII letter case, any other exactly).
  enum class Match { Exact, TagFolded };
  // A registered marker; kNone stands for "no marker" where one is optional.
  using MarkerId = std::size_t;
  static constexpr MarkerId kNone = static_cast<MarkerId>(-1);

  // A cache for one parse in the calling thread's default mode, or in `mode`.
  CMarkerCache();
  explicit CMarkerCache(MarkerSearch mode);
  CMarkerCache(const CMarkerCache&) = delete;
  CMarkerCache& operator=(const CMarkerCache&) = delete;

  // Tells the cache where the text's terminator stands (the text's length
  // is known), so that searches run over the length-delimited text many
  // bytes at a time instead of looking for the terminator. Answers do not
  // change. Call before the first search; `end` must point at the text's
  // terminating zero, and the text must hold no other zero byte.
  void SetTextEnd(const char* end) { m_pTextEnd = m_pKnownEnd = end; }

  // Hands the cache what a search done elsewhere found: `found` is the
  // first occurrence of `marker` (matched exactly) at or after `from`, or
  // null when there is none to the text's end. Answers do not change; the
  // cached mode then needs no pass of its own for it. Ignored in the plain
  // mode.
  void NoteFound(MarkerId marker, const char* from, const char* found) {
    if (m_bPlain || m_entries[marker].bFolded) return;
    m_entries[marker].pSearchedFrom = from;
    m_entries[marker].pFound = found;
  }

  // The id of `marker` matched by `match`; the same text gives the same id.
  MarkerId Marker(const char* marker, Match match = Match::Exact);

  // The first occurrence of the marker that starts at or after `from`, or null.
  const char* Find(const char* from, MarkerId marker);
  const char* Find(const char* from, const char* marker, Match match = Match::Exact) {
    return Find(from, Marker(marker, match));
  }

  // Readies the answers of Find(from, first) and Find(from, second) in one
  // pass over the text when neither is remembered there yet: for markers
  // that a report may not hold at all ("Frame", "Strand" of a protein
  // search), each of which would otherwise cost a pass to the text's end.
  // Answers do not change.
  void FindBoth(const char* from, MarkerId first, MarkerId second);

  // True when `wanted` occurs at or after `from` and none of `notBefore`
  // occurs before it (the look-ahead "a further X follows and no Y comes
  // before it").
  bool Follows(const char* from, MarkerId wanted, std::initializer_list<MarkerId> notBefore);
  bool Follows(const char* from, const char* wanted, std::initializer_list<const char*> notBefore,
               Match match = Match::Exact);

  // FindString of the scanning primitives, its search answered here.
  int FindString(char** cursor, MarkerId pattern, int limit);
  int FindString(char** cursor, const char* pattern, int limit) {
    return FindString(cursor, Marker(pattern), limit);
  }

  // GetString of the scanning primitives without a limit, its marker
  // searches answered here (markers matched exactly): same results, same
  // cursor moves. kNone (or null) stands for a marker not given.
  int GetString(char** cursor, MarkerId first, MarkerId second, const char* skip,
                std::string& value, const char* stop);
  int GetString(char** cursor, const char* first, const char* second, const char* skip,
                std::string& value, const char* stop) {
    return GetString(cursor, first ? Marker(first) : kNone, second ? Marker(second) : kNone, skip,
                     value, stop);
  }
  // As GetString, but the value is not copied: it is the `length`
  // characters at `value` in the text (valid while the text is).
  int GetSpan(char** cursor, MarkerId first, MarkerId second, const char* skip, const char*& value,
              std::size_t& length, const char* stop);

  // The first character of `set` at or after `from`, or the text's
  // terminator when none follows. In the cached mode each set's answer is
  // remembered like a marker's, so that values cut at a character that the
  // text never holds again cost one pass in all.
  const char* FindAny(const char* from, const char* set);

  // The first line feed at or after `from`, or the text's terminator.
  const char* LineEnd(const char* from);

  // The text's terminator, found from `from` (a position inside the text)
  // once per parse.
  const char* TextEnd(const char* from) {
    return m_pKnownEnd != nullptr && !m_bPlain ? m_pKnownEnd : FindTextEnd(from);
  }

  // How many characters of the text there are from `from` on, counting no
  // further than `atMost`.
  static std::size_t Available(const char* from, std::size_t atMost) {
    return ::strnlen(from, atMost);
  }

 private:
  struct CEntry {
    const char* pMarker;        // the caller's marker text
    std::size_t nLength;        // its length
    std::size_t nAnchor;        // the punctuation character searched for first, or kNoAnchor
    std::size_t nProbe;         // with a known end: the character checked with the first
    bool bFolded;               // matched without regard to letter case
    const char* pSearchedFrom;  // where the remembered search started; null: none yet
    const char* pFound;         // what it found there (null: nothing up to the end)
  };

  static constexpr std::size_t kNoAnchor = static_cast<std::size_t>(-1);
  // Characters looked at one by one before a search is handed to the library.
  static constexpr std::size_t kNearWindow = 48;

  // A skip or stop set as a table, for sets met again and again.
  struct CCharacterSet {
    const char* pText = nullptr;  // the caller's set
    std::size_t nLength = 0;      // its characters
    bool bMember[256] = {};
    const char* pSearchedFrom = nullptr;  // where the remembered search started; null: none yet
    const char* pFound = nullptr;         // the member or terminator it found
    bool Holds(char c) const { return bMember[static_cast<unsigned char>(c)]; }
  };

  const char* Search(const char* from, const CEntry& entry) const;
  // TextEnd of a text whose end was not told.
  const char* FindTextEnd(const char* from);
  // True when the remembered answer of `entry` holds for `from`.
  static bool Covers(const CEntry& entry, const char* from) {
    return entry.pSearchedFrom != nullptr && entry.pSearchedFrom <= from &&
           (entry.pFound == nullptr || from <= entry.pFound);
  }
  // The table of `set`, made on first use; sets are known by their address.
  CCharacterSet& CharacterSet(const char* set);
  // FindAny with the set's table.
  const char* FindAny(const char* from, CCharacterSet& set);

  bool m_bPlain;
  std::vector<CEntry> m_entries;  // indexed by MarkerId
  static constexpr std::size_t kSets = 16;
  CCharacterSet m_sets[kSets];
  std::size_t m_nSets = 0;
  MarkerId m_lineBreak = kNone;
  const char* m_pTextEnd = nullptr;
  const char* m_pKnownEnd = nullptr;  // SetTextEnd's end; null: not known
};

}  // namespace BLASTSEARCH_EXPORT
