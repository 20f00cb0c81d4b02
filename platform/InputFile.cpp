#include "platform/InputFile.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "platform/Exception.h"
#include "platform/File.h"

namespace blastsearch {

namespace {

constexpr std::size_t kPage = 4096;
constexpr std::size_t kHugePage = std::size_t{2} << 20;
// Streams grow their buffer by at least this much at a time.
constexpr std::size_t kStep = std::size_t{64} << 10;
// Buffers below this size are ordinary memory, kept from input to input;
// larger ones are mappings of their own.
constexpr std::size_t kOrdinaryLimit = std::size_t{1} << 20;

bool IsSet(int* pStop) {
  return pStop != nullptr && std::atomic_ref<int>(*pStop).load(std::memory_order_relaxed) != 0;
}

// `size` rounded up to whole pages; large buffers to whole huge pages, which
// the system fills in far fewer steps.
std::size_t RoundedCapacity(std::size_t size) {
  const std::size_t unit = size >= 4 * kHugePage ? kHugePage : kPage;
  if (size > std::numeric_limits<std::size_t>::max() - unit) return 0;
  return (size + unit - 1) / unit * unit;
}

}  // namespace

CInputFile::~CInputFile() {
  Release();
  if (m_bOwnsHandle) ::close(m_fd);
}

bool CInputFile::Open(const std::string& path) {
  Release(true);
  if (m_bOwnsHandle) ::close(m_fd);
  m_fd = -1;
  m_bOwnsHandle = false;
  m_bEnded = false;
  m_nOpenedLength = 0;
  const bool standardInput = path == "-";
  const int fd = standardInput ? STDIN_FILENO : ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st {};
  int error = ::fstat(fd, &st) != 0 ? errno : S_ISDIR(st.st_mode) ? EISDIR : 0;
  if (error != 0) {
    if (!standardInput) ::close(fd);
    errno = error;
    return false;
  }
  m_fd = fd;
  m_bOwnsHandle = !standardInput;
  m_strName = standardInput ? "standard input" : path;
  m_nDevice = static_cast<std::uint64_t>(st.st_dev);
  m_nInode = static_cast<std::uint64_t>(st.st_ino);
  if (S_ISREG(st.st_mode) && st.st_size > 0) {
    // Standard input may stand anywhere in a file: what is left counts.
    const off_t at = ::lseek(fd, 0, SEEK_CUR);
    const off_t left = at > 0 && at <= st.st_size ? st.st_size - at : st.st_size;
    m_nOpenedLength = static_cast<std::uint64_t>(left);
  }
  return true;
}

CInputFile::ReadState CInputFile::Read(std::uint64_t size, int* pStop) {
  const std::uint64_t target =
      std::min<std::uint64_t>(size, std::numeric_limits<std::size_t>::max() / 2);
  while (!m_bEnded && m_nHeld < target) {
    if (IsSet(pStop)) return readStopped;
    if (m_nHeld == m_nCapacity) {
      // A file on disk gets room for its whole length and one byte more, so
      // that the read that finds its end needs no more room; streams double.
      const std::uint64_t wanted =
          std::max({m_nHeld + kStep, 2 * std::uint64_t{m_nCapacity}, m_nOpenedLength + 1});
      Reserve(static_cast<std::size_t>(std::min(wanted, target + kStep)));
    }
    const std::size_t room =
        static_cast<std::size_t>(std::min<std::uint64_t>(m_nCapacity - m_nHeld, target - m_nHeld));
    const ssize_t n = ::read(m_fd, m_pBytes + m_nHeld, room);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) throw CFileException(m_strName, std::string("read failed: ") + std::strerror(errno));
    if (n == 0) m_bEnded = true;
    m_nHeld += static_cast<std::size_t>(n);
  }
  return m_bEnded ? readEnded : readFull;
}

std::size_t CInputFile::ReadOn(char* buffer, std::size_t size, int* pStop) {
  while (!m_bEnded && size > 0) {
    const ssize_t n = ::read(m_fd, buffer, size);
    if (n < 0 && errno == EINTR) {
      if (IsSet(pStop)) return 0;
      continue;
    }
    if (n < 0) throw CFileException(m_strName, std::string("read failed: ") + std::strerror(errno));
    if (n == 0) m_bEnded = true;
    return static_cast<std::size_t>(n);
  }
  return 0;
}

bool CInputFile::IsSameFileAs(const std::string& path) const {
  struct stat st {};
  return m_fd >= 0 && ::stat(path.c_str(), &st) == 0 &&
         static_cast<std::uint64_t>(st.st_dev) == m_nDevice &&
         static_cast<std::uint64_t>(st.st_ino) == m_nInode;
}

void CInputFile::Reserve(std::size_t capacity) {
  const std::size_t rounded = RoundedCapacity(capacity);
  if (rounded == 0) {
    throw CMemoryException("no memory for " + std::to_string(capacity) + " bytes of " + m_strName);
  }
  if (rounded <= m_nCapacity) return;
  void* bytes = nullptr;
  if (rounded < kOrdinaryLimit) {
    // Still small: ordinary memory, which the system need not hand out anew.
    bytes = std::realloc(m_pBytes, rounded);
  } else if (m_bMapped) {
    bytes = ::mremap(m_pBytes, m_nCapacity, rounded, MREMAP_MAYMOVE);
  } else {
    bytes = ::mmap(nullptr, rounded, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (bytes != MAP_FAILED && m_pBytes != nullptr) {
      std::memcpy(bytes, m_pBytes, m_nHeld);
      std::free(m_pBytes);
    }
  }
  if (bytes == nullptr || bytes == MAP_FAILED) {
    throw CMemoryException("no memory for " + std::to_string(capacity) + " bytes of " + m_strName);
  }
  m_bMapped = rounded >= kOrdinaryLimit;
  if (rounded >= 4 * kHugePage) ::madvise(bytes, rounded, MADV_HUGEPAGE);
  m_pBytes = static_cast<char*>(bytes);
  m_nCapacity = rounded;
}

void CInputFile::Release(bool keepSmall) {
  m_nHeld = 0;
  m_nReleased = 0;
  if (keepSmall && !m_bMapped) return;
  if (m_bMapped) {
    ::munmap(m_pBytes, m_nCapacity);
  } else {
    std::free(m_pBytes);
  }
  m_pBytes = nullptr;
  m_nCapacity = 0;
  m_bMapped = false;
}

void CInputFile::ReleaseBefore(std::size_t offset) {
  // Ordinary memory is small enough to hold twice.
  if (!m_bMapped) return;
  const std::size_t pages = std::min(offset, m_nHeld) / kPage * kPage;
  if (pages <= m_nReleased) return;
  ::madvise(m_pBytes + m_nReleased, pages - m_nReleased, MADV_DONTNEED);
  m_nReleased = pages;
}

CInputBytesFile::CInputBytesFile(CInputFile& input)
    : CByteViewFile(input.View(), input.GetName()), m_input(input) {}

std::uint64_t CInputBytesFile::Seek(std::int64_t offset, SeekPosition from) {
  const std::uint64_t position = CByteViewFile::Seek(offset, from);
  if (position < m_input.m_nReleased) ThrowError("cannot seek back over bytes already read");
  return position;
}

std::size_t CInputBytesFile::Read(void* buffer, std::size_t count) {
  // In steps, so that no more than one step is held twice.
  constexpr std::size_t kReadStep = std::size_t{4} << 20;
  std::size_t done = 0;
  while (done < count) {
    const std::size_t n =
        CByteViewFile::Read(static_cast<char*>(buffer) + done, std::min(kReadStep, count - done));
    if (n == 0) break;
    done += n;
    m_input.ReleaseBefore(static_cast<std::size_t>(GetPosition()));
  }
  return done;
}

void ReadWholeFile(const std::string& path, CInputFile& input) {
  if (!input.Open(path)) throw CFileException(path, std::strerror(errno));
  while (input.Read(UINT64_MAX, nullptr) == CInputFile::readFull) {
  }
}

}  // namespace blastsearch
