#pragma once

#include <string>

#include "host/qt/OrvDialog.h"
#include "platform/Export.h"
#include "platform/qt/WindowMessage.h"

namespace blastsearch BLASTSEARCH_EXPORT {

// A page of the search dialog: it edits one search filter, and its tab's
// check box switches the page (and the filter) on and off. Owned by whoever
// made it (SearchForObjects); the filter is the search's and outlives it.
class CSearchPropPage : public COrvPropertyPage {
 public:
  // A page of layout `layoutId` for objects of `objType` in database `dbId`.
  CSearchPropPage(int objType, int dbId, int layoutId);

  // Copies the page's controls into its filter: 1; 0 (nothing changed)
  // while the page has no window.
  virtual int UpdateFilter() = 0;
  // Enables or disables every control of the page.
  virtual void EnablePage(int enable);
  // Why the page's filter, switched on, cannot be searched with as it
  // stands (a message for the person), or "" when it can or is off. Asked
  // after UpdateFilter.
  virtual std::string Incomplete() const { return {}; }

  int m_objType;
  int m_dbId;
  int m_bInitialCheck = 0;  // the tab's first check state: the filter's m_bEnabled

 protected:
  bool event(QEvent* event) override;

 private:
  // The tab's box changed: the page takes its state (check-notify message).
  LRESULT OnCheckNotify(WPARAM wParam, LPARAM lParam);
};

}  // namespace BLASTSEARCH_EXPORT
