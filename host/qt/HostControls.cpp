#include "host/qt/HostControls.h"

#include <QApplication>
#include <QLineEdit>
#include <QStyle>
#include <cstring>
#include <memory>

#include "host/OrvMessageBox.h"
#include "host/db/DBFunctions.h"
#include "host/db/DBTableBase.h"
#include "host/qt/IconTextListBox.h"
#include "host/qt/XTableComboBox.h"
#include "platform/ImageList.h"
#include "platform/UserInteraction.h"
#include "platform/qt/DialogBuilder.h"
#include "platform/qt/WindowResources.h"

namespace blastsearch {

namespace {

QWidget* MakeIconTextListBox(QWidget* parent, const CControlLayout& control) {
  auto* box = new CIconTextListBox(parent, (control.m_nStyle & LBS_SORT) != 0);
  if ((control.m_nStyle & LBS_EXTENDEDSEL) != 0) {
    box->setSelectionMode(QAbstractItemView::ExtendedSelection);
  } else if ((control.m_nStyle & LBS_MULTIPLESEL) != 0) {
    box->setSelectionMode(QAbstractItemView::MultiSelection);
  }
  return box;
}

QWidget* MakeTableComboBox(QWidget* parent, const CControlLayout&) {
  return new CXTableComboBox(parent);
}

int Refuse(const std::string& text, QLineEdit* edit) {
  OrvMessageBox(text.c_str(), MB_ICONSTOP, 0);
  if (edit != nullptr) {
    edit->setFocus();
    edit->selectAll();
  }
  return 0;
}

}  // namespace

void InstallHostControls() {
  SetControlFactory(EControlKind::kListBox, &MakeIconTextListBox);
  SetControlFactory(EControlKind::kComboList, &MakeTableComboBox);
}

QIcon HostTableIcon(CDBTableBase* table) {
  if (table != nullptr) {
    const std::unique_ptr<CIcon> icon(table->GetContextIcon(1));
    if (icon != nullptr) return ToQIcon(*icon);
  }
  return QApplication::style()->standardIcon(QStyle::SP_DirIcon);
}

int check_string_value(const std::string& text, QLineEdit* edit, const char* forbidden) {
  for (char c : text) {
    if (c != '\0' && forbidden != nullptr && std::strchr(forbidden, c) != nullptr) {
      return Refuse(std::string("The text \"") + text + "\" may not hold the character '" + c +
                        "'. Characters that cannot be used: " + forbidden,
                    edit);
    }
  }
  if (check_string_value(text) == 0) {
    return Refuse(
        "The text may hold at most 250 characters and no line ends or other control "
        "characters.",
        edit);
  }
  return 1;
}

}  // namespace blastsearch
