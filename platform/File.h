#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/Exception.h"
#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

// A file operation failed; names the file and what went wrong.
class CFileException : public CException {
 public:
  CFileException(std::string fileName, std::string reason)
      : CException(fileName + ": " + reason), m_strFileName(std::move(fileName)) {}

  const std::string& GetFileName() const { return m_strFileName; }

 private:
  std::string m_strFileName;
};

// Size and time of a file on disk, as the file-status query reports them.
struct CFileStatus {
  std::uint64_t m_size = 0;
  std::int64_t m_mtime = 0;
};

// A file on disk, read and written at a current position. The in-memory form
// (CMemFile) overrides every operation, so callers that only read a length and
// bytes take either. Not copyable; the destructor closes the file.
class CFile {
 public:
  enum OpenFlags : unsigned {
    modeRead = 0x0000,
    modeWrite = 0x0001,
    modeReadWrite = 0x0002,
    modeCreate = 0x1000,     // create, or truncate an existing file
    modeExclusive = 0x2000,  // with modeCreate: fail (EEXIST) when the file exists
  };
  enum SeekPosition { begin = 0, current = 1, end = 2 };

  CFile() = default;
  // Opens `path` with `flags`; throws CFileException naming the path.
  CFile(const std::string& path, unsigned flags);
  CFile(const CFile&) = delete;
  CFile& operator=(const CFile&) = delete;
  virtual ~CFile();

  // Opens `path`; false (and the file stays closed) when it cannot be opened.
  [[nodiscard]] bool Open(const std::string& path, unsigned flags);
  virtual void Close();

  virtual std::uint64_t GetLength() const;
  virtual std::uint64_t GetPosition() const;
  // Moves the position; throws CFileException when the result would be negative.
  virtual std::uint64_t Seek(std::int64_t offset, SeekPosition from);
  // Reads up to `count` bytes at the position; returns how many were read
  // (fewer at the end of the file). Throws CFileException on an I/O error.
  [[nodiscard]] virtual std::size_t Read(void* buffer, std::size_t count);
  // Writes all `count` bytes at the position; throws CFileException on failure.
  virtual void Write(const void* buffer, std::size_t count);
  // Hands what was written to the disk itself (fsync); throws CFileException
  // when the system reports that it could not be stored.
  virtual void Flush();

  const std::string& GetFilePath() const { return m_strPath; }
  // The system's descriptor of an open disk file; -1 when closed.
  int GetHandle() const { return m_fd; }

  // Fills `status` and returns true when a file exists at `path`.
  [[nodiscard]] static bool GetStatus(const std::string& path, CFileStatus& status);

 protected:
  [[noreturn]] void ThrowError(const std::string& reason) const;
  // Seek and Read of a file whose bytes are in memory, `length` of them (or
  // `bytes`), read from `position`: the new position; a seek before the start
  // throws CFileException, one past the end stands there and reads nothing.
  std::uint64_t SeekInBytes(std::int64_t offset, SeekPosition from, std::size_t length,
                            std::size_t& position) const;
  static std::size_t ReadBytes(std::string_view bytes, std::size_t& position, void* buffer,
                               std::size_t count);
  // Makes the open descriptor `fd` (owned from now on) this file's, named
  // `path` in messages; the file open before is closed.
  void AttachHandle(int fd, const std::string& path);

  std::string m_strPath;

 private:
  int m_fd = -1;
};

// A file held in memory: starts empty or with given bytes, grows on writes.
class CMemFile : public CFile {
 public:
  CMemFile() = default;
  explicit CMemFile(std::string data) : m_data(std::move(data)) {}

  void Close() override {}
  std::uint64_t GetLength() const override { return m_data.size(); }
  std::uint64_t GetPosition() const override { return m_nPosition; }
  std::uint64_t Seek(std::int64_t offset, SeekPosition from) override {
    return SeekInBytes(offset, from, m_data.size(), m_nPosition);
  }
  [[nodiscard]] std::size_t Read(void* buffer, std::size_t count) override {
    return ReadBytes(m_data, m_nPosition, buffer, count);
  }
  void Write(const void* buffer, std::size_t count) override;
  void Flush() override {}

  // The file's bytes; valid until the next write.
  const std::string& Data() const { return m_data; }
  // Makes room for `size` bytes in all, so that writes up to that size
  // allocate nothing. Throws std::bad_alloc when no memory is left.
  void Reserve(std::size_t size) { m_data.reserve(size); }
  // Hands the bytes over to the caller; the file is left empty, at its start.
  std::string TakeData();

 private:
  std::string m_data;
  std::size_t m_nPosition = 0;
};

// A read-only file over bytes that the caller owns and keeps unchanged while
// the file is used, for readers that take a file but whose bytes are in
// memory already; nothing is copied until Read. `name` names the file in
// error messages. Writes throw CFileException.
class CByteViewFile : public CFile {
 public:
  CByteViewFile(std::string_view bytes, std::string name);

  void Close() override {}
  std::uint64_t GetLength() const override { return m_bytes.size(); }
  std::uint64_t GetPosition() const override { return m_nPosition; }
  std::uint64_t Seek(std::int64_t offset, SeekPosition from) override {
    return SeekInBytes(offset, from, m_bytes.size(), m_nPosition);
  }
  [[nodiscard]] std::size_t Read(void* buffer, std::size_t count) override {
    return ReadBytes(m_bytes, m_nPosition, buffer, count);
  }
  void Write(const void* buffer, std::size_t count) override;
  void Flush() override {}

 protected:
  // The bytes read now; valid as long as their owner keeps them.
  std::string_view Bytes() const { return m_bytes; }
  // Reads `bytes` from now on, from their start.
  void ResetBytes(std::string_view bytes) {
    m_bytes = bytes;
    m_nPosition = 0;
  }

 private:
  std::string_view m_bytes;
  std::size_t m_nPosition = 0;
};

}  // namespace BLASTSEARCH_EXPORT
