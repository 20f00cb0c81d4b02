#pragma once

#include <string>

#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

class CBlastSearchHit;

// The first word of `text`: its characters up to the first blank, leading
// blanks skipped; empty when it has none.
std::string FirstWordOf(const std::string& text);

// `hit`'s aligned subject rows as FASTA, one record per segment pair:
// ">SSEQID:SSTART-SEND DESCRIPTION" (SSEQID the first word of the hit's
// name, else its identifier; line ends, tabs and other control characters
// of the header made blanks), then the row's residues without gaps or
// blanks, 60 to a line. Pairs whose subject row holds no residue are left
// out; empty when no record is made.
std::string SubjectFasta(const CBlastSearchHit& hit);

}  // namespace BLASTSEARCH_EXPORT
