// The database window's list model: names in a person's order, and a filter
// and sorts that keep a view's selection on the same objects.
#include <gtest/gtest.h>

#include <QItemSelectionModel>

#include "gui/ObjectListModel.h"

namespace blastsearch {

namespace {

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

class ObjectListModelTest : public ::testing::Test {
 protected:
  // Rows named `names` with best E values `values` ("" blank), identifiers
  // 1, 2, ...
  void Fill(const std::vector<std::pair<const char*, const char*>>& rows) {
    std::vector<CObjectListModel::CRow> made;
    unsigned long id = 0;
    for (const auto& [name, value] : rows) {
      CObjectListModel::CRow row;
      row.m_info = CObjInfo(15, ++id, name);
      row.m_info.m_creationTime = 1700000000L - static_cast<long>(id);
      row.m_facts.m_strBestExpect = value;
      row.m_filter = QString::fromUtf8(name).toLower();
      made.push_back(std::move(row));
    }
    m_model.Reset(nullptr, 1, {"Name", "Created", "Program", "Database", "Best E value", "Best %"},
                  {false, false, false, false, true, true}, {}, 2, std::move(made), {});
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

  CObjectListModel m_model;
  QItemSelectionModel m_selection{&m_model};
};

TEST_F(ObjectListModelTest, FilterAndSortKeepTheSelectionOnTheSameObjects) {
  Fill({{"kinase one", ""}, {"lysozyme", ""}, {"kinase two", ""}, {"actin", ""}});
  m_model.sort(0, Qt::AscendingOrder);
  for (const char* name : {"kinase two", "lysozyme"}) {
    m_selection.select(m_model.index(m_model.RowOfName(name), 0),
                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
  }
  EXPECT_EQ(Selected(), (std::vector<std::string>{"kinase two", "lysozyme"}));
  struct Step {
    const char* filter;
    Qt::SortOrder order;
    std::vector<std::string> shown;
    std::vector<std::string> selected;
  };
  const std::vector<Step> steps = {
      {"KIN", Qt::AscendingOrder, {"kinase one", "kinase two"}, {"kinase two"}},
      {"kin", Qt::DescendingOrder, {"kinase two", "kinase one"}, {"kinase two"}},
      {"kinase two", Qt::DescendingOrder, {"kinase two"}, {"kinase two"}},
      {"zzz", Qt::DescendingOrder, {}, {}},
      {"", Qt::AscendingOrder, {"actin", "kinase one", "kinase two", "lysozyme"}, {}},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.filter);
    EXPECT_EQ(m_model.SetFilter(step.filter), static_cast<int>(step.shown.size()));
    m_model.sort(0, step.order);
    EXPECT_EQ(Names(), step.shown);
    EXPECT_EQ(Selected(), step.selected);
  }
  EXPECT_EQ(m_model.TotalRows(), 4);
}

}  // namespace

}  // namespace blastsearch
