#include "host/db/DBRecordText.h"

#include <zlib.h>

namespace blastsearch {

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

std::uint32_t RecordCrc32(std::string_view bytes, std::uint32_t crc) {
  // zlib's CRC-32 is this checksum (polynomial 0xEDB88320 reflected, all
  // ones in and out, continued from a previous value), as stored records
  // and archives have always carried it.
  if (bytes.empty()) return crc;  // zlib answers 0 for a null buffer, whatever `crc`
  return static_cast<std::uint32_t>(
      crc32_z(crc, reinterpret_cast<const Bytef*>(bytes.data()), bytes.size()));
}

}  // namespace blastsearch
