#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

class CFile;

// Releases a response buffer made by ReadResponseText.
struct CResponseTextFree {
  void operator()(char* text) const;
};

// A response of NCBI's service read whole into memory: the bytes from the
// file's position on, zero-terminated right after the bytes really read.
struct CResponseText {
  std::unique_ptr<char[], CResponseTextFree> pText;
  std::uint64_t nLength = 0;  // the file's length
  std::size_t nRead = 0;      // bytes really read

  // True when as many bytes were read as the file is long.
  bool IsWhole() const { return nRead == nLength; }
};

// Reads `file` whole: its length, then a read of that many bytes from its
// position. A length too large to hold in memory raises CMemoryException;
// file failures arrive as CFileException.
CResponseText ReadResponseText(CFile& file);

// Points a pointer field at something for the time of one operation and
// clears it again, also when the operation throws.
template <typename T>
class CFieldLease {
 public:
  CFieldLease(T*& field, T* value) : m_field(field) { m_field = value; }
  ~CFieldLease() { m_field = nullptr; }
  CFieldLease(const CFieldLease&) = delete;
  CFieldLease& operator=(const CFieldLease&) = delete;

 private:
  T*& m_field;
};
