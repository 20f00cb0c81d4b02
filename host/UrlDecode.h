#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

// Percent-decoding of URL text, as the suite's control library offers it.
//
// Every "%" followed by two hexadecimal digits (either letter case) becomes
// the byte they name; every other character, "+" included, is copied as it
// stands. The decoding fails (result 0) when an escape is malformed: a "%"
// that is not followed by two hexadecimal digits, or "%00", which would cut
// the decoded text short at its terminator.

// Decodes `text` into `out`, a buffer of `outSize` characters, and
// terminates it. Returns 1 on success; 0 when `out` or `text` is null,
// `outSize` is below 1, an escape is malformed, or the decoded text and its
// terminator need more than `outSize` characters. On failure `out` holds an
// empty string (when it can hold one). Never writes beyond `outSize`
// characters.
int decodeURLHexCoding(char* out, int outSize, const char* text);

// The same for an owned string: on success (1) `out` receives the decoded
// text, which is shorter than `outSize` characters as in the buffer form (one
// place stays for the terminator); on failure (0) `out` is left unchanged.
int decodeURLHexCoding(std::string& out, std::string_view text, std::size_t outSize);

}  // namespace BLASTSEARCH_EXPORT
