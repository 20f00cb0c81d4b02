#pragma once

#include <cstddef>
#include <span>

#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

// Files of resources/bitmaps/ built into the library (cmake/EmbedFiles.cmake
// makes the source that defines them). Constant; live for the whole process.
struct CEmbeddedFile {
  const char* m_pszName;  // the file's name, without folder
  const unsigned char* m_pBytes;
  std::size_t m_nSize;
};

// Every embedded file, in the order of their names.
std::span<const CEmbeddedFile> EmbeddedFiles();

}  // namespace BLASTSEARCH_EXPORT
