#include "parse/ReportLayout.h"

#include <algorithm>
#include <cstddef>

#include "parse/QueryAnchoredPage.h"
#include "parse/ReportWalk.h"

namespace blastsearch {

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

// BLAST+'s layouts show themselves in their first lines: no more than this
// much of a page is looked at for them.
constexpr std::size_t kBlastPlusLook = std::size_t{1} << 20;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsUpper(char c) { return c >= 'A' && c <= 'Z'; }

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// Walks the lines of a text; lines end with LF, CR-LF or a lone CR.
class CLineWalk {
 public:
  explicit CLineWalk(std::string_view text) : m_text(text) {}
  // The next line without its end into `line`, and whether an end followed
  // it (false for a last line cut off); false when the text is used up.
  bool Next(std::string_view& line, bool& ended) {
    if (m_nAt >= m_text.size()) return false;
    m_nStart = m_nAt;
    const std::size_t end = LineBreakAt(m_text, m_nAt);
    ended = end < m_text.size();
    if (!ended) {
      line = m_text.substr(m_nAt);
      m_nAt = m_text.size();
      return true;
    }
    line = m_text.substr(m_nAt, end - m_nAt);
    m_nAt = end + 1;
    if (m_text[end] == '\r' && m_nAt < m_text.size() && m_text[m_nAt] == '\n') ++m_nAt;
    return true;
  }
  // Where the line last given starts.
  std::size_t LineStart() const { return m_nStart; }

 private:
  std::string_view m_text;
  std::size_t m_nAt = 0;
  std::size_t m_nStart = 0;
};

// The root element's layout: "<BlastOutput" is BLAST+ XML, "<BlastXML2"
// its XML2 form.
ReportLayout RootLayout(std::string_view tag) {
  const auto named = [&](std::string_view name) {
    if (tag.size() <= name.size() || tag.substr(0, name.size()) != name) return false;
    const char after = tag[name.size()];
    return IsBlank(after) || after == '>' || after == '/';
  };
  if (named("<BlastOutput")) return ReportLayout::BlastXml;
  if (named("<BlastXML2")) return ReportLayout::BlastXml2;
  return ReportLayout::Unknown;
}

// BLAST+ XML, XML2 and JSON by their opening: the XML root element after the
// declaration, comments and the document type; a JSON object whose first key
// is "BlastOutput2".
ReportLayout RecogniseMarkup(std::string_view text) {
  std::size_t at = text.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;
  const auto skipBlanks = [&] {
    while (at < text.size() && IsBlank(text[at])) ++at;
  };
  skipBlanks();
  if (at < text.size() && text[at] == '{') {
    ++at;
    skipBlanks();
    return text.substr(at, 14) == "\"BlastOutput2\"" ? ReportLayout::BlastJson
                                                     : ReportLayout::Unknown;
  }
  while (at < text.size() && text[at] == '<') {
    const std::string_view rest = text.substr(at);
    std::string_view close = ">";
    if (rest.substr(0, 2) == "<?") {
      close = "?>";
    } else if (rest.substr(0, 4) == "<!--") {
      close = "-->";
    } else if (rest.substr(0, 2) != "<!") {
      return RootLayout(rest);
    }
    const std::size_t end = rest.find(close);
    if (end == std::string_view::npos) return ReportLayout::Unknown;
    at += end + close.size();
    skipBlanks();
  }
  return ReportLayout::Unknown;
}

// True for BLAST+'s program line: an upper-case program name holding
// "BLAST", blanks, and a version that ends with '+' ("BLASTP 2.12.0+"),
// optionally followed by a blank and more.
bool IsProgramLine(std::string_view line) {
  line = TrimBlanks(line);
  std::size_t at = 0;
  while (at < line.size() && (IsUpper(line[at]) || line[at] == '-')) ++at;
  if (line.substr(0, at).find("BLAST") == std::string_view::npos) return false;
  const std::size_t name = at;
  while (at < line.size() && line[at] == ' ') ++at;
  if (at == name || at >= line.size() || !IsDigit(line[at])) return false;
  while (at < line.size() && (IsDigit(line[at]) || line[at] == '.')) ++at;
  if (at >= line.size() || line[at] != '+') return false;
  ++at;
  return at == line.size() || IsBlank(line[at]);
}

// `line` without the tags that open and close it ("<b>BLASTP 2.12.0+</b>").
std::string_view StripEnclosingTags(std::string_view line) {
  line = TrimBlanks(line);
  while (!line.empty() && line.front() == '<') {
    const std::size_t end = line.find('>');
    if (end == std::string_view::npos) break;
    line = TrimBlanks(line.substr(end + 1));
  }
  while (!line.empty() && line.back() == '>') {
    const std::size_t start = line.rfind('<');
    if (start == std::string_view::npos) break;
    line = TrimBlanks(line.substr(0, start));
  }
  return line;
}

// True for a query row of BLAST+'s pairwise text: "Query", two or more
// blanks and the start number (the older layouts write "Query:").
bool IsBlastPlusRow(std::string_view line) {
  if (line.substr(0, 5) != "Query") return false;
  std::size_t at = 5;
  while (at < line.size() && line[at] == ' ') ++at;
  return at >= 7 && at < line.size() && IsDigit(line[at]);
}

// Commented tabular output: its first line is "# " and the program line,
// and a "# Query:" or "# Fields:" line follows among its comments.
ReportLayout RecogniseCommentedTabular(std::string_view text) {
  CLineWalk lines(text);
  std::string_view line;
  bool ended = false;
  bool first = true;
  while (lines.Next(line, ended)) {
    if (first) {
      if (TrimBlanks(line).empty()) continue;
      if (line.substr(0, 2) != "# " || !IsProgramLine(line.substr(2)) || !ended) break;
      first = false;
      continue;
    }
    if (line.substr(0, 8) == "# Query:" || line.substr(0, 9) == "# Fields:") {
      return ReportLayout::CommentedTabular;
    }
  }
  return ReportLayout::Unknown;
}

// BLAST+'s pairwise text, plain or HTML: its program line (bare or inside
// tags) or a query row without a colon; HTML when an <html>, <body> or <pre>
// tag comes before it.
ReportLayout RecogniseBlastPlusText(std::string_view text) {
  CLineWalk lines(text);
  std::string_view line;
  bool ended = false;
  while (lines.Next(line, ended)) {
    if (!ended) break;  // a line cut off proves nothing
    if (!IsProgramLine(StripEnclosingTags(line)) && !IsBlastPlusRow(line)) continue;
    const std::string_view before = text.substr(0, lines.LineStart());
    const bool html = FindTag(before, "<html") != std::string_view::npos ||
                      FindTag(before, "<body") != std::string_view::npos ||
                      FindTag(before, "<pre") != std::string_view::npos;
    return html ? ReportLayout::BlastPlusHtml : ReportLayout::BlastPlusText;
  }
  return ReportLayout::Unknown;
}

// True for a number as BLAST+ writes them in tables: "254", "81.646",
// "1.07e-91", "-1".
bool IsNumber(std::string_view field) {
  std::size_t at = 0;
  if (at < field.size() && (field[at] == '-' || field[at] == '+')) ++at;
  const std::size_t digits = at;
  while (at < field.size() && IsDigit(field[at])) ++at;
  if (at == digits) return false;
  if (at < field.size() && field[at] == '.') {
    ++at;
    while (at < field.size() && IsDigit(field[at])) ++at;
  }
  if (at < field.size() && (field[at] == 'e' || field[at] == 'E')) {
    ++at;
    if (at < field.size() && (field[at] == '-' || field[at] == '+')) ++at;
    const std::size_t exponent = at;
    while (at < field.size() && IsDigit(field[at])) ++at;
    if (at == exponent) return false;
  }
  return at == field.size();
}

// What one table line looks like when split at `separator`.
struct TableLineShape {
  std::size_t nFields = 0;
  bool bDefaultColumns = false;  // twelve fields, numbers from the third on
  bool bSomeNumber = false;      // a number in a field after the first
  bool bFirstEmpty = true;
  bool bControl = false;  // a control character other than the separator
};

TableLineShape ShapeOfTableLine(std::string_view line, char separator) {
  TableLineShape shape;
  bool numbersFromThird = true;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = std::min(line.find(separator, start), line.size());
    const std::string_view field = line.substr(start, end - start);
    for (const char c : field) {
      if (static_cast<unsigned char>(c) < 0x20 && c != '\t') shape.bControl = true;
    }
    ++shape.nFields;
    const bool number = IsNumber(field);
    if (shape.nFields == 1) shape.bFirstEmpty = field.empty();
    if (shape.nFields > 1 && number) shape.bSomeNumber = true;
    if (shape.nFields > 2 && !number) numbersFromThird = false;
    if (end == line.size()) break;
    start = end + 1;
  }
  shape.bDefaultColumns = shape.nFields == 12 && numbersFromThird;
  return shape;
}

// Tabular output and CSV by the shape of their lines (blank lines and
// PSI-BLAST's "Search has CONVERGED!" aside; a last line cut off is not
// judged). Tabular: tab-separated lines that all have the same number of
// fields, at least three, a query name first and a number among the others
// (the default twelve columns or a column list of the user's). CSV: lines of
// the default twelve columns separated by commas. Anything else is not a
// table.
ReportLayout RecogniseTable(std::string_view text) {
  CLineWalk lines(text);
  std::string_view line;
  bool ended = false;
  std::size_t tabFields = 0;
  std::size_t rows = 0;
  bool tabular = true;
  bool csv = true;
  while ((tabular || csv) && lines.Next(line, ended)) {
    const std::string_view trimmed = TrimBlanks(line);
    if (trimmed.empty() || trimmed == "Search has CONVERGED!") continue;
    if (!ended && rows > 0) break;
    const TableLineShape tab = ShapeOfTableLine(line, '\t');
    const TableLineShape comma = ShapeOfTableLine(line, ',');
    if (rows == 0) tabFields = tab.nFields;
    tabular = tabular && tab.nFields >= 3 && tab.nFields == tabFields && tab.bSomeNumber &&
              !tab.bFirstEmpty && !tab.bControl;
    csv = csv && comma.bDefaultColumns && !comma.bFirstEmpty && !comma.bControl;
    ++rows;
  }
  if (rows == 0) return ReportLayout::Unknown;
  if (tabular) return ReportLayout::Tabular;
  if (csv) return ReportLayout::Csv;
  return ReportLayout::Unknown;
}

// The older layouts (plain text and the classic web pages) as they were
// always told apart.
ReportLayout RecogniseOlderLayout(std::string_view page) {
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
  for (std::size_t end = LineBreakAt(page, body); end < page.size();) {
    const std::size_t start = end + 1;
    end = LineBreakAt(page, start);
    const std::size_t length = end - start;
    const ReportLayout layout = LineLayout(page.substr(start, length));
    if (layout != ReportLayout::Unknown) return layout;
  }
  return htmlQuery != std::string_view::npos ? ReportLayout::Classic : ReportLayout::QBlast;
}

}  // namespace

ReportLayout RecogniseReportLayout(std::string_view page) {
  const std::string_view sample = page.substr(0, std::min(page.size(), kBlastPlusLook));
  ReportLayout layout = RecogniseMarkup(sample);
  if (layout == ReportLayout::Unknown) layout = RecogniseCommentedTabular(sample);
  if (layout == ReportLayout::Unknown) layout = RecogniseBlastPlusText(sample);
  if (layout == ReportLayout::Unknown && IsQueryAnchoredPage(page)) {
    layout = ReportLayout::QueryAnchored;
  }
  if (layout == ReportLayout::Unknown) layout = RecogniseTable(sample);
  if (layout == ReportLayout::Unknown) layout = RecogniseOlderLayout(page);
  return layout;
}

const char* ReportLayoutName(ReportLayout layout) {
  switch (layout) {
    case ReportLayout::Unknown:
      return "unknown layout";
    case ReportLayout::QBlast:
      return "BLAST text report";
    case ReportLayout::Classic:
      return "classic web page";
    case ReportLayout::QueryAnchored:
      return "query-anchored web page";
    case ReportLayout::BlastPlusText:
      return "BLAST+ text";
    case ReportLayout::BlastPlusHtml:
      return "BLAST+ HTML";
    case ReportLayout::BlastXml:
      return "BLAST+ XML";
    case ReportLayout::BlastXml2:
      return "BLAST+ XML2";
    case ReportLayout::BlastJson:
      return "BLAST+ JSON";
    case ReportLayout::Tabular:
      return "BLAST+ tabular";
    case ReportLayout::CommentedTabular:
      return "BLAST+ commented tabular";
    case ReportLayout::Csv:
      return "BLAST+ CSV";
  }
  return "unknown layout";
}

}  // namespace blastsearch
