#pragma once

#include <string>
#include <string_view>

#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

// `text` from a report made safe to write to a terminal: control characters
// (C0, DEL, and C1 whether raw or UTF-8 encoded) become "\xHH" escapes, so
// that no escape sequence in a report reaches the terminal; everything else,
// UTF-8 and Latin-1 letters included, stays as it is.
std::string PrintableText(std::string_view text);

// True when `text` is well-formed UTF-8 (no overlong forms, surrogates or
// code points above U+10FFFF); otherwise false with the offset of the first
// byte that is not in `bad` (may be null).
bool IsUtf8Text(std::string_view text, std::size_t* bad = nullptr);

// For messages that repeat what was typed: PrintableText of `text`, cut after
// about `limit` bytes (at a character's start) with "..." added when longer.
std::string ShownText(std::string_view text, std::size_t limit = 60);

}  // namespace BLASTSEARCH_EXPORT
