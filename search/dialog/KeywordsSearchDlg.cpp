#include "search/dialog/KeywordsSearchDlg.h"

#include <QLabel>
#include <QPushButton>
#include <algorithm>

#include "host/db/DBEngine.h"
#include "host/db/DBTableBase.h"
#include "host/qt/IconTextListBox.h"
#include "host/qt/ValDlg.h"
#include "search/KeywordFilter.h"

namespace blastsearch {

CKeywordsSearchDlg::CKeywordsSearchDlg(CKeywordFilter* filter, int objType, int dbId)
    : CSearchPropPage(objType, dbId, 5002), m_pFilter(filter) {
  m_bInitialCheck = filter->m_bEnabled;
}

void CKeywordsSearchDlg::DoDataExchange(CDataExchange&) {
  m_removeButton = qobject_cast<QPushButton*>(GetDlgItem(2265));
  m_removeAllButton = qobject_cast<QPushButton*>(GetDlgItem(120));
  m_addButton = qobject_cast<QPushButton*>(GetDlgItem(926));
  if (m_keywordList != nullptr && m_removeButton != nullptr && m_removeAllButton != nullptr) {
    m_removeButton->setEnabled(m_keywordList->GetSelCount() > 0);
    m_removeAllButton->setEnabled(m_keywordList->GetCount() > 0);
  }
}

int CKeywordsSearchDlg::OnInitDialog() {
  CSearchPropPage::OnInitDialog();
  m_keywordList = dynamic_cast<CIconTextListBox*>(GetDlgItem(966));
  if (m_keywordList == nullptr) return 0;
  m_keywordList->SubclassDlgITLBox(318, 255, -1);
  if (auto* header = qobject_cast<QLabel*>(GetDlgItem(1003)); header != nullptr) {
    std::string typeName = engine().DescribeObjType(m_objType, 1, 1);
    if (typeName.empty()) typeName = "objects";
    header->setText(QString::fromStdString("Find only " + typeName +
                                           " with one or more of the following keywords:"));
  }
  connect(m_addButton, &QPushButton::clicked, this, [this] { OnAddKeywords(); });
  connect(m_removeAllButton, &QPushButton::clicked, this, [this] { OnRemoveAll(); });
  connect(m_removeButton, &QPushButton::clicked, this, [this] { OnRemove(); });
  connect(m_keywordList, &QListWidget::itemSelectionChanged, this, [this] { UpdateData(false); });
  FillKeywordList();
  m_addButton->setFocus();
  UpdateData(false);
  EnablePage(m_pFilter->m_bEnabled);
  return 0;
}

void CKeywordsSearchDlg::FillKeywordList() {
  m_keywordList->setUpdatesEnabled(false);
  m_keywordList->ResetContent();
  for (const std::string& keyword : m_pFilter->m_keywords) m_keywordList->AddString(keyword, 0);
  m_keywordList->setUpdatesEnabled(true);
  m_keywordList->update();
}

void CKeywordsSearchDlg::OnAddKeywords() {
  UpdateData(true);
  CDBTableBase* table = engine().TableByID(engine().ObjtypeToObjtable(m_objType));
  const std::string title = engine().DescribeObjType(m_objType, 1, 1) + " keywords";
  const std::vector<std::string> all =
      table != nullptr ? table->getkwlist(m_dbId) : std::vector<std::string>();
  CValDlg dialog(title, m_pFilter->m_keywords, all, this);
  if (dialog.DoModal() == 1) {
    m_pFilter->m_keywords = dialog.GetValues();
    FillKeywordList();
  }
  UpdateData(false);
}

void CKeywordsSearchDlg::OnRemove() {
  UpdateData(true);
  std::vector<std::string>& keywords = m_pFilter->m_keywords;
  for (int i = 0; i < m_keywordList->GetCount(); ++i) {
    if (m_keywordList->GetSel(i) == 0) continue;
    const auto found = std::find(keywords.begin(), keywords.end(), m_keywordList->GetText(i));
    if (found != keywords.end()) keywords.erase(found);
  }
  FillKeywordList();
  UpdateData(false);
}

void CKeywordsSearchDlg::OnRemoveAll() {
  UpdateData(true);
  m_pFilter->m_keywords.clear();
  FillKeywordList();
  UpdateData(false);
}

int CKeywordsSearchDlg::UpdateFilter() {
  if (!HasWindow()) return 0;
  UpdateData(true);
  return 1;
}

void CKeywordsSearchDlg::EnablePage(int enable) {
  CSearchPropPage::EnablePage(enable);
  m_pFilter->m_bEnabled = enable;
  if (enable != 0) UpdateData(false);
}

}  // namespace blastsearch
