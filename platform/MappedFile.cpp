#include "platform/MappedFile.h"

#include <sys/mman.h>

#include <cstdint>

#include "platform/File.h"

void CMappedFile::Open(const std::string& path) {
  Close();
  CFile file(path, CFile::modeRead);
  const std::uint64_t length = file.GetLength();
  if (length > 0) {
    void* mapping = nullptr;
    if (length <= SIZE_MAX) {
      mapping = ::mmap(nullptr, static_cast<std::size_t>(length), PROT_READ, MAP_PRIVATE,
                       file.GetHandle(), 0);
    }
    if (mapping != MAP_FAILED && mapping != nullptr) {
      ::madvise(mapping, static_cast<std::size_t>(length), MADV_SEQUENTIAL);
      m_pMapping = mapping;
      m_nMapped = static_cast<std::size_t>(length);
      m_view = std::string_view(static_cast<const char*>(mapping), m_nMapped);
      return;
    }
  }
  // Not mappable (or empty): read what there is.
  char chunk[1 << 16];
  for (std::size_t n; (n = file.Read(chunk, sizeof chunk)) > 0;) m_fallback.append(chunk, n);
  m_view = m_fallback;
}

void CMappedFile::Close() {
  if (m_pMapping != nullptr) ::munmap(m_pMapping, m_nMapped);
  m_pMapping = nullptr;
  m_nMapped = 0;
  m_fallback.clear();
  m_view = {};
}
