#pragma once

#include <string>

#include "host/UxMol.h"
#include "model/BlastSearchHit.h"
#include "model/BlastSearchHitElement.h"
#include "model/BlastSearchHitMoleculeName.h"
#include "model/BlastSearchHits.h"
#include "model/BlastSearchSeqComponent.h"
#include "platform/Export.h"
#include "platform/Object.h"

namespace blastsearch BLASTSEARCH_EXPORT {

class CKaArchive;
class UX_RTTI_LINK;

// One BLAST search result: the query molecule, its hits and the hit-link
// settings. The entry owns its hits, each hit owns its elements. Positions
// count from 0 in list order, which is report order. Lists hold no null
// entries; every walk below skips one if a client put it there.
class CBlastSearchEntry : public CObject {
  DECLARE_DYNCREATE(CBlastSearchEntry)

 public:
  // The host's molecule defaults, then query type 0 and length 0; no hits;
  // link type 0 (NCBI links) and an empty link database.
  CBlastSearchEntry();
  // Default construction followed by assignment from `other`: a deep copy.
  CBlastSearchEntry(const CBlastSearchEntry& other);
  // Appends deep copies of `other`'s hits after the hits already held (the
  // collection's m_strInfo is taken from `other`), then copies the query's
  // type, name, sequence, length, identifier and link, then the link type and
  // link database. The rest of the query record (second type word, further
  // words, extra data) keeps this entry's values. Assigning an entry to
  // itself changes nothing. Throws CMemoryException when a hit or element
  // cannot be allocated; the copies appended before stay here.
  CBlastSearchEntry& operator=(const CBlastSearchEntry& other);
  // Releases the link database, then the hits, then the query record.
  ~CBlastSearchEntry() override = default;

  // Transfers the entry in the archive's direction (defined with the archive
  // form); the link type and database are an optional tail.
  void Serialize(CKaArchive& ar);
  // Calls obj->Serialize(ar); the function registered with the archive link.
  static void _ux_serialize(CBlastSearchEntry* obj, CKaArchive& ar);
  // The archive link of this class ("~Entry~").
  static UX_RTTI_LINK _UX_RTTI_LINK;

  // ---- Query molecule accessors ----

  // Copies of the query's name, identifier and sequence.
  std::string GetMolName() const;
  std::string GetMolID() const;
  std::string GetMolSequence() const;
  // The query's molecule type (2 means protein) and length.
  int GetMolType() const;
  int GetMolLength() const;
  // The address of the query's link text; the same on every call, valid while
  // the entry lives; writing through it changes the entry.
  std::string* GetMolQlonLink();

  // ---- Navigation (linear walks, first match wins) ----

  // Number of entries in the hit list.
  int GetHitsCount() const;
  // 1 when the hit list is empty, else 0.
  int IsEmpty() const;

  // First hit and its first element (null when that hit has none): returns 1.
  // Returns 0 with both outputs unchanged when there is no hit.
  int GetData(CBlastSearchHit*& hit, CBlastSearchHitElement*& element);
  // Sets `hit` to `given` (which need not belong to this entry) and `element`
  // to its first element, or null when it has none or `given` is null.
  // Always returns 0: this form has no failure to report.
  int GetData(CBlastSearchHit* given, CBlastSearchHit*& hit, CBlastSearchHitElement*& element);
  // Finds the hit holding `given` (the same object): returns 1 with `hit` and
  // `element` set. Otherwise returns 0; the outputs then hold the last hit and
  // element examined (unchanged where nothing was examined).
  int GetData(CBlastSearchHitElement* given, CBlastSearchHit*& hit,
              CBlastSearchHitElement*& element);
  // The hit at position `hitIndex` and its element at `elementIndex`: returns
  // 1 with both set. Returns 0 with both outputs unchanged when either
  // position is out of range (negative positions never match).
  int GetData(int hitIndex, int elementIndex, CBlastSearchHit*& hit,
              CBlastSearchHitElement*& element);
  // Positions of `hit` in the hit list and of `element` in that hit: returns
  // 1 with both set. Returns 0 with both set to 0 when `hit` is not in this
  // entry or does not hold `element`.
  int GetNumbers(const CBlastSearchHit* hit, const CBlastSearchHitElement* element, int& hitIndex,
                 int& elementIndex) const;
  // The first element whose m_nID is `elementID` inside a hit whose m_nID is
  // `hitID` (later hits sharing the identifier are searched too): returns 1.
  // Otherwise returns 0; the outputs then hold the last hit and element
  // examined (unchanged where nothing was examined).
  int FindID(int hitID, int elementID, CBlastSearchHit*& hit, CBlastSearchHitElement*& element);
  // The hit owning `element`, or null. `hitPos` and `elementPos` may be null;
  // when given they receive the list positions examined, so on success they
  // are the positions of the returned hit in m_Hits.m_HitList and of
  // `element` in that hit's m_ElementList (usable to erase either). On
  // failure they hold the positions of the last items examined (unchanged
  // where nothing was examined).
  CBlastSearchHit* FindHitByElement(const CBlastSearchHitElement* element,
                                    HitList::iterator* hitPos, ElementList::iterator* elementPos);
  // For every element whose query and subject row texts differ in length,
  // cuts the longer text to the shorter length. Nothing else changes.
  void CheckData();

  CUxMol m_Mol;                   // the query molecule
  CBlastSearchHits m_Hits;        // the hits
  int m_nLinkType = 0;            // 1: local hit links, else NCBI links
  std::string m_strLinkDatabase;  // first path part of local hit links
};

}  // namespace BLASTSEARCH_EXPORT
