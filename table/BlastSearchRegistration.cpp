#include "table/BlastSearchRegistration.h"

#include "host/ModuleLoader.h"
#include "platform/ExtensionModule.h"
#include "platform/Registry.h"

namespace blastsearch {

namespace {

// An object of this library, whose address names the library.
const char s_moduleAnchor = 0;

// Closes a key when the function that opened it returns.
class CKeyCloser {
 public:
  explicit CKeyCloser(HKEY key) : m_key(key) {}
  CKeyCloser(const CKeyCloser&) = delete;
  CKeyCloser& operator=(const CKeyCloser&) = delete;
  ~CKeyCloser() { RegCloseKey(m_key); }

 private:
  HKEY m_key;
};

}  // namespace

std::string BlastSearchModuleFileName() {
  const std::string path = GetModuleFileName(&s_moduleAnchor);
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

extern "C" HRESULT DllRegisterServer() {
  HKEY key = nullptr;
  if (RegCreateKeyEx(HKEY_CURRENT_USER, kOrvExtensionsKey, &key) != ERROR_SUCCESS ||
      key == nullptr) {
    return SELFREG_E_CLASS;
  }
  CKeyCloser closer(key);
  std::string list;
  DWORD type = 0;
  DWORD size = 0;
  const LONG sized = RegQueryValueEx(key, kOrvLibrariesValue, &type, nullptr, &size);
  // Only a missing value is an empty list; a list that cannot be read is
  // never written over.
  if (sized != ERROR_SUCCESS && sized != ERROR_FILE_NOT_FOUND) return SELFREG_E_CLASS;
  if (sized == ERROR_SUCCESS) {
    list.assign(size, '\0');
    if (RegQueryValueEx(key, kOrvLibrariesValue, &type, reinterpret_cast<BYTE*>(list.data()),
                        &size) != ERROR_SUCCESS) {
      return SELFREG_E_CLASS;
    }
    list.resize(size);
    // The list is text: it ends at a terminating zero, if it holds one.
    if (const auto end = list.find('\0'); end != std::string::npos) list.resize(end);
  }
  const std::string name = BlastSearchModuleFileName();
  if (name.empty()) return SELFREG_E_CLASS;
  if (list.find(name) != std::string::npos) return S_OK;
  if (!list.empty()) list += ',';
  list += name;
  if (RegSetValueEx(key, kOrvLibrariesValue, REG_SZ, reinterpret_cast<const BYTE*>(list.data()),
                    static_cast<DWORD>(list.size())) != ERROR_SUCCESS) {
    return SELFREG_E_CLASS;
  }
  return S_OK;
}

}  // namespace blastsearch
