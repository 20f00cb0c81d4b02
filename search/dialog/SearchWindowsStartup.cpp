// The extension's windows join the host while the library is loaded: the
// table's search command shows the search dialog, and the host's
// --screenshot pictures include it. Made with the library's other static
// objects; the table and its search command do not need it to start up.

#include "host/qt/ScreenshotWriters.h"
#include "search/TableSearch.h"
#include "search/dialog/SearchForObjects.h"
#include "search/dialog/SearchScreenshots.h"

namespace blastsearch {

namespace {

struct CSearchWindows {
  CSearchWindows() {
    InstallSearchDialog();
    RegisterScreenshotWriter(&WriteSearchScreenshots);
  }
  ~CSearchWindows() {
    UnregisterScreenshotWriter(&WriteSearchScreenshots);
    // Leave another runner in place (a test's); take ours away.
    SearchDialogRunner current = SetSearchDialogRunner(nullptr);
    if (current != &RunSearchDialog) SetSearchDialogRunner(current);
  }
  CSearchWindows(const CSearchWindows&) = delete;
  CSearchWindows& operator=(const CSearchWindows&) = delete;
};

CSearchWindows s_searchWindows;

}  // namespace

}  // namespace blastsearch
