#pragma once

#include <gtest/gtest.h>

#include <string>

#include "host/ModuleLoader.h"
#include "platform/Registry.h"

namespace blastsearch {

// Sets the host's list of extension libraries (the value "Libraries" under
// the extensions key of the current user) to `list`, creating the key; a
// failed registry call fails the test.
inline void SetLibraries(const std::string& list) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, kOrvExtensionsKey, &key), ERROR_SUCCESS);
  ASSERT_EQ(
      RegSetValueEx(key, kOrvLibrariesValue, REG_SZ, reinterpret_cast<const BYTE*>(list.data()),
                    static_cast<DWORD>(list.size())),
      ERROR_SUCCESS);
  RegCloseKey(key);
}

}  // namespace blastsearch
