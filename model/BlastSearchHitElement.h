#pragma once

#include "model/BlastSearchSeqComponent.h"
#include "platform/Export.h"
#include "platform/Object.h"

namespace blastsearch BLASTSEARCH_EXPORT {

class CKaArchive;
class UX_RTTI_LINK;

// One aligned segment pair of a hit: the query and subject rows and the
// scores. Owned by its hit's m_ElementList.
class CBlastSearchHitElement : public CObject {
  DECLARE_DYNCREATE(CBlastSearchHitElement)

 public:
  // Scores and counts 0, two default rows, m_nID 0.
  CBlastSearchHitElement() = default;
  // Default construction followed by assignment from `other`; m_nID stays 0.
  CBlastSearchHitElement(const CBlastSearchHitElement& other);
  // Copies the rows, then the scores and counts; never m_nID. Throws
  // std::bad_alloc when a row text cannot be copied.
  CBlastSearchHitElement& operator=(const CBlastSearchHitElement& other);
  ~CBlastSearchHitElement() override = default;

  // Transfers the element in the archive's direction (defined with the
  // archive form); the frame is an optional tail.
  void Serialize(CKaArchive& ar);
  // Calls obj->Serialize(ar); the function registered with the archive link.
  static void _ux_serialize(CBlastSearchHitElement* obj, CKaArchive& ar);
  // The archive link of this class ("~HitElement~").
  static UX_RTTI_LINK _UX_RTTI_LINK;

  int m_nID = 0;                       // set by clients for FindID; never copied or archived
  CBlastSearchSeqComponent m_Query;    // the query row
  CBlastSearchSeqComponent m_Subject;  // the subject row
  int m_nScore = 0;                    // raw score
  double m_dExpect = 0.0;              // expect value
  double m_dBitScore = 0.0;            // bit score
  int m_nFrame = 0;                    // reading frame, signed; 0 when none
  int m_nAlignLength = 0;              // alignment length
  int m_nIdentities = 0;
  int m_nPositives = 0;
  int m_nGaps = 0;
};

}  // namespace BLASTSEARCH_EXPORT
