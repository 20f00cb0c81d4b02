#pragma once

#include <memory>

#include "parse/ReportLayout.h"
#include "parse/ResultReader.h"
#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

// A reader of BLAST+ XML (-outfmt 5), or of single-file XML2 (-outfmt 16)
// when `xml2`. The source must outlive the reader.
[[nodiscard]] std::unique_ptr<CResultReader> MakeBlastXmlReader(CReportSource& source,
                                                                const CResultReadOptions& options,
                                                                bool xml2);

}  // namespace BLASTSEARCH_EXPORT
