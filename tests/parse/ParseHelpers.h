#pragma once

// Small helpers shared by the tests of the report readers.

#include <string>

#include "model/BlastSearchEntry.h"
#include "parse/NCBIAnalyser.h"
#include "parse/NCBIAnalyserQ.h"
#include "platform/File.h"
#include "support/EntryDump.h"

namespace blastsearch {

// What one parse gave: the reader's result and the dump of the entry.
struct ParseOutcome {
  int nResult = 0;
  std::string strDump;
};

// The QBlast analyser with its report parser opened up for tests.
class CTestAnalyserQ : public CNCBIAnalyserQ {
 public:
  using CNCBIAnalyserQ::CNCBIAnalyserQ;
  // Runs the report parser on `text` as ReadRequest would; its result.
  int Parse(std::string text) {
    m_pBuffer = text.data();
    const int result = AnalyseBuffer();
    m_pBuffer = nullptr;
    return result;
  }
};

// Parses `text` with the QBlast report parser into a fresh entry.
inline ParseOutcome ParseQBlast(const std::string& text, int* pProgress = nullptr,
                                int* pStop = nullptr) {
  CBlastSearchEntry entry;
  CTestAnalyserQ analyser(&entry);
  analyser.Init(pProgress, pStop);
  ParseOutcome outcome;
  outcome.nResult = analyser.Parse(text);
  outcome.strDump = DumpEntry(entry);
  return outcome;
}

// Parses `text` with the classic analyser (and so the HTML report reader)
// into a fresh entry.
inline ParseOutcome ParseClassic(const std::string& text, int* pProgress = nullptr,
                                 int* pStop = nullptr) {
  CBlastSearchEntry entry;
  CNCBIAnalyser analyser(&entry);
  analyser.Init(pProgress, pStop);
  CMemFile file(text);
  ParseOutcome outcome;
  outcome.nResult = analyser.ReadRequest(&file);
  outcome.strDump = DumpEntry(entry);
  return outcome;
}

// Number of hits in a dump.
inline int CountHits(const std::string& dump) {
  int hits = 0;
  for (std::size_t at = dump.find("\nhit "); at != std::string::npos;
       at = dump.find("\nhit ", at + 1)) {
    ++hits;
  }
  return hits;
}

}  // namespace blastsearch
