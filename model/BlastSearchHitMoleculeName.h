#pragma once

#include <string>

#include "platform/Export.h"
#include "platform/Object.h"

namespace blastsearch BLASTSEARCH_EXPORT {

class CKaArchive;
class UX_RTTI_LINK;

// A record of three strings that other modules of the suite give a meaning
// to; this module only copies and archives it.
class CBlastSearchHitMoleculeName : public CObject {
  DECLARE_DYNCREATE(CBlastSearchHitMoleculeName)

 public:
  // Three empty strings.
  CBlastSearchHitMoleculeName() = default;
  // Default construction followed by assignment from `other`.
  CBlastSearchHitMoleculeName(const CBlastSearchHitMoleculeName& other);
  // Copies the three strings in order. Throws std::bad_alloc when a string
  // cannot be copied.
  CBlastSearchHitMoleculeName& operator=(const CBlastSearchHitMoleculeName& other);
  ~CBlastSearchHitMoleculeName() override = default;

  // Transfers the three strings in the archive's direction (defined with the
  // archive form).
  void Serialize(CKaArchive& ar);
  // Calls obj->Serialize(ar); the function registered with the archive link.
  static void _ux_serialize(CBlastSearchHitMoleculeName* obj, CKaArchive& ar);
  // The archive link of this class ("~HitMolName~").
  static UX_RTTI_LINK _UX_RTTI_LINK;

  std::string m_strFirst;
  std::string m_strSecond;
  std::string m_strThird;
};

}  // namespace BLASTSEARCH_EXPORT
