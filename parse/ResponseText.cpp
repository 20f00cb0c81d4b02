#include "parse/ResponseText.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>
#include <string>

#include "platform/Exception.h"
#include "platform/File.h"

namespace {

// Reports of several megabytes are read into memory backed by huge pages
// where the system offers them: filling a fresh buffer page by page otherwise
// costs about as much as parsing a fifth of it.
constexpr std::size_t kHugePage = std::size_t{2} << 20;

// Bytes read at once: small enough that the look for carriage returns and
// zero bytes finds them still in the processor's cache.
constexpr std::size_t kReadPiece = std::size_t{256} << 10;

char* AllocateText(std::size_t size) {
  if (size < 4 * kHugePage) return static_cast<char*>(std::malloc(size));
  std::size_t rounded = (size + kHugePage - 1) / kHugePage * kHugePage;
  void* text = std::aligned_alloc(kHugePage, rounded);
  if (text != nullptr) ::madvise(text, rounded, MADV_HUGEPAGE);
  return static_cast<char*>(text);
}

// The first carriage return or zero byte of the `size` bytes at `bytes`, or
// `size` when there is none.
std::size_t FirstToNormalise(const char* bytes, std::size_t size) {
  const void* cr = std::memchr(bytes, '\r', size);
  const void* nul = std::memchr(bytes, '\0', cr ? static_cast<const char*>(cr) - bytes : size);
  if (nul != nullptr) return static_cast<std::size_t>(static_cast<const char*>(nul) - bytes);
  if (cr != nullptr) return static_cast<std::size_t>(static_cast<const char*>(cr) - bytes);
  return size;
}

}  // namespace

void CResponseTextFree::operator()(char* text) const { std::free(text); }

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
  CResponseText response;
  response.nLength = file.GetLength();
  if (response.nLength >= std::numeric_limits<std::size_t>::max()) {
    throw CMemoryException("response too large to hold in memory");
  }
  const auto size = static_cast<std::size_t>(response.nLength);
  response.pText.reset(AllocateText(size + 1));
  if (!response.pText) {
    throw CMemoryException("no memory for a response of " + std::to_string(size) + " bytes");
  }
  // Read piece by piece, each piece looked at while it is fresh.
  char* const text = response.pText.get();
  std::size_t firstOdd = std::numeric_limits<std::size_t>::max();
  while (response.nRead < size) {
    const std::size_t want = std::min(kReadPiece, size - response.nRead);
    const std::size_t got = file.Read(text + response.nRead, want);
    if (firstOdd == std::numeric_limits<std::size_t>::max()) {
      const std::size_t odd = FirstToNormalise(text + response.nRead, got);
      if (odd < got) firstOdd = response.nRead + odd;
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
