#pragma once

#include <string>
#include <string_view>

// The query's definition line of a report: the text after the first "Query="
// (HTML tags removed, blanks and control characters folded into one blank) and its wrapped continuation lines up to
// the length statement ("(N letters)" or a "Length=" line) or a blank line,
// joined with one blank, at most 256 characters; empty when the report has
// none.
std::string QueryNameOfReport(std::string_view report);
