#include "output/PrintableText.h"

namespace blastsearch {

namespace {

void AppendEscape(std::string& out, unsigned char c) {
  static constexpr char kHex[] = "0123456789abcdef";
  out += "\\x";
  out += kHex[c >> 4];
  out += kHex[c & 0x0F];
}

bool IsControl(unsigned char c) { return c < 0x20 || (c >= 0x7F && c < 0xA0); }

// The length of the well-formed UTF-8 sequence of two to four bytes at `at`,
// or 0 where none starts there.
std::size_t SequenceLength(std::string_view text, std::size_t at) {
  const auto c = static_cast<unsigned char>(text[at]);
  const std::size_t length = c < 0xC2 ? 0 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : c < 0xF5 ? 4 : 0;
  if (length == 0 || length > text.size() - at) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    if ((static_cast<unsigned char>(text[at + i]) & 0xC0) != 0x80) return 0;
  }
  return length;
}

}  // namespace

std::string PrintableText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t at = 0; at < text.size(); ++at) {
    const auto c = static_cast<unsigned char>(text[at]);
    const std::size_t sequence = c < 0x80 ? 0 : SequenceLength(text, at);
    if (sequence == 2 && c == 0xC2 && IsControl(static_cast<unsigned char>(text[at + 1]))) {
      AppendEscape(out, static_cast<unsigned char>(text[++at]));  // a C1 control in UTF-8
    } else if (sequence > 0) {
      out.append(text.substr(at, sequence));
      at += sequence - 1;
    } else if (IsControl(c)) {
      AppendEscape(out, c);
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

bool IsUtf8Text(std::string_view text, std::size_t* bad) {
  for (std::size_t at = 0; at < text.size();) {
    const auto c = static_cast<unsigned char>(text[at]);
    if (c < 0x80) {
      ++at;
      continue;
    }
    const std::size_t length = SequenceLength(text, at);
    const auto next = length > 1 ? static_cast<unsigned char>(text[at + 1]) : 0;
    const bool wrong = length == 0 || (c == 0xE0 && next < 0xA0) ||  // overlong
                       (c == 0xED && next >= 0xA0) ||                // surrogate
                       (c == 0xF0 && next < 0x90) ||                 // overlong
                       (c == 0xF4 && next >= 0x90);                  // above U+10FFFF
    if (wrong) {
      if (bad != nullptr) *bad = at;
      return false;
    }
    at += length;
  }
  return true;
}

std::string ShownText(std::string_view text, std::size_t limit) {
  if (text.size() <= limit) return PrintableText(text);
  std::size_t end = limit;
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  return PrintableText(text.substr(0, end)) + "...";
}

}  // namespace blastsearch
