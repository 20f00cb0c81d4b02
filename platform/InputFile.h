#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/Export.h"
#include "platform/File.h"

namespace blastsearch BLASTSEARCH_EXPORT {

// One input read once into memory: a file on disk, a pipe, a device or
// standard input. The bytes are copied in with read(), never mapped, so a
// file that is cut short or rewritten while it is read yields fewer or other
// bytes, never a crash. Reading is done in steps (a first look, then the
// rest), and each step stops at a size the caller chooses, so input that
// never ends (a device, an endless pipe) costs no more than that size.
// Small inputs are held in ordinary memory, and an object that opens one
// input after another keeps that memory for the next, so that reading many
// files costs no fresh memory from the system for each; large inputs get
// memory of their own from the system, given back when the next input is
// opened. Not copyable; the destructor releases the bytes and closes the
// input (standard input is left open).
class CInputFile {
 public:
  // What a read step ended with.
  enum ReadState {
    readEnded,    // the input ended; View() holds all of it
    readFull,     // View() holds at least the size asked for; more may follow
    readStopped,  // the stop flag was set; View() holds what came before
  };

  CInputFile() = default;
  CInputFile(const CInputFile&) = delete;
  CInputFile& operator=(const CInputFile&) = delete;
  ~CInputFile();

  // Opens `path`, or standard input for "-", dropping the bytes of the
  // input read before. False, with errno set, when it cannot be opened or is
  // a folder; the object then holds nothing.
  [[nodiscard]] bool Open(const std::string& path);

  // Reads on until at least `size` bytes are held, the input ends, or
  // `*pStop` (may be null) is non-zero when a read returns or is interrupted
  // by a signal. Throws CFileException naming the input on a read error, and
  // CMemoryException when no memory is left for the bytes.
  ReadState Read(std::uint64_t size, int* pStop);

  // Reads up to `size` bytes of what follows the bytes held straight into
  // `buffer`, for a reader that takes the rest of the input as a stream: they
  // are not held, and View() does not change. Returns how many; 0 at the end
  // of the input, and also when a read is interrupted by a signal while
  // `*pStop` (may be null) is non-zero (the caller tells the two apart by
  // its flag). Throws CFileException naming the input on a read error.
  std::size_t ReadOn(char* buffer, std::size_t size, int* pStop);

  // The bytes read so far; valid until the next Read or the object's end.
  std::string_view View() const { return {m_pBytes, m_nHeld}; }
  // The name for messages: the path, or "standard input" for "-".
  const std::string& GetName() const { return m_strName; }
  // The length of a file on disk when it was opened; 0 for anything else.
  std::uint64_t GetOpenedLength() const { return m_nOpenedLength; }
  // True when `path` names the very file being read (same device and inode).
  bool IsSameFileAs(const std::string& path) const;

 private:
  friend class CInputBytesFile;

  void Reserve(std::size_t capacity);
  // Gives the bytes' memory back to the system; with `keepSmall`, ordinary
  // memory is kept (empty) for the next input.
  void Release(bool keepSmall = false);
  // Gives the memory of the whole pages before `offset` back to the system;
  // those bytes read as zeros afterwards.
  void ReleaseBefore(std::size_t offset);

  int m_fd = -1;
  bool m_bOwnsHandle = false;
  std::string m_strName;
  std::uint64_t m_nOpenedLength = 0;
  std::uint64_t m_nDevice = 0;
  std::uint64_t m_nInode = 0;
  // m_nCapacity bytes: ordinary memory below a size, above it an anonymous
  // mapping (m_bMapped); or null.
  char* m_pBytes = nullptr;
  std::size_t m_nCapacity = 0;
  bool m_bMapped = false;
  std::size_t m_nHeld = 0;
  std::size_t m_nReleased = 0;  // bytes at the start whose memory went back
  bool m_bEnded = false;
};

// Opens `path` (a file on disk; "-" is standard input) and reads it whole
// into `input`. Throws CFileException naming the file when it cannot be
// opened or read, and CMemoryException when no memory is left for it.
void ReadWholeFile(const std::string& path, CInputFile& input);

// The bytes of a CInputFile as a read-only file for a reader that copies them
// into a buffer of its own: the memory of what has been read goes back to the
// system as the reading goes on, so that the bytes of a large input are not
// held twice. Read once, from start to end: a seek back before what was
// given back throws CFileException, and the input's View() no longer holds
// those bytes. The
// input must outlive the file and is not read further meanwhile.
class CInputBytesFile : public CByteViewFile {
 public:
  explicit CInputBytesFile(CInputFile& input);

  std::uint64_t Seek(std::int64_t offset, SeekPosition from) override;
  std::size_t Read(void* buffer, std::size_t count) override;

 private:
  CInputFile& m_input;
};

}  // namespace BLASTSEARCH_EXPORT
