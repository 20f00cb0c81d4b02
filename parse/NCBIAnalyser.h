#pragma once

#include <string>

#include "parse/NCBIAnalyserBase.h"
#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

// Analyser of the pages of NCBI's classic BLAST web interface: the request
// identifier travels in a hidden form field, errors are shown to the user,
// and the final page, an HTML report, is parsed by CReadSampleData.
class CNCBIAnalyser : public CNCBIAnalyserBase {
 public:
  // An analyser without a result: only AnalyseSubmitID, CheckReady and
  // GetError may be used.
  CNCBIAnalyser();
  // An analyser that fills `pEntry` (not owned).
  explicit CNCBIAnalyser(CBlastSearchEntry* pEntry);

  // Takes the value of the page's hidden field NAME="RID" VALUE="..." into
  // `strID` (empty when the field is missing; an unclosed value runs to the
  // text's end). Returns 1 whether or not an identifier was found.
  int AnalyseSubmitID(CMemFile* pResponse, std::string& strID) override;

  // As the base describes; an error or warning of the service is shown in a
  // message box with the stop icon.
  int CheckReady(CFile* pResponse) override;

  // Hands the page to CReadSampleData with this analyser's object types,
  // progress counter and stop flag: 1 read and parsed, 0 (after the message
  // "HTTP-Data File don't readed") when the file could not be read whole.
  // Parse failures arrive as exceptions.
  int ReadRequest(CFile* pResponse) override;
};

}  // namespace BLASTSEARCH_EXPORT
