#include "host/ModuleLoader.h"

#include <dlfcn.h>
#include <link.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>

#include "platform/ExtensionModule.h"
#include "platform/Registry.h"
#include "platform/UserInteraction.h"

namespace blastsearch {

namespace {

// An object of the host library, whose address names it.
const char s_hostAnchor = 0;

std::string Trimmed(const std::string& text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return "";
  const auto last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

// The file the system loaded for `handle`; "" when unknown.
std::string LoadedPath(void* handle) {
  link_map* map = nullptr;
  if (::dlinfo(handle, RTLD_DI_LINKMAP, &map) != 0 || map == nullptr || map->l_name == nullptr) {
    return "";
  }
  return map->l_name;
}

bool SameFile(const std::string& a, const std::string& b) {
  if (a == b) return true;
  std::error_code error;
  return std::filesystem::equivalent(a, b, error) && !error;
}

// Whether the library at `path` has joined the framework as an extension.
bool IsExtension(const std::string& path) {
  for (const std::string& module : ExtensionModulePaths()) {
    if (SameFile(module, path)) return true;
  }
  return false;
}

void Report(const std::string& text) { UserInteraction().ShowMessage(text, MB_OK | MB_ICONSTOP); }

}  // namespace

std::string HostLibraryDirectory() {
  const std::string path = GetModuleFileName(&s_hostAnchor);
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? "" : path.substr(0, slash);
}

std::vector<std::string> RegisteredLibraries(bool* exists) {
  if (exists != nullptr) *exists = false;
  std::vector<std::string> names;
  HKEY key = nullptr;
  if (RegOpenKeyEx(HKEY_CURRENT_USER, kOrvExtensionsKey, &key) != ERROR_SUCCESS) return names;
  std::string list;
  DWORD size = 0;
  LONG result = RegQueryValueEx(key, kOrvLibrariesValue, nullptr, nullptr, &size);
  if (result == ERROR_SUCCESS) {
    list.assign(size, '\0');
    result = RegQueryValueEx(key, kOrvLibrariesValue, nullptr, reinterpret_cast<BYTE*>(list.data()),
                             &size);
    list.resize(size);
  }
  RegCloseKey(key);
  if (result != ERROR_SUCCESS) return names;
  if (exists != nullptr) *exists = true;
  if (const auto end = list.find('\0'); end != std::string::npos) list.resize(end);
  std::size_t start = 0;
  for (;;) {
    const auto comma = list.find(',', start);
    std::string name =
        Trimmed(list.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
    if (!name.empty()) names.push_back(std::move(name));
    if (comma == std::string::npos) return names;
    start = comma + 1;
  }
}

COrvModuleLoader::~COrvModuleLoader() { UnloadModules(); }

int COrvModuleLoader::LoadRegisteredModules() {
  int loaded = 0;
  for (const std::string& name : RegisteredLibraries()) {
    const std::size_t before = m_loaded.size();
    if (LoadModule(name) && m_loaded.size() > before) ++loaded;
  }
  return loaded;
}

bool COrvModuleLoader::LoadModule(const std::string& name) {
  for (const CLoaded& loaded : m_loaded) {
    if (loaded.m_strName == name) return true;
  }
  std::string file = name;
  if (name.find('/') == std::string::npos) {
    const std::string beside = HostLibraryDirectory() + "/" + name;
    std::error_code error;
    if (!HostLibraryDirectory().empty() && std::filesystem::is_regular_file(beside, error)) {
      file = beside;
    }
  }
  ::dlerror();
  void* handle = ::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    const char* reason = ::dlerror();
    Report("The extension library " + name + " could not be loaded:\n" +
           (reason != nullptr ? reason : "unknown reason"));
    return false;
  }
  const std::string path = LoadedPath(handle);
  if (!IsExtension(path)) {
    ::dlclose(handle);
    Report("The library " + name + " (" + path +
           ") was loaded but is no extension library of this program; it is left out.");
    return false;
  }
  for (const CLoaded& loaded : m_loaded) {
    if (SameFile(loaded.m_strPath, path)) {  // the same file under another name
      ::dlclose(handle);
      return true;
    }
  }
  m_loaded.push_back({name, path, handle});
  return true;
}

bool COrvModuleLoader::RegisterModule(const std::string& name) {
  if (!LoadModule(name)) return false;
  void* handle = nullptr;
  for (const CLoaded& loaded : m_loaded) {
    if (loaded.m_strName == name) handle = loaded.m_pHandle;
  }
  if (handle == nullptr) return false;  // loaded under another name: registered through it
  using RegisterFunction = std::int32_t (*)();
  auto function = reinterpret_cast<RegisterFunction>(::dlsym(handle, "DllRegisterServer"));
  if (function == nullptr) {
    Report("The extension library " + name + " cannot register itself (no DllRegisterServer).");
    return false;
  }
  if (const std::int32_t result = function(); result != 0) {
    char code[16];
    std::snprintf(code, sizeof code, "0x%08X", static_cast<unsigned>(result));
    Report("The extension library " + name + " could not register itself in " + RegistryFilePath() +
           " (" + code + ").");
    return false;
  }
  return true;
}

void COrvModuleLoader::UnloadModules() {
  while (!m_loaded.empty()) {
    ::dlclose(m_loaded.back().m_pHandle);
    m_loaded.pop_back();
  }
}

std::vector<std::string> COrvModuleLoader::LoadedPaths() const {
  std::vector<std::string> paths;
  for (const CLoaded& loaded : m_loaded) paths.push_back(loaded.m_strPath);
  return paths;
}

}  // namespace blastsearch
