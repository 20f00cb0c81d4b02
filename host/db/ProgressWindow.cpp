#include "host/db/ProgressWindow.h"

namespace blastsearch {

CServiceSMDlg::CServiceSMDlg() : m_pDisplay(UserInteraction().OpenProgress()) {}

CServiceSMDlg::~CServiceSMDlg() = default;

void CServiceSMDlg::SetTitle(const std::string& title) {
  CSMDlg::SetTitle(title);
  if (m_pDisplay) m_pDisplay->SetTitle(title);
}

void CServiceSMDlg::SetMessage(const std::string& message) {
  CSMDlg::SetMessage(message);
  if (m_pDisplay) m_pDisplay->SetMessage(message);
}

void CServiceSMDlg::Close() { m_pDisplay.reset(); }

}  // namespace blastsearch
