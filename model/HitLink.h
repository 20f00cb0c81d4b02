#pragma once

#include <string>

#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

class CBlastSearchEntry;
class CBlastSearchHit;
class CBlastSearchHitElement;

// The consensus line of `element`: its query row text with a blank wherever
// the subject row holds another byte or has ended. Same length as the query
// row; exact byte comparison, no case folding. Empty for a null element.
std::string GetConsensusSeq(const CBlastSearchHitElement* element);

// The link text of a sequence of molecule type `molType` (2: protein, else
// DNA/RNA) with identifier `id`: "qlon://<link database>/<kind>/<id>" when
// the entry's link type is 1, else "ncbi:<kind>/<id>", where kind is
// "protein" or "dnarna". Nothing is escaped or validated. Empty for a null
// entry.
std::string GetHitLink(const CBlastSearchEntry* entry, int molType, const std::string& id);

// GetHitLink(entry, hit->m_nMolType, hit->m_strID); empty for a null entry
// or hit.
std::string GetHitLink(const CBlastSearchEntry* entry, const CBlastSearchHit* hit);

// Whether `hit`'s subject is a protein: as the program recorded in the
// result's info implies, else as the alignments show (protein when the rows
// are not nucleotide and the subject rows are not translated), else by the
// hit's molecule type. False for a null entry or hit.
bool IsProteinSubject(const CBlastSearchEntry* entry, const CBlastSearchHit* hit);

// The hit's record at NCBI, a web address:
// "https://www.ncbi.nlm.nih.gov/protein/<id>" for a protein subject
// (IsProteinSubject), ".../nuccore/<id>" for a nucleotide one, <id> being
// the hit's identifier (m_strID). Empty when there is none: a null entry or
// hit, local hit links (link type 1), an empty identifier, an identifier of
// a local database (a name starting "gnl|"), or an identifier holding
// anything but letters, digits, '.', '_' and '-' (so nothing needs
// escaping and nothing can leave the path).
std::string GetHitAddress(const CBlastSearchEntry* entry, const CBlastSearchHit* hit);

}  // namespace BLASTSEARCH_EXPORT
