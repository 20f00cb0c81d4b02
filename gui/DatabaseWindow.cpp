#include "gui/DatabaseWindow.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QTreeWidget>
#include <set>

#include "gui/BlastSearchDialog.h"
#include "gui/HostCommands.h"
#include "gui/ObjectIcons.h"
#include "host/db/DBEngine.h"
#include "host/db/DBFunctions.h"
#include "host/db/DBTableBase.h"
#include "host/db/ObjInfo.h"
#include "platform/ImageList.h"
#include "platform/Menu.h"
#include "platform/StringTable.h"
#include "platform/qt/WindowResources.h"

namespace {

enum : int {
  kTableRole = Qt::UserRole,        // subbase tree: the table's object table identifier
  kSubbaseRole = Qt::UserRole + 1,  // subbase tree: the subbase's name
  kObjIdRole = Qt::UserRole,        // object list: the record identifier
};

// A row of the object list; numeric columns sort by number.
class CObjectItem : public QTreeWidgetItem {
 public:
  CObjectItem(QTreeWidget* list, const std::vector<bool>& numeric)
      : QTreeWidgetItem(list), m_numeric(numeric) {}

  bool operator<(const QTreeWidgetItem& other) const override {
    const int column = treeWidget() != nullptr ? treeWidget()->sortColumn() : 0;
    if (column >= 0 && static_cast<std::size_t>(column) < m_numeric.size() &&
        m_numeric[static_cast<std::size_t>(column)]) {
      bool ok = false;
      bool otherOk = false;
      const double mine = text(column).toDouble(&ok);
      const double theirs = other.text(column).toDouble(&otherOk);
      if (ok && otherOk) return mine < theirs;
    }
    return QString::localeAwareCompare(text(column), other.text(column)) < 0;
  }

 private:
  const std::vector<bool>& m_numeric;
};

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
      m_pCount(nullptr),
      m_nDbId(dbId),
      m_pIcons(std::make_unique<CObjectIcons>(
          QApplication::style()->pixelMetric(QStyle::PM_SmallIconSize))) {
  setWindowTitle(QStringLiteral("BLAST Results"));
  setAcceptDrops(true);
  MakeWidgets();
  Refill();
  MakeMenus();
  MakeTableMenus();
  MakeToolBar();
  AddBlastSearchCommand(*this);  // File menu and tool bar: "New BLAST Search..."
  UpdateActions();
  resize(960, 560);
}

CDatabaseWindow::~CDatabaseWindow() = default;

void CDatabaseWindow::MakeWidgets() {
  auto* splitter = new QSplitter(this);
  m_pSubbases = new QTreeWidget(splitter);
  m_pSubbases->setHeaderLabel(QStringLiteral("Subbases"));
  m_pSubbases->setContextMenuPolicy(Qt::CustomContextMenu);
  m_pSubbases->setIconSize(QSize(16, 16));
  m_pObjects = new QTreeWidget(splitter);
  m_pObjects->setRootIsDecorated(false);
  m_pObjects->setAlternatingRowColors(true);
  m_pObjects->setUniformRowHeights(true);
  m_pObjects->setSelectionMode(QAbstractItemView::ExtendedSelection);
  m_pObjects->setContextMenuPolicy(Qt::CustomContextMenu);
  m_pObjects->setSortingEnabled(true);
  m_pObjects->sortByColumn(0, Qt::AscendingOrder);
  splitter->setStretchFactor(0, 0);
  splitter->setStretchFactor(1, 1);
  splitter->setSizes({210, 750});
  setCentralWidget(splitter);
  m_pCount = new QLabel(this);
  statusBar()->addPermanentWidget(m_pCount);
  connect(m_pSubbases, &QTreeWidget::itemSelectionChanged, this, [this] { OnSubbaseChosen(); });
  connect(m_pObjects, &QTreeWidget::itemSelectionChanged, this, [this] { UpdateActions(); });
  connect(m_pObjects, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
    CDBTableBase* table = CurrentTable();
    if (table == nullptr || item == nullptr) return;
    CObjInfo* info = table->getobjlist(m_nDbId).FindById(item->data(0, kObjIdRole).toULongLong());
    if (info != nullptr && table->DefaultAction(info) == 0) {
      ShowStatus(QStringLiteral("\"%1\" could not be opened").arg(item->text(0)));
    }
  });
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
    for (const auto& subbase : table->getsblist(m_nDbId)) names.push_back(subbase->m_name);
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

void CDatabaseWindow::FillColumns(CDBTableBase& table) {
  m_columns.clear();
  m_columns.push_back("Created");
  table.GetObjRealFieldNames(m_nDbId, &m_columns);
  QStringList labels{QStringLiteral("Name")};
  m_numeric.assign(1, false);
  for (const std::string& name : m_columns) {
    labels << QString::fromStdString(name);
    CDBFieldDef def;
    m_numeric.push_back(table.GetObjFieldDef(m_nDbId, name, def) == 1 &&
                        def.m_valueKind == kValueNumber && name != "Created");
  }
  m_pObjects->setColumnCount(labels.size());
  m_pObjects->setHeaderLabels(labels);
}

void CDatabaseWindow::FillObjects() {
  std::set<unsigned long> selected;
  for (const CObjInfo* info : SelectedObjects()) selected.insert(info->m_objId);
  const QSignalBlocker blocker(m_pObjects);
  m_pObjects->setSortingEnabled(false);
  m_pObjects->clear();
  CDBTableBase* table = CurrentTable();
  if (table == nullptr) {
    m_pCount->clear();
    return;
  }
  FillColumns(*table);
  std::vector<CObjInfo*> subset;
  GetObjSubset(table->objtable(), CurrentSubbase(), m_nDbId, subset);
  std::vector<CDBFieldDef> defs(m_columns.size());
  for (std::size_t i = 0; i < m_columns.size(); ++i) {
    table->GetObjFieldDef(m_nDbId, m_columns[i], defs[i]);
  }
  for (CObjInfo* info : subset) {
    auto* item = new CObjectItem(m_pObjects, m_numeric);
    item->setText(0, QString::fromStdString(info->m_name));
    item->setIcon(0, m_pIcons->Image(table->GetObjectIconIndex(info)));
    item->setData(0, kObjIdRole, QVariant::fromValue<qulonglong>(info->m_objId));
    for (std::size_t i = 0; i < defs.size(); ++i) {
      std::string value;
      table->GetFieldValue(m_nDbId, info, &defs[i], value);
      const int column = static_cast<int>(i) + 1;
      item->setText(column, QString::fromStdString(value));
      if (m_numeric[i + 1]) item->setTextAlignment(column, Qt::AlignRight | Qt::AlignVCenter);
    }
    if (selected.count(info->m_objId) != 0) item->setSelected(true);
  }
  m_pObjects->setSortingEnabled(true);
  for (int column = 0; column < m_pObjects->columnCount(); ++column) {
    m_pObjects->resizeColumnToContents(column);
  }
  m_pCount->setText(ObjectsText());
}

QString CDatabaseWindow::ObjectsText() const {
  CDBTableBase* table = CurrentTable();
  if (table == nullptr) return {};
  const int count = m_pObjects->topLevelItemCount();
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

std::vector<CObjInfo*> CDatabaseWindow::SelectedObjects() const {
  std::vector<CObjInfo*> infos;
  CDBTableBase* table = CurrentTable();
  if (table == nullptr) return infos;
  const CObjInfoList& list = table->getobjlist(m_nDbId);
  for (int i = 0; i < m_pObjects->topLevelItemCount(); ++i) {
    QTreeWidgetItem* item = m_pObjects->topLevelItem(i);
    if (!item->isSelected()) continue;
    if (CObjInfo* info = list.FindById(item->data(0, kObjIdRole).toULongLong())) {
      infos.push_back(info);
    }
  }
  return infos;
}

std::vector<std::string> CDatabaseWindow::SelectedNames() const {
  std::vector<std::string> names;
  for (const CObjInfo* info : SelectedObjects()) names.push_back(info->m_name);
  return names;
}

int CDatabaseWindow::SelectObjects(const std::vector<std::string>& names) {
  const std::set<std::string> wanted(names.begin(), names.end());
  int found = 0;
  m_pObjects->clearSelection();
  for (int i = 0; i < m_pObjects->topLevelItemCount(); ++i) {
    QTreeWidgetItem* item = m_pObjects->topLevelItem(i);
    if (wanted.count(item->text(0).toStdString()) == 0) continue;
    item->setSelected(true);
    if (found++ == 0) {
      m_pObjects->setCurrentItem(item, 0, QItemSelectionModel::NoUpdate);
      m_pObjects->scrollToItem(item);
    }
  }
  return found;
}

QTreeWidgetItem* CDatabaseWindow::ObjectItem(const std::string& name) const {
  for (int i = 0; i < m_pObjects->topLevelItemCount(); ++i) {
    QTreeWidgetItem* item = m_pObjects->topLevelItem(i);
    if (item->text(0).toStdString() == name) return item;
  }
  return nullptr;
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
  QTreeWidgetItem* item = m_pObjects->itemAt(pos);
  if (item != nullptr && !item->isSelected()) {
    m_pObjects->clearSelection();
    item->setSelected(true);
    m_pObjects->setCurrentItem(item, 0, QItemSelectionModel::NoUpdate);
  }
  QMenu* menu = MakeContextMenu(true, item == nullptr);
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
  AddCommandAction(file, style->standardIcon(QStyle::SP_DialogOpenButton),
                   QStringLiteral("&Import NCBI Result Page..."), ID_DB_NEW_OBJECT, false)
      ->setShortcut(QKeySequence::Open);
  AddCommandAction(file, QIcon(), QStringLiteral("Import from &Archive..."), ID_DB_IMPORT_ARCHIVE,
                   true);
  AddCommandAction(file, QIcon(), QStringLiteral("&Export Subbase into Archive..."),
                   ID_DB_EXPORT_SUBBASE, true);
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
