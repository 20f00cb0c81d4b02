#pragma once

// Byte layout of the archive written and read by CKaArchive. See
// doc/archive_format.md for the whole description.
//
// Every value is fixed width and little-endian:
//
//   int        4 bytes, two's complement
//   double     8 bytes, the IEEE-754 binary64 bit pattern (NaN payloads,
//              signed zeros and denormals come back bit for bit)
//   string     u32 length n, then n bytes (any byte values, no terminator)
//
// An embedded object (XData) and each member of an object list (XMember)
// is framed:
//
//   +-------------+-----------+------------+----------------+
//   | name length | name      | data length| data           |
//   | u32         | bytes     | u32        | data length B  |
//   +-------------+-----------+------------+----------------+
//
// where the name is the link name of the object's class (its class identity)
// and the data is the object's record as its serialize function writes it.
// An object list is a u32 member count followed by that many framed members.
//
// An archive has no header: the values and objects follow each other in the
// order the serialize functions transfer them. While an object is loaded, its
// data ends at the end of its frame; at the top level the data runs to the end
// of the file. Optional tails of a record are read only when data remains
// before that end.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

namespace ka_archive_format {

inline constexpr std::size_t kIntSize = 4;
inline constexpr std::size_t kDoubleSize = 8;
// Size of every length or count prefix: strings, class names, object data,
// object lists.
inline constexpr std::size_t kLengthSize = 4;
// Fewest bytes an object frame can take (empty name, empty data); bounds the
// member count of a list against the bytes that remain.
inline constexpr std::size_t kMinFrameSize = 2 * kLengthSize;
// Deepest nesting of object frames that a reader accepts.
inline constexpr int kMaxNesting = 64;

// Writes `value` little-endian into the 4 bytes at `dst`.
inline void EncodeFixed32(char* dst, std::uint32_t value) {
  for (std::size_t i = 0; i < 4; ++i) dst[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

// The little-endian value of the 4 bytes at `src`.
inline std::uint32_t DecodeFixed32(const char* src) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < 4; ++i) {
    value |= static_cast<std::uint32_t>(static_cast<unsigned char>(src[i])) << (8 * i);
  }
  return value;
}

// Writes `value` little-endian into the 8 bytes at `dst`.
inline void EncodeFixed64(char* dst, std::uint64_t value) {
  for (std::size_t i = 0; i < 8; ++i) dst[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

// The little-endian value of the 8 bytes at `src`.
inline std::uint64_t DecodeFixed64(const char* src) {
  std::uint64_t value = 0;
  for (std::size_t i = 0; i < 8; ++i) {
    value |= static_cast<std::uint64_t>(static_cast<unsigned char>(src[i])) << (8 * i);
  }
  return value;
}

// The bytes that open the frame of an object of the class linked as `name`:
// the name length and the name. A reader may test the head of a file with it.
inline std::string FrameHead(std::string_view name) {
  std::string head(kLengthSize, '\0');
  EncodeFixed32(head.data(), static_cast<std::uint32_t>(name.size()));
  head.append(name);
  return head;
}

}  // namespace ka_archive_format

}  // namespace BLASTSEARCH_EXPORT
