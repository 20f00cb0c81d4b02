// Walking a result: counts, look-ups by position, object and identifier,
// list positions, row repair, consensus lines and hit links.

#include <gtest/gtest.h>

#include <iterator>
#include <string>

#include "model/BlastSearchEntry.h"
#include "model/HitLink.h"
#include "support/EntryDump.h"
#include "tests/model/ModelBuilders.h"

namespace blastsearch {

namespace {

// Hits 0 and 2 hold two elements each, hit 1 none.
class NavigationTest : public ::testing::Test {
 protected:
  void SetUp() override { entry_ = MakeEntry("q", {2, 0, 2}); }

  CBlastSearchHit* Hit(int i) { return std::next(entry_->m_Hits.m_HitList.begin(), i)->get(); }
  CBlastSearchHitElement* Element(int hit, int i) {
    return std::next(Hit(hit)->m_ElementList.begin(), i)->get();
  }

  std::unique_ptr<CBlastSearchEntry> entry_;
  // Sentinels that show whether an output was written.
  CBlastSearchHit sentinelHit_;
  CBlastSearchHitElement sentinelElement_;
};

}  // namespace

TEST(EmptyEntry, EverySearchFindsNothing) {
  CBlastSearchEntry entry;
  EXPECT_EQ(entry.GetHitsCount(), 0);
  EXPECT_EQ(entry.IsEmpty(), 1);

  CBlastSearchHit sentinelHit;
  CBlastSearchHitElement sentinelElement;
  CBlastSearchHit* hit = &sentinelHit;
  CBlastSearchHitElement* element = &sentinelElement;
  EXPECT_EQ(entry.GetData(hit, element), 0);
  EXPECT_EQ(entry.GetData(&sentinelElement, hit, element), 0);
  EXPECT_EQ(entry.GetData(0, 0, hit, element), 0);
  EXPECT_EQ(entry.FindID(0, 0, hit, element), 0);
  EXPECT_EQ(hit, &sentinelHit);
  EXPECT_EQ(element, &sentinelElement);

  int hitIndex = 5, elementIndex = 5;
  EXPECT_EQ(entry.GetNumbers(&sentinelHit, &sentinelElement, hitIndex, elementIndex), 0);
  EXPECT_EQ(hitIndex, 0);
  EXPECT_EQ(elementIndex, 0);

  HitList::iterator hitPos = entry.m_Hits.m_HitList.end();
  EXPECT_EQ(entry.FindHitByElement(&sentinelElement, &hitPos, nullptr), nullptr);
  EXPECT_EQ(hitPos, entry.m_Hits.m_HitList.end());
  entry.CheckData();
}

TEST_F(NavigationTest, CountsAndFirstHit) {
  EXPECT_EQ(entry_->GetHitsCount(), 3);
  EXPECT_EQ(entry_->IsEmpty(), 0);
  CBlastSearchHit* hit = nullptr;
  CBlastSearchHitElement* element = nullptr;
  EXPECT_EQ(entry_->GetData(hit, element), 1);
  EXPECT_EQ(hit, Hit(0));
  EXPECT_EQ(element, Element(0, 0));

  // A first hit without elements still counts as found.
  entry_->m_Hits.m_HitList.push_front(std::make_unique<CBlastSearchHit>());
  element = &sentinelElement_;
  EXPECT_EQ(entry_->GetData(hit, element), 1);
  EXPECT_EQ(hit, Hit(0));
  EXPECT_EQ(element, nullptr);
}

TEST_F(NavigationTest, GivenHitFormAlwaysReturnsZero) {
  CBlastSearchHit* hit = nullptr;
  CBlastSearchHitElement* element = nullptr;
  EXPECT_EQ(entry_->GetData(Hit(2), hit, element), 0);
  EXPECT_EQ(hit, Hit(2));
  EXPECT_EQ(element, Element(2, 0));

  element = &sentinelElement_;
  EXPECT_EQ(entry_->GetData(Hit(1), hit, element), 0);
  EXPECT_EQ(hit, Hit(1));
  EXPECT_EQ(element, nullptr);

  // A hit from elsewhere, and no hit at all.
  auto foreign = MakeHit(9, 1);
  EXPECT_EQ(entry_->GetData(foreign.get(), hit, element), 0);
  EXPECT_EQ(element, foreign->m_ElementList.front().get());
  EXPECT_EQ(entry_->GetData(static_cast<CBlastSearchHit*>(nullptr), hit, element), 0);
  EXPECT_EQ(hit, nullptr);
  EXPECT_EQ(element, nullptr);
}

TEST_F(NavigationTest, GivenElementFindsItsHit) {
  CBlastSearchHit* hit = nullptr;
  CBlastSearchHitElement* element = nullptr;
  EXPECT_EQ(entry_->GetData(Element(2, 1), hit, element), 1);
  EXPECT_EQ(hit, Hit(2));
  EXPECT_EQ(element, Element(2, 1));

  // Not found: the outputs hold the last hit and element examined.
  CBlastSearchHitElement foreign;
  EXPECT_EQ(entry_->GetData(&foreign, hit, element), 0);
  EXPECT_EQ(hit, Hit(2));
  EXPECT_EQ(element, Element(2, 1));
  EXPECT_EQ(entry_->GetData(static_cast<CBlastSearchHitElement*>(nullptr), hit, element), 0);
}

TEST_F(NavigationTest, DataByPosition) {
  struct Case {
    int hitIndex, elementIndex;
    int found;  // 1: expect Hit(hitIndex) / Element(hitIndex, elementIndex)
  };
  const Case cases[] = {
      {0, 0, 1}, {0, 1, 1},  {0, 2, 0},  {1, 0, 0},          {2, 1, 1},
      {3, 0, 0}, {-1, 0, 0}, {0, -1, 0}, {2147483647, 0, 0}, {0, -2147483647 - 1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.hitIndex << "," << c.elementIndex);
    CBlastSearchHit* hit = &sentinelHit_;
    CBlastSearchHitElement* element = &sentinelElement_;
    EXPECT_EQ(entry_->GetData(c.hitIndex, c.elementIndex, hit, element), c.found);
    if (c.found) {
      EXPECT_EQ(hit, Hit(c.hitIndex));
      EXPECT_EQ(element, Element(c.hitIndex, c.elementIndex));
    } else {
      EXPECT_EQ(hit, &sentinelHit_);
      EXPECT_EQ(element, &sentinelElement_);
    }
  }
}

TEST_F(NavigationTest, NumbersOfHitAndElement) {
  auto foreign = MakeHit(9, 1);
  struct Case {
    const CBlastSearchHit* hit;
    const CBlastSearchHitElement* element;
    int result, hitIndex, elementIndex;
  };
  const Case cases[] = {
      {Hit(0), Element(0, 0), 1, 0, 0},
      {Hit(2), Element(2, 1), 1, 2, 1},
      {Hit(0), Element(2, 1), 0, 0, 0},  // element of another hit
      {Hit(1), Element(0, 0), 0, 0, 0},
      {foreign.get(), foreign->m_ElementList.front().get(), 0, 0, 0},
      {nullptr, nullptr, 0, 0, 0},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(i);
    const Case& c = cases[i];
    int hitIndex = -1, elementIndex = -1;
    EXPECT_EQ(entry_->GetNumbers(c.hit, c.element, hitIndex, elementIndex), c.result);
    EXPECT_EQ(hitIndex, c.hitIndex);
    EXPECT_EQ(elementIndex, c.elementIndex);
  }
}

TEST_F(NavigationTest, FindIDSearchesEveryHitWithTheIdentifier) {
  Hit(0)->m_nID = 5;
  Hit(1)->m_nID = 5;
  Hit(2)->m_nID = 5;
  Element(0, 0)->m_nID = 1;
  Element(0, 1)->m_nID = 2;
  Element(2, 0)->m_nID = 3;
  Element(2, 1)->m_nID = 9;

  CBlastSearchHit* hit = nullptr;
  CBlastSearchHitElement* element = nullptr;
  EXPECT_EQ(entry_->FindID(5, 9, hit, element), 1);
  EXPECT_EQ(hit, Hit(2));
  EXPECT_EQ(element, Element(2, 1));

  EXPECT_EQ(entry_->FindID(5, 2, hit, element), 1);
  EXPECT_EQ(hit, Hit(0));
  EXPECT_EQ(element, Element(0, 1));

  // Not found: the last hit and element examined.
  EXPECT_EQ(entry_->FindID(5, 4, hit, element), 0);
  EXPECT_EQ(hit, Hit(2));
  EXPECT_EQ(element, Element(2, 1));
  element = &sentinelElement_;
  EXPECT_EQ(entry_->FindID(6, 1, hit, element), 0);
  EXPECT_EQ(hit, Hit(2));
  EXPECT_EQ(element, &sentinelElement_);
}

TEST_F(NavigationTest, FindHitByElementGivesPositionsUsableToErase) {
  CBlastSearchHitElement* target = Element(2, 0);
  HitList::iterator hitPos;
  ElementList::iterator elementPos;
  EXPECT_EQ(entry_->FindHitByElement(target, &hitPos, &elementPos), Hit(2));
  EXPECT_EQ(hitPos->get(), Hit(2));
  EXPECT_EQ(elementPos->get(), target);

  (*hitPos)->m_ElementList.erase(elementPos);
  ASSERT_EQ(Hit(2)->m_ElementList.size(), 1u);
  EXPECT_EQ(Hit(2)->m_ElementList.front()->m_nScore, 121);

  // Without wanted positions, and after erasing the hit itself.
  CBlastSearchHitElement* last = Element(2, 0);
  EXPECT_EQ(entry_->FindHitByElement(last, nullptr, nullptr), Hit(2));
  EXPECT_EQ(entry_->FindHitByElement(last, &hitPos, nullptr), Hit(2));
  entry_->m_Hits.m_HitList.erase(hitPos);
  EXPECT_EQ(entry_->GetHitsCount(), 2);
  EXPECT_EQ(entry_->FindHitByElement(Element(0, 1), nullptr, &elementPos), Hit(0));
  EXPECT_EQ(elementPos->get(), Element(0, 1));
  EXPECT_EQ(entry_->FindHitByElement(nullptr, nullptr, nullptr), nullptr);
}

TEST_F(NavigationTest, WalksSkipNullListEntries) {
  auto& hits = entry_->m_Hits.m_HitList;
  hits.insert(std::next(hits.begin()), nullptr);  // hits: h0, null, h1, h2
  Hit(3)->m_ElementList.push_front(nullptr);      // h2: null, e0, e1
  CBlastSearchHitElement* target = Element(3, 2);

  HitList::iterator hitPos;
  ElementList::iterator elementPos;
  EXPECT_EQ(entry_->FindHitByElement(target, &hitPos, &elementPos), Hit(3));
  EXPECT_EQ(elementPos->get(), target);
  EXPECT_EQ(entry_->FindHitByElement(nullptr, &hitPos, &elementPos), nullptr);

  CBlastSearchHit* hit = nullptr;
  CBlastSearchHitElement* element = nullptr;
  EXPECT_EQ(entry_->GetData(target, hit, element), 1);
  EXPECT_EQ(entry_->GetData(Hit(3), hit, element), 0);
  EXPECT_EQ(element, Element(3, 1));  // first non-null element
  EXPECT_EQ(entry_->GetData(1, 0, hit, element), 0);
  EXPECT_EQ(entry_->GetData(3, 0, hit, element), 0);
  EXPECT_EQ(entry_->GetData(3, 2, hit, element), 1);
  int hitIndex = 0, elementIndex = 0;
  EXPECT_EQ(entry_->GetNumbers(Hit(3), target, hitIndex, elementIndex), 1);
  EXPECT_EQ(hitIndex, 3);
  EXPECT_EQ(elementIndex, 2);
  EXPECT_EQ(entry_->FindID(0, 0, hit, element), 1);
  entry_->CheckData();
  entry_->m_Hits.m_HitList.push_front(nullptr);
  EXPECT_EQ(entry_->GetData(hit, element), 1);
  EXPECT_EQ(hit, Hit(1));
}

TEST(CheckData, CutsTheLongerRowToTheShorterLength) {
  struct Case {
    const char* query;
    const char* subject;
    const char* query_after;
    const char* subject_after;
  };
  const Case cases[] = {
      {"ACGTACGTACGT", "ACGTACGTAC", "ACGTACGTAC", "ACGTACGTAC"},
      {"MKV", "MKVLA-", "MKV", "MKV"},
      {"ACGT", "ACGA", "ACGT", "ACGA"},
      {"", "ACGT", "", ""},
      {"", "", "", ""},
  };
  CBlastSearchEntry entry;
  entry.m_Hits.m_HitList.push_back(std::make_unique<CBlastSearchHit>());
  ElementList& elements = entry.m_Hits.m_HitList.back()->m_ElementList;
  for (const Case& c : cases) {
    auto element = std::make_unique<CBlastSearchHitElement>();
    element->m_Query.m_strSeq = c.query;
    element->m_Query.m_nLength = 12;
    element->m_Query.m_nEnd = 40;
    element->m_Subject.m_strSeq = c.subject;
    elements.push_back(std::move(element));
  }
  entry.CheckData();
  auto it = elements.begin();
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.query) + "/" + c.subject);
    const CBlastSearchHitElement& element = **it++;
    EXPECT_EQ(element.m_Query.m_strSeq, c.query_after);
    EXPECT_EQ(element.m_Subject.m_strSeq, c.subject_after);
    EXPECT_EQ(element.m_Query.m_nLength, 12);  // counts stay as they were
    EXPECT_EQ(element.m_Query.m_nEnd, 40);
  }
}

TEST(ConsensusSeq, BlanksWhereTheRowsDiffer) {
  struct Case {
    std::string query, subject, consensus;
  };
  const Case cases[] = {
      {"ACGT-A", "ACCTTA", "AC T A"},
      {"ACGTAC", "ACG", "ACG   "},
      {"AC", "ACGTTT", "AC"},
      {"acgt", "ACGT", "    "},  // no case folding
      {"A--T", "A-CT", "A- T"},
      {"", "ACGT", ""},
      {std::string("A\0C", 3), std::string("A\0G", 3), std::string("A\0 ", 3)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.query + "/" + c.subject);
    CBlastSearchHitElement element;
    element.m_Query.m_strSeq = c.query;
    element.m_Subject.m_strSeq = c.subject;
    EXPECT_EQ(GetConsensusSeq(&element), c.consensus);
  }
  EXPECT_EQ(GetConsensusSeq(nullptr), "");
}

TEST(HitLink, FormsFollowTheLinkTypeAndMoleculeType) {
  struct Case {
    int linkType;
    const char* database;
    int molType;
    const char* id;
    const char* link;
  };
  const Case cases[] = {
      {0, "", 2, "12345", "ncbi:protein/12345"},
      {0, "LocalDB", 1, "12345", "ncbi:dnarna/12345"},
      {1, "LocalDB", 1, "12345", "qlon://LocalDB/dnarna/12345"},
      {1, "LocalDB", 2, "7", "qlon://LocalDB/protein/7"},
      {2, "LocalDB", 2, "12345", "ncbi:protein/12345"},
      {-1, "", 0, "x", "ncbi:dnarna/x"},
      {0, "", 3, "", "ncbi:dnarna/"},
      {1, "", 2, "", "qlon:///protein/"},
      {1, "a b/%s", 2, "gi|1|", "qlon://a b/%s/protein/gi|1|"},  // nothing escaped
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.link);
    CBlastSearchEntry entry;
    entry.m_nLinkType = c.linkType;
    entry.m_strLinkDatabase = c.database;
    EXPECT_EQ(GetHitLink(&entry, c.molType, c.id), c.link);
    CBlastSearchHit hit;
    hit.m_nMolType = c.molType;
    hit.m_strID = c.id;
    EXPECT_EQ(GetHitLink(&entry, &hit), c.link);
  }
  CBlastSearchEntry entry;
  EXPECT_EQ(GetHitLink(nullptr, 2, "1"), "");
  EXPECT_EQ(GetHitLink(&entry, nullptr), "");
}

TEST(EntryDump, WritesOneLinePerObject) {
  auto entry = MakeEntry("q", {1, 0});
  EXPECT_EQ(DumpEntry(*entry),
            "query name=q id=q_id type=2 length=250 link=1:LocalDB\n"
            "hit id=1000 name=gi|1000 length=300 type=2 desc=sequence 0\n"
            "  element bits=50.5 score=100 expect=1e-10 ident=40 pos=45 gaps=0 align=60 frame=2\n"
            "    query 0-5 length=6 minus=0 extra=7 ACGT-0\n"
            "    sbjct 1000-995 length=6 minus=1 extra=0 ACCTA0\n"
            "hit id=1001 name=gi|1001 length=301 type=1 desc=sequence 1\n");
}

}  // namespace blastsearch
