// The storages' indexed reads, over each storage: the candidates of a search
// are never fewer than the objects that meet its conditions (and, where the
// index is exact, no more), pages in name order neither repeat nor skip a row
// however the table changes between them, and a database made before the
// index gets it, kept up to date even when an older program writes records.

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <climits>
#include <functional>
#include <string>
#include <vector>

#include "host/db/DBStorage.h"
#include "host/db/SearchTerms.h"
#include "host/db/SqliteStorage.h"
#include "support/StorageBackends.h"
#include "support/TempDatabase.h"

namespace blastsearch {

namespace {

constexpr int kTable = 201;

// One generated object: what its record holds.
struct CModel {
  unsigned long id = 0;
  std::string name;
  int hits = 0;
  std::vector<std::string> keywords;
  std::string lab;          // a user-defined field's value ("" none)
  std::string description;  // "" none
  bool unreadable = false;  // a record whose terms cannot be read
};

// The record as the object framework writes it: the common fields, one
// "@field:text" line each, then the table's values and the end mark.
std::string RecordOf(const CModel& m) {
  if (m.unreadable) return "not a record of this program";
  std::string r = "@1:" + m.name + "\n@2:1700000000\n@3:" + std::to_string(m.id) + "\n@4:0\n@5:0\n";
  if (!m.description.empty()) r += "@263:" + m.description + "\n";
  for (const std::string& k : m.keywords) r += "@247:" + k + "\n";
  if (!m.lab.empty()) r += "@254:Lab\t" + m.lab + "\n";
  return r + "@3001:@247:not a keyword\n@0:\n";
}

std::vector<CModel> Generate(int count) {
  std::vector<CModel> models;
  for (int i = 1; i <= count; ++i) {
    CModel m;
    m.id = static_cast<unsigned long>(i);
    m.name = (i % 2 == 0 ? "alpha_" : "beta_") + std::to_string(i);
    m.hits = (i * 37) % 130;
    if (i % 3 == 0) m.keywords.push_back("tri");
    if (i % 5 == 0) m.keywords.push_back("Five");
    if (i % 4 == 1) m.lab = i % 8 == 1 ? "Heidelberg" : "heidelberg-north";
    if (i % 7 == 0) m.description = "described Cytochrome c";
    if (i % 11 == 0) m.description = "bad \xC3\x28 bytes";  // no UTF-8: not indexable
    m.unreadable = i == 13;
    models.push_back(m);
  }
  return models;
}

CStoredObject RowOf(const CModel& m) {
  CStoredObject row;
  row.m_recordId = m.id;
  row.m_name = m.name;
  row.m_objType = 15;
  row.m_tableNumber = m.hits;
  return row;
}

// The object's terms are not in the index: it is a candidate of every
// search by keyword or text.
bool Unindexed(const CModel& m) { return m.unreadable || !IsValidUtf8(m.description); }

bool Holds(std::string text, std::string part) {
  for (std::string* s : {&text, &part}) {
    for (char& c : *s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return text.find(part) != std::string::npos;
}

class SearchIndexTest : public ::testing::TestWithParam<std::string> {
 protected:
  void SetUp() override {
    if (!m_database.SkipReason().empty()) GTEST_SKIP() << m_database.SkipReason();
    m_storage = m_database.Open();
    m_models = Generate(90);
    CDBWriteTransaction write(*m_storage);
    for (const CModel& m : m_models) m_storage->PutObject(kTable, RowOf(m), RecordOf(m));
    write.Commit();
  }
  CBackendDatabase m_database{GetParam()};
  std::unique_ptr<CDBStorage> m_storage;
  std::vector<CModel> m_models;
};

struct CQueryCase {
  const char* label;
  CCandidateQuery query;
  std::function<bool(const CModel&)> meets;
  bool exact;  // the index answers exactly (besides records it cannot read)
};

std::vector<CQueryCase> QueryCases() {
  const auto q = [](auto fill) {
    CCandidateQuery query;
    fill(query);
    return query;
  };
  const auto textHas = [](const CModel& m, const std::string& part) {
    return Unindexed(m) || Holds(m.lab, part) || Holds(m.description, part);
  };
  return {
      {"keyword", q([](auto& x) { x.m_keywords = {"tri"}; }),
       [](const CModel& m) {
         return Unindexed(m) ||
                std::find(m.keywords.begin(), m.keywords.end(), "tri") != m.keywords.end();
       },
       true},
      {"keyword of another case finds nothing more", q([](auto& x) { x.m_keywords = {"five"}; }),
       [](const CModel& m) { return Unindexed(m); }, true},
      {"either keyword", q([](auto& x) {
         x.m_keywords = {"tri", "Five"};
       }),
       [](const CModel& m) { return Unindexed(m) || !m.keywords.empty(); }, true},
      {"field text, any case", q([](auto& x) { x.m_textSubstrings = {"HEIDELBERG"}; }),
       [&](const CModel& m) { return textHas(m, "heidelberg"); }, true},
      {"description or field", q([](auto& x) {
         x.m_textSubstrings = {"cytochrome", "north"};
       }),
       [&](const CModel& m) { return textHas(m, "cytochrome") || textHas(m, "north"); }, true},
      {"hit ranges", q([](auto& x) {
         x.m_hitCountRanges = {{1, 10}, {101, LONG_MAX}};
       }),
       [](const CModel& m) { return (m.hits >= 1 && m.hits <= 10) || m.hits >= 101; }, true},
      {"name, case counts", q([](auto& x) { x.m_nameSubstring = "ha_1"; }),
       [](const CModel& m) { return m.name.find("ha_1") != std::string::npos; }, true},
      {"all at once", q([](auto& x) {
         x.m_keywords = {"tri"};
         x.m_hitCountRanges = {{11, 100}};
         x.m_nameSubstring = "beta";
         x.m_textSubstrings = {"heidelberg"};
       }),
       [&](const CModel& m) {
         const bool kw = Unindexed(m) ||
                         std::find(m.keywords.begin(), m.keywords.end(), "tri") != m.keywords.end();
         return kw && m.hits >= 11 && m.hits <= 100 && m.name.find("beta") != std::string::npos &&
                textHas(m, "heidelberg");
       },
       true},
      // Two characters are below what a trigram finds: the text is not
      // narrowed, the keyword still is.
      {"short text with a keyword", q([](auto& x) {
         x.m_keywords = {"Five"};
         x.m_textSubstrings = {"he"};
       }),
       [](const CModel& m) {
         return Unindexed(m) ||
                std::find(m.keywords.begin(), m.keywords.end(), "Five") != m.keywords.end();
       },
       true},
  };
}

TEST_P(SearchIndexTest, CandidatesHoldEveryObjectThatMeetsTheConditions) {
  for (const CQueryCase& c : QueryCases()) {
    SCOPED_TRACE(c.label);
    std::vector<unsigned long> expected;
    for (const CModel& m : m_models) {
      if (c.meets(m)) expected.push_back(m.id);
    }
    std::vector<unsigned long> ids;
    ASSERT_TRUE(m_storage->CandidateIds(kTable, c.query, ids));
    EXPECT_TRUE(std::is_sorted(ids.begin(), ids.end()));
    EXPECT_TRUE(std::includes(ids.begin(), ids.end(), expected.begin(), expected.end()));
    if (c.exact) {
      EXPECT_EQ(ids, expected);
    }
  }
  // Nothing to narrow by: the caller walks every object.
  std::vector<unsigned long> ids;
  CCandidateQuery shortOnly;
  shortOnly.m_textSubstrings = {"he"};
  EXPECT_FALSE(m_storage->CandidateIds(kTable, shortOnly, ids));
  EXPECT_FALSE(m_storage->CandidateIds(kTable, CCandidateQuery{}, ids));
}

TEST_P(SearchIndexTest, ChangedAndDeletedObjectsLeaveTheIndexAtOnce) {
  CCandidateQuery query;
  query.m_keywords = {"tri"};
  CModel changed = m_models[2];  // id 3 carried "tri"
  changed.keywords = {"other"};
  m_storage->PutObject(kTable, RowOf(changed), RecordOf(changed));
  ASSERT_TRUE(m_storage->DeleteObject(kTable, 6));
  std::vector<unsigned long> ids;
  ASSERT_TRUE(m_storage->CandidateIds(kTable, query, ids));
  EXPECT_EQ(std::count(ids.begin(), ids.end(), 3UL), 0);
  EXPECT_EQ(std::count(ids.begin(), ids.end(), 6UL), 0);
  EXPECT_EQ(std::count(ids.begin(), ids.end(), 9UL), 1);
}

// Every page of `size` rows in name order, from the start.
std::vector<std::string> AllPages(CDBStorage& storage, std::size_t size, unsigned long subbase = 0,
                                  const std::function<void(int page)>& between = {}) {
  std::vector<std::string> names;
  std::vector<CStoredObject> rows;
  CStoredObject last;
  bool started = false;
  for (int page = 0;; ++page) {
    storage.ReadObjectPage(kTable, EObjectOrder::kByName, subbase, started ? &last : nullptr, size,
                           rows);
    if (rows.empty()) return names;
    EXPECT_LE(rows.size(), size);
    for (const CStoredObject& row : rows) names.push_back(row.m_name);
    last = rows.back();
    started = true;
    if (between) between(page);
  }
}

TEST_P(SearchIndexTest, PagesByNameGiveEveryRowOnceInByteOrder) {
  // Names that only bytes tell apart, and prefixes of one another.
  const char* odd[] = {"a", "A", "a\x01", "ab", "a b", "\xC3\xA9t\xC3\xA9", "Z", "_", "a_"};
  unsigned long id = 1000;
  for (const char* name : odd) {
    CModel m;
    m.id = id++;
    m.name = name;
    m_storage->PutObject(kTable, RowOf(m), RecordOf(m));
  }
  std::vector<std::string> sorted;
  for (const CModel& m : m_models) sorted.push_back(m.name);
  sorted.insert(sorted.end(), std::begin(odd), std::end(odd));
  std::sort(sorted.begin(), sorted.end());
  for (std::size_t size : {1, 2, 7, 100, 1000}) {
    SCOPED_TRACE(size);
    EXPECT_EQ(AllPages(*m_storage, size), sorted);
  }
  // Identifier order pages, and a subbase's pages.
  std::vector<CStoredObject> rows;
  m_storage->ReadObjectPage(kTable, EObjectOrder::kById, 0, nullptr, 3, rows);
  ASSERT_EQ(rows.size(), 3U);
  EXPECT_EQ(rows[2].m_recordId, 3UL);
  CStoredObject after = rows[2];
  m_storage->ReadObjectPage(kTable, EObjectOrder::kById, 0, &after, 2, rows);
  ASSERT_EQ(rows.size(), 2U);
  EXPECT_EQ(rows[0].m_recordId, 4UL);
  const unsigned long group = m_storage->CreateSubbase(kTable, "group");
  for (unsigned long member : {40UL, 2UL, 1001UL}) m_storage->AddToSubbase(kTable, group, member);
  EXPECT_EQ(AllPages(*m_storage, 2, group), (std::vector<std::string>{"A", "alpha_2", "alpha_40"}));
  m_storage->ReadObjectPage(kTable, EObjectOrder::kById, group, nullptr, 10, rows);
  ASSERT_EQ(rows.size(), 3U);
  EXPECT_EQ(rows[1].m_recordId, 40UL);
}

TEST_P(SearchIndexTest, ChangesBetweenPagesNeitherRepeatNorSkipTheRest) {
  std::vector<std::string> sorted;
  for (const CModel& m : m_models) sorted.push_back(m.name);
  std::sort(sorted.begin(), sorted.end());
  // After the first page of 10: the page's last row and a row of the next
  // page are deleted, a row sorting before the cursor and one after it are
  // added, and a row of a later page is renamed to sort before the cursor.
  const std::vector<std::string> seen = AllPages(*m_storage, 10, 0, [&](int page) {
    if (page != 0) return;
    for (const std::string& gone : {sorted[9], sorted[12]}) {
      CStoredObject row;
      ASSERT_TRUE(m_storage->FindObjectByName(kTable, gone, &row));
      ASSERT_TRUE(m_storage->DeleteObject(kTable, row.m_recordId));
    }
    CModel before, later;
    before.id = 500, before.name = "aaa";
    later.id = 501, later.name = "zzz";
    m_storage->PutObject(kTable, RowOf(before), RecordOf(before));
    m_storage->PutObject(kTable, RowOf(later), RecordOf(later));
    CStoredObject moved;
    ASSERT_TRUE(m_storage->FindObjectByName(kTable, sorted[50], &moved));
    m_storage->RenameObject(kTable, moved.m_recordId, "a0");
  });
  std::vector<std::string> expected(sorted.begin(), sorted.begin() + 10);
  for (std::size_t i = 10; i < sorted.size(); ++i) {
    if (i != 12 && i != 50) expected.push_back(sorted[i]);
  }
  expected.push_back("zzz");
  EXPECT_EQ(seen, expected);
}

INSTANTIATE_TEST_SUITE_P(Storages, SearchIndexTest, ::testing::ValuesIn(StorageBackendNames()),
                         [](const auto& backend) { return backend.param; });

void ExecSql(const std::string& file, const std::string& sql) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
  char* error = nullptr;
  const int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error);
  EXPECT_EQ(rc, SQLITE_OK) << (error != nullptr ? error : "") << "\n" << sql;
  sqlite3_free(error);
  sqlite3_close(db);
}

TEST(SqliteSearchIndex, AFileMadeBeforeTheIndexGetsItAndOlderProgramsWritesAreCaughtUp) {
  CTempDir dir("index-upgrade");
  const std::string file = (dir.Path() / "quillon.db").string();
  std::vector<CModel> models = Generate(30);
  {
    std::unique_ptr<CDBStorage> storage = OpenSqliteStorage(file);
    for (const CModel& m : models) storage->PutObject(kTable, RowOf(m), RecordOf(m));
  }
  // As a file of the program before the index: none of its tables.
  ExecSql(file,
          "DROP TRIGGER records_terms_put; DROP TRIGGER records_terms_change; "
          "DROP TRIGGER records_terms_drop; DROP TABLE objectwords; DROP TABLE objecttext; "
          "DROP TABLE objectsunread; DROP TABLE termsdirty; DROP INDEX objects_hits;");
  CCandidateQuery query;
  query.m_keywords = {"tri"};
  std::vector<unsigned long> ids;
  {
    std::unique_ptr<CDBStorage> storage = OpenSqliteStorage(file);
    ASSERT_TRUE(storage->CandidateIds(kTable, query, ids));
    EXPECT_EQ(ids, (std::vector<unsigned long>{3, 6, 9, 11, 12, 13, 15, 18, 21, 22, 24, 27, 30}));
  }
  // An older program, knowing nothing of the index, stores a record with
  // the keyword and removes one: the triggers note both records.
  CModel added;
  added.id = 31, added.name = "added", added.keywords = {"tri"};
  ExecSql(
      file,
      "INSERT INTO objects VALUES(201, 31, 'added', 15, 0, 0, '', ''); "
      "INSERT INTO records(key, data) VALUES((201 << 32) | 31, '" +
          RecordOf(added) +
          "'); DELETE FROM objects WHERE id = 6; DELETE FROM records WHERE key = (201 << 32) | 6;");
  std::unique_ptr<CDBStorage> storage = OpenSqliteStorage(file);
  ASSERT_TRUE(storage->CandidateIds(kTable, query, ids));
  EXPECT_EQ(ids, (std::vector<unsigned long>{3, 9, 11, 12, 13, 15, 18, 21, 22, 24, 27, 30, 31}));
}

}  // namespace

}  // namespace blastsearch
