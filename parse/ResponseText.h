#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>

#include "platform/Export.h"
#include "platform/File.h"

namespace blastsearch BLASTSEARCH_EXPORT {

class CReportSource;

// Markers that ReadSourceText looks for while each piece it reads is fresh
// in the processor's cache: markers that a report may not hold at all, so
// that a parser need not pass over the whole text again to find that out.
inline constexpr std::string_view kNotedMarkers[] = {"Results from round", "Frame", "Strand"};
inline constexpr std::size_t kNotedMarkerCount = std::size(kNotedMarkers);

// Releases a response buffer made by ReadResponseText: ordinary memory, or
// a mapping of its own of `nMapped` bytes.
struct CResponseTextFree {
  std::size_t nMapped = 0;
  void operator()(char* text) const;
};

// A response of NCBI's service read whole into memory: the bytes from the
// file's position on, as normalised text (see NormaliseResponseText),
// zero-terminated right after it. One buffer for the whole text: ordinary
// memory for small texts (which the allocator hands out again for the next
// one), a mapping of its own for large ones.
struct CResponseText {
  std::unique_ptr<char[], CResponseTextFree> pText;
  std::uint64_t nLength = 0;    // the file's length
  std::size_t nRead = 0;        // bytes really read
  std::size_t nTextLength = 0;  // length of the text after normalising (at most nRead)
  std::size_t nCapacity = 0;    // bytes of memory at pText
  std::size_t nReleased = 0;    // bytes at the start whose memory went back (ReleaseBefore)
  // ReadSourceText: the first carriage return or zero byte that normalising
  // must mend; SIZE_MAX when there is none.
  std::size_t nFirstOdd = static_cast<std::size_t>(-1);
  // ReadSourceText: true when nNoted holds, for each of kNotedMarkers, the
  // offset of its first occurrence in the text (SIZE_MAX: none); false when
  // not known (any other text, or one that normalising changed).
  bool bNoted = false;
  std::size_t nNoted[kNotedMarkerCount] = {};

  // True when as many bytes were read as the file is long.
  bool IsWhole() const { return nRead == nLength; }
  // Makes room for `capacity` bytes in all, keeping the nRead bytes read.
  // Throws CMemoryException when there is no memory for it.
  void Reserve(std::size_t capacity);
  // Gives the memory of the whole pages of a mapped buffer before `at` (a
  // position in the text) back to the system, for a reader that never looks
  // behind `at` again: those bytes read as zeros afterwards. Ordinary memory
  // is kept. Returns how many bytes from the start are released in all.
  std::size_t ReleaseBefore(const char* at);
};

// Reads `file` whole: its length, then reads of that many bytes in all from
// its position, normalised as NormaliseResponseText says. A length too large
// to hold in memory raises CMemoryException; file failures arrive as
// CFileException. A CResponseTextFile at its start hands its text over
// without a copy.
CResponseText ReadResponseText(CFile& file);

// Reads `source` to its end (but no more than `atMost` + 1 bytes, so that the
// caller can tell a source larger than it allows) into one buffer sized by
// the source's remaining hint, looking for carriage returns and zero bytes
// in each piece as it arrives; nLength is set to the bytes read. The text is
// not normalised yet: NormaliseReadText does that. Exceptions of the source
// pass out; CMemoryException when no memory is left.
CResponseText ReadSourceText(CReportSource& source, std::uint64_t atMost);

// Normalises a text made by ReadSourceText in place (free when it holds no
// carriage return and no zero byte) and writes its terminator.
void NormaliseReadText(CResponseText& text);

// Normalises the `size` bytes at `text` in place, from offset `from` on (the
// bytes before it must need nothing): every line ending (CR-LF, a lone CR)
// becomes one LF, and every zero byte a blank, so that the readers see one
// zero-terminated text with LF line breaks and a stray zero byte cannot end
// a report early. Writes a terminator after the result (`text` must hold
// size + 1 bytes) and returns the result's length.
std::size_t NormaliseResponseText(char* text, std::size_t size, std::size_t from = 0);

// A text read whole and normalised (ReadSourceText, NormaliseReadText) as a
// read-only file for the parsers that take a file: ReadResponseText takes
// the text over without copying it when the file is at its start; any other
// use reads the text's bytes. `name` names the file in messages; writes
// throw CFileException.
class CResponseTextFile : public CByteViewFile {
 public:
  CResponseTextFile(CResponseText text, std::string name);

  // The text, once; the file is empty afterwards.
  CResponseText Take();
  // The text's bytes (empty once taken); valid while the file holds them.
  std::string_view Text() const { return Bytes(); }

 private:
  CResponseText m_text;
};

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

}  // namespace BLASTSEARCH_EXPORT
