#include "parse/BlastXmlReader.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <exception>
#include <initializer_list>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "model/BlastSearchEntry.h"
#include "model/ResultInfo.h"
#include "parse/XmlScanner.h"

namespace blastsearch {

namespace {

// The bytes read from the source at a time (one buffer per reader, so small
// reports do not pay for a large one).
constexpr std::size_t kChunkSize = std::size_t{64} << 10;
// Deeper nesting than this is no BLAST report.
constexpr int kMaxDepth = 64;
// The longest text one element may hold (a row of the longest sequence).
constexpr std::size_t kMaxElementText = std::size_t{64} << 20;

// ---- the elements read -----------------------------------------------------

// What an element means to the reader: a container it follows or a value it
// keeps.
enum class Tag {
  Other,
  // containers
  Report,  // XML2: one query's report (a new query begins)
  Result,  // Iteration (XML) or Search (XML2)
  Hit,
  HitDescr,
  Hsp,
  // values of the report
  Program,
  Version,
  Database,
  Matrix,
  // values of the result
  QueryId,
  QueryDef,
  QueryLen,
  // values of the hit
  HitId,
  HitDef,
  HitAccession,
  HitLen,
  // values of the segment pair
  BitScore,
  Score,
  Evalue,
  QueryFrom,
  QueryTo,
  HitFrom,
  HitTo,
  QueryFrame,
  HitFrame,
  QueryStrand,
  HitStrand,
  Identity,
  Positive,
  Gaps,
  AlignLen,
  QuerySeq,
  HitSeq,
};

// A name's hash from its length and three of its characters: cheap for the
// element opened at every step of a report, and enough to tell the known
// names apart (the table holds only them, so no input can crowd it).
struct CTagHash {
  std::size_t operator()(std::string_view name) const noexcept {
    std::size_t hash = name.size();
    if (!name.empty()) {
      for (const std::size_t at : {name.size() - 1, name.size() / 2, name.size() * 3 / 4})
        hash = hash * 131 + static_cast<unsigned char>(name[at]);
    }
    return hash;
  }
};

// The known names in an open-addressed table of fixed size (a few dozen
// names in 256 slots: a lookup is mostly one comparison).
class CTagTable {
 public:
  CTagTable(std::initializer_list<std::pair<std::string_view, Tag>> entries) {
    for (const auto& [name, tag] : entries) {
      std::size_t at = CTagHash()(name) & kMask;
      while (!m_slots[at].name.empty()) at = (at + 1) & kMask;
      m_slots[at] = {name, tag};
    }
  }
  // The tag of `name`; Tag::Other when it is none of the known names.
  Tag Find(std::string_view name) const {
    for (std::size_t at = CTagHash()(name) & kMask;; at = (at + 1) & kMask) {
      const CSlot& slot = m_slots[at];
      if (slot.name.empty()) return Tag::Other;
      if (slot.name == name) return slot.tag;
    }
  }

 private:
  static constexpr std::size_t kSize = 256, kMask = kSize - 1;
  struct CSlot {
    std::string_view name;
    Tag tag = Tag::Other;
  };
  std::array<CSlot, kSize> m_slots{};
};

const CTagTable& XmlTags() {
  static const CTagTable table = {
      {"BlastOutput_program", Tag::Program},
      {"BlastOutput_version", Tag::Version},
      {"BlastOutput_db", Tag::Database},
      {"Parameters_matrix", Tag::Matrix},
      {"Iteration", Tag::Result},
      {"Iteration_query-ID", Tag::QueryId},
      {"Iteration_query-def", Tag::QueryDef},
      {"Iteration_query-len", Tag::QueryLen},
      {"Hit", Tag::Hit},
      {"Hit_id", Tag::HitId},
      {"Hit_def", Tag::HitDef},
      {"Hit_accession", Tag::HitAccession},
      {"Hit_len", Tag::HitLen},
      {"Hsp", Tag::Hsp},
      {"Hsp_bit-score", Tag::BitScore},
      {"Hsp_score", Tag::Score},
      {"Hsp_evalue", Tag::Evalue},
      {"Hsp_query-from", Tag::QueryFrom},
      {"Hsp_query-to", Tag::QueryTo},
      {"Hsp_hit-from", Tag::HitFrom},
      {"Hsp_hit-to", Tag::HitTo},
      {"Hsp_query-frame", Tag::QueryFrame},
      {"Hsp_hit-frame", Tag::HitFrame},
      {"Hsp_identity", Tag::Identity},
      {"Hsp_positive", Tag::Positive},
      {"Hsp_gaps", Tag::Gaps},
      {"Hsp_align-len", Tag::AlignLen},
      {"Hsp_qseq", Tag::QuerySeq},
      {"Hsp_hseq", Tag::HitSeq},
  };
  return table;
}

const CTagTable& Xml2Tags() {
  static const CTagTable table = {
      {"Report", Tag::Report},        {"program", Tag::Program},
      {"version", Tag::Version},      {"db", Tag::Database},
      {"matrix", Tag::Matrix},        {"Search", Tag::Result},
      {"query-id", Tag::QueryId},     {"query-title", Tag::QueryDef},
      {"query-len", Tag::QueryLen},   {"Hit", Tag::Hit},
      {"HitDescr", Tag::HitDescr},    {"id", Tag::HitId},
      {"title", Tag::HitDef},         {"accession", Tag::HitAccession},
      {"len", Tag::HitLen},           {"Hsp", Tag::Hsp},
      {"bit-score", Tag::BitScore},   {"score", Tag::Score},
      {"evalue", Tag::Evalue},        {"query-from", Tag::QueryFrom},
      {"query-to", Tag::QueryTo},     {"hit-from", Tag::HitFrom},
      {"hit-to", Tag::HitTo},         {"query-frame", Tag::QueryFrame},
      {"hit-frame", Tag::HitFrame},   {"query-strand", Tag::QueryStrand},
      {"hit-strand", Tag::HitStrand}, {"identity", Tag::Identity},
      {"positive", Tag::Positive},    {"gaps", Tag::Gaps},
      {"align-len", Tag::AlignLen},   {"qseq", Tag::QuerySeq},
      {"hseq", Tag::HitSeq},
  };
  return table;
}

bool IsContainer(Tag tag) {
  return tag == Tag::Report || tag == Tag::Result || tag == Tag::Hit || tag == Tag::HitDescr ||
         tag == Tag::Hsp;
}

// A segment pair as read, before it becomes a hit element.
struct CHspDraft {
  CBlastSearchHitElement element;
  int nQueryFrom = 0, nQueryTo = 0, nHitFrom = 0, nHitTo = 0;
  int nQueryFrame = 0, nHitFrame = 0;
  int nQueryStrand = 0, nHitStrand = 0;  // 1 plus, -1 minus, 0 not given
  bool bPositives = false;
};

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
    text.remove_prefix(1);
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
    text.remove_suffix(1);
  return text;
}

std::string FirstWord(std::string_view text) {
  text = Trimmed(text);
  return std::string(text.substr(0, text.find_first_of(" \t\r\n")));
}

bool IsNumber(std::string_view text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
    return std::isdigit(static_cast<unsigned char>(c));
  });
}

// True for the identifiers BLAST+ gives queries it did not parse an id from
// ("Query_3", "lcl|Query_3"; "lcl|3" and "lcl|3_0" in its early versions).
bool IsGeneratedQueryId(std::string_view id) {
  if (id.starts_with("lcl|")) {
    id.remove_prefix(4);
    const std::size_t underscore = id.find('_');
    if (IsNumber(id.substr(0, underscore)) &&
        (underscore == std::string_view::npos || IsNumber(id.substr(underscore + 1))))
      return true;
  }
  return id.starts_with("Query_") && IsNumber(id.substr(6));
}

// The hit's name as the pairwise text shows it: the accession of its first
// database field (a "gi|n|" prefix set aside); for an id that BLAST+ made up
// itself, the first word of the definition line.
std::string ShownNameOfSeqId(std::string_view id) {
  if (id.starts_with("gi|")) {
    const std::size_t bar = id.find('|', 3);
    if (bar != std::string_view::npos && bar + 1 < id.size()) id.remove_prefix(bar + 1);
  }
  return AccessionOfSeqId(id);
}

void SortPair(int& start, int& end, bool minus) {
  if ((start > end) != minus) std::swap(start, end);
}

class CBlastXmlReader final : public CResultReader {
 public:
  CBlastXmlReader(CReportSource& source, const CResultReadOptions& options, bool xml2);
  int ReadNext(CBlastSearchEntry& entry) override;

 private:
  void StartElement(std::string_view name);
  void EndElement();
  void AppendText(std::string_view text);
  // Stops the parse with `message` (the position is added).
  void Fail(const std::string& message);

  // Reads tokens until a result is ready or the report ends.
  void Pump();
  // Hands the scanner's next token to the members above.
  void Step();
  // Old blastall wrote one whole document per query, one after the other:
  // when the bytes after a document's end open another, it is read as part
  // of the report. False when they do not.
  bool StartNextDocument();
  // The scan stopped on `error`: a cut report gives its last result as
  // partial, damage becomes the failure.
  void HandleScanError(const CXmlError& error);
  void FinishAtEnd();
  std::string Where() const;
  std::string DamagedMessage(const std::string& what) const;

  void BeginResult();
  void EndResult();
  void EndHsp();
  // Sets the hit's name and link identifier from its id (and definition).
  void NameHit();
  void StoreValue(Tag tag, std::string_view text);
  // The number in `text`; a text that is not one fails the parse.
  int ParseInt(std::string_view text);
  double ParseDouble(std::string_view text);
  void FinishQuery(CBlastSearchEntry& entry);
  // Hands a finished result to the queue, keeping back a PSI-BLAST round
  // until it is known to be its query's last (unless every round is asked
  // for).
  void Complete(std::unique_ptr<CBlastSearchEntry> result);
  void FlushHeld();

  CResultReadOptions m_options;
  bool m_bXml2;
  const CTagTable& m_tags;
  CXmlScanner m_scanner;
  bool m_bFinished = false;
  std::string m_strFailure;         // why the parse stopped
  std::exception_ptr m_pException;  // the memory failure that stopped it

  // Element stack: the meaning of each open element.
  std::vector<Tag> m_stack;
  bool m_bRootSeen = false;
  bool m_bCapture = false;  // the open element's text is kept
  std::string m_strText;

  // The report's values.
  std::string m_strProgram, m_strVersion, m_strDatabase, m_strMatrix;
  int m_nQueryType = 1, m_nHitType = 1;
  int m_nQueryNumber = 0;
  int m_nRound = 0;
  std::string m_strLastQueryKey;
  bool m_bNewReport = false;

  // The result being read.
  std::unique_ptr<CBlastSearchEntry> m_pResult;
  std::string m_strQueryId, m_strQueryDef;
  std::unique_ptr<CBlastSearchHit> m_pHit;
  std::string m_strHitId, m_strHitAccession;
  int m_nHitDescr = 0;
  std::unique_ptr<CHspDraft> m_pHsp;

  std::unique_ptr<CBlastSearchEntry> m_pHeld;
  std::deque<std::unique_ptr<CBlastSearchEntry>> m_ready;
};

CBlastXmlReader::CBlastXmlReader(CReportSource& source, const CResultReadOptions& options,
                                 bool xml2)
    : m_options(options),
      m_bXml2(xml2),
      m_tags(xml2 ? Xml2Tags() : XmlTags()),
      m_scanner(source, kChunkSize) {
  m_stack.reserve(kMaxDepth);
  m_scanner.SetTextWanted(false);
}

bool CBlastXmlReader::StartNextDocument() {
  if (m_bXml2 || !m_bRootSeen || !m_stack.empty()) return false;
  const std::string_view rest = m_scanner.Ahead();
  if (!rest.starts_with("<?xml") && !rest.starts_with("<!DOCTYPE BlastOutput") &&
      !rest.starts_with("<BlastOutput"))
    return false;
  m_scanner.BeginNextDocument();
  m_bRootSeen = false;
  m_bNewReport = true;
  return true;
}

void CBlastXmlReader::Fail(const std::string& message) {
  if (m_strFailure.empty()) m_strFailure = message + Where();
}

std::string CBlastXmlReader::Where() const {
  return " (line " + std::to_string(m_scanner.Line()) + ", column " +
         std::to_string(m_scanner.Column()) + ")";
}

std::string CBlastXmlReader::DamagedMessage(const std::string& what) const {
  return std::string(m_bXml2 ? "BLAST+ XML2" : "BLAST+ XML") + " is damaged: " + what;
}

void CBlastXmlReader::StartElement(std::string_view name) {
  if (!m_strFailure.empty()) return;
  if (static_cast<int>(m_stack.size()) >= kMaxDepth) {
    Fail("elements are nested more than " + std::to_string(kMaxDepth) + " deep");
    return;
  }
  if (!m_bRootSeen) {
    m_bRootSeen = true;
    const bool known =
        m_bXml2 ? (name == "BlastXML2" || name == "BlastOutput2") : name == "BlastOutput";
    if (!known) {
      Fail("the document is <" + std::string(name) + ">, not " +
           (m_bXml2 ? "BLAST+ XML2 (<BlastXML2>)" : "BLAST+ XML (<BlastOutput>)"));
      return;
    }
  }
  Tag tag = m_tags.Find(name);
  // A value counts only inside the container it belongs to.
  const bool inHsp = m_pHsp != nullptr;
  if (tag >= Tag::QueryId && tag <= Tag::QueryLen && (!m_pResult || m_pHit)) tag = Tag::Other;
  if (tag >= Tag::HitId && tag <= Tag::HitLen && (!m_pHit || inHsp)) tag = Tag::Other;
  if (m_bXml2 && (tag == Tag::HitId || tag == Tag::HitDef || tag == Tag::HitAccession) &&
      (m_stack.empty() || m_stack.back() != Tag::HitDescr || m_nHitDescr != 1))
    tag = Tag::Other;
  if (tag >= Tag::BitScore && !inHsp) tag = Tag::Other;
  if (tag >= Tag::Program && tag <= Tag::Database && m_pResult) tag = Tag::Other;
  m_stack.push_back(tag);
  m_strText.clear();
  m_bCapture = !IsContainer(tag) && tag != Tag::Other;
  switch (tag) {
    case Tag::Report:
      m_bNewReport = true;
      break;
    case Tag::Result:
      if (m_pResult) {
        Fail("a result opens inside another");
        return;
      }
      BeginResult();
      break;
    case Tag::Hit:
      if (!m_pResult || m_pHit) {
        m_stack.back() = Tag::Other;
        break;
      }
      m_pHit = std::make_unique<CBlastSearchHit>();
      m_pHit->m_nMolType = m_nHitType;
      m_strHitId.clear();
      m_strHitAccession.clear();
      m_nHitDescr = 0;
      break;
    case Tag::HitDescr:
      if (m_pHit) ++m_nHitDescr;
      break;
    case Tag::Hsp:
      if (!m_pHit || m_pHsp) {
        m_stack.back() = Tag::Other;
        break;
      }
      m_pHsp = std::make_unique<CHspDraft>();
      break;
    default:
      break;
  }
}

void CBlastXmlReader::AppendText(std::string_view text) {
  if (m_strText.size() + text.size() > kMaxElementText) {
    m_bCapture = false;
    Fail("an element's text is longer than " + std::to_string(kMaxElementText >> 20) + " MiB");
    return;
  }
  m_strText.append(text);
}

void CBlastXmlReader::EndElement() {
  if (!m_strFailure.empty() || m_stack.empty()) return;
  const Tag tag = m_stack.back();
  m_stack.pop_back();
  m_bCapture = false;
  switch (tag) {
    case Tag::Other:
    case Tag::Report:
    case Tag::HitDescr:
      break;
    case Tag::Result:
      EndResult();
      break;
    case Tag::Hit:
      if (!m_pHit->m_ElementList.empty() || !m_strHitId.empty()) {
        NameHit();
        m_pResult->m_Hits.m_HitList.push_back(std::move(m_pHit));
      }
      m_pHit.reset();
      break;
    case Tag::Hsp:
      EndHsp();
      break;
    default:
      StoreValue(tag, m_strText);
      break;
  }
  m_strText.clear();
}

void CBlastXmlReader::NameHit() {
  CBlastSearchHit& hit = *m_pHit;
  // An id that BLAST+ numbered itself: the definition line holds the
  // sequence's own name first, as the pairwise text shows it.
  const bool numbered = m_strHitId.starts_with("gnl|BL_ORD_ID|") && !hit.m_strDescription.empty();
  if (numbered) {
    const std::string_view line = hit.m_strDescription;
    const std::size_t space = line.find(' ');
    hit.m_strName = std::string(line.substr(0, space));
    hit.m_strDescription =
        space == std::string_view::npos ? std::string() : std::string(Trimmed(line.substr(space)));
  } else {
    hit.m_strName = ShownNameOfSeqId(m_strHitId);
  }
  hit.m_strID = AccessionOfSeqId(numbered || m_strHitId.empty() ? hit.m_strName : m_strHitId);
  if (hit.m_strID.empty()) hit.m_strID = m_strHitAccession;
}

void CBlastXmlReader::BeginResult() {
  m_pResult = std::make_unique<CBlastSearchEntry>();
  m_strQueryId.clear();
  m_strQueryDef.clear();
  int queryType = 1, hitType = 1;
  if (MoleculeTypesOfProgram(m_strProgram, queryType, hitType)) {
    m_nQueryType = queryType;
    m_nHitType = hitType;
  }
}

int CBlastXmlReader::ParseInt(std::string_view text) {
  const std::string_view value = Trimmed(text);
  int number = 0;
  const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), number);
  if (value.empty() || error != std::errc() || end != value.data() + value.size()) {
    Fail("\"" + std::string(value.substr(0, 40)) + "\" is not a whole number");
    return 0;
  }
  return number;
}

double CBlastXmlReader::ParseDouble(std::string_view text) {
  std::string_view value = Trimmed(text);
  if (!value.empty() && value.front() == '+') value.remove_prefix(1);
  double number = 0;
  const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), number);
  // A value too small for a double is 0, as the report means it.
  const bool underflow =
      error == std::errc::result_out_of_range && end == value.data() + value.size();
  if (value.empty() || (error != std::errc() && !underflow) || end != value.data() + value.size()) {
    Fail("\"" + std::string(value.substr(0, 40)) + "\" is not a number");
    return 0.0;
  }
  return underflow ? 0.0 : number;
}

void CBlastXmlReader::StoreValue(Tag tag, std::string_view text) {
  CHspDraft* hsp = m_pHsp.get();
  // ASCII letters only, as the C locale's toupper, without a call per
  // character.
  auto upper = [](std::string_view row) {
    std::string out(row);
    for (char& c : out) {
      const auto u = static_cast<unsigned char>(c);
      c = static_cast<char>(u - (static_cast<unsigned char>(u - 'a') < 26 ? 'a' - 'A' : 0));
    }
    return out;
  };
  auto strand = [](std::string_view value) {
    value = Trimmed(value);
    return value == "Minus" ? -1 : value == "Plus" ? 1 : 0;
  };
  switch (tag) {
    case Tag::Program: {
      m_strProgram = std::string(Trimmed(text));
      for (char& c : m_strProgram)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      break;
    }
    case Tag::Version:
      m_strVersion = std::string(Trimmed(text));
      break;
    case Tag::Database:
      m_strDatabase = std::string(Trimmed(text));
      break;
    case Tag::Matrix:
      m_strMatrix = std::string(Trimmed(text));
      break;
    case Tag::QueryId:
      m_strQueryId = std::string(Trimmed(text));
      break;
    case Tag::QueryDef:
      m_strQueryDef = std::string(Trimmed(text));
      break;
    case Tag::QueryLen:
      m_pResult->m_Mol.m_nLength = ParseInt(text);
      break;
    case Tag::HitId:
      m_strHitId = std::string(Trimmed(text));
      break;
    case Tag::HitDef:
      m_pHit->m_strDescription = std::string(Trimmed(text));
      break;
    case Tag::HitAccession:
      m_strHitAccession = std::string(Trimmed(text));
      break;
    case Tag::HitLen:
      m_pHit->m_nLength = ParseInt(text);
      break;
    case Tag::BitScore:
      hsp->element.m_dBitScore = ParseDouble(text);
      break;
    case Tag::Score:
      hsp->element.m_nScore = ParseInt(text);
      break;
    case Tag::Evalue:
      hsp->element.m_dExpect = ParseDouble(text);
      break;
    case Tag::QueryFrom:
      hsp->nQueryFrom = ParseInt(text);
      break;
    case Tag::QueryTo:
      hsp->nQueryTo = ParseInt(text);
      break;
    case Tag::HitFrom:
      hsp->nHitFrom = ParseInt(text);
      break;
    case Tag::HitTo:
      hsp->nHitTo = ParseInt(text);
      break;
    case Tag::QueryFrame:
      hsp->nQueryFrame = ParseInt(text);
      break;
    case Tag::HitFrame:
      hsp->nHitFrame = ParseInt(text);
      break;
    case Tag::QueryStrand:
      hsp->nQueryStrand = strand(text);
      break;
    case Tag::HitStrand:
      hsp->nHitStrand = strand(text);
      break;
    case Tag::Identity:
      hsp->element.m_nIdentities = ParseInt(text);
      break;
    case Tag::Positive:
      hsp->element.m_nPositives = ParseInt(text);
      hsp->bPositives = true;
      break;
    case Tag::Gaps:
      hsp->element.m_nGaps = ParseInt(text);
      break;
    case Tag::AlignLen:
      hsp->element.m_nAlignLength = ParseInt(text);
      break;
    case Tag::QuerySeq:
      hsp->element.m_Query.m_strSeq = upper(Trimmed(text));
      break;
    case Tag::HitSeq:
      hsp->element.m_Subject.m_strSeq = upper(Trimmed(text));
      break;
    default:
      break;
  }
}

void CBlastXmlReader::EndHsp() {
  CHspDraft& hsp = *m_pHsp;
  CBlastSearchHitElement& element = hsp.element;
  const bool translatedQuery = m_strProgram == "blastx" || m_strProgram == "tblastx";
  const bool translatedHit = m_strProgram == "tblastn" || m_strProgram == "tblastx";
  const bool nucleotide = m_nQueryType != 2 && m_nHitType != 2 && !translatedQuery;
  // The strand of each side: from the frame of a translated side, from the
  // strand or frame of a nucleotide search, else from the numbering.
  auto minusOf = [&](int frame, int strand, int from, int to, bool translated) {
    if (translated) return frame < 0;
    if (strand != 0) return strand < 0;
    if (nucleotide && frame != 0) return frame < 0;
    return from > to;
  };
  const bool queryMinus =
      minusOf(hsp.nQueryFrame, hsp.nQueryStrand, hsp.nQueryFrom, hsp.nQueryTo, translatedQuery);
  const bool hitMinus =
      minusOf(hsp.nHitFrame, hsp.nHitStrand, hsp.nHitFrom, hsp.nHitTo, translatedHit);
  // Rows on the minus strand are numbered downwards, as the pairwise text
  // shows them.
  element.m_Query.m_nStart = hsp.nQueryFrom;
  element.m_Query.m_nEnd = hsp.nQueryTo;
  SortPair(element.m_Query.m_nStart, element.m_Query.m_nEnd, queryMinus);
  element.m_Subject.m_nStart = hsp.nHitFrom;
  element.m_Subject.m_nEnd = hsp.nHitTo;
  SortPair(element.m_Subject.m_nStart, element.m_Subject.m_nEnd, hitMinus);
  element.m_Query.m_bMinusStrand = queryMinus ? 1 : 0;
  element.m_Subject.m_bMinusStrand = hitMinus ? 1 : 0;
  if (translatedQuery) {
    element.m_nFrame = hsp.nQueryFrame;
    if (translatedHit) SetSubjectFrame(element, hsp.nHitFrame);
  } else if (translatedHit) {
    element.m_nFrame = hsp.nHitFrame;
  }
  // XML2 leaves out the positives of nucleotide searches: every identity is
  // one.
  if (nucleotide && !hsp.bPositives) element.m_nPositives = element.m_nIdentities;
  const int columns = static_cast<int>(element.m_Query.m_strSeq.size());
  element.m_Query.m_nLength = columns;
  element.m_Subject.m_nLength = columns;
  m_pHit->m_ElementList.push_back(std::make_unique<CBlastSearchHitElement>(std::move(hsp.element)));
  m_pHsp.reset();
}

void CBlastXmlReader::FinishQuery(CBlastSearchEntry& entry) {
  // The query line as the pairwise text shows it: a parsed identifier, then
  // the definition.
  std::string name = m_strQueryDef;
  if (!m_strQueryId.empty() && !IsGeneratedQueryId(m_strQueryId))
    name = m_strQueryDef.empty() ? m_strQueryId : m_strQueryId + " " + m_strQueryDef;
  entry.m_Mol.m_strName = name;
  entry.m_Mol.m_strID = FirstWord(name);
  entry.m_Mol.m_nType = m_nQueryType;
  // A new query: a new report (XML2), else another query identifier.
  const std::string key = m_strQueryId + '\n' + m_strQueryDef;
  if (m_bNewReport || m_nQueryNumber == 0 || (!m_bXml2 && key != m_strLastQueryKey)) {
    ++m_nQueryNumber;
    m_nRound = 0;
  }
  m_bNewReport = false;
  m_strLastQueryKey = key;
  ++m_nRound;
  SetResultInfo(entry, result_info::kLayout,
                ReportLayoutName(m_bXml2 ? ReportLayout::BlastXml2 : ReportLayout::BlastXml));
  SetResultInfo(entry, result_info::kProgram, m_strProgram);
  SetResultInfo(entry, result_info::kVersion, m_strVersion);
  SetResultInfo(entry, result_info::kDatabase, m_strDatabase);
  SetResultInfo(entry, result_info::kMatrix, m_strMatrix);
  SetResultInfo(entry, result_info::kQueryNumber, std::to_string(m_nQueryNumber));
  if (m_strProgram == "psiblast")
    SetResultInfo(entry, result_info::kRound, std::to_string(m_nRound));
}

void CBlastXmlReader::EndResult() {
  FinishQuery(*m_pResult);
  Complete(std::move(m_pResult));
}

void CBlastXmlReader::Complete(std::unique_ptr<CBlastSearchEntry> result) {
  if (m_pHeld && GetResultInfo(*m_pHeld, result_info::kQueryNumber) !=
                     GetResultInfo(*result, result_info::kQueryNumber))
    FlushHeld();
  const bool hold = !m_options.bEveryRound && m_strProgram == "psiblast";
  if (hold && GetResultInfo(*result, result_info::kPartial).empty()) {
    m_pHeld = std::move(result);  // an earlier round of the same query is dropped
  } else {
    FlushHeld();
    m_ready.push_back(std::move(result));
  }
}

void CBlastXmlReader::FlushHeld() {
  if (m_pHeld) m_ready.push_back(std::move(m_pHeld));
}

void CBlastXmlReader::HandleScanError(const CXmlError& error) {
  const std::string where = " (line " + std::to_string(error.m_nLine) + ", column " +
                            std::to_string(error.m_nColumn) + ")";
  if (!error.m_bCut) {
    m_strFailure = DamagedMessage(error.what()) + where;
    return;
  }
  // Bytes that stop before the document closes: the report was cut off.
  if (m_pResult) {
    FinishAtEnd();
    return;
  }
  m_strFailure = m_bRootSeen
                     ? "the report ends before its end after " + std::to_string(m_nQueryNumber) +
                           " quer" + (m_nQueryNumber == 1 ? "y" : "ies") + where
                     : "the report holds no XML element";
}

void CBlastXmlReader::FinishAtEnd() {
  // The result being read when the bytes ran out: what was complete of it.
  std::string missing = "the report ends inside this result";
  if (m_pHsp) missing += ", in a segment pair (left out)";
  if (m_pHit) {
    if (!m_pHit->m_ElementList.empty()) {
      NameHit();
      m_pResult->m_Hits.m_HitList.push_back(std::move(m_pHit));
      missing += "; its last hit may lack segment pairs";
    } else {
      missing += "; a hit without a whole segment pair is left out";
    }
  }
  m_pHsp.reset();
  m_pHit.reset();
  FinishQuery(*m_pResult);
  SetResultInfo(*m_pResult, result_info::kPartial, missing);
  FlushHeld();
  m_ready.push_back(std::move(m_pResult));
  m_bFinished = true;
}

void CBlastXmlReader::Step() {
  switch (m_scanner.Next()) {
    case CXmlScanner::Token::StartTag:
      StartElement(m_scanner.Name());
      break;
    case CXmlScanner::Token::EndTag:
      EndElement();
      break;
    case CXmlScanner::Token::Text:
      if (m_bCapture) AppendText(m_scanner.Text());
      break;
    case CXmlScanner::Token::Doctype:
      // Nothing outside the report is ever read, nor any entity defined.
      if (m_scanner.HasInternalSubset())
        Fail("the document type declares markup of its own, which no BLAST report does");
      break;
    case CXmlScanner::Token::AfterRoot:
      if (!StartNextDocument())
        m_strFailure = DamagedMessage("junk after document element") + Where();
      break;
    case CXmlScanner::Token::End:
      FlushHeld();
      m_bFinished = true;
      break;
  }
  m_scanner.SetTextWanted(m_bCapture);
}

void CBlastXmlReader::Pump() {
  while (m_ready.empty() && !m_bFinished) {
    try {
      Step();
    } catch (const CXmlError& error) {
      HandleScanError(error);
    } catch (const std::bad_alloc&) {
      m_pException = std::make_exception_ptr(CMemoryException("out of memory reading XML"));
      m_bFinished = true;
      std::rethrow_exception(m_pException);
    }
    if (!m_strFailure.empty()) {
      // The rounds kept back are complete: they are handed out first.
      m_bFinished = true;
      FlushHeld();
    }
  }
}

int CBlastXmlReader::ReadNext(CBlastSearchEntry& entry) {
  if (m_options.pStop && *m_options.pStop) return 0;
  Pump();
  if (m_ready.empty()) {
    // The error that ended the report, again on every later call.
    if (m_pException) std::rethrow_exception(m_pException);
    if (!m_strFailure.empty()) throw CReportError(m_strFailure);
    return 0;
  }
  std::unique_ptr<CBlastSearchEntry> result = std::move(m_ready.front());
  m_ready.pop_front();
  entry.m_Mol = result->m_Mol;
  entry.m_Hits.m_strInfo.swap(result->m_Hits.m_strInfo);
  entry.m_Hits.m_HitList.splice(entry.m_Hits.m_HitList.end(), result->m_Hits.m_HitList);
  return 1;
}

}  // namespace

std::unique_ptr<CResultReader> MakeBlastXmlReader(CReportSource& source,
                                                  const CResultReadOptions& options, bool xml2) {
  return std::make_unique<CBlastXmlReader>(source, options, xml2);
}

}  // namespace blastsearch
