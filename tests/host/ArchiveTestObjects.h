#pragma once

// Small linked classes for the archive tests.

#include <list>
#include <memory>
#include <string>

#include "host/KaArchive.h"
#include "host/RttiLink.h"
#include "support/ArchiveBytes.h"

namespace blastsearch {

// Link "~Leaf~": an int, a string and an optional int tail (default -1).
class CTestLeaf : public CObject {
  DECLARE_DYNCREATE(CTestLeaf)
 public:
  void Serialize(CKaArchive& ar);
  static void _ux_serialize(CTestLeaf* obj, CKaArchive& ar) { obj->Serialize(ar); }
  static UX_RTTI_LINK _UX_RTTI_LINK;

  int m_nValue = 0;
  std::string m_strText;
  int m_nTail = -1;
  bool m_bWriteTail = true;  // storing: whether the tail is written
};

// Link "~LeafKind~": a leaf of a derived class, with one more string.
class CTestLeafKind : public CTestLeaf {
  DECLARE_DYNCREATE(CTestLeafKind)
 public:
  static void _ux_serialize(CTestLeafKind* obj, CKaArchive& ar) {
    obj->Serialize(ar);
    ar(obj->m_strKind);
  }
  static UX_RTTI_LINK _UX_RTTI_LINK;

  std::string m_strKind;
};

// Link "~Node~": an embedded leaf, a list of leaves, a name.
class CTestNode : public CObject {
  DECLARE_DYNCREATE(CTestNode)
 public:
  void Serialize(CKaArchive& ar) {
    ar.XData(nullptr, &m_Leaf, 1);
    ar.XMember(m_Leaves, 0, nullptr);
    ar(m_strName);
  }
  static void _ux_serialize(CTestNode* obj, CKaArchive& ar) { obj->Serialize(ar); }
  static UX_RTTI_LINK _UX_RTTI_LINK;

  CTestLeaf m_Leaf;
  std::list<std::unique_ptr<CTestLeaf>> m_Leaves;
  std::string m_strName;
};

// Link "~Chain~": a list of its own kind, so data decides how deep it nests.
class CTestChain : public CObject {
  DECLARE_DYNCREATE(CTestChain)
 public:
  static void _ux_serialize(CTestChain* obj, CKaArchive& ar) {
    ar.XMember(obj->m_Next, 0, nullptr);
  }
  static UX_RTTI_LINK _UX_RTTI_LINK;

  std::list<std::unique_ptr<CTestChain>> m_Next;
};

}  // namespace blastsearch
