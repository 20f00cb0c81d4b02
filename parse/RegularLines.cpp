#include "parse/RegularLines.h"

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "parse/FindText.h"

namespace blastsearch {

namespace {

constexpr std::size_t kMostDigits = 9;  // always within the range of int
constexpr long long kMostInt = INT_MAX;

// How far from where it is asked for a query row's label may stand, so
// that a text without the regular form costs little before the general
// reading takes it over (which then reads on from there itself).
constexpr std::size_t kLabelReach = 128;

inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }

inline const char* SkipBlanks(const char* at, const char* end) {
  while (at < end && *at == ' ') ++at;
  return at;
}

// The first byte in [at, end) that is not a printable character (a blank,
// a control character or a byte above 0x7e), or `end`: where a run of
// residues ends. Sixteen bytes at a time where the processor allows.
// `lower` is set when the run holds a lower-case ASCII letter.
const char* RunEnd(const char* at, const char* end, bool& lower) {
#if defined(__SSE2__)
  const __m128i blank = _mm_set1_epi8(' ');
  const __m128i beforeA = _mm_set1_epi8('a' - 1);
  const __m128i afterZ = _mm_set1_epi8('z' + 1);
  for (; end - at >= 16; at += 16) {
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
    // Signed: bytes from 0x80 on compare below the blank.
    const auto printable = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpgt_epi8(block, blank)));
    const auto lowers = static_cast<unsigned>(_mm_movemask_epi8(
        _mm_and_si128(_mm_cmpgt_epi8(block, beforeA), _mm_cmplt_epi8(block, afterZ))));
    if (printable != 0xffff) {
      // The run ends inside the block: only the letters before its end count.
      const int stop = __builtin_ctz(~printable);
      if ((lowers & ((1u << stop) - 1)) != 0) lower = true;
      return at + stop;
    }
    if (lowers != 0) lower = true;
  }
#endif
  for (; at < end; ++at) {
    if (static_cast<signed char>(*at) <= ' ') break;
    if (*at >= 'a' && *at <= 'z') lower = true;
  }
  return at;
}

// The label (five letters) that the first ':' at or after `from` closes,
// when that ':' closes it; else null.
const char* LabelAt(const char* from, const char* end, const char (&label)[6]) {
  // Mostly the label stands a line's width on at most: searched here, 16
  // bytes at a time, without the set-up of a library call.
  const char* colon = from;
#if defined(__SSE2__)
  const __m128i wanted = _mm_set1_epi8(':');
  for (; end - colon >= 16; colon += 16) {
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(colon));
    const auto mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(block, wanted)));
    if (mask != 0) {
      colon += __builtin_ctz(mask);
      break;
    }
  }
#endif
  while (colon < end && *colon != ':') ++colon;
  if (colon == end || colon - from < 5) return nullptr;
  return std::memcmp(colon - 5, label, 5) == 0 ? colon - 5 : nullptr;
}

// One to kMostDigits digits at `at` followed by `stop`: their value, and
// `at` moved past the stop.
bool ReadDigits(const char*& at, const char* end, char stop, int& value) {
  const char* p = at;
  int number = 0;
  while (p < end && IsDigit(*p) && static_cast<std::size_t>(p - at) < kMostDigits) {
    number = number * 10 + (*p - '0');
    ++p;
  }
  if (p == at || p >= end || *p != stop) return false;
  value = number;
  at = p + 1;
  return true;
}

// The rest of a row after its label and ':'; `at` ends past the line feed.
bool ReadRow(const char*& at, const char* end, bool query, int& start, std::string_view& residues,
             int& last, const char** afterStart, bool& lower) {
  at = SkipBlanks(at, end);
  if (!ReadDigits(at, end, ' ', start)) return false;
  if (afterStart != nullptr) *afterStart = at;
  at = SkipBlanks(at, end);
  // Residues run up to a blank; blanks were skipped, so a stop here is
  // another character and the general reading takes the row.
  const char* stop = RunEnd(at, end, lower);
  if (stop == end || *stop != ' ') return false;
  if (query && IsDigit(*at)) return false;  // no residues: the number is the row's end
  residues = std::string_view(at, static_cast<std::size_t>(stop - at));
  at = SkipBlanks(stop + 1, end);
  return ReadDigits(at, end, '\n', last);
}

}  // namespace

bool ReadRowPair(const char* from, const char* end, CRowPair& pair) {
  if (from >= end) return false;
  pair.bLowerCase = false;
  const auto reach = [end](const char* at, std::size_t most) {
    return static_cast<std::size_t>(end - at) > most ? at + most : end;
  };
  const char* query = LabelAt(from, reach(from, kLabelReach), "Query");
  if (query == nullptr) return false;
  const char* at = query + 6;
  if (!ReadRow(at, end, true, pair.nQueryStart, pair.query, pair.nQueryEnd, &pair.pAfterQueryStart,
               pair.bLowerCase)) {
    return false;
  }
  // The line between the rows is no longer than the query row's, give or
  // take: looking no further keeps a failed look within what was read.
  const char* subject =
      LabelAt(at, reach(at, 2 * static_cast<std::size_t>(at - query) + 16), "Sbjct");
  if (subject == nullptr) return false;
  at = subject + 6;
  if (!ReadRow(at, end, false, pair.nSubjectStart, pair.subject, pair.nSubjectEnd, nullptr,
               pair.bLowerCase))
    return false;
  pair.pLineEnd = at - 1;
  return true;
}

namespace {

// What ends a value of the score line, as the general reading takes them.
constexpr std::string_view kValueEnds(" \r\n\0", 4);
constexpr std::string_view kRawEnds(") \r\n\0", 5);
constexpr std::size_t kScoreReach = 64;
constexpr std::size_t kEqualsReach = 16;

// The value from `at` to the first of `ends`; false when the text ends
// first (or a zero byte ends it). `at` moves past the character that ends it.
bool TakeValue(const char*& at, const char* end, std::string_view ends, std::string_view& value) {
  // Values are a few characters long: looked at one by one first.
  constexpr std::size_t kNear = 24;
  const char* stop = at;
  const auto isEnd = [ends](char c) {
    for (char e : ends) {
      if (c == e) return true;
    }
    return false;
  };
  while (stop < end && static_cast<std::size_t>(stop - at) < kNear && !isEnd(*stop)) ++stop;
  if (stop < end && static_cast<std::size_t>(stop - at) == kNear) stop = FindAnyOf(stop, end, ends);
  if (stop == end || *stop == '\0') return false;
  value = std::string_view(at, static_cast<std::size_t>(stop - at));
  at = stop + 1;
  return true;
}

// Compared here: the labels are a few characters, and most compare equal.
bool StartsWith(const char* at, const char* end, std::string_view text) {
  if (static_cast<std::size_t>(end - at) < text.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (at[i] != text[i]) return false;
  }
  return true;
}

}  // namespace

bool ReadScoreLine(const char* from, const char* end, CScoreLine& line) {
  const char* at = from;
  const char* const reach =
      static_cast<std::size_t>(end - from) > kScoreReach ? from + kScoreReach : end;
  while (at < reach && (*at == ' ' || *at == '\n')) ++at;
  if (!StartsWith(at, end, "Score")) return false;
  at = SkipBlanks(at + 5, end);
  if (at == end || *at != '=') return false;
  at = SkipBlanks(at + 1, end);
  if (!TakeValue(at, end, kValueEnds, line.bits) || at[-1] != ' ') return false;
  if (!StartsWith(at, end, "bits (")) return false;
  at += 6;
  if (!TakeValue(at, end, kRawEnds, line.raw)) return false;
  line.pBeforeExpect = at;
  if (!StartsWith(at, end, ", Expect")) return false;
  at += 8;
  const std::size_t left = static_cast<std::size_t>(end - at);
  const char* equals = at;
  while (equals < at + std::min(left, kEqualsReach) && *equals != '=') ++equals;
  if (equals == at + std::min(left, kEqualsReach)) return false;
  at = SkipBlanks(equals + 1, end);
  if (!TakeValue(at, end, kValueEnds, line.expect)) return false;
  line.pEnd = at;
  return true;
}

namespace {

// One or more digits at `at`; `at` moves past them and `value` gets their
// number, held at INT_MAX when larger.
bool SkipDigits(const char*& at, const char* end, int& value) {
  const char* const from = at;
  long long number = 0;
  for (; at < end && IsDigit(*at); ++at) number = std::min(number * 10 + (*at - '0'), kMostInt);
  value = static_cast<int>(number);
  return at > from;
}

bool SkipCharacter(const char*& at, const char* end, char c) {
  if (at == end || *at != c) return false;
  ++at;
  return true;
}

}  // namespace

const char* SkipCountsClause(const char* at, const char* end, std::string_view label, int* pCount,
                             int* pColumns) {
  if (!StartsWithText(at, end, label)) return nullptr;
  at = SkipBlanks(at + label.size(), end);
  if (!SkipCharacter(at, end, '=')) return nullptr;
  at = SkipBlanks(at, end);
  int count = 0;
  int columns = 0;
  int percent = 0;
  if (!SkipDigits(at, end, count) || !SkipCharacter(at, end, '/') ||
      !SkipDigits(at, end, columns))
    return nullptr;
  at = SkipBlanks(at, end);
  if (!SkipCharacter(at, end, '(') || !SkipDigits(at, end, percent) ||
      !SkipCharacter(at, end, '%') || !SkipCharacter(at, end, ')'))
    return nullptr;
  // The line's last clause ends at its line break, any other before ", ".
  const bool last = at < end && *at == '\n';
  if (!last && (!SkipCharacter(at, end, ',') || !SkipCharacter(at, end, ' '))) return nullptr;
  if (pCount != nullptr) *pCount = count;
  if (pColumns != nullptr) *pColumns = columns;
  return at;
}

bool StartsWithText(const char* at, const char* end, std::string_view text) {
  return StartsWith(at, end, text);
}

}  // namespace blastsearch
