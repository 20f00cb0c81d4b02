#include <gtest/gtest.h>

#include "ArchiveTestObjects.h"
#include "host/UxMol.h"
#include "support/ArchiveCorruption.h"

namespace blastsearch {

namespace {

// A node with an embedded leaf and three listed leaves (one of a derived
// class), followed by a molecule record.
class HostArchiveCorruptionTest : public ArchiveCorruptionTest {
 protected:
  void SetUp() override {
    CTestNode node;
    node.m_Leaf.m_strText = "embedded";
    for (int i = 0; i < 3; ++i) {
      auto leaf = i == 1 ? std::make_unique<CTestLeafKind>() : std::make_unique<CTestLeaf>();
      leaf->m_nValue = 100 + i;
      leaf->m_strText = std::string(static_cast<std::size_t>(5 * i), 'a');
      leaf->m_bWriteTail = i != 2;
      node.m_Leaves.push_back(std::move(leaf));
    }
    node.m_strName = "node";
    CUxMol mol;
    mol.m_strName = "query";
    mol.m_strSequence = "ACGT";
    mol.m_xData.SetData("xd");
    CMemFile file;
    CKaArchive ar(&file, 0);
    ar.XData(nullptr, &node, 1).XData(nullptr, &mol, 1);
    SetData(file.Data());
  }

  void Load(CFile& file) override {
    CKaArchive ar(&file, 1);
    CTestNode node;
    CUxMol mol;
    ar.XData(nullptr, &node, 1).XData(nullptr, &mol, 1);
    if (!ar.AtEnd()) throw CKaArchiveException("bytes remain", 0);
    m_nLeaves = node.m_Leaves.size();
  }

  std::size_t m_nLeaves = 0;
};

TEST_F(HostArchiveCorruptionTest, IntactDataLoads) {
  EXPECT_TRUE(Reads()) << m_strError;
  EXPECT_EQ(m_nLeaves, 3u);
}

TEST_F(HostArchiveCorruptionTest, EveryTruncationIsRejected) {
  const std::size_t size = m_data.size();
  for (std::size_t n = 0; n < size; ++n) {
    Reset();
    Truncate(n);
    EXPECT_FALSE(Reads()) << "truncated to " << n << " bytes";
    EXPECT_LE(m_nErrorOffset, n);
  }
}

TEST_F(HostArchiveCorruptionTest, FlippedBytesLoadCleanlyOrAreRejected) {
  EXPECT_GT(FlipEveryByte({0x01, 0x80, 0xFF}), 0);
}

TEST_F(HostArchiveCorruptionTest, HugeLengthsAnywhereAreSafe) {
  SetEveryU32({0xFFFFFFFFu, 0x7FFFFFFFu, 0x10000u});
}

TEST_F(HostArchiveCorruptionTest, NamesTheOffsetOfABadLength) {
  SetU32(10, 0xFFFFFFFF);  // the node's data length, after its name
  EXPECT_FALSE(Reads());
  EXPECT_EQ(m_nErrorOffset, 10u);
  EXPECT_NE(m_strError.find("object data length"), std::string::npos) << m_strError;
}

}  // namespace

}  // namespace blastsearch
