#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

class CBlastSearchEntry;
class CParseControl;

// The one-line descriptions of a report ("Sequences producing significant
// alignments:"), read as hits where the report prints no pairwise
// alignments for them (a report made with no alignments, a PSI-BLAST round
// without them, a page whose alignments are laid out against the query).
// Such a hit has what its line gives and nothing more: name (first word),
// identifier, description (as printed, cut with "..." where the report cut
// it), and one element with only the bit score and the expect value.

// One description line, read.
struct CSummaryRow {
  std::string strName;         // first word
  std::string strID;           // the score link's "#N" target, else the gi number of the name
  std::string strDescription;  // the text between the name and the score
  double dBitScore = 0.0;
  double dExpect = 0.0;
  int nCount = 0;  // the "N" column where the table has one, else 0
};

// Reads `line` (tags skipped, the entities &gt; &lt; &amp; &nbsp; decoded)
// as a description line: a first word, optionally a description, then the
// bit score and the expect value, and the count when `bCountColumn`. False
// (row unspecified) when the line has not that shape.
[[nodiscard]] bool ParseSummaryRow(std::string_view line, bool bCountColumn, CSummaryRow& row);

// Reads every summary table of `text` from offset `from` on, appending one
// hit per description line to `entry` (molecule type `nHitType`), the
// progress stored before each hit as the report walks do and a stop request
// ending the reading. A table ends at the first line that is neither blank
// (tags aside), a PSI-BLAST subsection title nor a description line; its
// hits are taken only when the table is followed by the report's closing
// statistics ("Database: ...", after a "CONVERGED!" line), or, with
// `bAnchored`, by a row of alignments laid out against the query: a report
// cut off after its table is not taken for one without alignments.
// Returns the number of hits appended. Linear in the text's length.
int ReadSummaryTables(std::string_view text, std::size_t from, CBlastSearchEntry& entry,
                      int nHitType, const CParseControl& control, bool bAnchored = false);

// Marks in `entry` the fields that summary-only hits do not carry: the
// alignments, the hits' lengths, the rows, raw scores, identities,
// positives, gaps, frames and strands.
void MarkSummaryOnly(CBlastSearchEntry& entry);

}  // namespace BLASTSEARCH_EXPORT
