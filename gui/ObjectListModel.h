#pragma once

#include <QAbstractTableModel>
#include <QIcon>
#include <QStringList>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "host/db/DBField.h"
#include "host/db/ObjInfo.h"
#include "platform/Export.h"
#include "table/ResultListFacts.h"

namespace blastsearch BLASTSEARCH_EXPORT {

class CDBTableBase;

// The database window's list of objects as a model: one row per object of
// a subbase, the columns Name, Created (local time), the table's own fields
// and the list facts (program, database, best E value, best identity). It
// keeps copies of the list records, so rows never point into the table's
// lists; the table's field texts are asked for when a row is shown or a
// column sorted. Sorting and the filter rearrange the rows through
// layout changes, so a view keeps its selection. Filled and used from the
// thread of the window.
class CObjectListModel : public QAbstractTableModel {
 public:
  enum : int {
    kObjIdRole = Qt::UserRole,  // the record identifier of the row's object
  };

  // One object: its list record, icon, facts and the filter's text.
  struct CRow {
    CObjInfo m_info;
    int m_nIcon = -1;
    CResultListFacts m_facts;
    QString m_filter;  // name, query name and keywords, in lower case
  };

  explicit CObjectListModel(QObject* parent = nullptr);

  // Replaces every row (a model reset): `labels` are the column titles,
  // `numeric` says per column whether it sorts by number, `defs` are the
  // table's field definitions of columns 2 ... (each to ask `table` for),
  // `factColumn` the first list-fact column. `icon` gives the icon of an
  // icon index. The rows are then sorted and filtered as before.
  void Reset(CDBTableBase* table, int dbId, QStringList labels, std::vector<bool> numeric,
             std::vector<CDBFieldDef> defs, int factColumn, std::vector<CRow> rows,
             std::function<QIcon(int)> icon);

  // Shows only the rows whose filter text holds every word of `text`
  // (lower case, blank-separated); "" shows all. The number shown.
  int SetFilter(const QString& text);
  const QString& Filter() const { return m_filter; }

  // ---- rows shown (view order) ----
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  void sort(int column, Qt::SortOrder order) override;

  // The record identifier and name of the shown row `row`.
  unsigned long IdAt(int row) const;
  QString NameAt(int row) const;
  // The text of the shown row `row` in `column`.
  QString TextAt(int row, int column) const;
  // The shown row of the object `id` / named `name`, or -1.
  int RowOfId(unsigned long id) const;
  int RowOfName(const QString& name) const;
  // Every object of the subbase, shown or not.
  int TotalRows() const { return static_cast<int>(m_rows.size()); }
  int SortColumn() const { return m_nSortColumn; }
  Qt::SortOrder SortOrder() const { return m_sortOrder; }
  const QStringList& Labels() const { return m_labels; }

 private:
  // Recomputes the shown rows from the order and the filter, telling the
  // views with a layout change that keeps their persistent indexes.
  void Rearrange(const std::function<void()>& change);
  void ApplyFilter();
  QString Cell(const CRow& row, int column) const;
  bool Matches(const CRow& row, const QStringList& words) const;

  CDBTableBase* m_pTable = nullptr;
  int m_nDbId = 1;
  QStringList m_labels;
  std::vector<bool> m_numeric;
  std::vector<CDBFieldDef> m_defs;
  int m_nFactColumn = 0;
  std::function<QIcon(int)> m_icon;
  std::vector<CRow> m_rows;                          // every object, in identifier order
  std::vector<int> m_order;                          // indexes of m_rows in sort order
  std::vector<int> m_shown;                          // indexes of m_rows shown, in sort order
  std::vector<int> m_position;                       // per index of m_rows: its shown row, or -1
  std::unordered_map<unsigned long, int> m_rowOfId;  // index in m_rows of an identifier
  QString m_filter;
  int m_nSortColumn = 0;
  QString m_strSortLabel = QStringLiteral("Name");  // the title of the column sorted by
  Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
};

// Names compared as a person reads them: letter case ignored, runs of
// digits by their value ("run 9" before "run 10"); names equal so compare
// by their exact text. Negative, 0 or positive.
int CompareNames(const QString& left, const QString& right);

}  // namespace BLASTSEARCH_EXPORT
