#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>
#include <vector>

#include "host/db/DBEngine.h"
#include "host/db/DBFunctions.h"
#include "host/db/DBStorage.h"
#include "support/TempDatabase.h"

namespace blastsearch {

namespace {

constexpr int kTable = 201;

// Stores list entries of the given names (records of no interest here).
void PutNames(CDBStorage& storage, const std::vector<std::string>& names) {
  CDBWriteTransaction transaction(storage);
  for (const std::string& name : names) {
    CStoredObject row;
    row.m_recordId = storage.ReserveRecordId(kTable);
    row.m_name = name;
    storage.PutObject(kTable, row, "record");
  }
  transaction.Commit();
}

// The name a new object asking for `name` gets.
std::string UniqueName(const std::string& name) { return MakeUniqueObjectName(kTable, 1, name, 0); }

}  // namespace

TEST(NumberedNames, ANewNameGoesAboveTheHighestNumberTaken) {
  struct Case {
    std::vector<std::string> taken;
    std::string wanted;
    std::string given;
  };
  const Case cases[] = {
      {{}, "a", "a"},
      {{"a"}, "a", "a_2"},
      {{"a", "a_2", "a_3"}, "a", "a_4"},
      // Numbers, not text order: 10 sorts before 9.
      {{"a", "a_9", "a_10"}, "a", "a_11"},
      {{"a", "a_99", "a_100", "a_5"}, "a", "a_101"},
      // Gaps stay gaps.
      {{"a", "a_7"}, "a", "a_8"},
      // Leading zeros count as the number they write, however long.
      {{"a", "a_007"}, "a", "a_8"},
      {{"a", "a_000000050", "a_12"}, "a", "a_51"},
      {{"a", "a_0009", "a_00000003"}, "a", "a_10"},
      // More than nine digits, other characters or another stem: not numbers.
      {{"a", "a_0000000099"}, "a", "a_2"},
      {{"a", "a_5x", "a_x7", "a_1_5", "a_", "ab_9"}, "a", "a_2"},
      // Above nine digits the next free number is looked for.
      {{"a", "a_999999999", "a_1000000000"}, "a", "a_1000000001"},
      // Names with a number of their own, and names beyond ASCII.
      {{"a_2"}, "a_2", "a_2_2"},
      {{"\xC3\xA9t\xC3\xA9", "\xC3\xA9t\xC3\xA9_3"}, "\xC3\xA9t\xC3\xA9", "\xC3\xA9t\xC3\xA9_4"},
      // Another name's numbers are not this name's.
      {{"b", "b_40", "a"}, "a", "a_2"},
  };
  for (const Case& c : cases) {
    CTempDatabase db;
    PutNames(*engine().Storage(1), c.taken);
    EXPECT_EQ(UniqueName(c.wanted), c.given) << c.wanted << " after " << c.taken.size();
  }
}

TEST(NumberedNames, TheHighestNumberCostsTheSameHoweverManyNamesShareTheStem) {
  // The work of one name, counted in the storage's own steps, with 20 and
  // with 2,000 numbered names of the same stem: reading them all would grow
  // with their number.
  std::uint64_t work[2] = {};
  const int counts[2] = {20, 2000};
  for (int i = 0; i < 2; ++i) {
    CTempDatabase db;
    CDBStorage& storage = *engine().Storage(1);
    std::vector<std::string> names{"Query_1"};
    for (int n = 2; n <= counts[i]; ++n) names.push_back("Query_1_" + std::to_string(n));
    PutNames(storage, names);
    const std::uint64_t before = storage.StatementSteps();
    EXPECT_EQ(UniqueName("Query_1"), "Query_1_" + std::to_string(counts[i] + 1));
    work[i] = storage.StatementSteps() - before;
  }
  EXPECT_GT(work[0], 0u);
  EXPECT_LT(work[1], work[0] + 50) << "20 names: " << work[0] << ", 2000 names: " << work[1];
}

TEST(NumberedNames, ADatabaseMadeBeforeTheNameIndexGetsItWhenOpened) {
  CTempDatabase db;
  PutNames(*engine().Storage(1), {"a", "a_4"});
  const auto indexes = [&](const char* sql) {
    sqlite3* raw = nullptr;
    EXPECT_EQ(sqlite3_open(db.File().c_str(), &raw), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(raw, sql, nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(raw, "SELECT count(*) FROM sqlite_master WHERE name = 'objects_numbered'",
                       -1, &stmt, nullptr);
    const int count = sqlite3_step(stmt) == SQLITE_ROW ? sqlite3_column_int(stmt, 0) : -1;
    sqlite3_finalize(stmt);
    sqlite3_close(raw);
    return count;
  };
  EXPECT_EQ(indexes("DROP INDEX objects_numbered"), 0);
  EXPECT_EQ(UniqueName("a"), "a_5");  // found without the index too
  db.Reopen();
  EXPECT_EQ(indexes("SELECT 1"), 1);
  EXPECT_EQ(UniqueName("a"), "a_5");
  EXPECT_EQ(engine().Storage(1)->IntegrityCheck(), "ok");
}

}  // namespace blastsearch
