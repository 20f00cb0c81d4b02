#include <gtest/gtest.h>

#include <cmath>
#include <ctime>
#include <limits>
#include <memory>
#include <sstream>

#include "app/CommandContext.h"
#include "app/ListCommand.h"
#include "host/db/ObjInfo.h"
#include "model/BlastSearchEntry.h"
#include "model/NumberFormat.h"
#include "output/PrintableText.h"

namespace blastsearch {

namespace {

// The list's creation times, against the C library's formatting; times of
// one day in a row, and days before and after one outside four-digit years.
TEST(ListFormat, IsoTimesMatchTheCLibrary) {
  for (long seconds : {0L,
                       59L,
                       86399L,
                       86400L,
                       951782400L /* 2000-02-29 */,
                       1700000000L,
                       1700000001L,
                       1700003600L,
                       -50000000000L /* year 385 */,
                       1700000002L,
                       4102444800L /* 2100-01-01 */,
                       -1L,
                       -86401L,
                       253402300799L,
                       253402300800L /* 10000-01-01 */,
                       -30610224000L /* 1000-01-01 */,
                       -30610224001L,
                       std::numeric_limits<long>::min(),
                       std::numeric_limits<long>::max(),
                       0L}) {
    std::time_t t = static_cast<std::time_t>(seconds);
    std::tm parts{};
    gmtime_r(&t, &parts);
    char expected[48];
    std::strftime(expected, sizeof expected, "%Y-%m-%dT%H:%M:%SZ", &parts);
    EXPECT_EQ(FormatIsoTime(seconds), expected) << seconds;
  }
}

// The columns of a long list: widths from the first thousand rows, each
// line trimmed, a wider value later on shifting its own line only.
TEST(ListFormat, ColumnsOfALongListAreAlignedAndTrimmed) {
  std::vector<std::unique_ptr<CObjInfo>> owned;
  std::vector<CObjInfo*> infos;
  for (int i = 0; i < 1500; ++i) {
    const std::string name =
        i == 1200 ? "a name wider than any before it" : "r" + std::to_string(i);
    owned.push_back(std::make_unique<CObjInfo>(15, static_cast<unsigned long>(i + 1), name));
    owned.back()->m_creationTime = 1700000000L + i;
    owned.back()->m_tableNumber = i % 7;
    owned.back()->m_tableText = i == 5 ? "" : "query " + std::to_string(i);
    infos.push_back(owned.back().get());
  }
  std::ostringstream out;
  WriteObjectList(infos, false, out);
  std::vector<std::string> lines;
  std::istringstream in(out.str());
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  ASSERT_EQ(lines.size(), 1501u);
  EXPECT_EQ(lines[0], "Name  Created               UID   Hits Count  QueryName");
  EXPECT_EQ(lines[1], "r0    2023-11-14T22:13:20Z  1     0           query 0");
  EXPECT_EQ(lines[6], "r5    2023-11-14T22:13:25Z  6     5");
  EXPECT_EQ(lines[1201],
            "a name wider than any before it  2023-11-14T22:33:20Z  1201  3           query 1200");
  EXPECT_EQ(lines[1202], "r1201  2023-11-14T22:33:21Z  1202  4           query 1201");
}

}  // namespace

// Well-formed UTF-8 only: the first byte of anything else is named.
TEST(TypedText, Utf8IsCheckedStrictly) {
  const struct {
    std::string text;
    bool utf8;
    std::size_t bad;
  } cases[] = {
      {"plain", true, 0},
      {"caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x99\x82", true, 0},
      {"caf\xe9", false, 3},           // Latin-1
      {"\xc0\xaf", false, 0},          // overlong two bytes
      {"a\xe0\x80\xaf", false, 1},     // overlong three bytes
      {"ab\xed\xa0\x80", false, 2},    // surrogate
      {"\xf4\x90\x80\x80", false, 0},  // above U+10FFFF
      {"\xf0\x8f\xbf\xbf", false, 0},  // overlong four bytes
      {"end\xe2\x82", false, 3},       // cut short
      {"x\x80", false, 1},             // continuation byte alone
  };
  for (const auto& c : cases) {
    std::size_t bad = 99;
    EXPECT_EQ(IsUtf8Text(c.text, &bad), c.utf8) << PrintableText(c.text);
    if (!c.utf8) {
      EXPECT_EQ(bad, c.bad) << PrintableText(c.text);
    }
  }
  EXPECT_EQ(ShownText(std::string(100, 'x'), 10), "xxxxxxxxxx...");
  EXPECT_EQ(ShownText("\xc3\xa9\xc3\xa9\xc3\xa9", 3), "\xc3\xa9...");  // cut at a character
  EXPECT_EQ(ShownText("a\x1b", 10), "a\\x1b");
}

}  // namespace blastsearch
