#pragma once

#include <string>
#include <string_view>

#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

class CBlastSearchEntry;
class CBlastSearchHit;
class CBlastSearchHitElement;
class CBlastSearchSeqComponent;

// How a result's alignments are written, as BLAST writes them: the middle
// line between the query and subject rows, and the percentages of the
// score lines. Shared by the viewer and the readable output of the command
// line, so that both show the same text.
struct CAlignmentStyle {
  // Nucleotide rows (blastn, megablast): the middle line has '|' for an
  // identity and no positives are counted. Otherwise residues are scored
  // with m_strMatrix.
  bool m_bNucleotide = false;
  // The scoring matrix of protein and translated rows, upper case; always
  // one that IsKnownMatrix accepts.
  std::string m_strMatrix = "BLOSUM62";
  // BLAST+ after 2.2.22 rounds a percentage to the nearest whole number
  // (and writes 99 for anything short of all); 2.2.22 and the older
  // reports cut the fraction off.
  bool m_bRoundPercent = true;
  // BLAST+ writes "Gaps = 0/N (0%)" too; the older reports leave out a
  // gap count of 0.
  bool m_bAlwaysGaps = true;
  // The older reports' positives percentage (before BLAST 2.2.16) is the
  // identities' percentage plus that of the other positive pairs, each cut
  // off (so 54/122 with 30 identities is 24 + 19 = 43%, not 44%); later
  // ones and BLAST+ take the positives whole.
  bool m_bPositivesInParts = false;
};

// True for the matrices whose scores are at hand: BLOSUM30, BLOSUM45,
// BLOSUM62, BLOSUM80, PAM40, PAM120, PAM200 and PAM250 (any letter case).
bool IsKnownMatrix(std::string_view name);

// The style of `entry`'s alignments: nucleotide for blastn and megablast
// (by the program the reader recorded; without one, when every pair is
// untranslated and its rows hold only nucleotide codes), the matrix the
// result's info names (BLOSUM62 when it names none or one not at hand), and
// the percentages, positives and gap counts of BLAST+ unless the result was
// read from an older layout, each as the version the result names did it.
CAlignmentStyle AlignmentStyleOf(const CBlastSearchEntry& entry);

// The middle line of `element` as BLAST writes it: for nucleotide rows '|'
// where the two rows hold the same base (letter case aside), for protein
// rows the residue where they hold the same one and '+' where the matrix
// scores the pair above 0; a blank elsewhere (gaps, mismatches, pairs scored
// 0 or below such as X against X, and columns past the shorter row). Same
// length as the query row.
std::string GetMidline(const CBlastSearchHitElement& element, const CAlignmentStyle& style);

// `count` of `length` as a whole percentage, rounded as `style` says; 0 when
// `length` is 0 or below.
int PercentOf(long long count, long long length, const CAlignmentStyle& style);

// The percentage of `positives` (of which `identities` are identities) in
// `length`, as `style` computes it (see m_bPositivesInParts); 0 when
// `length` is 0 or below.
int PositivesPercentOf(long long identities, long long positives, long long length,
                       const CAlignmentStyle& style);

// The share of the query that `hit`'s segment pairs cover, in percent as
// BLAST+ gives it (the union of the pairs' query ranges over the query's
// length, rounded); -1 when the query length is not known (0).
int QueryCoverOf(const CBlastSearchHit& hit, long long queryLength);

// The identities of all of `hit`'s segment pairs over their summed
// alignment lengths, in percent with two decimals (as BLAST+'s hit tables);
// -1 when the hit has no alignment length.
double PercentIdentityOf(const CBlastSearchHit& hit);

// Whether `row` is translated: its range spans three positions per residue
// (gaps aside) rather than one.
bool IsTranslatedRow(const CBlastSearchSeqComponent& row);

}  // namespace BLASTSEARCH_EXPORT
