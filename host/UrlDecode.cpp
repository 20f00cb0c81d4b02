#include "host/UrlDecode.h"

#include <cstring>

namespace blastsearch {

namespace {

// The value of a hexadecimal digit, or -1.
int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

int decodeURLHexCoding(std::string& out, std::string_view text, std::size_t outSize) {
  if (outSize < 1) return 0;
  std::string decoded;
  decoded.reserve(text.size() < outSize ? text.size() : outSize);
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '%') {
      if (text.size() - i < 3) return 0;
      int high = HexValue(text[i + 1]);
      int low = HexValue(text[i + 2]);
      if (high < 0 || low < 0) return 0;
      c = static_cast<char>(high * 16 + low);
      if (c == '\0') return 0;
      i += 2;
    }
    if (decoded.size() + 1 >= outSize) return 0;  // no place left for the terminator
    decoded.push_back(c);
  }
  out = std::move(decoded);
  return 1;
}

int decodeURLHexCoding(char* out, int outSize, const char* text) {
  if (out == nullptr || outSize < 1) return 0;
  out[0] = '\0';
  if (text == nullptr) return 0;
  std::string decoded;
  if (!decodeURLHexCoding(decoded, text, static_cast<std::size_t>(outSize))) return 0;
  std::memcpy(out, decoded.c_str(), decoded.size() + 1);
  return 1;
}

}  // namespace blastsearch
