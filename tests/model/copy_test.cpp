// Construction, dynamic creation, deep copies with append semantics, and
// destruction order of the result tree.

#include <gtest/gtest.h>

#include <list>
#include <memory>
#include <new>
#include <set>
#include <string>
#include <vector>

#include "model/BlastSearchEntry.h"
#include "model/OwnedList.h"
#include "support/EntryDump.h"
#include "tests/model/ModelBuilders.h"

namespace blastsearch {

namespace {

// Every object of the tree (hits, elements, rows, strings' buffers aside).
std::set<const void*> TreeObjects(const CBlastSearchEntry& entry) {
  std::set<const void*> objects{&entry, &entry.m_Hits};
  for (const auto& hit : entry.m_Hits.m_HitList) {
    objects.insert(hit.get());
    for (const auto& element : hit->m_ElementList) {
      objects.insert(element.get());
      objects.insert(&element->m_Query);
      objects.insert(&element->m_Subject);
    }
  }
  return objects;
}

std::vector<std::string> HitNames(const CBlastSearchEntry& entry) {
  std::vector<std::string> names;
  for (const auto& hit : entry.m_Hits.m_HitList) names.push_back(hit->m_strName);
  return names;
}

}  // namespace

TEST(ModelDefaults, FreshObjectsHoldTheDocumentedDefaults) {
  CBlastSearchHit hit;
  EXPECT_EQ(hit.m_nMolType, 1);
  EXPECT_EQ(hit.m_nLength, 0);
  EXPECT_TRUE(hit.m_ElementList.empty());

  CBlastSearchHitElement element;
  EXPECT_EQ(element.m_nScore, 0);
  EXPECT_EQ(element.m_dExpect, 0.0);
  EXPECT_EQ(element.m_dBitScore, 0.0);
  EXPECT_EQ(element.m_nFrame, 0);
  for (const CBlastSearchSeqComponent* row : {&element.m_Query, &element.m_Subject}) {
    EXPECT_EQ(row->m_nStart + row->m_nEnd + row->m_nLength + row->m_bMinusStrand + row->m_nExtra,
              0);
    EXPECT_TRUE(row->m_strSeq.empty());
  }

  // The molecule record's own type default is not the entry's.
  EXPECT_NE(CUxMol().m_nType, 0);
  CBlastSearchEntry entry;
  EXPECT_EQ(DumpEntry(entry), "query name= id= type=0 length=0 link=0:\n");
  EXPECT_EQ(entry.IsEmpty(), 1);
}

TEST(ModelRuntimeClass, EveryClassIsCreatedByItsName) {
  struct Case {
    const char* name;
    const CRuntimeClass* cls;
  };
  const Case cases[] = {
      {"CBlastSearchEntry", RUNTIME_CLASS(CBlastSearchEntry)},
      {"CBlastSearchHits", RUNTIME_CLASS(CBlastSearchHits)},
      {"CBlastSearchHit", RUNTIME_CLASS(CBlastSearchHit)},
      {"CBlastSearchHitMoleculeName", RUNTIME_CLASS(CBlastSearchHitMoleculeName)},
      {"CBlastSearchHitElement", RUNTIME_CLASS(CBlastSearchHitElement)},
      {"CBlastSearchSeqComponent", RUNTIME_CLASS(CBlastSearchSeqComponent)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const CRuntimeClass* cls = CRuntimeClass::FromName(c.name);
    ASSERT_EQ(cls, c.cls);
    EXPECT_STREQ(cls->m_lpszClassName, c.name);
    EXPECT_EQ(cls->m_wSchema, 0xFFFFu);
    ASSERT_NE(cls->m_pfnGetBaseClass, nullptr);
    EXPECT_EQ(cls->m_pfnGetBaseClass(), RUNTIME_CLASS(CObject));
    std::unique_ptr<CObject> object(cls->CreateObject());
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(object->GetRuntimeClass(), cls);
    EXPECT_TRUE(object->IsKindOf(RUNTIME_CLASS(CObject)));
  }
  std::unique_ptr<CObject> entry(CBlastSearchEntry::CreateObject());
  EXPECT_EQ(static_cast<CBlastSearchEntry*>(entry.get())->GetMolType(), 0);
  std::unique_ptr<CObject> hit(CBlastSearchHit::CreateObject());
  EXPECT_EQ(static_cast<CBlastSearchHit*>(hit.get())->m_nMolType, 1);
}

TEST(ModelCopy, CopyIsDeepAndOutlivesItsSource) {
  auto source = MakeEntry("query", {2, 2, 2});
  const std::string dump = DumpEntry(*source);
  CBlastSearchEntry copy(*source);
  EXPECT_EQ(DumpEntry(copy), dump);
  EXPECT_EQ(copy.m_Hits.m_strInfo, "info query");
  EXPECT_EQ(copy.GetMolSequence(), "MKV");
  EXPECT_EQ(*copy.GetMolQlonLink(), "link:query");

  const auto sourceObjects = TreeObjects(*source);
  for (const void* object : TreeObjects(copy)) EXPECT_EQ(sourceObjects.count(object), 0u);

  source.reset();  // a shared object would now be a use after free
  EXPECT_EQ(DumpEntry(copy), dump);
  ASSERT_EQ(copy.GetHitsCount(), 3);
  for (const auto& hit : copy.m_Hits.m_HitList) EXPECT_EQ(hit->m_ElementList.size(), 2u);
}

TEST(ModelCopy, MoleculeNameCopiesItsThreeStrings) {
  CBlastSearchHitMoleculeName name;
  name.m_strFirst = "first";
  name.m_strSecond = "second";
  name.m_strThird = "third";
  CBlastSearchHitMoleculeName nameCopy(name);
  EXPECT_EQ(nameCopy.m_strFirst, "first");
  EXPECT_EQ(nameCopy.m_strSecond, "second");
  EXPECT_EQ(nameCopy.m_strThird, "third");
}

TEST(ModelCopy, AssignmentAppendsAndNeverClears) {
  auto target = MakeEntry("target", {1});
  target->m_Hits.m_HitList.front()->m_strName = "old";
  auto source = MakeEntry("source", {2, 2});
  *target = *source;
  EXPECT_EQ(HitNames(*target), (std::vector<std::string>{"old", "gi|1000", "gi|1001"}));
  EXPECT_EQ(target->m_Hits.m_strInfo, "info source");  // replaced, not appended
  EXPECT_EQ(target->GetMolName(), "source");

  CBlastSearchHit hit = *MakeHit(0, 1);
  hit = *MakeHit(5, 2);
  ASSERT_EQ(hit.m_ElementList.size(), 3u);
  EXPECT_EQ(hit.m_ElementList.front()->m_nScore, 100);
  EXPECT_EQ(hit.m_ElementList.back()->m_nScore, 151);
  EXPECT_EQ(hit.m_strID, "1005");
  EXPECT_EQ(hit.m_nLength, 305);
  EXPECT_EQ(hit.m_nMolType, 1);
}

TEST(ModelCopy, IdentifiersAreNeverCopied) {
  auto source = MakeEntry("q", {2});
  CBlastSearchHit& hit = *source->m_Hits.m_HitList.front();
  hit.m_nID = 7;
  for (auto& element : hit.m_ElementList) element->m_nID = 9;

  CBlastSearchEntry copy(*source);
  const CBlastSearchHit& copied = *copy.m_Hits.m_HitList.front();
  EXPECT_EQ(copied.m_nID, 0);
  for (const auto& element : copied.m_ElementList) EXPECT_EQ(element->m_nID, 0);

  CBlastSearchHitElement element;
  element.m_nID = 4;
  element = *hit.m_ElementList.front();
  EXPECT_EQ(element.m_nID, 4);  // the target keeps its own identifier
}

TEST(ModelCopy, EntryCopiesOnlyTheQueryMembersItUses) {
  auto source = MakeEntry("q", {});
  source->m_Mol.m_nType2 = 2;
  source->m_Mol.m_nWord1 = 1;
  source->m_Mol.m_nWord2 = 5;
  source->m_Mol.m_xData.SetData("extra");

  CBlastSearchEntry copy(*source);
  EXPECT_EQ(copy.GetMolName(), "q");
  EXPECT_EQ(copy.GetMolID(), "q_id");
  EXPECT_EQ(copy.GetMolType(), 2);
  EXPECT_EQ(copy.GetMolLength(), 250);
  EXPECT_EQ(copy.GetMolSequence(), "MKV");
  EXPECT_EQ(*copy.GetMolQlonLink(), "link:q");
  EXPECT_EQ(copy.m_nLinkType, 1);
  EXPECT_EQ(copy.m_strLinkDatabase, "LocalDB");
  const CUxMol fresh;
  EXPECT_EQ(copy.m_Mol.m_nType2, fresh.m_nType2);
  EXPECT_EQ(copy.m_Mol.m_nWord1, fresh.m_nWord1);
  EXPECT_EQ(copy.m_Mol.m_nWord2, fresh.m_nWord2);
  EXPECT_TRUE(copy.m_Mol.m_xData.IsEmpty());

  CBlastSearchEntry target;
  target.m_Mol.m_nType2 = 8;
  target.m_Mol.m_nWord2 = 6;
  target.m_Mol.m_xData.SetData("mine");
  target = *source;
  EXPECT_EQ(target.m_Mol.m_nType2, 8);
  EXPECT_EQ(target.m_Mol.m_nWord2, 6);
  EXPECT_EQ(target.m_Mol.m_xData.GetData(), "mine");
  EXPECT_EQ(target.GetMolName(), "q");
}

TEST(ModelCopy, QueryLinkAddressIsStableAndWritable) {
  CBlastSearchEntry entry;
  std::string* link = entry.GetMolQlonLink();
  EXPECT_EQ(link, entry.GetMolQlonLink());
  *link = "qlon://db/protein/1";
  CBlastSearchEntry copy(entry);
  EXPECT_EQ(*copy.GetMolQlonLink(), "qlon://db/protein/1");
  EXPECT_NE(copy.GetMolQlonLink(), link);
}

TEST(ModelCopy, SelfAssignmentChangesNothing) {
  auto entry = MakeEntry("self", {2, 1});
  const std::string dump = DumpEntry(*entry);
  CBlastSearchEntry& entryAlias = *entry;
  *entry = entryAlias;
  EXPECT_EQ(DumpEntry(*entry), dump);

  CBlastSearchHits& hitsAlias = entry->m_Hits;
  entry->m_Hits = hitsAlias;
  CBlastSearchHit& hit = *entry->m_Hits.m_HitList.front();
  CBlastSearchHit& hitAlias = hit;
  hit = hitAlias;
  CBlastSearchHitElement& element = *hit.m_ElementList.front();
  CBlastSearchHitElement& elementAlias = element;
  element = elementAlias;
  CBlastSearchSeqComponent& row = element.m_Query;
  CBlastSearchSeqComponent& rowAlias = row;
  row = rowAlias;
  EXPECT_EQ(DumpEntry(*entry), dump);

  CBlastSearchHitMoleculeName name;
  name.m_strFirst = "a";
  CBlastSearchHitMoleculeName& nameAlias = name;
  name = nameAlias;
  EXPECT_EQ(name.m_strFirst, "a");
}

TEST(ModelCopy, NullListEntriesAreSkippedByCopies) {
  auto source = MakeEntry("q", {1, 1});
  source->m_Hits.m_HitList.push_front(nullptr);
  source->m_Hits.m_HitList.back()->m_ElementList.push_front(nullptr);
  CBlastSearchEntry copy(*source);
  ASSERT_EQ(copy.GetHitsCount(), 2);
  for (const auto& hit : copy.m_Hits.m_HitList) {
    ASSERT_NE(hit, nullptr);
    ASSERT_EQ(hit->m_ElementList.size(), 1u);
    EXPECT_NE(hit->m_ElementList.front(), nullptr);
  }
  EXPECT_EQ(DumpEntry(copy), DumpEntry(*source));
}

namespace {

std::vector<int> g_destroyed;

struct TracedElement : CBlastSearchHitElement {
  explicit TracedElement(int tag) { m_nScore = tag; }
  ~TracedElement() override { g_destroyed.push_back(m_nScore); }
};

struct TracedHit : CBlastSearchHit {
  explicit TracedHit(int tag) { m_nLength = tag; }
  ~TracedHit() override { g_destroyed.push_back(-m_nLength); }
};

}  // namespace

TEST(ModelDestruction, ListsDeleteTheirItemsInListOrderSkippingNulls) {
  g_destroyed.clear();
  {
    CBlastSearchHits hits;
    for (int h = 1; h <= 2; ++h) {
      auto hit = std::make_unique<TracedHit>(h);
      hit->m_ElementList.push_back(std::make_unique<TracedElement>(h * 10 + 1));
      hit->m_ElementList.push_back(nullptr);
      hit->m_ElementList.push_back(std::make_unique<TracedElement>(h * 10 + 2));
      hits.m_HitList.push_back(std::move(hit));
      hits.m_HitList.push_back(nullptr);
    }
  }
  // A hit's own destructor body runs before its elements are deleted.
  EXPECT_EQ(g_destroyed, (std::vector<int>{-1, 11, 12, -2, 21, 22}));
}

namespace {

// Copying the third instance fails as an exhausted heap would.
struct FailingCopy {
  explicit FailingCopy(int n) : value(n) {}
  FailingCopy(const FailingCopy& other) : value(other.value), buffer(64, 'x') {
    if (other.value == 3) throw std::bad_alloc();
  }
  int value;
  std::string buffer;
};

}  // namespace

TEST(ModelCopy, AllocationFailureKeepsTheCopiesMadeBefore) {
  std::list<std::unique_ptr<FailingCopy>> source, target;
  target.push_back(std::make_unique<FailingCopy>(0));
  for (int n = 1; n <= 4; ++n) source.push_back(std::make_unique<FailingCopy>(n));
  EXPECT_THROW(AppendCopies(target, source), CMemoryException);
  ASSERT_EQ(target.size(), 3u);
  EXPECT_EQ(target.back()->value, 2);
}

}  // namespace blastsearch
