#pragma once

#include <string>
#include <vector>

#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

struct CResourceSet;

// Extension modules: shared libraries loaded into the host's process that
// join the host's window framework, so that their resources are found by
// the host's resource search for as long as they stay loaded.

// A module instance: any address inside the module's library (its first
// static object serves). Two addresses in one library name the same module.
using HINSTANCE = const void*;

// The framework's record of one extension module; a static object of the
// module, filled by AfxInitExtensionModule.
struct AFX_EXTENSION_MODULE {
  bool bInitialized = false;
  HINSTANCE hModule = nullptr;
  HINSTANCE hResource = nullptr;
  std::string strPath;  // the library's file, as the system loaded it
  // The module's resources (string table, layouts, menus, bitmaps), set by
  // the module before it joins; null: none. Not owned.
  const CResourceSet* pResources = nullptr;
};

// The full path of the library that holds `module`; "" when the address is
// in no loaded library (or null).
std::string GetModuleFileName(HINSTANCE module);

// Readies `state` for the module `module`: its handles and library path.
// 0 when `module` is in no loaded library or `state` is initialised
// already; 1 otherwise.
int AfxInitExtensionModule(AFX_EXTENSION_MODULE& state, HINSTANCE module);

// Ends the module of `state`: the CDynLinkLibrary objects made for it are
// destroyed (their resources leave the search) and `state` is reset. Does
// nothing for a state that is not initialised.
void AfxTermExtensionModule(AFX_EXTENSION_MODULE& state);

// A module's place in the host's resource and class searches, made with
// `new` by the module's entry point after AfxInitExtensionModule; destroyed
// by AfxTermExtensionModule (or by delete). The module's resources are in the
// resource search from construction to destruction. Notes "extension module
// FILE" when made and "extension module FILE removed" when destroyed.
class CDynLinkLibrary {
 public:
  // `state` must be initialised and outlive this object. `bSystem`: a
  // library of the framework itself (searched after the others).
  explicit CDynLinkLibrary(AFX_EXTENSION_MODULE& state, bool bSystem = false);
  CDynLinkLibrary(const CDynLinkLibrary&) = delete;
  CDynLinkLibrary& operator=(const CDynLinkLibrary&) = delete;
  virtual ~CDynLinkLibrary();

  AFX_EXTENSION_MODULE& GetState() const { return m_state; }
  bool IsSystem() const { return m_bSystem; }

 private:
  AFX_EXTENSION_MODULE& m_state;
  bool m_bSystem;
};

// The library paths of the extension modules in the search, in search order
// (modules first, framework libraries last; each in order of joining).
std::vector<std::string> ExtensionModulePaths();

// True while an extension module from the library at `path` is in the
// search.
bool IsExtensionModuleLoaded(const std::string& path);

}  // namespace BLASTSEARCH_EXPORT
