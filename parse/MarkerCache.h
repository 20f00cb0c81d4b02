#pragma once

#include <cstddef>
#include <initializer_list>
#include <string>
#include <vector>

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
// nothing is remembered too). Markers are told apart by their text (the same
// pointer is found fastest). The text must not change and must outlive the
// cache; positions handed in must lie inside the text. Not thread-safe: one
// parse, one thread.
class CMarkerCache {
 public:
  // How a marker is matched: Exact compares every character as written;
  // TagFolded follows StrStr (a marker that begins with '<' is matched
  // without regard to ASCII letter case, any other exactly).
  enum class Match { Exact, TagFolded };

  // A cache over `text` (not owned) in the calling thread's default mode.
  explicit CMarkerCache(const char* text);
  CMarkerCache(const char* text, MarkerSearch mode);
  CMarkerCache(const CMarkerCache&) = delete;
  CMarkerCache& operator=(const CMarkerCache&) = delete;

  // The first occurrence of `marker` that starts at or after `from`, or null.
  const char* Find(const char* from, const char* marker, Match match = Match::Exact);

  // True when `wanted` occurs at or after `from` and none of `notBefore`
  // occurs before it (the look-ahead "a further X follows and no Y comes
  // before it").
  bool Follows(const char* from, const char* wanted, std::initializer_list<const char*> notBefore,
               Match match = Match::Exact);

  // FindString of the scanning primitives, its search answered here.
  int FindString(char** cursor, const char* pattern, int limit);

  // GetString of the scanning primitives without a limit, its marker
  // searches answered here: same results, same cursor moves.
  int GetString(char** cursor, const char* first, const char* second, const char* skip,
                std::string& value, const char* stop);

  // The text's terminator.
  const char* End() const { return m_pEnd; }

 private:
  struct CEntry {
    const char* pMarker;       // the caller's marker text
    std::size_t nLength;       // its length
    bool bFolded;              // matched without regard to letter case
    const char* pSearchedFrom; // where the remembered search started; null: none yet
    const char* pFound;        // what it found there (null: nothing up to the end)
  };

  CEntry& Lookup(const char* marker, Match match);
  const char* Search(const char* from, const CEntry& entry) const;
  const char* FindWith(const char* from, CEntry& entry);

  const char* m_pEnd;
  bool m_bPlain;
  std::vector<CEntry> m_entries;
};
