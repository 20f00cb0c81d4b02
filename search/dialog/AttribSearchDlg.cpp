#include "search/dialog/AttribSearchDlg.h"

#include <QAbstractButton>

#include "search/AttribFilter.h"

namespace blastsearch {

CAttribSearchDlg::CAttribSearchDlg(CAttribFilter* filter, int objType, int dbId)
    : CSearchPropPage(objType, dbId, 5003), m_pFilter(filter) {
  m_bInitialCheck = filter->m_bEnabled;
}

void CAttribSearchDlg::DoDataExchange(CDataExchange& dx) {
  DDX_Text(dx, 1000, m_pFilter->m_queryName);
  DDX_Check(dx, 1004, m_pFilter->m_bUpTo10);
  DDX_Check(dx, 1005, m_pFilter->m_b11To100);
  DDX_Check(dx, 1006, m_pFilter->m_bOver100);
}

int CAttribSearchDlg::OnInitDialog() {
  CSearchPropPage::OnInitDialog();
  EnablePage(m_pFilter->m_bEnabled);
  for (int id : {1004, 1005, 1006}) {
    if (auto* box = qobject_cast<QAbstractButton*>(GetDlgItem(id)); box != nullptr) {
      box->setChecked(true);
    }
  }
  return 1;
}

int CAttribSearchDlg::UpdateFilter() {
  if (!HasWindow()) return 0;
  UpdateData(true);
  return 1;
}

void CAttribSearchDlg::EnablePage(int enable) {
  CSearchPropPage::EnablePage(enable);
  m_pFilter->m_bEnabled = enable;
}

}  // namespace blastsearch
