// The database window's list model over a real storage (each backend this
// build has): rows read a page at a time in the storage's order, sorts and
// a filter that reach rows beyond the first page, and selections that stay
// on the same objects while the rows are read again.
#include <gtest/gtest.h>

#include <QItemSelectionModel>
#include <algorithm>
#include <set>

#include "QtTestHelpers.h"
#include "gui/ObjectListModel.h"
#include "support/StorageBackends.h"

namespace blastsearch {

namespace {

constexpr int kTable = 201;

TEST(CompareNames, OrdersAsAPersonReads) {
  struct Case {
    const char* left;
    const char* right;
    int sign;
  };
  const Case cases[] = {
      {"run 9", "run 10", -1},
      {"run 10", "run 9", 1},
      {"Run 9", "run 10", -1},
      {"alpha", "Beta", -1},
      {"beta", "Alpha", 1},
      {"a007", "a7", -1},
      {"a7", "a007", 1},
      {"x2y10", "x2y9", 1},
      {"abc", "abcd", -1},
      {"", "a", -1},
      {"same", "same", 0},
      {"Same", "same", -1},
      {"99999999999999999999", "100000000000000000000", -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.left) + " vs " + c.right);
    const int compared = CompareNames(QString::fromUtf8(c.left), QString::fromUtf8(c.right));
    EXPECT_EQ((compared > 0) - (compared < 0), c.sign);
  }
}

class ObjectListModelTest : public ::testing::TestWithParam<std::string> {
 protected:
  void SetUp() override {
    if (!m_db.SkipReason().empty()) GTEST_SKIP() << m_db.SkipReason();
    m_pStorage = m_db.Open();
  }
  // Stores an object named `name` created at `created`, with a best E
  // value fact `expect` ("" none) and a keyword fact `keyword` ("" none);
  // its identifier.
  unsigned long Store(const std::string& name, long created = 1700000000L,
                      const std::string& expect = "", const std::string& keyword = "") {
    CStoredObject row;
    row.m_recordId = m_pStorage->ReserveRecordId(kTable);
    row.m_name = name;
    row.m_objType = 15;
    row.m_creationTime = created;
    row.m_tableText = "query of " + name;
    m_pStorage->PutObject(kTable, row, "record");
    std::vector<std::string> keys;
    if (!expect.empty()) keys.push_back(std::string(kResultFactKey) + "evalue=" + expect);
    if (!keyword.empty()) keys.push_back(std::string(kResultFactKey) + "keyword=" + keyword);
    m_pStorage->SetObjectKeys(kTable, row.m_recordId, keys);
    return row.m_recordId;
  }
  void Open(unsigned long subbase = 0) {
    CObjectListModel::CSource source;
    source.m_pStorage = m_pStorage.get();
    source.m_subbase = subbase;
    source.m_labels = {"Name", "Created", "Program", "Database", "Best E value", "Best %"};
    source.m_numeric = {false, false, false, false, true, true};
    source.m_nFactColumn = 2;
    m_model.Reset(std::move(source));
  }
  // Every row, the view scrolled to the end (fetchMore until no more).
  std::vector<std::string> ScrollToEnd() {
    for (int guard = 0; m_model.canFetchMore({}) && guard < 10000; ++guard) {
      m_model.fetchMore({});
      Settle();
    }
    return Names();
  }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (int row = 0; row < m_model.rowCount(); ++row) {
      names.push_back(m_model.NameAt(row).toStdString());
    }
    return names;
  }
  std::vector<std::string> Selected() const {
    std::vector<std::string> names;
    for (int row = 0; row < m_model.rowCount(); ++row) {
      if (m_selection.isRowSelected(row, {})) names.push_back(m_model.NameAt(row).toStdString());
    }
    return names;
  }
  void Select(const std::string& name) {
    const int row = m_model.RowOfName(QString::fromStdString(name));
    ASSERT_GE(row, 0) << name;
    m_selection.select(m_model.index(row, 0),
                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
  }

  CBackendDatabase m_db{GetParam()};
  std::unique_ptr<CDBStorage> m_pStorage;
  CObjectListModel m_model;
  QItemSelectionModel m_selection{&m_model};
};

// Opening reads one page however large the table; scrolling reads the
// next pages in name order, each row once, until the table ends.
TEST_P(ObjectListModelTest, ScrollingReadsPagesInNameOrderEachRowOnce) {
  std::vector<std::string> names;
  for (int i = 0; i < 50; ++i) names.push_back("result " + std::to_string((i * 37) % 50));
  for (const std::string& name : names) Store(name);
  std::sort(names.begin(), names.end());
  m_model.SetPageRows(7);
  Open();
  EXPECT_EQ(m_model.rowCount(), 7);
  EXPECT_EQ(m_model.RowsRead(), 7u) << "the first page only";
  EXPECT_EQ(m_model.TotalRows(), 50);
  EXPECT_TRUE(m_model.canFetchMore({}));
  m_model.fetchMore({});
  EXPECT_EQ(m_model.rowCount(), 14);
  EXPECT_EQ(ScrollToEnd(), names);
  EXPECT_FALSE(m_model.canFetchMore({}));
  EXPECT_TRUE(m_model.AllRead());
}

// Name order both ways is the storage's byte order, whatever the letter
// case or digits; pages of one row apart never repeat or skip a name.
// Sorting by a column the storage has no order of (Created, with equal
// times) reads all rows once and pages through them the same way.
TEST_P(ObjectListModelTest, SortsPageThroughNamesAndCreatedTimesBothWays) {
  const std::vector<std::pair<std::string, long>> stored = {
      {"Run 1", 30},  {"run 1", 10}, {"run 10", 30}, {"run 9", 20}, {"RUN 1", 10},
      {"run 1 ", 40}, {"alpha", 20}, {"Alpha", 30},  {"_", 50},     {"z", 10}};
  for (const auto& [name, created] : stored) Store(name, created);
  std::vector<std::string> up;
  for (const auto& item : stored) up.push_back(item.first);
  std::sort(up.begin(), up.end());
  const std::vector<std::string> down(up.rbegin(), up.rend());
  // By time, equal times in the order they were stored.
  std::vector<std::pair<std::string, long>> timed = stored;
  std::stable_sort(timed.begin(), timed.end(),
                   [](const auto& a, const auto& b) { return a.second < b.second; });
  std::vector<std::string> early;
  for (const auto& item : timed) early.push_back(item.first);
  std::stable_sort(timed.begin(), timed.end(),
                   [](const auto& a, const auto& b) { return a.second > b.second; });
  std::vector<std::string> late;
  for (const auto& item : timed) late.push_back(item.first);
  struct Case {
    int column;
    Qt::SortOrder order;
    const std::vector<std::string>* expected;
  };
  const Case cases[] = {{0, Qt::DescendingOrder, &down},
                        {0, Qt::AscendingOrder, &up},
                        {1, Qt::AscendingOrder, &early},
                        {1, Qt::DescendingOrder, &late}};
  for (const std::size_t page : {1u, 3u, 100u}) {
    m_model.SetPageRows(page);
    for (const Case& c : cases) {
      SCOPED_TRACE(std::to_string(page) + " rows a page, column " + std::to_string(c.column));
      m_model.sort(c.column, c.order);  // kept for the next list opened
      m_model.Reset({});
      Open();
      EXPECT_EQ(m_model.SortColumn(), c.column);
      EXPECT_LE(static_cast<std::size_t>(m_model.rowCount()), page);
      EXPECT_EQ(ScrollToEnd(), *c.expected);
    }
  }
}

// The filter looks past the first page: the rows that hold every word (in
// the name, the query name or a keyword) are found as the list is read,
// a page without any followed up by itself, and the count stays bounded.
TEST_P(ObjectListModelTest, FilterFindsRowsBeyondTheFirstPage) {
  for (int i = 0; i < 120; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "r%03d", i);
    Store(name, 1700000000L, "", i == 117 ? "Kinase" : "");
  }
  Store("zz NEEDLE kinase");
  m_model.SetPageRows(10);
  Open();
  struct Case {
    const char* filter;
    std::vector<std::string> shown;
  };
  const Case cases[] = {
      {"kinase", {"r117", "zz NEEDLE kinase"}},
      {"needle KIN", {"zz NEEDLE kinase"}},
      {"query r11",
       {"r110", "r111", "r112", "r113", "r114", "r115", "r116", "r117", "r118", "r119"}},
      {"nothing", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.filter);
    m_model.SetFilter(c.filter);
    // The event loop alone brings the rare rows (no view asks).
    for (int i = 0; i < 200 && !m_model.AllRead() && m_model.rowCount() == 0; ++i) Settle();
    EXPECT_EQ(ScrollToEnd(), c.shown);
  }
  m_model.SetFilter("");
  EXPECT_EQ(m_model.rowCount(), 10);
}

// Sorting, filtering and reading again after another writer's changes keep
// a selection on the same objects; an object renamed past the rows read
// comes once.
TEST_P(ObjectListModelTest, SelectionStaysOnTheSameObjectsAcrossReadingAgain) {
  for (const char* name : {"kinase one", "lysozyme", "kinase two", "actin"}) Store(name);
  m_model.SetPageRows(2);
  Open();
  ScrollToEnd();
  Select("kinase two");
  Select("lysozyme");
  struct Step {
    const char* filter;
    Qt::SortOrder order;
    std::vector<std::string> shown;
    std::vector<std::string> selected;
  };
  const std::vector<Step> steps = {
      {"KIN", Qt::AscendingOrder, {"kinase one", "kinase two"}, {"kinase two"}},
      {"kin", Qt::DescendingOrder, {"kinase two", "kinase one"}, {"kinase two"}},
      {"zzz", Qt::DescendingOrder, {}, {}},
      {"", Qt::AscendingOrder, {"actin", "kinase one", "kinase two", "lysozyme"}, {}},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.filter);
    m_model.SetFilter(step.filter);
    m_model.sort(0, step.order);
    EXPECT_EQ(ScrollToEnd(), step.shown);
    EXPECT_EQ(Selected(), step.selected);
  }
  Select("kinase two");
  // Another writer adds rows before the selected one and renames one read
  // already to a name not read yet.
  m_model.SetPageRows(2);
  Store("aardvark");
  Store("abacus");
  m_model.Reload();
  EXPECT_EQ(Selected(), (std::vector<std::string>{"kinase two"}));
  m_model.Reset({});
  Open();
  const unsigned long first = m_model.IdAt(m_model.RowOfName("aardvark"));
  ASSERT_NE(first, 0u);
  m_pStorage->RenameObject(kTable, first, "zebra");
  const std::vector<std::string> all = ScrollToEnd();
  EXPECT_EQ(
      std::count(all.begin(), all.end(), "aardvark") + std::count(all.begin(), all.end(), "zebra"),
      1)
      << "the renamed object is shown once";
}

// A subbase lists its members only, a page at a time.
TEST_P(ObjectListModelTest, SubbaseListsItsMembersOnly) {
  const unsigned long subbase = m_pStorage->CreateSubbase(kTable, "kinases");
  for (int i = 0; i < 30; ++i) {
    const unsigned long id = Store("obj " + std::to_string(100 + i));
    if (i % 3 == 0) m_pStorage->AddToSubbase(kTable, subbase, id);
  }
  m_model.SetPageRows(4);
  Open(subbase);
  EXPECT_EQ(m_model.TotalRows(), 10);
  EXPECT_EQ(m_model.rowCount(), 4);
  const std::vector<std::string> names = ScrollToEnd();
  ASSERT_EQ(names.size(), 10u);
  EXPECT_EQ(names.front(), "obj 100");
  EXPECT_EQ(names.back(), "obj 127");
}

INSTANTIATE_TEST_SUITE_P(Backends, ObjectListModelTest, ::testing::ValuesIn(StorageBackendNames()),
                         [](const auto& test) { return test.param; });

}  // namespace

}  // namespace blastsearch
