#pragma once

// Small linked classes and a byte builder for the archive tests.

#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <string_view>

#include "host/KaArchive.h"
#include "host/KaArchiveFormat.h"
#include "host/RttiLink.h"

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
  static void _ux_serialize(CTestChain* obj, CKaArchive& ar) { ar.XMember(obj->m_Next, 0, nullptr); }
  static UX_RTTI_LINK _UX_RTTI_LINK;

  std::list<std::unique_ptr<CTestChain>> m_Next;
};

// Builds archive bytes by hand, in the archive's own layout.
struct Bytes {
  std::string s;

  Bytes& U32(std::uint32_t v) {
    char b[4];
    ka_archive_format::EncodeFixed32(b, v);
    s.append(b, 4);
    return *this;
  }
  Bytes& Int(int v) { return U32(static_cast<std::uint32_t>(v)); }
  Bytes& Str(std::string_view t) {
    U32(static_cast<std::uint32_t>(t.size()));
    s.append(t);
    return *this;
  }
  // A frame is a name string followed by a data string.
  Bytes& Frame(std::string_view name, const Bytes& data) { return Str(name).Str(data.s); }
};
