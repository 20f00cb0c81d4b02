#pragma once

#include <list>
#include <memory>
#include <string>

#include "model/BlastSearchHit.h"
#include "platform/Export.h"
#include "platform/Object.h"

namespace blastsearch BLASTSEARCH_EXPORT {

class CKaArchive;
class UX_RTTI_LINK;

// Owning list of hits in report order; its iterators serve as list
// positions.
using HitList = std::list<std::unique_ptr<CBlastSearchHit>>;

// The hit collection of a result: an owning list of hits in report order.
// Held by value in CBlastSearchEntry.
class CBlastSearchHits : public CObject {
  DECLARE_DYNCREATE(CBlastSearchHits)

 public:
  using HitList = blastsearch::HitList;

  // No hits, empty info text.
  CBlastSearchHits() = default;
  // Default construction followed by assignment from `other`: a deep copy.
  CBlastSearchHits(const CBlastSearchHits& other);
  // Copies m_strInfo, then appends a deep copy of each of `other`'s hits
  // after the hits already held (nothing is removed). Assigning a collection
  // to itself changes nothing. Throws CMemoryException when a hit or element
  // cannot be allocated; the copies appended before stay here.
  CBlastSearchHits& operator=(const CBlastSearchHits& other);
  // Deletes the hits (and their elements) in list order.
  ~CBlastSearchHits() override;

  // Transfers the collection in the archive's direction (defined with the
  // archive form).
  void Serialize(CKaArchive& ar);
  // Calls obj->Serialize(ar); the function registered with the archive link.
  static void _ux_serialize(CBlastSearchHits* obj, CKaArchive& ar);
  // The archive link of this class ("~Hits~").
  static UX_RTTI_LINK _UX_RTTI_LINK;

  std::string m_strInfo;  // carried for other modules
  HitList m_HitList;      // hits in report order
};

}  // namespace BLASTSEARCH_EXPORT
