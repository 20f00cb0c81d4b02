#pragma once

#include <memory>
#include <string>

#include "parse/ReportLayout.h"
#include "parse/ResultReader.h"
#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

class CResponseTextFile;

// The reader of the older layouts (QBlast: plain-text report bodies read by
// CNCBIAnalyserQ; Classic: web pages read by CNCBIAnalyser), which parse a
// report whole, and of the query-anchored pages they also read (a web
// page with the classic reader, plain text with the QBlast one): the first
// ReadNext reads the whole source (at most
// options.nMaxWholeReport bytes) and gives its one result, with the info
// key "layout" set (with every round asked for, a PSI-BLAST report gives
// one result per round) and the query named from the report's query line when
// the parser left it unnamed; every later call returns 0. The report is
// held once, in one buffer sized by the source's hint, which the parser
// reads in place. A stop asked for while the report is parsed keeps the hits
// parsed so far. Throws CReportError when the report is larger than allowed or the
// parser reports a failure, CFileException from the source. The source must
// outlive the reader.
class CWholeReportReader : public CResultReader {
 public:
  CWholeReportReader(ReportLayout layout, CReportSource& source, const CResultReadOptions& options);
  ~CWholeReportReader() override;
  int ReadNext(CBlastSearchEntry& entry) override;

 private:
  // Reads the whole source into m_pFile: its text normalised; for every
  // round of a PSI-BLAST report the bytes as they came, counting its rounds
  // (each round's parse reads them afresh).
  void ReadWhole();

  ReportLayout m_layout;
  CReportSource& m_source;
  CResultReadOptions m_options;
  std::unique_ptr<CResponseTextFile> m_pFile;  // the report's bytes, read once
  std::string m_strQueryName;                  // from the report's query line
  std::string m_strVersion;                    // from its program line: "BLASTP 2.0.10"
  bool m_bMarkup = false;                      // the report is a web page
  int m_nRounds = 0;                           // every round asked for: how many the report has
  int m_nRound = 0;                            // the last round read
  bool m_bDone = false;
};

}  // namespace BLASTSEARCH_EXPORT
