// The filters' activity and matching rules, and the host's text tests they
// rely on, on list records and texts alone.
#include <gtest/gtest.h>

#include <climits>

#include "host/db/DBFunctions.h"
#include "host/db/ObjInfo.h"
#include "search/SearchFilters.h"
#include "search/SearchRun.h"
#include "search/SearchSubstrings.h"
#include "table/BlastSearchTable.h"

namespace blastsearch {

namespace {

CObjInfo Record(const std::string& name, int hits) {
  CObjInfo info(15, 7, name);
  info.m_tableNumber = hits;
  return info;
}

TEST(AttribFilterTest, HitCountRangesAndNameSubstring) {
  struct Case {
    int hits, upTo10, to100, over100;
    std::string queryName, name;
    int expected;
  } cases[] = {
      {0, 1, 0, 0, "", "x", 0},        {1, 1, 0, 0, "", "x", 1},      {10, 1, 0, 0, "", "x", 1},
      {11, 1, 0, 0, "", "x", 0},       {-3, 1, 1, 0, "", "x", 0},     {11, 0, 1, 0, "", "x", 1},
      {100, 0, 1, 0, "", "x", 1},      {101, 0, 1, 0, "", "x", 0},    {101, 0, 0, 1, "", "x", 1},
      {100000, 0, 0, 1, "", "x", 1},   {5, 0, 1, 1, "", "x", 0},      {5, 1, 0, 1, "", "x", 1},
      {0, 0, 0, 0, "abc", "xabcx", 1}, {0, 0, 0, 0, "abc", "ABC", 0}, {5, 1, 0, 0, "abc", "abc", 1},
      {50, 1, 0, 0, "abc", "abc", 0},  {5, 1, 1, 1, "", "x", 1},
  };
  for (const Case& c : cases) {
    CAttribFilter filter;
    filter.m_bEnabled = 1;
    filter.m_bUpTo10 = c.upTo10, filter.m_b11To100 = c.to100, filter.m_bOver100 = c.over100;
    filter.m_queryName = c.queryName;
    CObjInfo info = Record(c.name, c.hits);
    CDBObjectBase* data = nullptr;
    EXPECT_EQ(filter.Match(&info, &data, 1), c.expected)
        << c.hits << " hits, boxes " << c.upTo10 << c.to100 << c.over100 << ", " << c.queryName
        << " in " << c.name;
    EXPECT_EQ(data, nullptr);
  }
}

TEST(SearchFilterTest, ActiveOnlyWhenEnabledAndConstraining) {
  struct AttribCase {
    int enabled, upTo10, to100, over100;
    const char* name;
    int active;
  } attribCases[] = {{1, 1, 1, 1, "", 0}, {1, 0, 0, 0, "", 0},  {1, 1, 0, 0, "", 1},
                     {1, 1, 1, 0, "", 1}, {1, 1, 1, 1, "q", 1}, {0, 1, 0, 0, "q", 0}};
  for (const AttribCase& c : attribCases) {
    CAttribFilter f;
    f.m_bEnabled = c.enabled, f.m_bUpTo10 = c.upTo10, f.m_b11To100 = c.to100;
    f.m_bOver100 = c.over100, f.m_queryName = c.name;
    EXPECT_EQ(f.IsActive(), c.active) << c.enabled << c.upTo10 << c.to100 << c.over100 << c.name;
  }
  struct TextCase {
    int enabled;
    std::vector<std::string> substrings, codes, udfs;
    int active;
  } textCases[] = {{1, {"a"}, {"248"}, {}, 1},
                   {1, {"a"}, {}, {"Lab"}, 1},
                   {1, {"a"}, {}, {}, 0},
                   {1, {}, {"248"}, {"Lab"}, 0},
                   {0, {"a"}, {"248"}, {}, 0}};
  for (const TextCase& c : textCases) {
    CContextFilter f;
    f.m_bEnabled = c.enabled, f.m_substrings = c.substrings, f.m_fieldCodes = c.codes;
    f.m_udfNames = c.udfs;
    EXPECT_EQ(f.IsActive(), c.active);
  }
  CKeywordFilter k;
  k.m_bEnabled = 1;
  EXPECT_EQ(k.IsActive(), 0);
  k.m_keywords = {"x"};
  EXPECT_EQ(k.IsActive(), 1);
  k.m_bEnabled = 0;
  EXPECT_EQ(k.IsActive(), 0);
}

TEST(SearchFilterTest, ObjectsThatCannotBeLoadedNeverMatch) {
  CObjInfo missing(15, 999999, "not stored");  // whether or not a database is open
  CKeywordFilter keyword;
  keyword.m_keywords = {"x"};
  CContextFilter text;
  text.m_substrings = {"x"};
  text.m_fieldCodes = {"255"};
  for (CSearchFilter* filter : std::initializer_list<CSearchFilter*>{&keyword, &text}) {
    CDBObjectBase* data = nullptr;
    EXPECT_EQ(filter->Match(&missing, &data, 1), 0);
    EXPECT_EQ(data, nullptr);
    delete data;
  }
}

TEST(SearchTextTest, ScanIntegerReadsAsPercentI) {
  const std::pair<const char*, int> cases[] = {{"42", 42},
                                               {"0x1F", 31},
                                               {"010", 8},
                                               {"  12abc", 12},
                                               {"abc", 0},
                                               {"", 0},
                                               {"-5", -5},
                                               {"+7", 7},
                                               {"99999999999999", INT_MAX},
                                               {"-99999999999999", INT_MIN}};
  for (const auto& [text, value] : cases) EXPECT_EQ(ScanInteger(text), value) << text;
}

TEST(SearchTextTest, StringAndCreatorContext) {
  struct Case {
    std::string text;
    std::vector<std::string> parts;
    int matchCase, expected;
  } cases[] = {
      {"Zinc finger", {"zinc"}, 0, 1},
      {"Zinc finger", {"zinc"}, 1, 0},
      {"Zinc finger", {"none", "FINGER"}, 0, 1},
      {"Zinc", {""}, 0, 0},
      {"", {"a"}, 0, 0},
      {"caf\xC3\xA9", {"CAF\xC3\xA9"}, 0, 1},
      {"ab", {"abc"}, 0, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CheckStringContext(c.text, c.parts, c.matchCase) != 0, c.expected != 0) << c.text;
  }
  CCreatorData ada{"Ada Lovelace", "Analytical Engines", "ada@example.org", 0};
  for (const char* part : {"lovelace", "ENGINES", "example.org"}) {
    EXPECT_NE(CheckCreatorContext(ada, {part}, 0), 0) << part;
  }
  EXPECT_EQ(CheckCreatorContext(ada, {"ENGINES"}, 1), 0);
  EXPECT_EQ(CheckCreatorContext(CCreatorData{}, {"a"}, 0), 0);
}

TEST(SearchTextTest, SubstringsAreAddedAsTheTextPageAddsThem) {
  std::vector<std::string> list;
  for (const char* text : {"beta", "Alpha", "alpha", "beta", "", "gamma"}) {
    EXPECT_TRUE(AddSearchSubstring(list, text)) << text;
  }
  EXPECT_EQ(list, (std::vector<std::string>{"Alpha", "alpha", "beta", "gamma"}));
  for (const char* bad : {"a|b", "$x", "back\\slash", "{", "}", "quote\"", "tab\there"}) {
    EXPECT_FALSE(AddSearchSubstring(list, bad)) << bad;
  }
  EXPECT_EQ(list.size(), 4u);
}

TEST(SearchTextTest, SubbaseNamesAreCutAtACharacterBoundary) {
  EXPECT_EQ(CutSubbaseName(std::string(300, 'x')), std::string(250, 'x'));
  EXPECT_EQ(CutSubbaseName(std::string(250, 'x')), std::string(250, 'x'));
  const std::string euro =
      std::string(248, 'x') + "\xE2\x82\xAC" + "yy";  // 3-byte character at 248
  EXPECT_EQ(CutSubbaseName(euro), std::string(248, 'x'));
}

}  // namespace

}  // namespace blastsearch
