// What the database window lists of a result without reading its record:
// the facts written as lookup keys when it is stored, and read back.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>

#include "host/db/DBEngine.h"
#include "model/BlastSearchEntry.h"
#include "model/BlastSearchHit.h"
#include "model/BlastSearchHitElement.h"
#include "model/ResultInfo.h"
#include "support/TempDatabase.h"
#include "table/BlastSearchObject.h"
#include "table/BlastSearchTable.h"
#include "table/ResultListFacts.h"

namespace blastsearch {

namespace {

struct Pair {
  double expect;
  int identities;
  int length;
};

void AddHit(CBlastSearchEntry& entry, const std::vector<Pair>& pairs) {
  auto hit = std::make_unique<CBlastSearchHit>();
  for (const Pair& pair : pairs) {
    auto element = std::make_unique<CBlastSearchHitElement>();
    element->m_dExpect = pair.expect;
    element->m_nIdentities = pair.identities;
    element->m_nAlignLength = pair.length;
    hit->m_ElementList.push_back(std::move(element));
  }
  entry.m_Hits.m_HitList.push_back(std::move(hit));
}

TEST(ResultListFacts, BestValuesOverEveryPairOfEveryHit) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  struct Case {
    const char* what;
    std::vector<std::vector<Pair>> hits;
    std::string expect;
    std::string identity;
  };
  const std::vector<Case> cases = {
      {"no hits", {}, "", ""},
      {"a hit without pairs", {{}}, "", ""},
      {"smallest expect, highest identity",
       {{{1e-5, 50, 100}, {2.5e-40, 90, 100}}, {{0.3, 199, 200}}},
       "2.5e-40",
       "99.5"},
      {"zero expect", {{{0, 10, 10}}}, "0", "100.0"},
      {"not finite and negative expect values are no values",
       {{{nan, 1, 3}, {inf, 1, 3}, {-1, 1, 3}}},
       "",
       "33.3"},
      {"identities beyond the length or no length are no identity",
       {{{1, 11, 10}, {1, 5, 0}, {1, -1, 4}}},
       "1",
       ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    CBlastSearchEntry entry;
    for (const auto& hit : c.hits) AddHit(entry, hit);
    EXPECT_EQ(BestExpectText(entry), c.expect);
    EXPECT_EQ(BestIdentityText(entry), c.identity);
  }
}

TEST(ResultListFacts, KeysReadBackIntoTheFactsTheyCameFrom) {
  CBlastSearchEntry entry;
  SetResultInfo(entry, result_info::kProgram, "blastx");
  SetResultInfo(entry, result_info::kDatabase, "nr=refseq protein");
  AddHit(entry, {{3e-12, 40, 80}});
  const std::vector<std::string> keys = MakeResultFactKeys(entry, {"kinase", "a=b"});
  CResultListFacts facts;
  for (const std::string& key : keys) {
    EXPECT_EQ(key.rfind(kResultFactKey, 0), 0u) << key;
    EXPECT_TRUE(ReadResultFactKey(key, facts)) << key;
  }
  EXPECT_EQ(facts.m_strProgram, "blastx");
  EXPECT_EQ(facts.m_strDatabase, "nr=refseq protein");
  EXPECT_EQ(facts.m_strBestExpect, "3e-12");
  EXPECT_EQ(facts.m_strBestIdentity, "50.0");
  EXPECT_EQ(facts.m_keywords, (std::vector<std::string>{"kinase", "a=b"}));
  for (const char* other : {"result-digest:abc", "list:colour=red", "program=blastp"}) {
    EXPECT_FALSE(ReadResultFactKey(other, facts)) << other;
  }
  EXPECT_EQ(facts.m_strProgram, "blastx");
  EXPECT_TRUE(MakeResultFactKeys(CBlastSearchEntry(), {}).empty()) << "nothing known, no keys";
}

// Stored objects carry their facts; a new store replaces them.
TEST(ResultListFacts, StoringAnObjectWritesItsFactsAsKeys) {
  CTempDatabase db;
  CBlastSearchObject object;
  object.m_name = "facts";
  object.m_keywords = {"old"};
  SetResultInfo(object.Entry(), result_info::kProgram, "tblastn");
  std::string subbase = "MAIN";
  ASSERT_EQ(blastSearch().InsertObject(0, &object, 2, subbase, 1), 1);
  object.m_keywords = {"new"};
  ASSERT_EQ(blastSearch().InsertObject(object.m_recordId, &object, 2, subbase, 1), 1);
  CResultListFacts facts;
  engine().Storage(1)->ForEachObjectKey(blastSearch().objtable(), kResultFactKey,
                                        [&](unsigned long id, std::string_view key) {
                                          EXPECT_EQ(id, object.m_recordId);
                                          EXPECT_TRUE(ReadResultFactKey(key, facts));
                                        });
  EXPECT_EQ(facts.m_strProgram, "tblastn");
  EXPECT_EQ(facts.m_keywords, std::vector<std::string>{"new"});
}

}  // namespace

}  // namespace blastsearch
