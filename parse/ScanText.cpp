#include "parse/ScanText.h"

#include <climits>
#include <cstddef>
#include <cstring>

namespace blastsearch {

namespace {

// ASCII upper case; every other byte (including those above 0x7f) is itself.
inline unsigned char FoldCase(char c) {
  const auto u = static_cast<unsigned char>(c);
  return (u >= 'a' && u <= 'z') ? static_cast<unsigned char>(u - ('a' - 'A')) : u;
}

inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Case-insensitive search for a pattern that begins with '<'. Every match
// begins with that '<', which has no other case, so the text is skipped from
// one '<' to the next with strchr and the rest of the pattern compared there.
// The comparison stops at the text's terminator (it never equals a pattern
// character), so nothing past the text is read and any pattern length works.
const char* FindTagIgnoringCase(const char* text, const char* pattern) {
  for (const char* at = std::strchr(text, '<'); at != nullptr; at = std::strchr(at + 1, '<')) {
    std::size_t i = 1;
    while (pattern[i] != '\0' && FoldCase(at[i]) == FoldCase(pattern[i])) ++i;
    if (pattern[i] == '\0') return at;
  }
  return nullptr;
}

// Reads an integer the way "%d" does: leading white space, an optional sign,
// decimal digits. 0 when no digit follows. The standard conversions leave a
// number beyond the range of int undefined; here it is clamped to
// INT_MAX / INT_MIN.
int ReadClampedInt(const char* p) {
  while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') negative = (*p++ == '-');
  constexpr long long kSaturated = static_cast<long long>(INT_MAX) + 1;
  long long value = 0;
  for (; IsDigit(*p); ++p) {
    value = value * 10 + (*p - '0');
    if (value > kSaturated) value = kSaturated;
  }
  if (negative) return static_cast<int>(-value);  // -kSaturated is INT_MIN
  return value > INT_MAX ? INT_MAX : static_cast<int>(value);
}

// The first match of `pattern` (length `length`) in `from`, or null. With a
// bound, only matches starting at most `maxStart` characters after `from` count
// and nothing beyond the last such match's end is read; without one (`bounded`
// false) the search runs to the match or the text's end.
const char* FindFrom(const char* from, const char* pattern, std::size_t length, bool bounded,
                     std::size_t maxStart) {
  if (!bounded) return std::strstr(from, pattern);
  const std::size_t available = ::strnlen(from, maxStart + length);
  return static_cast<const char*>(::memmem(from, available, pattern, length));
}

// Shared body of GetString and GetStringStarts. `keepSecond` leaves the
// position on the second marker's first character instead of past it. A
// `limit` of 0 means none; with one, every search is bounded to where a value
// could still begin within the limit, which gives the same answers as
// searching on and checking afterwards, but scans no further.
int TakeValue(char** cursor, const char* first, const char* second, bool keepSecond,
              const char* skip, std::string& value, const char* stop, int limit) {
  if (stop == nullptr || limit < 0) return 0;
  const char* const start = *cursor;
  const bool bounded = limit > 0;
  const auto budgetLeft = [&](const char* at) {
    return static_cast<long long>(limit) - (at - start);
  };
  const char* p = start;
  const char* const markers[] = {first, second};
  for (int i = 0; i < 2; ++i) {
    const char* marker = markers[i];
    if (marker == nullptr) continue;
    const std::size_t length = std::strlen(marker);
    const std::size_t advance = (i == 1 && keepSecond) ? 0 : length;
    // With a limit, the match must leave the position within the budget.
    const long long maxStart = bounded ? budgetLeft(p) - static_cast<long long>(advance) : 0;
    if (maxStart < 0) return 0;
    const char* match = FindFrom(p, marker, length, bounded, static_cast<std::size_t>(maxStart));
    if (match == nullptr) return 0;
    p = match + advance;
  }
  if (skip != nullptr) {
    while (*p != '\0' && IsCharDelimit(*p, skip)) {
      ++p;
      if (bounded && budgetLeft(p) < 0) return 0;
    }
  }
  if (bounded && budgetLeft(p) < 0) return 0;
  const char* end = std::strpbrk(p, stop);
  if (end == nullptr) return 0;
  value.assign(p, static_cast<std::size_t>(end - p));
  *cursor += (end + 1 - start);
  return 1;
}

}  // namespace

char* StrStr(char* text, const char* pattern) {
  return const_cast<char*>(StrStr(static_cast<const char*>(text), pattern));
}

const char* StrStr(const char* text, const char* pattern) {
  if (pattern[0] != '<') return std::strstr(text, pattern);
  return FindTagIgnoringCase(text, pattern);
}

int IsCharDelimit(char c, const char* set) {
  if (set == nullptr || c == '\0') return 0;
  return std::strchr(set, c) != nullptr ? 1 : 0;
}

int IsSeqChar(char c) {
  const unsigned char upper = FoldCase(c);
  return ((upper >= 'A' && upper <= 'Z') || c == '-') ? 1 : 0;
}

int GetEnd(const char* text) {
  if (text == nullptr) return 0;
  return ReadClampedInt(text);
}

void SkipLine(char** cursor, int count) {
  char* p = *cursor;
  for (int i = 0; i < count && *p != '\0'; ++i) {
    p += std::strcspn(p, "\r\n");
    p += std::strspn(p, "\r\n");
  }
  *cursor = p;
}

void SkipSpace(char** cursor) {
  char* p = *cursor;
  while (*p == ' ') ++p;
  *cursor = p;
}

char* strNcpy(char* dst, const char* src, int size) {
  if (size < 1) return dst;
  const auto places = static_cast<std::size_t>(size - 1);
  const std::size_t copied = ::strnlen(src, places);
  std::memcpy(dst, src, copied);
  std::memset(dst + copied, 0, places - copied + 1);
  return dst;
}

std::string ParseID(std::string text) {
  const std::size_t tag = text.find("gi|");
  if (tag == std::string::npos) return {};
  const std::size_t begin = tag + 3;
  const std::size_t bar = text.find('|', begin);
  if (bar == std::string::npos) return {};
  return text.substr(begin, bar - begin);
}

int atoi(std::string text) {
  std::erase_if(text, [](char c) { return !IsDigit(c) && c != '-'; });
  return ReadClampedInt(text.c_str());
}

double atof(std::string text) {
  std::erase_if(text,
                [](char c) { return !IsDigit(c) && c != '-' && c != '.' && c != 'E' && c != 'e'; });
  return std::strtod(text.c_str(), nullptr);
}

int FindString(char** cursor, const char* pattern, int limit) {
  const bool bounded = limit > 0;
  const char* match = FindFrom(*cursor, pattern, std::strlen(pattern), bounded,
                               bounded ? static_cast<std::size_t>(limit) : 0);
  if (match == nullptr) return 0;
  *cursor += (match - *cursor);
  return 1;
}

int GetString(char** cursor, const char* first, const char* second, const char* skip,
              std::string& value, const char* stop, int limit) {
  return TakeValue(cursor, first, second, false, skip, value, stop, limit);
}

int GetStringStarts(char** cursor, const char* first, const char* second, const char* skip,
                    std::string& value, const char* stop) {
  if (second == nullptr) return 0;
  return TakeValue(cursor, first, second, true, skip, value, stop, 0);
}

int SeparateString(char** cursor, const char* separators, const char* terminators,
                   std::vector<std::string>& items) {
  char* p = *cursor;
  while (*p != '\0' && !IsCharDelimit(*p, terminators)) {
    while (IsCharDelimit(*p, separators)) ++p;
    const char* const begin = p;
    while (*p != '\0' && !IsCharDelimit(*p, terminators) && !IsCharDelimit(*p, separators)) ++p;
    if (p != begin) items.emplace_back(begin, static_cast<std::size_t>(p - begin));
  }
  while (IsCharDelimit(*p, terminators)) ++p;
  *cursor = p;
  return static_cast<int>(items.size());
}

int ParseCmdList(const char* line, std::vector<std::string>& items) {
  if (line == nullptr || *line == '\0') return 0;
  std::string item;
  const auto finishItem = [&] {
    items.push_back(std::move(item));
    item.clear();
  };
  for (const char* p = line; *p != '\0'; ++p) {
    const char c = *p;
    if (c == ' ') {
      if (item.empty()) continue;
      if (item.front() == '"') {
        item += c;
      } else {
        finishItem();
      }
    } else if (c == '"') {
      const bool opens = item.empty();
      item += c;
      if (!opens) finishItem();
    } else {
      item += c;
    }
  }
  if (!item.empty()) items.push_back(std::move(item));
  return 1;
}

}  // namespace blastsearch
