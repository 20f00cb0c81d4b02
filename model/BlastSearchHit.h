#pragma once

#include <list>
#include <memory>
#include <string>

#include "model/BlastSearchHitElement.h"
#include "platform/Export.h"
#include "platform/Object.h"

namespace blastsearch BLASTSEARCH_EXPORT {

class CKaArchive;
class UX_RTTI_LINK;

// Owning list of a hit's segment pairs in report order; its iterators serve
// as list positions.
using ElementList = std::list<std::unique_ptr<CBlastSearchHitElement>>;

// One database sequence that produced alignments, with its segment pairs.
// Owned by the hit collection's m_HitList.
class CBlastSearchHit : public CObject {
  DECLARE_DYNCREATE(CBlastSearchHit)

 public:
  using ElementList = blastsearch::ElementList;

  // No elements, molecule type 1, length 0, m_nID 0.
  CBlastSearchHit() = default;
  // Default construction followed by assignment from `other`: a deep copy
  // whose m_nID stays 0.
  CBlastSearchHit(const CBlastSearchHit& other);
  // Appends a deep copy of each of `other`'s elements after the elements this
  // hit already holds (nothing is removed), then copies the texts, length and
  // molecule type; never m_nID. Assigning a hit to itself changes nothing.
  // Throws CMemoryException when an element cannot be allocated; the copies
  // appended before stay in this hit.
  CBlastSearchHit& operator=(const CBlastSearchHit& other);
  // Deletes the elements in list order, then releases the texts and list.
  ~CBlastSearchHit() override;

  // Transfers the hit in the archive's direction (defined with the archive
  // form).
  void Serialize(CKaArchive& ar);
  // Calls obj->Serialize(ar); the function registered with the archive link.
  static void _ux_serialize(CBlastSearchHit* obj, CKaArchive& ar);
  // The archive link of this class ("~Hit~").
  static UX_RTTI_LINK _UX_RTTI_LINK;

  int m_nID = 0;                 // set by clients for FindID; never copied or archived
  ElementList m_ElementList;     // segment pairs in report order
  std::string m_strID;           // identifier used in hit links (gi number)
  std::string m_strName;         // name as the report shows it
  std::string m_strDescription;  // rest of the definition line
  int m_nMolType = 1;            // 2 means protein, else nucleic acid
  int m_nLength = 0;             // length of the database sequence
};

}  // namespace BLASTSEARCH_EXPORT
