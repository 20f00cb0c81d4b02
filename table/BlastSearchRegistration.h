#pragma once

#include <cstdint>
#include <string>

#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

// Results of DllRegisterServer.
using HRESULT = std::int32_t;
inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT SELFREG_E_CLASS = static_cast<HRESULT>(0x80040201u);

// Enters this library in the host's list of extension libraries: the value
// "Libraries" (file names separated by ",") under the host's extensions key
// of the current user's registry. The library's file name (its path after
// the last '/') is appended unless the list already holds it as a substring
// (letter case counts); an empty list gets the bare name. S_OK when the list
// names the library afterwards (no write when it already did);
// SELFREG_E_CLASS, with nothing written, when the key cannot be made or
// opened, the value exists but cannot be read (or cannot even be sized for
// another reason than being absent), the library's path is unknown or the
// write fails. The key is closed on every path. Exported by name.
extern "C" HRESULT DllRegisterServer();

// The file name DllRegisterServer enters: this library's file name; "" when
// its path is unknown.
std::string BlastSearchModuleFileName();

}  // namespace BLASTSEARCH_EXPORT
