#include "platform/ExtensionModule.h"

#include <dlfcn.h>

#include <algorithm>
#include <mutex>

#include "platform/ModuleResources.h"
#include "platform/RegistrationLog.h"

namespace blastsearch {

namespace {

struct CLibraryList {
  std::mutex m_mutex;
  std::vector<CDynLinkLibrary*> m_libraries;  // in joining order
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

}  // namespace

std::string GetModuleFileName(HINSTANCE module) {
  if (module == nullptr) return "";
  Dl_info info{};
  if (dladdr(module, &info) == 0 || info.dli_fname == nullptr) return "";
  return info.dli_fname;
}

int AfxInitExtensionModule(AFX_EXTENSION_MODULE& state, HINSTANCE module) {
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
  NoteRegistration("extension module " + FileNameOf(m_state.strPath));
}

CDynLinkLibrary::~CDynLinkLibrary() {
  {
    CLibraryList& list = Libraries();
    std::lock_guard<std::mutex> lock(list.m_mutex);
    std::erase(list.m_libraries, this);
  }
  if (m_state.pResources != nullptr) RemoveResourceSet(*m_state.pResources);
  NoteRegistration("extension module " + FileNameOf(m_state.strPath) + " removed");
}

std::vector<std::string> ExtensionModulePaths() {
  CLibraryList& list = Libraries();
  std::lock_guard<std::mutex> lock(list.m_mutex);
  std::vector<std::string> paths;
  for (bool system : {false, true}) {
    for (const CDynLinkLibrary* library : list.m_libraries) {
      if (library->IsSystem() == system) paths.push_back(library->GetState().strPath);
    }
  }
  return paths;
}

bool IsExtensionModuleLoaded(const std::string& path) {
  const std::vector<std::string> paths = ExtensionModulePaths();
  return std::find(paths.begin(), paths.end(), path) != paths.end();
}

}  // namespace blastsearch
