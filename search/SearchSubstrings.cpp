#include "search/SearchSubstrings.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace blastsearch {

namespace {

// The order of the page's sorted substring list: letter case ignored first.
bool ComesBefore(const std::string& a, const std::string& b) {
  const auto lower = [](char c) { return std::tolower(static_cast<unsigned char>(c)); };
  const bool before = std::lexicographical_compare(
      a.begin(), a.end(), b.begin(), b.end(), [&](char x, char y) { return lower(x) < lower(y); });
  const bool after = std::lexicographical_compare(
      b.begin(), b.end(), a.begin(), a.end(), [&](char x, char y) { return lower(x) < lower(y); });
  return before || (!after && a < b);
}

}  // namespace

int CheckSearchSubstring(const std::string& text) {
  for (char c : text) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return 0;
    if (std::strchr(kForbiddenSubstringChars, c) != nullptr) return 0;
  }
  return 1;
}

bool AddSearchSubstring(std::vector<std::string>& substrings, const std::string& text) {
  if (text.empty()) return true;
  if (std::find(substrings.begin(), substrings.end(), text) != substrings.end()) return true;
  if (CheckSearchSubstring(text) == 0) return false;
  substrings.insert(std::upper_bound(substrings.begin(), substrings.end(), text, ComesBefore),
                    text);
  return true;
}

}  // namespace blastsearch
