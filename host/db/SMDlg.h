#pragma once

#include <cstddef>
#include <string>

#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

// The host's progress window: a title, a message and a stop request. This
// form shows nothing; window and terminal forms derive from it. Owned by its
// creator; operations that take one only report through it.
class CSMDlg {
 public:
  CSMDlg() = default;
  CSMDlg(const CSMDlg&) = delete;
  CSMDlg& operator=(const CSMDlg&) = delete;
  virtual ~CSMDlg() = default;

  virtual void SetTitle(const std::string& title) { m_strTitle = title; }
  virtual void SetMessage(const std::string& message) { m_strMessage = message; }
  // Progress `done` of `total` steps.
  virtual void SetProgress(std::size_t done, std::size_t total) {
    m_nDone = done;
    m_nTotal = total;
  }
  // Non-zero when the person asked to stop.
  virtual int StopRequested() const { return 0; }
  virtual void Close() {}

  const std::string& GetTitle() const { return m_strTitle; }
  const std::string& GetMessage() const { return m_strMessage; }

 private:
  std::string m_strTitle;
  std::string m_strMessage;
  std::size_t m_nDone = 0;
  std::size_t m_nTotal = 0;
};

}  // namespace BLASTSEARCH_EXPORT
