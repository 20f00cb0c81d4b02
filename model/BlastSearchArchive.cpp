// Archive form of the result tree: each class's record and its serialize
// function. The links with the archive are made by the module's start-up
// (table/BlastSearchModule.cpp), in their order.

#include "host/KaArchive.h"
#include "host/RttiLink.h"
#include "model/BlastSearchEntry.h"

namespace blastsearch {

void CBlastSearchSeqComponent::Serialize(CKaArchive& ar) {
  ar(m_nStart)(m_nEnd)(m_nLength)(m_bMinusStrand)(m_nExtra)(m_strSeq);
}

void CBlastSearchSeqComponent::_ux_serialize(CBlastSearchSeqComponent* obj, CKaArchive& ar) {
  obj->Serialize(ar);
}

void CBlastSearchHitElement::Serialize(CKaArchive& ar) {
  ar.XData(nullptr, &m_Query, 1);
  ar.XData(nullptr, &m_Subject, 1);
  ar(m_nScore)(m_dExpect)(m_dBitScore)(m_nAlignLength)(m_nIdentities)(m_nPositives)(m_nGaps);
  // The frame is an optional tail: older records end before it.
  if (!ar.AtEnd()) ar(m_nFrame);
}

void CBlastSearchHitElement::_ux_serialize(CBlastSearchHitElement* obj, CKaArchive& ar) {
  obj->Serialize(ar);
}

void CBlastSearchHitMoleculeName::Serialize(CKaArchive& ar) {
  ar(m_strFirst)(m_strSecond)(m_strThird);
}

void CBlastSearchHitMoleculeName::_ux_serialize(CBlastSearchHitMoleculeName* obj, CKaArchive& ar) {
  obj->Serialize(ar);
}

void CBlastSearchHit::Serialize(CKaArchive& ar) {
  // The record order is not the field order: the length comes between the
  // name and the description, the molecule type last.
  ar.XMember(m_ElementList, 0, nullptr);
  ar(m_strID)(m_strName)(m_nLength)(m_strDescription)(m_nMolType);
}

void CBlastSearchHit::_ux_serialize(CBlastSearchHit* obj, CKaArchive& ar) { obj->Serialize(ar); }

void CBlastSearchHits::Serialize(CKaArchive& ar) {
  ar(m_strInfo);
  ar.XMember(m_HitList, 0, nullptr);
}

void CBlastSearchHits::_ux_serialize(CBlastSearchHits* obj, CKaArchive& ar) { obj->Serialize(ar); }

void CBlastSearchEntry::Serialize(CKaArchive& ar) {
  ar.XData(nullptr, &m_Mol, 1);
  ar.XData(nullptr, &m_Hits, 1);
  // The hit-link settings are an optional tail, both behind the one test.
  if (!ar.AtEnd()) ar(m_nLinkType)(m_strLinkDatabase);
}

void CBlastSearchEntry::_ux_serialize(CBlastSearchEntry* obj, CKaArchive& ar) {
  obj->Serialize(ar);
}

}  // namespace blastsearch
