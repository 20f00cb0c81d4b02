#include "parse/NCBIAnalyserBase.h"

#include <cstring>

#include "parse/ResponseText.h"
#include "parse/ScanText.h"
#include "platform/File.h"
#include "platform/UserInteraction.h"

namespace blastsearch {

namespace {

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
  CResponseText response = ReadResponseText(*pResponse);
  if (!response.IsWhole()) {
    AfxMessageBox("BLAST-Data file don't readed");
    return 1;
  }
  CFieldLease<char> lease(m_pBuffer, response.pText.get());
  CFieldLease<CResponseText> leaseText(m_pResponse, &response);
  AnalyseBuffer();
  return 1;
}

int CNCBIAnalyserBase::AnalyseBuffer() { return 0; }

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

}  // namespace blastsearch
