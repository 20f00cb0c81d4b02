#pragma once

#include <curl/curl.h>

#include <memory>
#include <string>

#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

// The calls of libcurl that the HTTP client makes, found in the library when
// the first client is made rather than when the program starts: programs
// that never post (most commands) do not load libcurl and the many libraries
// it needs.
struct CCurlLibrary {
  CURLcode (*m_pfnGlobalInit)(long flags) = nullptr;
  CURL* (*m_pfnEasyInit)() = nullptr;
  CURLcode (*m_pfnEasySetopt)(CURL* curl, CURLoption option, ...) = nullptr;
  CURLcode (*m_pfnEasyPerform)(CURL* curl) = nullptr;
  CURLcode (*m_pfnEasyGetinfo)(CURL* curl, CURLINFO info, ...) = nullptr;
  void (*m_pfnEasyCleanup)(CURL* curl) = nullptr;
  const char* (*m_pfnEasyStrerror)(CURLcode code) = nullptr;
  curl_slist* (*m_pfnSlistAppend)(curl_slist* list, const char* text) = nullptr;
  void (*m_pfnSlistFreeAll)(curl_slist* list) = nullptr;

  CCurlLibrary() = default;
  CCurlLibrary(const CCurlLibrary&) = delete;
  CCurlLibrary& operator=(const CCurlLibrary&) = delete;
  // Unloads the library (its calls are no longer valid).
  ~CCurlLibrary();

  void* m_pHandle = nullptr;  // dlopen's handle, owned
};

// The file name of the system's libcurl (its ABI version).
inline constexpr char kCurlLibraryFile[] = "libcurl.so.4";

// Loads `file` (a name the dynamic loader looks up, or a path) and finds
// every call above in it. Null when it can't be loaded or lacks a call, with
// `error` naming the file and the system's reason or the missing call. The
// result is owned by the caller; it keeps the library loaded while it lives.
std::unique_ptr<CCurlLibrary> LoadCurlLibrary(const char* file, std::string& error);

// The system's libcurl, loaded (and globally initialised) once for the
// process by the first call; later calls answer the same. Null with `error`
// set when it can't be loaded (then every later call answers the same
// error). Owned by this module; valid until the library that holds this code
// is unloaded.
const CCurlLibrary* SystemCurlLibrary(std::string& error);

}  // namespace BLASTSEARCH_EXPORT
