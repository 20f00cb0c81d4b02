#include "parse/RowPair.h"

#include <cstddef>
#include <cstring>

#include "parse/FindText.h"

namespace blastsearch {

namespace {

// What ends a run of residues; a zero byte ends the text for the general reading.
constexpr std::string_view kResidueEnds(" \r\n\0", 4);
constexpr std::size_t kMostDigits = 9;  // always within the range of int

inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }

inline const char* SkipBlanks(const char* at, const char* end) {
  while (at < end && *at == ' ') ++at;
  return at;
}

// The label (five letters) that the first ':' at or after `from` closes,
// when that ':' closes it; else null.
const char* LabelAt(const char* from, const char* end, const char (&label)[6]) {
  const auto* colon =
      static_cast<const char*>(std::memchr(from, ':', static_cast<std::size_t>(end - from)));
  if (colon == nullptr || colon - from < 5) return nullptr;
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
             int& last, const char** afterStart) {
  at = SkipBlanks(at, end);
  if (!ReadDigits(at, end, ' ', start)) return false;
  if (afterStart != nullptr) *afterStart = at;
  at = SkipBlanks(at, end);
  const char* stop = FindAnyOf(at, end, kResidueEnds);
  // Blanks were skipped: a stop here is a line break, or residues come first.
  if (stop == end || *stop != ' ') return false;
  if (query && IsDigit(*at)) return false;  // no residues: the number is the row's end
  residues = std::string_view(at, static_cast<std::size_t>(stop - at));
  at = SkipBlanks(stop + 1, end);
  return ReadDigits(at, end, '\n', last);
}

}  // namespace

bool ReadRowPair(const char* from, const char* end, CRowPair& pair) {
  if (from >= end) return false;
  const char* query = LabelAt(from, end, "Query");
  if (query == nullptr) return false;
  const char* at = query + 6;
  if (!ReadRow(at, end, true, pair.nQueryStart, pair.query, pair.nQueryEnd,
               &pair.pAfterQueryStart)) {
    return false;
  }
  const char* subject = LabelAt(at, end, "Sbjct");
  if (subject == nullptr) return false;
  at = subject + 6;
  if (!ReadRow(at, end, false, pair.nSubjectStart, pair.subject, pair.nSubjectEnd, nullptr))
    return false;
  pair.pLineEnd = at - 1;
  return true;
}

}  // namespace blastsearch
