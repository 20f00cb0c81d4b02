#pragma once

#include <memory>
#include <string>

#include "host/db/SMDlg.h"
#include "platform/Export.h"
#include "platform/UserInteraction.h"

namespace blastsearch BLASTSEARCH_EXPORT {

// The host's progress window shown through the user-interaction service: a
// window in the desktop host, a line on a terminal, a log in tests. Opened
// at construction, closed by Close() or destruction. Owned by its creator.
class CServiceSMDlg : public CSMDlg {
 public:
  // Opens a display of the service in use (UserInteraction()).
  CServiceSMDlg();
  ~CServiceSMDlg() override;

  void SetTitle(const std::string& title) override;
  void SetMessage(const std::string& message) override;
  // Closes the display; later titles and messages are only kept.
  void Close() override;

 private:
  std::unique_ptr<CProgressDisplay> m_pDisplay;
};

}  // namespace BLASTSEARCH_EXPORT
