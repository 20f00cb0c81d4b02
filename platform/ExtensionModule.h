#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

struct CResourceSet;
struct CRuntimeClass;

// Extension modules: shared libraries loaded into the host's process that
// join the host's window framework, so that their resources are found by
// the host's resource search for as long as they stay loaded.

// A module instance: any address inside the module's library (its first
// static object serves). Two addresses in one library name the same module.
using HINSTANCE = const void*;

// The framework's record of one extension module; a static object of the
// module, filled by AfxExtensionModuleLoading and AfxInitExtensionModule.
// Constant-initialised (declare it `constinit`), so that the hook can fill
// it before the module's other static objects are made.
struct AFX_EXTENSION_MODULE {
  bool bInitialized = false;
  HINSTANCE hModule = nullptr;
  HINSTANCE hResource = nullptr;
  // The library's file, as the system loaded it; empty until then. Held in
  // an optional so that the record stays constant-initialised with every
  // compiler (clang 14 does not take an empty std::string as a constant).
  std::optional<std::string> strPath;
  // The module's resources (string table, layouts, menus, bitmaps), set by
  // the module before it joins; null: none. Not owned.
  const CResourceSet* pResources = nullptr;
  // The module's run-time class records entered while it loaded, moved
  // aside by the hook: the first of a chain through m_pNextClass, null for
  // none. In the by-name search while a CDynLinkLibrary of the module is.
  const CRuntimeClass* pFirstSharedClass = nullptr;
  // The module's class factories, kept as the framework's record keeps them;
  // no module of this system makes one, so it stays null.
  const void* pFirstSharedFactory = nullptr;
};

// The framework's hook, which a module runs before any other static object
// of its library is made (a constructor of the highest priority): from now
// until AfxInitExtensionModule(state), the run-time class records entered
// (CRuntimeClassRegistration) go into `state`'s chain instead of the host's
// list. `state` must outlive the library's load. Hooks of libraries loaded
// while another loads nest: the innermost load takes the records.
void AfxExtensionModuleLoading(AFX_EXTENSION_MODULE& state);

// Enters the class record `cls` (a static object of its library) in the
// by-name search: into the chain of the module whose load is under way
// (see AfxExtensionModuleLoading), else into the host's own list, which
// lasts for the process. A record entered already is left where it is.
void AfxClassInit(const CRuntimeClass* cls);

// Takes the record `cls` out of whichever list or chain holds it; nothing
// when none does. Run when the record's library goes.
void AfxClassTerm(const CRuntimeClass* cls);

// The record named `name`: the host's own list first, then the chains of
// the modules in the search (in the order of ExtensionModulePaths); within
// one list, the record entered first. Null when none is.
const CRuntimeClass* AfxFindClass(std::string_view name);

// The full path of the library that holds `module`; "" when the address is
// in no loaded library (or null).
std::string GetModuleFileName(HINSTANCE module);

// Readies `state` for the module `module`: its handles and library path.
// Ends the moving aside of class records that AfxExtensionModuleLoading
// began (the records stay in `state`, out of the search until a
// CDynLinkLibrary of it is made). 0 when `module` is in no loaded library
// or `state` is initialised already; 1 otherwise.
int AfxInitExtensionModule(AFX_EXTENSION_MODULE& state, HINSTANCE module);

// Ends the module of `state`: the CDynLinkLibrary objects made for it are
// destroyed (their resources and class records leave the search) and
// `state` is reset, its class chain dropped. Does nothing for a state that
// is not initialised.
void AfxTermExtensionModule(AFX_EXTENSION_MODULE& state);

// A module's place in the host's resource and class searches, made with
// `new` by the module's entry point after AfxInitExtensionModule; destroyed
// by AfxTermExtensionModule (or by delete). The module's resources, and its
// class records (the state's chain), are in the resource and class searches
// from construction to destruction. Notes "extension module
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
