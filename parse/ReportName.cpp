#include "parse/ReportName.h"

#include <cctype>

namespace {

constexpr std::size_t kMaxName = 256;

// Position just past the first "Query=" that opens a query line (at a line
// start, possibly behind HTML tags), or npos. Lines end at LF or CR. A line
// whose first "Query=" has text before it cannot open the query, so the
// search goes on at the next line: every byte is looked at a bounded number
// of times, however many "Query=" a line holds.
std::size_t FindQueryLine(std::string_view report) {
  for (std::size_t at = report.find("Query="); at != std::string_view::npos;) {
    std::size_t line = report.find_last_of("\r\n", at);
    line = line == std::string_view::npos ? 0 : line + 1;
    std::string_view before = report.substr(line, at - line);
    bool onlyTags = true;
    bool inTag = false;
    for (char c : before) {
      if (c == '<') inTag = true;
      else if (c == '>') inTag = false;
      else if (!inTag && c != ' ') onlyTags = false;
    }
    if (onlyTags) return at + 6;
    const std::size_t next = report.find_first_of("\r\n", at);
    if (next == std::string_view::npos) break;
    at = report.find("Query=", next);
  }
  return std::string_view::npos;
}

}  // namespace

std::string QueryNameOfReport(std::string_view report) {
  std::size_t at = FindQueryLine(report);
  if (at == std::string_view::npos) return {};
  std::string name;
  bool inTag = false;
  for (; at < report.size() && report[at] != '\n' && report[at] != '\r'; ++at) {
    char c = report[at];
    if (c == '<') inTag = true;
    if (!inTag && name.size() < kMaxName) {
      bool blank = std::isspace(static_cast<unsigned char>(c)) != 0;
      if (!blank) name += c;
      else if (!name.empty() && name.back() != ' ') name += ' ';
    }
    if (c == '>') inTag = false;
  }
  while (!name.empty() && name.back() == ' ') name.pop_back();
  return name;
}
