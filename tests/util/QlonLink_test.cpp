#include "util/QlonLink.h"

#include <gtest/gtest.h>

#include <string>

namespace blastsearch {

namespace {

constexpr int kUntouched = -7;

struct LinkCase {
  const char* link;
  const char* name;
  int first;  // kUntouched: left as it was
  int second;
};

class LinkCases : public ::testing::TestWithParam<LinkCase> {};

TEST_P(LinkCases, NameAndNumbers) {
  const LinkCase& c = GetParam();
  int first = kUntouched;
  int second = kUntouched;
  EXPECT_EQ(QlonLinkToName(c.link, &first, &second), c.name) << c.link;
  EXPECT_EQ(first, c.first) << c.link;
  EXPECT_EQ(second, c.second) << c.link;

  // Numbers are written only when both pointers are given.
  int only = kUntouched;
  EXPECT_EQ(QlonLinkToName(c.link, &only, nullptr), c.name) << c.link;
  EXPECT_EQ(QlonLinkToName(c.link, nullptr, &only), c.name) << c.link;
  EXPECT_EQ(only, kUntouched) << c.link;
}

INSTANTIATE_TEST_SUITE_P(
    Links, LinkCases,
    ::testing::Values(
        LinkCase{"qlon:/my%20mol?range=100-200", "my mol", 100, 200},
        LinkCase{"qlon:/na-me?range=100-200", "na-me", kUntouched, kUntouched},
        LinkCase{"ncbi:protein/12345", "12345", 0, 0},
        LinkCase{"ncbi:protein/a%20b", "a%20b", 0, 0},  // taken as it stands
        LinkCase{"no slash here", "", kUntouched, kUntouched},
        LinkCase{"qlon:?x/y", "", kUntouched, kUntouched},         // '?' before the slash
        LinkCase{"qlon:/name?range=100", "name", 0, 0},            // no '-'
        LinkCase{"qlon:/name?plain", "name", 0, 0},                // no '='
        LinkCase{"qlon:/bad%zz?range=1-2", "bad%zz", 1, 2},        // does not decode
        LinkCase{"x=1-2/name?q", "name", kUntouched, kUntouched},  // '=' before the slash
        LinkCase{"qlon:/n?range=-5-6", "n", 0, 5}, LinkCase{"qlon:/n?range=1,000-2x", "n", 1000, 2},
        LinkCase{"qlon://LocalDB/dnarna/12345?range=3-4", "/LocalDB/dnarna/12345", 3, 4},
        LinkCase{"qlon:/?range=1-2", "", 1, 2}, LinkCase{"ncbi:/", "", 0, 0}));

TEST(QlonLink, LongLinksAreTakenWhole) {
  const std::string plain(100000, 'p');
  int first = kUntouched;
  int second = kUntouched;
  EXPECT_EQ(QlonLinkToName("ncbi:x/" + plain, &first, &second), plain);

  // Decoded names keep to the decoding buffer of 4096 characters: a longer
  // one is taken as it stands, never cut or overflowing.
  std::string fits;
  for (int i = 0; i < 4095; ++i) fits += "%41";
  EXPECT_EQ(QlonLinkToName("qlon:/" + fits + "?r=1-2", &first, &second), std::string(4095, 'A'));
  const std::string tooLong = fits + "%41";
  EXPECT_EQ(QlonLinkToName("qlon:/" + tooLong + "?r=1-2", &first, &second), tooLong);
  EXPECT_EQ(first, 1);
  EXPECT_EQ(second, 2);
}

}  // namespace

}  // namespace blastsearch
