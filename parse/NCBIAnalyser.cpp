#include "parse/NCBIAnalyser.h"

#include <cstring>

#include "parse/ReadSampleData.h"
#include "parse/ResponseText.h"
#include "platform/File.h"
#include "platform/UserInteraction.h"

namespace blastsearch {

CNCBIAnalyser::CNCBIAnalyser() : CNCBIAnalyserBase(nullptr) {}

CNCBIAnalyser::CNCBIAnalyser(CBlastSearchEntry* pEntry) : CNCBIAnalyserBase(pEntry) {}

int CNCBIAnalyser::AnalyseSubmitID(CMemFile* pResponse, std::string& strID) {
  strID.clear();
  CResponseText response = ReadResponseText(*pResponse);
  // The hidden field of the classic page.
  static constexpr char kField[] = "NAME=\"RID\" VALUE=\"";
  const char* field = std::strstr(response.pText.get(), kField);
  if (field != nullptr) {
    const char* value = field + (sizeof kField - 1);
    strID.assign(value, std::strcspn(value, "\""));
  }
  return 1;
}

int CNCBIAnalyser::CheckReady(CFile* pResponse) {
  CResponseText response = ReadResponseText(*pResponse);
  std::string message;
  const int status = AnalyseStatus(response.pText.get(), message);
  if (status < 0) AfxMessageBox(message, MB_ICONSTOP);
  return status;
}

int CNCBIAnalyser::ReadRequest(CFile* pResponse) {
  CReadSampleData reader(m_pEntry, pResponse);
  reader.InitObjTypes(m_nQueryType, m_nHitType);
  return reader.Analyse(m_pProgress, m_pStop);
}

}  // namespace blastsearch
