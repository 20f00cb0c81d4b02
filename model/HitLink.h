#pragma once

#include <string>

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
