#include "search/dialog/ContextSearchDlg.h"

#include <QLineEdit>
#include <QPushButton>

#include "host/db/DBEngine.h"
#include "host/db/DBField.h"
#include "host/qt/HostControls.h"
#include "host/qt/IconTextListBox.h"
#include "search/ContextFilter.h"
#include "search/SearchSubstrings.h"

namespace blastsearch {

namespace {

// The built-in fields the page lists, in its order, and the label of each
// code a saved selection may hold.
struct CFieldLabel {
  int m_nCode;
  const char* m_pszLabel;
};
constexpr CFieldLabel kListedFields[] = {
    {CContextFilter::kCodeComment, "Comment"},
    {CContextFilter::kCodeAuthor, "Author"},
    {CContextFilter::kCodeOriginalAuthor, "Original Author"},
};

const char* LabelOfCode(int code) {
  if (code == CContextFilter::kCodeDescription) return "Description";
  for (const CFieldLabel& field : kListedFields) {
    if (field.m_nCode == code) return field.m_pszLabel;
  }
  return nullptr;
}

}  // namespace

CContextSearchDlg::CContextSearchDlg(CContextFilter* filter, int objType, int dbId)
    : CSearchPropPage(objType, dbId, 5004), m_pFilter(filter) {
  m_bInitialCheck = filter->m_bEnabled;
}

void CContextSearchDlg::DoDataExchange(CDataExchange& dx) {
  m_newSubstringEdit = qobject_cast<QLineEdit*>(GetDlgItem(2310));
  m_removeButton = qobject_cast<QPushButton*>(GetDlgItem(509));
  m_addButton = qobject_cast<QPushButton*>(GetDlgItem(926));
  DDX_Text(dx, 2310, m_strNewSubstring);
  DDX_Check(dx, 2269, m_pFilter->m_bMatchCase);
  if (m_substringList != nullptr) {
    if (m_removeButton != nullptr) m_removeButton->setEnabled(m_substringList->GetSelCount() > 0);
    if (m_addButton != nullptr) m_addButton->setEnabled(!m_strNewSubstring.empty());
  }
}

int CContextSearchDlg::OnInitDialog() {
  CSearchPropPage::OnInitDialog();
  m_substringList = dynamic_cast<CIconTextListBox*>(GetDlgItem(686));
  m_fieldList = dynamic_cast<CIconTextListBox*>(GetDlgItem(2225));
  if (m_substringList == nullptr || m_fieldList == nullptr) return 0;
  m_substringList->SubclassDlgITLBox(318, 255, -1);
  for (const std::string& text : m_pFilter->m_substrings) m_substringList->AddString(text, 1);
  m_fieldList->SubclassDlgITLBox(305, 255, -1);
  m_fieldList->SetCheckListMode(1);
  FillFieldList();
  RestoreFieldSelection();

  connect(m_addButton, &QPushButton::clicked, this, [this] { OnAdd(); });
  connect(m_removeButton, &QPushButton::clicked, this, [this] { OnRemove(); });
  connect(m_substringList, &QListWidget::itemSelectionChanged, this, [this] { UpdateData(true); });
  connect(m_substringList, &QListWidget::itemDoubleClicked, this, [this] { OnRemove(); });
  connect(m_newSubstringEdit, &QLineEdit::textChanged, this, [this] { UpdateData(true); });

  m_newSubstringEdit->setFocus();
  UpdateData(false);
  EnablePage(m_pFilter->m_bEnabled);
  return 0;
}

void CContextSearchDlg::FillFieldList() {
  for (const CFieldLabel& field : kListedFields) {
    m_fieldList->AddString(field.m_pszLabel, 0, field.m_nCode);
  }
  CDBStorage* storage = engine().Storage(1);
  if (storage == nullptr) return;
  try {
    for (const CUDFieldDef& def : storage->UDFieldDefs()) {
      if (def.m_objType == 0 || def.m_objType == m_objType) {
        m_fieldList->AddString(def.m_strName, def.m_valueKind, kFieldUDField);
      }
    }
  } catch (const std::exception&) {
    // a database that cannot list its fields offers the built-in ones only
  }
}

void CContextSearchDlg::RestoreFieldSelection() {
  for (const std::string& code : m_pFilter->m_fieldCodes) {
    const char* label = LabelOfCode(std::atoi(code.c_str()));
    const int index = label != nullptr ? FindStringExactCase(*m_fieldList, -1, label) : -1;
    if (index >= 0) m_fieldList->SetSel(index, true);
  }
  for (const std::string& name : m_pFilter->m_udfNames) {
    const int index = FindStringExactCase(*m_fieldList, -1, name);
    if (index >= 0) m_fieldList->SetSel(index, true);
  }
}

void CContextSearchDlg::OnAdd() {
  UpdateData(true);
  m_newSubstringEdit->setFocus();
  m_newSubstringEdit->selectAll();
  if (m_strNewSubstring.empty() ||
      FindStringExactCase(*m_substringList, -1, m_strNewSubstring) >= 0) {
    return;
  }
  if (check_string_value(m_strNewSubstring, m_newSubstringEdit, kForbiddenSubstringChars) == 0) {
    return;
  }
  m_substringList->AddString(m_strNewSubstring, 1);
  UpdateData(false);
}

void CContextSearchDlg::OnRemove() {
  UpdateData(true);
  if (m_substringList->GetCount() == 0) return;
  std::vector<std::string> kept;
  for (int i = 0; i < m_substringList->GetCount(); ++i) {
    if (m_substringList->GetSel(i) == 0) kept.push_back(m_substringList->GetText(i));
  }
  m_substringList->setUpdatesEnabled(false);
  m_substringList->ResetContent();
  for (const std::string& text : kept) m_substringList->AddString(text, 1);
  m_substringList->setUpdatesEnabled(true);
  m_substringList->update();
  UpdateData(false);
}

int CContextSearchDlg::UpdateFilter() {
  if (!HasWindow() || m_substringList == nullptr) return 0;
  UpdateData(true);
  m_pFilter->m_substrings.clear();
  m_pFilter->m_udfNames.clear();
  m_pFilter->m_fieldCodes.clear();
  for (int i = 0; i < m_substringList->GetCount(); ++i) {
    m_pFilter->m_substrings.push_back(m_substringList->GetText(i));
  }
  for (int i = 0; i < m_fieldList->GetCount(); ++i) {
    if (m_fieldList->GetSel(i) == 0) continue;
    if (m_fieldList->GetItemData(i) == kFieldUDField) {
      m_pFilter->m_udfNames.push_back(m_fieldList->GetText(i));
    } else {
      m_pFilter->m_fieldCodes.push_back(std::to_string(m_fieldList->GetItemData(i)));
    }
  }
  return 1;
}

std::string CContextSearchDlg::Incomplete() const {
  if (m_pFilter->m_bEnabled == 0) return {};
  if (m_pFilter->m_substrings.empty()) {
    return "Text: add a text to look for, or untick the Text tab.";
  }
  if (m_pFilter->m_fieldCodes.empty() && m_pFilter->m_udfNames.empty()) {
    return "Text: tick at least one field to look in, or untick the Text tab.";
  }
  return {};
}

void CContextSearchDlg::EnablePage(int enable) {
  CSearchPropPage::EnablePage(enable);
  m_pFilter->m_bEnabled = enable;
  if (enable != 0) UpdateData(false);
}

}  // namespace blastsearch
