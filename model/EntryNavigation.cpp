// Walks of a result's two list levels: counts, look-ups by position, object
// and identifier, and the repair of rows of unequal length.

#include <algorithm>

#include "model/BlastSearchEntry.h"

namespace blastsearch {

int CBlastSearchEntry::GetHitsCount() const { return static_cast<int>(m_Hits.m_HitList.size()); }

int CBlastSearchEntry::IsEmpty() const { return m_Hits.m_HitList.empty() ? 1 : 0; }

namespace {

// The first non-null element of `hit`, or null.
CBlastSearchHitElement* FirstElement(const CBlastSearchHit& hit) {
  for (const auto& element : hit.m_ElementList) {
    if (element) return element.get();
  }
  return nullptr;
}

}  // namespace

int CBlastSearchEntry::GetData(CBlastSearchHit*& hit, CBlastSearchHitElement*& element) {
  for (const auto& first : m_Hits.m_HitList) {
    if (!first) continue;
    hit = first.get();
    element = FirstElement(*first);
    return 1;
  }
  return 0;
}

int CBlastSearchEntry::GetData(CBlastSearchHit* given, CBlastSearchHit*& hit,
                               CBlastSearchHitElement*& element) {
  hit = given;
  element = given != nullptr ? FirstElement(*given) : nullptr;
  return 0;
}

int CBlastSearchEntry::GetData(CBlastSearchHitElement* given, CBlastSearchHit*& hit,
                               CBlastSearchHitElement*& element) {
  for (const auto& h : m_Hits.m_HitList) {
    if (!h) continue;
    hit = h.get();
    for (const auto& e : h->m_ElementList) {
      if (!e) continue;
      element = e.get();
      if (element == given) return 1;
    }
  }
  return 0;
}

int CBlastSearchEntry::GetData(int hitIndex, int elementIndex, CBlastSearchHit*& hit,
                               CBlastSearchHitElement*& element) {
  if (hitIndex < 0 || elementIndex < 0) return 0;
  int hitPosition = 0;
  for (const auto& h : m_Hits.m_HitList) {
    if (hitPosition++ != hitIndex) continue;
    if (!h) return 0;
    int elementPosition = 0;
    for (const auto& e : h->m_ElementList) {
      if (elementPosition++ != elementIndex) continue;
      if (!e) return 0;
      hit = h.get();
      element = e.get();
      return 1;
    }
    return 0;
  }
  return 0;
}

int CBlastSearchEntry::GetNumbers(const CBlastSearchHit* hit, const CBlastSearchHitElement* element,
                                  int& hitIndex, int& elementIndex) const {
  hitIndex = 0;
  elementIndex = 0;
  int hitPosition = 0;
  for (const auto& h : m_Hits.m_HitList) {
    if (h && h.get() == hit) {
      int elementPosition = 0;
      for (const auto& e : h->m_ElementList) {
        if (e && e.get() == element) {
          hitIndex = hitPosition;
          elementIndex = elementPosition;
          return 1;
        }
        ++elementPosition;
      }
    }
    ++hitPosition;
  }
  return 0;
}

int CBlastSearchEntry::FindID(int hitID, int elementID, CBlastSearchHit*& hit,
                              CBlastSearchHitElement*& element) {
  for (const auto& h : m_Hits.m_HitList) {
    if (!h) continue;
    hit = h.get();
    if (h->m_nID != hitID) continue;
    for (const auto& e : h->m_ElementList) {
      if (!e) continue;
      element = e.get();
      if (e->m_nID == elementID) return 1;
    }
  }
  return 0;
}

CBlastSearchHit* CBlastSearchEntry::FindHitByElement(const CBlastSearchHitElement* element,
                                                     HitList::iterator* hitPos,
                                                     ElementList::iterator* elementPos) {
  for (auto h = m_Hits.m_HitList.begin(); h != m_Hits.m_HitList.end(); ++h) {
    if (hitPos != nullptr) *hitPos = h;
    if (!*h) continue;
    ElementList& elements = (*h)->m_ElementList;
    for (auto e = elements.begin(); e != elements.end(); ++e) {
      if (elementPos != nullptr) *elementPos = e;
      if (*e && e->get() == element) return h->get();
    }
  }
  return nullptr;
}

void CBlastSearchEntry::CheckData() {
  for (const auto& h : m_Hits.m_HitList) {
    if (!h) continue;
    for (const auto& e : h->m_ElementList) {
      if (!e) continue;
      std::string& query = e->m_Query.m_strSeq;
      std::string& subject = e->m_Subject.m_strSeq;
      const size_t shorter = std::min(query.size(), subject.size());
      query.resize(shorter);
      subject.resize(shorter);
    }
  }
}

}  // namespace blastsearch
