#pragma once

#include <memory>

#include "parse/ReportLayout.h"
#include "parse/ResultReader.h"
#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

// A reader of BLAST+ tabular output: `layout` is Tabular (-outfmt 6),
// CommentedTabular (-outfmt 7, program, query, database, rounds and columns
// named by its comment lines) or Csv (-outfmt 10). Tabular and CSV take
// their columns and program from the options (strTabularColumns,
// strTabularProgram); an unknown column is a CReportError here.
//
// Consecutive lines of one query form one result (with comment lines: one
// block), consecutive lines of one subject one hit, each line one segment
// pair. Without comment lines a subject that comes back after others starts
// PSI-BLAST's next round of the query. Counts no column gives are derived
// only when exact: identities (positives) from the percentage and the
// alignment length when the printed decimals fix one whole number, gaps as
// length - identities - mismatches. Every model field that the columns do not
// give is marked absent (model/ResultInfo.h). A subject title holding the
// delimiter, which BLAST+ writes unquoted, is joined back when it is the only
// title column.
//
// Lines longer than 64 MiB (or nMaxWholeReport when lower) and values that
// do not fit their column are a CReportError naming the line. A last line
// without its line end (and, with comment lines, a missing closing comment)
// marks the last result partial. The source must outlive the reader.
[[nodiscard]] std::unique_ptr<CResultReader> MakeBlastTabularReader(
    CReportSource& source, const CResultReadOptions& options, ReportLayout layout);

}  // namespace BLASTSEARCH_EXPORT
