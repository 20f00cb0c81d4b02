#include <gtest/gtest.h>

#include <bit>
#include <climits>
#include <cstdint>
#include <limits>

#include "ArchiveTestObjects.h"
#include "host/UxMol.h"

namespace blastsearch {

IMPLEMENT_DYNCREATE(CTestLeaf, CObject)
IMPLEMENT_DYNCREATE(CTestLeafKind, CTestLeaf)
IMPLEMENT_DYNCREATE(CTestNode, CObject)
IMPLEMENT_DYNCREATE(CTestChain, CObject)

// A leaf of a class that has no archive link of its own.
class CUnlinkedLeaf : public CTestLeaf {
  DECLARE_DYNCREATE(CUnlinkedLeaf)
};
IMPLEMENT_DYNCREATE(CUnlinkedLeaf, CTestLeaf)
UX_RTTI_LINK CTestLeaf::_UX_RTTI_LINK("~Leaf~", RUNTIME_CLASS(CTestLeaf), &CTestLeaf::_ux_serialize,
                                      nullptr, nullptr);
UX_RTTI_LINK CTestLeafKind::_UX_RTTI_LINK("~LeafKind~", RUNTIME_CLASS(CTestLeafKind),
                                          &CTestLeafKind::_ux_serialize, nullptr, nullptr);
UX_RTTI_LINK CTestNode::_UX_RTTI_LINK("~Node~", RUNTIME_CLASS(CTestNode), &CTestNode::_ux_serialize,
                                      nullptr, nullptr);
UX_RTTI_LINK CTestChain::_UX_RTTI_LINK("~Chain~", RUNTIME_CLASS(CTestChain),
                                       &CTestChain::_ux_serialize, nullptr, nullptr);

void CTestLeaf::Serialize(CKaArchive& ar) {
  ar(m_nValue)(m_strText);
  if (ar.IsLoading() ? !ar.AtEnd() : m_bWriteTail) ar(m_nTail);
}

namespace {

// Stores with `store`, then loads the bytes back with `load`; returns the bytes.
template <class Store, class Load>
std::string RoundTrip(Store store, Load load) {
  CMemFile out;
  {
    CKaArchive ar(&out, 0);
    store(ar);
  }
  CMemFile in(out.Data());
  CKaArchive ar(&in, 1);
  load(ar);
  EXPECT_TRUE(ar.AtEnd());
  return out.Data();
}

TEST(ArchiveValues, IntsRoundTripAndAreLittleEndian) {
  for (int value : {0, 1, -1, 0x01020304, INT_MIN, INT_MAX}) {
    int back = 12345;
    std::string bytes =
        RoundTrip([&](CKaArchive& ar) { ar(value); }, [&](CKaArchive& ar) { ar(back); });
    EXPECT_EQ(back, value);
    EXPECT_EQ(bytes, Bytes().Int(value).s);
  }
  int value = 0x01020304;
  EXPECT_EQ(RoundTrip([&](CKaArchive& ar) { ar(value); }, [&](CKaArchive& ar) { ar(value); }),
            std::string("\x04\x03\x02\x01", 4));
}

TEST(ArchiveValues, DoublesRoundTripBitForBit) {
  const std::uint64_t patterns[] = {
      0x0000000000000000ull,  // +0.0
      0x8000000000000000ull,  // -0.0
      0x0000000000000001ull,  // smallest denormal
      0x800FFFFFFFFFFFFFull,  // largest negative denormal
      0x7FEFFFFFFFFFFFFFull,  // DBL_MAX
      0x7FF0000000000000ull,  // +inf
      0xFFF0000000000000ull,  // -inf
      0x7FF8000000000123ull,  // quiet NaN with payload
      0x7FF0000000000001ull,  // signalling NaN pattern
      0xFFFFFFFFFFFFFFFFull,  // negative NaN, all payload bits
      std::bit_cast<std::uint64_t>(1e-300),
  };
  for (std::uint64_t pattern : patterns) {
    double value = std::bit_cast<double>(pattern);
    double back = 42.0;
    std::string bytes =
        RoundTrip([&](CKaArchive& ar) { ar(value); }, [&](CKaArchive& ar) { ar(back); });
    EXPECT_EQ(std::bit_cast<std::uint64_t>(back), pattern) << std::hex << pattern;
    ASSERT_EQ(bytes.size(), 8u);
    EXPECT_EQ(ka_archive_format::DecodeFixed64(bytes.data()), pattern);
  }
}

TEST(ArchiveValues, StringsRoundTripWithAnyBytes) {
  const std::string values[] = {"", "a", std::string("\0\xff\r\n\0", 5), std::string(100000, 'x')};
  for (const std::string& value : values) {
    std::string in = value, back = "previous";
    std::string bytes =
        RoundTrip([&](CKaArchive& ar) { ar(in); }, [&](CKaArchive& ar) { ar(back); });
    EXPECT_EQ(back, value);
    EXPECT_EQ(bytes, Bytes().Str(value).s);
  }
}

TEST(ArchiveValues, ReadingPastTheEndThrowsWithTheOffset) {
  CMemFile in(Bytes().Int(7).s + "ab");
  CKaArchive ar(&in, 1);
  int value = 0;
  ar(value);
  EXPECT_FALSE(ar.AtEnd());
  try {
    ar(value);
    FAIL() << "a short int must not load";
  } catch (const CKaArchiveException& e) {
    EXPECT_EQ(e.GetOffset(), 4u);
    EXPECT_NE(std::string(e.what()).find("byte offset 4"), std::string::npos) << e.what();
  }
}

TEST(ArchiveValues, StartsAtTheFilesPositionAndStoresAtOnce) {
  CMemFile file("TEXT");
  file.Seek(0, CFile::end);
  CKaArchive out(&file, 0);
  int value = 9;
  out(value);
  EXPECT_EQ(file.Data(), "TEXT" + Bytes().Int(9).s);  // in the file when the call returns
  CTestLeaf leaf;
  leaf.m_nValue = 3;
  out.XData(nullptr, &leaf, 1);
  EXPECT_EQ(file.Data(), "TEXT" + Bytes().Int(9).Frame("~Leaf~", Bytes().Int(3).Str("").Int(-1)).s);
  EXPECT_EQ(out.AtEnd(), 0);  // storing is never at its end

  file.Seek(4, CFile::begin);
  CKaArchive in(&file, 1);
  int back = 0;
  in(back);
  EXPECT_EQ(back, 9);
}

// ---- embedded objects, lists and the ends of their data ----

TEST(ArchiveObjects, NestedObjectsRoundTrip) {
  CTestNode node;
  node.m_Leaf.m_nValue = -5;
  node.m_Leaf.m_strText = "inner";
  node.m_Leaf.m_nTail = 77;
  for (int i = 0; i < 3; ++i) {
    auto leaf = std::make_unique<CTestLeaf>();
    leaf->m_nValue = i;
    leaf->m_strText = std::string(static_cast<std::size_t>(i), 'z');
    leaf->m_nTail = 10 * i;
    node.m_Leaves.push_back(std::move(leaf));
  }
  auto kind = std::make_unique<CTestLeafKind>();
  kind->m_strKind = "derived";
  node.m_Leaves.push_back(std::move(kind));
  node.m_Leaves.push_back(nullptr);  // null entries are not stored
  node.m_strName = "node";

  CTestNode back;
  RoundTrip([&](CKaArchive& ar) { ar.XData(nullptr, &node, 1); },
            [&](CKaArchive& ar) { ar.XData(nullptr, &back, 1); });
  EXPECT_EQ(back.m_Leaf.m_nValue, -5);
  EXPECT_EQ(back.m_Leaf.m_strText, "inner");
  EXPECT_EQ(back.m_Leaf.m_nTail, 77);
  ASSERT_EQ(back.m_Leaves.size(), 4u);
  int i = 0;
  for (auto it = back.m_Leaves.begin(); i < 3; ++it, ++i) {
    EXPECT_EQ((*it)->GetRuntimeClass(), RUNTIME_CLASS(CTestLeaf));
    EXPECT_EQ((*it)->m_nValue, i);
    EXPECT_EQ((*it)->m_nTail, 10 * i);
  }
  auto* derived = dynamic_cast<CTestLeafKind*>(back.m_Leaves.back().get());
  ASSERT_NE(derived, nullptr);
  EXPECT_EQ(derived->m_strKind, "derived");
  EXPECT_EQ(back.m_strName, "node");
}

TEST(ArchiveObjects, AtEndMarksTheEndOfEachObjectsData) {
  // The embedded leaf has no tail, a listed leaf has one, the node's name follows.
  Bytes data;
  data.Frame("~Node~", Bytes()
                           .Frame("~Leaf~", Bytes().Int(1).Str("no tail"))
                           .U32(1)
                           .Frame("~Leaf~", Bytes().Int(2).Str("tail").Int(22))
                           .Str("after"));
  CMemFile in(data.s);
  CKaArchive ar(&in, 1);
  CTestNode node;
  ar.XData(nullptr, &node, 1);
  EXPECT_EQ(node.m_Leaf.m_nTail, -1);  // default kept
  ASSERT_EQ(node.m_Leaves.size(), 1u);
  EXPECT_EQ(node.m_Leaves.front()->m_nTail, 22);
  EXPECT_EQ(node.m_strName, "after");
  EXPECT_TRUE(ar.AtEnd());
}

TEST(ArchiveObjects, LeavesTheFileJustPastTheObjectAndSkipsUnreadData) {
  // The leaf's frame carries two ints more than its record reads.
  Bytes data;
  data.Frame("~Leaf~", Bytes().Int(1).Str("x").Int(2).Int(3).Int(4));
  CMemFile in(data.s + "\nrest");
  CKaArchive ar(&in, 1);
  CTestLeaf leaf;
  ar.XData(nullptr, &leaf, 1);
  EXPECT_EQ(leaf.m_nTail, 2);
  EXPECT_EQ(in.GetPosition(), data.s.size());
  EXPECT_FALSE(ar.AtEnd());
}

TEST(ArchiveObjects, RejectsObjectsOfTheWrongClassOrSize) {
  const Bytes leafData = Bytes().Int(0).Str("");
  const Bytes listHead = Bytes().Frame("~Leaf~", leafData).U32(1);
  struct Case {
    const char* what;
    bool intoNode;  // loaded into a node, else into a leaf
    Bytes data;
    std::uint64_t offset;  // where the reader must place the fault
  } cases[] = {
      {"unknown class", false, Bytes().Frame("~Nope~", Bytes()), 0},
      {"other class in place", false, Bytes().Frame("~Node~", Bytes()), 0},
      {"node in a list of leaves", true,
       Bytes().Frame("~Node~", Bytes(listHead).Frame("~Node~", Bytes())), 14 + listHead.s.size()},
      {"data length past the end", false, Bytes().Str("~Leaf~").U32(100).Int(0), 10},
      {"member count past the end", true,
       Bytes().Frame("~Node~",
                     Bytes().Frame("~Leaf~", leafData).U32(1000).Frame("~Leaf~", leafData)),
       14 + 22},
  };
  for (const Case& c : cases) {
    CMemFile in(c.data.s);
    CKaArchive ar(&in, 1);
    CTestNode node;
    CTestLeaf leaf;
    try {
      ar.XData(nullptr, c.intoNode ? static_cast<CObject*>(&node) : &leaf, 1);
      ADD_FAILURE() << c.what << ": loaded";
    } catch (const CKaArchiveException& e) {
      EXPECT_EQ(e.GetOffset(), c.offset) << c.what << ": " << e.what();
    }
  }
}

TEST(ArchiveObjects, ListClassArgumentNarrowsTheMembers) {
  std::list<std::unique_ptr<CTestLeaf>> leaves;
  leaves.push_back(std::make_unique<CTestLeaf>());
  CMemFile file;
  {
    CKaArchive ar(&file, 0);
    ar.XMember(leaves, 0, nullptr);
  }
  file.Seek(0, CFile::begin);
  CKaArchive ar(&file, 1);
  std::list<std::unique_ptr<CTestLeaf>> back;
  EXPECT_THROW(ar.XMember(back, 0, RUNTIME_CLASS(CTestLeafKind)), CKaArchiveException);
  EXPECT_TRUE(back.empty());
}

TEST(ArchiveObjects, MisuseIsReported) {
  CMemFile file;
  CKaArchive ar(&file, 0);
  CTestLeaf leaf;
  CTestNode node;
  EXPECT_THROW(ar.XData(nullptr, nullptr, 1), CKaArchiveException);
  EXPECT_THROW(ar.XData(nullptr, &leaf, 0), CKaArchiveException);
  EXPECT_THROW(ar.XData(RUNTIME_CLASS(CTestNode), &leaf, 1), CKaArchiveException);
  EXPECT_THROW(ar.XData(RUNTIME_CLASS(CObject), &node, 1), CKaArchiveException);  // no link
  EXPECT_THROW(CKaArchive(nullptr, 1), CKaArchiveException);
  EXPECT_TRUE(file.Data().empty());
}

TEST(ArchiveObjects, AnObjectThatFailsDeepInsideStoresNothing) {
  CTestNode node;
  node.m_Leaves.push_back(std::make_unique<CTestLeaf>());
  node.m_Leaves.push_back(std::make_unique<CUnlinkedLeaf>());  // fails as the second member
  CMemFile file;
  {
    CKaArchive ar(&file, 0);
    EXPECT_THROW(ar.XData(nullptr, &node, 1), CKaArchiveException);
  }
  EXPECT_TRUE(file.Data().empty());
  // A store that succeeds after a failed one in another archive is whole.
  node.m_Leaves.pop_back();
  CTestNode back;
  RoundTrip([&](CKaArchive& ar) { ar.XData(nullptr, &node, 1); },
            [&](CKaArchive& ar) { ar.XData(nullptr, &back, 1); });
  EXPECT_EQ(back.m_Leaves.size(), 1u);
}

TEST(ArchiveObjects, DeepNestingFromDataIsRejected) {
  Bytes chain = Bytes().U32(0);
  for (int depth = 0; depth < 80; ++depth) chain = Bytes().U32(1).Frame("~Chain~", chain);
  CMemFile in(chain.s);
  CKaArchive ar(&in, 1);
  std::list<std::unique_ptr<CTestChain>> top;
  EXPECT_THROW(ar.XMember(top, 0, nullptr), CKaArchiveException);
}

// ---- links ----

struct CUnlinked : CObject {};
void SerializeNothing(void*, CKaArchive&) {}

TEST(RttiLink, FindsLinksByNameAndClassWhileTheyLive) {
  EXPECT_EQ(UX_RTTI_LINK::FromName("~Leaf~"), &CTestLeaf::_UX_RTTI_LINK);
  EXPECT_EQ(UX_RTTI_LINK::FromClass(RUNTIME_CLASS(CTestLeaf)), &CTestLeaf::_UX_RTTI_LINK);
  EXPECT_EQ(UX_RTTI_LINK::FromName("~UxMol~"), &CUxMol::_UX_RTTI_LINK);
  EXPECT_EQ(UX_RTTI_LINK::FromName("~Leaf"), nullptr);
  {
    UX_RTTI_LINK local("~Local~", RUNTIME_CLASS(CObject), &SerializeNothing, nullptr, nullptr);
    UX_RTTI_LINK twin("~Leaf~", RUNTIME_CLASS(CObject), &SerializeNothing, nullptr, nullptr);
    EXPECT_EQ(UX_RTTI_LINK::FromName("~Local~"), &local);
    EXPECT_EQ(UX_RTTI_LINK::FromName("~Leaf~"), &CTestLeaf::_UX_RTTI_LINK);  // first one stays
  }
  EXPECT_EQ(UX_RTTI_LINK::FromName("~Local~"), nullptr);
  EXPECT_EQ(UX_RTTI_LINK::FromClass(RUNTIME_CLASS(CObject)), nullptr);
  EXPECT_EQ(UX_RTTI_LINK::FromName("~Leaf~"), &CTestLeaf::_UX_RTTI_LINK);
}

TEST(RttiLink, CallsTypedFunctionsOnlyWithTheirType) {
  CMemFile file;
  CKaArchive ar(&file, 0);
  CTestNode node;
  EXPECT_FALSE(CTestLeaf::_UX_RTTI_LINK.Serialize(&node, ar));
  EXPECT_TRUE(file.Data().empty());
  CTestLeafKind kind;  // a derived object is a leaf
  EXPECT_TRUE(CTestLeaf::_UX_RTTI_LINK.Serialize(&kind, ar));
  EXPECT_FALSE(file.Data().empty());
}

TEST(UxMolArchive, RoundTripsEveryMemberWithItsExtraData) {
  CUxMol mol;
  mol.m_strName = "query";
  mol.m_nType = 2;
  mol.m_nType2 = 2;
  mol.m_nWord1 = 1;
  mol.m_nWord2 = -9;
  mol.m_nLength = 321;
  mol.m_strSequence = "MKV";
  mol.m_strLink = "qlon://db/x";
  mol.m_strID = "gi|1";
  mol.m_xData.SetData(std::string("\0\1\2", 3));
  CUxMol back;
  std::string bytes = RoundTrip([&](CKaArchive& ar) { ar.XData(nullptr, &mol, 1); },
                                [&](CKaArchive& ar) { ar.XData(nullptr, &back, 1); });
  EXPECT_EQ(bytes.substr(0, 11), ka_archive_format::FrameHead("~UxMol~"));
  EXPECT_EQ(back.m_strName, "query");
  EXPECT_EQ(back.m_nType, 2);
  EXPECT_EQ(back.m_nType2, 2);
  EXPECT_EQ(back.m_nWord1, 1);
  EXPECT_EQ(back.m_nWord2, -9);
  EXPECT_EQ(back.m_nLength, 321);
  EXPECT_EQ(back.m_strSequence, "MKV");
  EXPECT_EQ(back.m_strLink, "qlon://db/x");
  EXPECT_EQ(back.m_strID, "gi|1");
  EXPECT_EQ(back.m_xData.GetData(), std::string("\0\1\2", 3));
}

}  // namespace

}  // namespace blastsearch
