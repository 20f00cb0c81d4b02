#include "parse/ReadSampleData.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "model/BlastSearchEntry.h"
#include "parse/MarkerCache.h"
#include "parse/QueryAnchoredPage.h"
#include "parse/ReportWalk.h"
#include "parse/ResponseText.h"
#include "parse/ScanText.h"
#include "parse/SummaryTable.h"
#include "platform/Exception.h"
#include "platform/File.h"
#include "platform/UserInteraction.h"

namespace blastsearch {

namespace {

using Match = CMarkerCache::Match;

}  // namespace

CReadSampleData::CReadSampleData(CBlastSearchEntry* pEntry) : CReadSampleData(pEntry, nullptr) {}

CReadSampleData::CReadSampleData(CBlastSearchEntry* pEntry, CFile* pFile)
    : m_pEntry(pEntry),
      m_pFile(pFile),
      m_pBuffer(nullptr),
      m_pCursor(nullptr),
      m_pStop(nullptr),
      m_pProgress(nullptr),
      m_nQueryType(1),
      m_nHitType(1),
      m_pMarkers(nullptr) {}

void CReadSampleData::InitObjTypes(int nQueryType, int nHitType) {
  m_nQueryType = nQueryType;
  m_nHitType = nHitType;
}

int CReadSampleData::Read() {
  FileDialogRequest request{true, "htm", "*.htm", "", OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT};
  std::string path;
  if (UserInteraction().ChooseFile(request, path) != IDOK) return 0;
  // A file that cannot be opened or read is reported like a short read.
  CResponseText page;
  try {
    CFile file;
    if (file.Open(path, CFile::modeRead)) page = ReadResponseText(file);
  } catch (const CException&) {
    page = CResponseText();
  }
  if (!page.pText || !page.IsWhole()) {
    AfxMessageBox("Can't read Data File");
    return 0;
  }
  CFieldLease<char> lease(m_pBuffer, page.pText.get());
  try {
    ReadBuffer();
  } catch (...) {
    AfxMessageBox("Can't read Data File\nWrong format");
    return 0;
  }
  return 1;
}

int CReadSampleData::Analyse(int* pProgress, int* pStop) {
  m_pProgress = pProgress;
  m_pStop = pStop;
  CResponseText page;
  if (m_pFile != nullptr) page = ReadResponseText(*m_pFile);
  if (!page.pText || !page.IsWhole()) {
    AfxMessageBox("HTTP-Data File don't readed");
    return 0;
  }
  CFieldLease<char> lease(m_pBuffer, page.pText.get());
  try {
    ReadBuffer();
  } catch (const std::bad_alloc&) {
    throw CMemoryException("out of memory while parsing the page");
  }
  return 1;
}

int CReadSampleData::ReadString(const char* marker, std::string& value, const char* delimiters,
                                int bPositionOnly) {
  value.clear();
  if (m_pCursor == nullptr || *m_pCursor == '\0') return 0;
  char* at = m_pCursor;
  if (*marker != '\0') {
    const char* found = m_pMarkers->Find(m_pCursor, marker, Match::TagFolded);
    if (found == nullptr) return 0;
    at += found - m_pCursor;
  }
  m_pCursor = at + std::strlen(marker);
  if (bPositionOnly) return 1;
  while (IsCharDelimit(*m_pCursor, delimiters)) ++m_pCursor;
  const char* end = m_pMarkers->FindAny(m_pCursor, delimiters);
  value.assign(m_pCursor, static_cast<std::size_t>(end - m_pCursor));
  m_pCursor += end - m_pCursor;
  return 1;
}

const char* CReadSampleData::BlockEnd() {
  const char* score = m_pMarkers->Find(m_pCursor, "Score = ", Match::TagFolded);
  const char* anchor = m_pMarkers->Find(m_pCursor, "<a name", Match::TagFolded);
  if (score == nullptr) return anchor;
  return anchor == nullptr ? score : std::min(score, anchor);
}

int CReadSampleData::SkipSpace() {
  while (*m_pCursor == ' ') ++m_pCursor;
  const auto c = static_cast<unsigned char>(*m_pCursor);
  return (c >= 33 && c <= 127) ? 1 : 0;
}

void CReadSampleData::ReadBuffer() {
  if (m_pBuffer == nullptr || m_pEntry == nullptr) return;
  CMarkerCache markers;
  CFieldLease<CMarkerCache> lease(m_pMarkers, &markers);
  const CParseControl control(m_pProgress, m_pStop);
  std::string value;

  m_pCursor = m_pBuffer;
  SetUpQueryMolecule(m_pEntry->m_Mol, m_nQueryType);
  const char* query = markers.Find(m_pCursor, "<b>Query=</b>", Match::TagFolded);
  m_pCursor = query == nullptr ? nullptr : m_pBuffer + (query - m_pBuffer);
  // The query length from the query's own length statement ("(N letters)");
  // without one, the number in the first parenthesis after the query line.
  // The cursor stays on the query line: that parenthesis may lie anywhere,
  // hits included.
  int length = 0;
  if (query != nullptr && FindQueryLength(query, length) != nullptr) {
    m_pEntry->m_Mol.m_nLength = length;
  } else if (ReadString("(", value, ") l", 0)) {
    m_pEntry->m_Mol.m_nLength = CleanNumber(value);
    m_pCursor += query - m_pCursor;
  }

  if (m_pCursor != nullptr && ReadHitsWithoutAlignments(markers, control)) return;
  int nHits = 0;
  for (;;) {
    control.StoreProgress(nHits);
    if (control.StopRequested() || m_pCursor == nullptr || *m_pCursor == '\0') break;
    // The anchor's name (the gi number in NCBI's pages) identifies the hit.
    if (!ReadString("<a name", value, "= >", 0)) break;
    auto hit = std::make_unique<CBlastSearchHit>();
    hit->m_strID = value;
    hit->m_nMolType = m_nHitType;
    // The link's text is the name; the cursor rests on the '>' closing the link tag.
    ReadString("<a href", value, ">", 0);
    if (ReadString(">", value, "<", 0)) hit->m_strName = value;
    // The rest of the line and its wrapped continuation lines.
    if (ReadString("</a> ", value, "\n", 1)) {
      SkipSpace();
      const char* end = JoinDefinitionLines(m_pCursor, markers, hit->m_strDescription);
      m_pCursor += end - m_pCursor;
    }
    if (ReadString("Length = ", value, " \n", 0)) hit->m_nLength = ToNumber(value);
    if (*m_pCursor == '\0') break;  // a text that ends after the length line drops the hit
    ReadElements(*hit);
    m_pEntry->m_Hits.m_HitList.push_back(std::move(hit));
    if (markers.Find(m_pCursor, "<a name", Match::TagFolded) == nullptr) break;
    ++nHits;
  }
}

bool CReadSampleData::ReadHitsWithoutAlignments(CMarkerCache& markers,
                                                const CParseControl& control) {
  const std::string_view page(m_pBuffer,
                              static_cast<std::size_t>(markers.TextEnd(m_pBuffer) - m_pBuffer));
  control.StoreProgress(0);
  // Alignments laid out against the query: their database rows carry
  // anchors and links but no scores or pairwise rows.
  if (IsQueryAnchoredPage(page)) {
    ReadQueryAnchoredHits(page, *m_pEntry, m_nHitType, control);
    return true;
  }
  // A page made without alignments: only its description lines.
  if (markers.Find(m_pCursor, "<a name", Match::TagFolded) != nullptr) return false;
  const auto from = static_cast<std::size_t>(m_pCursor - m_pBuffer);
  if (ReadSummaryTables(page, from, *m_pEntry, m_nHitType, control) > 0) MarkSummaryOnly(*m_pEntry);
  return true;
}

void CReadSampleData::ReadElements(CBlastSearchHit& hit) {
  const CParseControl control(m_pProgress, m_pStop);
  do {
    if (control.StopRequested()) return;
    ReadElement(hit);
  } while (m_pMarkers->Follows(m_pCursor, "Score = ", {"<a name"}, Match::TagFolded));
}

void CReadSampleData::ReadElement(CBlastSearchHit& hit) {
  auto element = std::make_unique<CBlastSearchHitElement>();
  std::string value;
  if (ReadString("Score = ", value, " ", 0)) {
    element->m_dBitScore = ToReal(value);
    if (ReadString("(", value, " )", 0)) element->m_nScore = ToNumber(value);
  }
  // Both "Expect = 2e-05" and "Expect(2) = 0.003".
  if (ReadString("Expect", value, " (\n", 1) && ReadString("= ", value, " \n,", 0)) {
    element->m_dExpect = ToExpect(value);
  }
  // Counts are read where their word begins fewer than 100 characters ahead;
  // the cursor does not move.
  struct {
    const char* label;
    int& count;
  } const counts[] = {{"Identities", element->m_nIdentities},
                      {"Positives", element->m_nPositives},
                      {"Gaps", element->m_nGaps}};
  for (const auto& c : counts) {
    const char* at = m_pMarkers->Find(m_pCursor, c.label, Match::TagFolded);
    int first = 0;
    int second = 0;
    if (at != nullptr && at - m_pCursor < 100 && ScanCounts(at, c.label, first, second) >= 2) {
      c.count = first;
      element->m_nAlignLength = second;
    }
  }
  if (ReadString("Strand = ", value, "/ ", 0)) {
    element->m_Query.m_bMinusStrand = MinusStrandFlag(value);
    if (ReadString("/ ", value, " \n", 0))
      element->m_Subject.m_bMinusStrand = MinusStrandFlag(value);
  }
  ReadRows(*element);
  AppendElement(hit, std::move(element));
}

void CReadSampleData::ReadRows(CBlastSearchHitElement& element) {
  const CParseControl control(m_pProgress, m_pStop);
  std::string value;
  const auto readResidues = [this](CBlastSearchSeqComponent& row) {
    SkipSpace();
    const char* residues = m_pCursor;
    while (IsSeqChar(*m_pCursor)) ++m_pCursor;
    row.m_strSeq.append(residues, static_cast<std::size_t>(m_pCursor - residues));
    row.m_nEnd = GetEnd(m_pCursor);
  };
  // A start number glued to the residues ends at its first non-digit; the
  // cursor goes back to the residues.
  const auto readStart = [this, &value](const char* marker) {
    if (!ReadString(marker, value, " ", 0)) return false;
    const std::size_t digits = LeadingNumberLength(value);
    if (digits > 0 && digits < value.size()) {
      m_pCursor -= value.size() - digits;
      value.resize(digits);
    }
    return true;
  };
  for (int row = 0;; ++row) {
    if (control.StopRequested()) return;
    if (!readStart("Query: ")) return;
    if (row == 0) {
      element.m_Query.m_nStart = ToNumber(value);
      ReserveRows(element, m_pCursor, BlockEnd());
    }
    readResidues(element.m_Query);
    if (!readStart("Sbjct: ")) return;
    if (row == 0) element.m_Subject.m_nStart = ToNumber(value);
    readResidues(element.m_Subject);
    if (!m_pMarkers->Follows(m_pCursor, "Query: ", {"Score = ", "<a name"}, Match::TagFolded)) {
      return;
    }
  }
}

}  // namespace blastsearch
