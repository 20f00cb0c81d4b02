#include "gui/HostWindow.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "host/db/ObjInfo.h"
#include "table/BlastSearchTable.h"

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
  for (const auto& record : blastSearch().getobjlist(1)) {
    m_pObjects->addItem(QString::fromStdString(record->m_name));
  }
}

void CHostWindow::OnSearch() {
  std::string subbase;
  if (blastSearch().SearchForObjects(1, "MAIN", subbase) == 1 && !subbase.empty()) {
    m_pStatus->setText(QStringLiteral("Found: subbase '%1'").arg(QString::fromStdString(subbase)));
  }
  Refill();
}
