#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

// Text of a record's common fields stays on its line and whole: backslash,
// line ends, tabs and NUL are written as "\\", "\n", "\r", "\t" and "\0".
// Unescaping turns every other backslash pair into its second character and
// drops a lone trailing backslash; it never fails.
std::string EscapeRecordText(std::string_view text);
std::string UnescapeRecordText(std::string_view text);

// The CRC-32 (IEEE) of `bytes`, continuing from `crc` (0 to start).
std::uint32_t RecordCrc32(std::string_view bytes, std::uint32_t crc = 0);

}  // namespace BLASTSEARCH_EXPORT
