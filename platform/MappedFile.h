#pragma once

#include <string>
#include <string_view>

// A read-only view of a whole file's bytes, mapped into memory where the
// system allows it and read into memory otherwise (pipes, special files).
// The view is valid while the object lives; not copyable.
class CMappedFile {
 public:
  CMappedFile() = default;
  CMappedFile(const CMappedFile&) = delete;
  CMappedFile& operator=(const CMappedFile&) = delete;
  ~CMappedFile() { Close(); }

  // Maps the file at `path`; throws CFileException naming the file when it
  // cannot be opened or read.
  void Open(const std::string& path);
  void Close();

  std::string_view View() const { return m_view; }

 private:
  void* m_pMapping = nullptr;
  std::size_t m_nMapped = 0;
  std::string m_fallback;  // the bytes, where the file could not be mapped
  std::string_view m_view;
};
