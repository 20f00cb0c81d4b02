#pragma once

#include <string>
#include <string_view>

#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

// The query's definition line of a report: the text after the first "Query="
// (HTML tags removed, blanks and control characters folded into one blank) and its wrapped
// continuation lines up to the length statement ("(N letters)" or a "Length=" line) or a blank
// line, joined with one blank, at most 256 characters; empty when the report has none.
std::string QueryNameOfReport(std::string_view report);

// The program line of an older report: "BLASTP 2.0.10" of
// "<b>BLASTP 2.0.10 [Aug-26-1999]</b>" (the program's name, upper case,
// and its version, tags removed), from the first line before the query line
// that opens with BLASTN, BLASTP, BLASTX, TBLASTN or TBLASTX and a version;
// empty when there is none. Looks at no more than the first 64 lines that
// hold something (blank lines are passed over).
std::string ProgramLineOfReport(std::string_view report);

}  // namespace BLASTSEARCH_EXPORT
