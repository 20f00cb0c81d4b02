#pragma once

// Small builders of result trees for the model tests.

#include <memory>
#include <string>
#include <vector>

#include "model/BlastSearchEntry.h"

namespace blastsearch {

// An element whose fields all derive from `seed`, so that two elements built
// from different seeds differ in every field.
inline std::unique_ptr<CBlastSearchHitElement> MakeElement(int seed) {
  auto element = std::make_unique<CBlastSearchHitElement>();
  element->m_nScore = 100 + seed;
  element->m_dExpect = 1e-10 * (seed + 1);
  element->m_dBitScore = 50.5 + seed;
  element->m_nFrame = (seed % 2 == 0) ? 2 : -3;
  element->m_nAlignLength = 60 + seed;
  element->m_nIdentities = 40 + seed;
  element->m_nPositives = 45 + seed;
  element->m_nGaps = seed;
  element->m_Query.m_nStart = seed;
  element->m_Query.m_nEnd = seed + 5;
  element->m_Query.m_nLength = 6;
  element->m_Query.m_nExtra = 7 + seed;
  element->m_Query.m_strSeq = "ACGT-" + std::to_string(seed);
  element->m_Subject.m_nStart = 1000 + seed;
  element->m_Subject.m_nEnd = 995 + seed;
  element->m_Subject.m_nLength = 6;
  element->m_Subject.m_bMinusStrand = 1;
  element->m_Subject.m_strSeq = "ACCTA" + std::to_string(seed);
  return element;
}

// A hit named after `seed` holding `elements` elements.
inline std::unique_ptr<CBlastSearchHit> MakeHit(int seed, int elements) {
  auto hit = std::make_unique<CBlastSearchHit>();
  hit->m_strID = std::to_string(1000 + seed);
  hit->m_strName = "gi|" + hit->m_strID;
  hit->m_strDescription = "sequence " + std::to_string(seed);
  hit->m_nMolType = seed % 2 == 0 ? 2 : 1;
  hit->m_nLength = 300 + seed;
  for (int i = 0; i < elements; ++i) hit->m_ElementList.push_back(MakeElement(seed * 10 + i));
  return hit;
}

// An entry with a query named `name` and one hit per item of `elementCounts`
// holding that many elements.
inline std::unique_ptr<CBlastSearchEntry> MakeEntry(const std::string& name,
                                                    const std::vector<int>& elementCounts) {
  auto owned = std::make_unique<CBlastSearchEntry>();
  CBlastSearchEntry& entry = *owned;
  entry.m_Mol.m_strName = name;
  entry.m_Mol.m_strID = name + "_id";
  entry.m_Mol.m_nType = 2;
  entry.m_Mol.m_nLength = 250;
  entry.m_Mol.m_strSequence = "MKV";
  entry.m_Mol.m_strLink = "link:" + name;
  entry.m_nLinkType = 1;
  entry.m_strLinkDatabase = "LocalDB";
  entry.m_Hits.m_strInfo = "info " + name;
  int seed = 0;
  for (int count : elementCounts) entry.m_Hits.m_HitList.push_back(MakeHit(seed++, count));
  return owned;
}

}  // namespace blastsearch
