#pragma once

#include <memory>

#include "parse/ReportLayout.h"
#include "parse/ResultReader.h"
#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

// The reader for `layout` over `source`, or null when the layout has no
// reader (Unknown, and the layouts refused by name). The older layouts
// (QBlast, Classic) read the whole report and give one result. The source
// must outlive the reader.
[[nodiscard]] std::unique_ptr<CResultReader> MakeResultReader(ReportLayout layout,
                                                              CReportSource& source,
                                                              const CResultReadOptions& options);

}  // namespace BLASTSEARCH_EXPORT
