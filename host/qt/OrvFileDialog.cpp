#include "host/qt/OrvFileDialog.h"

#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "host/OrvFileSpec.h"
#include "host/db/DBEngine.h"
#include "host/db/DBTableBase.h"
#include "host/db/OrvSaveLoadData.h"
#include "host/qt/HostControls.h"
#include "platform/UserInteraction.h"

namespace blastsearch {

namespace {

// A page's list is never shorter or taller than this many rows, whatever
// the page asks.
constexpr int kFewestRows = 2;
constexpr int kMostRows = 40;

QString Text(const std::string& text) { return QString::fromStdString(text); }

// The plural of what `objTable`'s table stores ("BLAST Results"), or
// "objects" when the engine does not have it.
std::string PluralOf(int objTable) {
  CDBTableBase* table = engine().TableByID(objTable);
  return table != nullptr ? table->DescribeObjType(1, 0) : "objects";
}

}  // namespace

// One page: its record as the table gave it, and its list.
struct COrvFileDialog::CPage {
  COrvSaveLoadPageData m_data;
  QListWidget* m_pList = nullptr;
  QPushButton* m_pOpen = nullptr;  // "Open Stored" (open dialog only)
};

COrvFileDialog::COrvFileDialog(EMode mode, QWidget* parent) : QFileDialog(parent), m_mode(mode) {
  setOption(QFileDialog::DontUseNativeDialog, true);
  setWindowTitle(mode == kOpen ? QStringLiteral("Open") : QStringLiteral("Save As"));
  setAcceptMode(mode == kOpen ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
  setFileMode(mode == kOpen ? QFileDialog::ExistingFiles : QFileDialog::AnyFile);
  MakePageArea();
}

COrvFileDialog::~COrvFileDialog() = default;

void COrvFileDialog::MakePageArea() {
  m_pPages = new QTabWidget(this);
  m_pPages->setObjectName(QStringLiteral("pages"));
  m_pPages->hide();  // until a table gives a page
  // Qt's own dialog lays its parts out in a grid: the pages go below them,
  // across the whole width.
  if (auto* grid = qobject_cast<QGridLayout*>(layout())) {
    grid->addWidget(m_pPages, grid->rowCount(), 0, 1, std::max(1, grid->columnCount()));
  } else if (layout() != nullptr) {
    layout()->addWidget(m_pPages);
  }
  connect(m_pPages, &QTabWidget::currentChanged, this, &COrvFileDialog::OnPageShown);
}

int COrvFileDialog::AddTablePages() {
  COrvSaveLoadData pages;
  for (CDBTableBase* table : engine().get_tables()) {
    try {
      if (m_mode == kOpen) {
        table->AppendPageToOpenDialog(pages);
      } else {
        table->AppendPageToSaveDialog(pages);
      }
    } catch (...) {  // a table that fails to say its page goes without one
    }
  }
  return AddPages(pages);
}

int COrvFileDialog::AddPages(const COrvSaveLoadData& pages) {
  const int before = m_pPages->count();
  int first = -1;
  for (std::size_t i = 0; i < pages.m_pages.size(); ++i) {
    if (engine().TableByID(pages.m_pages[i].m_nObjTable) == nullptr) continue;
    if (static_cast<int>(i) == pages.m_nCurPage) first = m_pPages->count();
    AddPage(pages.m_pages[i]);
  }
  const int added = m_pPages->count() - before;
  if (added > 0) {
    m_pPages->show();
    m_pPages->setCurrentIndex(first >= 0 ? first : before);
    OnPageShown(m_pPages->currentIndex());
  }
  return added;
}

void COrvFileDialog::AddPage(const COrvSaveLoadPageData& record) {
  CDBTableBase* table = engine().TableByID(record.m_nObjTable);
  auto page = std::make_unique<CPage>();
  page->m_data = record;
  auto* face = new QWidget;
  auto* layout = new QVBoxLayout(face);
  const std::string plural = table->DescribeObjType(1, 0);
  auto* hint = new QLabel(
      m_mode == kOpen ? Text("The files chosen above are stored among these " + plural +
                             ". To open a stored one instead, double-click it.")
                      : Text("The file receives the " + plural + " selected here, as an archive."),
      face);
  hint->setWordWrap(true);
  layout->addWidget(hint);

  QListWidget* list = new QListWidget(face);
  list->setObjectName(QStringLiteral("objects"));
  list->setUniformItemSizes(true);
  list->setSelectionMode(m_mode == kOpen ? QAbstractItemView::SingleSelection
                                         : QAbstractItemView::ExtendedSelection);
  const QIcon icon = record.m_bShowIcons != 0 ? HostTableIcon(table) : QIcon();
  std::vector<QString> names;
  for (const auto& info : table->getobjlist(record.m_nDbId)) names.push_back(Text(info->m_name));
  // In the host's order: letter case ignored, then exact.
  std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
    const int folded = a.compare(b, Qt::CaseInsensitive);
    return folded != 0 ? folded < 0 : a < b;
  });
  for (const QString& name : names) list->addItem(new QListWidgetItem(icon, name));
  const int rows = std::clamp(record.m_nListRows, kFewestRows, kMostRows);
  const int row =
      list->count() > 0
          ? list->sizeHintForRow(0)
          : std::max(list->fontMetrics().height(), record.m_bShowIcons != 0 ? 16 : 0) + 4;
  list->setFixedHeight(rows * row + 2 * list->frameWidth());
  layout->addWidget(list);
  page->m_pList = list;

  if (m_mode == kOpen) {
    auto* open = new QPushButton(QStringLiteral("Open &Stored"), face);
    open->setObjectName(QStringLiteral("openStored"));
    open->setEnabled(false);
    open->setAutoDefault(false);
    layout->addWidget(open, 0, Qt::AlignRight);
    connect(open, &QPushButton::clicked, this, &COrvFileDialog::OpenStoredObject);
    connect(list, &QListWidget::itemSelectionChanged, open,
            [list, open] { open->setEnabled(!list->selectedItems().isEmpty()); });
    connect(list, &QListWidget::itemActivated, this, [this] { OpenStoredObject(); });
    page->m_pOpen = open;
  }
  m_pageList.push_back(std::move(page));
  m_pPages->addTab(face, Text(record.m_strTitle));
}

QListWidget* COrvFileDialog::PageList(int objTable) const {
  for (const auto& page : m_pageList) {
    if (page->m_data.m_nObjTable == objTable) return page->m_pList;
  }
  return nullptr;
}

bool COrvFileDialog::ShowPage(int objTable, const std::vector<std::string>& names) {
  for (std::size_t i = 0; i < m_pageList.size(); ++i) {
    if (m_pageList[i]->m_data.m_nObjTable != objTable) continue;
    m_pPages->setCurrentIndex(static_cast<int>(i));
    QListWidget* list = m_pageList[i]->m_pList;
    list->clearSelection();
    for (const std::string& name : names) {
      const QList<QListWidgetItem*> found = list->findItems(Text(name), Qt::MatchExactly);
      for (QListWidgetItem* item : found) {
        item->setSelected(true);
        list->scrollToItem(item);
      }
      if (!found.isEmpty() && m_mode == kOpen) break;
    }
    return true;
  }
  return false;
}

COrvFileDialog::CPage* COrvFileDialog::CurrentPage() const {
  const int index = m_pPages->currentIndex();
  if (index < 0 || index >= static_cast<int>(m_pageList.size())) return nullptr;
  return m_pageList[static_cast<std::size_t>(index)].get();
}

void COrvFileDialog::OnPageShown(int index) {
  if (m_mode != kSave || index < 0 || index >= static_cast<int>(m_pageList.size())) return;
  // The file is the page's table's archive.
  CDBTableBase* table =
      engine().TableByID(m_pageList[static_cast<std::size_t>(index)]->m_data.m_nObjTable);
  if (table == nullptr) return;
  std::string extension = OrvFileTypeExtension(table->arcftype());
  if (!extension.empty() && extension.front() == '.') extension.erase(0, 1);
  if (extension.empty()) {
    setNameFilter(QStringLiteral("All Files (*)"));
    setDefaultSuffix(QString());
    return;
  }
  setNameFilter(Text(table->DescribeObjType(1, 0) + " Archives (*." + extension + ")"));
  setDefaultSuffix(Text(extension));
}

void COrvFileDialog::OpenStoredObject() {
  const CPage* page = CurrentPage();
  if (m_mode != kOpen || page == nullptr || page->m_pList->selectedItems().isEmpty()) return;
  m_bStoredChosen = true;
  done(QDialog::Accepted);
}

void COrvFileDialog::accept() {
  const CPage* page = CurrentPage();
  if (m_mode == kSave && (page == nullptr || page->m_pList->selectedItems().isEmpty())) {
    const QStringList files = selectedFiles();
    // A folder typed into the name box is entered, not saved into.
    if (files.isEmpty() || !QFileInfo(files.front()).isDir()) {
      UserInteraction().ShowMessage(
          page == nullptr ? std::string("No table offers anything to save.")
                          : "Choose the " + PluralOf(page->m_data.m_nObjTable) +
                                " to save on the page \"" + page->m_data.m_strTitle + "\".",
          MB_ICONEXCLAMATION);
      return;
    }
  }
  QFileDialog::accept();
}

int COrvFileDialog::DoModal() {
  m_choice = COrvFileChoice();
  m_bStoredChosen = false;
  if (exec() != QDialog::Accepted) return IDCANCEL;
  TakeChoice();
  if (m_choice.m_paths.empty() && m_choice.m_objects.empty()) {
    m_choice = COrvFileChoice();
    return IDCANCEL;
  }
  return IDOK;
}

void COrvFileDialog::TakeChoice() {
  if (!m_bStoredChosen) {
    for (const QString& path : selectedFiles()) m_choice.m_paths.push_back(path.toStdString());
  }
  const CPage* page = CurrentPage();
  if (page == nullptr) return;
  m_choice.m_nObjTable = page->m_data.m_nObjTable;
  // A file opened leaves the page's selection aside.
  if (m_mode == kOpen && !m_bStoredChosen) return;
  std::string joined;
  for (int i = 0; i < page->m_pList->count(); ++i) {  // in list order
    const QListWidgetItem* item = page->m_pList->item(i);
    if (!item->isSelected()) continue;
    m_choice.m_objects.push_back(item->text().toStdString());
    joined += (joined.empty() ? "" : "\n") + m_choice.m_objects.back();
  }
  if (page->m_data.m_pSelection != nullptr) *page->m_data.m_pSelection = joined;
}

}  // namespace blastsearch
