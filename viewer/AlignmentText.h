#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "model/AlignmentMidline.h"
#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

class CBlastSearchHit;
class CBlastSearchHitElement;

// Texts of the result viewer: the score lines of a segment pair and its
// alignment rows wrapped into blocks (score figures in the reports' styles
// of model/NumberFormat.h). Pure functions, no window code.

// The best (highest) bit score and best (lowest) expect of a hit's segment
// pairs; false when the hit has none (the outputs are then unchanged).
bool BestScores(const CBlastSearchHit& hit, double& bitScore, double& expect);

// The score lines of a segment pair: "Score = 153 bits (387), Expect = 2e-37"
// ("Expect(2)" for a sum of two pairs); the identities, positives (for
// protein or translated alignments) and gaps (always in `style`'s BLAST+
// form, else when there are some) with their percentages of the alignment
// length rounded as `style` says; then "Strand = Plus / Minus" for
// nucleotide alignments or "Frame = +2" ("+2/-1" with the subject's) when
// the pair has a frame.
std::vector<std::string> ScoreLines(const CBlastSearchHitElement& element,
                                    const CAlignmentStyle& style);
// The same for a style told only by `protein`: BLOSUM62 rows when true,
// nucleotide rows otherwise; percentages and gaps as BLAST+ writes them.
std::vector<std::string> ScoreLines(const CBlastSearchHitElement& element, bool protein);

// One block of an alignment: the query row, the consensus line and the
// subject row of up to `columns` alignment columns, each row with the
// positions of its first and last residue of the block at its ends. The
// three lines have their sequence text in the same columns.
struct CAlignmentBlock {
  std::string m_strQuery;
  std::string m_strConsensus;
  std::string m_strSubject;
  std::size_t m_nTextColumn = 0;  // where the sequence text begins in each line
  std::size_t m_nTextWidth = 0;   // its number of columns
};

// The element's rows cut into blocks of `columns` columns (60 when
// `columns` is below 1), with the middle line of `style` (GetMidline)
// between them. A row's positions run from its start towards its end, one
// per residue, or three per residue when the row's range is three times its
// residue count (a translated row); gap characters ('-') take no position.
// No blocks for empty rows.
std::vector<CAlignmentBlock> AlignmentBlocks(const CBlastSearchHitElement& element,
                                             const CAlignmentStyle& style, int columns = 60);
// The same with the default style (protein rows scored with BLOSUM62).
std::vector<CAlignmentBlock> AlignmentBlocks(const CBlastSearchHitElement& element,
                                             int columns = 60);

// The alignments of `hit` as plain text, as the viewer shows them and
// copies them: the hit's definition line and length, then for each segment
// pair its score lines and its blocks (query row, middle line, subject
// row), a blank line between blocks and pairs. Ends with a line end.
std::string HitAlignmentText(const CBlastSearchHit& hit, const CAlignmentStyle& style);

}  // namespace BLASTSEARCH_EXPORT
