#include "parse/ReadSampleData.h"

#include <cstring>
#include <limits>
#include <memory>
#include <new>

#include "model/BlastSearchEntry.h"
#include "parse/MarkerCache.h"
#include "parse/ReportWalk.h"
#include "parse/ScanText.h"
#include "platform/Exception.h"
#include "platform/File.h"
#include "platform/UserInteraction.h"

namespace {

using Match = CMarkerCache::Match;

// A page read whole: the bytes from the file's position, zero-terminated
// right after the bytes really read.
struct CPage {
  std::unique_ptr<char[]> pText;
  bool bWhole = false;  // as many bytes read as the file is long
};

CPage ReadPage(CFile& file) {
  CPage page;
  const std::uint64_t length = file.GetLength();
  if (length >= std::numeric_limits<std::size_t>::max()) {
    throw CMemoryException("page too large to hold in memory");
  }
  const auto size = static_cast<std::size_t>(length);
  try {
    page.pText.reset(new char[size + 1]);
  } catch (const std::bad_alloc&) {
    throw CMemoryException("no memory for a page of " + std::to_string(size) + " bytes");
  }
  const std::size_t read = file.Read(page.pText.get(), size);
  page.pText[read] = '\0';
  page.bWhole = read == size;
  return page;
}

// Sets a pointer field for the time of one parse and clears it again, also
// when the parse throws.
template <typename T>
class CFieldLease {
 public:
  CFieldLease(T*& field, T* value) : m_field(field) { m_field = value; }
  ~CFieldLease() { m_field = nullptr; }
  CFieldLease(const CFieldLease&) = delete;
  CFieldLease& operator=(const CFieldLease&) = delete;

 private:
  T*& m_field;
};

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
  CPage page;
  try {
    CFile file;
    if (file.Open(path, CFile::modeRead)) page = ReadPage(file);
  } catch (const CException&) {
    page = CPage();
  }
  if (!page.bWhole) {
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
  CPage page;
  if (m_pFile != nullptr) page = ReadPage(*m_pFile);
  if (!page.bWhole) {
    AfxMessageBox("HTTP-Data File don't readed");
    return 0;
  }
  CFieldLease<char> lease(m_pBuffer, page.pText.get());
  ReadBuffer();
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
  const std::size_t length = std::strcspn(m_pCursor, delimiters);
  value.assign(m_pCursor, length);
  m_pCursor += length;
  return 1;
}

int CReadSampleData::SkipSpace() {
  while (*m_pCursor == ' ') ++m_pCursor;
  const auto c = static_cast<unsigned char>(*m_pCursor);
  return (c >= 33 && c <= 127) ? 1 : 0;
}

void CReadSampleData::ReadBuffer() {
  if (m_pBuffer == nullptr || m_pEntry == nullptr) return;
  CMarkerCache markers(m_pBuffer);
  CFieldLease<CMarkerCache> lease(m_pMarkers, &markers);
  const CParseControl control(m_pProgress, m_pStop);
  std::string value;

  m_pCursor = m_pBuffer;
  SetUpQueryMolecule(m_pEntry->m_Mol, m_nQueryType);
  const char* query = markers.Find(m_pCursor, "<b>Query=</b>", Match::TagFolded);
  m_pCursor = query == nullptr ? nullptr : m_pBuffer + (query - m_pBuffer);
  // The query length: the line ends with it in parentheses and the word letters.
  if (ReadString("(", value, ") l", 0)) m_pEntry->m_Mol.m_nLength = atoi(value);

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
    if (ReadString("</a> ", value, "\n", 0)) hit->m_strDescription = value;
    if (ReadString("Length = ", value, " \n", 0)) hit->m_nLength = ToNumber(value);
    if (*m_pCursor == '\0') break;  // a text that ends after the length line drops the hit
    ReadElements(*hit);
    m_pEntry->m_Hits.m_HitList.push_back(std::move(hit));
    if (markers.Find(m_pCursor, "<a name", Match::TagFolded) == nullptr) break;
    ++nHits;
  }
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
    element->m_dExpect = ToReal(value);
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
    if (ReadString("/ ", value, " \n", 0)) element->m_Subject.m_bMinusStrand = MinusStrandFlag(value);
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
  for (int row = 0;; ++row) {
    if (control.StopRequested()) return;
    if (!ReadString("Query: ", value, " ", 0)) return;
    if (row == 0) {
      element.m_Query.m_nStart = ToNumber(value);
      ReserveRows(element, static_cast<std::size_t>(m_pMarkers->End() - m_pCursor));
    }
    readResidues(element.m_Query);
    if (!ReadString("Sbjct: ", value, " ", 0)) return;
    if (row == 0) element.m_Subject.m_nStart = ToNumber(value);
    readResidues(element.m_Subject);
    if (!m_pMarkers->Follows(m_pCursor, "Query: ", {"Score = ", "<a name"}, Match::TagFolded)) {
      return;
    }
  }
}
