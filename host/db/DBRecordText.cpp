#include "host/db/DBRecordText.h"

#include <array>
#include <bit>
#include <cstring>

std::string EscapeRecordText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\0':
        out += "\\0";  // a line is written up to its first NUL
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string UnescapeRecordText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c != '\\') {
      out += c;
      continue;
    }
    if (++i == text.size()) break;
    switch (text[i]) {
      case 'n':
        out += '\n';
        break;
      case 'r':
        out += '\r';
        break;
      case 't':
        out += '\t';
        break;
      case '0':
        out += '\0';
        break;
      default:
        out += text[i];
    }
  }
  return out;
}

namespace {

// The checksum's table, and seven more that each carry a byte one place
// further, so that eight bytes are taken in one step.
using CCrcTables = std::array<std::array<std::uint32_t, 256>, 8>;

CCrcTables MakeCrcTables() {
  CCrcTables tables{};
  for (std::uint32_t n = 0; n < 256; ++n) {
    std::uint32_t c = n;
    for (int k = 0; k < 8; ++k) c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    tables[0][n] = c;
  }
  for (std::size_t k = 1; k < tables.size(); ++k) {
    for (std::size_t n = 0; n < 256; ++n) {
      const std::uint32_t c = tables[k - 1][n];
      tables[k][n] = (c >> 8) ^ tables[0][c & 0xFF];
    }
  }
  return tables;
}

}  // namespace

std::uint32_t RecordCrc32(std::string_view bytes, std::uint32_t crc) {
  static const CCrcTables t = MakeCrcTables();
  crc = ~crc;
  const char* p = bytes.data();
  std::size_t left = bytes.size();
  if constexpr (std::endian::native == std::endian::little) {
    for (; left >= 8; p += 8, left -= 8) {
      std::uint32_t lo = 0;
      std::uint32_t hi = 0;
      std::memcpy(&lo, p, 4);
      std::memcpy(&hi, p + 4, 4);
      lo ^= crc;
      crc = t[7][lo & 0xFF] ^ t[6][(lo >> 8) & 0xFF] ^ t[5][(lo >> 16) & 0xFF] ^ t[4][lo >> 24] ^
            t[3][hi & 0xFF] ^ t[2][(hi >> 8) & 0xFF] ^ t[1][(hi >> 16) & 0xFF] ^ t[0][hi >> 24];
    }
  }
  for (; left > 0; ++p, --left) {
    crc = t[0][(crc ^ static_cast<unsigned char>(*p)) & 0xFF] ^ (crc >> 8);
  }
  return ~crc;
}
