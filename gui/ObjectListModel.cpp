#include "gui/ObjectListModel.h"

#include <QCursor>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <limits>
#include <unordered_set>

#include "host/db/DBTableBase.h"
#include "host/qt/LocalTime.h"

namespace blastsearch {

int CompareNames(const QString& left, const QString& right) {
  const qsizetype leftSize = left.size();
  const qsizetype rightSize = right.size();
  qsizetype i = 0;
  qsizetype j = 0;
  while (i < leftSize && j < rightSize) {
    if (left[i].isDigit() && right[j].isDigit()) {
      // Digit runs: leading zeros skipped, then the longer run is larger,
      // then the first digit that differs.
      qsizetype a = i;
      qsizetype b = j;
      while (a < leftSize && left[a] == QLatin1Char('0')) ++a;
      while (b < rightSize && right[b] == QLatin1Char('0')) ++b;
      qsizetype endA = a;
      qsizetype endB = b;
      while (endA < leftSize && left[endA].isDigit()) ++endA;
      while (endB < rightSize && right[endB].isDigit()) ++endB;
      if (endA - a != endB - b) return endA - a < endB - b ? -1 : 1;
      for (; a < endA; ++a, ++b) {
        if (left[a] != right[b]) return left[a] < right[b] ? -1 : 1;
      }
      i = endA;
      j = endB;
      continue;
    }
    const QChar x = left[i].toCaseFolded();
    const QChar y = right[j].toCaseFolded();
    if (x != y) return x < y ? -1 : 1;
    ++i;
    ++j;
  }
  if (i < leftSize || j < rightSize) return i < leftSize ? 1 : -1;
  return QString::compare(left, right);
}

namespace {

// How long one call that fills the view may read before it lets the event
// loop run; how long a sort or Reload may read to bring back as many rows
// as were shown.
constexpr qint64 kFetchBudgetMs = 100;
constexpr qint64 kReadAgainBudgetMs = 1000;
// Rows per read when every object of the source is read to sort.
constexpr std::size_t kSortReadRows = 2000;

// The fact of `facts` that the fact column `fact` (0 ... 3) shows.
const std::string& FactText(const CResultListFacts& facts, int fact) {
  const std::string* texts[] = {&facts.m_strProgram, &facts.m_strDatabase, &facts.m_strBestExpect,
                                &facts.m_strBestIdentity};
  return *texts[fact];
}

// A sort key: a number (NaN: blank or text) or a text.
struct CSortKey {
  unsigned long m_id = 0;
  double m_number = 0;
  QString m_text;
};

}  // namespace

CObjectListModel::CObjectListModel(QObject* parent) : QAbstractTableModel(parent) {}

void CObjectListModel::Fail(const std::exception& e) {
  m_strError = QString::fromStdString(e.what());
  m_bSourceDone = true;
}

void CObjectListModel::Count() {
  m_nTotal = 0;
  CDBStorage* storage = m_source.m_pStorage;
  if (storage == nullptr) return;
  try {
    m_nTotal = m_source.m_subbase == 0
                   ? storage->CountObjects(m_source.m_nTable)
                   : storage->SubbaseMembers(m_source.m_nTable, m_source.m_subbase).size();
  } catch (const std::exception& e) {
    Fail(e);
  }
}

void CObjectListModel::Reset(CSource source) {
  beginResetModel();
  m_source = std::move(source);
  m_strError.clear();
  // The sort stays on the column of the same title, whatever columns came
  // or went (an empty list forgets nothing).
  const int at = static_cast<int>(m_source.m_labels.indexOf(m_strSortLabel));
  if (at < 0 && !m_source.m_labels.isEmpty()) m_sortOrder = Qt::AscendingOrder;
  m_nSortColumn = at >= 0 ? at : 0;
  m_rows.clear();
  m_rowOfId.clear();
  Count();
  if (Restart(true)) ReadRows(m_nPageRows, kFetchBudgetMs, true);
  endResetModel();
  if (m_rows.empty()) ScheduleMore();
}

bool CObjectListModel::Restart(bool resort) {
  m_bStarted = false;
  m_nNextId = 0;
  m_nRowsRead = 0;
  m_bSourceDone = m_source.m_pStorage == nullptr || m_source.m_labels.isEmpty();
  m_bByIds = m_nSortColumn != 0;
  m_keyOrder =
      m_sortOrder == Qt::AscendingOrder ? EObjectOrder::kByName : EObjectOrder::kByNameDescending;
  if (!m_bByIds || m_bSourceDone || !resort) return !m_bSourceDone;
  try {
    SortIdentifiers(m_nSortColumn, m_sortOrder);
  } catch (const std::exception& e) {
    m_sortedIds.clear();
    Fail(e);
  }
  return !m_bSourceDone;
}

void CObjectListModel::SortIdentifiers(int column, Qt::SortOrder order) {
  CDBStorage& storage = *m_source.m_pStorage;
  const int table = m_source.m_nTable;
  QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
  struct CCursorBack {
    ~CCursorBack() { QGuiApplication::restoreOverrideCursor(); }
  } back;
  // The column's facts of every object first (one read of their keys).
  const int fact = column - m_source.m_nFactColumn;
  std::unordered_map<unsigned long, std::string> facts;
  if (fact >= 0 && fact < 4) {
    storage.ForEachObjectKey(table, kResultFactKey,
                             [&facts, fact](unsigned long id, std::string_view key) {
                               CResultListFacts read;
                               if (!ReadResultFactKey(key, read)) return;
                               if (const std::string& text = FactText(read, fact); !text.empty()) {
                                 facts[id] = text;
                               }
                             });
  }
  const bool numeric =
      column == 1 || (static_cast<std::size_t>(column) < m_source.m_numeric.size() &&
                      m_source.m_numeric[static_cast<std::size_t>(column)]);
  std::vector<CSortKey> keys;
  std::vector<CStoredObject> page;
  CStoredObject last;
  bool started = false;
  do {
    storage.ReadObjectPage(table, EObjectOrder::kById, m_source.m_subbase,
                           started ? &last : nullptr, kSortReadRows, page);
    for (const CStoredObject& stored : page) {
      CSortKey key;
      key.m_id = stored.m_recordId;
      if (column == 1) {
        key.m_number = static_cast<double>(stored.m_creationTime);
      } else {
        QString text;
        if (fact >= 0) {
          if (auto found = facts.find(stored.m_recordId); found != facts.end()) {
            text = QString::fromStdString(found->second);
          }
        } else {
          CRow row;
          row.m_info = InfoOfStored(stored);
          text = Cell(row, column);
        }
        if (numeric) {
          bool ok = false;
          const double value = text.toDouble(&ok);
          key.m_number =
              ok && !std::isnan(value) ? value : std::numeric_limits<double>::quiet_NaN();
        } else {
          key.m_text = std::move(text);
        }
      }
      keys.push_back(std::move(key));
    }
    if (!page.empty()) last = page.back();
    started = true;
  } while (page.size() == kSortReadRows);
  // Keys read in identifier order, so that equal keys stay in it.
  const bool down = order == Qt::DescendingOrder;
  if (numeric) {
    // Numbers by value, blanks and text after them whichever the order.
    std::stable_sort(keys.begin(), keys.end(), [down](const CSortKey& a, const CSortKey& b) {
      if (std::isnan(a.m_number) || std::isnan(b.m_number)) {
        return !std::isnan(a.m_number) && std::isnan(b.m_number);
      }
      return down ? b.m_number < a.m_number : a.m_number < b.m_number;
    });
  } else {
    std::stable_sort(keys.begin(), keys.end(), [down](const CSortKey& a, const CSortKey& b) {
      const int compared = CompareNames(a.m_text, b.m_text);
      return down ? compared > 0 : compared < 0;
    });
  }
  m_sortedIds.clear();
  m_sortedIds.shrink_to_fit();
  m_sortedIds.reserve(keys.size());
  for (const CSortKey& key : keys) m_sortedIds.push_back(key.m_id);
}

bool CObjectListModel::ReadSourcePage(std::vector<CStoredObject>& rows) {
  rows.clear();
  if (m_bSourceDone) return false;
  CDBStorage& storage = *m_source.m_pStorage;
  if (!m_bByIds) {
    storage.ReadObjectPage(m_source.m_nTable, m_keyOrder, m_source.m_subbase,
                           m_bStarted ? &m_last : nullptr, m_nPageRows, rows);
    if (rows.size() < m_nPageRows) m_bSourceDone = true;
    if (!rows.empty()) {
      m_last = rows.back();
      m_bStarted = true;
    }
  } else {
    const std::size_t end = std::min(m_sortedIds.size(), m_nNextId + m_nPageRows);
    std::vector<unsigned long> ids(m_sortedIds.begin() + static_cast<std::ptrdiff_t>(m_nNextId),
                                   m_sortedIds.begin() + static_cast<std::ptrdiff_t>(end));
    std::vector<unsigned long> ascending = ids;
    std::sort(ascending.begin(), ascending.end());
    std::vector<CStoredObject> found;
    storage.ReadObjectsById(m_source.m_nTable, ascending, found);
    std::unordered_map<unsigned long, std::size_t> at;
    for (std::size_t i = 0; i < found.size(); ++i) at.emplace(found[i].m_recordId, i);
    // In the sorted order; objects deleted since the sort are left out.
    for (const unsigned long id : ids) {
      if (auto hit = at.find(id); hit != at.end()) rows.push_back(std::move(found[hit->second]));
    }
    m_nNextId = end;
    if (end == m_sortedIds.size()) m_bSourceDone = true;
  }
  m_nRowsRead += rows.size();
  return true;
}

void CObjectListModel::ReadFacts(const std::vector<CStoredObject>& page,
                                 std::unordered_map<unsigned long, CResultListFacts>& facts) {
  std::vector<unsigned long> ids;
  ids.reserve(page.size());
  for (const CStoredObject& stored : page) ids.push_back(stored.m_recordId);
  std::sort(ids.begin(), ids.end());
  // A key this version does not know leaves its column blank.
  m_source.m_pStorage->ForEachKeyOfObjects(m_source.m_nTable, ids, kResultFactKey,
                                           [&facts](unsigned long id, std::string_view key) {
                                             (void)ReadResultFactKey(key, facts[id]);
                                           });
}

std::size_t CObjectListModel::ReadRows(std::size_t wanted, qint64 budgetMs, bool quiet,
                                       const std::function<bool(const CRow&)>& found) {
  QElapsedTimer clock;
  clock.start();
  std::vector<CRow> kept;
  std::unordered_set<unsigned long> ids;
  bool hit = false;
  try {
    std::vector<CStoredObject> page;
    std::unordered_map<unsigned long, CResultListFacts> facts;
    while (!m_bSourceDone && kept.size() < wanted && !hit) {
      ReadSourcePage(page);
      facts.clear();
      ReadFacts(page, facts);
      for (const CStoredObject& stored : page) {
        // An object renamed between two pages may come again: shown once.
        if (m_rowOfId.count(stored.m_recordId) != 0 || !ids.insert(stored.m_recordId).second) {
          continue;
        }
        CRow row;
        row.m_info = InfoOfStored(stored);
        if (m_source.m_pTable != nullptr) {
          row.m_nIcon = m_source.m_pTable->GetObjectIconIndex(&row.m_info);
        }
        if (auto it = facts.find(stored.m_recordId); it != facts.end()) {
          row.m_facts = std::move(it->second);
        }
        if (found && found(row)) hit = true;
        if (!Matches(row)) continue;
        kept.push_back(std::move(row));
      }
      if (budgetMs > 0 && clock.elapsed() >= budgetMs) break;
    }
  } catch (const std::exception& e) {
    Fail(e);
  }
  if (kept.empty()) return 0;
  const int first = static_cast<int>(m_rows.size());
  if (!quiet) beginInsertRows({}, first, first + static_cast<int>(kept.size()) - 1);
  for (CRow& row : kept) {
    m_rowOfId.emplace(row.m_info.m_objId, static_cast<int>(m_rows.size()));
    m_rows.push_back(std::move(row));
  }
  if (!quiet) endInsertRows();
  return kept.size();
}

bool CObjectListModel::Matches(const CRow& row) const {
  if (m_words.isEmpty()) return true;
  QString text = QString::fromStdString(row.m_info.m_name) + QLatin1Char('\n') +
                 QString::fromStdString(row.m_info.m_tableText);
  for (const std::string& keyword : row.m_facts.m_keywords) {
    text += QLatin1Char('\n') + QString::fromStdString(keyword);
  }
  text = text.toLower();
  for (const QString& word : m_words) {
    if (!text.contains(word)) return false;
  }
  return true;
}

bool CObjectListModel::canFetchMore(const QModelIndex& parent) const {
  return !parent.isValid() && !m_bSourceDone;
}

void CObjectListModel::fetchMore(const QModelIndex& parent) {
  if (parent.isValid() || m_bSourceDone) return;
  if (ReadRows(m_nPageRows, kFetchBudgetMs, false) == 0) ScheduleMore();
}

void CObjectListModel::ScheduleMore() {
  // Nothing shown came of the rows read (a rare filter word), so the view
  // has no reason to ask again: the next rows are read once the event
  // loop has run, until something is found or the list ends.
  if (m_bMoreScheduled || m_bSourceDone) return;
  m_bMoreScheduled = true;
  QTimer::singleShot(0, this, [this] {
    m_bMoreScheduled = false;
    fetchMore({});
  });
}

bool CObjectListModel::FetchUntil(const std::function<bool(const CRow&)>& found,
                                  std::size_t maxRows) {
  for (const CRow& row : m_rows) {
    if (found(row)) return true;
  }
  const std::size_t before = m_nRowsRead;
  bool hit = false;
  while (!hit && !m_bSourceDone && m_nRowsRead - before < maxRows) {
    ReadRows(m_nPageRows, 0, false, [&](const CRow& row) {
      hit = hit || found(row);
      return hit || m_nRowsRead - before >= maxRows;
    });
  }
  return hit;
}

void CObjectListModel::ReadAgain(std::size_t rows, bool resort) {
  // The objects the views hold indexes of (a selection, the cursor) that
  // still exist: read up to them, so that rows added before them do not
  // push them out of the rows read.
  std::vector<unsigned long> held;
  for (const QModelIndex& index : persistentIndexList()) {
    if (const unsigned long id = IdAt(index.row()); id != 0) held.push_back(id);
  }
  std::sort(held.begin(), held.end());
  held.erase(std::unique(held.begin(), held.end()), held.end());
  std::unordered_set<unsigned long> wanted;
  if (!held.empty() && m_source.m_pStorage != nullptr) {
    try {
      std::vector<CStoredObject> existing;
      m_source.m_pStorage->ReadObjectsById(m_source.m_nTable, held, existing);
      for (const CStoredObject& row : existing) wanted.insert(row.m_recordId);
    } catch (const std::exception&) {
      // Then only the rows asked for are read.
    }
  }
  Rearrange([this, rows, resort, &wanted] {
    m_rows.clear();
    m_rowOfId.clear();
    if (!Restart(resort)) return;
    QElapsedTimer clock;
    clock.start();
    const auto seen = [&wanted](const CRow& row) {
      wanted.erase(row.m_info.m_objId);
      return false;
    };
    ReadRows(std::max(rows, m_nPageRows), kReadAgainBudgetMs, true, seen);
    while (!wanted.empty() && !m_bSourceDone && clock.elapsed() < kReadAgainBudgetMs) {
      ReadRows(m_nPageRows, kReadAgainBudgetMs - clock.elapsed(), true, seen);
    }
  });
  if (m_rows.empty()) ScheduleMore();
}

void CObjectListModel::Reload(std::size_t rows) {
  m_strError.clear();
  Count();
  ReadAgain(rows, true);
}

int CObjectListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int CObjectListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(m_source.m_labels.size());
}

QString CObjectListModel::Cell(const CRow& row, int column) const {
  if (column == 0) return QString::fromStdString(row.m_info.m_name);
  if (column == 1) return LocalTimeText(row.m_info.m_creationTime);
  const int fact = column - m_source.m_nFactColumn;
  if (fact >= 0) return fact < 4 ? QString::fromStdString(FactText(row.m_facts, fact)) : QString();
  const std::size_t def = static_cast<std::size_t>(column - 2);
  if (m_source.m_pTable == nullptr || def >= m_source.m_defs.size()) return {};
  std::string value;
  m_source.m_pTable->GetFieldValue(m_source.m_nDbId, &row.m_info, &m_source.m_defs[def], value);
  return QString::fromStdString(value);
}

QVariant CObjectListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount()) return {};
  const CRow& row = m_rows[static_cast<std::size_t>(index.row())];
  switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
      return Cell(row, index.column());
    case Qt::DecorationRole:
      return index.column() == 0 && m_source.m_icon ? QVariant(m_source.m_icon(row.m_nIcon))
                                                    : QVariant();
    case Qt::TextAlignmentRole:
      if (static_cast<std::size_t>(index.column()) < m_source.m_numeric.size() &&
          m_source.m_numeric[static_cast<std::size_t>(index.column())]) {
        return QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
      }
      return {};
    case kObjIdRole:
      return QVariant::fromValue<qulonglong>(row.m_info.m_objId);
    default:
      return {};
  }
}

QVariant CObjectListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
      section >= m_source.m_labels.size()) {
    return {};
  }
  return m_source.m_labels[section];
}

void CObjectListModel::Rearrange(const std::function<void()>& change) {
  emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
  const QModelIndexList before = persistentIndexList();
  std::vector<std::pair<unsigned long, int>> kept;
  kept.reserve(static_cast<std::size_t>(before.size()));
  for (const QModelIndex& index : before) kept.emplace_back(IdAt(index.row()), index.column());
  change();
  QModelIndexList after;
  after.reserve(before.size());
  for (const auto& [id, column] : kept) {
    const int row = RowOfId(id);
    after.append(row >= 0 ? createIndex(row, column) : QModelIndex());
  }
  changePersistentIndexList(before, after);
  emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void CObjectListModel::sort(int column, Qt::SortOrder order) {
  if (column < 0 || column >= columnCount()) column = 0;
  if (column == m_nSortColumn && order == m_sortOrder) return;
  m_nSortColumn = column;
  if (column < m_source.m_labels.size()) m_strSortLabel = m_source.m_labels[column];
  m_sortOrder = order;
  ReadAgain(0, true);
}

int CObjectListModel::SetFilter(const QString& text) {
  if (text != m_filter) {
    m_filter = text;
    m_words = text.toLower().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    // The sorted identifiers stay: only the rows kept change.
    ReadAgain(0, false);
  }
  return rowCount();
}

unsigned long CObjectListModel::IdAt(int row) const {
  if (row < 0 || row >= rowCount()) return 0;
  return m_rows[static_cast<std::size_t>(row)].m_info.m_objId;
}

QString CObjectListModel::NameAt(int row) const { return TextAt(row, 0); }

QString CObjectListModel::TextAt(int row, int column) const {
  if (row < 0 || row >= rowCount()) return {};
  return Cell(m_rows[static_cast<std::size_t>(row)], column);
}

int CObjectListModel::RowOfId(unsigned long id) const {
  const auto found = m_rowOfId.find(id);
  return found == m_rowOfId.end() ? -1 : found->second;
}

int CObjectListModel::RowOfName(const QString& name) const {
  const std::string wanted = name.toStdString();
  for (std::size_t row = 0; row < m_rows.size(); ++row) {
    if (m_rows[row].m_info.m_name == wanted) return static_cast<int>(row);
  }
  return -1;
}

}  // namespace blastsearch
