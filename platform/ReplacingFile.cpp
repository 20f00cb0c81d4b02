#include "platform/ReplacingFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <map>
#include <mutex>

namespace blastsearch {

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

// The protected files: path -> what it is.
std::map<std::string, std::string>& ProtectedFiles() {
  static std::map<std::string, std::string> files;
  return files;
}

std::map<std::string, std::string (*)(const std::string&)>& Guards() {
  static std::map<std::string, std::string (*)(const std::string&)> guards;
  return guards;
}

std::mutex& ProtectedFilesLock() {
  static std::mutex lock;
  return lock;
}

}  // namespace

void ProtectFromReplacing(const std::string& path, const std::string& what) {
  std::lock_guard<std::mutex> hold(ProtectedFilesLock());
  ProtectedFiles()[path] = what;
}

void AddReplacingGuard(const std::string& name, std::string (*guard)(const std::string& path)) {
  std::lock_guard<std::mutex> hold(ProtectedFilesLock());
  Guards()[name] = guard;
}

void StopProtecting(const std::string& path) {
  std::lock_guard<std::mutex> hold(ProtectedFilesLock());
  ProtectedFiles().erase(path);
}

std::string ProtectedFileKind(const std::string& path) {
  struct stat target {};
  if (::stat(path.c_str(), &target) != 0) return {};
  std::lock_guard<std::mutex> hold(ProtectedFilesLock());
  for (const auto& [file, what] : ProtectedFiles()) {
    struct stat st {};
    if (::stat(file.c_str(), &st) == 0 && st.st_dev == target.st_dev &&
        st.st_ino == target.st_ino) {
      return what;
    }
  }
  if (!S_ISREG(target.st_mode)) return {};
  for (const auto& [name, guard] : Guards()) {
    if (std::string what = guard(path); !what.empty()) return what;
  }
  return {};
}

CReplacingFile::~CReplacingFile() { Discard(); }

bool CReplacingFile::Create(const std::string& target) {
  Discard();
  if (target.empty()) {
    errno = ENOENT;
    return false;
  }
  if (target == "-") {
    const int fd = ::fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 0);
    if (fd < 0) return false;
    AttachHandle(fd, "standard output");
    m_bDirect = true;
    return true;
  }
  if (const std::string what = ProtectedFileKind(target); !what.empty()) {
    throw CFileException(target, "is " + what + "; it is not written over");
  }
  struct stat st {};
  const bool exists = ::stat(target.c_str(), &st) == 0;
  if (exists && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode)) {
    // A device, FIFO or socket takes the bytes as they come: replacing it
    // would put a regular file where the node was.
    if (!Open(target, modeWrite)) return false;
    m_strTarget = target;
    m_bDirect = true;
    return true;
  }
  m_strTarget = ResolvedTarget(target);
  for (unsigned attempt = 0; attempt < 100; ++attempt) {
    const std::string name = NewFileName(m_strTarget, attempt);
    if (Open(name, modeWrite | modeCreate | modeExclusive)) {
      m_strNew = name;
      m_strPath = target;
      if (exists) ::fchmod(GetHandle(), st.st_mode & 07777);
      return true;
    }
    if (errno != EEXIST) return false;
  }
  return false;
}

void CReplacingFile::Commit() {
  if (m_bDirect) {
    // Nothing to sync on a device or a pipe; a close that fails lost bytes.
    const int fd = GetHandle();
    const bool closed = fd < 0 || ::fsync(fd) == 0 || errno == EINVAL || errno == EROFS;
    if (!closed) {
      const std::string reason = std::strerror(errno);
      Discard();
      ThrowError("the write failed: " + reason);
    }
    Discard();
    return;
  }
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
  m_bDirect = false;
  if (!m_strNew.empty()) ::unlink(m_strNew.c_str());
  m_strNew.clear();
}

}  // namespace blastsearch
