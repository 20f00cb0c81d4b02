// The extension's windows library as an extension module of its own: its
// record with the framework, the hook that moves its class records aside
// before its static objects are made (the checkable-tab sheet's among
// them), and the entry that joins the framework after all of them and
// leaves it first at unload. The build links this file last in the library.
// The library has no resources of its own (the extension library's serve).

#include "platform/ExtensionModule.h"

namespace blastsearch {

namespace {

constinit AFX_EXTENSION_MODULE s_windowsModuleState;

[[gnu::constructor(101)]] void BeforeWindowStaticObjects() {
  AfxExtensionModuleLoading(s_windowsModuleState);
}

struct CWindowsModuleEntry {
  CWindowsModuleEntry() {
    // The library's class records stay aside, out of the search, when it
    // cannot join; they go with the library.
    if (AfxInitExtensionModule(s_windowsModuleState, &s_windowsModuleState) != 0) {
      new CDynLinkLibrary(s_windowsModuleState);  // owned by the framework's list
    }
  }
  ~CWindowsModuleEntry() { AfxTermExtensionModule(s_windowsModuleState); }
  CWindowsModuleEntry(const CWindowsModuleEntry&) = delete;
  CWindowsModuleEntry& operator=(const CWindowsModuleEntry&) = delete;
};
CWindowsModuleEntry s_windowsModuleEntry;

}  // namespace

}  // namespace blastsearch
