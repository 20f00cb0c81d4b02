#include "host/qt/ValDlg.h"

#include <QAbstractButton>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "host/qt/HostControls.h"

namespace blastsearch {

CValDlg::CValDlg(const std::string& title, const std::vector<std::string>& chosen,
                 const std::vector<std::string>& all, QWidget* parent)
    : QDialog(parent),
      m_chosenBefore(chosen),
      m_pList(new QListWidget(this)),
      m_pEdit(new QLineEdit(this)) {
  setWindowTitle(QString::fromStdString(title));
  m_pList->setSortingEnabled(false);
  for (const std::string& value : all) AddValue(value, false);
  for (const std::string& value : chosen) AddValue(value, true);

  auto* add = new QPushButton(tr("Add"), this);
  auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  auto* row = new QHBoxLayout;
  row->addWidget(m_pEdit);
  row->addWidget(add);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_pList);
  layout->addLayout(row);
  layout->addWidget(box);
  // Enter adds the typed value; only the OK button ends the dialog with OK.
  add->setDefault(true);
  for (QAbstractButton* button : box->buttons()) {
    if (auto* push = qobject_cast<QPushButton*>(button); push != nullptr)
      push->setAutoDefault(false);
  }
  connect(add, &QPushButton::clicked, this, [this] { OnAddValue(); });
  connect(box, &QDialogButtonBox::accepted, this, [this] { OnOK(); });
  connect(box, &QDialogButtonBox::rejected, this, [this] { done(2); });
}

int CValDlg::DoModal() { return exec(); }

int CValDlg::AddValue(const std::string& value, bool checked) {
  const QString text = QString::fromStdString(value);
  for (int i = 0; i < m_pList->count(); ++i) {
    if (m_pList->item(i)->text() == text) {
      if (checked) m_pList->item(i)->setCheckState(Qt::Checked);
      return i;
    }
  }
  auto* item = new QListWidgetItem(text, m_pList);
  item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
  item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
  return m_pList->count() - 1;
}

void CValDlg::OnAddValue() {
  const std::string value = m_pEdit->text().trimmed().toStdString();
  if (value.empty() || check_string_value(value, m_pEdit, "") == 0) return;
  m_pList->setCurrentRow(AddValue(value, true));
  m_pEdit->clear();
}

void CValDlg::OnOK() {
  m_values.clear();
  std::vector<std::string> checked;
  for (int i = 0; i < m_pList->count(); ++i) {
    if (m_pList->item(i)->checkState() == Qt::Checked) {
      checked.push_back(m_pList->item(i)->text().toStdString());
    }
  }
  for (const std::string& value : m_chosenBefore) {
    if (std::find(checked.begin(), checked.end(), value) != checked.end() &&
        std::find(m_values.begin(), m_values.end(), value) == m_values.end()) {
      m_values.push_back(value);
    }
  }
  for (const std::string& value : checked) {
    if (std::find(m_values.begin(), m_values.end(), value) == m_values.end()) {
      m_values.push_back(value);
    }
  }
  done(1);
}

}  // namespace blastsearch
