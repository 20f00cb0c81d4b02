// The storage's lookup keys of objects: replaced when the object is stored
// again, gone with the object, and their table added to older databases;
// over every storage.

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <functional>

#include "host/db/DBStorage.h"
#include "host/db/SqliteStorage.h"
#include "support/StorageBackends.h"
#include "support/TempDatabase.h"

namespace blastsearch {

namespace {

using Ids = std::vector<unsigned long>;

CStoredObject Row(unsigned long id, const std::string& name) {
  CStoredObject row;
  row.m_recordId = id;
  row.m_name = name;
  row.m_objType = 15;
  return row;
}

class ObjectKeys : public ::testing::TestWithParam<std::string> {
 protected:
  void SetUp() override {
    if (!m_database.SkipReason().empty()) GTEST_SKIP() << m_database.SkipReason();
  }
  CBackendDatabase m_database{GetParam()};
};

TEST_P(ObjectKeys, KeysFollowTheirObjects) {
  auto storage = m_database.Open();
  storage->PutObject(201, Row(1, "one"), "r1");
  storage->PutObject(201, Row(2, "two"), "r2");
  storage->SetObjectKeys(201, 1, {"a", "b"});
  storage->SetObjectKeys(201, 2, {"b"});
  storage->SetObjectKeys(202, 1, {"a"});  // another table's object 1
  struct Step {
    const char* what;
    std::function<void()> change;
    Ids a, b, c;
  };
  const std::vector<Step> steps = {
      {"as set", [] {}, {1}, {1, 2}, {}},
      {"replaced",
       [&] {
         storage->SetObjectKeys(201, 1, {"c", "c"});
       },
       {},
       {2},
       {1}},
      {"removed", [&] { storage->SetObjectKeys(201, 2, {}); }, {}, {}, {1}},
      {"object deleted", [&] { storage->DeleteObject(201, 1); }, {}, {}, {}},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    step.change();
    EXPECT_EQ(storage->ObjectsWithKey(201, "a"), step.a);
    EXPECT_EQ(storage->ObjectsWithKey(201, "b"), step.b);
    EXPECT_EQ(storage->ObjectsWithKey(201, "c"), step.c);
  }
  EXPECT_EQ(storage->ObjectsWithKey(202, "a"), Ids{1});
}

TEST(ObjectKeysOnSqlite, ADatabaseMadeBeforeKeysGetsTheirTableWhenOpened) {
  CTempDir dir("objkeys_old");
  const std::string path = (dir.Path() / "old.db").string();
  OpenSqliteStorage(path).reset();
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(db, "DROP TABLE objectkeys", nullptr, nullptr, nullptr), SQLITE_OK);
  sqlite3_close(db);
  auto storage = OpenSqliteStorage(path);
  storage->PutObject(201, Row(1, "one"), "r1");
  storage->SetObjectKeys(201, 1, {"k"});
  EXPECT_EQ(storage->ObjectsWithKey(201, "k"), Ids{1});
  EXPECT_EQ(storage->IntegrityCheck(), "ok");
}

// The keys that begin with a prefix, of every object at once: nothing
// outside the prefix, nothing of another table, bytes past ASCII included.
TEST_P(ObjectKeys, KeysWithAPrefixAreReadInOneGo) {
  auto storage = m_database.Open();
  storage->PutObject(201, Row(1, "one"), "r1");
  storage->PutObject(201, Row(2, "two"), "r2");
  storage->SetObjectKeys(201, 1, {"list:a=1", "list:b=\xC3\xA9", "lisu", "list", "other"});
  storage->SetObjectKeys(201, 2, {"list:a=2", "list;", "list:\xFF"});
  storage->SetObjectKeys(202, 1, {"list:a=3"});
  using Rows = std::vector<std::pair<unsigned long, std::string>>;
  struct Case {
    std::string prefix;
    Rows rows;
  };
  const std::vector<Case> cases = {
      {"list:", {{1, "list:a=1"}, {2, "list:a=2"}, {1, "list:b=\xC3\xA9"}, {2, "list:\xFF"}}},
      {"list:a=", {{1, "list:a=1"}, {2, "list:a=2"}}},
      {"list:\xFF", {{2, "list:\xFF"}}},
      {"none", {}},
      {"", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.prefix);
    Rows rows;
    storage->ForEachObjectKey(201, c.prefix, [&rows](unsigned long id, std::string_view key) {
      rows.emplace_back(id, std::string(key));
    });
    EXPECT_EQ(rows, c.rows);
  }
}

// The keys of the objects of a span of identifiers (a page of a copy), in
// identifier then key order: nothing outside the span or of another table.
TEST_P(ObjectKeys, KeysOfASpanOfIdentifiersAreReadInOneGo) {
  auto storage = m_database.Open();
  for (unsigned long id : {1ul, 2ul, 3ul, 10ul, 4000000000ul}) {
    storage->PutObject(201, Row(id, "n" + std::to_string(id)), "r");
    storage->SetObjectKeys(201, id, {"z" + std::to_string(id), "a" + std::to_string(id)});
  }
  storage->SetObjectKeys(201, 3, {});
  storage->SetObjectKeys(202, 2, {"other table"});
  using Rows = std::vector<std::pair<unsigned long, std::string>>;
  struct Case {
    unsigned long first, last;
    Rows rows;
  };
  const std::vector<Case> cases = {
      {1, 2, {{1, "a1"}, {1, "z1"}, {2, "a2"}, {2, "z2"}}},
      {2, 10, {{2, "a2"}, {2, "z2"}, {10, "a10"}, {10, "z10"}}},
      {3, 3, {}},
      {11, 4000000000ul, {{4000000000ul, "a4000000000"}, {4000000000ul, "z4000000000"}}},
      {10, 1, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.first) + "-" + std::to_string(c.last));
    Rows rows;
    storage->ForEachKeyOfObjects(201, c.first, c.last,
                                 [&rows](unsigned long id, std::string_view key) {
                                   rows.emplace_back(id, std::string(key));
                                 });
    EXPECT_EQ(rows, c.rows);
  }
}

INSTANTIATE_TEST_SUITE_P(Storages, ObjectKeys, ::testing::ValuesIn(StorageBackendNames()),
                         [](const auto& backend) { return backend.param; });

}  // namespace

}  // namespace blastsearch
