#pragma once

#include <string_view>

#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

// The layout of a saved BLAST report, which decides the reader that imports
// it: QBlast for plain-text report bodies (definition lines that begin with
// '>' and the identifier; read by CNCBIAnalyserQ), Classic for HTML bodies
// whose hits open with "<a name" anchors (read by CReadSampleData), Unknown
// for text that holds no report.
// The further layouts are BLAST+'s: its pairwise text (-outfmt 0, rows
// "Query  1 ..." without a colon), the same as HTML (-html), XML (-outfmt 5),
// single-file XML2 (-outfmt 16), single-file JSON (-outfmt 15), tabular
// (-outfmt 6), commented tabular (-outfmt 7) and CSV (-outfmt 10); and the
// classic web page whose alignments are laid out against the query
// (query-anchored).
enum class ReportLayout {
  Unknown,
  QBlast,
  Classic,
  QueryAnchored,
  BlastPlusText,
  BlastPlusHtml,
  BlastXml,
  BlastXml2,
  BlastJson,
  Tabular,
  CommentedTabular,
  Csv,
};

// The layout's name for messages and the result's info: "BLAST+ XML",
// "query-anchored web page", ...
const char* ReportLayoutName(ReportLayout layout);

// Recognises the layout of `page` (any bytes; need not be terminated; the
// caller gives at most the first MiB of a file, which is enough for every
// layout). BLAST+'s layouts are told by their opening, within the first MiB:
// - BLAST+ XML and XML2 by the root element ("<BlastOutput", "<BlastXML2")
//   after the XML declaration, comments and the document type; JSON by a
//   '{' whose first key is "BlastOutput2";
// - commented tabular by a first line "# " and the program line
//   ("# BLASTP 2.12.0+") followed by a "# Query:" or "# Fields:" line;
// - pairwise text by the program line (an upper-case name holding "BLAST"
//   and a version ending in '+', bare or inside tags) or a query row
//   "Query  1 ..." without a colon; HTML when an <html>, <body> or <pre> tag
//   comes before that line;
// - the query-anchored web page by IsQueryAnchoredPage;
// - tabular by tab-separated lines that all have the same number of fields,
//   at least three, a query name first and a number among the others; CSV
//   by lines of the default twelve columns separated by commas (numbers from
//   the third on). Blank lines and "Search has CONVERGED!" are passed over,
//   and a last line cut off is not judged.
// Otherwise the older layouts:
// - the report body starts at the first query line ("Query=", or the HTML
//   form "<b>Query=</b>" in any letter case), or else at the summary header
//   "Sequences producing significant alignments"; without either the page is
//   Unknown;
// - the first hit opening in the body decides: a line that begins with an
//   "<a name" anchor (after an optional '>' and blanks, any letter case) is
//   Classic, a line that begins with '>' and anything else than a tag is
//   QBlast;
// - a body without hits is Classic when the query line is HTML markup
//   ("<b>Query=</b>", any letter case), else QBlast.
// Lines may end with LF, CR-LF or a lone CR. Time is linear in the page's
// length; nothing is allocated.
ReportLayout RecogniseReportLayout(std::string_view page);

}  // namespace BLASTSEARCH_EXPORT
