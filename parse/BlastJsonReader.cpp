#include "parse/BlastJsonReader.h"

#include <simdjson.h>

#include <algorithm>
#include <climits>
#include <string>
#include <vector>

#include "model/BlastSearchEntry.h"
#include "model/ResultInfo.h"
#include "parse/BlastPlusNames.h"
#include "parse/FindText.h"

namespace blastsearch {

// BLAST+ single-file JSON is one object {"BlastOutput2": [report, report,
// ...]} with one report per query. simdjson's DOM parser needs a whole
// document in memory and its document streams take only documents laid one
// after another, not the elements of one array; so a small scanner here
// finds where each report of the array ends (it follows strings, escapes and
// brackets, nothing more) and each report alone goes to simdjson. Memory is
// then bounded by the largest report, whatever the file's size.
//
// Each report is parsed with the DOM parser rather than On Demand: BLAST+ does
// not promise the order of a report's keys, a report is read whole into
// result trees anyway, and the DOM parser keeps its buffers from one report
// to the next.

namespace {

using simdjson::dom::array;
using simdjson::dom::element;
using simdjson::dom::object;

constexpr std::size_t kChunk = std::size_t{1} << 20;
constexpr std::size_t kMaxDepth = 64;                         // nesting, whole document
constexpr std::uint64_t kMaxReport = std::uint64_t{1} << 28;  // one query's report: 256 MiB

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// Where a reader stands in a report, for messages: "query 2, hit 3, segment pair 1".
struct CPlace {
  int nQuery = 0;
  int nHit = 0;
  int nHsp = 0;
  std::string Describe() const {
    std::string text = "query " + std::to_string(nQuery);
    if (nHit > 0) text += ", hit " + std::to_string(nHit);
    if (nHsp > 0) text += ", segment pair " + std::to_string(nHsp);
    return text;
  }
};

// Typed access to the members of one parsed object; a member of the wrong
// type is a CReportError naming the place and the key.
class CMembers {
 public:
  CMembers(object members, const CPlace& place) : m_members(members), m_place(place) {}

  bool Has(std::string_view key) const {
    element value;
    return m_members.at_key(key).get(value) == simdjson::SUCCESS;
  }
  bool GetText(std::string_view key, std::string_view& out) const {
    element value;
    if (!Find(key, value)) return false;
    if (value.get_string().get(out) != simdjson::SUCCESS) Fail(key, "is not a text");
    return true;
  }
  bool GetInt(std::string_view key, long long& out) const {
    element value;
    if (!Find(key, value)) return false;
    std::int64_t number = 0;
    if (value.get_int64().get(number) != simdjson::SUCCESS || number < INT_MIN || number > INT_MAX)
      Fail(key, "is not a whole number within range");
    out = number;
    return true;
  }
  bool GetReal(std::string_view key, double& out) const {
    element value;
    if (!Find(key, value)) return false;
    if (value.get_double().get(out) != simdjson::SUCCESS) Fail(key, "is not a number");
    return true;
  }
  bool GetObject(std::string_view key, object& out) const {
    element value;
    if (!Find(key, value)) return false;
    if (value.get_object().get(out) != simdjson::SUCCESS) Fail(key, "is not an object");
    return true;
  }
  bool GetArray(std::string_view key, array& out) const {
    element value;
    if (!Find(key, value)) return false;
    if (value.get_array().get(out) != simdjson::SUCCESS) Fail(key, "is not a list");
    return true;
  }
  [[noreturn]] void Fail(std::string_view key, std::string_view what) const {
    throw CReportError(m_place.Describe() + ": \"" + std::string(key) + "\" " + std::string(what));
  }

 private:
  bool Find(std::string_view key, element& value) const {
    return m_members.at_key(key).get(value) == simdjson::SUCCESS && !value.is_null();
  }
  object m_members;
  const CPlace& m_place;
};

// Fields of one result that some segment pair did not carry.
struct CMissing {
  bool bPositives = false;
  bool bIdentities = false;
  bool bGaps = false;
};

class CBlastJsonReader : public CResultReader {
 public:
  CBlastJsonReader(CReportSource& source, const CResultReadOptions& options)
      : m_source(source),
        m_options(options),
        m_nMaxReport(std::min<std::uint64_t>(kMaxReport, options.nMaxWholeReport)) {}

  int ReadNext(CBlastSearchEntry& entry) override {
    if (m_options.pStop != nullptr && *m_options.pStop != 0) return 0;
    while (m_nNextRound >= m_nRounds) {
      if (m_bDone || !ReadReport()) return 0;
    }
    const bool last = m_nNextRound + 1 == m_nRounds;
    FillResult(entry, m_rounds[m_nNextRound++], m_bPartialReport && last);
    if (m_bPartialReport && last) m_bDone = true;
    return 1;
  }

 private:
  // ---- bytes ----

  // Makes at least `count` bytes from m_nPos available; false at the end.
  bool Ensure(std::size_t count) {
    while (m_strBuf.size() - m_nPos < count) {
      if (m_bEof) return false;
      if (m_nPos > 0 && m_nPos >= m_strBuf.size() / 2) {
        m_strBuf.erase(0, m_nPos);
        m_nOffset += m_nPos;
        m_nPos = 0;
      }
      // Pieces grow from 64 KiB to 1 MiB: small reports stay cheap.
      if (AppendFromSource(m_source, m_strBuf, m_nChunk, kChunk) == 0) m_bEof = true;
    }
    return true;
  }
  // The next byte after blanks, not consumed; -1 at the end.
  int PeekAfterBlanks() {
    for (;;) {
      if (!Ensure(1)) return -1;
      const char c = m_strBuf[m_nPos];
      if (!IsBlank(c)) return static_cast<unsigned char>(c);
      ++m_nPos;
    }
  }
  std::string Where() const { return "byte " + std::to_string(m_nOffset + m_nPos + 1); }

  void Expect(char wanted, const char* what) {
    const int c = PeekAfterBlanks();
    if (c != static_cast<unsigned char>(wanted)) {
      throw CReportError(c < 0 ? std::string("the report ends before ") + what
                               : std::string("expected ") + what + " at " + Where() +
                                     " (not BLAST+ single-file JSON)");
    }
    ++m_nPos;
  }

  // Reads `{ "BlastOutput2" : [` (a UTF-8 byte order mark may come first).
  void ReadHead() {
    if (Ensure(3) && m_strBuf.compare(m_nPos, 3, "\xEF\xBB\xBF") == 0) m_nPos += 3;
    Expect('{', "'{'");
    Expect('"', "\"BlastOutput2\"");
    static constexpr std::string_view kKey = "BlastOutput2\"";
    if (!Ensure(kKey.size()) || m_strBuf.compare(m_nPos, kKey.size(), kKey) != 0)
      throw CReportError("expected \"BlastOutput2\" at " + Where() +
                         " (not BLAST+ single-file JSON)");
    m_nPos += kKey.size();
    Expect(':', "':'");
    Expect('[', "'[' opening the list of reports");
    m_bInList = true;
  }

  // Moves to the next report of the list and parses it; false after the
  // list's end.
  bool ReadReport() {
    if (!m_bInList) ReadHead();
    m_nRounds = m_nNextRound = 0;
    for (;;) {
      const int c = PeekAfterBlanks();
      if (c < 0) {
        m_bDone = true;
        throw CReportError("the report ends after " + std::to_string(m_nQuery) +
                           " queries, before its list of reports is closed");
      }
      if (c == ']') {
        ++m_nPos;
        m_bDone = true;
        return false;
      }
      if (c == ',' && m_bAfterReport) {
        ++m_nPos;
        m_bAfterReport = false;
        continue;
      }
      if (c != '{' || m_bAfterReport)
        throw CReportError("unexpected '" + std::string(1, static_cast<char>(c)) + "' at " +
                           Where() + " between reports");
      break;
    }
    ++m_nQuery;
    ScanReport();
    m_bAfterReport = true;
    SelectRounds();
    return true;
  }

  // Finds the end of the report that opens at m_nPos and parses it. A report
  // cut off by the end of the file is closed after its last complete member
  // and parsed as partial; nothing readable is a CReportError.
  void ScanReport() {
    std::vector<char> open;  // the closing brackets owed, innermost last
    std::size_t at = 0;      // bytes of the report scanned, from m_nPos
    std::size_t cut = 0;     // where the report can be closed when cut off
    std::size_t cutDepth = 0;
    bool inText = false;
    for (;;) {
      if (at >= m_nMaxReport)
        throw CReportError("query " + std::to_string(m_nQuery) + ": its report is larger than " +
                           std::to_string(m_nMaxReport) + " bytes, the most this reader holds");
      if (m_nPos + at >= m_strBuf.size() && !Ensure(at + 1))
        return ParseCutReport(open, cut, cutDepth);
      const char* p = m_strBuf.data() + m_nPos + at;
      const char* end = m_strBuf.data() + m_strBuf.size();
      if (inText) {
        // Skip to the next quote or backslash.
        p = FindAnyOf(p, end, "\"\\");
        at = static_cast<std::size_t>(p - (m_strBuf.data() + m_nPos));
        if (p == end) continue;
        if (*p == '\\') {
          if (!Ensure(at + 2)) return ParseCutReport(open, cut, cutDepth);
          at += 2;
          continue;
        }
        inText = false;
        ++at;
        continue;
      }
      // Skip to the next character that opens or closes something, or
      // marks where a cut-off report can be closed.
      p = FindAnyOf(p, end, "\"{}[],");
      at = static_cast<std::size_t>(p - (m_strBuf.data() + m_nPos));
      if (p == end) continue;
      const char c = *p;
      ++at;
      switch (c) {
        case '"':
          inText = true;
          break;
        case '{':
        case '[':
          open.push_back(c == '{' ? '}' : ']');
          if (open.size() + 2 > kMaxDepth)
            throw CReportError("query " + std::to_string(m_nQuery) + ": nesting deeper than " +
                               std::to_string(kMaxDepth) + " levels at byte " +
                               std::to_string(m_nOffset + m_nPos + at));
          cut = at, cutDepth = open.size();
          break;
        case '}':
        case ']':
          if (open.empty() || open.back() != c)
            throw CReportError("query " + std::to_string(m_nQuery) + ": unmatched '" +
                               std::string(1, c) + "' at byte " +
                               std::to_string(m_nOffset + m_nPos + at));
          open.pop_back();
          cut = at, cutDepth = open.size();
          if (open.empty()) return ParseWholeReport(at);
          break;
        case ',':
          cut = at - 1, cutDepth = open.size();
          break;
        default:
          break;
      }
    }
  }

  void ParseWholeReport(std::size_t length) {
    m_strDoc.assign(m_strBuf, m_nPos, length);
    m_nPos += length;
    m_bPartialReport = false;
    ParseDoc(length);
  }

  void ParseCutReport(const std::vector<char>& open, std::size_t cut, std::size_t cutDepth) {
    m_bDone = true;
    m_strDoc.assign(m_strBuf, m_nPos, cut);
    m_nPos = m_strBuf.size();
    for (std::size_t i = cutDepth; i-- > 0;) m_strDoc += open[i];
    m_bPartialReport = true;
    const std::string cutOff = "the report is cut off inside query " + std::to_string(m_nQuery);
    if (cut == 0) throw CReportError(cutOff);
    try {
      ParseDoc(m_strDoc.size());
    } catch (const CReportError& e) {
      throw CReportError(cutOff + " (" + e.what() + ")");
    }
  }

  void ParseDoc(std::size_t length) {
    m_strDoc.resize(length + simdjson::SIMDJSON_PADDING);
    element root;
    const auto error = m_parser.parse(m_strDoc.data(), length, false).get(root);
    if (error != simdjson::SUCCESS)
      throw CReportError("query " + std::to_string(m_nQuery) +
                         ": damaged JSON: " + simdjson::error_message(error));
    if (root.get_object().get(m_report) != simdjson::SUCCESS)
      throw CReportError("query " + std::to_string(m_nQuery) + ": the report is not an object");
  }

  // ---- results ----

  // Collects the rounds of the report just parsed: every one, or the last.
  void SelectRounds() {
    m_place = CPlace{m_nQuery};
    CMembers entry(m_report, m_place);
    object report, results;
    if (!entry.GetObject("report", report)) MissingReportPart("\"report\"");
    m_head = report;
    if (!CMembers(report, m_place).GetObject("results", results)) MissingReportPart("\"results\"");
    m_rounds.clear();
    CMembers members(results, m_place);
    array iterations;
    object search;
    if (members.GetArray("iterations", iterations)) {
      for (element round : iterations) {
        object iteration, roundSearch;
        long long number = 0;
        if (round.get_object().get(iteration) != simdjson::SUCCESS)
          members.Fail("iterations", "holds a round that is not an object");
        CMembers rm(iteration, m_place);
        if (!rm.GetObject("search", roundSearch)) {
          if (m_bPartialReport) continue;
          rm.Fail("search", "is missing from a round");
        }
        if (!rm.GetInt("iter_num", number)) number = static_cast<long long>(m_rounds.size()) + 1;
        m_rounds.push_back({roundSearch, static_cast<int>(number)});
      }
    } else if (members.GetObject("search", search)) {
      m_rounds.push_back({search, 0});
    }
    if (m_rounds.empty()) MissingReportPart("a search");
    if (!m_options.bEveryRound) m_rounds.erase(m_rounds.begin(), m_rounds.end() - 1);
    m_nRounds = m_rounds.size();
  }

  [[noreturn]] void MissingReportPart(const std::string& what) {
    if (m_bPartialReport)
      throw CReportError("the report is cut off inside query " + std::to_string(m_nQuery) +
                         " before " + what);
    throw CReportError("query " + std::to_string(m_nQuery) + ": the report has no " + what);
  }

  struct CRound {
    object search;
    int nNumber;  // 0 when the program has no rounds
  };

  void FillResult(CBlastSearchEntry& entry, const CRound& round, bool partial) {
    CMembers head(m_head, m_place);
    std::string_view program, version, db;
    head.GetText("program", program);
    head.GetText("version", version);
    object target;
    if (head.GetObject("search_target", target)) CMembers(target, m_place).GetText("db", db);
    std::string_view matrix;
    object params;
    if (head.GetObject("params", params)) CMembers(params, m_place).GetText("matrix", matrix);

    SetResultInfo(entry, result_info::kLayout, ReportLayoutName(ReportLayout::BlastJson));
    SetResultInfo(entry, result_info::kProgram, program);
    SetResultInfo(entry, result_info::kVersion, version);
    SetResultInfo(entry, result_info::kDatabase, db);
    SetResultInfo(entry, result_info::kMatrix, matrix);
    SetResultInfo(entry, result_info::kQueryNumber, std::to_string(m_nQuery));
    if (round.nNumber > 0) SetResultInfo(entry, result_info::kRound, std::to_string(round.nNumber));

    int queryType = 0, hitType = 1;
    if (MoleculeTypesOfProgram(program, queryType, hitType)) SetQueryType(entry, queryType);

    m_place = CPlace{m_nQuery};
    CMembers search(round.search, m_place);
    std::string_view id, title;
    search.GetText("query_id", id);
    search.GetText("query_title", title);
    entry.m_Mol.m_strName = QueryNameOfIdAndTitle(id, title);
    entry.m_Mol.m_strID = entry.m_Mol.m_strName.substr(0, entry.m_Mol.m_strName.find(' '));
    long long length = 0;
    if (search.GetInt("query_len", length))
      entry.m_Mol.m_nLength = static_cast<int>(length);
    else
      MarkFieldAbsent(entry, result_info::kAbsentQueryLength);

    CMissing missing;
    array hits;
    if (search.GetArray("hits", hits)) {
      for (element value : hits) {
        ++m_place.nHit;
        m_place.nHsp = 0;
        object hitObject;
        if (value.get_object().get(hitObject) != simdjson::SUCCESS)
          search.Fail("hits", "holds a hit that is not an object");
        auto hit = std::make_unique<CBlastSearchHit>();
        hit->m_nMolType = hitType;
        if (FillHit(*hit, hitObject, partial, missing))
          entry.m_Hits.m_HitList.push_back(std::move(hit));
      }
    }
    if (missing.bPositives) MarkFieldAbsent(entry, result_info::kAbsentPositives);
    if (missing.bIdentities) MarkFieldAbsent(entry, result_info::kAbsentIdentities);
    if (missing.bGaps) MarkFieldAbsent(entry, result_info::kAbsentGaps);
    if (partial) SetResultInfo(entry, result_info::kPartial, "the report is cut off");
  }

  // Fills one hit; false for a hit of a cut-off report that was not read
  // whole (a damaged hit of a whole report is a CReportError).
  bool FillHit(CBlastSearchHit& hit, object hitObject, bool partial, CMissing& missing) {
    CMembers members(hitObject, m_place);
    array descriptions, hsps;
    long long length = 0;
    std::string_view seqId, title;
    if (members.GetArray("description", descriptions)) {
      for (element first : descriptions) {
        object description;
        if (first.get_object().get(description) != simdjson::SUCCESS)
          members.Fail("description", "holds an entry that is not an object");
        CMembers dm(description, m_place);
        dm.GetText("id", seqId);
        dm.GetText("title", title);
        break;
      }
    }
    const bool whole =
        !seqId.empty() && members.GetInt("len", length) && members.GetArray("hsps", hsps);
    if (!whole) {
      if (partial) return false;
      members.Fail(seqId.empty() ? "description" : (members.Has("len") ? "hsps" : "len"),
                   "is missing");
    }
    SetHitNames(hit, seqId, title);
    hit.m_nLength = static_cast<int>(length);
    for (element value : hsps) {
      ++m_place.nHsp;
      object hsp;
      if (value.get_object().get(hsp) != simdjson::SUCCESS)
        members.Fail("hsps", "holds a segment pair that is not an object");
      auto element = std::make_unique<CBlastSearchHitElement>();
      if (FillElement(*element, hsp, partial, missing))
        hit.m_ElementList.push_back(std::move(element));
    }
    return !hit.m_ElementList.empty() || !partial;
  }

  bool FillElement(CBlastSearchHitElement& element, object hsp, bool partial, CMissing& missing) {
    CMembers m(hsp, m_place);
    long long score = 0, queryFrom = 0, queryTo = 0, hitFrom = 0, hitTo = 0, alignLength = 0;
    std::string_view qseq, hseq;
    static constexpr std::string_view kRequired[] = {
        "bit_score", "score",  "evalue",    "query_from", "query_to",
        "hit_from",  "hit_to", "align_len", "qseq",       "hseq"};
    for (std::string_view key : kRequired) {
      if (m.Has(key)) continue;
      if (partial) return false;
      m.Fail(key, "is missing");
    }
    m.GetReal("bit_score", element.m_dBitScore);
    m.GetInt("score", score);
    m.GetReal("evalue", element.m_dExpect);
    m.GetInt("query_from", queryFrom);
    m.GetInt("query_to", queryTo);
    m.GetInt("hit_from", hitFrom);
    m.GetInt("hit_to", hitTo);
    m.GetInt("align_len", alignLength);
    m.GetText("qseq", qseq);
    m.GetText("hseq", hseq);
    element.m_nScore = static_cast<int>(score);
    element.m_nAlignLength = static_cast<int>(alignLength);

    long long count = 0;
    if (m.GetInt("identity", count))
      element.m_nIdentities = static_cast<int>(count);
    else
      missing.bIdentities = true;
    if (m.GetInt("positive", count))
      element.m_nPositives = static_cast<int>(count);
    else
      missing.bPositives = true;
    if (m.GetInt("gaps", count))
      element.m_nGaps = static_cast<int>(count);
    else
      missing.bGaps = true;

    // Frames: the translated side's in m_nFrame; with two, the subject's apart.
    long long queryFrame = 0, hitFrame = 0;
    const bool hasQueryFrame = m.GetInt("query_frame", queryFrame) && queryFrame != 0;
    const bool hasHitFrame = m.GetInt("hit_frame", hitFrame) && hitFrame != 0;
    if (hasQueryFrame) element.m_nFrame = static_cast<int>(queryFrame);
    if (hasHitFrame) {
      if (hasQueryFrame)
        SetSubjectFrame(element, static_cast<int>(hitFrame));
      else
        element.m_nFrame = static_cast<int>(hitFrame);
    }
    std::string_view queryStrand, hitStrand;
    m.GetText("query_strand", queryStrand);
    m.GetText("hit_strand", hitStrand);
    SetRowSpan(element, false, queryFrom, queryTo, queryStrand == "Minus" || queryFrame < 0);
    SetRowSpan(element, true, hitFrom, hitTo, hitStrand == "Minus" || hitFrame < 0);

    if (qseq.size() > INT_MAX) m.Fail("qseq", "is too long");
    element.m_Query.m_strSeq = UpperCaseRow(qseq);
    element.m_Subject.m_strSeq = UpperCaseRow(hseq);
    element.m_Query.m_nLength = element.m_Subject.m_nLength = static_cast<int>(qseq.size());
    return true;
  }

  CReportSource& m_source;
  const CResultReadOptions m_options;
  const std::uint64_t m_nMaxReport;

  std::string m_strBuf;  // bytes read and not yet consumed from m_nPos
  std::size_t m_nPos = 0;
  std::uint64_t m_nOffset = 0;  // the file's offset of m_strBuf[0]
  bool m_bEof = false;
  std::size_t m_nChunk = kChunk / 16;  // the next piece to read
  bool m_bInList = false;              // the head "{"BlastOutput2": [" was read
  bool m_bAfterReport = false;         // a report was read; a ',' or ']' comes next
  bool m_bDone = false;

  simdjson::dom::parser m_parser;
  std::string m_strDoc;  // the report being read, with simdjson's padding
  object m_report;
  object m_head;
  bool m_bPartialReport = false;
  std::vector<CRound> m_rounds;
  std::size_t m_nRounds = 0;
  std::size_t m_nNextRound = 0;
  int m_nQuery = 0;
  CPlace m_place;
};

}  // namespace

std::unique_ptr<CResultReader> MakeBlastJsonReader(CReportSource& source,
                                                   const CResultReadOptions& options) {
  return std::make_unique<CBlastJsonReader>(source, options);
}

}  // namespace blastsearch
