#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host/OrvFileSpec.h"
#include "platform/Export.h"
#include "platform/File.h"

namespace blastsearch BLASTSEARCH_EXPORT {

// A text file of the host, named by a file specification and opened for
// reading or writing. Raw bytes (archive data) may sit inside the text: the
// underlying file is checked out at the current text position, read or
// written by an archive, and checked back in, after which the text goes on
// behind what the archive consumed or produced. Lines end in "\n"; a "\r"
// before it is dropped on reading. Not copyable; the destructor closes.
class COrvTextFile {
 public:
  enum : unsigned { modeAppend = 0x0001 };  // OpenOutput: append instead of truncating

  // Names the file; nothing is opened yet.
  explicit COrvTextFile(const COrvFileSpec& spec);
  COrvTextFile(const COrvTextFile&) = delete;
  COrvTextFile& operator=(const COrvTextFile&) = delete;
  ~COrvTextFile();

  // Opens the file for reading from its start (`flags`: 0); non-zero when it
  // is open, 0 when it cannot be opened.
  [[nodiscard]] int OpenInput(unsigned flags);
  // Opens the file for writing, created or emptied (appended to with
  // modeAppend); non-zero when it is open, 0 when it cannot be opened.
  [[nodiscard]] int OpenOutput(unsigned flags);
  // Opens an in-memory file holding `bytes` for reading from its start
  // (records kept in a database); its name serves only in messages.
  void OpenMemoryInput(std::string bytes);
  // Opens an empty in-memory file for writing; MemoryData() has the bytes.
  void OpenMemoryOutput();
  // The bytes of an open in-memory file (empty for a disk file); valid until
  // the next write or Close.
  const std::string& MemoryData() const;

  // Non-zero while the file is open.
  int IsOpen() const { return m_pFile != nullptr ? 1 : 0; }
  // Closes the file (a checked-out file with it); harmless when closed.
  void Close();

  // The specification the file was named by.
  const COrvFileSpec& GetFileSpec() const { return m_spec; }

  // Appends `text` (null appends nothing). Throws CFileException when the
  // file is not open for writing, is checked out, or the write fails.
  void WriteString(const char* text);
  // Reads the next line without its end into `line`; 0 (line empty) at the
  // end of the file. Throws CFileException when the file is not open for
  // reading, is checked out, or the read fails.
  int ReadString(std::string& line);
  // Consumes a line end ("\n" or "\r\n") standing at the current position:
  // 1 when one stood there, 0 (nothing consumed) otherwise. Throws as
  // ReadString does.
  int ReadLineEnd();
  // Non-zero when no byte remains to be read. Throws as ReadString does.
  int AtEnd();

  // The underlying file, positioned at the current text position, for an
  // archive to read or write; owned by this text file. Text operations throw
  // until the file is checked back in. Throws CFileException when the file
  // is not open or already checked out.
  CFile* CheckOutFilePtr();
  // Takes the file back; text goes on from the file's position.
  void CheckInFilePtr();

 private:
  friend int ReadSeparator(COrvTextFile& file, int& field);

  void Require(bool writing) const;
  // The next byte without consuming it, or -1 at the end of the file.
  int Peek();
  std::uint64_t TextPosition() const { return m_nBufferStart + m_nBufferIndex; }
  // Moves the text position to `offset` of the file.
  void SeekText(std::uint64_t offset);

  COrvFileSpec m_spec;
  std::unique_ptr<CFile> m_pFile;
  CMemFile* m_pMemory = nullptr;  // m_pFile when it is an in-memory file
  bool m_bWriting = false;
  bool m_bCheckedOut = false;
  // Reading: bytes read ahead from file offset m_nBufferStart.
  std::string m_buffer;
  std::uint64_t m_nBufferStart = 0;
  std::size_t m_nBufferIndex = 0;
};

// Writes the host's separator that opens field `field`: the text "@<field>:".
void WriteSeparator(int field, COrvTextFile& file);
// Reads a field separator at the current text position into `field`; 1 when
// one stood there, 0 (position unchanged) otherwise.
int ReadSeparator(COrvTextFile& file, int& field);
// Appends to `comments` (ignored when null) every remaining line of the open
// comment file, one comment text per line. Throws CFileException as
// ReadString does.
void ReadCommentData(COrvTextFile& file, std::vector<std::string>* comments);

}  // namespace BLASTSEARCH_EXPORT
