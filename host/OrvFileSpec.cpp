#include "host/OrvFileSpec.h"

#include <map>

namespace blastsearch {

namespace {

std::map<int, std::string>& Extensions() {
  static std::map<int, std::string> extensions;
  return extensions;
}

}  // namespace

COrvDirSpec& OrvMainDir() {
  static COrvDirSpec mainDir;
  return mainDir;
}

std::string OrvFileTypeExtension(int fileType) {
  const auto& extensions = Extensions();
  auto it = extensions.find(fileType);
  return it != extensions.end() ? it->second : std::string();
}

void OrvRegisterFileTypeExtension(int fileType, std::string extension) {
  Extensions()[fileType] = std::move(extension);
}

COrvFileSpec::COrvFileSpec(const COrvDirSpec& dir, const char* name, int fileType)
    : m_strPath(dir.GetDir()), m_nFileType(fileType) {
  if (!m_strPath.empty() && m_strPath.back() != '/') m_strPath += '/';
  if (name != nullptr) m_strPath += name;
  m_strPath += OrvFileTypeExtension(fileType);
}

}  // namespace blastsearch
