#include "platform/ReplacingFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace {

namespace fs = std::filesystem;

// The file that `target` stands for: the one its symbolic link names, or
// `target` itself.
std::string ResolvedTarget(const std::string& target) {
  std::error_code error;
  if (!fs::is_symlink(target, error)) return target;
  fs::path named = fs::canonical(target, error);
  return error ? target : named.string();
}

// A name for the new file beside `target` that no file is likely to have.
std::string NewFileName(const std::string& target, unsigned attempt) {
  const fs::path path(target);
  const std::string name = "." + path.filename().string() + ".tmp-" + std::to_string(::getpid()) +
                           "-" + std::to_string(attempt);
  return (path.parent_path() / name).string();
}

// Stores the folder entry of a renamed file; where the system does not allow
// it, the rename stands all the same.
void SyncFolderOf(const std::string& file) {
  fs::path folder = fs::path(file).parent_path();
  const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

CReplacingFile::~CReplacingFile() { Discard(); }

bool CReplacingFile::Create(const std::string& target) {
  Discard();
  if (target.empty()) {
    errno = ENOENT;
    return false;
  }
  m_strTarget = ResolvedTarget(target);
  for (unsigned attempt = 0; attempt < 100; ++attempt) {
    const std::string name = NewFileName(m_strTarget, attempt);
    if (Open(name, modeWrite | modeCreate | modeExclusive)) {
      m_strNew = name;
      m_strPath = target;
      struct stat st {};
      if (::stat(m_strTarget.c_str(), &st) == 0) ::fchmod(GetHandle(), st.st_mode & 07777);
      return true;
    }
    if (errno != EEXIST) return false;
  }
  return false;
}

void CReplacingFile::Commit() {
  if (m_strNew.empty()) ThrowError("nothing to store");
  try {
    Flush();
  } catch (const CFileException&) {
    Discard();
    throw;
  }
  Close();
  if (::rename(m_strNew.c_str(), m_strTarget.c_str()) != 0) {
    const std::string reason = std::strerror(errno);
    Discard();
    ThrowError("cannot put the file in place: " + reason);
  }
  m_strNew.clear();
  SyncFolderOf(m_strTarget);
}

void CReplacingFile::Discard() {
  Close();
  if (!m_strNew.empty()) ::unlink(m_strNew.c_str());
  m_strNew.clear();
}
