#include "host/UrlDecode.h"

#include <gtest/gtest.h>

#include <cstring>
#include <ostream>
#include <string>

namespace blastsearch {

namespace {

struct DecodeCase {
  const char* text;
  int result;
  std::string decoded;  // when result is 1
};

class UrlDecodeCases : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(UrlDecodeCases, BothFormsAgree) {
  const DecodeCase& c = GetParam();
  std::string out = "unchanged";
  EXPECT_EQ(decodeURLHexCoding(out, c.text, 4096), c.result);
  EXPECT_EQ(out, c.result ? c.decoded : "unchanged");

  char buffer[64];
  std::memset(buffer, 'X', sizeof buffer);
  EXPECT_EQ(decodeURLHexCoding(buffer, static_cast<int>(sizeof buffer), c.text), c.result);
  EXPECT_EQ(std::string(buffer), c.result ? c.decoded : "");
}

INSTANTIATE_TEST_SUITE_P(
    Escapes, UrlDecodeCases,
    ::testing::Values(DecodeCase{"", 1, ""}, DecodeCase{"plain", 1, "plain"},
                      DecodeCase{"a%20b", 1, "a b"}, DecodeCase{"%4a%4A", 1, "JJ"},
                      DecodeCase{"a+b", 1, "a+b"}, DecodeCase{"%C3%A9", 1, "\xC3\xA9"},
                      DecodeCase{"%2541", 1, "%41"},  // decoded once, not twice
                      DecodeCase{"%", 0, ""}, DecodeCase{"abc%4", 0, ""}, DecodeCase{"%zz", 0, ""},
                      DecodeCase{"%g0", 0, ""}, DecodeCase{"%0", 0, ""},
                      DecodeCase{"a%00b", 0, ""}));  // would cut the text short

TEST(UrlDecode, OutputMustFitWithItsTerminator) {
  std::string out;
  EXPECT_EQ(decodeURLHexCoding(out, "abcd", 5), 1);
  EXPECT_EQ(out, "abcd");
  out = "kept";
  EXPECT_EQ(decodeURLHexCoding(out, "abcde", 5), 0);
  EXPECT_EQ(out, "kept");
  // Escapes count as the one byte they decode to.
  EXPECT_EQ(decodeURLHexCoding(out, "%41%42%43%44", 5), 1);
  EXPECT_EQ(out, "ABCD");
  EXPECT_EQ(decodeURLHexCoding(out, "x", 0), 0);
}

TEST(UrlDecode, BufferFormNeverWritesPastItsSize) {
  char buffer[8];
  std::memset(buffer, 'X', sizeof buffer);
  EXPECT_EQ(decodeURLHexCoding(buffer, 4, "abcdef"), 0);
  EXPECT_EQ(buffer[0], '\0');
  EXPECT_EQ(std::string(buffer + 4, 4), "XXXX");

  std::memset(buffer, 'X', sizeof buffer);
  EXPECT_EQ(decodeURLHexCoding(buffer, 4, "a%41c"), 1);
  EXPECT_STREQ(buffer, "aAc");
  EXPECT_EQ(std::string(buffer + 4, 4), "XXXX");

  std::memset(buffer, 'X', sizeof buffer);
  EXPECT_EQ(decodeURLHexCoding(buffer, 0, "a"), 0);
  EXPECT_EQ(buffer[0], 'X');
  EXPECT_EQ(decodeURLHexCoding(buffer, 8, nullptr), 0);
  EXPECT_EQ(decodeURLHexCoding(nullptr, 8, "a"), 0);
}

TEST(UrlDecode, LongTextDecodesWholeWhenThereIsRoom) {
  std::string text;
  for (int i = 0; i < 20000; ++i) text += "%41";
  std::string out;
  EXPECT_EQ(decodeURLHexCoding(out, text, 20001), 1);
  EXPECT_EQ(out, std::string(20000, 'A'));
  EXPECT_EQ(decodeURLHexCoding(out, text, 20000), 0);
}

}  // namespace

}  // namespace blastsearch
