#include "parse/BlastTabularReader.h"

std::unique_ptr<CResultReader> MakeBlastTabularReader(CReportSource& source,
                                                      const CResultReadOptions& options,
                                                      ReportLayout layout) {
  (void)source, (void)options, (void)layout;
  throw CReportError("BLAST+ tabular output is not read yet");
}
