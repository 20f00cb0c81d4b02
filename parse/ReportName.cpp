#include "parse/ReportName.h"

#include <cctype>

namespace blastsearch {

namespace {

constexpr std::size_t kMaxName = 256;

bool IsLineBreak(char c) { return c == '\n' || c == '\r'; }

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
      if (c == '<')
        inTag = true;
      else if (c == '>')
        inTag = false;
      else if (!inTag && c != ' ')
        onlyTags = false;
    }
    if (onlyTags) return at + 6;
    const std::size_t next = report.find_first_of("\r\n", at);
    if (next == std::string_view::npos) break;
    at = report.find("Query=", next);
  }
  return std::string_view::npos;
}

// The visible text of `line`: tags removed, blanks and control characters
// (NCBI separates the definitions of merged entries with Ctrl-A) folded into
// one blank, trimmed; no more than `limit` characters are looked at once the
// text holds that many.
std::string VisibleText(std::string_view line, std::size_t limit) {
  std::string text;
  bool inTag = false;
  for (char c : line) {
    if (text.size() > limit) break;
    if (c == '<') inTag = true;
    if (!inTag) {
      const auto u = static_cast<unsigned char>(c);
      if (std::isspace(u) == 0 && u >= 0x20 && u != 0x7f)
        text += c;
      else if (!text.empty() && text.back() != ' ')
        text += ' ';
    }
    if (c == '>') inTag = false;
  }
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

// Where the query's length statement "(N letters)" begins in `text`, or npos.
std::size_t LettersStatement(std::string_view text) {
  for (std::size_t open = text.find('('); open != std::string_view::npos;
       open = text.find('(', open + 1)) {
    std::size_t at = open + 1;
    while (at < text.size() && text[at] == ' ') ++at;
    const std::size_t digits = at;
    while (at < text.size() &&
           (std::isdigit(static_cast<unsigned char>(text[at])) != 0 || text[at] == ',')) {
      ++at;
    }
    if (at == digits) continue;
    while (at < text.size() && text[at] == ' ') ++at;
    if (text.substr(at).starts_with("letters)")) return open;
  }
  return std::string_view::npos;
}

// True for a line that cannot continue the query's definition: the length
// line, the database line, another report's part, or a blank line.
bool EndsQueryDefinition(std::string_view text) {
  return text.empty() || text.starts_with("Length") || text.starts_with("Database:") ||
         text.starts_with("Query=") || text.starts_with("Sequences producing") ||
         text.starts_with("Searching") || text.starts_with("Results from round") ||
         text.starts_with('>');
}

}  // namespace

std::string QueryNameOfReport(std::string_view report) {
  std::size_t at = FindQueryLine(report);
  if (at == std::string_view::npos) return {};
  // The query line, then its wrapped continuation lines up to the length
  // statement, joined with one blank; the statement itself is not part of
  // the name. Reading ends once the name is full, so a hostile report costs
  // no more than the name's bound.
  std::string name;
  for (bool first = true; at < report.size() && name.size() < kMaxName; first = false) {
    std::size_t end = at;
    while (end < report.size() && !IsLineBreak(report[end])) ++end;
    std::string text = VisibleText(report.substr(at, end - at), kMaxName);
    if (!first && EndsQueryDefinition(text)) break;
    const std::size_t letters = LettersStatement(text);
    if (letters != std::string_view::npos) text.resize(letters);
    while (!text.empty() && text.back() == ' ') text.pop_back();
    if (!text.empty() && !name.empty()) name += ' ';
    name += text;
    if (letters != std::string_view::npos) break;
    if (end < report.size() && report[end] == '\r') ++end;
    if (end < report.size() && report[end] == '\n') ++end;
    at = end;
  }
  if (name.size() > kMaxName) name.resize(kMaxName);
  while (!name.empty() && name.back() == ' ') name.pop_back();
  return name;
}

std::string ProgramLineOfReport(std::string_view report) {
  std::size_t at = 0;
  for (int line = 0; line < 64 && at < report.size(); ++line) {
    std::size_t end = at;
    while (end < report.size() && !IsLineBreak(report[end])) ++end;
    const std::string text = VisibleText(report.substr(at, end - at), kMaxName);
    if (text.starts_with("Query=")) break;
    const std::size_t blank = text.find(' ');
    const std::string word = text.substr(0, blank);
    const bool program = word == "BLASTN" || word == "BLASTP" || word == "BLASTX" ||
                         word == "TBLASTN" || word == "TBLASTX";
    if (program && blank != std::string::npos && blank + 1 < text.size() &&
        std::isdigit(static_cast<unsigned char>(text[blank + 1])) != 0) {
      const std::size_t versionEnd = text.find(' ', blank + 1);
      return text.substr(0, versionEnd);
    }
    at = end;
    while (at < report.size() && IsLineBreak(report[at])) ++at;
  }
  return {};
}

}  // namespace blastsearch
