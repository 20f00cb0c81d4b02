#include "parse/BlastPlusTextReader.h"

std::unique_ptr<CResultReader> MakeBlastPlusTextReader(CReportSource& source,
                                                       const CResultReadOptions& options,
                                                       bool html) {
  (void)source, (void)options, (void)html;
  throw CReportError("BLAST+ text is not read yet");
}
