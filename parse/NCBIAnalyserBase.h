#pragma once

#include <string>

#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

class CBlastSearchEntry;
class CFile;
class CMemFile;
struct CResponseText;

// Shared state and interface of the analysers of NCBI's BLAST web pages: the
// answer to a submission (request identifier), the answers to polling
// requests (ready, not ready, error) and the final result page, which is
// parsed into a result.
//
// An analyser points at the result it fills and at the caller's progress
// counter and stop flag; it owns none of them, and the caller keeps all three
// alive while the analyser is used. An analyser is used on one thread; only
// the progress counter and the stop flag may be watched and set from another
// one (they are read and written atomically).
//
// Copies copy every field: a copy shares the entry, the stop flag, the
// progress counter and the buffer pointer with its source.
class CNCBIAnalyserBase {
 public:
  // An analyser that fills `pEntry` (not owned; may be null for an analyser
  // that only reads request identifiers, readiness and errors). No progress
  // counter, no stop flag, both object types 1, no error text.
  explicit CNCBIAnalyserBase(CBlastSearchEntry* pEntry);
  CNCBIAnalyserBase(const CNCBIAnalyserBase&) = default;
  CNCBIAnalyserBase& operator=(const CNCBIAnalyserBase&) = default;
  virtual ~CNCBIAnalyserBase();

  // Hands over the caller's progress counter and stop flag (either may be
  // null). While a report is parsed, the counter receives the number of hits
  // appended so far before each hit, and a non-zero flag ends the parse early,
  // keeping what was parsed.
  void Init(int* pProgress, int* pStop);

  // Object types given to the query molecule and to every hit molecule;
  // type 2 means protein.
  void InitObjTypes(int nQueryType, int nHitType);

  // The last error or warning text that CheckReady took from the service
  // (QBlast pages only); empty when there was none.
  std::string GetError() const;

  // Reads the request identifier from the answer to a submission into
  // `strID` (emptied first). Reads the file whole from its position. The base
  // form finds nothing and returns 0.
  virtual int AnalyseSubmitID(CMemFile* pResponse, std::string& strID);

  // Reads an answer to a polling request: 1 ready, 0 not ready or no status
  // found, -1 the service reported an error or a warning. The base form
  // returns 0. File failures arrive as CFileException.
  virtual int CheckReady(CFile* pResponse);

  // Reads the final page whole from the file's position and parses it into
  // the entry (adding to what the entry holds). Line endings CR-LF and CR are
  // read as LF and zero bytes as blanks (ReadResponseText). When fewer bytes than the
  // file's length could be read, shows "BLAST-Data file don't readed" and
  // parses nothing. Returns 1 in both cases. Exceptions from the file or the
  // parse (CFileException, CMemoryException) reach the caller; the buffer is
  // released on the way out.
  virtual int ReadRequest(CFile* pResponse);

  // With `bRelease`, a parse that reads its text once from start to end
  // gives the memory of the text it has passed back to the system as it
  // goes, so that a large report and the result made of it are not held in
  // full together. For callers that hand over a text they do not keep (a
  // file read whole). Off by default.
  void SetReleaseBehind(bool bRelease) { m_bReleaseBehind = bRelease; }

 protected:
  // Parses m_pBuffer into m_pEntry; the base form does nothing and returns 0.
  virtual int AnalyseBuffer();

  // The readiness of a polling answer `text`: -1 with `strMessage` set to the
  // service's error (or, when there is none, warning) line, else 1 for the
  // status READY in the QBlast information block and 0 otherwise.
  static int AnalyseStatus(char* text, std::string& strMessage);

  CBlastSearchEntry* m_pEntry;           // the result to fill; not owned; may be null
  int* m_pStop;                          // caller's stop flag; not owned; null: none
  int* m_pProgress;                      // caller's progress counter; not owned; null: none
  char* m_pBuffer;                       // the page being parsed; only during ReadRequest
  CResponseText* m_pResponse = nullptr;  // m_pBuffer's text and length; only during ReadRequest
  bool m_bReleaseBehind = false;         // SetReleaseBehind
  int m_nQueryType;                      // object type of the query molecule
  int m_nHitType;                        // object type of every hit molecule
  std::string m_strError;                // last error or warning text of the service
};

}  // namespace BLASTSEARCH_EXPORT
