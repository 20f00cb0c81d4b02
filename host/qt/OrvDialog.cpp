#include "host/qt/OrvDialog.h"

#include <QAbstractButton>

#include "host/qt/HostControls.h"
#include "platform/qt/DialogBuilder.h"

namespace blastsearch {

COrvDialog::COrvDialog(int layoutId, QWidget* parent) : QDialog(parent), m_nLayoutId(layoutId) {
  InstallHostControls();
}

COrvDialog::~COrvDialog() = default;

int COrvDialog::Create() {
  if (m_bCreated) return 1;
  m_bCreated = true;
  if (const CDialogLayout* layout = FindDialogLayout(m_nLayoutId); layout != nullptr) {
    setWindowTitle(QString::fromUtf8(layout->m_pszCaption));
    BuildDialogControls(this, *layout);
    setFixedSize(size());
  }
  for (QAbstractButton* button : findChildren<QAbstractButton*>()) {
    connect(button, &QAbstractButton::clicked, this, [this, button] { OnButton(button); });
  }
  OnInitDialog();
  return 1;
}

int COrvDialog::DoModal() {
  Create();
  return exec();
}

void COrvDialog::OnButton(QWidget* button) {
  const int id = GetDlgCtrlID(button);
  if (id == 1 || id == 2) done(id);
}

int COrvDialog::UpdateData(bool saveAndValidate) {
  CDataExchange dx(this, saveAndValidate);
  DoDataExchange(dx);
  return 1;
}

QWidget* COrvDialog::GetDlgItem(int id) const { return blastsearch::GetDlgItem(this, id); }

int COrvDialog::OnInitDialog() {
  UpdateData(false);
  return 1;
}

void COrvDialog::DoDataExchange(CDataExchange&) {}

COrvPropertyPage::COrvPropertyPage(int layoutId) : m_nLayoutId(layoutId) { InstallHostControls(); }

COrvPropertyPage::~COrvPropertyPage() = default;

QString COrvPropertyPage::GetCaption() const {
  const CDialogLayout* layout = FindDialogLayout(m_nLayoutId);
  return layout != nullptr ? QString::fromUtf8(layout->m_pszCaption) : QString();
}

int COrvPropertyPage::CreatePage(QWidget* parent) {
  if (m_bCreated) return 1;
  m_bCreated = true;
  if (parent != nullptr && parentWidget() != parent) setParent(parent);
  if (const CDialogLayout* layout = FindDialogLayout(m_nLayoutId); layout != nullptr) {
    BuildDialogControls(this, *layout);
  }
  OnInitDialog();
  return 1;
}

int COrvPropertyPage::UpdateData(bool saveAndValidate) {
  CDataExchange dx(this, saveAndValidate);
  DoDataExchange(dx);
  return 1;
}

QWidget* COrvPropertyPage::GetDlgItem(int id) const { return blastsearch::GetDlgItem(this, id); }

int COrvPropertyPage::OnInitDialog() {
  UpdateData(false);
  return 1;
}

void COrvPropertyPage::DoDataExchange(CDataExchange&) {}

}  // namespace blastsearch
