#pragma once

#include <string>

#include "host/KaXDataWrapper.h"
#include "platform/Export.h"
#include "platform/Object.h"

namespace blastsearch BLASTSEARCH_EXPORT {

class CKaArchive;
class UX_RTTI_LINK;

// The host's molecule record. The extension uses the members below directly.
// Its archive form is the host's own (link "~UxMol~"): every member below in
// declaration order, the extra data as one string of its bytes.
class CUxMol : public CObject {
  DECLARE_DYNCREATE(CUxMol)

 public:
  CUxMol() = default;
  CUxMol(const CUxMol&) = default;
  CUxMol& operator=(const CUxMol&) = default;
  ~CUxMol() override = default;

  // Transfers the record in the archive's direction; archive failures pass
  // out unchanged (CKaArchiveException, CFileException).
  void Serialize(CKaArchive& ar);
  // The function given to the link: calls obj->Serialize(ar).
  static void _ux_serialize(CUxMol* obj, CKaArchive& ar);
  static UX_RTTI_LINK _UX_RTTI_LINK;

  std::string m_strName;  // molecule name
  int m_nType = 1;        // object type; 2 means protein
  int m_nType2 = 0;       // second type word
  int m_nWord1 = 0;       // further words whose meaning is the host's
  int m_nWord2 = 0;
  int m_nLength = 0;          // sequence length
  std::string m_strSequence;  // the sequence
  std::string m_strLink;      // link text of the molecule
  std::string m_strID;        // identifier
  CKaXDataWrapper m_xData;    // extra data of other modules
};

}  // namespace BLASTSEARCH_EXPORT
