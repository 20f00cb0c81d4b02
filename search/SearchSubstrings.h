#pragma once

#include <string>
#include <vector>

#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

// The characters a search substring may not hold: dollar, vertical bar,
// backslash, left and right brace, double quote.
inline constexpr const char* kForbiddenSubstringChars = "$|\\{}\"";

// 1 when `text` holds none of the forbidden characters and no control
// character, else 0.
int CheckSearchSubstring(const std::string& text);

// Adds `text` to the text search's substrings the way the text page does:
// an empty text or one the list already holds exactly is ignored (true);
// a text that fails CheckSearchSubstring is refused (false, list
// unchanged); otherwise it goes in at its place in the page's order
// (ignoring letter case, then exact).
bool AddSearchSubstring(std::vector<std::string>& substrings, const std::string& text);

}  // namespace BLASTSEARCH_EXPORT
