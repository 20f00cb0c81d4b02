#include "gui/HostWindow.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "host/db/DBEngine.h"
#include "host/db/DBTableBase.h"
#include "host/db/ObjInfo.h"

namespace {

// The first table that a loaded extension registered; null when none is.
CDBTableBase* ShownTable() {
  const std::vector<CDBTableBase*> tables = engine().get_tables();
  return tables.empty() ? nullptr : tables.front();
}

}  // namespace

CHostWindow::CHostWindow()
    : m_pObjects(new QListWidget(this)),
      m_pSearch(new QPushButton(QStringLiteral("Search..."), this)),
      m_pStatus(new QLabel(this)) {
  setWindowTitle(QStringLiteral("BLAST Results"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_pObjects);
  layout->addWidget(m_pStatus);
  layout->addWidget(m_pSearch);
  connect(m_pSearch, &QPushButton::clicked, this, [this] { OnSearch(); });
  resize(420, 480);
  Refill();
}

void CHostWindow::Refill() {
  m_pObjects->clear();
  CDBTableBase* table = ShownTable();
  if (table == nullptr) {
    m_pStatus->setText(QStringLiteral("No extension library is loaded."));
    return;
  }
  for (const auto& record : table->getobjlist(1)) {
    m_pObjects->addItem(QString::fromStdString(record->m_name));
  }
}

void CHostWindow::OnSearch() {
  CDBTableBase* table = ShownTable();
  std::string subbase;
  if (table != nullptr && table->SearchForObjects(1, "MAIN", subbase) == 1 && !subbase.empty()) {
    m_pStatus->setText(QStringLiteral("Found: subbase '%1'").arg(QString::fromStdString(subbase)));
  }
  Refill();
}
