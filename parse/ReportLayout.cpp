#include "parse/ReportLayout.h"

#include <algorithm>
#include <cstddef>

namespace {

inline char FoldCase(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - ('a' - 'A')) : c;
}

// True when `text` begins with `prefix` regardless of ASCII letter case.
bool StartsWithFolded(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (FoldCase(text[i]) != FoldCase(prefix[i])) return false;
  }
  return true;
}

// Where `pattern` (which begins with '<') first occurs in `text` regardless
// of ASCII letter case, or npos.
std::size_t FindTag(std::string_view text, std::string_view pattern) {
  for (std::size_t at = text.find('<'); at != std::string_view::npos; at = text.find('<', at + 1)) {
    if (StartsWithFolded(text.substr(at), pattern)) return at;
  }
  return std::string_view::npos;
}

// What one line of the report body says about the layout: Classic for a hit
// anchor, QBlast for a plain definition line, Unknown for anything else.
ReportLayout LineLayout(std::string_view line) {
  std::size_t at = 0;
  const bool definition = !line.empty() && line[0] == '>';
  if (definition) ++at;
  while (at < line.size() && line[at] == ' ') ++at;
  if (StartsWithFolded(line.substr(at), "<a name")) return ReportLayout::Classic;
  if (definition && at < line.size() && line[at] != '<' && line[at] != '\r') {
    return ReportLayout::QBlast;
  }
  return ReportLayout::Unknown;
}

}  // namespace

ReportLayout RecogniseReportLayout(std::string_view page) {
  // The report body starts at the query line, plain or marked up, or else at
  // the summary header.
  const std::size_t plainQuery = page.find("Query=");
  const std::size_t htmlQuery = FindTag(page, "<b>Query=</b>");
  std::size_t body = std::min(plainQuery, htmlQuery);
  if (body == std::string_view::npos)
    body = page.find("Sequences producing significant alignments");
  if (body == std::string_view::npos) return ReportLayout::Unknown;
  // The first hit opening after the line that starts the body decides. Lines
  // end with LF, CR-LF or a lone CR.
  for (std::size_t end = page.find_first_of("\r\n", body); end != std::string_view::npos;) {
    const std::size_t start = end + 1;
    end = page.find_first_of("\r\n", start);
    const std::size_t length = (end == std::string_view::npos ? page.size() : end) - start;
    const ReportLayout layout = LineLayout(page.substr(start, length));
    if (layout != ReportLayout::Unknown) return layout;
  }
  return htmlQuery != std::string_view::npos ? ReportLayout::Classic : ReportLayout::QBlast;
}

const char* ReportLayoutName(ReportLayout layout) {
  switch (layout) {
    case ReportLayout::Unknown: return "unknown layout";
    case ReportLayout::QBlast: return "BLAST text report";
    case ReportLayout::Classic: return "classic web page";
    case ReportLayout::QueryAnchored: return "query-anchored web page";
    case ReportLayout::BlastPlusText: return "BLAST+ text";
    case ReportLayout::BlastPlusHtml: return "BLAST+ HTML";
    case ReportLayout::BlastXml: return "BLAST+ XML";
    case ReportLayout::BlastXml2: return "BLAST+ XML2";
    case ReportLayout::BlastJson: return "BLAST+ JSON";
    case ReportLayout::Tabular: return "BLAST+ tabular";
    case ReportLayout::CommentedTabular: return "BLAST+ commented tabular";
    case ReportLayout::Csv: return "BLAST+ CSV";
  }
  return "unknown layout";
}
