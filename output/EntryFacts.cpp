#include "output/EntryFacts.h"

#include "model/BlastSearchEntry.h"
#include "model/ResultInfo.h"

namespace blastsearch {

CEntryFacts GetEntryFacts(const CBlastSearchEntry& entry) {
  namespace info = result_info;
  CEntryFacts facts;
  facts.strLayout = GetResultInfo(entry, info::kLayout);
  facts.strProgram = GetResultInfo(entry, info::kProgram);
  facts.strVersion = GetResultInfo(entry, info::kVersion);
  facts.strDatabase = GetResultInfo(entry, info::kDatabase);
  facts.strRound = GetResultInfo(entry, info::kRound);
  facts.strPartial = GetResultInfo(entry, info::kPartial);
  facts.strSearch = GetResultInfo(entry, info::kSearch);
  const bool absent = !GetResultInfo(entry, info::kAbsent).empty();
  facts.bFormat = absent || !facts.strProgram.empty() || !facts.strVersion.empty() ||
                  !facts.strDatabase.empty() || !facts.strRound.empty() ||
                  !facts.strPartial.empty() || !GetResultInfo(entry, info::kQueryNumber).empty();
  facts.nQueryType = entry.m_Mol.m_nType;
  int queryType = 0, hitType = 0;
  if (MoleculeTypesOfProgram(facts.strProgram, queryType, hitType)) {
    facts.nQueryType = queryType;
    facts.nHitType = hitType;
  }
  if (absent) {
    facts.bQueryLength = !IsFieldAbsent(entry, info::kAbsentQueryLength);
    facts.bHitLength = !IsFieldAbsent(entry, info::kAbsentHitLength);
    facts.bDescription = !IsFieldAbsent(entry, info::kAbsentDescription);
    facts.bRows = !IsFieldAbsent(entry, info::kAbsentRows);
    facts.bRawScore = !IsFieldAbsent(entry, info::kAbsentRawScore);
    facts.bPositives = !IsFieldAbsent(entry, info::kAbsentPositives);
    facts.bGaps = !IsFieldAbsent(entry, info::kAbsentGaps);
    facts.bIdentities = !IsFieldAbsent(entry, info::kAbsentIdentities);
    facts.bFrames = !IsFieldAbsent(entry, info::kAbsentFrames);
  }
  return facts;
}

}  // namespace blastsearch
