#include "search/dialog/SearchPropPage.h"

#include "controls/CoolPropertySheet.h"

namespace blastsearch {

CSearchPropPage::CSearchPropPage(int objType, int dbId, int layoutId)
    : COrvPropertyPage(layoutId), m_objType(objType), m_dbId(dbId) {}

void CSearchPropPage::EnablePage(int enable) {
  for (QWidget* child : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
    child->setEnabled(enable != 0);
  }
}

bool CSearchPropPage::event(QEvent* event) {
  if (static_cast<int>(event->type()) == CheckNotifyMessage()) {
    auto* message = static_cast<CWindowMessage*>(event);
    message->m_lResult = OnCheckNotify(message->m_wParam, message->m_lParam);
    return true;
  }
  return COrvPropertyPage::event(event);
}

LRESULT CSearchPropPage::OnCheckNotify(WPARAM, LPARAM) {
  if (auto* sheet = dynamic_cast<CCoolPropertySheet*>(GetParentSheet()); sheet != nullptr) {
    EnablePage(sheet->GetPageCheck(sheet->GetPageIndex(this)));
  }
  return 1;
}

}  // namespace blastsearch
