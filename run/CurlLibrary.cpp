// libcurl, loaded when the first HTTP client is made.

#include "run/CurlLibrary.h"

#include <dlfcn.h>

#include <mutex>

namespace blastsearch {

namespace {

// Finds `name` in `handle` into `call`; false when the library lacks it.
template <typename Call>
bool FindCall(void* handle, const char* name, Call& call, std::string& missing) {
  call = reinterpret_cast<Call>(::dlsym(handle, name));
  if (call == nullptr && missing.empty()) missing = name;
  return call != nullptr;
}

}  // namespace

CCurlLibrary::~CCurlLibrary() {
  if (m_pHandle != nullptr) ::dlclose(m_pHandle);
}

std::unique_ptr<CCurlLibrary> LoadCurlLibrary(const char* file, std::string& error) {
  auto library = std::make_unique<CCurlLibrary>();
  library->m_pHandle = ::dlopen(file, RTLD_NOW | RTLD_LOCAL);
  if (library->m_pHandle == nullptr) {
    const char* reason = ::dlerror();
    error = std::string(file) + " could not be loaded: " + (reason != nullptr ? reason : "");
    return nullptr;
  }
  void* handle = library->m_pHandle;
  std::string missing;
  FindCall(handle, "curl_global_init", library->m_pfnGlobalInit, missing);
  FindCall(handle, "curl_easy_init", library->m_pfnEasyInit, missing);
  FindCall(handle, "curl_easy_setopt", library->m_pfnEasySetopt, missing);
  FindCall(handle, "curl_easy_perform", library->m_pfnEasyPerform, missing);
  FindCall(handle, "curl_easy_getinfo", library->m_pfnEasyGetinfo, missing);
  FindCall(handle, "curl_easy_cleanup", library->m_pfnEasyCleanup, missing);
  FindCall(handle, "curl_easy_strerror", library->m_pfnEasyStrerror, missing);
  FindCall(handle, "curl_slist_append", library->m_pfnSlistAppend, missing);
  FindCall(handle, "curl_slist_free_all", library->m_pfnSlistFreeAll, missing);
  if (!missing.empty()) {
    error = std::string(file) + " is not a usable libcurl: it lacks " + missing;
    return nullptr;
  }
  return library;
}

const CCurlLibrary* SystemCurlLibrary(std::string& error) {
  static std::once_flag once;
  static std::unique_ptr<CCurlLibrary> library;
  static std::string loadError;
  std::call_once(once, [] {
    library = LoadCurlLibrary(kCurlLibraryFile, loadError);
    if (library != nullptr) library->m_pfnGlobalInit(CURL_GLOBAL_DEFAULT);
  });
  if (library == nullptr) error = loadError;
  return library.get();
}

}  // namespace blastsearch
