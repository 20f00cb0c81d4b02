// The archive form of the result tree: record orders, round trips, optional
// tails, and transfer files.

#include <gtest/gtest.h>
#include <unistd.h>

#include <bit>
#include <climits>
#include <cmath>
#include <filesystem>

#include "host/KaArchive.h"
#include "model/BlastSearchEntry.h"
#include "model/TransferFile.h"
#include "support/ArchiveBytes.h"
#include "support/EntryDump.h"
#include "tests/model/ModelBuilders.h"

namespace blastsearch {

namespace {

std::string StoreTransfer(CBlastSearchEntry& entry) {
  CMemFile file;
  StoreTransferFile(entry, file);
  return file.Data();
}

std::unique_ptr<CBlastSearchEntry> LoadTransfer(const std::string& bytes) {
  auto entry = std::make_unique<CBlastSearchEntry>();
  CMemFile file(bytes);
  LoadTransferFile(file, *entry);
  return entry;
}

Bytes Component(const CBlastSearchSeqComponent& c) {
  return Bytes()
      .Int(c.m_nStart)
      .Int(c.m_nEnd)
      .Int(c.m_nLength)
      .Int(c.m_bMinusStrand)
      .Int(c.m_nExtra)
      .Str(c.m_strSeq);
}

// An element's record up to, not including, the frame.
Bytes ElementWithoutFrame(const CBlastSearchHitElement& e) {
  return Bytes()
      .Frame("SeqComponent", Component(e.m_Query))
      .Frame("SeqComponent", Component(e.m_Subject))
      .Int(e.m_nScore)
      .Dbl(e.m_dExpect)
      .Dbl(e.m_dBitScore)
      .Int(e.m_nAlignLength)
      .Int(e.m_nIdentities)
      .Int(e.m_nPositives)
      .Int(e.m_nGaps);
}

// Stores `obj` as an embedded object and returns the bytes.
std::string StoreEmbedded(CObject& obj) {
  CMemFile file;
  CKaArchive ar(&file, 0);
  ar.XData(nullptr, &obj, 1);
  return file.Data();
}

TEST(ResultArchive, RecordsHoldTheirValuesInTheirOrder) {
  auto element = MakeElement(3);
  CBlastSearchHit hit;
  hit.m_strID = "id";
  hit.m_strName = "name";
  hit.m_strDescription = "desc";
  hit.m_nLength = 1234;
  hit.m_nMolType = 2;
  CBlastSearchHitMoleculeName names;
  names.m_strFirst = "a";
  names.m_strSecond = "b";
  names.m_strThird = "c";
  CBlastSearchHits hits;
  hits.m_strInfo = "info";

  struct Case {
    const char* what;
    CObject& object;
    Bytes expected;
  } cases[] = {
      {"component", element->m_Query, Bytes().Frame("SeqComponent", Component(element->m_Query))},
      {"element", *element,
       Bytes().Frame("~HitElement~", ElementWithoutFrame(*element).Int(element->m_nFrame))},
      // length between name and description, molecule type last
      {"hit", hit,
       Bytes().Frame("~Hit~", Bytes().U32(0).Str("id").Str("name").Int(1234).Str("desc").Int(2))},
      {"molecule name", names, Bytes().Frame("~HitMolName~", Bytes().Str("a").Str("b").Str("c"))},
      {"hit collection", hits, Bytes().Frame("~Hits~", Bytes().Str("info").U32(0))},
  };
  for (const Case& c : cases) EXPECT_EQ(StoreEmbedded(c.object), c.expected.s) << c.what;

  CBlastSearchEntry entry;
  entry.m_nLinkType = 1;
  entry.m_strLinkDatabase = "db";
  const std::string transfer = StoreTransfer(entry);
  EXPECT_EQ(transfer, Bytes()
                          .Raw(Bytes{StoreEmbedded(entry.m_Mol)})
                          .Frame("~Hits~", Bytes().Str("").U32(0))
                          .Int(1)
                          .Str("db")
                          .s);
  EXPECT_EQ(StoreEmbedded(entry), Bytes().Frame("~Entry~", Bytes{transfer}).s);
}

TEST(ResultArchive, EveryArchivedFieldRoundTripsAndIdsComeBackUnset) {
  auto entry = MakeEntry("query", {2, 0, 3});
  entry->m_Mol.m_nType2 = 2;
  entry->m_Mol.m_nWord1 = 1;
  entry->m_Mol.m_xData.SetData("extra");
  int id = 50;
  for (auto& hit : entry->m_Hits.m_HitList) {
    hit->m_nID = ++id;
    for (auto& element : hit->m_ElementList) element->m_nID = ++id;
  }
  auto& last = *entry->m_Hits.m_HitList.back()->m_ElementList.back();
  last.m_dExpect = std::bit_cast<double>(0x7FF8000000000ABCull);  // NaN with payload
  last.m_dBitScore = -0.0;
  last.m_nScore = INT_MIN;

  for (bool embedded : {false, true}) {
    CBlastSearchEntry back;
    if (embedded) {
      CMemFile file(StoreEmbedded(*entry));
      CKaArchive ar(&file, 1);
      ar.XData(nullptr, &back, 1);
      EXPECT_TRUE(ar.AtEnd());
    } else {
      CMemFile file(StoreTransfer(*entry));
      LoadTransferFile(file, back);
    }
    EXPECT_EQ(DumpEntry(back), DumpEntry(*entry));
    EXPECT_EQ(back.m_Hits.m_strInfo, "info query");
    EXPECT_EQ(back.m_Mol.m_strSequence, "MKV");
    EXPECT_EQ(back.m_Mol.m_strLink, "link:query");
    EXPECT_EQ(back.m_Mol.m_nType2, 2);
    EXPECT_EQ(back.m_Mol.m_xData.GetData(), "extra");
    ASSERT_EQ(back.m_Hits.m_HitList.size(), 3u);
    EXPECT_TRUE(std::next(back.m_Hits.m_HitList.begin())->get()->m_ElementList.empty());
    for (const auto& hit : back.m_Hits.m_HitList) {
      EXPECT_EQ(hit->m_nID, 0);
      for (const auto& element : hit->m_ElementList) EXPECT_EQ(element->m_nID, 0);
    }
    const auto& lastBack = *back.m_Hits.m_HitList.back()->m_ElementList.back();
    EXPECT_EQ(std::bit_cast<std::uint64_t>(lastBack.m_dExpect), 0x7FF8000000000ABCull);
    EXPECT_TRUE(std::signbit(lastBack.m_dBitScore));
    EXPECT_EQ(lastBack.m_dExpect == lastBack.m_dExpect, false);
    EXPECT_EQ(lastBack.m_nScore, INT_MIN);
  }
}

TEST(ResultArchive, StoreLoadStoreIsByteIdentical) {
  for (const std::vector<int>& shape : {std::vector<int>{}, {0}, {1, 4, 0, 2}}) {
    auto entry = MakeEntry("q", shape);
    const std::string first = StoreTransfer(*entry);
    auto back = LoadTransfer(first);
    EXPECT_EQ(StoreTransfer(*back), first);
    EXPECT_EQ(back->GetHitsCount(), static_cast<int>(shape.size()));
  }
}

TEST(ResultArchive, EmptyHitListStoresAsAnEmptyList) {
  CBlastSearchEntry entry;
  const std::string bytes = StoreTransfer(entry);
  EXPECT_NE(bytes.find(Bytes().Frame("~Hits~", Bytes().Str("").U32(0)).s), std::string::npos);
  auto back = LoadTransfer(bytes);
  EXPECT_EQ(back->IsEmpty(), 1);
}

TEST(ResultArchive, MissingTailsKeepTheirDefaults) {
  auto element = MakeElement(1);
  auto mol = StoreEmbedded(MakeEntry("q", {})->m_Mol);
  // One hit holding one element stored without its frame.
  Bytes hits =
      Bytes().Frame("~Hits~", Bytes().Str("").U32(1).Frame(
                                  "~Hit~", Bytes()
                                               .U32(1)
                                               .Frame("~HitElement~", ElementWithoutFrame(*element))
                                               .Str("id")
                                               .Str("name")
                                               .Int(7)
                                               .Str("desc")
                                               .Int(2)));
  Bytes noTail = Bytes{mol}.Raw(hits);

  auto check = [&](const CBlastSearchEntry& back, const char* what) {
    EXPECT_EQ(back.m_nLinkType, 0) << what;
    EXPECT_EQ(back.m_strLinkDatabase, "") << what;
    ASSERT_EQ(back.GetHitsCount(), 1) << what;
    const auto& hit = *back.m_Hits.m_HitList.front();
    EXPECT_EQ(hit.m_nLength, 7) << what;
    EXPECT_EQ(hit.m_nMolType, 2) << what;
    ASSERT_EQ(hit.m_ElementList.size(), 1u) << what;
    EXPECT_EQ(hit.m_ElementList.front()->m_nFrame, 0) << what;
    EXPECT_EQ(hit.m_ElementList.front()->m_nGaps, element->m_nGaps) << what;
  };
  check(*LoadTransfer(noTail.s), "transfer file");

  // Inside a text record the entry ends at its frame, not at the file's end.
  CMemFile file(Bytes().Frame("~Entry~", noTail).s + "\nmore text");
  CKaArchive ar(&file, 1);
  CBlastSearchEntry back;
  ar.XData(nullptr, &back, 1);
  check(back, "text record");
  EXPECT_EQ(file.GetPosition(), file.GetLength() - 10);
}

TEST(TransferFile, RejectsEmptyShortAndOverlongFiles) {
  auto entry = MakeEntry("q", {1});
  const std::string bytes = StoreTransfer(*entry);
  for (const std::string& bad : {std::string(), bytes.substr(0, bytes.size() - 1), bytes + "x"}) {
    CBlastSearchEntry back;
    CMemFile file(bad);
    EXPECT_THROW(LoadTransferFile(file, back), CKaArchiveException) << bad.size() << " bytes";
  }
}

TEST(TransferFile, RoundTripsThroughADiskFile) {
  auto entry = MakeEntry("disk", {2, 1});
  const auto path = std::filesystem::temp_directory_path() /
                    ("blastsearch_transfer_" + std::to_string(::getpid()) + ".bin");
  {
    CFile out(path.string(), CFile::modeWrite | CFile::modeCreate);
    StoreTransferFile(*entry, out);
  }
  CBlastSearchEntry back;
  {
    CFile in(path.string(), CFile::modeRead);
    LoadTransferFile(in, back);
  }
  std::filesystem::remove(path);
  EXPECT_EQ(DumpEntry(back), DumpEntry(*entry));
}

TEST(TransferFile, TellsTransferFilesFromReports) {
  auto entry = MakeEntry("q", {1});
  const std::string bytes = StoreTransfer(*entry);
  const std::string framed = StoreEmbedded(*entry);
  EXPECT_TRUE(IsTransferFileData(bytes));
  EXPECT_TRUE(IsTransferFileData(bytes.substr(0, 11)));
  for (std::string_view head :
       {std::string_view(bytes).substr(0, 10), std::string_view(""),
        std::string_view("<HTML>\n<TITLE>BLAST Search Results"),
        std::string_view("BLASTN 2.2.10 [Oct-19-2004]\n"), std::string_view(framed)}) {
    EXPECT_FALSE(IsTransferFileData(head)) << head.size() << " bytes";
  }
}

}  // namespace

}  // namespace blastsearch
