// Corrupted transfer files: each case loads cleanly or raises
// CKaArchiveException, with no crash, sanitizer report or huge allocation.

#include <gtest/gtest.h>

#include "model/TransferFile.h"
#include "support/ArchiveCorruption.h"
#include "tests/model/ModelBuilders.h"

namespace blastsearch {

namespace {

class TransferFileCorruptionTest : public ArchiveCorruptionTest {
 protected:
  void SetUp() override {
    // Several hits, one without elements, and a link tail.
    auto entry = MakeEntry("query", {2, 0, 3, 1});
    m_strLinkDatabase = entry->m_strLinkDatabase;
    CMemFile file;
    StoreTransferFile(*entry, file);
    SetData(file.Data());
  }

  void Load(CFile& file) override {
    CBlastSearchEntry entry;
    LoadTransferFile(file, entry);
    m_nHits = entry.GetHitsCount();
    m_nLinkType = entry.m_nLinkType;
  }

  // Offset of the optional tail (the link type and the link database) in the
  // intact data.
  std::size_t TailOffset() const { return m_data.size() - 4 - (4 + m_strLinkDatabase.size()); }

  std::string m_strLinkDatabase;
  int m_nHits = -1;
  int m_nLinkType = -1;
};

TEST_F(TransferFileCorruptionTest, IntactDataLoads) {
  EXPECT_TRUE(Reads()) << m_strError;
  EXPECT_EQ(m_nHits, 4);
  EXPECT_EQ(m_nLinkType, 1);
}

TEST_F(TransferFileCorruptionTest, OnlyATruncationBeforeTheTailLoads) {
  const std::size_t size = m_data.size();
  const std::size_t tail = TailOffset();
  for (std::size_t n = 0; n < size; ++n) {
    Reset();
    Truncate(n);
    const bool loaded = Reads();
    EXPECT_EQ(loaded, n == tail) << "truncated to " << n << " bytes: " << m_strError;
    if (loaded) {
      EXPECT_EQ(m_nHits, 4);
      EXPECT_EQ(m_nLinkType, 0);  // the tail's default
    }
  }
}

TEST_F(TransferFileCorruptionTest, FlippedBytesLoadCleanlyOrAreRejected) {
  EXPECT_GT(FlipEveryByte({0x01, 0x40, 0x80, 0xFF}), 0);
}

TEST_F(TransferFileCorruptionTest, HugeLengthsAndCountsAnywhereAreSafe) {
  SetEveryU32({0xFFFFFFFFu, 0x80000000u, 0x00FFFFFFu});
}

TEST_F(TransferFileCorruptionTest, ObjectsOfAnotherClassAreRejected) {
  struct Case {
    const char* from;
    const char* to;
    const char* message;
  } cases[] = {
      {"~HitElement~", "SeqComponent", "does not belong in this list"},  // list member
      {"~HitElement~", "~HitMolName~", "does not belong in this list"},
      {"SeqComponent", "~HitElement~", "was expected"},  // embedded row
      {"~Hit~", "~Hip~", "unknown class name"},
  };
  for (const Case& c : cases) {
    Reset();
    const std::size_t at = m_data.find(c.from);
    ASSERT_NE(at, std::string::npos);
    m_data.replace(at, std::string(c.to).size(), c.to);
    EXPECT_FALSE(Reads()) << c.from << " -> " << c.to;
    EXPECT_NE(m_strError.find(c.message), std::string::npos) << m_strError;
    EXPECT_EQ(m_nErrorOffset, at - 4) << m_strError;  // the frame's start
  }
}

}  // namespace

}  // namespace blastsearch
