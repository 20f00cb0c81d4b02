#include "util/PathUtils.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "parse/ScanText.h"
#include "platform/File.h"

namespace blastsearch {

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// True when something exists at `path`. A path that holds a zero byte cannot
// name a file; testing only its leading part would report the wrong file.
bool Exists(const std::string& path) {
  if (path.find('\0') != std::string::npos) return false;
  CFileStatus status;
  return CFile::GetStatus(path, status);
}

}  // namespace

CPathParts SplitPath(std::string_view path) {
  CPathParts parts;
  if (path.size() >= 2 && IsAsciiLetter(path[0]) && path[1] == ':') {
    parts.m_strDrive = path.substr(0, 2);
    path.remove_prefix(2);
  }
  std::size_t nameStart = 0;
  for (std::size_t i = path.size(); i > 0; --i) {
    if (IsSeparator(path[i - 1])) {
      nameStart = i;
      break;
    }
  }
  parts.m_strDir = path.substr(0, nameStart);
  std::string_view last = path.substr(nameStart);
  std::size_t dot = last.rfind('.');
  if (dot == std::string_view::npos) dot = last.size();
  parts.m_strName = last.substr(0, dot);
  parts.m_strExt = last.substr(dot);
  return parts;
}

std::string GetFileDir(const char* path) {
  if (path == nullptr) return {};
  CPathParts parts = SplitPath(path);
  return parts.m_strDrive + parts.m_strDir;
}

std::string GetFileNameExt(const char* path) {
  if (path == nullptr) return {};
  CPathParts parts = SplitPath(path);
  return parts.m_strName + parts.m_strExt;
}

int AdjustUniqueFileName(std::string& path) {
  if (!Exists(path)) return 0;
  CPathParts parts = SplitPath(path);

  // Digits at the end of the name count on only when a blank stands before
  // them (or they are the whole name); otherwise they belong to the name.
  const std::string& name = parts.m_strName;
  std::size_t digitsStart = name.size();
  while (digitsStart > 0 && IsDigit(name[digitsStart - 1])) --digitsStart;
  std::string base;
  std::string counter;
  if (digitsStart == 0 || name[digitsStart - 1] == ' ') {
    base = name.substr(0, digitsStart);
    counter = name.substr(digitsStart);
  } else {
    base = name + ' ';
  }

  unsigned number = counter.empty() ? 1u : static_cast<unsigned>(atoi(counter));
  const std::string prefix = parts.m_strDrive + parts.m_strDir + base;
  for (;; ++number) {
    std::string candidate = prefix + std::to_string(number) + parts.m_strExt;
    if (!Exists(candidate)) {
      path = std::move(candidate);
      return 1;
    }
  }
}

std::string AdjustTmpFileName000(std::string path) {
  CPathParts parts = SplitPath(path);
  const std::string prefix = parts.m_strDrive + parts.m_strDir + parts.m_strName;

  // List the directory that the file system itself sees in the prefix: on
  // Linux only '/' separates there, so a '\\' stays part of the entry's name
  // and the listing agrees with what opening the new path would find.
  std::size_t slash = prefix.rfind('/');
  std::filesystem::path dir = slash == std::string::npos ? std::filesystem::path(".")
                              : slash == 0               ? std::filesystem::path("/")
                                           : std::filesystem::path(prefix.substr(0, slash));
  const std::string namePrefix = slash == std::string::npos ? prefix : prefix.substr(slash + 1);
  const std::string& ext = parts.m_strExt;

  int largest = 0;
  std::error_code ec;
  std::filesystem::directory_iterator it(dir, ec);
  for (; !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
    const std::string entry = it->path().filename().string();
    if (entry.size() != namePrefix.size() + 3 + ext.size()) continue;
    if (entry.compare(0, namePrefix.size(), namePrefix) != 0) continue;
    if (entry.compare(namePrefix.size() + 3, ext.size(), ext) != 0) continue;
    // The standard conversion: 007 gives 7, a leading non-digit gives 0.
    int value = std::atoi(entry.substr(namePrefix.size(), 3).c_str());
    if (value > largest) largest = value;
  }

  // Three digits filled with zeros; larger numbers in full.
  std::string number = std::to_string(static_cast<unsigned>(largest) + 1u);
  if (number.size() < 3) number.insert(0, 3 - number.size(), '0');
  return prefix + number + ext;
}

}  // namespace blastsearch
