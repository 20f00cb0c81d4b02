// The conversions of the report readers equal the standard ones they stand for.

#include "parse/ReportWalk.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <string_view>
#include <utility>

#include "parse/ScanText.h"

namespace blastsearch {

namespace {

std::string RandomNumberText(std::mt19937& random, const char* alphabet) {
  const std::size_t size = std::strlen(alphabet);
  std::string text;
  for (std::size_t i = random() % 12; i > 0; --i) text += alphabet[random() % size];
  return text;
}

TEST(ReportWalk, CleanNumberEqualsTheStringAtoi) {
  for (const char* text : {"", "-", "--5", "-5-3", "5-3", "1,234", "(-12)", "2e-05", "+7", "x",
                           "99999999999", "-99999999999", "2147483647", "-2147483648", "0-"}) {
    EXPECT_EQ(CleanNumber(text), atoi(std::string(text))) << text;
  }
  std::mt19937 random(7);
  for (int i = 0; i < 20000; ++i) {
    const std::string text = RandomNumberText(random, "0123456789--+,. ()ex");
    ASSERT_EQ(CleanNumber(text), atoi(text)) << text;
  }
}

TEST(ReportWalk, RealEqualsTheStandardConversion) {
  const auto same = [](const std::string& text) {
    const double expected = std::strtod(text.c_str(), nullptr);
    const double actual = ToReal(text);
    return std::memcmp(&expected, &actual, sizeof expected) == 0;
  };
  for (const char* text :
       {"", "-", ".", "1e", "1e+", "-0", "0.0", ".5", "5.", "37.4", "2e-05", "1e-120,", "8e-70",
        "0x1A", "0X1p3", " 12", "inf", "nan", "e-150", "123456789012345", "1234567890123456", "0.1",
        "0.3", "9007199254740993", "1e22", "1e23", "4.9e-324", "1.7976931348623157e308",
        "370.9 bits", "1e-22", "123.456e-20", "00000000000000001",
        // Beyond the fast path: long exponents, subnormals,
        // overflow and underflow, a trailing letter.
        "6e-112,", "-3e-123", ".5e-30", "4e-320", "1e-400", "1e309", "-1e309", "2.5e+300x", "1e5x",
        "+9e-99", "123456789012345678901234567890e-50"}) {
    EXPECT_TRUE(same(text)) << text;
  }
  std::mt19937 random(11);
  for (int i = 0; i < 50000; ++i) {
    const std::string text = RandomNumberText(random, "0123456789012345678.-+eE,x");
    ASSERT_TRUE(same(text)) << text;
  }
}

TEST(ReportWalk, NumberEqualsTheStandardIntegerConversion) {
  for (const char* text : {"", "12", " 12", "-7x", "+3", "1,234", "x1", "- 1", "\t\n5"}) {
    EXPECT_EQ(ToNumber(text), std::atoi(text)) << text;
  }
  // A second sign is no number; the ends of int and what lies just beyond
  // them (also beyond 32 bits) are clamped.
  const std::pair<const char*, int> clamped[] = {{"+-5", 0},
                                                 {"-+5", 0},
                                                 {"2147483647", INT_MAX},
                                                 {"2147483648", INT_MAX},
                                                 {"-2147483648", INT_MIN},
                                                 {"-2147483649", INT_MIN},
                                                 {"4294967296", INT_MAX},
                                                 {"-4294967297", INT_MIN},
                                                 {"99999999999", INT_MAX},
                                                 {"-99999999999", INT_MIN},
                                                 {"  +00012abc", 12},
                                                 {"000000000000000000002147483647", INT_MAX},
                                                 {"-00000000000000000000000000042", -42},
                                                 {"184467440737095516170", INT_MAX}};
  for (const auto& [text, number] : clamped) EXPECT_EQ(ToNumber(text), number) << text;
}

// The line break search reads many bytes at a time: the same answer as a
// character loop wherever the break stands against its blocks, from every
// start, never past the text (each text in a buffer of its own).
TEST(ReportWalk, LineBreakAtEveryPlace) {
  for (std::size_t size = 0; size <= 80; ++size) {
    for (std::size_t at = 0; at <= size; ++at) {
      for (const char brk : {'\n', '\r'}) {
        const auto buffer = std::make_unique<char[]>(size + 1);
        std::string_view text(buffer.get(), size);
        for (std::size_t i = 0; i < size; ++i) buffer[i] = i == at ? brk : 'A';
        for (std::size_t from = 0; from <= size + 1; from += 7) {
          std::size_t expected = std::min(from, size);
          while (expected < size && text[expected] != '\n' && text[expected] != '\r') ++expected;
          ASSERT_EQ(LineBreakAt(text, from), expected) << size << ' ' << at << ' ' << from;
        }
      }
    }
  }
}

// The counts reader follows the scan format "<label> = %d/%d (%d".
TEST(ReportWalk, CountsEqualTheScanFormat) {
  std::mt19937 random(5);
  const char* const pieces[] = {"Identities", " ", "  ", "=", "\n", "\t", "12", "-3",  "+4",
                                "/",          "(", "%",  ")", "x",  "0",  "7",  "Gaps"};
  for (int i = 0; i < 20000; ++i) {
    std::string text = "Identities";
    for (std::size_t n = random() % 8; n > 0; --n) text += pieces[random() % std::size(pieces)];
    int first = -1;
    int second = -1;
    int third = -1;
    int expectedFirst = -1;
    int expectedSecond = -1;
    const int expected = std::sscanf(text.c_str(), "Identities = %d/%d (%d", &expectedFirst,
                                     &expectedSecond, &third);
    const int read = ScanCounts(text.c_str(), "Identities", first, second);
    ASSERT_EQ(read, expected < 0 ? 0 : expected) << text;
    if (read >= 1) {
      ASSERT_EQ(first, expectedFirst) << text;
    }
    if (read >= 2) {
      ASSERT_EQ(second, expectedSecond) << text;
    }
  }
  int first = 0;
  int second = 0;
  EXPECT_EQ(ScanCounts("Identities = 99999999999/5 (1", "Identities", first, second), 3);
  EXPECT_EQ(first, INT_MAX);
  EXPECT_EQ(ScanCounts("Positives = 3/4", "Identities", first, second), 0);
}

TEST(ReportWalk, ExpectShortPowerOfTen) {
  EXPECT_EQ(ToExpect("e-114"), 1e-114);
  EXPECT_EQ(ToExpect("E+05"), 1e5);
  EXPECT_EQ(ToExpect("e7"), 1e7);
  EXPECT_EQ(ToExpect("e-114,"), 1e-114);
  for (const char* plain : {"", "e", "e-", "ex", "2e-05", "0.003", "1e-120,", "-e5"}) {
    EXPECT_EQ(ToExpect(plain), std::strtod(plain, nullptr)) << plain;
  }
}

TEST(ReportWalk, StrandWords) {
  EXPECT_EQ(MinusStrandFlag("Plus"), 0);
  EXPECT_EQ(MinusStrandFlag("pLuS"), 0);
  EXPECT_EQ(MinusStrandFlag("Minus"), 1);
  EXPECT_EQ(MinusStrandFlag(""), 1);
}

}  // namespace

}  // namespace blastsearch
