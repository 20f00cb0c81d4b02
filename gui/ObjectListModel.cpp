#include "gui/ObjectListModel.h"

#include <algorithm>
#include <cmath>
#include <limits>

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

CObjectListModel::CObjectListModel(QObject* parent) : QAbstractTableModel(parent) {}

void CObjectListModel::Reset(CDBTableBase* table, int dbId, QStringList labels,
                             std::vector<bool> numeric, std::vector<CDBFieldDef> defs,
                             int factColumn, std::vector<CRow> rows,
                             std::function<QIcon(int)> icon) {
  beginResetModel();
  m_pTable = table;
  m_nDbId = dbId;
  m_labels = std::move(labels);
  m_numeric = std::move(numeric);
  m_defs = std::move(defs);
  m_nFactColumn = factColumn;
  m_rows = std::move(rows);
  m_icon = std::move(icon);
  m_rowOfId.clear();
  m_rowOfId.reserve(m_rows.size());
  for (std::size_t i = 0; i < m_rows.size(); ++i) {
    m_rowOfId.emplace(m_rows[i].m_info.m_objId, static_cast<int>(i));
  }
  // The sort stays on the column of the same title, whatever columns came
  // or went (an empty list forgets nothing).
  const int at = m_labels.indexOf(m_strSortLabel);
  if (at < 0 && !m_labels.isEmpty()) m_sortOrder = Qt::AscendingOrder;
  m_nSortColumn = at >= 0 ? at : 0;
  m_order.resize(m_rows.size());
  for (std::size_t i = 0; i < m_order.size(); ++i) m_order[i] = static_cast<int>(i);
  m_shown.clear();
  const int column = m_nSortColumn;
  const Qt::SortOrder order = m_sortOrder;
  endResetModel();  // a view's header may ask for another sort meanwhile
  sort(column, order);
}

int CObjectListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(m_shown.size());
}

int CObjectListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(m_labels.size());
}

QString CObjectListModel::Cell(const CRow& row, int column) const {
  if (column == 0) return QString::fromStdString(row.m_info.m_name);
  if (column == 1) return LocalTimeText(row.m_info.m_creationTime);
  const int fact = column - m_nFactColumn;
  if (fact >= 0) {
    const std::string* texts[] = {&row.m_facts.m_strProgram, &row.m_facts.m_strDatabase,
                                  &row.m_facts.m_strBestExpect, &row.m_facts.m_strBestIdentity};
    return fact < 4 ? QString::fromStdString(*texts[fact]) : QString();
  }
  const std::size_t def = static_cast<std::size_t>(column - 2);
  if (m_pTable == nullptr || def >= m_defs.size()) return {};
  std::string value;
  m_pTable->GetFieldValue(m_nDbId, &row.m_info, &m_defs[def], value);
  return QString::fromStdString(value);
}

QVariant CObjectListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount()) return {};
  const CRow& row =
      m_rows[static_cast<std::size_t>(m_shown[static_cast<std::size_t>(index.row())])];
  switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
      return Cell(row, index.column());
    case Qt::DecorationRole:
      return index.column() == 0 && m_icon ? QVariant(m_icon(row.m_nIcon)) : QVariant();
    case Qt::TextAlignmentRole:
      if (static_cast<std::size_t>(index.column()) < m_numeric.size() &&
          m_numeric[static_cast<std::size_t>(index.column())]) {
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
      section >= m_labels.size()) {
    return {};
  }
  return m_labels[section];
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
  m_nSortColumn = column;
  if (column < m_labels.size()) m_strSortLabel = m_labels[column];
  m_sortOrder = order;
  Rearrange([this, column, order] {
    const auto byId = [this](int a, int b) {
      return m_rows[static_cast<std::size_t>(a)].m_info.m_objId <
             m_rows[static_cast<std::size_t>(b)].m_info.m_objId;
    };
    std::sort(m_order.begin(), m_order.end(), byId);
    const bool down = order == Qt::DescendingOrder;
    if (column == 1) {
      std::stable_sort(m_order.begin(), m_order.end(), [&](int a, int b) {
        const long x = m_rows[static_cast<std::size_t>(a)].m_info.m_creationTime;
        const long y = m_rows[static_cast<std::size_t>(b)].m_info.m_creationTime;
        return down ? y < x : x < y;
      });
    } else if (static_cast<std::size_t>(column) < m_numeric.size() &&
               m_numeric[static_cast<std::size_t>(column)]) {
      // Numbers by value, blanks and text after them whichever the order.
      std::vector<double> keys(m_rows.size());
      for (std::size_t i = 0; i < m_rows.size(); ++i) {
        bool ok = false;
        const double value = Cell(m_rows[i], column).toDouble(&ok);
        keys[i] = ok && !std::isnan(value) ? value : std::numeric_limits<double>::quiet_NaN();
      }
      std::stable_sort(m_order.begin(), m_order.end(), [&](int a, int b) {
        const double x = keys[static_cast<std::size_t>(a)];
        const double y = keys[static_cast<std::size_t>(b)];
        if (std::isnan(x) || std::isnan(y)) return !std::isnan(x) && std::isnan(y);
        return down ? y < x : x < y;
      });
    } else {
      std::vector<QString> keys(m_rows.size());
      for (std::size_t i = 0; i < m_rows.size(); ++i) keys[i] = Cell(m_rows[i], column);
      std::stable_sort(m_order.begin(), m_order.end(), [&](int a, int b) {
        const int compared =
            CompareNames(keys[static_cast<std::size_t>(a)], keys[static_cast<std::size_t>(b)]);
        return down ? compared > 0 : compared < 0;
      });
    }
    ApplyFilter();
  });
}

bool CObjectListModel::Matches(const CRow& row, const QStringList& words) const {
  for (const QString& word : words) {
    if (!row.m_filter.contains(word)) return false;
  }
  return true;
}

void CObjectListModel::ApplyFilter() {
  const QStringList words = m_filter.toLower().split(QLatin1Char(' '), Qt::SkipEmptyParts);
  m_shown.clear();
  m_shown.reserve(m_order.size());
  for (int index : m_order) {
    if (words.isEmpty() || Matches(m_rows[static_cast<std::size_t>(index)], words)) {
      m_shown.push_back(index);
    }
  }
  m_position.assign(m_rows.size(), -1);
  for (std::size_t i = 0; i < m_shown.size(); ++i) {
    m_position[static_cast<std::size_t>(m_shown[i])] = static_cast<int>(i);
  }
}

int CObjectListModel::SetFilter(const QString& text) {
  if (text != m_filter) {
    Rearrange([this, &text] {
      m_filter = text;
      ApplyFilter();
    });
  }
  return rowCount();
}

unsigned long CObjectListModel::IdAt(int row) const {
  if (row < 0 || row >= rowCount()) return 0;
  return m_rows[static_cast<std::size_t>(m_shown[static_cast<std::size_t>(row)])].m_info.m_objId;
}

QString CObjectListModel::NameAt(int row) const { return TextAt(row, 0); }

QString CObjectListModel::TextAt(int row, int column) const {
  if (row < 0 || row >= rowCount()) return {};
  return Cell(m_rows[static_cast<std::size_t>(m_shown[static_cast<std::size_t>(row)])], column);
}

int CObjectListModel::RowOfId(unsigned long id) const {
  const auto found = m_rowOfId.find(id);
  if (found == m_rowOfId.end()) return -1;
  return m_position[static_cast<std::size_t>(found->second)];
}

int CObjectListModel::RowOfName(const QString& name) const {
  for (int row = 0; row < rowCount(); ++row) {
    if (NameAt(row) == name) return row;
  }
  return -1;
}

}  // namespace blastsearch
