#include "platform/ExtensionModule.h"

#include <dlfcn.h>

#include <algorithm>
#include <mutex>

#include "platform/ModuleResources.h"
#include "platform/Object.h"
#include "platform/RegistrationLog.h"

namespace blastsearch {

namespace {

// The modules in the search and the class records they and the host hold.
struct CLibraryList {
  std::mutex m_mutex;
  std::vector<CDynLinkLibrary*> m_libraries;         // in joining order
  const CRuntimeClass* m_pFirstHostClass = nullptr;  // the host's own records
  std::vector<AFX_EXTENSION_MODULE*> m_loading;      // modules whose load is under way
};

// Made on first use and never destroyed, so that modules unloaded while
// the process ends still find it.
CLibraryList& Libraries() {
  static CLibraryList* list = new CLibraryList;
  return *list;
}

// The part of `path` after its last '/'.
std::string FileNameOf(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Appends `cls` to the chain that starts at `first` (so that the record
// entered first is found first).
void AppendClass(const CRuntimeClass*& first, const CRuntimeClass* cls) {
  cls->m_pNextClass = nullptr;
  const CRuntimeClass** link = &first;
  while (*link != nullptr) link = &(*link)->m_pNextClass;
  *link = cls;
}

// Takes `cls` out of the chain at `first`; true when it was there.
bool UnlinkClass(const CRuntimeClass*& first, const CRuntimeClass* cls) {
  for (const CRuntimeClass** link = &first; *link != nullptr; link = &(*link)->m_pNextClass) {
    if (*link == cls) {
      *link = cls->m_pNextClass;
      cls->m_pNextClass = nullptr;
      return true;
    }
  }
  return false;
}

bool ChainHolds(const CRuntimeClass* first, const CRuntimeClass* cls) {
  for (; first != nullptr; first = first->m_pNextClass) {
    if (first == cls) return true;
  }
  return false;
}

const CRuntimeClass* FindInChain(const CRuntimeClass* first, std::string_view name) {
  for (; first != nullptr; first = first->m_pNextClass) {
    if (name == first->m_lpszClassName) return first;
  }
  return nullptr;
}

// The chain heads that may hold a record: the host's, the modules' in the
// search and those of the loads under way. Called with the lock held.
std::vector<const CRuntimeClass**> AllChains(CLibraryList& list) {
  std::vector<const CRuntimeClass**> chains = {&list.m_pFirstHostClass};
  for (CDynLinkLibrary* library : list.m_libraries) {
    chains.push_back(&library->GetState().pFirstSharedClass);
  }
  for (AFX_EXTENSION_MODULE* state : list.m_loading) chains.push_back(&state->pFirstSharedClass);
  return chains;
}

}  // namespace

void AfxExtensionModuleLoading(AFX_EXTENSION_MODULE& state) {
  CLibraryList& list = Libraries();
  std::lock_guard<std::mutex> lock(list.m_mutex);
  list.m_loading.push_back(&state);
}

void AfxClassInit(const CRuntimeClass* cls) {
  if (cls == nullptr) return;
  CLibraryList& list = Libraries();
  std::lock_guard<std::mutex> lock(list.m_mutex);
  for (const CRuntimeClass** chain : AllChains(list)) {
    if (ChainHolds(*chain, cls)) return;
  }
  AppendClass(
      list.m_loading.empty() ? list.m_pFirstHostClass : list.m_loading.back()->pFirstSharedClass,
      cls);
}

void AfxClassTerm(const CRuntimeClass* cls) {
  if (cls == nullptr) return;
  CLibraryList& list = Libraries();
  std::lock_guard<std::mutex> lock(list.m_mutex);
  for (const CRuntimeClass** chain : AllChains(list)) {
    if (UnlinkClass(*chain, cls)) return;
  }
}

const CRuntimeClass* AfxFindClass(std::string_view name) {
  CLibraryList& list = Libraries();
  std::lock_guard<std::mutex> lock(list.m_mutex);
  if (const CRuntimeClass* cls = FindInChain(list.m_pFirstHostClass, name)) return cls;
  for (bool system : {false, true}) {
    for (const CDynLinkLibrary* library : list.m_libraries) {
      if (library->IsSystem() != system) continue;
      if (const CRuntimeClass* cls = FindInChain(library->GetState().pFirstSharedClass, name)) {
        return cls;
      }
    }
  }
  return nullptr;
}

std::string GetModuleFileName(HINSTANCE module) {
  if (module == nullptr) return "";
  Dl_info info{};
  if (dladdr(module, &info) == 0 || info.dli_fname == nullptr) return "";
  return info.dli_fname;
}

int AfxInitExtensionModule(AFX_EXTENSION_MODULE& state, HINSTANCE module) {
  {
    // The load's moving aside ends here, whatever the outcome.
    CLibraryList& list = Libraries();
    std::lock_guard<std::mutex> lock(list.m_mutex);
    std::erase(list.m_loading, &state);
  }
  if (state.bInitialized) return 0;
  std::string path = GetModuleFileName(module);
  if (path.empty()) return 0;
  state.hModule = module;
  state.hResource = module;
  state.strPath = std::move(path);
  state.bInitialized = true;
  return 1;
}

void AfxTermExtensionModule(AFX_EXTENSION_MODULE& state) {
  if (!state.bInitialized) return;
  std::vector<CDynLinkLibrary*> ending;
  {
    CLibraryList& list = Libraries();
    std::lock_guard<std::mutex> lock(list.m_mutex);
    for (CDynLinkLibrary* library : list.m_libraries) {
      if (&library->GetState() == &state) ending.push_back(library);
    }
  }
  // Last joined, first gone.
  for (auto it = ending.rbegin(); it != ending.rend(); ++it) delete *it;
  CLibraryList& list = Libraries();
  std::lock_guard<std::mutex> lock(list.m_mutex);
  std::erase(list.m_loading, &state);
  state = AFX_EXTENSION_MODULE{};
}

CDynLinkLibrary::CDynLinkLibrary(AFX_EXTENSION_MODULE& state, bool bSystem)
    : m_state(state), m_bSystem(bSystem) {
  {
    CLibraryList& list = Libraries();
    std::lock_guard<std::mutex> lock(list.m_mutex);
    list.m_libraries.push_back(this);
  }
  if (m_state.pResources != nullptr) AddResourceSet(*m_state.pResources);
  NoteRegistration("extension module " + FileNameOf(m_state.strPath.value_or("")));
}

CDynLinkLibrary::~CDynLinkLibrary() {
  {
    CLibraryList& list = Libraries();
    std::lock_guard<std::mutex> lock(list.m_mutex);
    std::erase(list.m_libraries, this);
  }
  if (m_state.pResources != nullptr) RemoveResourceSet(*m_state.pResources);
  NoteRegistration("extension module " + FileNameOf(m_state.strPath.value_or("")) + " removed");
}

std::vector<std::string> ExtensionModulePaths() {
  CLibraryList& list = Libraries();
  std::lock_guard<std::mutex> lock(list.m_mutex);
  std::vector<std::string> paths;
  for (bool system : {false, true}) {
    for (const CDynLinkLibrary* library : list.m_libraries) {
      if (library->IsSystem() == system) paths.push_back(library->GetState().strPath.value_or(""));
    }
  }
  return paths;
}

bool IsExtensionModuleLoaded(const std::string& path) {
  const std::vector<std::string> paths = ExtensionModulePaths();
  return std::find(paths.begin(), paths.end(), path) != paths.end();
}

}  // namespace blastsearch
