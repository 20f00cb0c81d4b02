#include "parse/ResponseText.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>
#include <string>

#include "parse/FindText.h"
#include "parse/ResultReader.h"
#include "platform/Exception.h"

namespace blastsearch {

namespace {

constexpr std::size_t kPage = 4096;
constexpr std::size_t kHugePage = std::size_t{2} << 20;
// Texts from this size on get a mapping of their own (which can grow without
// a copy and give back what a reader has passed); smaller ones ordinary
// memory, which the allocator hands out again for the next text.
constexpr std::size_t kMappedFrom = std::size_t{1} << 20;
// Texts of several megabytes are backed by huge pages where the system
// offers them: the system fills those in far fewer steps.
constexpr std::size_t kHugeFrom = 4 * kHugePage;
// Bytes read at once: small enough that the look for carriage returns and
// zero bytes finds them still in the processor's cache.
constexpr std::size_t kReadPiece = std::size_t{256} << 10;
// Room for a source that does not say how much it holds, to begin with.
constexpr std::size_t kFirstRoom = std::size_t{64} << 10;
constexpr std::size_t kNone = std::numeric_limits<std::size_t>::max();

std::size_t RoundedMapping(std::size_t size) {
  const std::size_t unit = size >= kHugeFrom ? kHugePage : kPage;
  return (size + unit - 1) / unit * unit;
}

// A fresh mapping of `size` bytes; from kHugeFrom on it starts at a huge
// page's boundary, so that huge pages can back all of it. MAP_FAILED when
// there is no memory.
void* MapAligned(std::size_t size) {
  const std::size_t extra = size >= kHugeFrom ? kHugePage : 0;
  void* mapped =
      ::mmap(nullptr, size + extra, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapped == MAP_FAILED || extra == 0) return mapped;
  const auto at = reinterpret_cast<std::uintptr_t>(mapped);
  const std::uintptr_t aligned = (at + kHugePage - 1) / kHugePage * kHugePage;
  if (aligned > at) ::munmap(mapped, aligned - at);
  if (aligned + size < at + size + extra)
    ::munmap(reinterpret_cast<void*>(aligned + size), at + extra - aligned);
  return reinterpret_cast<void*>(aligned);
}

[[noreturn]] void ThrowNoMemory(std::size_t size) {
  throw CMemoryException("no memory for a text of " + std::to_string(size) + " bytes");
}

}  // namespace

void CResponseTextFree::operator()(char* text) const {
  if (nMapped != 0) {
    ::munmap(text, nMapped);
  } else {
    std::free(text);
  }
}

void CResponseText::Reserve(std::size_t capacity) {
  if (capacity <= nCapacity) return;
  if (capacity > std::numeric_limits<std::size_t>::max() / 2) ThrowNoMemory(capacity);
  char* const old = pText.get();
  const std::size_t mapped = pText.get_deleter().nMapped;
  if (capacity < kMappedFrom && mapped == 0) {
    void* grown = std::realloc(old, capacity);
    if (grown == nullptr) ThrowNoMemory(capacity);
    (void)pText.release();
    pText.reset(static_cast<char*>(grown));
    nCapacity = capacity;
    return;
  }
  const std::size_t rounded = RoundedMapping(capacity);
  void* bytes = mapped != 0 ? ::mremap(old, mapped, rounded, MREMAP_MAYMOVE) : MapAligned(rounded);
  if (bytes == MAP_FAILED) ThrowNoMemory(capacity);
  if (rounded >= kHugeFrom) ::madvise(bytes, rounded, MADV_HUGEPAGE);
  if (mapped == 0 && old != nullptr) {
    std::memcpy(bytes, old, nRead);
    std::free(old);
  }
  (void)pText.release();  // freed above, or moved by mremap
  pText = std::unique_ptr<char[], CResponseTextFree>(static_cast<char*>(bytes),
                                                     CResponseTextFree{rounded});
  nCapacity = rounded;
}

std::size_t CResponseText::ReleaseBefore(const char* at) {
  const std::size_t mapped = pText.get_deleter().nMapped;
  if (mapped == 0 || at < pText.get()) return nReleased;
  // Whole huge pages, so that few calls give back much and none splits one.
  const auto offset = static_cast<std::size_t>(at - pText.get());
  const std::size_t pages = std::min(offset, mapped) / kHugePage * kHugePage;
  if (pages > nReleased) {
    ::madvise(pText.get() + nReleased, pages - nReleased, MADV_DONTNEED);
    nReleased = pages;
  }
  return nReleased;
}

std::size_t NormaliseResponseText(char* text, std::size_t size, std::size_t from) {
  char* out = text + from;
  for (std::size_t at = from; at < size; ++at) {
    const char c = text[at];
    if (c == '\r') {
      *out++ = '\n';
      if (at + 1 < size && text[at + 1] == '\n') ++at;  // CR-LF is one line break
    } else {
      *out++ = c == '\0' ? ' ' : c;
    }
  }
  const auto length = static_cast<std::size_t>(out - text);
  text[length] = '\0';
  return length;
}

CResponseText ReadResponseText(CFile& file) {
  if (auto* whole = dynamic_cast<CResponseTextFile*>(&file); whole && file.GetPosition() == 0)
    return whole->Take();
  CResponseText response;
  response.nLength = file.GetLength();
  if (response.nLength >= std::numeric_limits<std::size_t>::max() / 2) {
    throw CMemoryException("response too large to hold in memory");
  }
  const auto size = static_cast<std::size_t>(response.nLength);
  response.Reserve(size + 1);
  // Read piece by piece, each piece looked at while it is fresh.
  char* const text = response.pText.get();
  std::size_t firstOdd = kNone;
  while (response.nRead < size) {
    const std::size_t want = std::min(kReadPiece, size - response.nRead);
    const std::size_t got = file.Read(text + response.nRead, want);
    if (firstOdd == kNone) {
      const char* piece = text + response.nRead;
      const char* odd = FindCarriageReturnOrZero(piece, piece + got);
      if (odd < piece + got) firstOdd = response.nRead + static_cast<std::size_t>(odd - piece);
    }
    response.nRead += got;
    if (got < want) break;
  }
  text[response.nRead] = '\0';
  response.nTextLength = response.nRead;
  if (firstOdd < response.nRead) {
    response.nTextLength = NormaliseResponseText(text, response.nRead, firstOdd);
  }
  return response;
}

namespace {

// Notes the first occurrence of each of kNotedMarkers that ends in the
// piece [from, to) of `text`, the text before it looked at already: the
// markers not met yet, in one pass.
void NoteMarkers(CResponseText& text, std::size_t from, std::size_t to) {
  static_assert(kNotedMarkerCount <= kMostTexts);
  std::string_view open[kNotedMarkerCount];
  std::size_t index[kNotedMarkerCount];
  std::size_t count = 0;
  std::size_t reach = 0;
  for (std::size_t m = 0; m < kNotedMarkerCount; ++m) {
    if (text.nNoted[m] != kNone) continue;
    open[count] = kNotedMarkers[m];
    index[count++] = m;
    // An occurrence may begin in the piece before.
    reach = std::max(reach, kNotedMarkers[m].size() - 1);
  }
  if (count == 0) return;
  // A marker with less reach has no occurrence in the extra bytes looked
  // at: it would end in the piece before, where it was not found.
  const char* const start = text.pText.get();
  const std::size_t probes[kNotedMarkerCount] = {};
  const char* found[kNotedMarkerCount] = {};
  FindTexts(start + (from > reach ? from - reach : 0), start + to,
            std::span(open).first(count), probes, found);
  for (std::size_t m = 0; m < count; ++m) {
    if (found[m] != nullptr) text.nNoted[index[m]] = static_cast<std::size_t>(found[m] - start);
  }
}

}  // namespace

CResponseText ReadSourceText(CReportSource& source, std::uint64_t atMost) {
  CResponseText text;
  const std::uint64_t limit =
      atMost < std::numeric_limits<std::uint64_t>::max() ? atMost + 1 : atMost;
  const std::uint64_t hint = std::min(source.GetRemainingHint(), limit);
  if (hint >= std::numeric_limits<std::size_t>::max() / 4) ThrowNoMemory(kNone);
  // Room for what the source expects to give, one byte to find its end
  // without growing, and the terminator.
  text.Reserve(hint > 0 ? static_cast<std::size_t>(hint) + 2 : kFirstRoom);
  std::size_t firstOdd = kNone;
  std::fill(std::begin(text.nNoted), std::end(text.nNoted), kNone);
  while (text.nRead < limit) {
    if (text.nCapacity - text.nRead < 2) text.Reserve(text.nCapacity * 2);
    const std::size_t want = static_cast<std::size_t>(
        std::min<std::uint64_t>({kReadPiece, text.nCapacity - 1 - text.nRead, limit - text.nRead}));
    char* const piece = text.pText.get() + text.nRead;
    const std::size_t got = source.Read(piece, want);
    if (got == 0) break;
    if (firstOdd == kNone) {
      const char* odd = FindCarriageReturnOrZero(piece, piece + got);
      if (odd < piece + got) firstOdd = text.nRead + static_cast<std::size_t>(odd - piece);
    }
    NoteMarkers(text, text.nRead, text.nRead + got);
    text.nRead += got;
  }
  text.bNoted = firstOdd == kNone;
  text.nLength = text.nRead;
  text.nTextLength = text.nRead;
  text.pText[text.nRead] = '\0';
  text.nFirstOdd = firstOdd;
  return text;
}

void NormaliseReadText(CResponseText& text) {
  if (text.nFirstOdd < text.nRead) {
    text.nTextLength = NormaliseResponseText(text.pText.get(), text.nRead, text.nFirstOdd);
    text.bNoted = false;  // the markers may stand elsewhere now
  }
  text.nFirstOdd = kNone;
}

// The buffer a unique_ptr owns stays where it is when the pointer moves, so
// the view made before the move stays valid.
CResponseTextFile::CResponseTextFile(CResponseText text, std::string name)
    : CByteViewFile(std::string_view(text.pText.get(), text.nTextLength), std::move(name)),
      m_text(std::move(text)) {}

CResponseText CResponseTextFile::Take() {
  CResponseText taken = std::move(m_text);
  m_text = CResponseText();
  ResetBytes({});
  return taken;
}

}  // namespace blastsearch
