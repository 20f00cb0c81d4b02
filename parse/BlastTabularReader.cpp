#include "parse/BlastTabularReader.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstring>
#include <deque>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "model/BlastSearchEntry.h"
#include "model/ResultInfo.h"
#include "parse/BlastPlusNames.h"

namespace blastsearch {

// Reads BLAST+'s tabular layouts line by line. Consecutive lines of one query
// form one result and consecutive lines of one subject one hit, with one
// segment pair per line. Only what the columns say is stored: a count that no
// column gives is derived only where the printed values fix it exactly
// (below), else the field is marked absent.

namespace {

constexpr std::size_t kChunk = std::size_t{1} << 20;
constexpr std::uint64_t kMaxLine = std::uint64_t{1} << 26;  // 64 MiB: two aligned rows

enum class Col {
  Other,
  QSeqId,
  QGi,
  QAcc,
  QAccVer,
  QLen,
  SSeqId,
  SAllSeqId,
  SGi,
  SAcc,
  SAccVer,
  SAllAcc,
  SLen,
  QStart,
  QEnd,
  SStart,
  SEnd,
  QSeq,
  SSeq,
  Evalue,
  BitScore,
  Score,
  Length,
  PIdent,
  NIdent,
  Mismatch,
  Positive,
  GapOpen,
  Gaps,
  PPos,
  Frames,
  QFrame,
  SFrame,
  STitle,
  SAllTitles,
  SStrand,
  Count
};

// Every column BLAST+ 2.12 writes: its -outfmt specifier and its name in
// the "# Fields:" line.
struct CColumnName {
  std::string_view spec;
  std::string_view words;
  Col col;
};
constexpr CColumnName kColumns[] = {
    {"qseqid", "query id", Col::QSeqId},
    {"qgi", "query gi", Col::QGi},
    {"qacc", "query acc.", Col::QAcc},
    {"qaccver", "query acc.ver", Col::QAccVer},
    {"qlen", "query length", Col::QLen},
    {"sseqid", "subject id", Col::SSeqId},
    {"sallseqid", "subject ids", Col::SAllSeqId},
    {"sgi", "subject gi", Col::SGi},
    {"sallgi", "subject gis", Col::Other},
    {"sacc", "subject acc.", Col::SAcc},
    {"saccver", "subject acc.ver", Col::SAccVer},
    {"sallacc", "subject accs.", Col::SAllAcc},
    {"slen", "subject length", Col::SLen},
    {"qstart", "q. start", Col::QStart},
    {"qend", "q. end", Col::QEnd},
    {"sstart", "s. start", Col::SStart},
    {"send", "s. end", Col::SEnd},
    {"qseq", "query seq", Col::QSeq},
    {"sseq", "subject seq", Col::SSeq},
    {"evalue", "evalue", Col::Evalue},
    {"bitscore", "bit score", Col::BitScore},
    {"score", "score", Col::Score},
    {"length", "alignment length", Col::Length},
    {"pident", "% identity", Col::PIdent},
    {"nident", "identical", Col::NIdent},
    {"mismatch", "mismatches", Col::Mismatch},
    {"positive", "positives", Col::Positive},
    {"gapopen", "gap opens", Col::GapOpen},
    {"gaps", "gaps", Col::Gaps},
    {"ppos", "% positives", Col::PPos},
    {"frames", "query/sbjct frames", Col::Frames},
    {"qframe", "query frame", Col::QFrame},
    {"sframe", "sbjct frame", Col::SFrame},
    {"btop", "BTOP", Col::Other},
    {"staxid", "subject tax id", Col::Other},
    {"ssciname", "subject sci name", Col::Other},
    {"scomname", "subject com names", Col::Other},
    {"sblastname", "subject blast name", Col::Other},
    {"sskingdom", "subject super kingdom", Col::Other},
    {"staxids", "subject tax ids", Col::Other},
    {"sscinames", "subject sci names", Col::Other},
    {"scomnames", "subject com names", Col::Other},
    {"sblastnames", "subject blast names", Col::Other},
    {"sskingdoms", "subject super kingdoms", Col::Other},
    {"stitle", "subject title", Col::STitle},
    {"salltitles", "subject titles", Col::SAllTitles},
    {"sstrand", "subject strand", Col::SStrand},
    {"qcovs", "% query coverage per subject", Col::Other},
    {"qcovhsp", "% query coverage per hsp", Col::Other},
    {"qcovus", "% query coverage per uniq subject", Col::Other},
};
constexpr std::string_view kStandard =
    "qaccver saccver pident length mismatch gapopen qstart qend sstart send evalue bitscore";

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// The columns of a report and where each known one stands (-1: not given).
struct CColumns {
  std::vector<Col> list;
  int at[static_cast<int>(Col::Count)];
  CColumns() { std::fill(std::begin(at), std::end(at), -1); }
  void Add(Col col) {
    if (col != Col::Other && at[static_cast<int>(col)] < 0)
      at[static_cast<int>(col)] = static_cast<int>(list.size());
    list.push_back(col);
  }
  bool Has(Col col) const { return at[static_cast<int>(col)] >= 0; }
};

// Columns from -outfmt specifiers; sets `delimiter` from "delim=X".
CColumns ColumnsOfSpecifiers(std::string_view specs, char& delimiter) {
  CColumns columns;
  if (Trim(specs).empty()) specs = kStandard;
  while (!(specs = Trim(specs)).empty()) {
    const std::size_t blank = std::min(specs.find_first_of(" \t"), specs.size());
    const std::string_view word = specs.substr(0, blank);
    specs.remove_prefix(blank);
    if (word.starts_with("delim=")) {
      if (word.size() != 7) throw CReportError("the column delimiter must be one character");
      delimiter = word[6];
      continue;
    }
    if (word == "std") {
      char unused = 0;
      for (Col col : ColumnsOfSpecifiers(kStandard, unused).list) columns.Add(col);
      continue;
    }
    const auto found = std::find_if(std::begin(kColumns), std::end(kColumns),
                                    [&](const CColumnName& c) { return c.spec == word; });
    if (found == std::end(kColumns))
      throw CReportError("unknown tabular column '" + std::string(word) + "'");
    columns.Add(found->col);
  }
  if (columns.list.empty()) throw CReportError("no tabular columns given");
  return columns;
}

// Columns from the words of a "# Fields:" line; names this reader does not
// know are kept as columns it skips.
CColumns ColumnsOfFieldsLine(std::string_view words) {
  CColumns columns;
  while (!words.empty()) {
    const std::size_t comma = std::min(words.find(','), words.size());
    const std::string_view name = Trim(words.substr(0, comma));
    words.remove_prefix(std::min(comma + 1, words.size()));
    const auto found = std::find_if(std::begin(kColumns), std::end(kColumns),
                                    [&](const CColumnName& c) { return c.words == name; });
    columns.Add(found == std::end(kColumns) ? Col::Other : found->col);
  }
  return columns;
}

// The count that a percentage of `length` stands for, when the printed
// decimals of `percent` fix it to one whole number; else nothing.
std::optional<int> CountOfPercent(std::string_view percent, double value, int length) {
  const std::size_t point = percent.find('.');
  const std::size_t decimals = point == std::string_view::npos ? 0 : percent.size() - point - 1;
  static constexpr double kUnit[] = {1, 1e-1, 1e-2, 1e-3, 1e-4, 1e-5, 1e-6, 1e-7, 1e-8};
  if (decimals >= std::size(kUnit) || !(value >= 0 && value <= 100) || length < 0)
    return std::nullopt;
  const double slack = 0.5 * kUnit[decimals] * length / 100.0;
  const double count = value * length / 100.0;
  const double nearest = std::round(count);
  if (slack >= 0.5 || std::fabs(count - nearest) > slack + 1e-9) return std::nullopt;
  return static_cast<int>(nearest);
}

// Which model fields a result of these columns leaves unknown.
struct CAbsent {
  bool bIdentities = false, bPositives = false, bGaps = false;
};

class CBlastTabularReader : public CResultReader {
 public:
  CBlastTabularReader(CReportSource& source, const CResultReadOptions& options, ReportLayout layout)
      : m_source(source),
        m_options(options),
        m_layout(layout),
        m_nMaxLine(std::min<std::uint64_t>(kMaxLine, options.nMaxWholeReport)) {
    m_cDelimiter = layout == ReportLayout::Csv ? ',' : '\t';
    if (layout == ReportLayout::CommentedTabular) {
      char unused = 0;
      m_columns = ColumnsOfSpecifiers(kStandard, unused);
    } else {
      m_columns = ColumnsOfSpecifiers(options.strTabularColumns, m_cDelimiter);
      m_strProgram = options.strTabularProgram;
    }
  }

  int ReadNext(CBlastSearchEntry& entry) override {
    if (m_options.pStop != nullptr && *m_options.pStop != 0) return 0;
    while (m_ready.empty()) {
      if (m_bEnd) return 0;
      std::string_view line;
      if (NextLine(line))
        TakeLine(line);
      else
        Finish();
    }
    Transfer(*m_ready.front(), entry);
    m_ready.pop_front();
    return 1;
  }

 private:
  // ---- lines ----

  // The next line without its end; false at the end of the report. A last
  // line without its line end was cut off: it is dropped and the result it
  // falls in marked partial.
  bool NextLine(std::string_view& line) {
    for (;;) {
      const char* start = m_strBuf.data() + m_nPos;
      const std::size_t have = m_strBuf.size() - m_nPos;
      const std::size_t from = std::min(m_nScanned, have);
      const void* found = std::memchr(start + from, '\n', have - from);
      if (found != nullptr) {
        const std::size_t length = static_cast<const char*>(found) - start;
        CheckLineLength(length);
        line = std::string_view(start, length);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        m_nPos += length + 1;
        m_nScanned = 0;
        ++m_nLine;
        return true;
      }
      m_nScanned = have;
      CheckLineLength(have);
      if (m_bEof) {
        if (have > 0) m_strCutOff = "the report ends inside line " + std::to_string(m_nLine + 1);
        m_nPos = m_strBuf.size();
        return false;
      }
      if (m_nPos > 0) {
        m_strBuf.erase(0, m_nPos);
        m_nPos = 0;
      }
      // Pieces grow from 64 KiB to 1 MiB: small reports stay cheap.
      if (AppendFromSource(m_source, m_strBuf, m_nChunk, kChunk) == 0) m_bEof = true;
    }
  }
  void CheckLineLength(std::size_t length) const {
    if (length > m_nMaxLine)
      throw CReportError("line " + std::to_string(m_nLine + 1) + " is longer than " +
                         std::to_string(m_nMaxLine) + " bytes");
  }
  [[noreturn]] void Fail(const std::string& what) const {
    throw CReportError("line " + std::to_string(m_nLine) + ": " + what);
  }

  // ---- blocks and results ----

  void TakeLine(std::string_view line) {
    if (m_layout == ReportLayout::CommentedTabular && line.starts_with('#')) {
      TakeComment(line.substr(1));
      return;
    }
    const std::string_view text = Trim(line);
    // Blank lines, PSI-BLAST's closing message and comments carry no values.
    if (text.empty() || text == "Search has CONVERGED!" || text.starts_with('#')) return;
    if (m_layout == ReportLayout::CommentedTabular && !m_pCurrent)
      Fail("a line of values before the first comment line that names the program");
    DecideHeld(0);
    m_bBlockSaid = true;
    TakeValues(line);
  }

  // A comment line of -outfmt 7; a line naming the program opens a block.
  void TakeComment(std::string_view comment) {
    comment = Trim(comment);
    std::string_view value;
    m_bBlockSaid = true;
    if (IsProgramLine(comment)) {
      if (m_pCurrent) {
        DecideHeld(0);
        m_pHeld = SealCurrent();
      }
      const std::string_view word = comment.substr(0, comment.find(' '));
      m_strProgram.clear();
      for (char c : word)
        m_strProgram += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      m_strVersion = std::string(comment);
      m_strQueryName.clear();
      m_strDatabase.clear();
      m_nRound = 0;
      StartResult();
      m_bBlockSaid = false;
      return;
    } else if (Value(comment, "Iteration:", value)) {
      int round = 0;
      const auto r = std::from_chars(value.data(), value.data() + value.size(), round);
      if (r.ec != std::errc() || round < 1) Fail("the round number is not a positive number");
      DecideHeld(round);
      m_nRound = round;
      if (m_pCurrent) SetResultInfo(*m_pCurrent, result_info::kRound, std::to_string(round));
    } else if (Value(comment, "Query:", value)) {
      DecideHeld(0);
      m_strQueryName = std::string(value);
      if (m_pCurrent) SetQueryName(*m_pCurrent, value);
    } else if (Value(comment, "Database:", value)) {
      DecideHeld(0);
      m_strDatabase = std::string(value);
      if (m_pCurrent) SetResultInfo(*m_pCurrent, result_info::kDatabase, value);
    } else if (Value(comment, "Fields:", value)) {
      DecideHeld(0);
      m_columns = ColumnsOfFieldsLine(value);
    } else if (comment.starts_with("BLAST processed")) {
      DecideHeld(0);
      m_bSawClosing = true;
    }
  }
  // Whether `comment` opens a block: "BLASTP 2.12.0+", "PSIBLAST 2.12.0+".
  static bool IsProgramLine(std::string_view comment) {
    const std::size_t blank = comment.find(' ');
    if (blank == std::string_view::npos) return false;
    const std::string_view word = comment.substr(0, blank);
    return word.find("BLAST") != std::string_view::npos &&
           std::all_of(word.begin(), word.end(), [](char c) { return c >= 'A' && c <= 'Z'; }) &&
           comment.size() > blank + 1 &&
           std::isdigit(static_cast<unsigned char>(comment[blank + 1]));
  }
  static bool Value(std::string_view comment, std::string_view key, std::string_view& value) {
    if (!comment.starts_with(key)) return false;
    value = Trim(comment.substr(key.size()));
    return true;
  }

  // A result held back until the next block says whether it was an earlier
  // round of the same query (`round` > 1, dropped unless every round is
  // wanted) or the last one (given out).
  void DecideHeld(int round) {
    if (!m_pHeld) return;
    if (round > 1 && !m_options.bEveryRound) {
      m_pHeld.reset();
      --m_nQuery;  // the same query goes on
      if (m_pCurrent)
        SetResultInfo(*m_pCurrent, result_info::kQueryNumber, std::to_string(m_nQuery));
      return;
    }
    if (round > 1) {
      --m_nQuery;
      if (m_pCurrent)
        SetResultInfo(*m_pCurrent, result_info::kQueryNumber, std::to_string(m_nQuery));
    }
    Complete(std::move(m_pHeld));
  }

  void StartResult() {
    m_pCurrent = std::make_unique<CBlastSearchEntry>();
    m_seenSubjects.clear();
    m_strQueryKey.clear();
    m_strSubjectKey.clear();
    CBlastSearchEntry& entry = *m_pCurrent;
    ++m_nQuery;
    // The info text of a new result, made at once (SetResultInfo's form).
    std::string& info = entry.m_Hits.m_strInfo;
    AppendInfo(info, result_info::kLayout, ReportLayoutName(m_layout));
    AppendInfo(info, result_info::kProgram, m_strProgram);
    AppendInfo(info, result_info::kVersion, m_strVersion);
    AppendInfo(info, result_info::kDatabase, m_strDatabase);
    AppendInfo(info, result_info::kQueryNumber, std::to_string(m_nQuery));
    if (m_nRound > 0) AppendInfo(info, result_info::kRound, std::to_string(m_nRound));
    int queryType = 0;
    if (MoleculeTypesOfProgram(m_strProgram, queryType, m_nHitType))
      SetQueryType(entry, queryType);
    else
      m_nHitType = 1;
    if (!m_strQueryName.empty()) SetQueryName(entry, m_strQueryName);
    m_absent = CAbsent{};
  }

  static void AppendInfo(std::string& info, std::string_view key, std::string_view value) {
    if (value.empty()) return;
    info.append(key).append(1, '\t');
    for (char c : value) info += (c == '\t' || c == '\n' || c == '\r') ? ' ' : c;
    info += '\n';
  }

  static void SetQueryName(CBlastSearchEntry& entry, std::string_view name) {
    entry.m_Mol.m_strName = std::string(name);
    entry.m_Mol.m_strID = std::string(name.substr(0, name.find(' ')));
  }

  void Complete(std::unique_ptr<CBlastSearchEntry> entry) { m_ready.push_back(std::move(entry)); }

  // The result being read, ended: marked with what its columns left unknown.
  std::unique_ptr<CBlastSearchEntry> SealCurrent() {
    using namespace result_info;
    std::unique_ptr<CBlastSearchEntry> entry = std::move(m_pCurrent);
    const CColumns& c = m_columns;
    std::string absent;
    auto Absent = [&](std::string_view name) {
      if (!absent.empty()) absent += ',';
      absent += name;
    };
    // The query's length comes with its lines: a query without hits has none.
    if (!c.Has(Col::QLen) || entry->m_Hits.m_HitList.empty()) Absent(kAbsentQueryLength);
    if (!c.Has(Col::SLen)) Absent(kAbsentHitLength);
    if (!c.Has(Col::STitle) && !c.Has(Col::SAllTitles)) Absent(kAbsentDescription);
    if (!c.Has(Col::QSeq) || !c.Has(Col::SSeq)) Absent(kAbsentRows);
    if (!c.Has(Col::Score)) Absent(kAbsentRawScore);
    const bool identities = c.Has(Col::NIdent) || (c.Has(Col::PIdent) && c.Has(Col::Length));
    const bool gaps = c.Has(Col::Gaps) || (identities && c.Has(Col::Mismatch));
    const bool positives = c.Has(Col::Positive) || (c.Has(Col::PPos) && c.Has(Col::Length));
    if (m_absent.bPositives || !positives) Absent(kAbsentPositives);
    if (m_absent.bGaps || !gaps) Absent(kAbsentGaps);
    if (m_absent.bIdentities || !identities) Absent(kAbsentIdentities);
    if (!FramesKnown()) Absent(kAbsentFrames);
    SetResultInfo(*entry, kAbsent, absent);
    return entry;
  }

  // Frames and strands are known when the program needs none, or when the
  // columns give the frames a translating program needs.
  bool FramesKnown() const {
    const CColumns& c = m_columns;
    const bool queryFrame = c.Has(Col::Frames) || c.Has(Col::QFrame);
    const bool subjectFrame = c.Has(Col::Frames) || c.Has(Col::SFrame);
    if (m_strProgram == "blastx") return queryFrame;
    if (m_strProgram == "tblastn") return subjectFrame;
    if (m_strProgram == "tblastx") return queryFrame && subjectFrame;
    int q = 0, h = 0;
    return MoleculeTypesOfProgram(m_strProgram, q, h);
  }

  // At the end of the report: the last result, cut off or not.
  void Finish() {
    m_bEnd = true;
    DecideHeld(0);
    const bool commented = m_layout == ReportLayout::CommentedTabular;
    if (commented && !m_bSawClosing && m_strCutOff.empty() && (m_pCurrent || m_nQuery > 0))
      m_strCutOff = "the report ends before its closing comment line";
    if (commented && m_nQuery == 0 && !m_pCurrent)
      throw CReportError("no BLAST+ comment lines: not commented tabular output");
    if (commented && m_pCurrent && !m_bBlockSaid && !m_ready.empty() && !m_strCutOff.empty()) {
      // Cut off right after a block's first line: the block says nothing, and
      // the result before may have been an earlier round of a query.
      m_pCurrent.reset();
      SetResultInfo(*m_ready.back(), result_info::kPartial, m_strCutOff);
      return;
    }
    if (!m_pCurrent) {
      if (!m_strCutOff.empty()) throw CReportError(m_strCutOff);
      return;
    }
    if (!m_strCutOff.empty()) SetResultInfo(*m_pCurrent, result_info::kPartial, m_strCutOff);
    Complete(SealCurrent());
  }

  // ---- values ----

  void TakeValues(std::string_view line) {
    SplitFields(line);
    JoinTitle();
    if (m_fields.size() != m_columns.list.size())
      Fail(std::to_string(m_fields.size()) + " values where the columns are " +
           std::to_string(m_columns.list.size()));
    const std::string_view query = FirstOf({Col::QSeqId, Col::QAccVer, Col::QAcc, Col::QGi});
    std::string_view subject =
        FirstOf({Col::SSeqId, Col::SAccVer, Col::SAcc, Col::SAllSeqId, Col::SAllAcc, Col::SGi});
    subject = subject.substr(0, subject.find(';'));

    if (m_layout != ReportLayout::CommentedTabular) {
      if (!m_pCurrent || query != m_strQueryKey) {
        if (m_pCurrent) Complete(SealCurrent());
        m_nRound = m_strProgram == "psiblast" ? 1 : 0;
        StartResult();
        SetQueryName(*m_pCurrent, query);
      } else if (RoundsPossible() && subject != m_strSubjectKey &&
                 m_seenSubjects.count(std::string(subject))) {
        // A subject met before comes again: PSI-BLAST's next round of this query.
        NextTabularRound();
      }
    }
    m_strQueryKey = std::string(query);
    CBlastSearchEntry& entry = *m_pCurrent;
    if (entry.m_Mol.m_strName.empty()) SetQueryName(entry, query);
    if (entry.m_Hits.m_HitList.empty() || subject != m_strSubjectKey) {
      auto hit = std::make_unique<CBlastSearchHit>();
      FillHit(*hit, subject);
      entry.m_Hits.m_HitList.push_back(std::move(hit));
      m_strSubjectKey = std::string(subject);
      m_seenSubjects.insert(m_strSubjectKey);
    }
    if (m_columns.Has(Col::QLen)) entry.m_Mol.m_nLength = Int(Col::QLen);
    auto element = std::make_unique<CBlastSearchHitElement>();
    FillElement(*element);
    entry.m_Hits.m_HitList.back()->m_ElementList.push_back(std::move(element));
  }

  // Only PSI-BLAST, or a program not named, repeats a query's lines in rounds.
  bool RoundsPossible() const { return m_strProgram.empty() || m_strProgram == "psiblast"; }

  void NextTabularRound() {
    const int round = std::max(m_nRound, 1) + 1;
    if (m_options.bEveryRound) {
      if (m_nRound == 0) SetResultInfo(*m_pCurrent, result_info::kRound, "1");
      Complete(SealCurrent());
    }
    const int query = m_nQuery - 1;
    m_nRound = round;
    m_nQuery = query;
    const std::string name = m_strQueryKey;
    StartResult();
    SetQueryName(*m_pCurrent, name);
  }

  // Splits a line at the delimiter; CSV values may be quoted ("" for a quote).
  void SplitFields(std::string_view line) {
    m_fields.clear();
    m_unquoted.clear();
    std::size_t at = 0;
    for (;;) {
      if (m_layout == ReportLayout::Csv && at < line.size() && line[at] == '"') {
        std::string value;
        std::size_t i = at + 1;
        for (;; ++i) {
          if (i >= line.size()) Fail("a quoted value is not closed");
          if (line[i] == '"') {
            if (i + 1 < line.size() && line[i + 1] == '"') {
              value += '"';
              ++i;
              continue;
            }
            break;
          }
          value += line[i];
        }
        ++i;
        if (i < line.size() && line[i] != m_cDelimiter) Fail("text after a quoted value");
        m_unquoted.push_back(std::move(value));
        m_fields.push_back(std::string_view());  // replaced below
        m_quotedAt.push_back(m_fields.size() - 1);
        if (i >= line.size()) break;
        at = i + 1;
        continue;
      }
      const std::size_t end = std::min(line.find(m_cDelimiter, at), line.size());
      m_fields.push_back(line.substr(at, end - at));
      if (end >= line.size()) break;
      at = end + 1;
    }
    for (std::size_t i = 0; i < m_quotedAt.size(); ++i) m_fields[m_quotedAt[i]] = m_unquoted[i];
    m_quotedAt.clear();
  }

  // BLAST+ writes a subject title holding the delimiter (a comma in CSV)
  // without quotes; with one title column and no other free text, the
  // surplus values are the title's own pieces and are joined back.
  void JoinTitle() {
    if (m_fields.size() <= m_columns.list.size() || !m_unquoted.empty()) return;
    const bool title = m_columns.Has(Col::STitle), titles = m_columns.Has(Col::SAllTitles);
    if (title == titles) return;
    const std::size_t at = m_columns.at[static_cast<int>(title ? Col::STitle : Col::SAllTitles)];
    const std::size_t surplus = m_fields.size() - m_columns.list.size();
    const char* begin = m_fields[at].data();
    const char* end = m_fields[at + surplus].data() + m_fields[at + surplus].size();
    m_fields[at] = std::string_view(begin, static_cast<std::size_t>(end - begin));
    m_fields.erase(m_fields.begin() + at + 1, m_fields.begin() + at + 1 + surplus);
  }

  std::string_view Field(Col col) const {
    const int at = m_columns.at[static_cast<int>(col)];
    return at < 0 ? std::string_view() : m_fields[at];
  }
  std::string_view FirstOf(std::initializer_list<Col> cols) const {
    for (Col col : cols)
      if (m_columns.Has(col)) return Field(col);
    return {};
  }
  static bool NotGiven(std::string_view value) { return value.empty() || value == "N/A"; }
  static std::string_view NameOf(Col col) {
    for (const CColumnName& c : kColumns)
      if (c.col == col) return c.spec;
    return "?";
  }
  int Int(Col col) const {
    const std::string_view text = Field(col);
    int value = 0;
    const auto r = std::from_chars(text.data(), text.data() + text.size(), value);
    if (r.ec != std::errc() || r.ptr != text.data() + text.size())
      Fail("the " + std::string(NameOf(col)) + " value '" + std::string(text.substr(0, 40)) +
           "' is not a whole number");
    return value;
  }
  double Real(Col col) const {
    const std::string_view text = Field(col);
    double value = 0;
    const auto r = std::from_chars(text.data(), text.data() + text.size(), value);
    if (r.ec != std::errc() || r.ptr != text.data() + text.size() || !std::isfinite(value))
      Fail("the " + std::string(NameOf(col)) + " value '" + std::string(text.substr(0, 40)) +
           "' is not a number");
    return value;
  }
  std::optional<int> OptionalInt(Col col) const {
    if (!m_columns.Has(col) || NotGiven(Field(col))) return std::nullopt;
    return Int(col);
  }

  void FillHit(CBlastSearchHit& hit, std::string_view subject) {
    std::string_view title = FirstOf({Col::STitle, Col::SAllTitles});
    title = title.substr(0, title.find("<>"));
    SetHitNames(hit, subject, title);
    if (!m_columns.Has(Col::STitle) && !m_columns.Has(Col::SAllTitles))
      hit.m_strDescription.clear();
    hit.m_nMolType = m_nHitType;
    if (auto length = OptionalInt(Col::SLen)) hit.m_nLength = *length;
  }

  void FillElement(CBlastSearchHitElement& element) {
    const CColumns& c = m_columns;
    if (c.Has(Col::BitScore)) element.m_dBitScore = Real(Col::BitScore);
    if (c.Has(Col::Evalue)) element.m_dExpect = Real(Col::Evalue);
    if (auto score = OptionalInt(Col::Score)) element.m_nScore = *score;
    const std::optional<int> length = OptionalInt(Col::Length);
    if (length) element.m_nAlignLength = *length;

    std::optional<int> identities = OptionalInt(Col::NIdent);
    if (!identities && length && c.Has(Col::PIdent))
      identities = CountOfPercent(Field(Col::PIdent), Real(Col::PIdent), *length);
    std::optional<int> positives = OptionalInt(Col::Positive);
    if (!positives && length && c.Has(Col::PPos) && !NotGiven(Field(Col::PPos)))
      positives = CountOfPercent(Field(Col::PPos), Real(Col::PPos), *length);
    std::optional<int> gaps = OptionalInt(Col::Gaps);
    const std::optional<int> mismatches = OptionalInt(Col::Mismatch);
    // Every column is an identity, a mismatch or a gap.
    if (!gaps && length && identities && mismatches && *length - *identities - *mismatches >= 0)
      gaps = *length - *identities - *mismatches;
    element.m_nIdentities = identities.value_or(0);
    element.m_nPositives = positives.value_or(0);
    element.m_nGaps = gaps.value_or(0);
    m_absent.bIdentities |= !identities;
    m_absent.bPositives |= !positives;
    m_absent.bGaps |= !gaps;

    FillRows(element, length);
  }

  void FillRows(CBlastSearchHitElement& element, std::optional<int> length) {
    int queryFrame = 0, subjectFrame = 0;
    if (m_columns.Has(Col::Frames) && !NotGiven(Field(Col::Frames))) {
      const std::string_view frames = Field(Col::Frames);
      const std::size_t slash = std::min(frames.find('/'), frames.size());
      const char* end = frames.data() + frames.size();
      const auto a = std::from_chars(frames.data(), frames.data() + slash, queryFrame);
      const auto b = slash < frames.size()
                         ? std::from_chars(frames.data() + slash + 1, end, subjectFrame)
                         : std::from_chars_result{end, std::errc::invalid_argument};
      if (a.ec != std::errc() || a.ptr != frames.data() + slash || b.ec != std::errc() ||
          b.ptr != end)
        Fail("the frames value '" + std::string(frames.substr(0, 40)) + "' is not two frames");
    }
    if (auto frame = OptionalInt(Col::QFrame)) queryFrame = *frame;
    if (auto frame = OptionalInt(Col::SFrame)) subjectFrame = *frame;
    if (m_strProgram == "blastx") {
      element.m_nFrame = queryFrame;
    } else if (m_strProgram == "tblastn") {
      element.m_nFrame = subjectFrame;
    } else if (m_strProgram == "tblastx") {
      element.m_nFrame = queryFrame;
      SetSubjectFrame(element, subjectFrame);
    }
    const bool subjectMinus = Field(Col::SStrand) == "minus";
    // BLAST+ numbers a row on the minus strand from its higher end.
    const std::optional<int> qstart = OptionalInt(Col::QStart), qend = OptionalInt(Col::QEnd);
    const std::optional<int> sstart = OptionalInt(Col::SStart), send = OptionalInt(Col::SEnd);
    if (qstart && qend)
      SetRowSpan(element, false, *qstart, *qend, *qstart > *qend || queryFrame < 0);
    else if (qstart || qend)
      element.m_Query.m_nStart = qstart.value_or(0), element.m_Query.m_nEnd = qend.value_or(0);
    if (sstart && send)
      SetRowSpan(element, true, *sstart, *send,
                 *sstart > *send || subjectFrame < 0 || subjectMinus);
    else if (sstart || send)
      element.m_Subject.m_nStart = sstart.value_or(0), element.m_Subject.m_nEnd = send.value_or(0);

    if (m_columns.Has(Col::QSeq) && m_columns.Has(Col::SSeq)) {
      element.m_Query.m_strSeq = UpperCaseRow(Field(Col::QSeq));
      element.m_Subject.m_strSeq = UpperCaseRow(Field(Col::SSeq));
      if (element.m_Query.m_strSeq.size() > INT_MAX) Fail("the query row is too long");
      element.m_Query.m_nLength = static_cast<int>(element.m_Query.m_strSeq.size());
    } else {
      element.m_Query.m_nLength = length.value_or(0);  // the alignment's columns
    }
    element.m_Subject.m_nLength = element.m_Query.m_nLength;
  }

  static void Transfer(CBlastSearchEntry& from, CBlastSearchEntry& to) {
    to.m_Hits.m_HitList.swap(from.m_Hits.m_HitList);
    to.m_Hits.m_strInfo = std::move(from.m_Hits.m_strInfo);
    to.m_Mol.m_strName = std::move(from.m_Mol.m_strName);
    to.m_Mol.m_strID = std::move(from.m_Mol.m_strID);
    to.m_Mol.m_nType = from.m_Mol.m_nType;
    to.m_Mol.m_nType2 = from.m_Mol.m_nType2;
    to.m_Mol.m_nWord1 = from.m_Mol.m_nWord1;
    to.m_Mol.m_nWord2 = from.m_Mol.m_nWord2;
    to.m_Mol.m_nLength = from.m_Mol.m_nLength;
  }

  CReportSource& m_source;
  const CResultReadOptions m_options;
  const ReportLayout m_layout;
  const std::uint64_t m_nMaxLine;

  std::string m_strBuf;
  std::size_t m_nPos = 0;
  std::size_t m_nScanned = 0;  // bytes after m_nPos known to hold no line end
  std::uint64_t m_nLine = 0;   // lines read
  bool m_bEof = false;
  std::size_t m_nChunk = kChunk / 16;  // the next piece to read
  bool m_bEnd = false;
  std::string m_strCutOff;  // why the report looks cut off; empty when it does not

  char m_cDelimiter = '\t';
  CColumns m_columns;
  std::vector<std::string_view> m_fields;
  std::vector<std::string> m_unquoted;
  std::vector<std::size_t> m_quotedAt;

  std::string m_strProgram, m_strVersion, m_strDatabase, m_strQueryName;
  int m_nRound = 0;
  int m_nQuery = 0;
  int m_nHitType = 1;
  bool m_bSawClosing = false;
  bool m_bBlockSaid = false;                      // the block read holds more than its first line
  std::unique_ptr<CBlastSearchEntry> m_pCurrent;  // the result being read
  std::unique_ptr<CBlastSearchEntry> m_pHeld;     // a finished block, fate not yet known
  std::deque<std::unique_ptr<CBlastSearchEntry>> m_ready;
  std::string m_strQueryKey, m_strSubjectKey;
  std::unordered_set<std::string> m_seenSubjects;
  CAbsent m_absent;
};

}  // namespace

std::unique_ptr<CResultReader> MakeBlastTabularReader(CReportSource& source,
                                                      const CResultReadOptions& options,
                                                      ReportLayout layout) {
  if (layout != ReportLayout::Tabular && layout != ReportLayout::CommentedTabular &&
      layout != ReportLayout::Csv)
    throw CReportError(std::string("not a tabular layout: ") + ReportLayoutName(layout));
  return std::make_unique<CBlastTabularReader>(source, options, layout);
}

}  // namespace blastsearch
