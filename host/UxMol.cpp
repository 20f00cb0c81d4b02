#include "host/UxMol.h"

#include "host/KaArchive.h"
#include "host/RttiLink.h"

namespace blastsearch {

IMPLEMENT_DYNCREATE(CUxMol, CObject)

UX_RTTI_LINK CUxMol::_UX_RTTI_LINK("~UxMol~", RUNTIME_CLASS(CUxMol), &CUxMol::_ux_serialize,
                                   nullptr, nullptr);

void CUxMol::Serialize(CKaArchive& ar) {
  ar(m_strName)(m_nType)(m_nType2)(m_nWord1)(m_nWord2)(m_nLength);
  ar(m_strSequence)(m_strLink)(m_strID);
  if (ar.IsLoading()) {
    std::string data;
    ar(data);
    m_xData.SetData(std::move(data));
  } else {
    std::string data = m_xData.GetData();
    ar(data);
  }
}

void CUxMol::_ux_serialize(CUxMol* obj, CKaArchive& ar) { obj->Serialize(ar); }

}  // namespace blastsearch
