#include "search/dialog/TableSearchDlg.h"

#include <QLabel>
#include <QPushButton>
#include <QScreen>

#include "controls/CoolPropertySheet.h"
#include "host/OrvMessageBox.h"
#include "host/db/DBEngine.h"
#include "host/db/DBTableBase.h"
#include "host/qt/HostControls.h"
#include "host/qt/XTableComboBox.h"
#include "platform/UserInteraction.h"
#include "platform/qt/DialogBuilder.h"
#include "search/SearchFilter.h"
#include "search/dialog/SearchPropPage.h"

namespace blastsearch {

CTableSearch::CTableSearch(int objType, int dbId, QWidget* parent)
    : COrvDialog(5001, parent), m_dbId(dbId), m_objType(objType), m_run(*this, objType, dbId) {}

CTableSearch::~CTableSearch() {
  delete m_pSheet;  // gives the pages back to their owner
  m_pSheet = nullptr;
  m_filters.clear();
  m_pages.clear();
}

int CTableSearch::HasActiveFilter() const {
  for (const CSearchFilter* filter : m_filters) {
    if (filter != nullptr && filter->IsActive() != 0) return 1;
  }
  return 0;
}

void CTableSearch::AddFilterPage(CSearchFilter* filter, CSearchPropPage* page) {
  m_filters.push_back(filter);
  m_pages.push_back(page);
  m_run.AddFilter(filter);
}

int CTableSearch::OnInitDialog() {
  COrvDialog::OnInitDialog();
  std::string typeName = engine().DescribeObjType(m_objType, 1, 1);
  if (typeName.empty()) typeName = "objects";
  if (auto* header = qobject_cast<QLabel*>(GetDlgItem(1003)); header != nullptr) {
    header->setText(QString::fromStdString(
        "for " + typeName + " satisfying all of the specified search conditions below:"));
  }
  setWindowTitle(QString::fromStdString(typeName + " Database Search"));

  // Start Search answers whatever becomes of the rest: without the sheet a
  // search works with the filters as they stood.
  if (auto* start = qobject_cast<QPushButton*>(GetDlgItem(812)); start != nullptr) {
    connect(start, &QPushButton::clicked, this, [this] { OnStartSearch(); });
  }

  m_pSheet = new CCoolPropertySheet(QStringLiteral("Search"), this, 0);
  for (std::size_t i = 0; i < m_pages.size(); ++i) {
    m_pSheet->AddPage(m_pages[i]);
    m_pSheet->EnablePageCheck(static_cast<int>(i));
  }
  if (!PlaceSheet()) return 0;

  m_subbaseCombo = dynamic_cast<CXTableComboBox*>(GetDlgItem(116));
  if (m_subbaseCombo != nullptr) {
    FillLookIn();
    connect(m_subbaseCombo, &QComboBox::activated, this, [this] { OnSubbaseSelected(); });
  }
  UpdateData(false);
  CentreOnParent();
  return 0;
}

int CTableSearch::CreateSheetWindow() { return m_pSheet->Create(this); }

void CTableSearch::CentreOnParent() {
  QRect over;
  if (QWidget* parent = parentWidget(); parent != nullptr) {
    over = parent->window()->frameGeometry();
  } else if (QScreen* shown = screen(); shown != nullptr) {
    over = shown->availableGeometry();
  }
  if (over.isEmpty()) return;
  QRect place = frameGeometry();
  place.moveCenter(over.center());
  // Kept on the screen when the parent is near its edge.
  if (QScreen* shown = screen(); shown != nullptr) {
    const QRect area = shown->availableGeometry();
    if (place.right() > area.right()) place.moveRight(area.right());
    if (place.bottom() > area.bottom()) place.moveBottom(area.bottom());
    if (place.left() < area.left()) place.moveLeft(area.left());
    if (place.top() < area.top()) place.moveTop(area.top());
  }
  move(place.topLeft());
}

bool CTableSearch::PlaceSheet() {
  QWidget* frame = GetDlgItem(2552);
  if (frame == nullptr) return true;
  const QRect place = frame->geometry();
  delete frame;
  CreateSheetWindow();
  if (!m_pSheet->HasWindow()) {
    m_pSheet->hide();  // a child without a window of its own shows nothing
    return false;
  }
  m_pSheet->setGeometry(place);
  for (QPushButton* button :
       m_pSheet->findChildren<QPushButton*>(QString(), Qt::FindDirectChildrenOnly)) {
    const int id = GetDlgCtrlID(button);
    if (id == 1 || id == 2) delete button;
  }
  for (std::size_t i = 0; i < m_pages.size(); ++i) {
    m_pSheet->SetPageCheck(static_cast<int>(i), m_pages[i]->m_bInitialCheck);
  }
  m_pSheet->show();
  return true;
}

void CTableSearch::FillLookIn() {
  for (CDBTableBase* table : engine().get_tables()) {
    m_subbaseCombo->RegisterItemIcon(table->tableobjtype(), HostTableIcon(table));
  }
  m_subbaseCombo->ResetFromTable(m_objType, m_dbId, m_lookInSubbase);
}

void CTableSearch::OnSubbaseSelected() {
  if (m_subbaseCombo != nullptr) m_lookInSubbase = m_subbaseCombo->GetCurSubbase();
}

void CTableSearch::OnStartSearch() {
  UpdateData(true);
  // A page switched on that cannot be searched with is said, not ignored.
  for (std::size_t i = 0; i < m_pages.size(); ++i) {
    m_pages[i]->UpdateFilter();
    const std::string missing = m_pages[i]->Incomplete();
    if (missing.empty()) continue;
    if (m_pSheet != nullptr) m_pSheet->SetActivePage(static_cast<int>(i));
    OrvMessageBox(missing.c_str(), MB_ICONEXCLAMATION, 0);
    return;
  }
  m_run.m_lookInSubbase = m_lookInSubbase;
  m_run.OnStartSearch();
}

void CTableSearch::CDialogRun::UpdateFilters() {
  for (CSearchPropPage* page : m_dialog.m_pages) page->UpdateFilter();
}

void CTableSearch::CDialogRun::OnSubbaseFilled(const std::string& name) {
  m_dialog.m_resultSubbase = name;
  if (m_dialog.m_subbaseCombo != nullptr) m_dialog.FillLookIn();
  if (QWidget* close = m_dialog.GetDlgItem(2); close != nullptr) SetDlgCtrlID(close, 1);
}

}  // namespace blastsearch
