#pragma once

#include <string>

#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

// The host's registry: keys holding named values, kept for the current user
// in one text file, $XDG_CONFIG_HOME/quillon/registry (or
// ~/.config/quillon/registry). Calls mirror the system's registry calls and
// answer the system's error codes; each reads the file afresh, and each
// change rewrites it whole through a replacing file under a lock, so that a
// failed or killed writer leaves the old file and two writers lose nothing.
// Key and value names compare without regard to letter case; data is kept
// byte for byte. Lines of the file that cannot be read are kept as they are.

using LONG = long;
using DWORD = unsigned long;
using BYTE = unsigned char;

// Results.
inline constexpr LONG ERROR_SUCCESS = 0;
inline constexpr LONG ERROR_FILE_NOT_FOUND = 2;  // no such key or value
inline constexpr LONG ERROR_ACCESS_DENIED = 5;   // the file or its folder cannot be made
inline constexpr LONG ERROR_INVALID_HANDLE = 6;  // a null or closed key
inline constexpr LONG ERROR_WRITE_FAULT = 29;    // the file could not be written
inline constexpr LONG ERROR_READ_FAULT = 30;     // the file could not be read
inline constexpr LONG ERROR_INVALID_PARAMETER = 87;
inline constexpr LONG ERROR_MORE_DATA = 234;  // the buffer is too small

// Value types.
inline constexpr DWORD REG_SZ = 1;
inline constexpr DWORD REG_BINARY = 3;
inline constexpr DWORD REG_DWORD = 4;

// An open key. Made by RegCreateKeyEx or RegOpenKeyEx, owned by the caller
// until RegCloseKey.
struct CRegKey;
using HKEY = CRegKey*;

// The current user's root key; never closed.
extern const HKEY HKEY_CURRENT_USER;

// The registry file of the current user; "" when no configuration folder is
// known (no HOME).
std::string RegistryFilePath();

// Opens `subKey` ("A\\B\\C") under `key`, creating it (and writing the file)
// when it does not exist. *result gets the new key, null on failure.
LONG RegCreateKeyEx(HKEY key, const std::string& subKey, HKEY* result);
// Opens an existing `subKey` under `key`; ERROR_FILE_NOT_FOUND when it does
// not exist. *result gets the new key, null on failure.
LONG RegOpenKeyEx(HKEY key, const std::string& subKey, HKEY* result);
// Reads the value `name` of `key`. `type` (may be null) gets its type. With
// `data` null, *size gets the value's size in bytes. Otherwise *size is the
// room at `data`: the bytes are copied and *size gets their count, or, when
// there is too little room, ERROR_MORE_DATA with *size the room needed.
// ERROR_FILE_NOT_FOUND when the value does not exist.
LONG RegQueryValueEx(HKEY key, const std::string& name, DWORD* type, BYTE* data, DWORD* size);
// Sets the value `name` of `key` to the `size` bytes at `data` (of type
// `type`), replacing an earlier value of that name.
LONG RegSetValueEx(HKEY key, const std::string& name, DWORD type, const BYTE* data, DWORD size);
// Closes `key` (the root key stays open). ERROR_INVALID_HANDLE for null.
LONG RegCloseKey(HKEY key);

// Failures a test may ask for: the calls of the given kinds fail as if the
// file could not be read or written (create and open: ERROR_ACCESS_DENIED;
// a query that copies a value's bytes, not one that asks for the size:
// ERROR_READ_FAULT; set: ERROR_WRITE_FAULT). Returns the former set. For
// tests of callers' failure paths; not thread-safe.
enum RegistryFault : unsigned {
  kRegistryFailCreate = 1,
  kRegistryFailOpen = 2,
  kRegistryFailRead = 4,
  kRegistryFailSet = 8
};
unsigned SetRegistryFaults(unsigned faults);

}  // namespace BLASTSEARCH_EXPORT
