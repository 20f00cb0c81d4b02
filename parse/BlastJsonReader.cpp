#include "parse/BlastJsonReader.h"

std::unique_ptr<CResultReader> MakeBlastJsonReader(CReportSource& source,
                                                   const CResultReadOptions& options) {
  (void)source, (void)options;
  throw CReportError("BLAST+ JSON is not read yet");
}
