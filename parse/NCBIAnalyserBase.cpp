#include "parse/NCBIAnalyserBase.h"

#include <cstring>
#include <limits>
#include <new>

#include "parse/ScanText.h"
#include "platform/Exception.h"
#include "platform/File.h"
#include "platform/UserInteraction.h"

namespace {

// Points the analyser's buffer field at a response for the time of one
// analysis and clears it again, also when the analysis throws.
class CBufferLease {
 public:
  CBufferLease(char*& field, char* text) : m_field(field) { m_field = text; }
  ~CBufferLease() { m_field = nullptr; }
  CBufferLease(const CBufferLease&) = delete;
  CBufferLease& operator=(const CBufferLease&) = delete;

 private:
  char*& m_field;
};

// The text from `marker` up to, not including, the first '<' or line feed.
std::string MessageLine(const char* marker) {
  return std::string(marker, std::strcspn(marker, "<\n"));
}

}  // namespace

CNCBIAnalyserBase::CNCBIAnalyserBase(CBlastSearchEntry* pEntry)
    : m_pEntry(pEntry),
      m_pStop(nullptr),
      m_pProgress(nullptr),
      m_pBuffer(nullptr),
      m_nQueryType(1),
      m_nHitType(1) {}

CNCBIAnalyserBase::~CNCBIAnalyserBase() = default;

void CNCBIAnalyserBase::Init(int* pProgress, int* pStop) {
  m_pProgress = pProgress;
  m_pStop = pStop;
}

void CNCBIAnalyserBase::InitObjTypes(int nQueryType, int nHitType) {
  m_nQueryType = nQueryType;
  m_nHitType = nHitType;
}

std::string CNCBIAnalyserBase::GetError() const { return m_strError; }

int CNCBIAnalyserBase::AnalyseSubmitID(CMemFile* /*pResponse*/, std::string& /*strID*/) {
  return 0;
}

int CNCBIAnalyserBase::CheckReady(CFile* /*pResponse*/) { return 0; }

int CNCBIAnalyserBase::ReadRequest(CFile* pResponse) {
  CResponseText response = ReadResponse(pResponse);
  if (response.nRead != response.nLength) {
    AfxMessageBox("BLAST-Data file don't readed");
    return 1;
  }
  CBufferLease lease(m_pBuffer, response.pText.get());
  AnalyseBuffer();
  return 1;
}

int CNCBIAnalyserBase::AnalyseBuffer() { return 0; }

CNCBIAnalyserBase::CResponseText CNCBIAnalyserBase::ReadResponse(CFile* pFile) {
  CResponseText response;
  response.nLength = pFile->GetLength();
  if (response.nLength >= std::numeric_limits<std::size_t>::max()) {
    throw CMemoryException("response too large to hold in memory");
  }
  const auto size = static_cast<std::size_t>(response.nLength);
  try {
    response.pText.reset(new char[size + 1]);
  } catch (const std::bad_alloc&) {
    throw CMemoryException("no memory for a response of " + std::to_string(size) + " bytes");
  }
  response.nRead = pFile->Read(response.pText.get(), size);
  response.pText[response.nRead] = '\0';
  return response;
}

int CNCBIAnalyserBase::AnalyseStatus(char* text, std::string& strMessage) {
  const char* marker = std::strstr(text, "ERROR: ");
  if (marker == nullptr) marker = std::strstr(text, "WARNING: ");
  if (marker != nullptr) {
    strMessage = MessageLine(marker);
    return -1;
  }
  char* cursor = text;
  std::string status;
  if (GetString(&cursor, "QBlastInfoBegin", "Status=", nullptr, status, " \n\r", 0) &&
      status == "READY") {
    return 1;
  }
  return 0;
}
