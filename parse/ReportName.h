#pragma once

#include <string>
#include <string_view>

// The query's definition line of a report: the text after the first "Query="
// (HTML tags removed, blanks folded, at most 256 characters), up to the end
// of its line; empty when the report has none.
std::string QueryNameOfReport(std::string_view report);
