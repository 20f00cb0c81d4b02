#include "parse/NCBIAnalyserQ.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <memory>

#include "model/BlastSearchEntry.h"
#include "parse/MarkerCache.h"
#include "parse/ReportWalk.h"
#include "parse/ScanText.h"
#include "platform/File.h"

namespace {

// One walk over a QBlast report: a single cursor moved forward through the
// text, hits and elements appended to the entry as they are read.
class CQBlastReportWalk {
 public:
  CQBlastReportWalk(char* text, CBlastSearchEntry& entry, const CParseControl& control,
                    int nQueryType, int nHitType)
      : m_markers(text),
        m_pCursor(text),
        m_entry(entry),
        m_control(control),
        m_nQueryType(nQueryType),
        m_nHitType(nHitType) {}

  int Run();

 private:
  // Reads the alignments of one hit; false when the parse must end because
  // an alignment consumed nothing and would repeat forever.
  bool ReadElements(CBlastSearchHit& hit);
  void ReadCounts(const char* label, int& count, int& alignLength);
  void ReadRows(CBlastSearchHitElement& element);
  bool AppendQueryResidues(CBlastSearchSeqComponent& row, const char* rowStart);

  bool Take(const char* first, const char* second, const char* skip, const char* stop) {
    return m_markers.GetString(&m_pCursor, first, second, skip, m_strValue, stop) != 0;
  }
  std::size_t Remaining() const { return static_cast<std::size_t>(m_markers.End() - m_pCursor); }

  CMarkerCache m_markers;
  char* m_pCursor;
  std::string m_strValue;  // the value taken last
  CBlastSearchEntry& m_entry;
  const CParseControl& m_control;
  int m_nQueryType;
  int m_nHitType;
};

int CQBlastReportWalk::Run() {
  SetUpQueryMolecule(m_entry.m_Mol, m_nQueryType);
  // The query length, in parentheses after the query's name; a thousands
  // separator does no harm.
  if (Take("Query=", "(", nullptr, " l)\n\r")) m_entry.m_Mol.m_nLength = atoi(m_strValue);
  if (!m_markers.FindString(&m_pCursor, "Sequences producing significant alignments:", 0)) {
    return 0;
  }
  int nHits = 0;
  for (;;) {
    m_control.StoreProgress(nHits);
    if (m_control.StopRequested() || *m_pCursor == '\0') break;
    auto hit = std::make_unique<CBlastSearchHit>();
    hit->m_nMolType = m_nHitType;
    // The definition line: its first word is the name. Without one there is
    // no hit to make (only the first hit can lack it: the loop goes on only
    // when another definition line follows).
    if (!Take("\n>", nullptr, nullptr, " ")) break;
    // A definition line without a blank ends its name at the line break; the
    // description is then empty, and the hit's block is not taken from the
    // next line on.
    const std::size_t lineBreak = m_strValue.find_first_of("\r\n");
    if (lineBreak != std::string::npos) {
      m_pCursor -= m_strValue.size() + 1 - lineBreak;
      m_strValue.resize(lineBreak);
    }
    hit->m_strName = m_strValue;
    hit->m_strID = ParseID(m_strValue);
    if (Take(nullptr, nullptr, " ", "\r\n")) hit->m_strDescription = m_strValue;
    if (Take("Length", "=", " ", "\r\n")) hit->m_nLength = ToNumber(m_strValue);
    if (*m_pCursor == '\0') break;  // a text that ends after the length line drops the hit
    const bool goOn = ReadElements(*hit);
    m_entry.m_Hits.m_HitList.push_back(std::move(hit));
    if (!goOn || m_markers.Find(m_pCursor, "\n>") == nullptr) break;
    ++nHits;
  }
  return 1;
}

bool CQBlastReportWalk::ReadElements(CBlastSearchHit& hit) {
  for (;;) {
    if (m_control.StopRequested()) return true;
    const char* const start = m_pCursor;
    auto element = std::make_unique<CBlastSearchHitElement>();
    if (Take("Score", "=", " ", " \r\n")) {
      element->m_dBitScore = ToReal(m_strValue);
      if (Take(nullptr, "(", nullptr, ") \r\n")) element->m_nScore = ToNumber(m_strValue);
    }
    // A value in exponent form, and one followed by a comma, read correctly.
    if (Take("Expect", "=", " ", " \r\n")) element->m_dExpect = ToReal(m_strValue);
    ReadCounts("Identities", element->m_nIdentities, element->m_nAlignLength);
    ReadCounts("Positives", element->m_nPositives, element->m_nAlignLength);
    ReadCounts("Gaps", element->m_nGaps, element->m_nAlignLength);
    // Of a pair of frames only the first is read.
    if (Take("Frame", "=", " ", " \n\r")) element->m_nFrame = atoi(m_strValue);
    if (Take("Strand", "=", " ", "/ \r\n")) {
      element->m_Query.m_bMinusStrand = MinusStrandFlag(m_strValue);
      if (Take(nullptr, "/", " ", " \r\n")) {
        element->m_Subject.m_bMinusStrand = MinusStrandFlag(m_strValue);
      }
    }
    ReadRows(*element);
    AppendElement(hit, std::move(element));
    if (!m_markers.Follows(m_pCursor, "Score = ", {"\n>"})) return true;
    // An alignment that moved nothing (a text cut off right after a score
    // value) would be read again and again: end the parse here.
    if (m_pCursor == start) return false;
  }
}

void CQBlastReportWalk::ReadCounts(const char* label, int& count, int& alignLength) {
  if (!m_markers.FindString(&m_pCursor, label, 100)) return;
  // Label plus " = %d/%d (%d".
  int first = 0;
  int second = 0;
  if (ScanCounts(m_pCursor, label, first, second) >= 2) {
    count = first;
    alignLength = second;
  }
}

void CQBlastReportWalk::ReadRows(CBlastSearchHitElement& element) {
  for (int row = 0;; ++row) {
    if (m_control.StopRequested()) return;
    if (!Take("Query:", nullptr, " ", " ")) return;
    if (row == 0) {
      element.m_Query.m_nStart = ToNumber(m_strValue);
      ReserveRows(element, Remaining());
    }
    if (!AppendQueryResidues(element.m_Query, m_pCursor)) return;
    if (Take(nullptr, nullptr, " ", "\r\n")) element.m_Query.m_nEnd = atoi(m_strValue);
    if (!Take("Sbjct:", nullptr, " ", " ")) return;
    if (row == 0) element.m_Subject.m_nStart = atoi(m_strValue);
    if (Take(nullptr, nullptr, " ", " \r\n")) element.m_Subject.m_strSeq += m_strValue;
    if (Take(nullptr, nullptr, " ", "\r\n")) element.m_Subject.m_nEnd = atoi(m_strValue);
    if (!m_markers.Follows(m_pCursor, "Query: ", {"Score = ", "\n>"})) return;
  }
}

// Appends the residues of a query row to the row text; false when the text
// ends inside the row (nothing is appended then, and the row ends there).
// A "residue" run that begins with a digit is the row's end number (the row
// shows no residues): the row then gets blanks instead, and the cursor goes
// back so that the end number is read next. The count of blanks is that
// number, capped at the width of the row's line from `rowStart` (just after
// the start number) to its line break: a row never grows by more columns than
// its line really has, so a huge number cannot make an unbounded run of
// blanks.
bool CQBlastReportWalk::AppendQueryResidues(CBlastSearchSeqComponent& row, const char* rowStart) {
  if (!Take(nullptr, nullptr, " ", " \r\n")) return false;
  if (m_strValue[0] >= '0' && m_strValue[0] <= '9') {
    const std::size_t lineWidth = std::strcspn(rowStart, "\r\n");
    const auto number = static_cast<std::size_t>(std::max(atoi(m_strValue), 0));
    row.m_strSeq.append(std::min(number, lineWidth), ' ');
    m_pCursor -= m_pCursor - rowStart;
    return true;
  }
  row.m_strSeq += m_strValue;
  return true;
}

}  // namespace

CNCBIAnalyserQ::CNCBIAnalyserQ() : CNCBIAnalyserBase(nullptr) {}

CNCBIAnalyserQ::CNCBIAnalyserQ(CBlastSearchEntry* pEntry) : CNCBIAnalyserBase(pEntry) {}

int CNCBIAnalyserQ::AnalyseSubmitID(CMemFile* pResponse, std::string& strID) {
  strID.clear();
  CResponseText response = ReadResponse(pResponse);
  char* cursor = response.pText.get();
  return GetString(&cursor, "QBlastInfoBegin", "RID = ", " ", strID, " \n\r", 0);
}

int CNCBIAnalyserQ::CheckReady(CFile* pResponse) {
  CResponseText response = ReadResponse(pResponse);
  std::string message;
  const int status = AnalyseStatus(response.pText.get(), message);
  if (status < 0) m_strError = message;
  return status;
}

int CNCBIAnalyserQ::AnalyseBuffer() {
  if (m_pBuffer == nullptr || m_pEntry == nullptr) return 0;
  const CParseControl control(m_pProgress, m_pStop);
  CQBlastReportWalk walk(m_pBuffer, *m_pEntry, control, m_nQueryType, m_nHitType);
  return walk.Run();
}
