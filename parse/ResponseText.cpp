#include "parse/ResponseText.h"

#include <sys/mman.h>

#include <cstdlib>
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

char* AllocateText(std::size_t size) {
  if (size < 4 * kHugePage) return static_cast<char*>(std::malloc(size));
  std::size_t rounded = (size + kHugePage - 1) / kHugePage * kHugePage;
  void* text = std::aligned_alloc(kHugePage, rounded);
  if (text != nullptr) ::madvise(text, rounded, MADV_HUGEPAGE);
  return static_cast<char*>(text);
}

}  // namespace

void CResponseTextFree::operator()(char* text) const { std::free(text); }

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
  response.nRead = file.Read(response.pText.get(), size);
  response.pText[response.nRead] = '\0';
  return response;
}
