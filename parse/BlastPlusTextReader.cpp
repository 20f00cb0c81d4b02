#include "parse/BlastPlusTextReader.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "model/BlastSearchEntry.h"
#include "model/ResultInfo.h"

namespace blastsearch {

// The pairwise text of BLAST+ is read line by line in one forward pass. The
// reader pulls the report from its source in chunks, splits the lines itself
// (LF, CR-LF or a lone CR) and keeps only the unread part of the last chunk,
// so memory is bounded by the largest query's result plus two chunks. A line
// longer than kMaxLine is a CReportError naming its number. The HTML form is
// the same text inside markup: tags are dropped and entities decoded as the
// bytes arrive, before the lines are split.

namespace {

constexpr std::size_t kChunk = std::size_t{1} << 16;          // bytes pulled at a time
constexpr std::size_t kMaxLine = std::size_t{1} << 20;        // the longest line read
constexpr std::size_t kMaxDefinition = std::size_t{1} << 20;  // joined definitions are cut here
constexpr std::size_t kMaxDatabase = std::size_t{1} << 16;    // the database title is cut here

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimLeft(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  return text;
}

std::string_view Trim(std::string_view text) {
  text = TrimLeft(text);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// The next blank-separated word of `text`, which moves past it; empty at the end.
std::string_view NextWord(std::string_view& text) {
  text = TrimLeft(text);
  std::size_t end = 0;
  while (end < text.size() && !IsBlank(text[end])) ++end;
  const std::string_view word = text.substr(0, end);
  text.remove_prefix(end);
  return word;
}

// Appends `piece` (trimmed) to `joined` with one blank between, up to `limit` bytes.
void AppendJoined(std::string& joined, std::string_view piece, std::size_t limit) {
  piece = Trim(piece);
  if (piece.empty() || joined.size() >= limit) return;
  if (!joined.empty()) joined += ' ';
  joined.append(piece.substr(0, limit - joined.size()));
}

// Reads a whole signed integer ("+2", "-1", "159"); false when `text` is not one.
bool ToInt(std::string_view text, int& value) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty()) return false;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size();
}

// Reads a whole real number; "e-100" (older BLAST's short form) counts as 1e-100.
bool ToReal(std::string_view text, double& value) {
  std::string widened;
  if (!text.empty() && (text.front() == 'e' || text.front() == 'E')) {
    widened = "1";
    widened.append(text);
    text = widened;
  }
  if (text.empty()) return false;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size();
}

// Removes thousands separators ("6,110") before a number is read.
std::string WithoutCommas(std::string_view text) {
  std::string digits;
  for (char c : text)
    if (c != ',') digits += c;
  return digits;
}

void UpperCaseAppend(std::string& target, std::string_view residues) {
  const std::size_t from = target.size();
  target.append(residues);
  for (std::size_t i = from; i < target.size(); ++i)
    if (target[i] >= 'a' && target[i] <= 'z') target[i] = static_cast<char>(target[i] - 'a' + 'A');
}

// ---------------------------------------------------------------------------
// Markup removal for the HTML form.

// Appends the UTF-8 form of the code point `code` (a decoded numeric entity).
void AppendUtf8(std::string& out, unsigned long code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

// Decodes the entity named `name` (without '&' and ';') into `out`; false
// when the name is not one this reader knows.
bool DecodeEntity(std::string_view name, std::string& out) {
  struct Named {
    std::string_view name;
    unsigned long code;
  };
  static constexpr Named kNamed[] = {
      {"amp", '&'},     {"lt", '<'},      {"gt", '>'},      {"quot", '"'},    {"apos", '\''},
      {"nbsp", ' '},    {"auml", 0xE4},   {"ouml", 0xF6},   {"uuml", 0xFC},   {"Auml", 0xC4},
      {"Ouml", 0xD6},   {"Uuml", 0xDC},   {"szlig", 0xDF},  {"eacute", 0xE9}, {"egrave", 0xE8},
      {"aacute", 0xE1}, {"oacute", 0xF3}, {"iacute", 0xED}, {"ccedil", 0xE7}, {"ntilde", 0xF1}};
  for (const Named& entry : kNamed) {
    if (entry.name == name) {
      AppendUtf8(out, entry.code);
      return true;
    }
  }
  if (name.size() < 2 || name.front() != '#') return false;
  const bool hex = name[1] == 'x' || name[1] == 'X';
  const std::string_view digits = name.substr(hex ? 2 : 1);
  unsigned long code = 0;
  const auto [end, error] =
      std::from_chars(digits.data(), digits.data() + digits.size(), code, hex ? 16 : 10);
  if (digits.empty() || error != std::errc() || end != digits.data() + digits.size() || code == 0 ||
      code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
    return false;
  AppendUtf8(out, code);
  return true;
}

// Drops tags and decodes entities of HTML arriving in pieces; its state
// carries over from one piece to the next, so a tag or entity may be split
// anywhere. A '<' that does not open a tag, and an '&' that does not start a
// known entity, stay as they are. Memory is a few bytes whatever the input.
class CHtmlFilter {
 public:
  // Appends the text of `in` to `out`.
  void Filter(std::string_view in, std::string& out) {
    std::size_t at = 0;
    while (at < in.size()) {
      if (m_state == State::Text) {  // plain text goes over in runs
        std::size_t end = at;
        while (end < in.size() && in[end] != '<' && in[end] != '&') ++end;
        out.append(in.data() + at, end - at);
        if ((at = end) == in.size()) return;
      } else if (m_state == State::Tag) {  // a tag is skipped whole
        const void* close = std::memchr(in.data() + at, '>', in.size() - at);
        if (!close) return;
        at = static_cast<std::size_t>(static_cast<const char*>(close) - in.data()) + 1;
        m_state = State::Text;
        continue;
      }
      Put(in[at++], out);
    }
  }
  // Flushes what is pending at the end of the input.
  void Finish(std::string& out) {
    if (m_state == State::Less) out += '<';
    if (m_state == State::Entity) out += m_strEntity;
    m_state = State::Text;
  }

 private:
  static constexpr std::size_t kMaxEntity = 12;
  enum class State { Text, Less, Tag, Entity };

  void Put(char c, std::string& out) {
    switch (m_state) {
      case State::Tag:
        if (c == '>') m_state = State::Text;
        return;
      case State::Less:
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '/' || c == '!' || c == '?') {
          m_state = State::Tag;
          return;
        }
        out += '<';
        m_state = State::Text;
        break;
      case State::Entity:
        if (c == ';') {
          if (!DecodeEntity(std::string_view(m_strEntity).substr(1), out)) out += m_strEntity + ';';
          m_state = State::Text;
          return;
        }
        if (m_strEntity.size() < kMaxEntity && ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                                                (c >= '0' && c <= '9') || c == '#')) {
          m_strEntity += c;
          return;
        }
        out += m_strEntity;
        m_state = State::Text;
        break;
      case State::Text:
        break;
    }
    if (c == '<') {
      m_state = State::Less;
    } else if (c == '&') {
      m_state = State::Entity;
      m_strEntity = "&";
    } else {
      out += c;
    }
  }

  State m_state = State::Text;
  std::string m_strEntity;
};

// ---------------------------------------------------------------------------
// Lines of the report.

// Splits the report into lines as it is read. A line given by Current()
// stays valid until the next Advance().
class CLineReader {
 public:
  CLineReader(CReportSource& source, bool html) : m_source(source), m_bHtml(html) {}

  // Moves to the next line; false at the end of the report. Throws
  // CReportError for a line longer than kMaxLine.
  bool Advance() {
    for (;;) {
      if (m_bSkipLineFeed && m_nPos < m_buffer.size()) {
        if (m_buffer[m_nPos] == '\n') ++m_nPos;
        m_bSkipLineFeed = false;
      }
      if (TakeLine()) return true;
      if (m_buffer.size() - m_nPos > kMaxLine) ThrowLongLine();
      if (m_bSourceEnd) return TakeLastLine();
      m_buffer.erase(0, m_nPos);
      m_nPos = 0;
      Fill();
    }
  }
  std::string_view Current() const { return m_line; }
  // The number of the current line, from 1.
  std::uint64_t LineNumber() const { return m_nLine; }
  // True when the current line is the last and no line break ended it: the
  // report was cut off inside it.
  bool IsCut() const { return m_bCut; }

 private:
  bool TakeLine() {
    const char* begin = m_buffer.data() + m_nPos;
    const std::size_t size = m_buffer.size() - m_nPos;
    const char* lf = static_cast<const char*>(std::memchr(begin, '\n', size));
    const std::size_t span = lf ? static_cast<std::size_t>(lf - begin) : size;
    const char* cr = static_cast<const char*>(std::memchr(begin, '\r', span));
    const char* end = cr ? cr : lf;
    if (!end) return false;
    const std::size_t length = static_cast<std::size_t>(end - begin);
    if (length > kMaxLine) ThrowLongLine();
    m_line = std::string_view(begin, length);
    ++m_nLine;
    m_nPos += length + 1;
    if (cr) {
      if (m_nPos < m_buffer.size()) {
        if (m_buffer[m_nPos] == '\n') ++m_nPos;
      } else {
        m_bSkipLineFeed = true;  // the LF of a CR-LF may come with the next chunk
      }
    }
    return true;
  }

  bool TakeLastLine() {
    if (m_nPos >= m_buffer.size()) {
      m_line = {};
      return false;
    }
    m_line = std::string_view(m_buffer).substr(m_nPos);
    m_nPos = m_buffer.size();
    ++m_nLine;
    m_bCut = true;
    return true;
  }

  void Fill() {
    if (m_bHtml) {
      m_raw.resize(kChunk);
      const std::size_t count = m_source.Read(m_raw.data(), kChunk);
      if (count == 0) {
        m_filter.Finish(m_buffer);
        m_bSourceEnd = true;
      } else {
        m_filter.Filter(std::string_view(m_raw.data(), count), m_buffer);
      }
      return;
    }
    const std::size_t kept = m_buffer.size();
    m_buffer.resize(kept + kChunk);
    const std::size_t count = m_source.Read(m_buffer.data() + kept, kChunk);
    m_buffer.resize(kept + count);
    if (count == 0) m_bSourceEnd = true;
  }

  [[noreturn]] void ThrowLongLine() const {
    throw CReportError("line " + std::to_string(m_nLine + 1) + " is longer than " +
                       std::to_string(kMaxLine) + " bytes");
  }

  CReportSource& m_source;
  bool m_bHtml;
  CHtmlFilter m_filter;
  std::string m_raw;     // one chunk as read (HTML form)
  std::string m_buffer;  // text not yet split, from m_nPos on
  std::size_t m_nPos = 0;
  bool m_bSourceEnd = false;
  bool m_bSkipLineFeed = false;
  bool m_bCut = false;
  std::string_view m_line;
  std::uint64_t m_nLine = 0;
};

// ---------------------------------------------------------------------------
// Markers of the layout.

// "BLASTP 2.12.0+": an upper-case program name holding "BLAST", a blank and a digit.
bool IsProgramLine(std::string_view line) {
  std::size_t end = 0;
  while (end < line.size() && line[end] >= 'A' && line[end] <= 'Z') ++end;
  return end >= 5 && end + 1 < line.size() && line[end] == ' ' && line[end + 1] >= '0' &&
         line[end + 1] <= '9' && line.substr(0, end).find("BLAST") != std::string_view::npos;
}

constexpr std::string_view kQueryMarker = "Query=";
constexpr std::string_view kRoundMarker = "Results from round";
constexpr std::string_view kSummaryMarker = "Sequences producing significant alignments";

bool EndsBlock(std::string_view line) {
  if (line.empty()) return false;
  switch (line.front()) {
    case 'Q':
      return StartsWith(line, kQueryMarker);
    case 'R':
      return StartsWith(line, kRoundMarker);
    default:
      return line.front() >= 'A' && line.front() <= 'Z' && IsProgramLine(line);
  }
}

// One line of the summary table: the name, the (possibly shortened)
// description, the bit score and the E value.
struct CSummaryLine {
  std::string strName;
  std::string strDescription;
  double dBits = 0;
  double dExpect = 0;
};

// ---------------------------------------------------------------------------

class CBlastPlusTextReader : public CResultReader {
 public:
  CBlastPlusTextReader(CReportSource& source, const CResultReadOptions& options, bool html)
      : m_lines(source, html), m_options(options), m_bHtml(html) {}

  int ReadNext(CBlastSearchEntry& entry) override {
    if (m_bFinished || StopAsked()) return 0;
    if (!FindQuery()) {
      m_bFinished = true;
      // A report of no query at all was cut off, or is none.
      if (m_nQueryNumber == 0) Fail("the report ends before its first \"Query=\" line");
      return 0;
    }
    int round = TakeRound();
    ReadQueryBlock(entry, round);
    // Only the last round of a PSI-BLAST query, unless every round is asked for.
    while (!m_options.bEveryRound && !m_bFinished && round > 0 &&
           StartsWith(m_lines.Current(), kRoundMarker) && RoundOfLine(m_lines.Current()) > round) {
      if (!FindQuery()) {
        m_bFinished = true;
        SetResultInfo(entry, result_info::kPartial,
                      "the report ends before the query of the next round");
        return 1;
      }
      round = TakeRound();
      ClearEntry(entry);
      ReadQueryBlock(entry, round);
    }
    return 1;
  }

 private:
  bool StopAsked() const { return m_options.pStop && *m_options.pStop; }

  [[noreturn]] void Fail(const std::string& what) const {
    throw CReportError("line " + std::to_string(m_lines.LineNumber()) + ": " + what);
  }

  // Moves forward from the current line to the next line that begins with
  // "Query=", reading the report's heading lines on the way; false at the end.
  bool FindQuery() {
    for (;;) {
      if (m_bHaveLine) {
        m_bHaveLine = false;
      } else if (!m_lines.Advance()) {
        return false;
      }
      const std::string_view line = m_lines.Current();
      if (m_lines.IsCut() && !StartsWith(line, kQueryMarker)) return false;
      if (StartsWith(line, kQueryMarker)) return true;
      if (IsProgramLine(line)) {
        ReadProgramLine(line);
      } else if (StartsWith(line, "Database:")) {
        ReadDatabase();
      } else if (StartsWith(line, kRoundMarker)) {
        m_nPendingRound = RoundOfLine(line);
      }
    }
  }

  int TakeRound() {
    const int round = m_nPendingRound;
    m_nPendingRound = 0;
    // A later round goes on with the query before.
    if (round <= 1 || m_nQueryNumber == 0) ++m_nQueryNumber;
    return round;
  }

  int RoundOfLine(std::string_view line) const {
    std::string_view rest = line.substr(kRoundMarker.size());
    int round = 0;
    if (!ToInt(NextWord(rest), round) || round < 1) Fail("the round is not a number");
    return round;
  }

  void ReadProgramLine(std::string_view line) {
    m_strVersion = std::string(Trim(line));
    m_strProgram = m_strVersion.substr(0, m_strVersion.find(' '));
    for (char& c : m_strProgram) c = static_cast<char>(c - 'A' + 'a');
  }

  // "Database: title", the title wrapped over lines up to the line of counts.
  void ReadDatabase() {
    m_strDatabase.clear();
    AppendJoined(m_strDatabase, m_lines.Current().substr(9), kMaxDatabase);
    while (m_lines.Advance()) {
      const std::string_view line = m_lines.Current();
      if (Trim(line).empty() || line.find("sequences;") != std::string_view::npos) return;
      if (EndsBlock(line) || m_lines.IsCut()) {
        m_bHaveLine = true;
        return;
      }
      AppendJoined(m_strDatabase, line, kMaxDatabase);
    }
  }

  static void ClearEntry(CBlastSearchEntry& entry) {
    entry.m_Hits.m_HitList.clear();
    entry.m_Hits.m_strInfo.clear();
    entry.m_Mol = CUxMol();
  }

  // ---- One query's block, from its "Query=" line to the next block ----

  void ReadQueryBlock(CBlastSearchEntry& entry, int round) {
    m_pEntry = &entry;
    m_pHit = nullptr;
    m_pElement = nullptr;
    m_summary.clear();
    m_bInSummary = m_bSeenStatistics = m_bHitsFromAlignments = m_bSummaryWithCount = false;
    m_bPositivesMissing = m_bSeenClosing = false;
    SetUpQuery(entry, round);
    std::string definition;
    AppendJoined(definition, m_lines.Current().substr(kQueryMarker.size()), kMaxDefinition);
    while (NextBlockLine()) {
      const std::string_view line = m_lines.Current();
      if (StartsWith(line, "Length=") || Trim(line).empty()) {
        m_bHaveLine = true;
        break;
      }
      AppendJoined(definition, line, kMaxDefinition);
    }
    entry.m_Mol.m_strName = definition;
    std::string_view words = definition;
    entry.m_Mol.m_strID = std::string(NextWord(words));
    while (NextBlockLine()) ReadBlockLine(m_lines.Current());
    FinishQuery(entry, round);
  }

  // The next line of the current block (or the one put back); false at the
  // block's end, with the line that ends it kept for the next reading.
  bool NextBlockLine() {
    if (m_bHaveLine) {
      m_bHaveLine = false;
    } else if (!m_lines.Advance()) {
      m_bFinished = true;
      return false;
    }
    if (m_lines.IsCut()) {
      m_bFinished = true;
      return false;
    }
    if (EndsBlock(m_lines.Current())) {
      m_bHaveLine = true;
      return false;
    }
    return true;
  }

  void SetUpQuery(CBlastSearchEntry& entry, int round) {
    CUxMol& mol = entry.m_Mol;
    int queryType = 1, hitType = 1;
    MoleculeTypesOfProgram(m_strProgram, queryType, hitType);
    m_nHitType = hitType;
    mol.m_nType = queryType;
    mol.m_nWord1 = 1;
    mol.m_nWord2 = 0;
    mol.m_nType2 = queryType == 2 ? 2 : 0;
    SetResultInfo(
        entry, result_info::kLayout,
        ReportLayoutName(m_bHtml ? ReportLayout::BlastPlusHtml : ReportLayout::BlastPlusText));
    SetResultInfo(entry, result_info::kProgram, m_strProgram);
    SetResultInfo(entry, result_info::kVersion, m_strVersion);
    SetResultInfo(entry, result_info::kDatabase, m_strDatabase);
    SetResultInfo(entry, result_info::kQueryNumber, std::to_string(m_nQueryNumber));
    if (round > 0) SetResultInfo(entry, result_info::kRound, std::to_string(round));
  }

  // Dispatches on the first character, so that most lines cost one comparison.
  void ReadBlockLine(std::string_view line) {
    if (line.empty()) return;
    switch (line.front()) {
      case '>':
        return ReadHitDefinition(line);
      case ' ':
      case '\t':
        return ReadIndentedLine(line);
      case 'Q':
        if (StartsWith(line, "Query ")) return ReadRow(line, true);
        break;
      case 'S':
        if (StartsWith(line, "Sbjct ")) return ReadRow(line, false);
        if (StartsWith(line, kSummaryMarker)) return BeginSummary(line);
        if (StartsWith(line, "Search has CONVERGED")) {
          m_bSeenClosing = true;
          return;
        }
        break;
      case 'L':
        if (StartsWith(line, "Length=") && !m_pHit && !m_bInSummary) {
          m_pEntry->m_Mol.m_nLength = ReadLength(line);
          return;
        }
        if (StartsWith(line, "Lambda")) return EndResults();
        break;
      case 'E':
        if (StartsWith(line, "Effective search space")) return EndResults();
        break;
      default:
        break;
    }
    if (m_bInSummary && !StartsWith(line, "Sequences ") && !StartsWith(line, "*****"))
      ReadSummaryLine(line);
  }

  // The lines of a segment pair's heading and the report's closing lines.
  void ReadIndentedLine(std::string_view line) {
    const std::string_view trimmed = TrimLeft(line);
    if (trimmed.empty()) return;
    switch (trimmed.front()) {
      case 'S':
        if (StartsWith(trimmed, "Score =") || StartsWith(trimmed, "Score="))
          return ReadScore(trimmed);
        if (StartsWith(trimmed, "Strand")) return ReadStrand(trimmed);
        break;
      case 'I':
        if (StartsWith(trimmed, "Identities")) return ReadIdentities(trimmed);
        break;
      case 'F':
        if (StartsWith(trimmed, "Frame")) return ReadFrame(trimmed);
        break;
      case 'D':
        if (StartsWith(line, "  Database:")) m_bSeenClosing = true;
        break;
      default:
        break;
    }
  }

  // "Sequences producing significant alignments: ... (Bits)  Value", with
  // "N" at the end when the table has a count column.
  void BeginSummary(std::string_view line) {
    m_bInSummary = true;
    std::string_view rest = line;
    std::string_view last;
    for (std::string_view word = NextWord(rest); !word.empty(); word = NextWord(rest)) last = word;
    m_bSummaryWithCount = last == "N";
  }

  void EndResults() {
    m_bSeenStatistics = true;
    m_bInSummary = false;
  }

  int ReadLength(std::string_view line) const {
    int length = 0;
    if (!ToInt(WithoutCommas(Trim(line.substr(7))), length) || length < 0)
      Fail("the length is not a number");
    return length;
  }

  // ">NAME description", wrapped over lines up to "Length="; further
  // ">NAME description" lines before it name identical sequences and are
  // kept in the description.
  void ReadHitDefinition(std::string_view line) {
    m_bInSummary = false;
    m_bHitsFromAlignments = true;
    m_pElement = nullptr;
    auto hit = std::make_unique<CBlastSearchHit>();
    m_pHit = hit.get();
    m_pEntry->m_Hits.m_HitList.push_back(std::move(hit));
    m_pHit->m_nMolType = m_nHitType;
    std::string definition;
    AppendJoined(definition, line.substr(1), kMaxDefinition);
    std::string_view words = definition;
    m_pHit->m_strName = std::string(NextWord(words));
    m_pHit->m_strID = AccessionOfSeqId(m_pHit->m_strName);
    while (NextBlockLine()) {
      const std::string_view next = m_lines.Current();
      if (StartsWith(next, "Length=")) {
        m_pHit->m_nLength = ReadLength(next);
        break;
      }
      if (Trim(next).empty() || StartsWith(TrimLeft(next), "Score")) {
        m_bHaveLine = true;
        break;
      }
      if (next.front() == '>') {
        AppendJoined(definition, ">", kMaxDefinition);
        definition.append(Trim(next.substr(1)).substr(0, kMaxDefinition - definition.size()));
      } else {
        AppendJoined(definition, next, kMaxDefinition);
      }
    }
    words = definition;
    NextWord(words);
    m_pHit->m_strDescription = std::string(Trim(words));
  }

  // " Score = 254 bits (650),  Expect = 1e-91, Method: ..." or "Expect(2) = ...".
  void ReadScore(std::string_view line) {
    if (!m_pHit) Fail("a score outside a hit");
    auto element = std::make_unique<CBlastSearchHitElement>();
    m_pElement = element.get();
    m_pHit->m_ElementList.push_back(std::move(element));
    std::string_view rest = TrimLeft(line.substr(line.find('=') + 1));
    if (!ToReal(NextWord(rest), m_pElement->m_dBitScore)) Fail("the bit score is not a number");
    const std::size_t open = rest.find('(');
    const std::size_t close = rest.find(')');
    if (open != std::string_view::npos && close != std::string_view::npos && open < close &&
        !ToInt(rest.substr(open + 1, close - open - 1), m_pElement->m_nScore))
      Fail("the raw score is not a number");
    const std::size_t expect = rest.find("Expect");
    if (expect == std::string_view::npos) Fail("the score line has no Expect");
    rest = rest.substr(expect + 6);
    if (StartsWith(rest, "(")) {
      int count = 0;
      const std::size_t end = rest.find(')');
      if (end == std::string_view::npos || !ToInt(rest.substr(1, end - 1), count))
        Fail("the Expect count is not a number");
      SetExpectCount(*m_pElement, count);
      rest.remove_prefix(end + 1);
    }
    rest = TrimLeft(rest);
    if (!StartsWith(rest, "=")) Fail("the Expect value is missing");
    rest.remove_prefix(1);
    std::string_view value = NextWord(rest);
    if (!value.empty() && value.back() == ',') value.remove_suffix(1);
    if (!ToReal(value, m_pElement->m_dExpect)) Fail("the Expect value is not a number");
  }

  // Reads "NAME = a/b" from `line` into `count` and the alignment length;
  // false when the line does not hold NAME.
  bool ReadFraction(std::string_view line, std::string_view name, int& count) {
    const std::size_t at = line.find(name);
    if (at == std::string_view::npos) return false;
    std::string_view rest = TrimLeft(line.substr(at + name.size()));
    if (!StartsWith(rest, "=")) Fail("no '=' after " + std::string(name));
    rest = TrimLeft(rest.substr(1));
    const std::size_t slash = rest.find('/');
    std::string_view total = rest.substr(slash == std::string_view::npos ? rest.size() : slash + 1);
    total = total.substr(0, std::min(total.find(' '), total.find('(')));
    int length = 0;
    if (slash == std::string_view::npos || !ToInt(rest.substr(0, slash), count) ||
        !ToInt(Trim(total), length))
      Fail("the " + std::string(name) + " are not a fraction");
    m_pElement->m_nAlignLength = length;
    return true;
  }

  void ReadIdentities(std::string_view line) {
    if (!m_pElement) Fail("identities outside a segment pair");
    ReadFraction(line, "Identities", m_pElement->m_nIdentities);
    if (!ReadFraction(line, "Positives", m_pElement->m_nPositives)) m_bPositivesMissing = true;
    ReadFraction(line, "Gaps", m_pElement->m_nGaps);
  }

  // " Strand=Plus/Minus" (or with blanks around the signs).
  void ReadStrand(std::string_view line) {
    if (!m_pElement) Fail("a strand outside a segment pair");
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) Fail("no '=' after Strand");
    std::string_view rest = line.substr(equals + 1);
    const std::size_t slash = rest.find('/');
    auto minus = [](std::string_view word) {
      std::string upper;
      UpperCaseAppend(upper, Trim(word));
      return upper.find("PLUS") == std::string::npos ? 1 : 0;
    };
    m_pElement->m_Query.m_bMinusStrand = minus(rest.substr(0, slash));
    if (slash != std::string_view::npos)
      m_pElement->m_Subject.m_bMinusStrand = minus(rest.substr(slash + 1));
  }

  // " Frame = +2", or " Frame = +2/-1" with the subject's frame second.
  void ReadFrame(std::string_view line) {
    if (!m_pElement) Fail("a frame outside a segment pair");
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) Fail("no '=' after Frame");
    std::string_view rest = Trim(line.substr(equals + 1));
    const std::size_t slash = rest.find('/');
    if (!ToInt(Trim(rest.substr(0, slash)), m_pElement->m_nFrame))
      Fail("the frame is not a number");
    // A negative frame is read off the minus strand, as the other layouts say
    // of it: the query's for blastx and tblastx, the subject's for tblastn.
    const bool minus = m_pElement->m_nFrame < 0;
    if (m_strProgram == "tblastn" && slash == std::string_view::npos)
      m_pElement->m_Subject.m_bMinusStrand = minus;
    else
      m_pElement->m_Query.m_bMinusStrand = minus;
    if (slash == std::string_view::npos) return;
    int subjectFrame = 0;
    if (!ToInt(Trim(rest.substr(slash + 1)), subjectFrame)) Fail("the frame is not a number");
    SetSubjectFrame(*m_pElement, subjectFrame);
    m_pElement->m_Subject.m_bMinusStrand = subjectFrame < 0;
  }

  // "Query  5    FFFRLD...  64" or "Sbjct  2    FFMLLD...  61".
  void ReadRow(std::string_view line, bool query) {
    if (!m_pElement) Fail("an alignment row outside a segment pair");
    std::string_view rest = line.substr(5);
    int start = 0, end = 0;
    if (!ToInt(NextWord(rest), start)) Fail("the row's start is not a number");
    const std::string_view residues = NextWord(rest);
    if (!ToInt(NextWord(rest), end) || residues.empty() || !Trim(rest).empty())
      Fail("the row is not start, residues and end");
    CBlastSearchSeqComponent& row = query ? m_pElement->m_Query : m_pElement->m_Subject;
    if (row.m_strSeq.empty()) row.m_nStart = start;
    row.m_nEnd = end;
    UpperCaseAppend(row.m_strSeq, residues);
    if (query) {
      const int length = static_cast<int>(row.m_strSeq.size());
      m_pElement->m_Query.m_nLength = m_pElement->m_Subject.m_nLength = length;
    }
  }

  // "NAME description...  254     1e-91" with a count column when the
  // header ends with "N".
  void ReadSummaryLine(std::string_view line) {
    std::vector<std::string_view> words;
    std::string_view rest = line;
    for (std::string_view word = NextWord(rest); !word.empty(); word = NextWord(rest))
      words.push_back(word);
    const std::size_t numbers = m_bSummaryWithCount ? 3 : 2;
    CSummaryLine summary;
    if (words.size() < numbers + 1 || !ToReal(words[words.size() - numbers], summary.dBits) ||
        !ToReal(words[words.size() - numbers + 1], summary.dExpect))
      Fail("a summary line without a bit score and an E value");
    summary.strName = std::string(words.front());
    const char* from = words.front().data() + words.front().size();
    const char* to = words[words.size() - numbers].data();
    summary.strDescription = std::string(Trim(std::string_view(from, to - from)));
    m_summary.push_back(std::move(summary));
  }

  void FinishQuery(CBlastSearchEntry& entry, int round) {
    if (!m_bHitsFromAlignments && !m_summary.empty()) AddSummaryHits(entry);
    if (m_bPositivesMissing) MarkFieldAbsent(entry, result_info::kAbsentPositives);
    if (!m_bSeenStatistics) {
      const std::string line = std::to_string(m_lines.LineNumber());
      SetResultInfo(entry, result_info::kPartial,
                    m_bFinished
                        ? "the report ends inside this query's results, at line " + line
                        : "this query's results end without their statistics, at line " + line);
    } else if (round > 0 && !m_options.bEveryRound && m_bFinished && !m_bSeenClosing) {
      // Without the closing lines a later round may have been cut away.
      SetResultInfo(
          entry, result_info::kPartial,
          "the report ends after round " + std::to_string(round) + " without its closing lines");
    }
    m_pEntry = nullptr;
    m_pHit = nullptr;
    m_pElement = nullptr;
  }

  // A report without alignments: its hits come from the summary table,
  // which gives no more than the name, a shortened description, the bit
  // score and the E value.
  void AddSummaryHits(CBlastSearchEntry& entry) {
    for (CSummaryLine& line : m_summary) {
      auto hit = std::make_unique<CBlastSearchHit>();
      hit->m_nMolType = m_nHitType;
      hit->m_strName = std::move(line.strName);
      hit->m_strID = AccessionOfSeqId(hit->m_strName);
      hit->m_strDescription = std::move(line.strDescription);
      auto element = std::make_unique<CBlastSearchHitElement>();
      element->m_dBitScore = line.dBits;
      element->m_dExpect = line.dExpect;
      hit->m_ElementList.push_back(std::move(element));
      entry.m_Hits.m_HitList.push_back(std::move(hit));
    }
    m_summary.clear();
    for (std::string_view field : {result_info::kAbsentAlignments, result_info::kAbsentHitLength,
                                   result_info::kAbsentRawScore, result_info::kAbsentIdentities,
                                   result_info::kAbsentPositives, result_info::kAbsentGaps,
                                   result_info::kAbsentRows, result_info::kAbsentFrames})
      MarkFieldAbsent(entry, field);
  }

  CLineReader m_lines;
  CResultReadOptions m_options;
  bool m_bHtml;
  bool m_bHaveLine = false;  // the current line is still to be read
  bool m_bFinished = false;
  std::string m_strProgram;
  std::string m_strVersion;
  std::string m_strDatabase;
  int m_nQueryNumber = 0;
  int m_nPendingRound = 0;
  // The query being read.
  CBlastSearchEntry* m_pEntry = nullptr;
  CBlastSearchHit* m_pHit = nullptr;
  CBlastSearchHitElement* m_pElement = nullptr;
  int m_nHitType = 1;
  bool m_bInSummary = false;
  bool m_bSummaryWithCount = false;
  bool m_bSeenStatistics = false;
  bool m_bHitsFromAlignments = false;
  bool m_bPositivesMissing = false;
  bool m_bSeenClosing = false;  // "Search has CONVERGED!" or the report's closing statistics
  std::vector<CSummaryLine> m_summary;
};

}  // namespace

std::unique_ptr<CResultReader> MakeBlastPlusTextReader(CReportSource& source,
                                                       const CResultReadOptions& options,
                                                       bool html) {
  return std::make_unique<CBlastPlusTextReader>(source, options, html);
}

}  // namespace blastsearch
