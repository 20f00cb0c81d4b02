#pragma once

#include <QAbstractTableModel>
#include <QIcon>
#include <QStringList>
#include <cstddef>
#include <functional>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "host/db/DBField.h"
#include "host/db/DBStorage.h"
#include "host/db/ObjInfo.h"
#include "platform/Export.h"
#include "table/ResultListFacts.h"

namespace blastsearch BLASTSEARCH_EXPORT {

class CDBTableBase;

// The database window's list of objects as a model: one row per object of
// a subbase, the columns Name, Created (local time), the table's own fields
// and the list facts (program, database, best E value, best identity).
//
// It never holds the whole table: rows are read from the storage a page at
// a time in the order shown, as a view scrolls (canFetchMore / fetchMore).
// Sorting by name, either way, is the storage's indexed order. Sorting by
// another column reads every object's value of that column once, keeps the
// sorted identifiers only and reads the rows shown a page at a time by
// identifier (ReadsEverythingToSort). The filter confirms each row as it is
// read, so that rows beyond the first page are found as the view asks for
// more; a page of rows that holds no match is followed by the next one
// after the event loop has run, so that the window stays responsive while
// a rare word is looked for. Sorting, filtering and Reload rearrange the
// rows through layout changes, so a view keeps its selection on the same
// objects. Read failures end the list where they happened (LastError).
// Filled and used from the thread of the window.
class CObjectListModel : public QAbstractTableModel {
 public:
  enum : int {
    kObjIdRole = Qt::UserRole,  // the record identifier of the row's object
  };

  // One object read: its list record, icon and facts.
  struct CRow {
    CObjInfo m_info;
    int m_nIcon = -1;
    CResultListFacts m_facts;
  };

  // Where the rows come from and what the columns are. The storage and the
  // table must outlive the model's use of them (until the next Reset).
  struct CSource {
    CDBStorage* m_pStorage = nullptr;  // null: an empty list
    CDBTableBase* m_pTable = nullptr;  // icons and field texts; may be null
    int m_nDbId = 1;
    int m_nTable = 201;                // the object table's identifier
    unsigned long m_subbase = 0;       // the subbase's identifier; 0: every object
    QStringList m_labels;              // column titles
    std::vector<bool> m_numeric;       // per column: sorts by number
    std::vector<CDBFieldDef> m_defs;   // the table's fields of columns 2 ...
    int m_nFactColumn = 0;             // the first list-fact column
    std::function<QIcon(int)> m_icon;  // the icon of an icon index
  };

  explicit CObjectListModel(QObject* parent = nullptr);

  // Shows the objects of `source` (a model reset) in the order kept before
  // (by the column of the same title) under the filter kept, reading the
  // first page of rows. Never throws: a failure shows in LastError.
  void Reset(CSource source);
  // Reads again `rows` rows (at least a page; a view shows more as it asks
  // for them) from the storage's current content, in the same order and
  // under the same filter, and further up to the objects the views hold
  // indexes of (their selections and cursors), which stay on the same
  // objects. Reading only what is asked for keeps repeated reloads from
  // growing the rows held.
  void Reload(std::size_t rows = 0);

  // Rows per page read from the storage (tests make it small).
  void SetPageRows(std::size_t rows) { m_nPageRows = rows == 0 ? 1 : rows; }
  std::size_t PageRows() const { return m_nPageRows; }

  // Shows only the objects whose name, query name or a keyword holds
  // every word of `text` (letter case ignored, blank-separated); "" shows
  // all. The number of rows shown so far.
  int SetFilter(const QString& text);
  const QString& Filter() const { return m_filter; }
  // True when every object of the source has been looked at (so that the
  // rows shown are all there are).
  bool AllRead() const { return m_bSourceDone; }
  // Reads pages until `found` says a row read (shown or passed over by the
  // filter) is the one looked for, or `maxRows` more rows have been read,
  // or the list ends; true when found.
  bool FetchUntil(const std::function<bool(const CRow&)>& found, std::size_t maxRows);

  // ---- rows shown (view order) ----
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  void sort(int column, Qt::SortOrder order) override;
  bool canFetchMore(const QModelIndex& parent) const override;
  void fetchMore(const QModelIndex& parent) override;

  // Whether sorting by `column` reads every object's value of it (the
  // storage has no index of that order).
  bool ReadsEverythingToSort(int column) const { return column != 0; }

  // The record identifier and name of the shown row `row`.
  unsigned long IdAt(int row) const;
  QString NameAt(int row) const;
  // The text of the shown row `row` in `column`.
  QString TextAt(int row, int column) const;
  // The shown row of the object `id` / named `name`, or -1 (rows read so
  // far only).
  int RowOfId(unsigned long id) const;
  int RowOfName(const QString& name) const;
  // Every object of the subbase, shown or not, as last counted.
  int TotalRows() const { return static_cast<int>(m_nTotal); }
  // The rows read from the storage since the last Reset, Reload, sort or
  // filter (those shown and those the filter passed over).
  std::size_t RowsRead() const { return m_nRowsRead; }
  int SortColumn() const { return m_nSortColumn; }
  Qt::SortOrder SortOrder() const { return m_sortOrder; }
  const QStringList& Labels() const { return m_source.m_labels; }
  // The last read failure ("" none since the last Reset).
  const QString& LastError() const { return m_strError; }

 private:
  // Starts reading the source again from its first row in the current
  // order (`resort`: the identifiers sorted again by a column the storage
  // cannot order by); false when there is nothing to read.
  bool Restart(bool resort);
  // Reads the next page of the source in the current order into `rows`;
  // false at the end.
  bool ReadSourcePage(std::vector<CStoredObject>& rows);
  // Reads and keeps, beside the rows already there, rows that pass the
  // filter until `wanted` more are kept, `budgetMs` milliseconds have
  // passed (0: no limit), `found` (called with every row read, shown or
  // not) says true, or the source ends. Rows kept go into `m_rows`
  // directly when `quiet`, else through row insertion. The rows kept.
  std::size_t ReadRows(std::size_t wanted, qint64 budgetMs, bool quiet,
                       const std::function<bool(const CRow&)>& found = {});
  void ReadFacts(const std::vector<CStoredObject>& page,
                 std::unordered_map<unsigned long, CResultListFacts>& facts);
  bool Matches(const CRow& row) const;
  // The identifiers of every object of the source sorted by `column`.
  void SortIdentifiers(int column, Qt::SortOrder order);
  // Replaces the rows by those read again from the first, as many as
  // `rows` (at least a page), in a layout change that keeps the views'
  // persistent indexes on the same objects.
  void ReadAgain(std::size_t rows, bool resort);
  void Rearrange(const std::function<void()>& change);
  void Count();
  void Fail(const std::exception& e);
  void ScheduleMore();
  QString Cell(const CRow& row, int column) const;

  CSource m_source;
  std::size_t m_nPageRows = 200;
  std::vector<CRow> m_rows;                          // the rows shown, in order
  std::unordered_map<unsigned long, int> m_rowOfId;  // the shown row of an identifier
  // Where the next page comes from: the storage's order after m_last, or
  // the sorted identifiers from m_nNextId.
  bool m_bByIds = false;
  EObjectOrder m_keyOrder = EObjectOrder::kByName;
  CStoredObject m_last;
  bool m_bStarted = false;
  std::vector<unsigned long> m_sortedIds;
  std::size_t m_nNextId = 0;
  bool m_bSourceDone = true;
  bool m_bMoreScheduled = false;
  std::size_t m_nRowsRead = 0;
  std::size_t m_nTotal = 0;
  QString m_filter;
  QStringList m_words;  // the filter's words, lower case
  int m_nSortColumn = 0;
  QString m_strSortLabel = QStringLiteral("Name");  // the title of the column sorted by
  Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
  QString m_strError;
};

// Names compared as a person reads them: letter case ignored, runs of
// digits by their value ("run 9" before "run 10"); names equal so compare
// by their exact text. Negative, 0 or positive.
int CompareNames(const QString& left, const QString& right);

}  // namespace BLASTSEARCH_EXPORT
