#include "parse/SummaryTable.h"

#include <memory>
#include <vector>

#include "model/BlastSearchEntry.h"
#include "model/ResultInfo.h"
#include "parse/QueryAnchoredPage.h"
#include "parse/ReportWalk.h"
#include "parse/ScanText.h"

namespace blastsearch {

namespace {

constexpr std::string_view kHeader = "Sequences producing significant alignments:";

// ParseSummaryRow on a line already made visible, with its first "#N" link
// target.
bool ParseVisibleRow(const std::string& visible, std::string_view target, bool bCountColumn,
                     CSummaryRow& row);

inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }
inline bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The decimal digits that begin `text` from `at`; moves `at` past them.
std::size_t SkipDigits(std::string_view text, std::size_t& at) {
  const std::size_t start = at;
  while (at < text.size() && IsDigit(text[at])) ++at;
  return at - start;
}

// A bit score: digits with an optional fraction ("514", "30.5").
bool IsBitScore(std::string_view word) {
  std::size_t at = 0;
  const std::size_t whole = SkipDigits(word, at);
  if (at < word.size() && word[at] == '.') {
    ++at;
    if (SkipDigits(word, at) == 0) return false;
  }
  return whole > 0 && at == word.size();
}

// An expect value as NCBI prints it: "0.004", "2e-91", "3e-049", "e-146".
bool IsExpect(std::string_view word) {
  std::size_t at = 0;
  std::size_t digits = SkipDigits(word, at);
  if (at < word.size() && word[at] == '.') {
    ++at;
    digits += SkipDigits(word, at);
  }
  if (at < word.size() && (word[at] == 'e' || word[at] == 'E')) {
    ++at;
    if (at < word.size() && (word[at] == '-' || word[at] == '+')) ++at;
    if (SkipDigits(word, at) == 0) return false;
    digits = 1;
  }
  return digits > 0 && at == word.size();
}

// The "#N" target of a link tag's href (the text between '<' and '>'), or
// empty.
std::string_view LinkTarget(std::string_view tag) {
  const std::size_t href = tag.find("href");
  if (href == std::string_view::npos) return {};
  std::size_t at = href + 4;
  while (at < tag.size() && IsBlank(tag[at])) ++at;
  if (at >= tag.size() || tag[at] != '=') return {};
  ++at;
  while (at < tag.size() && (IsBlank(tag[at]) || tag[at] == '"')) ++at;
  if (at >= tag.size() || tag[at] != '#') return {};
  const std::size_t start = ++at;
  if (SkipDigits(tag, at) == 0) return {};
  return tag.substr(start, at - start);
}

// The visible text of `line` (tags skipped, entities decoded) and the first
// "#N" link target among its tags.
void VisibleLine(std::string_view line, std::string& text, std::string_view& target) {
  static constexpr struct {
    std::string_view entity;
    char character;
  } kEntities[] = {{"&gt;", '>'}, {"&lt;", '<'}, {"&amp;", '&'}, {"&nbsp;", ' '}};
  text.clear();
  target = {};
  for (std::size_t at = 0; at < line.size();) {
    if (line[at] == '<') {
      const std::size_t close = line.find('>', at);
      if (close != std::string_view::npos) {
        if (target.empty()) target = LinkTarget(line.substr(at + 1, close - at - 1));
        at = close + 1;
        continue;
      }
    }
    if (line[at] == '&') {
      bool decoded = false;
      for (const auto& e : kEntities) {
        if (line.substr(at).starts_with(e.entity)) {
          text += e.character;
          at += e.entity.size();
          decoded = true;
          break;
        }
      }
      if (decoded) continue;
    }
    text += line[at] == '\t' ? ' ' : line[at];
    ++at;
  }
}

struct CWord {
  std::size_t begin;
  std::size_t end;
};

std::vector<CWord> Words(std::string_view text) {
  std::vector<CWord> words;
  for (std::size_t at = 0; at < text.size();) {
    while (at < text.size() && text[at] == ' ') ++at;
    const std::size_t begin = at;
    while (at < text.size() && text[at] != ' ') ++at;
    if (at > begin) words.push_back({begin, at});
  }
  return words;
}

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

// The line that begins at `at` (without its line break) and where the next
// line begins.
std::string_view LineAt(std::string_view text, std::size_t at, std::size_t& next) {
  const std::size_t end = LineBreakAt(text, at);
  next = end;
  if (next < text.size() && text[next] == '\r') ++next;
  if (next < text.size() && text[next] == '\n') ++next;
  return text.substr(at, end - at);
}

bool IsSubsectionTitle(std::string_view visible) {
  const std::string_view trimmed = Trimmed(visible);
  return trimmed.starts_with("Sequences used in model") ||
         trimmed.starts_with("Sequences not found previously");
}

// True for what may follow a table of hits without pairwise alignments:
// the report's closing statistics ("Database: ..."), or, where `anchored`,
// the first row of alignments laid out against the query.
bool EndsTableOfWholeReport(std::string_view text, std::size_t at, bool anchored) {
  std::string visible;
  std::string_view target;
  while (at < text.size()) {
    std::size_t next = at;
    const std::string_view line = LineAt(text, at, next);
    VisibleLine(line, visible, target);
    const std::string_view trimmed = Trimmed(visible);
    if (!trimmed.empty() && trimmed != "CONVERGED!") {
      return trimmed.starts_with("Database:") || (anchored && IsQueryAnchoredRow(line));
    }
    at = next;
  }
  return false;
}

// Reads the table whose header begins at `header` into `rows`; returns where
// reading stopped (the line that ended the table, or the text's end).
std::size_t ReadTable(std::string_view text, std::size_t header, std::vector<CSummaryRow>& rows) {
  std::size_t at = 0;
  std::string visible;
  std::string_view target;
  VisibleLine(LineAt(text, header, at), visible, target);
  // A table with an "N" column says so at the end of its header line.
  const std::vector<CWord> headerWords = Words(visible);
  const bool countColumn =
      !headerWords.empty() &&
      std::string_view(visible).substr(headerWords.back().begin,
                                       headerWords.back().end - headerWords.back().begin) == "N";
  CSummaryRow row;
  while (at < text.size()) {
    std::size_t next = at;
    const std::string_view line = LineAt(text, at, next);
    VisibleLine(line, visible, target);
    if (!Trimmed(visible).empty() && !IsSubsectionTitle(visible)) {
      if (!ParseVisibleRow(visible, target, countColumn, row)) return at;
      rows.push_back(std::move(row));
    }
    at = next;
  }
  return at;
}

// Appends the hits of `rows`; false when a stop was asked for.
bool AppendRows(std::vector<CSummaryRow>& rows, CBlastSearchEntry& entry, int nHitType,
                const CParseControl& control, int& nHits) {
  for (CSummaryRow& row : rows) {
    control.StoreProgress(nHits);
    if (control.StopRequested()) return false;
    auto hit = std::make_unique<CBlastSearchHit>();
    hit->m_nMolType = nHitType;
    hit->m_strName = std::move(row.strName);
    hit->m_strID = std::move(row.strID);
    hit->m_strDescription = std::move(row.strDescription);
    auto element = std::make_unique<CBlastSearchHitElement>();
    element->m_dBitScore = row.dBitScore;
    element->m_dExpect = row.dExpect;
    if (row.nCount > 1) SetExpectCount(*element, row.nCount);
    hit->m_ElementList.push_back(std::move(element));
    entry.m_Hits.m_HitList.push_back(std::move(hit));
    ++nHits;
  }
  return true;
}

}  // namespace

bool ParseSummaryRow(std::string_view line, bool bCountColumn, CSummaryRow& row) {
  std::string visible;
  std::string_view target;
  VisibleLine(line, visible, target);
  return ParseVisibleRow(visible, target, bCountColumn, row);
}

namespace {

bool ParseVisibleRow(const std::string& visible, std::string_view target, bool bCountColumn,
                     CSummaryRow& row) {
  const std::vector<CWord> words = Words(visible);
  const std::size_t numbers = bCountColumn ? 3 : 2;
  if (words.size() < numbers + 1) return false;
  const auto word = [&visible](const CWord& w) {
    return std::string_view(visible).substr(w.begin, w.end - w.begin);
  };
  const CWord& bits = words[words.size() - numbers];
  const CWord& expect = words[words.size() - numbers + 1];
  if (!IsBitScore(word(bits)) || !IsExpect(word(expect))) return false;
  row.nCount = 0;
  if (bCountColumn) {
    const std::string_view count = word(words.back());
    std::size_t at = 0;
    if (SkipDigits(count, at) == 0 || at != count.size()) return false;
    row.nCount = CleanNumber(count);
  }
  row.strName.assign(word(words.front()));
  row.strID = target.empty() ? ParseID(row.strName) : std::string(target);
  row.strDescription.assign(
      Trimmed(std::string_view(visible).substr(words.front().end, bits.begin - words.front().end)));
  row.dBitScore = ToReal(std::string(word(bits)));
  row.dExpect = ToExpect(std::string(word(expect)));
  return true;
}

}  // namespace

int ReadSummaryTables(std::string_view text, std::size_t from, CBlastSearchEntry& entry,
                      int nHitType, const CParseControl& control, bool bAnchored) {
  int nHits = 0;
  std::vector<CSummaryRow> rows;
  for (std::size_t header = text.find(kHeader, from); header != std::string_view::npos;
       header = text.find(kHeader, from)) {
    rows.clear();
    from = ReadTable(text, header, rows);
    // A table cut off, or followed by anything but the report's end, is not
    // a report without alignments: nothing of it is taken.
    if (!EndsTableOfWholeReport(text, from, bAnchored)) continue;
    if (!AppendRows(rows, entry, nHitType, control, nHits)) break;
  }
  return nHits;
}

void MarkSummaryOnly(CBlastSearchEntry& entry) {
  namespace ri = result_info;
  for (std::string_view field :
       {ri::kAbsentAlignments, ri::kAbsentHitLength, ri::kAbsentRows, ri::kAbsentRawScore,
        ri::kAbsentIdentities, ri::kAbsentPositives, ri::kAbsentGaps, ri::kAbsentFrames}) {
    MarkFieldAbsent(entry, field);
  }
}

}  // namespace blastsearch
