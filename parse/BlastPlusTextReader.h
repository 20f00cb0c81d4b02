#pragma once

#include <memory>

#include "parse/ReportLayout.h"
#include "parse/ResultReader.h"
#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

// A reader of BLAST+ pairwise text (-outfmt 0), or of the same written as
// HTML (-html) when `html`: there tags are dropped (also across line ends)
// and entities decoded as the bytes arrive, then the same text is read. The
// source must outlive the reader; nothing is read before the first ReadNext.
// One result a "Query=" block (PSI-BLAST: its last round, or every round
// when asked); a report without alignments gives the summary table's hits,
// marked absent as the table does not carry them. Lines may end with LF,
// CR-LF or a lone CR; a line longer than 1 MiB is a CReportError naming its
// number; joined definition lines are cut at 1 MiB. Damaged values (a length,
// score or row position that is not a number) are CReportErrors naming the
// line. Memory: the largest result plus a fixed buffer.
[[nodiscard]] std::unique_ptr<CResultReader> MakeBlastPlusTextReader(
    CReportSource& source, const CResultReadOptions& options, bool html);

}  // namespace BLASTSEARCH_EXPORT
