#pragma once

#include <memory>

#include "parse/ReportLayout.h"
#include "parse/ResultReader.h"

// The reader of the older layouts (QBlast: plain-text report bodies read by
// CNCBIAnalyserQ; Classic: web pages read by CNCBIAnalyser), which parse a
// report whole: the first ReadNext reads the whole source (at most
// options.nMaxWholeReport bytes) and gives its one result, with the info
// key "layout" set and the query named from the report's query line when
// the parser left it unnamed; every later call returns 0. The memory of the
// bytes is given back as the parser copies them, so a report is held about
// once. A stop asked for while the report is parsed keeps the hits parsed
// so far. Throws CReportError when the report is larger than allowed or the
// parser reports a failure, CFileException from the source. The source must
// outlive the reader.
class CWholeReportReader : public CResultReader {
 public:
  CWholeReportReader(ReportLayout layout, CReportSource& source, const CResultReadOptions& options);
  int ReadNext(CBlastSearchEntry& entry) override;

 private:
  ReportLayout m_layout;
  CReportSource& m_source;
  CResultReadOptions m_options;
  bool m_bDone = false;
};
