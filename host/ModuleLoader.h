#pragma once

#include <string>
#include <vector>

#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

// The host's extension libraries: the current user's registry names them in
// the value "Libraries" (file names separated by ",") under this key.
inline constexpr char kOrvExtensionsKey[] = "Software\\VELMORA, INC\\Qlon 7\\Quillon\\Extensions";
inline constexpr char kOrvLibrariesValue[] = "Libraries";

// The file names listed in "Libraries" in order, blanks around each name
// and empty names left out; empty when the key or the value does not exist
// or cannot be read. `exists` (may be null) tells whether the value exists.
std::vector<std::string> RegisteredLibraries(bool* exists = nullptr);

// Loads the extension libraries that the registry names, and unloads them
// in reverse order when it ends. It knows nothing of what a library holds:
// a library registers itself with the host while it loads (its tables, file
// types and resources) and goes away when it is unloaded. Not copyable; one
// per host program, made after the host's services (user interaction) and
// ended before them.
class COrvModuleLoader {
 public:
  COrvModuleLoader() = default;
  COrvModuleLoader(const COrvModuleLoader&) = delete;
  COrvModuleLoader& operator=(const COrvModuleLoader&) = delete;
  // Unloads what it loaded, last loaded first.
  ~COrvModuleLoader();

  // Loads each library of RegisteredLibraries() not loaded yet by this
  // loader: a name with a '/' as it is, else the file of that name beside
  // the host library (libquillon.so) when there is one, else by the
  // system's library search. A library that does not load, or loads but
  // does not join the host's window framework as an extension module, is
  // reported to the person through the user-interaction service (naming
  // the library and the system's reason) and left out. Returns how many
  // libraries it loaded now.
  int LoadRegisteredModules();

  // Loads one library as LoadRegisteredModules loads each; true when it is
  // loaded (now or before), false after reporting the failure.
  [[nodiscard]] bool LoadModule(const std::string& name);

  // Unloads every library it loaded, last loaded first.
  void UnloadModules();

  // Installs a library as an installer would: loads it as LoadModule finds
  // it and calls its exported DllRegisterServer, which enters it in the
  // registry. True when that answers success (0); false, after reporting
  // why, when the library does not load, has no such function or it fails.
  // The library stays loaded by this loader.
  bool RegisterModule(const std::string& name);

  // The paths of the libraries it has loaded, in loading order.
  std::vector<std::string> LoadedPaths() const;

 private:
  struct CLoaded {
    std::string m_strName;
    std::string m_strPath;
    void* m_pHandle;
  };
  std::vector<CLoaded> m_loaded;
};

// The folder of the host library (libquillon.so); "" when unknown.
std::string HostLibraryDirectory();

}  // namespace BLASTSEARCH_EXPORT
