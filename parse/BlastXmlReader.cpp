#include "parse/BlastXmlReader.h"

std::unique_ptr<CResultReader> MakeBlastXmlReader(CReportSource& source,
                                                  const CResultReadOptions& options, bool xml2) {
  (void)source, (void)options, (void)xml2;
  throw CReportError("BLAST+ XML is not read yet");
}
