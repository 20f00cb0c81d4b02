#pragma once

#include <iosfwd>

class CBlastSearchEntry;

// Writes the result for a person to read: the query, a table of hits (identifier,
// name, length, best bit score and expect, description), then every alignment
// with its query row, consensus line and subject row, and the hit's link.
void WriteEntryReport(CBlastSearchEntry& entry, std::ostream& out);

// One line: "hits=N elements=M query_length=L".
void WriteEntrySummary(const CBlastSearchEntry& entry, std::ostream& out);
