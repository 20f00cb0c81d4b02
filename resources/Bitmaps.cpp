// The module's bitmaps: the table's icon in two sizes and the four object
// icons in two sizes, .bmp files of resources/bitmaps/ built into the library.
#include <cstring>
#include <iterator>

#include "resources/EmbeddedFiles.h"
#include "resources/ResourceParts.h"

namespace blastsearch {

namespace {

struct CBitmapFile {
  unsigned m_nId;
  const char* m_pszFile;
};

constexpr CBitmapFile kBitmapFiles[] = {
    {1004, "document16.bmp"},   // 16 by 16
    {1005, "document32.bmp"},   // 32 by 32
    {1006, "documents16.bmp"},  // 64 by 16: stored, open, linked, temporary
    {1007, "documents32.bmp"},  // 128 by 32: the same
};

// The bitmap `file` names; no bytes when the file was not embedded.
CBitmapResource FindBitmap(const CBitmapFile& file) {
  for (const CEmbeddedFile& embedded : EmbeddedFiles()) {
    if (std::strcmp(embedded.m_pszName, file.m_pszFile) == 0) {
      return {file.m_nId, embedded.m_pBytes, embedded.m_nSize};
    }
  }
  return {file.m_nId, nullptr, 0};
}

}  // namespace

std::span<const CBitmapResource> ModuleBitmaps() {
  static const CBitmapResource bitmaps[] = {
      FindBitmap(kBitmapFiles[0]), FindBitmap(kBitmapFiles[1]), FindBitmap(kBitmapFiles[2]),
      FindBitmap(kBitmapFiles[3])};
  static_assert(std::size(bitmaps) == std::size(kBitmapFiles));
  return bitmaps;
}

}  // namespace blastsearch
