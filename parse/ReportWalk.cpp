#include "parse/ReportWalk.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <charconv>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <system_error>

#include "host/UxMol.h"
#include "model/BlastSearchHit.h"
#include "model/BlastSearchHitElement.h"
#include "parse/FindText.h"
#include "parse/MarkerCache.h"
#include "parse/ScanText.h"

namespace blastsearch {

namespace {

inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }
// White space as the standard conversions and scan formats take it.
inline bool IsWhite(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// Reads "%d" at `p`: white space, an optional sign, at least one digit.
// Moves `p` past the number; false (p unchanged) when there is none. A
// number beyond the range of int is clamped to INT_MAX or INT_MIN.
bool ReadInt(const char*& p, int& value) {
  const char* at = p;
  while (IsWhite(*at)) ++at;
  // One sign at most ("+-5" is no number).
  bool negative = false;
  if (*at == '+' || *at == '-') negative = (*at++ == '-');
  const std::uint64_t limit =
      negative ? std::uint64_t{0u - static_cast<unsigned>(INT_MIN)} : std::uint64_t{INT_MAX};
  // The digits summed as they are passed (the text ends at a NUL, not at a
  // known length), in a wider type held at one past the limit, so that no
  // run of digits can overflow it; beyond the range of int is clamped.
  std::uint64_t magnitude = 0;
  const char* end = at;
  // Up to nine digits fit an int whatever they are: most numbers end there.
  while (end - at < 9 && IsDigit(*end))
    magnitude = magnitude * 10 + static_cast<unsigned>(*end++ - '0');
  for (; IsDigit(*end); ++end) {
    magnitude = std::min(magnitude * 10 + static_cast<unsigned>(*end - '0'), limit + 1);
  }
  if (end == at) return false;
  magnitude = std::min(magnitude, limit);
  value =
      negative ? static_cast<int>(-static_cast<long long>(magnitude)) : static_cast<int>(magnitude);
  p = end;
  return true;
}

// Reads a text that is digits with at most one '.' among or around them
// (at least one digit, at most 15 in all, no exponent): its value as
// strtod rounds it, found without from_chars. Both the digits read as a
// whole number and the power of ten of the fraction are exact in a double,
// so one division rounds the quotient as strtod does. False for any other
// text.
bool ReadShortDecimal(const char* begin, const char* end, double& value) {
  constexpr double kTens[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7,
                              1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
  std::uint64_t digits = 0;
  int count = 0;
  int fraction = -1;  // digits after the point; -1: no point yet
  for (const char* at = begin; at < end; ++at) {
    if (IsDigit(*at)) {
      if (++count > 15) return false;
      digits = digits * 10 + static_cast<unsigned>(*at - '0');
      if (fraction >= 0) ++fraction;
    } else if (*at == '.' && fraction < 0) {
      fraction = 0;
    } else {
      return false;
    }
  }
  if (count == 0) return false;
  value = static_cast<double>(digits) / kTens[std::max(fraction, 0)];
  return true;
}

// ASCII letters only; written without branches so that the compiler can
// treat many characters at once (rows are most of a report).
void UpperCase(std::string& text) {
  for (char& c : text) {
    const auto u = static_cast<unsigned char>(c);
    c = static_cast<char>(u - (static_cast<unsigned char>(u - 'a') < 26 ? 'a' - 'A' : 0));
  }
}

}  // namespace

int ToNumber(const std::string& value) {
  const char* p = value.c_str();
  int number = 0;
  return ReadInt(p, number) ? number : 0;
}

int CleanNumber(std::string_view value) {
  // The cleaned text is read as "%d": one sign, then digits up to the next
  // character that is not one (a further '-').
  constexpr long long kSaturated = static_cast<long long>(INT_MAX) + 1;
  bool first = true;
  bool negative = false;
  long long magnitude = 0;
  for (char c : value) {
    if (c == '-') {
      if (!first) break;
      negative = true;
    } else if (IsDigit(c)) {
      magnitude = std::min(magnitude * 10 + (c - '0'), kSaturated);
    } else {
      continue;
    }
    first = false;
  }
  if (negative) return static_cast<int>(-magnitude);  // -kSaturated is INT_MIN
  return static_cast<int>(std::min<long long>(magnitude, INT_MAX));
}

double ToReal(const std::string& value) {
  // A decimal text goes through from_chars, which rounds exactly as strtod
  // does. from_chars takes no leading '+' (strtod does), so the sign is read
  // here; what it does not take whole as strtod would (white space in front,
  // hexadecimal, infinities and NaNs, values out of range, where strtod gives
  // HUGE_VAL or 0) goes to strtod itself.
  const char* begin = value.c_str();
  const char* const end = begin + value.size();
  const bool negative = *begin == '-';
  if (*begin == '+' || *begin == '-') ++begin;
  if (double exact = 0; ReadShortDecimal(begin, end, exact)) return negative ? -exact : exact;
  if (begin < end && (IsDigit(*begin) || *begin == '.') &&
      !(begin[0] == '0' && (begin[1] == 'x' || begin[1] == 'X'))) {
    double result = 0;
    const auto [at, error] = std::from_chars(begin, end, result);
    // "1e" or "1e+" stops before the exponent in both.
    if (error == std::errc() && !(at < end && (*at == 'x' || *at == 'X')))
      return negative ? -result : result;
  }
  return std::strtod(value.c_str(), nullptr);
}

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

double ToExpect(const std::string& value) {
  if ((value[0] == 'e' || value[0] == 'E') &&
      (IsDigit(value[1]) || ((value[1] == '-' || value[1] == '+') && IsDigit(value[2])))) {
    return ToReal("1" + value);
  }
  return ToReal(value);
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

void ReserveRows(CBlastSearchHitElement& element, const char* rest, const char* blockEnd) {
  if (element.m_nAlignLength <= 0 || blockEnd == nullptr || blockEnd <= rest) return;
  const auto columns = std::min(static_cast<std::size_t>(element.m_nAlignLength),
                                static_cast<std::size_t>(blockEnd - rest));
  element.m_Query.m_strSeq.reserve(element.m_Query.m_strSeq.size() + columns);
  element.m_Subject.m_strSeq.reserve(element.m_Subject.m_strSeq.size() + columns);
}

void AppendElement(CBlastSearchHit& hit, std::unique_ptr<CBlastSearchHitElement> element) {
  AppendElement(hit, std::move(element), false);
}

void AppendElement(CBlastSearchHit& hit, std::unique_ptr<CBlastSearchHitElement> element,
                   bool bUpperCase) {
  if (!bUpperCase) {
    UpperCase(element->m_Query.m_strSeq);
    UpperCase(element->m_Subject.m_strSeq);
  }
  const std::size_t columns = element->m_Query.m_strSeq.size();
  const int length = static_cast<int>(std::min<std::size_t>(columns, INT_MAX));
  element->m_Query.m_nLength = length;
  element->m_Subject.m_nLength = length;
  if (hit.m_nLength < length) hit.m_nLength = length;
  hit.m_ElementList.push_back(std::move(element));
}

namespace {

inline bool IsBlank(char c) { return c == ' ' || c == '\t'; }
inline bool IsLineBreak(char c) { return c == '\n' || c == '\r'; }

// The line that begins at `line`, without its line break.
std::string_view LineAt(const char* line) {
  return std::string_view(line, std::strcspn(line, "\r\n"));
}

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

bool StartsWithFolded(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    const auto a = static_cast<unsigned char>(text[i]);
    const auto b = static_cast<unsigned char>(prefix[i]);
    if (std::tolower(a) != std::tolower(b)) return false;
  }
  return true;
}

// "(N letters)" in `line`: N's digits (with separators) and where it ends.
bool LettersStatement(std::string_view line, std::string_view& number) {
  for (std::size_t open = line.find('('); open != std::string_view::npos;
       open = line.find('(', open + 1)) {
    std::size_t at = open + 1;
    while (at < line.size() && IsBlank(line[at])) ++at;
    const std::size_t digits = at;
    while (at < line.size() && (IsDigit(line[at]) || line[at] == ',')) ++at;
    if (at == digits || !IsDigit(line[digits])) continue;
    number = line.substr(digits, at - digits);
    while (at < line.size() && IsBlank(line[at])) ++at;
    if (line.substr(at).starts_with("letters)")) return true;
  }
  return false;
}

// "Length=N" or "Length = N" opening `line` (after blanks).
bool LengthStatement(std::string_view line, std::string_view& number) {
  line = TrimBlanks(line);
  if (!line.starts_with("Length")) return false;
  std::size_t at = 6;
  while (at < line.size() && IsBlank(line[at])) ++at;
  if (at >= line.size() || line[at] != '=') return false;
  ++at;
  while (at < line.size() && IsBlank(line[at])) ++at;
  const std::size_t digits = at;
  while (at < line.size() && (IsDigit(line[at]) || line[at] == ',')) ++at;
  if (at == digits || !IsDigit(line[digits])) return false;
  number = line.substr(digits, at - digits);
  return true;
}

bool EndsQueryBlock(std::string_view line) {
  return TrimBlanks(line).starts_with('>') || line.find("Database:") != std::string_view::npos ||
         line.find("Sequences producing") != std::string_view::npos ||
         line.find("Score =") != std::string_view::npos;
}

// True for a line that ends a definition's continuation lines: a blank line,
// the length line, the next definition line (an indented '>' continues the
// definition with another database entry, as early BLAST versions wrote it),
// or a line that begins with a tag (an anchor that opens another entry of
// NCBI's pages, a link of an alignment row).
bool EndsDefinition(std::string_view line) {
  const std::string_view trimmed = TrimBlanks(line);
  return trimmed.empty() || trimmed.starts_with("Length") || line.starts_with('>') ||
         trimmed.starts_with('<');
}

// ParseID of `name` without copying it: the text between its first "gi|"
// and the next '|', or empty when either is missing.
std::string_view GiNumberOf(std::string_view name) {
  const std::size_t tag = name.find("gi|");
  if (tag == std::string_view::npos) return {};
  const std::size_t bar = name.find('|', tag + 3);
  if (bar == std::string_view::npos) return {};
  return name.substr(tag + 3, bar - tag - 3);
}

// The value of an "a name = N" tag's name (between '<' and '>'), or empty.
std::string_view AnchorName(std::string_view tag) {
  if (!StartsWithFolded(tag, "a") || tag.size() < 2 || !IsBlank(tag[1])) return {};
  std::size_t at = 1;
  while (at < tag.size() && IsBlank(tag[at])) ++at;
  if (!StartsWithFolded(tag.substr(at), "name")) return {};
  at += 4;
  while (at < tag.size() && IsBlank(tag[at])) ++at;
  if (at >= tag.size() || tag[at] != '=') return {};
  ++at;
  while (at < tag.size() && (IsBlank(tag[at]) || tag[at] == '"')) ++at;
  const std::size_t start = at;
  while (at < tag.size() && !IsBlank(tag[at]) && tag[at] != '"') ++at;
  return tag.substr(start, at - start);
}

}  // namespace

const char* FindQueryLength(const char* from, int& length) {
  for (const char* line = from; *line != '\0';) {
    const std::string_view text = LineAt(line);
    if (line != from && EndsQueryBlock(text)) return nullptr;
    std::string_view number;
    if (LettersStatement(text, number) || LengthStatement(text, number)) {
      length = CleanNumber(number);
      return number.data() + number.size();
    }
    line = text.data() + text.size();
    while (IsLineBreak(*line)) ++line;
  }
  return nullptr;
}

const char* JoinDefinitionLines(const char* line, CMarkerCache& markers, std::string& text) {
  // One line without its line break (and a carriage return before it).
  const auto lineAt = [&markers](const char* start) {
    std::string_view piece(start, static_cast<std::size_t>(markers.LineEnd(start) - start));
    if (!piece.empty() && piece.back() == '\r') piece.remove_suffix(1);
    return piece;
  };
  std::string_view piece = lineAt(line);
  text.assign(piece);
  const char* end = piece.data() + piece.size();
  for (;;) {
    const char* next = end;
    if (*next == '\r') ++next;
    if (*next == '\n') ++next;
    if (next == end || *next == '\0') return end;
    piece = lineAt(next);
    if (EndsDefinition(piece)) return end;
    while (!text.empty() && IsBlank(text.back())) text.pop_back();
    text += ' ';
    text += TrimBlanks(piece);
    end = piece.data() + piece.size();
  }
}

void SplitDefinition(std::string_view line, std::string& name, std::string& id,
                     std::string& description) {
  static constexpr struct {
    std::string_view entity;
    char character;
  } kEntities[] = {{"&gt;", '>'}, {"&lt;", '<'}, {"&amp;", '&'}, {"&nbsp;", ' '}};
  // Markup is read as such only on a line that begins with a tag (NCBI's
  // pages); a plain-text line is taken as written.
  const std::string_view first = TrimBlanks(line);
  const bool html = first.size() > 1 && first[0] == '<' &&
                    std::isalpha(static_cast<unsigned char>(first[1])) &&
                    first.find('>') != std::string_view::npos;
  std::string plain;
  std::string_view anchor;
  bool text = false;    // a character other than a blank was kept
  bool closing = true;  // a '>' may still follow
  for (std::size_t at = 0; html && at < line.size();) {
    const char c = line[at];
    if (c == '<' && closing && at + 1 < line.size() &&
        (std::isalpha(static_cast<unsigned char>(line[at + 1])) || line[at + 1] == '/' ||
         line[at + 1] == '!')) {
      const std::size_t close = line.find('>', at);
      closing = close != std::string_view::npos;
      if (closing) {
        const std::string_view tag = line.substr(at + 1, close - at - 1);
        // Only an anchor before the name gives the identifier.
        if (anchor.empty() && !text) anchor = AnchorName(tag);
        at = close + 1;
        continue;
      }
    }
    if (c == '&') {
      bool decoded = false;
      for (const auto& e : kEntities) {
        if (StartsWithFolded(line.substr(at), e.entity)) {
          plain += e.character;
          text = text || e.character != ' ';
          at += e.entity.size();
          decoded = true;
          break;
        }
      }
      if (decoded) continue;
    }
    plain += c;
    text = text || c != ' ';
    ++at;
  }
  // A plain-text line is read where it stands.
  std::string_view rest = html ? std::string_view(plain) : line;
  while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
  const std::size_t blank = rest.find(' ');
  const std::string_view word = rest.substr(0, blank);
  rest.remove_prefix(word.size());
  while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
  name.assign(word);
  if (anchor.empty()) {
    id.assign(GiNumberOf(word));
  } else {
    id.assign(anchor);
  }
  description.assign(rest);
}

std::size_t LeadingNumberLength(std::string_view value) {
  std::size_t at = (!value.empty() && (value[0] == '-' || value[0] == '+')) ? 1 : 0;
  const std::size_t digits = at;
  while (at < value.size() && IsDigit(value[at])) ++at;
  return at == digits ? 0 : at;
}

std::size_t LineBreakAt(std::string_view text, std::size_t from) {
  if (from >= text.size()) return text.size();
  // Many bytes at a time: the layout's recognition and the page readers walk
  // every line of a report's opening with it.
  const char* const end = text.data() + text.size();
  return static_cast<std::size_t>(FindAnyOf(text.data() + from, end, "\r\n") - text.data());
}

}  // namespace blastsearch
