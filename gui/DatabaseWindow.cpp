#include "gui/DatabaseWindow.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QScrollBar>
#include <QSettings>
#include <QShortcut>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QTreeView>
#include <QTreeWidget>
#include <QUndoStack>
#include <QVBoxLayout>
#include <algorithm>
#include <set>
#include <unordered_map>

#include "gui/BlastSearchDialog.h"
#include "gui/HostCommands.h"
#include "gui/ObjectIcons.h"
#include "gui/ObjectListModel.h"
#include "host/db/DBEngine.h"
#include "host/db/DBFunctions.h"
#include "host/db/DBTableBase.h"
#include "host/db/ObjInfo.h"
#include "host/qt/LocalTime.h"
#include "host/qt/ScreenFit.h"
#include "platform/ImageList.h"
#include "platform/Menu.h"
#include "platform/StringTable.h"
#include "platform/UserInteraction.h"
#include "platform/qt/WindowResources.h"
#include "table/ResultListFacts.h"

namespace blastsearch {

namespace {

// Adds "New BLAST Search..." to `window`'s File menu and tool bar: it opens
// the dialog over the window's current subbase, and the window lists each
// result as it is stored.
void AddBlastSearchCommand(CDatabaseWindow& window) {
  auto* action = new QAction(QApplication::style()->standardIcon(QStyle::SP_MediaPlay),
                             QStringLiteral("New &BLAST Search..."), &window);
  action->setObjectName(QStringLiteral("newBlastSearch"));
  action->setStatusTip(QStringLiteral("Runs a BLAST search and stores each query's result"));
  QObject::connect(action, &QAction::triggered, &window, [&window] {
    auto* dialog = new CBlastSearchDialog(
        engine().MakeWorkFolder(1),
        window.CurrentSubbase().empty() ? std::string("MAIN") : window.CurrentSubbase(), &window);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->SetStoredHandler([&window](const std::string&) { window.Refill(); });
    dialog->show();
  });
  const QList<QAction*> menus = window.menuBar()->actions();
  if (!menus.isEmpty() && menus.front()->menu() != nullptr) {
    QMenu* file = menus.front()->menu();
    file->insertAction(file->actions().value(0), action);
  }
  if (auto* bar = window.findChild<QToolBar*>(QStringLiteral("commands"))) {
    bar->insertAction(bar->actions().value(0), action);
  }
}

enum : int {
  kTableRole = Qt::UserRole,        // subbase tree: the table's object table identifier
  kSubbaseRole = Qt::UserRole + 1,  // subbase tree: the subbase's name
};

// How often the window looks for changes made elsewhere, in milliseconds.
constexpr int kWatchInterval = 500;

// The settings' keys of the window's layout.
constexpr const char* kGeometryKey = "databaseWindow/geometry";
constexpr const char* kSplitterKey = "databaseWindow/splitter";
constexpr const char* kHeaderKey = "databaseWindow/header";

// The status-bar text and the tooltip of the command `id` (the string of
// that identifier, cut at its first line end).
std::pair<QString, QString> PromptOf(unsigned id) {
  std::string prompt;
  if (LoadString(id, prompt) == 0) return {};
  const auto cut = prompt.find('\n');
  const QString status = QString::fromStdString(prompt.substr(0, cut));
  const QString tip =
      cut == std::string::npos ? QString() : QString::fromStdString(prompt.substr(cut + 1));
  return {status, tip};
}

// The leaf actions of `menu` and its submenus.
void CollectActions(QMenu* menu, std::vector<QAction*>& actions) {
  for (QAction* action : menu->actions()) {
    if (action->menu() != nullptr) {
      CollectActions(action->menu(), actions);
    } else if (!action->isSeparator()) {
      actions.push_back(action);
    }
  }
}

}  // namespace

CDatabaseWindow::CDatabaseWindow(int dbId, QWidget* parent)
    : QMainWindow(parent),
      m_pSubbases(nullptr),
      m_pObjects(nullptr),
      m_pModel(nullptr),
      m_pCount(nullptr),
      m_pFilter(nullptr),
      m_pUndo(nullptr),
      m_pUndoAction(nullptr),
      m_pRedoAction(nullptr),
      m_nDbId(dbId),
      m_pIcons(std::make_unique<CObjectIcons>(
          QApplication::style()->pixelMetric(QStyle::PM_SmallIconSize))) {
  setWindowTitle(QStringLiteral("BLAST Results"));
  setAcceptDrops(true);
  m_pUndo = new QUndoStack(this);
  MakeWidgets();
  RestoreLayout();
  Refill();
  MakeMenus();
  MakeEditMenu();
  MakeTableMenus();
  MakeToolBar();
  AddBlastSearchCommand(*this);  // File menu and tool bar: "New BLAST Search..."
  UpdateActions();
  m_pWatch = new QTimer(this);
  m_pWatch->setInterval(kWatchInterval);
  connect(m_pWatch, &QTimer::timeout, this, [this] { FollowDatabase(); });
  m_pWatch->start();
}

CDatabaseWindow::~CDatabaseWindow() {
  // The list's rows go before the icons they are drawn with.
  m_pWatch->stop();
  const QSignalBlocker blocker(m_pObjects->selectionModel());
  m_pModel->Reset({});
}

// ---- layout kept between starts ----

void CDatabaseWindow::RestoreLayout() {
  QSettings settings;
  const QByteArray geometry = settings.value(kGeometryKey).toByteArray();
  if (geometry.isEmpty() || !restoreGeometry(geometry)) resize(960, 560);
  FitToScreen(this);  // never larger than the screen, whatever the scale
  const QByteArray splitter = settings.value(kSplitterKey).toByteArray();
  if (!splitter.isEmpty()) m_pSplitter->restoreState(splitter);
}

void CDatabaseWindow::SaveLayout() const {
  QSettings settings;
  settings.setValue(kGeometryKey, saveGeometry());
  settings.setValue(kSplitterKey, m_pSplitter->saveState());
  settings.setValue(kHeaderKey, m_pObjects->header()->saveState());
}

void CDatabaseWindow::closeEvent(QCloseEvent* event) {
  SaveLayout();
  QMainWindow::closeEvent(event);
}

// ---- following the database ----

bool CDatabaseWindow::FollowDatabase() {
  if (m_nBusy > 0 || QApplication::activeModalWidget() != nullptr ||
      QApplication::activePopupWidget() != nullptr) {
    return false;
  }
  CDBStorage* storage = engine().Storage(m_nDbId);
  if (storage == nullptr) return false;
  std::uint64_t version = 0;
  try {
    version = storage->DataVersion();
  } catch (const std::exception&) {
    return false;  // the lists say it when they cannot be read
  }
  if (version == m_nSeenVersion) return false;
  QElapsedTimer clock;
  clock.start();
  Refill();
  // While another process keeps changing a large database, the window
  // spends at most about a third of its time listing it again.
  const qint64 spent = clock.elapsed();
  m_pWatch->setInterval(static_cast<int>(std::clamp<qint64>(2 * spent, kWatchInterval, 5000)));
  return true;
}

void CDatabaseWindow::RefreshNow() {
  Refill();
  ShowStatus(QStringLiteral("Listed again: %1").arg(ObjectsText()));
}

// ---- filter ----

void CDatabaseWindow::SetFilter(const QString& text) {
  if (m_pFilter->text() != text) {
    m_pFilter->setText(text);  // its signal filters
  } else {
    ApplyFilter();
  }
}

void CDatabaseWindow::ApplyFilter() {
  m_pModel->SetFilter(m_pFilter->text());
  ShowCount();
}

void CDatabaseWindow::ShowCount() {
  if (CurrentTable() == nullptr) {
    m_pCount->clear();
    return;
  }
  // While the filter has not yet looked at every row, the rows found so
  // far (more come as the list is scrolled).
  const int shown = m_pModel->rowCount();
  if (!m_pModel->LastError().isEmpty()) {
    m_pCount->setText(QStringLiteral("%1 (the list can't be read further: %2)")
                          .arg(ObjectsText(), m_pModel->LastError()));
    return;
  }
  m_pCount->setText(m_pModel->Filter().trimmed().isEmpty() ? ObjectsText()
                    : m_pModel->AllRead()
                        ? QStringLiteral("%1 of %2").arg(shown).arg(ObjectsText())
                        : QStringLiteral("%1 found so far of %2").arg(shown).arg(ObjectsText()));
}

std::vector<std::string> CDatabaseWindow::VisibleNames() const {
  std::vector<std::string> names;
  for (int row = 0; row < m_pModel->rowCount(); ++row) {
    names.push_back(m_pModel->NameAt(row).toStdString());
  }
  return names;
}

// ---- opening ----

CObjInfo* CDatabaseWindow::InfoOfRow(const QModelIndex& index) {
  CDBTableBase* table = CurrentTable();
  if (table == nullptr || !index.isValid()) return nullptr;
  CObjInfo* info = table->FindListRecord(m_nDbId, m_pModel->IdAt(index.row()));
  if (info != nullptr) return info;
  const std::string name = m_pModel->NameAt(index.row()).toStdString();
  UserInteraction().ShowMessage(
      "\"" + name + "\" is no longer in the database: it was deleted or replaced elsewhere.",
      MB_ICONEXCLAMATION);
  Refill();
  return nullptr;
}

void CDatabaseWindow::OpenRow(const QModelIndex& index) {
  CDBTableBase* table = CurrentTable();
  CObjInfo* info = InfoOfRow(index);
  if (table == nullptr || info == nullptr) return;
  if (table->DefaultAction(info) == 0) {
    ShowStatus(QStringLiteral("\"%1\" could not be opened").arg(m_pModel->NameAt(index.row())));
  }
}

void CDatabaseWindow::MakeWidgets() {
  auto* splitter = new QSplitter(this);
  splitter->setObjectName(QStringLiteral("splitter"));
  m_pSplitter = splitter;
  m_pSubbases = new QTreeWidget(splitter);
  m_pSubbases->setHeaderLabel(QStringLiteral("Subbases"));
  m_pSubbases->setContextMenuPolicy(Qt::CustomContextMenu);
  m_pSubbases->setIconSize(QSize(16, 16));
  auto* right = new QWidget(splitter);
  auto* column = new QVBoxLayout(right);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(2);
  m_pFilter = new QLineEdit(right);
  m_pFilter->setObjectName(QStringLiteral("filter"));
  m_pFilter->setPlaceholderText(QStringLiteral("Filter by name, query or keyword (Ctrl+L)"));
  m_pFilter->setClearButtonEnabled(true);
  column->addWidget(m_pFilter);
  m_pObjects = new QTreeView(right);
  m_pModel = new CObjectListModel(m_pObjects);
  m_pObjects->setModel(m_pModel);
  // Rows read as the list scrolls change the count while a filter is on.
  connect(m_pModel, &QAbstractItemModel::rowsInserted, this, [this] { ShowCount(); });
  // A sort the storage has no order for reads the whole column: say so.
  connect(m_pObjects->header(), &QHeaderView::sortIndicatorChanged, this,
          [this](int sorted, Qt::SortOrder) {
            if (!m_pModel->ReadsEverythingToSort(sorted) || sorted >= m_pModel->columnCount()) {
              return;
            }
            ShowStatus(QStringLiteral("Sorted by %1: the column of every result was read")
                           .arg(m_pModel->Labels().value(sorted)));
          });
  column->addWidget(m_pObjects);
  m_pObjects->setObjectName(QStringLiteral("objects"));
  m_pObjects->setRootIsDecorated(false);
  m_pObjects->setAlternatingRowColors(true);
  m_pObjects->setUniformRowHeights(true);
  m_pObjects->setSelectionMode(QAbstractItemView::ExtendedSelection);
  m_pObjects->setContextMenuPolicy(Qt::CustomContextMenu);
  m_pObjects->setAllColumnsShowFocus(true);
  m_pObjects->setSortingEnabled(true);
  m_pObjects->sortByColumn(0, Qt::AscendingOrder);
  splitter->setStretchFactor(0, 0);
  splitter->setStretchFactor(1, 1);
  splitter->setSizes({210, 750});
  setCentralWidget(splitter);
  m_pCount = new QLabel(this);
  statusBar()->addPermanentWidget(m_pCount);
  connect(m_pSubbases, &QTreeWidget::itemSelectionChanged, this, [this] { OnSubbaseChosen(); });
  connect(m_pObjects->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          [this] { UpdateActions(); });
  // A double click and Enter open (Enter opens every selected result).
  connect(m_pObjects, &QTreeView::doubleClicked, this,
          [this](const QModelIndex& index) { OpenRow(index); });
  for (const int key : {Qt::Key_Return, Qt::Key_Enter}) {
    auto* enter = new QShortcut(QKeySequence(key), m_pObjects);
    enter->setContext(Qt::WidgetShortcut);
    connect(enter, &QShortcut::activated, this, [this] {
      // With nothing selected, Enter opens the row the cursor is on.
      const QModelIndex current = m_pObjects->currentIndex();
      if (!m_pObjects->selectionModel()->hasSelection() && current.isValid()) {
        m_pObjects->selectionModel()->select(
            current, QItemSelectionModel::Select | QItemSelectionModel::Rows);
      }
      OnCommand(ID_DB_OPEN, false);
    });
  }
  connect(m_pFilter, &QLineEdit::textChanged, this, [this] { ApplyFilter(); });
  connect(m_pFilter, &QLineEdit::returnPressed, this, [this] { m_pObjects->setFocus(); });
  connect(m_pObjects, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& pos) { OnObjectsContextMenu(pos); });
  connect(m_pSubbases, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& pos) { OnSubbasesContextMenu(pos); });
}

// ---- lists ----

void CDatabaseWindow::Refill() {
  FillSubbases();
  FillObjects();
}

void CDatabaseWindow::FillSubbases() {
  CDBTableBase* chosenTable = CurrentTable();
  const std::string chosen = CurrentSubbase();
  const QSignalBlocker blocker(m_pSubbases);
  m_pSubbases->clear();
  QTreeWidgetItem* select = nullptr;
  for (CDBTableBase* table : engine().get_tables()) {
    if (table->Hidden()) continue;
    m_pIcons->AddTableImages(*table);
    auto* top = new QTreeWidgetItem(m_pSubbases);
    top->setText(0, QString::fromStdString(table->DescribeObjType(1, 0)));
    top->setIcon(0, m_pIcons->TableIcon(*table));
    top->setData(0, kTableRole, table->objtable());
    top->setData(0, kSubbaseRole, QString::fromStdString(kMainSubbase));
    std::vector<std::string> names{kMainSubbase};
    // Straight from the storage: the table's object list is not read.
    if (CDBStorage* storage = engine().Storage(m_nDbId); storage != nullptr) {
      try {
        for (CStoredSubbase& subbase : storage->Subbases(table->objtable())) {
          names.push_back(std::move(subbase.m_name));
        }
      } catch (const std::exception& e) {
        ShowStatus(QStringLiteral("The subbases can't be read: %1").arg(e.what()));
      }
    }
    for (const std::string& name : names) {
      auto* item = new QTreeWidgetItem(top);
      item->setText(0, QString::fromStdString(name));
      item->setIcon(0, QApplication::style()->standardIcon(QStyle::SP_DirIcon));
      item->setData(0, kTableRole, table->objtable());
      item->setData(0, kSubbaseRole, QString::fromStdString(name));
      if ((table == chosenTable && name == chosen) || select == nullptr) select = item;
    }
    top->setExpanded(true);
  }
  if (select != nullptr) {
    select->setSelected(true);
    m_pSubbases->setCurrentItem(select);
  }
}

void CDatabaseWindow::FillColumns(CDBTableBase& table, QStringList& labels,
                                  std::vector<CDBFieldDef>& defs) {
  m_columns.clear();
  m_columns.push_back("Created");
  table.GetObjRealFieldNames(m_nDbId, &m_columns);
  labels = QStringList{QStringLiteral("Name")};
  m_numeric.assign(1, false);
  defs.clear();
  for (const std::string& name : m_columns) {
    labels << QString::fromStdString(name);
    CDBFieldDef def;
    const bool known = table.GetObjFieldDef(m_nDbId, name, def) == 1;
    m_numeric.push_back(known && def.m_valueKind == kValueNumber && name != "Created");
    if (name != "Created") defs.push_back(def);
  }
  m_nFactColumn = static_cast<int>(labels.size());
  labels << QStringLiteral("Program") << QStringLiteral("Database")
         << QStringLiteral("Best E value") << QStringLiteral("Best identity %");
  m_numeric.insert(m_numeric.end(), {false, false, true, true});
}

void CDatabaseWindow::FillObjects() {
  // What was selected and where the cursor was, by record identifier.
  std::set<unsigned long> selected;
  for (const QModelIndex& index : m_pObjects->selectionModel()->selectedRows(0)) {
    selected.insert(m_pModel->IdAt(index.row()));
  }
  const QModelIndex was = m_pObjects->currentIndex();
  const unsigned long currentId = was.isValid() ? m_pModel->IdAt(was.row()) : 0;
  const int scrolled = m_pObjects->verticalScrollBar()->value();
  const QSignalBlocker blocker(m_pObjects->selectionModel());
  CDBTableBase* table = CurrentTable();
  CDBStorage* storage = engine().Storage(m_nDbId);
  if (table == nullptr || storage == nullptr) {
    m_pModel->Reset({});
    m_listed = {};
    m_pCount->clear();
    return;
  }
  try {
    m_nSeenVersion = storage->DataVersion();
  } catch (const std::exception&) {
  }
  CObjectListModel::CSource source;
  source.m_pStorage = storage;
  source.m_pTable = table;
  source.m_nDbId = m_nDbId;
  source.m_nTable = table->objtable();
  FillColumns(*table, source.m_labels, source.m_defs);
  source.m_numeric = m_numeric;
  source.m_nFactColumn = m_nFactColumn;
  const std::string subbase = CurrentSubbase();
  if (!IsMainSubbase(subbase)) {
    try {
      source.m_subbase = storage->FindSubbase(table->objtable(), SubbaseNameOf(subbase));
    } catch (const std::exception& e) {
      ShowStatus(QStringLiteral("The subbase can't be read: %1").arg(e.what()));
    }
    if (source.m_subbase == 0) source.m_pStorage = nullptr;  // gone: an empty list
  }
  // The same list again reads the rows shown again; another list starts
  // at its first page.
  const CListed listed{source.m_pStorage, source.m_nTable, source.m_subbase};
  const bool sameColumns = source.m_labels == m_pModel->Labels();
  if (sameColumns && listed == m_listed) {
    // The rows down to the last one in sight (the view asks for more).
    const QModelIndex bottom = m_pObjects->indexAt(QPoint(1, m_pObjects->viewport()->height() - 1));
    m_pModel->Reload(
        static_cast<std::size_t>(bottom.isValid() ? bottom.row() + 1 : m_pModel->rowCount()));
  } else {
    m_listed = listed;
    CObjectIcons* icons = m_pIcons.get();
    source.m_icon = [icons](int index) { return icons->Image(index); };
    // The header keeps its sort indicator; the model sorts as it did.
    const QSignalBlocker header(m_pObjects->header());
    m_pModel->Reset(std::move(source));
    m_pObjects->header()->setSortIndicator(m_pModel->SortColumn(), m_pModel->SortOrder());
  }
  if (!sameColumns) RestoreHeader(m_pModel->SortColumn(), m_pModel->SortOrder());
  if (!m_pModel->LastError().isEmpty()) {
    ShowStatus(QStringLiteral("The list can't be read further: %1").arg(m_pModel->LastError()));
  }
  // The selection and the cursor back, in runs of rows.
  QItemSelection selection;
  for (int row = 0; row < m_pModel->rowCount(); ++row) {
    if (selected.count(m_pModel->IdAt(row)) == 0) continue;
    int end = row;
    while (end + 1 < m_pModel->rowCount() && selected.count(m_pModel->IdAt(end + 1)) != 0) ++end;
    selection.select(m_pModel->index(row, 0), m_pModel->index(end, m_pModel->columnCount() - 1));
    row = end;
  }
  m_pObjects->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
  if (const int row = m_pModel->RowOfId(currentId); row >= 0) {
    m_pObjects->selectionModel()->setCurrentIndex(m_pModel->index(row, 0),
                                                  QItemSelectionModel::NoUpdate);
  }
  if (m_bSizeColumns && m_pModel->rowCount() > 0) {
    m_bSizeColumns = false;
    // Names up to 60 characters wide, the other columns up to 24.
    const int character = m_pObjects->fontMetrics().averageCharWidth();
    for (int i = 0; i < m_pModel->columnCount(); ++i) {
      m_pObjects->resizeColumnToContents(i);
      const int widest = character * (i == 0 ? 60 : 24);
      if (m_pObjects->columnWidth(i) > widest) m_pObjects->setColumnWidth(i, widest);
    }
  }
  m_pObjects->verticalScrollBar()->setValue(scrolled);
  ApplyFilter();
  UpdateActions();
}

void CDatabaseWindow::RestoreHeader(int sortColumn, Qt::SortOrder order) {
  QHeaderView* header = m_pObjects->header();
  if (!m_bHeaderRestored) {
    m_bHeaderRestored = true;
    const QByteArray state = QSettings().value(kHeaderKey).toByteArray();
    if (!state.isEmpty() && header->restoreState(state)) {
      m_pModel->sort(header->sortIndicatorSection(), header->sortIndicatorOrder());
      return;
    }
    m_bSizeColumns = true;  // fitted to the first rows shown
  }
  // The sort stays on the column it was on (by its title).
  if (sortColumn < 0) {
    sortColumn = 0;
    order = Qt::AscendingOrder;
  }
  header->setSortIndicator(sortColumn, order);
}

QString CDatabaseWindow::ObjectsText() const {
  CDBTableBase* table = CurrentTable();
  if (table == nullptr) return {};
  const int count = m_pModel->TotalRows();
  return QStringLiteral("%1 %2 in %3")
      .arg(count)
      .arg(QString::fromStdString(table->DescribeObjType(count != 1 ? 1 : 0, 0)))
      .arg(QString::fromStdString(CurrentSubbase()));
}

void CDatabaseWindow::OnSubbaseChosen() {
  FillObjects();
  MakeTableMenus();
  UpdateActions();
}

CDBTableBase* CDatabaseWindow::CurrentTable() const {
  const QList<QTreeWidgetItem*> items = m_pSubbases->selectedItems();
  if (items.isEmpty()) return nullptr;
  return engine().TableByID(items.front()->data(0, kTableRole).toInt());
}

std::string CDatabaseWindow::CurrentSubbase() const {
  const QList<QTreeWidgetItem*> items = m_pSubbases->selectedItems();
  if (items.isEmpty()) return {};
  return items.front()->data(0, kSubbaseRole).toString().toStdString();
}

bool CDatabaseWindow::SelectSubbase(CDBTableBase* table, const std::string& name) {
  for (int t = 0; t < m_pSubbases->topLevelItemCount(); ++t) {
    QTreeWidgetItem* top = m_pSubbases->topLevelItem(t);
    if (table == nullptr || top->data(0, kTableRole).toInt() != table->objtable()) continue;
    for (int i = 0; i < top->childCount(); ++i) {
      QTreeWidgetItem* item = top->child(i);
      if (item->data(0, kSubbaseRole).toString().toStdString() != name) continue;
      m_pSubbases->clearSelection();
      item->setSelected(true);
      m_pSubbases->setCurrentItem(item);
      return true;
    }
  }
  return false;
}

std::size_t CDatabaseWindow::SelectedRowCount() const {
  return static_cast<std::size_t>(m_pObjects->selectionModel()->selectedRows(0).size());
}

std::vector<CObjInfo*> CDatabaseWindow::SelectedObjects() const {
  std::vector<CObjInfo*> infos;
  CDBTableBase* table = CurrentTable();
  QModelIndexList rows = m_pObjects->selectionModel()->selectedRows(0);
  // Only the chosen objects' records are read, never the table's list.
  if (table == nullptr || rows.isEmpty()) return infos;
  std::sort(rows.begin(), rows.end(),
            [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
  std::vector<unsigned long> ids;
  ids.reserve(static_cast<std::size_t>(rows.size()));
  for (const QModelIndex& index : rows) ids.push_back(m_pModel->IdAt(index.row()));
  return table->FindListRecords(m_nDbId, ids);
}

std::vector<std::string> CDatabaseWindow::SelectedNames() const {
  std::vector<std::string> names;
  for (const CObjInfo* info : SelectedObjects()) names.push_back(info->m_name);
  return names;
}

int CDatabaseWindow::SelectObjects(const std::vector<std::string>& names) {
  // Rows not read yet are read until every name is found, up to a bound.
  std::set<std::string> missing(names.begin(), names.end());
  m_pModel->FetchUntil(
      [&missing](const CObjectListModel::CRow& row) {
        missing.erase(row.m_info.m_name);
        return missing.empty();
      },
      kSeekRows);
  std::set<QString> wanted;
  for (const std::string& name : names) wanted.insert(QString::fromStdString(name));
  QItemSelection selection;
  int found = 0;
  QModelIndex first;
  for (int row = 0; row < m_pModel->rowCount(); ++row) {
    if (wanted.count(m_pModel->NameAt(row)) == 0) continue;
    const QModelIndex index = m_pModel->index(row, 0);
    selection.select(index, m_pModel->index(row, m_pModel->columnCount() - 1));
    if (found++ == 0) first = index;
  }
  m_pObjects->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
  if (first.isValid()) {
    m_pObjects->selectionModel()->setCurrentIndex(first, QItemSelectionModel::NoUpdate);
    m_pObjects->scrollTo(first);
  }
  return found;
}

int CDatabaseWindow::SeekName(const std::string& name) const {
  m_pModel->FetchUntil(
      [&name](const CObjectListModel::CRow& row) { return row.m_info.m_name == name; }, kSeekRows);
  return m_pModel->RowOfName(QString::fromStdString(name));
}

QModelIndex CDatabaseWindow::ObjectIndex(const std::string& name) const {
  const int row = SeekName(name);
  return row >= 0 ? m_pModel->index(row, 0) : QModelIndex();
}

QString CDatabaseWindow::CellText(const std::string& name, const QString& column) const {
  const int row = SeekName(name);
  const int at = m_pModel->Labels().indexOf(column);
  return row >= 0 && at >= 0 ? m_pModel->TextAt(row, at) : QString();
}

int CDatabaseWindow::ColumnOf(const QString& label) const {
  return static_cast<int>(m_pModel->Labels().indexOf(label));
}

// ---- menus ----

void CDatabaseWindow::ConnectMenu(QMenu* menu, bool tableMenu) {
  std::vector<QAction*> actions;
  CollectActions(menu, actions);
  for (QAction* action : actions) {
    const unsigned id = action->data().toUInt();
    connect(action, &QAction::triggered, this, [this, id, tableMenu] { OnCommand(id, tableMenu); });
    action->setEnabled(IsCommandEnabled(id, tableMenu));
  }
  connect(menu, &QMenu::hovered, this,
          [this](QAction* action) { ShowStatus(action->statusTip()); });
  connect(menu, &QMenu::aboutToShow, this, [this, menu, tableMenu] {
    std::vector<QAction*> leaves;
    CollectActions(menu, leaves);
    for (QAction* action : leaves) {
      action->setEnabled(IsCommandEnabled(action->data().toUInt(), tableMenu));
    }
  });
}

QMenu* CDatabaseWindow::MakeContextMenu(bool full, bool tableMenu) {
  CDBTableBase* table = CurrentTable();
  if (table == nullptr) return nullptr;
  std::string title;
  std::unique_ptr<CMenu> menu(table->GetContextMenu(full, tableMenu, title));
  if (!menu) return nullptr;
  QMenu* built = BuildQMenu(*menu, this);
  built->setTitle(QString::fromStdString(title));
  ConnectMenu(built, tableMenu);
  return built;
}

void CDatabaseWindow::ShowPopup(QMenu* menu, const QPoint& at) {
  delete m_pPopup;  // the one shown before, closed by now
  m_pPopup = menu;
  menu->popup(at);
}

void CDatabaseWindow::OnObjectsContextMenu(const QPoint& pos) {
  const QModelIndex index = m_pObjects->indexAt(pos);
  QItemSelectionModel* selection = m_pObjects->selectionModel();
  if (index.isValid() && !selection->isRowSelected(index.row(), {})) {
    selection->select(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    selection->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
  }
  QMenu* menu = MakeContextMenu(true, !index.isValid());
  if (menu == nullptr) return;
  ShowPopup(menu, m_pObjects->viewport()->mapToGlobal(pos));
}

void CDatabaseWindow::OnSubbasesContextMenu(const QPoint& pos) {
  QTreeWidgetItem* item = m_pSubbases->itemAt(pos);
  if (item == nullptr) return;
  if (!item->isSelected()) {
    m_pSubbases->clearSelection();
    item->setSelected(true);
    m_pSubbases->setCurrentItem(item);
  }
  QMenu* menu = MakeContextMenu(true, true);
  if (menu == nullptr) return;
  ShowPopup(menu, m_pSubbases->viewport()->mapToGlobal(pos));
}

QAction* CDatabaseWindow::AddCommandAction(QWidget* owner, const QIcon& icon, const QString& text,
                                           unsigned id, bool tableMenu) {
  QAction* action = new QAction(icon, text, owner);
  owner->addAction(action);
  action->setData(id);
  const auto [status, tip] = PromptOf(id);
  action->setStatusTip(status);
  if (!tip.isEmpty()) action->setToolTip(tip);
  action->setProperty("tableMenu", tableMenu);
  connect(action, &QAction::triggered, this, [this, id, tableMenu] { OnCommand(id, tableMenu); });
  m_commandActions.push_back(action);
  return action;
}

void CDatabaseWindow::MakeMenus() {
  QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
  QStyle* style = QApplication::style();
  QAction* open = file->addAction(style->standardIcon(QStyle::SP_DialogOpenButton),
                                  QStringLiteral("&Open..."), this, [this] { OpenWithDialog(); });
  open->setShortcut(QKeySequence::Open);
  open->setStatusTip(
      QStringLiteral("Stores reports, transfer files or archives, or opens a stored result"));
  QAction* saveAs =
      file->addAction(style->standardIcon(QStyle::SP_DialogSaveButton),
                      QStringLiteral("Save &As..."), this, [this] { SaveAsWithDialog(); });
  saveAs->setShortcut(QKeySequence::SaveAs);
  saveAs->setStatusTip(QStringLiteral("Writes the results chosen into an archive file"));
  file->addSeparator();
  AddCommandAction(file, QIcon(), QStringLiteral("&Import BLAST Reports..."), ID_DB_NEW_OBJECT,
                   false);
  AddCommandAction(file, QIcon(), QStringLiteral("Import from &Archive..."), ID_DB_IMPORT_ARCHIVE,
                   true);
  AddCommandAction(file, QIcon(), QStringLiteral("&Export Subbase into Archive..."),
                   ID_DB_EXPORT_SUBBASE, true);
  QMenu* exportAs = file->addMenu(QStringLiteral("Export Selected &As"));
  exportAs->setObjectName(QStringLiteral("exportAs"));
  const std::pair<const char*, const char*> formats[] = {{"tsv", "&Tabular (TSV)..."},
                                                         {"fasta", "&FASTA of the Hits..."},
                                                         {"json", "&JSON..."},
                                                         {"archive", "&Archive..."}};
  for (const auto& [format, text] : formats) {
    QAction* action = exportAs->addAction(QString::fromUtf8(text), this,
                                          [this, format] { ExportSelectedAs(format); });
    action->setData(QString::fromUtf8(format));
  }
  connect(exportAs, &QMenu::aboutToShow, this, [this, exportAs] {
    for (QAction* action : exportAs->actions()) action->setEnabled(SelectedRowCount() > 0);
  });
  file->addSeparator();
  QAction* search = file->addAction(style->standardIcon(QStyle::SP_FileDialogContentsView),
                                    QStringLiteral("&Search..."), this, [this] { OnSearch(); });
  search->setShortcut(QKeySequence::Find);
  search->setStatusTip(QStringLiteral("Finds results by their fields, text and keywords"));
  file->addSeparator();
  AddCommandAction(file, QIcon(), QStringLiteral("&Close"), ID_DB_CLOSE, true)
      ->setShortcut(QKeySequence::Close);
  connect(file, &QMenu::hovered, this,
          [this](QAction* action) { ShowStatus(action->statusTip()); });
  connect(file, &QMenu::aboutToShow, this, [this] { UpdateActions(); });
}

void CDatabaseWindow::MakeEditMenu() {
  QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edit"));
  m_pUndoAction = m_pUndo->createUndoAction(this, QStringLiteral("&Undo"));
  m_pUndoAction->setShortcut(QKeySequence::Undo);
  m_pRedoAction = m_pUndo->createRedoAction(this, QStringLiteral("&Redo"));
  m_pRedoAction->setShortcut(QKeySequence::Redo);
  edit->addAction(m_pUndoAction);
  edit->addAction(m_pRedoAction);
  edit->addSeparator();
  QAction* filter = edit->addAction(QStringLiteral("&Filter the List"), this, [this] {
    m_pFilter->setFocus();
    m_pFilter->selectAll();
  });
  filter->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
  QAction* refresh = edit->addAction(QStringLiteral("&Refresh"), this, [this] { RefreshNow(); });
  refresh->setShortcut(QKeySequence(Qt::Key_F5));
  refresh->setStatusTip(QStringLiteral("Lists the database again"));
  connect(edit, &QMenu::hovered, this,
          [this](QAction* action) { ShowStatus(action->statusTip()); });
}

void CDatabaseWindow::MakeTableMenus() {
  CDBTableBase* table = CurrentTable();
  if (table == m_pMenuTable && !m_tableMenus.empty()) return;
  for (QMenu* menu : m_tableMenus) delete menu;
  m_tableMenus.clear();
  m_pMenuTable = table;
  for (bool tableMenu : {true, false}) {
    if (QMenu* menu = MakeContextMenu(true, tableMenu)) {
      menuBar()->addMenu(menu);
      m_tableMenus.push_back(menu);
    }
  }
}

void CDatabaseWindow::MakeToolBar() {
  QToolBar* bar = addToolBar(QStringLiteral("Commands"));
  bar->setObjectName(QStringLiteral("commands"));
  bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  bar->setMovable(false);
  QStyle* style = QApplication::style();
  AddCommandAction(bar, style->standardIcon(QStyle::SP_DialogOpenButton), QStringLiteral("Import"),
                   ID_DB_NEW_OBJECT, false);
  AddCommandAction(bar, style->standardIcon(QStyle::SP_FileIcon), QStringLiteral("Open"),
                   ID_DB_OPEN, false);
  AddCommandAction(bar, style->standardIcon(QStyle::SP_FileDialogDetailedView),
                   QStringLiteral("Edit"), ID_DB_EDIT, false);
  AddCommandAction(bar, style->standardIcon(QStyle::SP_TrashIcon), QStringLiteral("Delete"),
                   ID_DB_DELETE, false)
      ->setShortcut(QKeySequence::Delete);
  bar->addSeparator();
  QAction* search = bar->addAction(style->standardIcon(QStyle::SP_FileDialogContentsView),
                                   QStringLiteral("Search"), this, [this] { OnSearch(); });
  search->setStatusTip(QStringLiteral("Finds results by their fields, text and keywords"));
  AddCommandAction(bar, style->standardIcon(QStyle::SP_DialogSaveButton), QStringLiteral("Export"),
                   ID_DB_EXPORT_SELECTED, false);
  QAction* rename = AddCommandAction(this, QIcon(), QStringLiteral("Rename"), ID_DB_RENAME, false);
  rename->setShortcut(Qt::Key_F2);
}

void CDatabaseWindow::UpdateActions() {
  for (QAction* action : m_commandActions) {
    action->setEnabled(
        IsCommandEnabled(action->data().toUInt(), action->property("tableMenu").toBool()));
  }
}

void CDatabaseWindow::ShowStatus(const QString& text) { statusBar()->showMessage(text, 8000); }

// ---- drops ----

void CDatabaseWindow::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls() && CurrentTable() != nullptr) event->acceptProposedAction();
}

void CDatabaseWindow::dropEvent(QDropEvent* event) {
  QStringList paths;
  for (const QUrl& url : event->mimeData()->urls()) {
    if (url.isLocalFile()) paths << url.toLocalFile();
  }
  if (paths.isEmpty()) return;
  event->acceptProposedAction();
  ImportFiles(paths);
}

}  // namespace blastsearch
