#include "host/qt/OrvPropertySheet.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

#include "host/qt/OrvDialog.h"
#include "platform/qt/DialogBuilder.h"

namespace blastsearch {

namespace {

// A tab widget whose tab strip the sheet chooses.
class CSheetTabs : public QTabWidget {
 public:
  using QTabWidget::QTabWidget;
  using QTabWidget::setTabBar;
};

}  // namespace

COrvPropertySheet::COrvPropertySheet() = default;

COrvPropertySheet::COrvPropertySheet(const QString& caption, QWidget* parent, int firstPage)
    : QWidget(parent), m_nFirstPage(firstPage) {
  setWindowTitle(caption);
}

COrvPropertySheet::~COrvPropertySheet() {
  if (m_pTabs != nullptr) m_pTabs->disconnect(this);
  for (COrvPropertyPage* page : m_pages) {
    if (page->parentWidget() != nullptr) {
      page->hide();
      page->setParent(nullptr);
    }
    page->m_pSheet = nullptr;
  }
}

void COrvPropertySheet::AddPage(COrvPropertyPage* page) {
  if (page == nullptr) return;
  page->m_pSheet = this;
  m_pages.push_back(page);
}

COrvPropertyPage* COrvPropertySheet::GetPage(int index) const {
  return index >= 0 && index < GetPageCount() ? m_pages[static_cast<std::size_t>(index)] : nullptr;
}

int COrvPropertySheet::GetPageIndex(const COrvPropertyPage* page) const {
  for (int i = 0; i < GetPageCount(); ++i) {
    if (m_pages[static_cast<std::size_t>(i)] == page) return i;
  }
  return -1;
}

int COrvPropertySheet::GetActiveIndex() const {
  return m_pTabs != nullptr ? m_pTabs->currentIndex() : -1;
}

int COrvPropertySheet::SetActivePage(int index) {
  if (m_pTabs == nullptr || GetPage(index) == nullptr) return 0;
  m_pTabs->setCurrentIndex(index);
  OnCurrentChanged(index);
  return 1;
}

int COrvPropertySheet::Create(QWidget* parent) {
  if (m_pTabs != nullptr) return 0;
  if (parent != nullptr) setParent(parent);
  auto* tabs = new CSheetTabs(this);
  m_pTabBar = MakeTabBar();
  m_pTabBar->setElideMode(Qt::ElideNone);
  m_pTabBar->setUsesScrollButtons(true);
  tabs->setTabBar(m_pTabBar);
  m_pTabs = tabs;
  for (COrvPropertyPage* page : m_pages) m_pTabs->addTab(page, page->GetCaption());

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  for (const auto& [id, text] : {std::pair{1, "OK"}, std::pair{2, "Cancel"}}) {
    auto* button = new QPushButton(QString::fromUtf8(text), this);
    SetDlgCtrlID(button, id);
    buttons->addWidget(button);
  }
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(m_pTabs);
  layout->addLayout(buttons);

  OnInitDialog();
  const int first = GetPage(m_nFirstPage) != nullptr ? m_nFirstPage : 0;
  SetActivePage(first);
  connect(m_pTabs, &QTabWidget::currentChanged, this,
          [this](int index) { OnCurrentChanged(index); });
  return 1;
}

void COrvPropertySheet::OnCurrentChanged(int index) {
  if (COrvPropertyPage* page = GetPage(index); page != nullptr && !page->HasWindow()) {
    page->CreatePage(page->parentWidget());
  }
}

int COrvPropertySheet::OnInitDialog() { return 1; }

QTabBar* COrvPropertySheet::MakeTabBar() { return new QTabBar; }

}  // namespace blastsearch
