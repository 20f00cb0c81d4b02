#pragma once

#include <string>

#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

class CBlastSearchEntry;

// What the displays of a result (readable report, JSON, exports) say beyond
// the model's own fields, taken from the result's info (model/ResultInfo.h).
// Results of the older readers carry at most the layout read; for them
// bFormat is false and every field counts as carried, so that they are
// shown as they always were.
struct CEntryFacts {
  bool bFormat = false;  // the info says more than the layout: program, database, ...
  std::string strLayout, strProgram, strVersion, strDatabase, strRound, strPartial;
  // The search run that made the result, when blastsearch ran it.
  std::string strSearch;
  // Molecule types (2 = protein, 1 = nucleotide) as the program implies
  // them; the query's own type and 0 (each hit's own) when it names none.
  int nQueryType = 1;
  int nHitType = 0;
  // Which fields the layout carried; a display shows the others as unknown.
  bool bQueryLength = true, bHitLength = true, bDescription = true, bRows = true, bRawScore = true,
       bPositives = true, bGaps = true, bIdentities = true, bFrames = true;
};

// The facts of `entry`. Never throws but for memory.
CEntryFacts GetEntryFacts(const CBlastSearchEntry& entry);

}  // namespace BLASTSEARCH_EXPORT
