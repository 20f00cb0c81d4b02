#pragma once

#include <string>

#include "platform/Export.h"
#include "platform/Object.h"

namespace blastsearch BLASTSEARCH_EXPORT {

class CKaArchive;
class UX_RTTI_LINK;

// One aligned row of a segment pair: the query row or the subject row.
// Held by value in CBlastSearchHitElement.
class CBlastSearchSeqComponent : public CObject {
  DECLARE_DYNCREATE(CBlastSearchSeqComponent)

 public:
  // All integers 0, empty row text.
  CBlastSearchSeqComponent() = default;
  // Default construction followed by assignment from `other`.
  CBlastSearchSeqComponent(const CBlastSearchSeqComponent& other);
  // Copies every field. Throws std::bad_alloc when the row text cannot be
  // copied; the target then keeps the values copied before.
  CBlastSearchSeqComponent& operator=(const CBlastSearchSeqComponent& other);
  ~CBlastSearchSeqComponent() override = default;

  // Transfers the row in the archive's direction (defined with the archive
  // form). Archive failures arrive as the archive's exceptions.
  void Serialize(CKaArchive& ar);
  // Calls obj->Serialize(ar); the function registered with the archive link.
  static void _ux_serialize(CBlastSearchSeqComponent* obj, CKaArchive& ar);
  // The archive link of this class ("SeqComponent").
  static UX_RTTI_LINK _UX_RTTI_LINK;

  int m_nStart = 0;        // position of the row's first residue
  int m_nEnd = 0;          // position of the row's last residue
  int m_nLength = 0;       // number of alignment columns
  int m_bMinusStrand = 0;  // 1 when the row lies on the minus strand
  int m_nExtra = 0;        // carried for other modules
  std::string m_strSeq;    // row text, one character per column
};

}  // namespace BLASTSEARCH_EXPORT
