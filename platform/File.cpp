#include "platform/File.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace blastsearch {

CFile::CFile(const std::string& path, unsigned flags) {
  if (!Open(path, flags)) {
    std::string reason = std::strerror(errno);
    m_strPath = path;
    ThrowError(reason);
  }
}

CFile::~CFile() { CFile::Close(); }

bool CFile::Open(const std::string& path, unsigned flags) {
  Close();
  int mode = O_RDONLY;
  if (flags & modeWrite) mode = O_WRONLY;
  if (flags & modeReadWrite) mode = O_RDWR;
  if (flags & modeCreate) mode |= O_CREAT | O_TRUNC;
  if ((flags & modeCreate) && (flags & modeExclusive)) mode |= O_EXCL;
  int fd = ::open(path.c_str(), mode | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  struct stat st {};
  if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
    ::close(fd);
    errno = EISDIR;
    return false;
  }
  m_fd = fd;
  m_strPath = path;
  return true;
}

void CFile::AttachHandle(int fd, const std::string& path) {
  Close();
  m_fd = fd;
  m_strPath = path;
}

void CFile::Close() {
  if (m_fd >= 0) ::close(m_fd);
  m_fd = -1;
}

std::uint64_t CFile::GetLength() const {
  struct stat st {};
  if (m_fd < 0 || ::fstat(m_fd, &st) != 0) ThrowError("cannot take the file's length");
  return static_cast<std::uint64_t>(st.st_size);
}

std::uint64_t CFile::GetPosition() const {
  off_t pos = m_fd >= 0 ? ::lseek(m_fd, 0, SEEK_CUR) : -1;
  if (pos < 0) ThrowError("cannot take the file's position");
  return static_cast<std::uint64_t>(pos);
}

std::uint64_t CFile::Seek(std::int64_t offset, SeekPosition from) {
  off_t pos = m_fd >= 0 ? ::lseek(m_fd, offset, static_cast<int>(from)) : -1;
  if (pos < 0) ThrowError("cannot seek");
  return static_cast<std::uint64_t>(pos);
}

std::size_t CFile::Read(void* buffer, std::size_t count) {
  if (m_fd < 0) ThrowError("file is not open");
  std::size_t done = 0;
  while (done < count) {
    ssize_t n = ::read(m_fd, static_cast<char*>(buffer) + done, count - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) ThrowError(std::string("read failed: ") + std::strerror(errno));
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  return done;
}

void CFile::Write(const void* buffer, std::size_t count) {
  if (m_fd < 0) ThrowError("file is not open");
  std::size_t done = 0;
  while (done < count) {
    ssize_t n = ::write(m_fd, static_cast<const char*>(buffer) + done, count - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) ThrowError(std::string("write failed: ") + std::strerror(errno));
    done += static_cast<std::size_t>(n);
  }
}

void CFile::Flush() {
  if (m_fd < 0) ThrowError("file is not open");
  if (::fsync(m_fd) != 0) ThrowError(std::string("cannot store on disk: ") + std::strerror(errno));
}

bool CFile::GetStatus(const std::string& path, CFileStatus& status) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return false;
  status.m_size = static_cast<std::uint64_t>(st.st_size);
  status.m_mtime = static_cast<std::int64_t>(st.st_mtime);
  return true;
}

void CFile::ThrowError(const std::string& reason) const {
  throw CFileException(m_strPath.empty() ? std::string("(unnamed file)") : m_strPath, reason);
}

std::uint64_t CFile::SeekInBytes(std::int64_t offset, SeekPosition from, std::size_t length,
                                 std::size_t& position) const {
  const std::int64_t base = from == begin     ? 0
                            : from == current ? static_cast<std::int64_t>(position)
                                              : static_cast<std::int64_t>(length);
  if (offset < -base) ThrowError("cannot seek before the start");
  position = static_cast<std::size_t>(base + offset);
  return position;
}

std::size_t CFile::ReadBytes(std::string_view bytes, std::size_t& position, void* buffer,
                             std::size_t count) {
  if (position >= bytes.size()) return 0;
  const std::size_t n = std::min(count, bytes.size() - position);
  std::memcpy(buffer, bytes.data() + position, n);
  position += n;
  return n;
}

void CMemFile::Write(const void* buffer, std::size_t count) {
  if (m_nPosition == m_data.size()) {  // the usual case: writing at the end
    m_data.append(static_cast<const char*>(buffer), count);
    m_nPosition += count;
    return;
  }
  if (m_nPosition > m_data.size()) m_data.resize(m_nPosition, '\0');
  std::size_t overlap = std::min(count, m_data.size() - m_nPosition);
  m_data.replace(m_nPosition, overlap, static_cast<const char*>(buffer), count);
  m_nPosition += count;
}

std::string CMemFile::TakeData() {
  std::string data = std::move(m_data);
  m_data.clear();
  m_nPosition = 0;
  return data;
}

CByteViewFile::CByteViewFile(std::string_view bytes, std::string name) : m_bytes(bytes) {
  m_strPath = std::move(name);
}

void CByteViewFile::Write(const void*, std::size_t) { ThrowError("the file is read-only"); }

}  // namespace blastsearch
