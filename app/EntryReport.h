#pragma once

#include <iosfwd>

namespace blastsearch {

class CBlastSearchEntry;

// Writes the result for a person to read: the query, where the result came
// from when the reader said (program, version, database, round, layout; a
// report cut off), a table of hits (identifier, name, length, best bit score
// and expect, description), then every alignment with its query row,
// middle line (as BLAST writes it: GetMidline) and subject row, and the
// hit's NCBI address (GetHitAddress; else its stored link text). Fields
// that the layout did not carry are shown as "-"; "Expect(n)" and a second
// frame ("Frame = +2/-1") where the report gave them; residues or letters as
// the program implies.
void WriteEntryReport(CBlastSearchEntry& entry, std::ostream& out);

// One line: "hits=N elements=M query_length=L" (L is "-" when the layout
// did not carry it), with " partial" at its end for a report cut off.
void WriteEntrySummary(const CBlastSearchEntry& entry, std::ostream& out);

}  // namespace blastsearch
