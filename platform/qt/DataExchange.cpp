#include "platform/qt/DataExchange.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>

#include "platform/qt/DialogBuilder.h"

namespace blastsearch {

void DDX_Text(CDataExchange& dx, int id, std::string& value) {
  QWidget* control = GetDlgItem(dx.m_pDlgWnd, id);
  if (auto* edit = qobject_cast<QLineEdit*>(control); edit != nullptr) {
    if (dx.m_bSaveAndValidate) {
      value = edit->text().toStdString();
    } else if (edit->text().toStdString() != value) {
      edit->setText(QString::fromStdString(value));  // unchanged text keeps its selection
    }
  } else if (auto* label = qobject_cast<QLabel*>(control); label != nullptr) {
    if (dx.m_bSaveAndValidate) {
      value = label->text().toStdString();
    } else {
      label->setText(QString::fromStdString(value));
    }
  }
}

void DDX_Check(CDataExchange& dx, int id, int& value) {
  auto* box = qobject_cast<QAbstractButton*>(GetDlgItem(dx.m_pDlgWnd, id));
  if (box == nullptr) return;
  if (dx.m_bSaveAndValidate) {
    value = box->isChecked() ? 1 : 0;
  } else {
    box->setChecked(value != 0);
  }
}

}  // namespace blastsearch
