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
// file's position on, as normalised text (see NormaliseResponseText),
// zero-terminated right after it.
struct CResponseText {
  std::unique_ptr<char[], CResponseTextFree> pText;
  std::uint64_t nLength = 0;    // the file's length
  std::size_t nRead = 0;        // bytes really read
  std::size_t nTextLength = 0;  // length of the text after normalising (at most nRead)

  // True when as many bytes were read as the file is long.
  bool IsWhole() const { return nRead == nLength; }
};

// Reads `file` whole: its length, then reads of that many bytes in all from
// its position, normalised as NormaliseResponseText says. A length too large
// to hold in memory raises CMemoryException; file failures arrive as
// CFileException.
CResponseText ReadResponseText(CFile& file);

// Normalises the `size` bytes at `text` in place, from offset `from` on (the
// bytes before it must need nothing): every line ending (CR-LF, a lone CR)
// becomes one LF, and every zero byte a blank, so that the readers see one
// zero-terminated text with LF line breaks and a stray zero byte cannot end
// a report early. Writes a terminator after the result (`text` must hold
// size + 1 bytes) and returns the result's length.
std::size_t NormaliseResponseText(char* text, std::size_t size, std::size_t from = 0);

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
