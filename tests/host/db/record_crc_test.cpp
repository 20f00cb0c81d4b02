#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "host/db/DBRecordText.h"

namespace blastsearch {

namespace {

// The checksum one bit at a time, as its definition reads.
std::uint32_t BitwiseCrc32(std::string_view bytes) {
  std::uint32_t crc = ~0u;
  for (unsigned char b : bytes) {
    crc ^= b;
    for (int k = 0; k < 8; ++k) crc = (crc & 1) != 0 ? 0xEDB88320u ^ (crc >> 1) : crc >> 1;
  }
  return ~crc;
}

}  // namespace

TEST(RecordCrc, KnownValuesAndEveryLengthAndStartAgreeWithTheDefinition) {
  const struct {
    std::string text;
    std::uint32_t crc;
  } known[] = {
      {"", 0},
      {"a", 0xE8B7BE43u},
      {"123456789", 0xCBF43926u},
      {"The quick brown fox jumps over the lazy dog", 0x414FA339u},
  };
  for (const auto& k : known) EXPECT_EQ(RecordCrc32(k.text), k.crc) << k.text;

  // Records of stored databases keep their checksums: every length around
  // the eight-byte steps, from every start, and in pieces.
  std::string bytes;
  for (int i = 0; i < 300; ++i) bytes += static_cast<char>((i * 131 + 7) & 0xFF);
  for (std::size_t start = 0; start < 9; ++start) {
    for (std::size_t length = 0; start + length <= 80; ++length) {
      const std::string_view part(bytes.data() + start, length);
      ASSERT_EQ(RecordCrc32(part), BitwiseCrc32(part)) << start << "+" << length;
    }
  }
  for (std::size_t cut = 0; cut <= 40; ++cut) {
    const std::string_view all(bytes.data(), 40);
    EXPECT_EQ(RecordCrc32(all.substr(cut), RecordCrc32(all.substr(0, cut))), BitwiseCrc32(all));
  }
  EXPECT_EQ(RecordCrc32(bytes), BitwiseCrc32(bytes));
  // Nothing more (a view without a buffer) leaves the checksum as it was.
  EXPECT_EQ(RecordCrc32(std::string_view(), 0xCBF43926u), 0xCBF43926u);
}

}  // namespace blastsearch
