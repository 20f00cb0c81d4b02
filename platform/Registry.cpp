#include "platform/Registry.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <new>
#include <sstream>
#include <vector>

#include "platform/Exception.h"
#include "platform/ReplacingFile.h"
#include "platform/UserDirectories.h"

namespace blastsearch {

struct CRegKey {
  std::string m_strPath;  // below the current user's root; "" for the root
};

namespace {

CRegKey s_currentUser;
unsigned s_faults = 0;

// One value of the file.
struct CRegValue {
  std::string m_strKey;
  std::string m_strName;
  DWORD m_nType = REG_SZ;
  std::string m_strData;
};

// The whole file: keys (each once), values, and lines that could not be read.
struct CRegistryData {
  std::vector<std::string> m_keys;
  std::vector<CRegValue> m_values;
  std::vector<std::string> m_unread;
};

bool SameName(const std::string& a, const std::string& b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
           return std::tolower(x) == std::tolower(y);
         });
}

// `path` without doubled, leading or trailing backslashes.
std::string CleanKeyPath(const std::string& path) {
  std::string clean;
  for (char c : path) {
    if (c == '\\' && (clean.empty() || clean.back() == '\\')) continue;
    clean += c;
  }
  if (!clean.empty() && clean.back() == '\\') clean.pop_back();
  return clean;
}

std::string JoinKey(const CRegKey& key, const std::string& subKey) {
  const std::string sub = CleanKeyPath(subKey);
  if (key.m_strPath.empty()) return sub;
  return sub.empty() ? key.m_strPath : key.m_strPath + "\\" + sub;
}

// Bytes as one field of a line: backslash, tab, line ends and other control
// bytes escaped.
std::string Escape(const std::string& text) {
  static const char kHex[] = "0123456789abcdef";
  std::string out;
  for (unsigned char c : text) {
    if (c == '\\') {
      out += "\\\\";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c < 0x20 || c == 0x7F) {
      out += "\\x";
      out += kHex[c >> 4];
      out += kHex[c & 0xF];
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The bytes of an escaped field; false when an escape is malformed.
bool Unescape(const std::string& field, std::string& out) {
  out.clear();
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] != '\\') {
      out += field[i];
      continue;
    }
    if (++i == field.size()) return false;
    const char c = field[i];
    if (c == '\\') {
      out += '\\';
    } else if (c == 't') {
      out += '\t';
    } else if (c == 'n') {
      out += '\n';
    } else if (c == 'x' && i + 2 < field.size() && HexDigit(field[i + 1]) >= 0 &&
               HexDigit(field[i + 2]) >= 0) {
      out += static_cast<char>(HexDigit(field[i + 1]) * 16 + HexDigit(field[i + 2]));
      i += 2;
    } else {
      return false;
    }
  }
  return true;
}

std::vector<std::string> SplitTabs(const std::string& line) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (;;) {
    const auto tab = line.find('\t', start);
    fields.push_back(
        line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
    if (tab == std::string::npos) return fields;
    start = tab + 1;
  }
}

void AddKey(CRegistryData& data, const std::string& key) {
  for (const std::string& known : data.m_keys) {
    if (SameName(known, key)) return;
  }
  data.m_keys.push_back(key);
}

// Reads one line into `data`; false when it is not a line of ours.
bool ReadLine(const std::string& line, CRegistryData& data) {
  const std::vector<std::string> fields = SplitTabs(line);
  std::string key;
  if (!Unescape(fields[0], key)) return false;
  if (fields.size() == 1) {
    AddKey(data, CleanKeyPath(key));
    return true;
  }
  if (fields.size() != 4) return false;
  CRegValue value;
  value.m_strKey = CleanKeyPath(key);
  if (!Unescape(fields[1], value.m_strName) || !Unescape(fields[3], value.m_strData)) return false;
  const std::string& type = fields[2];
  if (type.empty() || type.size() > 9 ||
      !std::all_of(type.begin(), type.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    return false;
  }
  value.m_nType = std::stoul(type);
  AddKey(data, value.m_strKey);
  data.m_values.push_back(std::move(value));
  return true;
}

// Reads the file at `path` into `data`; a missing file reads as empty.
LONG ReadRegistry(const std::string& path, CRegistryData& data) {
  data = CRegistryData{};
  std::error_code error;
  const auto status = std::filesystem::status(path, error);
  if (status.type() == std::filesystem::file_type::not_found) return ERROR_SUCCESS;
  if (error || status.type() != std::filesystem::file_type::regular) return ERROR_READ_FAULT;
  std::ifstream in(path, std::ios::binary);
  if (!in) return ERROR_READ_FAULT;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    if (!ReadLine(line, data)) data.m_unread.push_back(line);
  }
  return in.bad() ? ERROR_READ_FAULT : ERROR_SUCCESS;
}

std::string FormatRegistry(const CRegistryData& data) {
  std::ostringstream out;
  out << "# The Quillon registry of this user: a key a line, or key, value name, type and data\n"
         "# separated by tabs (backslash escapes). Written by the programs; edit with care.\n";
  for (const std::string& key : data.m_keys) {
    out << Escape(key) << '\n';
    for (const CRegValue& value : data.m_values) {
      if (!SameName(value.m_strKey, key)) continue;
      out << Escape(key) << '\t' << Escape(value.m_strName) << '\t' << value.m_nType << '\t'
          << Escape(value.m_strData) << '\n';
    }
  }
  for (const std::string& line : data.m_unread) out << line << '\n';
  return out.str();
}

// Holds the registry's lock file locked while it lives.
class CRegistryLock {
 public:
  explicit CRegistryLock(const std::string& path)
      : m_fd(::open((path + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600)) {
    if (m_fd >= 0 && ::flock(m_fd, LOCK_EX) != 0) {
      ::close(m_fd);
      m_fd = -1;
    }
  }
  CRegistryLock(const CRegistryLock&) = delete;
  CRegistryLock& operator=(const CRegistryLock&) = delete;
  ~CRegistryLock() {
    if (m_fd >= 0) ::close(m_fd);
  }
  bool Held() const { return m_fd >= 0; }

 private:
  int m_fd;
};

// Reads the file, lets `change` alter it (answering whether anything
// changed) and writes it back when it did, all under the lock.
template <class Change>
LONG ChangeRegistry(Change change) {
  const std::string path = RegistryFilePath();
  if (path.empty()) return ERROR_ACCESS_DENIED;
  std::error_code error;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path(), error);
  if (error) return ERROR_ACCESS_DENIED;
  CRegistryLock lock(path);
  if (!lock.Held()) return ERROR_ACCESS_DENIED;
  CRegistryData data;
  if (const LONG read = ReadRegistry(path, data); read != ERROR_SUCCESS) return read;
  if (!change(data)) return ERROR_SUCCESS;
  const std::string text = FormatRegistry(data);
  try {
    CReplacingFile file;
    if (!file.Create(path)) return ERROR_WRITE_FAULT;
    file.Write(text.data(), text.size());
    file.Commit();
  } catch (const CException&) {
    return ERROR_WRITE_FAULT;
  }
  return ERROR_SUCCESS;
}

bool HasKey(const CRegistryData& data, const std::string& key) {
  if (key.empty()) return true;
  return std::any_of(data.m_keys.begin(), data.m_keys.end(),
                     [&](const std::string& known) { return SameName(known, key); });
}

LONG NewKey(std::string path, HKEY* result) {
  try {
    *result = new CRegKey{std::move(path)};
  } catch (const std::bad_alloc&) {
    return ERROR_ACCESS_DENIED;
  }
  return ERROR_SUCCESS;
}

}  // namespace

const HKEY HKEY_CURRENT_USER = &s_currentUser;

std::string RegistryFilePath() {
  const std::string config = UserConfigDirectory();
  return config.empty() ? "" : config + "/quillon/registry";
}

LONG RegCreateKeyEx(HKEY key, const std::string& subKey, HKEY* result) {
  if (result == nullptr) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  if (key == nullptr) return ERROR_INVALID_HANDLE;
  if ((s_faults & kRegistryFailCreate) != 0) return ERROR_ACCESS_DENIED;
  const std::string path = JoinKey(*key, subKey);
  const LONG changed = ChangeRegistry([&](CRegistryData& data) {
    if (HasKey(data, path)) return false;
    AddKey(data, path);
    return true;
  });
  return changed != ERROR_SUCCESS ? changed : NewKey(path, result);
}

LONG RegOpenKeyEx(HKEY key, const std::string& subKey, HKEY* result) {
  if (result == nullptr) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  if (key == nullptr) return ERROR_INVALID_HANDLE;
  if ((s_faults & kRegistryFailOpen) != 0) return ERROR_ACCESS_DENIED;
  const std::string path = JoinKey(*key, subKey);
  const std::string file = RegistryFilePath();
  if (file.empty()) return ERROR_FILE_NOT_FOUND;
  CRegistryData data;
  if (const LONG read = ReadRegistry(file, data); read != ERROR_SUCCESS) return read;
  if (!HasKey(data, path)) return ERROR_FILE_NOT_FOUND;
  return NewKey(path, result);
}

LONG RegQueryValueEx(HKEY key, const std::string& name, DWORD* type, BYTE* data, DWORD* size) {
  if (key == nullptr) return ERROR_INVALID_HANDLE;
  if (size == nullptr) return ERROR_INVALID_PARAMETER;
  if (data != nullptr && (s_faults & kRegistryFailRead) != 0) return ERROR_READ_FAULT;
  const std::string file = RegistryFilePath();
  if (file.empty()) return ERROR_FILE_NOT_FOUND;
  CRegistryData registry;
  if (const LONG read = ReadRegistry(file, registry); read != ERROR_SUCCESS) return read;
  for (const CRegValue& value : registry.m_values) {
    if (!SameName(value.m_strKey, key->m_strPath) || !SameName(value.m_strName, name)) continue;
    if (type != nullptr) *type = value.m_nType;
    const DWORD needed = static_cast<DWORD>(value.m_strData.size());
    if (data == nullptr) {
      *size = needed;
      return ERROR_SUCCESS;
    }
    if (*size < needed) {
      *size = needed;
      return ERROR_MORE_DATA;
    }
    std::memcpy(data, value.m_strData.data(), needed);
    *size = needed;
    return ERROR_SUCCESS;
  }
  return ERROR_FILE_NOT_FOUND;
}

LONG RegSetValueEx(HKEY key, const std::string& name, DWORD type, const BYTE* data, DWORD size) {
  if (key == nullptr) return ERROR_INVALID_HANDLE;
  if (data == nullptr && size != 0) return ERROR_INVALID_PARAMETER;
  if ((s_faults & kRegistryFailSet) != 0) return ERROR_WRITE_FAULT;
  const std::string bytes =
      size == 0 ? std::string() : std::string(reinterpret_cast<const char*>(data), size);
  return ChangeRegistry([&](CRegistryData& registry) {
    AddKey(registry, key->m_strPath);
    for (CRegValue& value : registry.m_values) {
      if (SameName(value.m_strKey, key->m_strPath) && SameName(value.m_strName, name)) {
        value.m_nType = type;
        value.m_strData = bytes;
        return true;
      }
    }
    registry.m_values.push_back({key->m_strPath, name, type, bytes});
    return true;
  });
}

LONG RegCloseKey(HKEY key) {
  if (key == nullptr) return ERROR_INVALID_HANDLE;
  if (key != HKEY_CURRENT_USER) delete key;
  return ERROR_SUCCESS;
}

unsigned SetRegistryFaults(unsigned faults) {
  const unsigned former = s_faults;
  s_faults = faults;
  return former;
}

}  // namespace blastsearch
