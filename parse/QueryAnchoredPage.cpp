#include "parse/QueryAnchoredPage.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <memory>
#include <string>
#include <unordered_set>

#include "model/BlastSearchEntry.h"
#include "model/ResultInfo.h"
#include "parse/ReportWalk.h"
#include "parse/ScanText.h"
#include "parse/SummaryTable.h"

namespace blastsearch {

namespace {

inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }
inline bool IsBlank(char c) { return c == ' ' || c == '\t'; }
inline bool IsRowCharacter(char c) {
  return std::isalpha(static_cast<unsigned char>(c)) != 0 || c == '-' || c == '*' || c == '.';
}

// The visible characters of a line (tags skipped) copied into a fixed
// buffer: enough to see a row's first words and its last number.
class CVisibleLine {
 public:
  explicit CVisibleLine(std::string_view line) {
    std::size_t tail = 0;
    bool inTag = false;
    for (char c : line) {
      if (c == '<') inTag = true;
      if (!inTag) {
        if (m_nSize < m_text.size()) m_text[m_nSize++] = c;
        m_tail[tail++ % m_tail.size()] = c;
      }
      if (c == '>') inTag = false;
    }
    // The last characters in order, for the row's closing number.
    const std::size_t kept = std::min(tail, m_tail.size());
    for (std::size_t i = 0; i < kept; ++i) m_end[i] = m_tail[(tail - kept + i) % m_tail.size()];
    m_nEnd = kept;
  }
  std::string_view Head() const { return {m_text.data(), m_nSize}; }
  std::string_view Tail() const { return {m_end.data(), m_nEnd}; }

 private:
  std::array<char, 256> m_text{};
  std::array<char, 64> m_tail{};
  std::array<char, 64> m_end{};
  std::size_t m_nSize = 0;
  std::size_t m_nEnd = 0;
};

std::size_t SkipBlanks(std::string_view text, std::size_t at) {
  while (at < text.size() && IsBlank(text[at])) ++at;
  return at;
}

// A word, blanks, a number, blanks: where the rest begins, or npos. A word
// that ends with ':' names a pairwise row ("Query:", "Sbjct:"), not a row
// laid out against the query.
std::size_t NameAndStart(std::string_view text) {
  std::size_t at = 0;
  while (at < text.size() && !IsBlank(text[at])) ++at;
  if (at == 0 || at >= text.size() || text[at - 1] == ':') return std::string_view::npos;
  at = SkipBlanks(text, at);
  const std::size_t digits = at;
  while (at < text.size() && IsDigit(text[at])) ++at;
  if (at == digits || at >= text.size() || !IsBlank(text[at])) return std::string_view::npos;
  return SkipBlanks(text, at);
}

// True when `text` ends with a number after a blank (trailing blanks aside).
bool EndsWithNumber(std::string_view text) {
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  std::size_t digits = 0;
  while (!text.empty() && IsDigit(text.back())) {
    text.remove_suffix(1);
    ++digits;
  }
  return digits > 0 && !text.empty() && IsBlank(text.back());
}

// The query's row of an anchored block: a plain line (no tag) "NAME START
// RESIDUES END", the residues without blanks (gaps are '-', and '.' where
// the page shows identities as dots).
bool IsMasterRow(std::string_view line) {
  if (line.empty() || line.front() == '<' || IsBlank(line.front())) return false;
  if (line.find('<') != std::string_view::npos) return false;
  std::size_t at = NameAndStart(line);
  if (at == std::string_view::npos) return false;
  const std::size_t residues = at;
  while (at < line.size() && IsRowCharacter(line[at])) ++at;
  if (at == residues || at >= line.size() || !IsBlank(line[at])) return false;
  at = SkipBlanks(line, at);
  const std::size_t digits = at;
  while (at < line.size() && IsDigit(line[at])) ++at;
  return at > digits && SkipBlanks(line, at) == line.size();
}

// The opening of a database row of an anchored block: "NAME START", on a
// web page after the sequence's link (and maybe its anchor). A row whose
// columns are all gaps may lack its end number.
bool OpensDatabaseRow(std::string_view line, const CVisibleLine& visible) {
  if (line.empty() || IsBlank(line.front())) return false;
  if (line.front() == '<' && (line.size() < 2 || (line[1] != 'a' && line[1] != 'A'))) return false;
  return NameAndStart(visible.Head()) != std::string_view::npos;
}

// A whole database row: "NAME START ... END".
bool IsDatabaseRow(std::string_view line) {
  const CVisibleLine visible(line);
  return OpensDatabaseRow(line, visible) && EndsWithNumber(visible.Tail());
}

// Calls `visit` with every line of `page` (without its line break) and the
// line after it; stops when `visit` returns false.
template <typename Visit>
void ForEachLinePair(std::string_view page, Visit visit) {
  std::size_t at = 0;
  std::string_view line;
  bool first = true;
  while (at <= page.size()) {
    const std::size_t end = LineBreakAt(page, at);
    const std::string_view next = page.substr(at, end - at);
    if (!first && !visit(line, next)) return;
    first = false;
    line = next;
    if (end >= page.size()) break;
    at = end + 1;
    if (page[end] == '\r' && at < page.size() && page[at] == '\n') ++at;
  }
}

// The value of an anchor tag "<a name = N>" opening `line`, or empty.
std::string_view AnchorOfRow(std::string_view line) {
  const std::size_t close = line.find('>');
  if (close == std::string_view::npos) return {};
  const std::string_view tag = line.substr(1, close - 1);
  std::size_t at = SkipBlanks(tag, 1);
  if (tag.size() < at + 4) return {};
  std::string name(tag.substr(at, 4));
  for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (name != "name") return {};
  at = SkipBlanks(tag, at + 4);
  if (at >= tag.size() || tag[at] != '=') return {};
  at = SkipBlanks(tag, at + 1);
  if (at < tag.size() && tag[at] == '"') ++at;
  const std::size_t start = at;
  while (at < tag.size() && !IsBlank(tag[at]) && tag[at] != '"') ++at;
  return tag.substr(start, at - start);
}

// One hit per database sequence of the anchored rows, at its first row:
// its name is the row's first visible word, its identifier the name of the
// anchor that opens the row on a web page, else the gi number of the name.
int ReadAnchoredRows(std::string_view page, CBlastSearchEntry& entry, int nHitType,
                     const CParseControl& control) {
  int hits = 0;
  std::unordered_set<std::string> seen;
  // A block runs from the query's row (the first line after a blank one) to
  // the next blank line; the lines in between that open with a name and a
  // start are database rows (marks under the rows begin with blanks).
  bool inBlock = false;
  ForEachLinePair(page, [&](std::string_view, std::string_view line) {
    const CVisibleLine visible(line);
    const std::string_view head = visible.Head();
    if (head.find_first_not_of(" \t") == std::string_view::npos) {
      inBlock = false;
      return true;
    }
    if (!inBlock) {
      inBlock = IsMasterRow(line);
      return true;
    }
    if (!OpensDatabaseRow(line, visible)) return true;
    const std::string_view name = head.substr(0, head.find_first_of(" \t"));
    if (!seen.emplace(name).second) return true;
    control.StoreProgress(hits);
    if (control.StopRequested()) return false;
    auto hit = std::make_unique<CBlastSearchHit>();
    hit->m_nMolType = nHitType;
    hit->m_strName.assign(name);
    const std::string_view anchor = line.front() == '<' ? AnchorOfRow(line) : std::string_view();
    hit->m_strID = anchor.empty() ? ParseID(hit->m_strName) : std::string(anchor);
    entry.m_Hits.m_HitList.push_back(std::move(hit));
    ++hits;
    return true;
  });
  return hits;
}

}  // namespace

bool IsQueryAnchoredRow(std::string_view line) { return IsMasterRow(line); }

bool IsQueryAnchoredPage(std::string_view page) {
  bool anchored = false;
  ForEachLinePair(page, [&anchored](std::string_view line, std::string_view next) {
    anchored = IsMasterRow(line) && IsDatabaseRow(next);
    return !anchored;
  });
  return anchored;
}

int ReadQueryAnchoredPage(std::string_view page, CBlastSearchEntry& entry, int nHitType) {
  // The page's text ends at its first zero byte, as the readers see it.
  page = page.substr(0, page.find('\0'));
  const std::size_t query = page.find("Query=");
  if (query != std::string_view::npos) {
    // FindQueryLength reads a zero-terminated text.
    const std::string rest(
        page.substr(query + 6, std::min<std::size_t>(page.size() - query - 6, 4096)));
    int length = 0;
    if (FindQueryLength(rest.c_str(), length) != nullptr) entry.m_Mol.m_nLength = length;
  }
  return ReadQueryAnchoredHits(page, entry, nHitType, CParseControl(nullptr, nullptr));
}

int ReadQueryAnchoredHits(std::string_view page, CBlastSearchEntry& entry, int nHitType,
                          const CParseControl& control) {
  if (ReadSummaryTables(page, 0, entry, nHitType, control, true) > 0) {
    MarkSummaryOnly(entry);
    return 1;
  }
  if (control.StopRequested() || ReadAnchoredRows(page, entry, nHitType, control) == 0) return 0;
  MarkSummaryOnly(entry);
  MarkFieldAbsent(entry, result_info::kAbsentDescription);
  return 1;
}

}  // namespace blastsearch
