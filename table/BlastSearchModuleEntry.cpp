// The module's record with the framework, the framework's hook that runs
// before the library's static objects are made, and the entry point that
// runs after all of them. The build links this file last in the library, so
// that its entry object is the last static object made at load and the
// first one gone at unload.

#include "platform/ExtensionModule.h"
#include "resources/ModuleResourceSet.h"
#include "table/BlastSearchModule.h"

namespace blastsearch {

namespace {

// The module's record with the framework; constant-initialised, so the
// hook below may fill it before any dynamic initialisation.
constinit AFX_EXTENSION_MODULE s_moduleState;

// The framework's hook: before the library's first static object is made,
// the class records its objects enter are moved aside into s_moduleState.
[[gnu::constructor(101)]] void BeforeStaticObjects() { AfxExtensionModuleLoading(s_moduleState); }

// The platform's load and unload notification: the entry point runs when
// this object is made (after all the library's other static objects) and
// when it goes (before all of them).
struct CModuleEntry {
  CModuleEntry() { m_nLoaded = BlastSearchModuleEntry(&s_moduleState, kModuleAttach); }
  ~CModuleEntry() {
    if (m_nLoaded != 0) BlastSearchModuleEntry(&s_moduleState, kModuleDetach);
  }
  CModuleEntry(const CModuleEntry&) = delete;
  CModuleEntry& operator=(const CModuleEntry&) = delete;
  int m_nLoaded;
};
CModuleEntry s_moduleEntry;

}  // namespace

int BlastSearchModuleEntry(HINSTANCE instance, int reason) {
  if (reason == kModuleAttach) {
    // Also ends the moving aside of the library's class records.
    if (AfxInitExtensionModule(s_moduleState, instance) == 0) return 0;
    s_moduleState.pResources = &ModuleResourceSet();
    new CDynLinkLibrary(s_moduleState);  // owned by the framework's list
    return 1;
  }
  if (reason == kModuleDetach) AfxTermExtensionModule(s_moduleState);
  return 1;
}

}  // namespace blastsearch
