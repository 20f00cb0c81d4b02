#pragma once

#include <iosfwd>
#include <string>

#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

class CBlastSearchEntry;
class CBlastSearchHitElement;

// Writes one line per segment pair of `entry` in BLAST's tabular form, 12
// tab-separated columns: qseqid sseqid pident length mismatch gapopen qstart
// qend sstart send evalue bitscore. The identifiers are the first words of
// the query's and the hit's names (the query's identifier when it has one);
// mismatches and gap openings are counted on the aligned rows; expect values
// and bit scores are written as BLAST writes them ("NA" when not finite).
// Where the layout read carried no aligned rows, mismatches are what
// identities and gaps leave of the alignment and gap openings are "NA"; a
// percent identity without identities is "NA".
void WriteEntryTabular(const CBlastSearchEntry& entry, std::ostream& out);

// Writes every segment pair's aligned subject row without its gaps as one
// FASTA record: ">SSEQID:SSTART-SEND DESCRIPTION", then the residues, 60 to a
// line. Pairs whose subject row is empty are skipped. False when no record
// was written (no hits, or a layout without aligned rows).
bool WriteEntryFasta(const CBlastSearchEntry& entry, std::ostream& out);

// Counts on the aligned rows of `element`: columns where both rows hold a
// residue and they differ (letter case ignored), and runs of gap characters
// ('-') in either row.
int CountMismatches(const CBlastSearchHitElement& element);
int CountGapOpenings(const CBlastSearchHitElement& element);

}  // namespace BLASTSEARCH_EXPORT
