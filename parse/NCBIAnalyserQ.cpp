#include "parse/NCBIAnalyserQ.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <memory>
#include <new>
#include <string_view>
#include <vector>

#include "model/BlastSearchEntry.h"
#include "model/ResultInfo.h"
#include "parse/MarkerCache.h"
#include "parse/QueryAnchoredPage.h"
#include "parse/RegularLines.h"
#include "parse/ReportRounds.h"
#include "parse/ReportWalk.h"
#include "parse/ResponseText.h"
#include "parse/ScanText.h"
#include "parse/SummaryTable.h"
#include "platform/Exception.h"
#include "platform/File.h"

namespace blastsearch {

namespace {

int ExpectCountIn(const char* from, const char* to);

using MarkerId = CMarkerCache::MarkerId;
constexpr std::size_t kNotFound = static_cast<std::size_t>(-1);
static_assert(kNotedMarkers[0] == "Results from round" && kNotedMarkers[1] == "Frame" &&
              kNotedMarkers[2] == "Strand");
constexpr MarkerId kNone = CMarkerCache::kNone;

// The markers of the report layout, registered with one walk's cache.
struct CQBlastMarkers {
  explicit CQBlastMarkers(CMarkerCache& cache)
      : query(cache.Marker("Query=")),
        openParenthesis(cache.Marker("(")),
        summary(cache.Marker("Sequences producing significant alignments:")),
        definition(cache.Marker("\n>")),
        length(cache.Marker("Length")),
        equals(cache.Marker("=")),
        score(cache.Marker("Score")),
        expect(cache.Marker("Expect")),
        identities(cache.Marker("Identities")),
        positives(cache.Marker("Positives")),
        gaps(cache.Marker("Gaps")),
        frame(cache.Marker("Frame")),
        strand(cache.Marker("Strand")),
        slash(cache.Marker("/")),
        queryRow(cache.Marker("Query:")),
        subjectRow(cache.Marker("Sbjct:")),
        nextScore(cache.Marker("Score = ")),
        nextQueryRow(cache.Marker("Query: ")) {}

  MarkerId query, openParenthesis, summary, definition, length, equals, score, expect, identities,
      positives, gaps, frame, strand, slash, queryRow, subjectRow, nextScore, nextQueryRow;
};

// One walk over a QBlast report: a single cursor moved forward through the
// text, hits and elements appended to the entry as they are read.
class CQBlastReportWalk {
 public:
  // A walk over the `length` characters at `text` (zero-terminated). With
  // `release`, the text's memory is given back behind each hit read.
  CQBlastReportWalk(char* text, std::size_t length, CResponseText* release,
                    CBlastSearchEntry& entry, const CParseControl& control, int nQueryType,
                    int nHitType)
      : m_markers(),
        m_ids(m_markers),
        m_pText(text),
        m_pCursor(text),
        m_pRelease(release),
        m_entry(entry),
        m_control(control),
        m_nQueryType(nQueryType),
        m_nHitType(nHitType) {
    m_markers.SetTextEnd(text + length);
  }

  int Run();
  // The offsets in the text of the first "Frame" and "Strand" (kNotFound:
  // none), found while the text was read.
  void NoteFrameAndStrand(std::size_t frame, std::size_t strand) {
    m_markers.NoteFound(m_ids.frame, m_pText, frame == kNotFound ? nullptr : m_pText + frame);
    m_markers.NoteFound(m_ids.strand, m_pText, strand == kNotFound ? nullptr : m_pText + strand);
  }

 private:
  static constexpr std::size_t kUnset = static_cast<std::size_t>(-1);

  void ReadQueryLength();
  bool TakeRowStart(MarkerId marker, std::string_view& number);
  const char* BlockEnd();
  // Reads the alignments of one hit; false when the parse must end because
  // an alignment consumed nothing and would repeat forever.
  bool ReadElements(CBlastSearchHit& hit);
  void ReadCounts(MarkerId marker, const char* label, int& count, int& alignLength);
  void ReadCountsAt(const char* at, const char* label, int& count, int& alignLength);
  void ReadCountsLine(CBlastSearchHitElement& element);
  void ReadSubjectFrame(CBlastSearchHitElement& element);
  // What the text right after an element's rows showed.
  enum class Next { kUnknown, kRows, kAlignment, kHit };
  void ReadRows(CBlastSearchHitElement& element);
  int ReadRowPairsAtOnce(CBlastSearchHitElement& element, int row);
  void AppendRowPairs(CBlastSearchHitElement& element);
  Next LookAfterRows();
  bool ReadScoreLineAtOnce(CBlastSearchHitElement& element);
  bool AppendQueryResidues(CBlastSearchSeqComponent& row, const char* rowStart);

  bool Take(MarkerId first, MarkerId second, const char* skip, const char* stop) {
    return m_markers.GetString(&m_pCursor, first, second, skip, m_strValue, stop) != 0;
  }

  CMarkerCache m_markers;
  const CQBlastMarkers m_ids;
  const char* m_pText;  // the start of the text
  char* m_pCursor;
  CResponseText* m_pRelease;  // the text's memory, given back behind the hits read; may be null
  std::size_t m_nPaddingLeft = kUnset;  // blanks that query rows may still get
  std::string m_strValue;               // the value taken last
  bool m_bRowsUpperCase = false;        // the rows read last hold no lower-case letter
  Next m_next = Next::kUnknown;         // what follows the rows read last
  std::vector<CRowPair> m_pairs;        // row pairs read at once, not appended yet
  CBlastSearchEntry& m_entry;
  const CParseControl& m_control;
  int m_nQueryType;
  int m_nHitType;
};

int CQBlastReportWalk::Run() {
  SetUpQueryMolecule(m_entry.m_Mol, m_nQueryType);
  ReadQueryLength();
  if (!m_markers.FindString(&m_pCursor, m_ids.summary, 0)) {
    // A report made without one-line descriptions has no summary header:
    // its hits are read from the first definition line on, or from its rows
    // laid out against the query.
    if (m_markers.Find(m_pCursor, m_ids.definition) == nullptr) {
      const std::string_view text(m_pText,
                                  static_cast<std::size_t>(m_markers.TextEnd(m_pText) - m_pText));
      if (!IsQueryAnchoredPage(text)) return 0;
      m_control.StoreProgress(0);
      ReadQueryAnchoredHits(text, m_entry, m_nHitType, m_control);
      return 1;
    }
  }
  // A report without alignments: its hits are its description lines.
  if (m_markers.Find(m_pCursor, m_ids.definition) == nullptr) {
    const std::string_view text(m_pText,
                                static_cast<std::size_t>(m_markers.TextEnd(m_pCursor) - m_pText));
    const auto from = static_cast<std::size_t>(m_pCursor - m_pText);
    m_control.StoreProgress(0);
    // Alignments laid out against the query give no pairwise alignments.
    if (IsQueryAnchoredPage(text)) {
      ReadQueryAnchoredHits(text, m_entry, m_nHitType, m_control);
    } else if (ReadSummaryTables(text, from, m_entry, m_nHitType, m_control) > 0) {
      MarkSummaryOnly(m_entry);
    }
    return 1;
  }
  int nHits = 0;
  // The hit list's nodes are made in runs and filled one by one, so that
  // they lie side by side in memory: a walk over a large list (the
  // summary's count) then reads them in a row instead of one distant node
  // per hit. Each hit is in the entry as soon as it is read.
  HitList spare;
  for (;;) {
    m_control.StoreProgress(nHits);
    if (m_control.StopRequested() || *m_pCursor == '\0') break;
    auto hit = std::make_unique<CBlastSearchHit>();
    hit->m_nMolType = m_nHitType;
    // The definition line, with its wrapped continuation lines: its first
    // word is the name. Without one there is no hit to make (only the first
    // hit can lack it: the loop goes on only when another definition line
    // follows). The cursor stays on the line break that ends it.
    const char* definition = m_markers.Find(m_pCursor, m_ids.definition);
    if (definition == nullptr) break;
    // Nothing before a hit's definition line is looked at again.
    if (m_pRelease != nullptr) m_pRelease->ReleaseBefore(definition);
    const char* end = JoinDefinitionLines(definition + 2, m_markers, m_strValue);
    m_pCursor += end - m_pCursor;
    SplitDefinition(m_strValue, hit->m_strName, hit->m_strID, hit->m_strDescription);
    if (Take(m_ids.length, m_ids.equals, " ", "\r\n")) hit->m_nLength = ToNumber(m_strValue);
    if (*m_pCursor == '\0') break;  // a text that ends after the length line drops the hit
    const bool goOn = ReadElements(*hit);
    if (spare.empty()) spare.resize(std::clamp<std::size_t>(nHits, 16, 4096));
    spare.front() = std::move(hit);
    m_entry.m_Hits.m_HitList.splice(m_entry.m_Hits.m_HitList.end(), spare, spare.begin());
    if (!goOn || m_markers.Find(m_pCursor, m_ids.definition) == nullptr) break;
    ++nHits;
  }
  return 1;
}

// The query length from the query's own length statement; without one, the
// number in the first parenthesis after the query line (a thousands
// separator does no harm). The cursor stays: that parenthesis may lie
// anywhere, hits included.
void CQBlastReportWalk::ReadQueryLength() {
  const char* query = m_markers.Find(m_pCursor, m_ids.query);
  int length = 0;
  if (query != nullptr && FindQueryLength(query + std::strlen("Query="), length) != nullptr) {
    m_entry.m_Mol.m_nLength = length;
    return;
  }
  char* const start = m_pCursor;
  if (Take(m_ids.query, m_ids.openParenthesis, nullptr, " l)\n\r"))
    m_entry.m_Mol.m_nLength = CleanNumber(m_strValue);
  m_pCursor = start;
}

bool CQBlastReportWalk::ReadElements(CBlastSearchHit& hit) {
  for (;;) {
    if (m_control.StopRequested()) return true;
    const char* const start = m_pCursor;
    auto element = std::make_unique<CBlastSearchHitElement>();
    if (!ReadScoreLineAtOnce(*element)) {
      if (Take(m_ids.score, m_ids.equals, " ", " \r\n")) {
        element->m_dBitScore = ToReal(m_strValue);
        if (Take(kNone, m_ids.openParenthesis, nullptr, ") \r\n"))
          element->m_nScore = ToNumber(m_strValue);
      }
      // A value in exponent form, and one followed by a comma, read correctly.
      const char* const beforeExpect = m_pCursor;
      if (Take(m_ids.expect, m_ids.equals, " ", " \r\n")) {
        element->m_dExpect = ToExpect(m_strValue);
        SetExpectCount(*element, ExpectCountIn(beforeExpect, m_pCursor));
      }
    }
    ReadCountsLine(*element);
    // A protein search holds neither: one pass to the end finds that out.
    m_markers.FindBoth(m_pCursor, m_ids.frame, m_ids.strand);
    if (Take(m_ids.frame, m_ids.equals, " ", " \n\r")) {
      element->m_nFrame = CleanNumber(m_strValue);
      ReadSubjectFrame(*element);
    }
    if (Take(m_ids.strand, m_ids.equals, " ", "/ \r\n")) {
      element->m_Query.m_bMinusStrand = MinusStrandFlag(m_strValue);
      if (Take(kNone, m_ids.slash, " ", " \r\n")) {
        element->m_Subject.m_bMinusStrand = MinusStrandFlag(m_strValue);
      }
    }
    ReadRows(*element);
    AppendElement(hit, std::move(element), m_bRowsUpperCase);
    // "Another alignment of this hit follows": known already where the
    // rows' end showed what comes next.
    const bool more = m_next == Next::kAlignment ? true
                      : m_next == Next::kHit
                          ? false
                          : m_markers.Follows(m_pCursor, m_ids.nextScore, {m_ids.definition});
    if (!more) return true;
    // An alignment that moved nothing (a text cut off right after a score
    // value) would be read again and again: end the parse here.
    if (m_pCursor == start) return false;
  }
}

// A score line in the form that nearly every report writes, read in one
// pass (see parse/RegularLines.h) to the values and cursor moves that the
// general reading gives it; false, with nothing read, for any other form.
bool CQBlastReportWalk::ReadScoreLineAtOnce(CBlastSearchHitElement& element) {
  CScoreLine line;
  if (!ReadScoreLine(m_pCursor, m_markers.TextEnd(m_pCursor), line)) return false;
  m_strValue.assign(line.bits);
  element.m_dBitScore = ToReal(m_strValue);
  m_strValue.assign(line.raw);
  element.m_nScore = ToNumber(m_strValue);
  m_strValue.assign(line.expect);
  element.m_dExpect = ToExpect(m_strValue);
  SetExpectCount(element, ExpectCountIn(line.pBeforeExpect, line.pEnd));
  m_pCursor += line.pEnd - m_pCursor;
  return true;
}

// n of "Expect(n) = ..." (the expect of a sum of n segment pairs) in the
// text between `from` and `to` that the expect value was taken from; 0
// without one.
int ExpectCountIn(const char* from, const char* to) {
  const std::string_view text(from, static_cast<std::size_t>(to - from));
  const std::size_t at = text.find("Expect(");
  if (at == std::string_view::npos) return 0;
  int count = 0;
  for (std::size_t i = at + 7; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    if (count > 100000) return 0;
    count = count * 10 + (text[i] - '0');
  }
  return count;
}

// tblastx gives the subject's frame after the query's on the same line:
// "Frame = +2 / -1". Only the blanks and the slash right after the first
// frame are looked at (the text ends with a NUL), so a slash further on is
// never taken for one.
void CQBlastReportWalk::ReadSubjectFrame(CBlastSearchHitElement& element) {
  char* at = m_pCursor;
  while (*at == ' ') ++at;
  if (*at != '/') return;
  ++at;
  while (*at == ' ') ++at;
  int sign = 1;
  if (*at == '+' || *at == '-') sign = *at++ == '-' ? -1 : 1;
  if (*at < '1' || *at > '3' || (at[1] >= '0' && at[1] <= '9')) return;
  SetSubjectFrame(element, sign * (*at - '0'));
  m_pCursor = at + 1;
}

// The identities, positives and gaps, each from the first of its label
// within 100 characters, as ReadCounts takes them. Where the line is in the
// form that nearly every report writes ("Identities = 200/250 (80%),
// Positives = ...") the labels are found where the clauses before them end
// (see parse/RegularLines.h), else searched for.
void CQBlastReportWalk::ReadCountsLine(CBlastSearchHitElement& element) {
  const char* const end = m_markers.TextEnd(m_pCursor);
  const auto within = [this](const char* at) { return at != nullptr && at - m_pCursor <= 100; };
  const struct {
    MarkerId marker;
    const char* label;
    int& count;
  } clauses[] = {{m_ids.identities, "Identities", element.m_nIdentities},
                 {m_ids.positives, "Positives", element.m_nPositives},
                 {m_ids.gaps, "Gaps", element.m_nGaps}};
  const char* at = m_pCursor;
  while (at < end && *at == ' ' && at - m_pCursor < 100) ++at;
  bool inPlace = true;  // each label so far found where the clause before it ends
  for (const auto& clause : clauses) {
    if (inPlace && (!within(at) || !StartsWithText(at, end, clause.label))) inPlace = false;
    if (!inPlace) {
      ReadCounts(clause.marker, clause.label, clause.count, element.m_nAlignLength);
      continue;
    }
    m_pCursor += at - m_pCursor;
    at = SkipCountsClause(at, end, clause.label, &clause.count, &element.m_nAlignLength);
    if (at == nullptr) ReadCountsAt(m_pCursor, clause.label, clause.count, element.m_nAlignLength);
  }
}

// ReadCounts with its label found at `at` already.
void CQBlastReportWalk::ReadCountsAt(const char* at, const char* label, int& count,
                                     int& alignLength) {
  m_pCursor += at - m_pCursor;
  int first = 0;
  int second = 0;
  if (ScanCounts(m_pCursor, label, first, second) >= 2) {
    count = first;
    alignLength = second;
  }
}

void CQBlastReportWalk::ReadCounts(MarkerId marker, const char* label, int& count,
                                   int& alignLength) {
  if (!m_markers.FindString(&m_pCursor, marker, 100)) return;
  // Label plus " = %d/%d (%d".
  int first = 0;
  int second = 0;
  if (ScanCounts(m_pCursor, label, first, second) >= 2) {
    count = first;
    alignLength = second;
  }
}

// Takes a row's start number after `marker`; a start number glued to the
// residues ends at its first non-digit, and the cursor goes back to the
// residues. False when there is no further row.
bool CQBlastReportWalk::TakeRowStart(MarkerId marker, std::string_view& number) {
  const char* value = nullptr;
  std::size_t length = 0;
  if (!m_markers.GetSpan(&m_pCursor, marker, kNone, " ", value, length, " ")) return false;
  const std::size_t digits = LeadingNumberLength(std::string_view(value, length));
  if (digits > 0 && digits < length) {
    m_pCursor += (value + digits) - m_pCursor;
    length = digits;
  }
  number = std::string_view(value, length);
  return true;
}

void CQBlastReportWalk::ReadRows(CBlastSearchHitElement& element) {
  std::string_view start;
  m_bRowsUpperCase = true;
  m_next = Next::kUnknown;
  bool regular = true;  // the next row may be in the regular form
  for (int row = 0;; ++row) {
    if (m_control.StopRequested()) return;
    if (const int pairs = regular ? ReadRowPairsAtOnce(element, row) : 0; pairs > 0) {
      row += pairs - 1;
      // A run that ended before further rows ended at a pair not in the
      // regular form (or at a stop): the general reading takes that pair.
      regular = m_next != Next::kRows;
      if (m_next == Next::kRows) continue;
      if (m_next != Next::kUnknown) return;
      if (!m_markers.Follows(m_pCursor, m_ids.nextQueryRow, {m_ids.nextScore, m_ids.definition}))
        return;
      continue;
    }
    regular = true;
    m_next = Next::kUnknown;
    m_bRowsUpperCase = false;  // rows read below are upper-cased when the element is added
    if (!TakeRowStart(m_ids.queryRow, start)) return;
    if (row == 0) {
      element.m_Query.m_nStart = ToNumber(std::string(start));
      ReserveRows(element, m_pCursor, BlockEnd());
    }
    if (!AppendQueryResidues(element.m_Query, m_pCursor)) return;
    if (Take(kNone, kNone, " ", "\r\n")) element.m_Query.m_nEnd = CleanNumber(m_strValue);
    if (!TakeRowStart(m_ids.subjectRow, start)) return;
    if (row == 0) element.m_Subject.m_nStart = CleanNumber(start);
    // Subject rows have no digit rule.
    const char* residues = nullptr;
    std::size_t length = 0;
    if (m_markers.GetSpan(&m_pCursor, kNone, kNone, " ", residues, length, " \r\n")) {
      element.m_Subject.m_strSeq.append(residues, length);
    }
    if (Take(kNone, kNone, " ", "\r\n")) {
      element.m_Subject.m_nEnd = CleanNumber(m_strValue);
      // The line break stays for the look-ahead for the next definition line.
      if (m_pCursor[-1] == '\n') --m_pCursor;
    }
    if (!m_markers.Follows(m_pCursor, m_ids.nextQueryRow, {m_ids.nextScore, m_ids.definition}))
      return;
  }
}

// The row pairs from the cursor on that are in the form that nearly every
// report writes (see parse/RegularLines.h), each read in one pass over its
// two lines, as long as the next pair follows right after: the values and
// cursor moves that the general reading gives them. Returns how many pairs
// were read (0: none, and nothing changed); m_next tells what the text
// after the last one showed.
int CQBlastReportWalk::ReadRowPairsAtOnce(CBlastSearchHitElement& element, int row) {
  // Pairs held before their residues are appended: all of a usual
  // alignment, whose rows then get their room at once; a huge one in runs.
  constexpr std::size_t kHeld = 64;
  const char* const end = m_markers.TextEnd(m_pCursor);
  int count = 0;
  m_pairs.clear();
  for (;;) {
    if (count > 0 && m_control.StopRequested()) break;
    CRowPair& pair = m_pairs.emplace_back();
    if (!ReadRowPair(m_pCursor, end, pair)) {
      m_pairs.pop_back();
      break;
    }
    if (count++ == 0 && row == 0) {
      element.m_Query.m_nStart = pair.nQueryStart;
      element.m_Subject.m_nStart = pair.nSubjectStart;
    }
    // The line break stays for the look-ahead for the next definition line.
    m_pCursor += pair.pLineEnd - m_pCursor;
    m_next = LookAfterRows();
    if (m_next != Next::kRows) break;
    if (m_pairs.size() == kHeld) AppendRowPairs(element);
  }
  AppendRowPairs(element);
  return count;
}

// Appends the residues of the row pairs held to the element's rows and
// takes their end numbers; rows still empty get exactly the room they need.
void CQBlastReportWalk::AppendRowPairs(CBlastSearchHitElement& element) {
  if (m_pairs.empty()) return;
  std::size_t query = 0;
  std::size_t subject = 0;
  for (const CRowPair& pair : m_pairs) {
    query += pair.query.size();
    subject += pair.subject.size();
    if (pair.bLowerCase) m_bRowsUpperCase = false;
  }
  if (element.m_Query.m_strSeq.empty()) element.m_Query.m_strSeq.reserve(query);
  if (element.m_Subject.m_strSeq.empty()) element.m_Subject.m_strSeq.reserve(subject);
  for (const CRowPair& pair : m_pairs) {
    element.m_Query.m_strSeq.append(pair.query);
    element.m_Subject.m_strSeq.append(pair.subject);
  }
  element.m_Query.m_nEnd = m_pairs.back().nQueryEnd;
  element.m_Subject.m_nEnd = m_pairs.back().nSubjectEnd;
  m_pairs.clear();
}

// What follows the line break at the cursor (the end of a subject row),
// where only a few more line breaks stand before it: another query row, the
// next alignment's score line or the next hit's definition line. The
// marker searches that would find the latter two are told what they would
// find. Whatever else follows is left to those searches (kUnknown).
CQBlastReportWalk::Next CQBlastReportWalk::LookAfterRows() {
  constexpr std::size_t kMostBreaks = 8;
  const char* const end = m_markers.TextEnd(m_pCursor);
  const char* at = m_pCursor;
  while (at < end && *at == '\n' && static_cast<std::size_t>(at - m_pCursor) < kMostBreaks) ++at;
  if (at == m_pCursor || at == end || at[-1] != '\n') return Next::kUnknown;
  const std::string_view next(at, std::min<std::size_t>(10, static_cast<std::size_t>(end - at)));
  if (next.starts_with("Query: ")) return Next::kRows;
  if (next.starts_with(" Score = ")) {
    // Nothing but line breaks and a blank before it: neither a query row
    // nor a definition line can come first.
    m_markers.NoteFound(m_ids.nextScore, m_pCursor, at + 1);
    return Next::kAlignment;
  }
  if (next.starts_with(">")) {
    m_markers.NoteFound(m_ids.definition, m_pCursor, at - 1);
    return Next::kHit;
  }
  return Next::kUnknown;
}

// Where the block of the element being read ends: the next alignment or hit,
// or null when neither follows.
const char* CQBlastReportWalk::BlockEnd() {
  const char* score = m_markers.Find(m_pCursor, m_ids.nextScore);
  const char* definition = m_markers.Find(m_pCursor, m_ids.definition);
  if (score == nullptr) return definition;
  return definition == nullptr ? score : std::min(score, definition);
}

// Appends the residues of a query row to the row text; false when the text
// ends inside the row (nothing is appended then, and the row ends there).
// A "residue" run that begins with a digit is the row's end number (the row
// shows no residues): the row then gets blanks instead, and the cursor goes
// back so that the end number is read next. The count of blanks is that
// number, capped at the width of the row's line from `rowStart` (just after
// the start number) to its line break, and all such blanks of a parse
// together at the text's length: a huge number, or many rows of a line
// without a line break, cannot make an unbounded run of blanks.
bool CQBlastReportWalk::AppendQueryResidues(CBlastSearchSeqComponent& row, const char* rowStart) {
  const char* residues = nullptr;
  std::size_t length = 0;
  if (!m_markers.GetSpan(&m_pCursor, kNone, kNone, " ", residues, length, " \r\n")) return false;
  if (length > 0 && residues[0] >= '0' && residues[0] <= '9') {
    const char* lineEnd = m_markers.LineEnd(rowStart);
    if (lineEnd > rowStart && lineEnd[-1] == '\r') --lineEnd;
    const auto lineWidth = static_cast<std::size_t>(lineEnd - rowStart);
    if (m_nPaddingLeft == kUnset) {
      m_nPaddingLeft = static_cast<std::size_t>(m_markers.TextEnd(rowStart) - m_pText);
    }
    const auto number =
        static_cast<std::size_t>(std::max(CleanNumber(std::string_view(residues, length)), 0));
    const std::size_t padding = std::min({number, lineWidth, m_nPaddingLeft});
    m_nPaddingLeft -= padding;
    row.m_strSeq.append(padding, ' ');
    m_pCursor -= m_pCursor - rowStart;
    return true;
  }
  row.m_strSeq.append(residues, length);
  return true;
}

}  // namespace

CNCBIAnalyserQ::CNCBIAnalyserQ() : CNCBIAnalyserBase(nullptr) {}

CNCBIAnalyserQ::CNCBIAnalyserQ(CBlastSearchEntry* pEntry) : CNCBIAnalyserBase(pEntry) {}

int CNCBIAnalyserQ::AnalyseSubmitID(CMemFile* pResponse, std::string& strID) {
  strID.clear();
  CResponseText response = ReadResponseText(*pResponse);
  char* cursor = response.pText.get();
  return GetString(&cursor, "QBlastInfoBegin", "RID = ", " ", strID, " \n\r", 0);
}

int CNCBIAnalyserQ::CheckReady(CFile* pResponse) {
  CResponseText response = ReadResponseText(*pResponse);
  std::string message;
  const int status = AnalyseStatus(response.pText.get(), message);
  if (status < 0) m_strError = message;
  return status;
}

int CNCBIAnalyserQ::AnalyseBuffer() {
  if (m_pBuffer == nullptr || m_pEntry == nullptr) return 0;
  const CParseControl control(m_pProgress, m_pStop);
  try {
    // A PSI-BLAST report is read without the rounds not chosen.
    char* text = m_pBuffer;
    std::string kept;
    int round = 0;
    const std::string_view whole(
        m_pBuffer, m_pResponse != nullptr ? m_pResponse->nTextLength : std::strlen(m_pBuffer));
    std::size_t length = whole.size();
    CResponseText* release = m_bReleaseBehind ? m_pResponse : nullptr;
    // What the reading noted of the text spares passes over all of it.
    const CResponseText* noted =
        m_pResponse != nullptr && m_pResponse->bNoted && m_pResponse->pText.get() == m_pBuffer
            ? m_pResponse
            : nullptr;
    if ((noted == nullptr || noted->nNoted[0] != kNotFound) && !FindReportRounds(whole).empty()) {
      kept = KeepReportRound(whole, m_nRound, round);
      text = kept.data();
      length = kept.size();
      release = nullptr;
      noted = nullptr;
    }
    CQBlastReportWalk walk(text, length, release, *m_pEntry, control, m_nQueryType, m_nHitType);
    if (noted != nullptr) walk.NoteFrameAndStrand(noted->nNoted[1], noted->nNoted[2]);
    const int result = walk.Run();
    if (round > 0) SetResultInfo(*m_pEntry, result_info::kRound, std::to_string(round));
    return result;
  } catch (const std::bad_alloc&) {
    throw CMemoryException("out of memory while parsing the report");
  }
}

}  // namespace blastsearch
