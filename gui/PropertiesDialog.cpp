#include "gui/PropertiesDialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QTableWidget>
#include <QVBoxLayout>

#include "host/qt/ScreenFit.h"

namespace blastsearch {

CPropertiesDialog::CPropertiesDialog(const QString& title, const Rows& rows, QWidget* parent)
    : QDialog(parent), m_pValues(new QTableWidget(static_cast<int>(rows.size()), 2, this)) {
  setWindowTitle(title);
  m_pValues->setHorizontalHeaderLabels({QStringLiteral("Field"), QStringLiteral("Value")});
  m_pValues->verticalHeader()->hide();
  m_pValues->setEditTriggers(QAbstractItemView::NoEditTriggers);
  m_pValues->setSelectionBehavior(QAbstractItemView::SelectRows);
  m_pValues->horizontalHeader()->setStretchLastSection(true);
  for (int row = 0; row < static_cast<int>(rows.size()); ++row) {
    const auto& [name, value] = rows[static_cast<std::size_t>(row)];
    m_pValues->setItem(row, 0, new QTableWidgetItem(QString::fromStdString(name)));
    m_pValues->setItem(row, 1, new QTableWidgetItem(QString::fromStdString(value)));
  }
  m_pValues->resizeColumnToContents(0);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_pValues);
  layout->addWidget(buttons);
  resize(420, 80 + 28 * static_cast<int>(rows.size()));
  FitToScreen(this);
}

}  // namespace blastsearch
