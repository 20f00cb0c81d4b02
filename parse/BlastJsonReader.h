#pragma once

#include <memory>

#include "parse/ReportLayout.h"
#include "parse/ResultReader.h"
#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

// A reader of BLAST+ single-file JSON (-outfmt 15): one result per query
// (PSI-BLAST: its last round, or every round with bEveryRound). It holds one
// query's report at a time, at most 256 MiB (or nMaxWholeReport when lower):
// a larger report, nesting deeper than 64 levels, damaged JSON or a missing
// required value is a CReportError naming the query (and hit and segment
// pair). A report cut off inside a query gives that query's complete hits as
// a result marked partial, or a CReportError when nothing of it can be read;
// a file that ends before its list is closed ends with a CReportError. The
// source must outlive the reader.
[[nodiscard]] std::unique_ptr<CResultReader> MakeBlastJsonReader(CReportSource& source,
                                                                 const CResultReadOptions& options);

}  // namespace BLASTSEARCH_EXPORT
