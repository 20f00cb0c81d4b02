#include "parse/ScanText.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace blastsearch {

namespace {

// Text in a heap block of exactly its size plus the terminator, so that the
// sanitizer build catches any read past the terminator.
class Text {
 public:
  explicit Text(const std::string& s) : m_bytes(s.begin(), s.end()) { m_bytes.push_back('\0'); }
  char* data() { return m_bytes.data(); }
  const char* end() const { return m_bytes.data() + m_bytes.size() - 1; }

 private:
  std::vector<char> m_bytes;
};

// Offset of a result pointer in `text`, -1 for null.
long OffsetIn(Text& text, const char* p) { return p == nullptr ? -1 : p - text.data(); }

// Whole-text search ignoring ASCII letter case: the answer that StrStr must
// give for a pattern that begins with '<'.
long NaiveFind(const std::string& text, const std::string& pattern) {
  const auto fold = [](char c) { return (c >= 'a' && c <= 'z') ? char(c - 32) : c; };
  for (std::size_t at = 0; at + pattern.size() <= text.size(); ++at) {
    std::size_t i = 0;
    while (i < pattern.size() && fold(text[at + i]) == fold(pattern[i])) ++i;
    if (i == pattern.size()) return static_cast<long>(at);
  }
  return -1;
}

// ---------------------------------------------------------------- StrStr

TEST(StrStrTest, CaseRuleDependsOnTheFirstCharacter) {
  struct Case {
    std::string text, pattern;
    long expected;
  };
  const Case cases[] = {
      {"xx<B>QUERY=</B>yy", "<b>Query=</b>", 2},
      {"xx<b>Query=</b>yy", "<B>QUERY=</B>", 2},
      {"abcQUERY", "query", -1},
      {"abcquery", "query", 3},
      {"", "<b>", -1},
      {"", "x", -1},
      {"<b", "<b>", -1},              // pattern longer than the text
      {"text<TaBlE>", "<table>", 4},  // at the very end
      {"<", "<", 0},
      {"<<b>", "<b>", 1},
      {"< b>", "<b>", -1},
      {"<[>", "<{>", -1},  // '[' and '{' differ by the case bit but are no letters
      {"<@>", "<`>", -1},
      {"<\xc9>", "<\xe9>", -1},  // only ASCII letters fold
      {"<\xc9>", "<\xc9>", 0},
  };
  for (const Case& c : cases) {
    Text text(c.text);
    EXPECT_EQ(OffsetIn(text, StrStr(text.data(), c.pattern.c_str())), c.expected)
        << "text \"" << c.text << "\" pattern \"" << c.pattern << "\"";
    const char* constText = text.data();
    EXPECT_EQ(OffsetIn(text, StrStr(constText, c.pattern.c_str())), c.expected);
  }
}

TEST(StrStrTest, FindsTagAcrossWindowBordersInTheCallersText) {
  const std::string tag = "<B>Query=</B>";
  for (std::size_t border : {1024u, 2048u, 3072u}) {
    for (std::size_t at = border - tag.size() - 2; at <= border + 2; ++at) {
      std::string s(4000, 'x');
      s.replace(at, tag.size(), tag);
      Text text(s);
      char* found = StrStr(text.data(), "<b>query=</b>");
      ASSERT_EQ(found, text.data() + at) << "tag at " << at;
    }
  }
}

TEST(StrStrTest, LongPatternsAreSearchedWhole) {
  for (std::size_t length : {127u, 128u, 300u, 1023u, 1024u, 1500u, 5000u}) {
    std::string pattern = "<";
    for (std::size_t i = 1; i < length; ++i) pattern += char('a' + i % 26);
    std::string upper = pattern;
    for (char& c : upper) c = (c >= 'a' && c <= 'z') ? char(c - 32) : c;

    Text found(std::string(700, '<') + upper + "tail");
    EXPECT_EQ(OffsetIn(found, StrStr(found.data(), pattern.c_str())), 700) << length;

    // Differs only in the last character: a truncated pattern would match.
    std::string almost = upper;
    almost.back() = '#';
    Text missing(std::string(700, '<') + almost);
    EXPECT_EQ(StrStr(missing.data(), pattern.c_str()), nullptr) << length;

    Text shorter(upper.substr(0, length - 1));
    EXPECT_EQ(StrStr(shorter.data(), pattern.c_str()), nullptr) << length;
  }
}

TEST(StrStrTest, AgreesWithWholeTextSearchOnRandomInput) {
  std::mt19937 rng(20240611);
  const std::string alphabet = "<<>/aAbBqQ \xe1\xc1";
  const auto pick = [&](std::size_t n) {
    return std::uniform_int_distribution<std::size_t>(0, n)(rng);
  };
  for (int round = 0; round < 3000; ++round) {
    std::string s(pick(2600), ' ');
    for (char& c : s) c = alphabet[pick(alphabet.size() - 1)];
    std::string pattern = "<";
    if (!s.empty() && pick(1) == 0) {  // a piece of the text with its case changed
      const std::size_t from = pick(s.size() - 1);
      pattern += s.substr(from, pick(8));
      for (char& c : pattern) c = (pick(1) == 0 && c >= 'a' && c <= 'z') ? char(c - 32) : c;
    } else {
      for (std::size_t n = pick(5); n > 0; --n) pattern += alphabet[pick(alphabet.size() - 1)];
    }
    Text text(s);
    ASSERT_EQ(OffsetIn(text, StrStr(text.data(), pattern.c_str())), NaiveFind(s, pattern))
        << "round " << round << " pattern \"" << pattern << "\"";
  }
}

// ---------------------------------------------------------- single characters

TEST(CharacterClassTest, IsCharDelimitAndIsSeqChar) {
  EXPECT_EQ(IsCharDelimit('b', "abc"), 1);
  EXPECT_EQ(IsCharDelimit('d', "abc"), 0);
  EXPECT_EQ(IsCharDelimit('\0', "abc"), 0);  // the terminator never matches
  EXPECT_EQ(IsCharDelimit('a', ""), 0);
  EXPECT_EQ(IsCharDelimit('a', nullptr), 0);
  EXPECT_EQ(IsCharDelimit('\xff', "\x01\xff"), 1);

  for (char c : std::string("AZazmQ-")) EXPECT_EQ(IsSeqChar(c), 1) << c;
  for (char c : std::string("09 *@[`{\t\n.\xc1\xe1\xff")) EXPECT_EQ(IsSeqChar(c), 0) << int(c);
  EXPECT_EQ(IsSeqChar('\0'), 0);
}

// ----------------------------------------------------------------- numbers

TEST(NumberTest, GetEndReadsTheLeadingInteger) {
  struct Case {
    const char* text;
    int expected;
  };
  const Case cases[] = {
      {nullptr, 0},
      {"", 0},
      {"42", 42},
      {"  -17abc", -17},
      {"\t\n+8", 8},
      {"12 34", 12},
      {"abc", 0},
      {"-", 0},
      {"+ 5", 0},
      {"0000000000000000000012", 12},
      {"2147483647", INT_MAX},
      {"2147483648", INT_MAX},
      {"-2147483648", INT_MIN},
      {"-2147483649", INT_MIN},
      {"99999999999999999999999", INT_MAX},
      {"-99999999999999999999999", INT_MIN},
  };
  for (const Case& c : cases) EXPECT_EQ(GetEnd(c.text), c.expected) << (c.text ? c.text : "null");
}

TEST(NumberTest, StringAtoiKeepsOnlyDigitsAndMinus) {
  struct Case {
    std::string text;
    int expected;
  };
  const Case cases[] = {
      {"1,234", 1234},
      {"(-56)", -56},
      {"2e-05", 2},
      {"abc", 0},
      {"", 0},
      {"-", 0},
      {"12-34", 12},
      {"--5", 0},
      {" 7 bits", 7},
      {"+9", 9},
      {"2147483647", INT_MAX},
      {"-2,147,483,648", INT_MIN},
      {"99,999,999,999", INT_MAX},
      {"-99999999999", INT_MIN},
  };
  for (const Case& c : cases) EXPECT_EQ(atoi(c.text), c.expected) << c.text;
  // The standard form stays beside it and keeps its own rule.
  EXPECT_EQ(atoi("1,234"), 1);
  EXPECT_EQ(atoi(std::string("1,234")), 1234);
}

TEST(NumberTest, StringAtofKeepsDigitsSignPointAndExponent) {
  struct Case {
    std::string text;
    double expected;
  };
  const Case cases[] = {
      {"1e-120,", 1e-120}, {"Score = 37.4", 0.0}, {"37.4", 37.4}, {"(-0.5)", -0.5}, {"abc", 0.0},
      {"2e-05", 2e-05},    {"1,234.5", 1234.5},   {"", 0.0},      {"4E+10", 4e10},
  };
  for (const Case& c : cases) EXPECT_DOUBLE_EQ(atof(c.text), c.expected) << c.text;
  EXPECT_DOUBLE_EQ(atof("1,5"), 1.0);  // the standard form
}

TEST(NumberTest, ParseIDTakesTheTextBetweenGiAndTheNextBar) {
  const std::pair<std::string, std::string> cases[] = {
      {"gi|12345|emb|X5678|HSLYS", "12345"},
      {"ref|gi|99|x", "99"},
      {"gi|12345", ""},
      {"no identifier", ""},
      {"gi||x", ""},
      {"", ""},
      {"G I|1|", ""},
      {"xgi|7|gi|8|", "7"},
  };
  for (const auto& [text, id] : cases) EXPECT_EQ(ParseID(text), id) << text;
}

// ------------------------------------------------------------- line moves

TEST(CursorMoveTest, SkipLineConsumesWholeRunsOfLineBreaks) {
  struct Case {
    std::string text;
    int count;
    long expected;  // offset of the cursor afterwards
  };
  const Case cases[] = {
      {"abc\r\n\r\n\r\n\r\nxyz", 1, 11},
      {"a\nb", 3, 3},  // stops at the terminator
      {"a\nb", 0, 0},
      {"a\nb", -2, 0},
      {"\n\nabc", 1, 2},
      {"abc", 1, 3},
      {"", 5, 0},
      {"a\rb\rc", 2, 4},
      {"a\n\rb", 1, 3},
      {"one\ntwo\nthree", 2, 8},
  };
  for (const Case& c : cases) {
    Text text(c.text);
    char* cursor = text.data();
    SkipLine(&cursor, c.count);
    EXPECT_EQ(cursor - text.data(), c.expected) << c.text << " x" << c.count;
  }
}

TEST(CursorMoveTest, SkipSpaceSkipsBlanksOnly) {
  const std::pair<std::string, long> cases[] = {{"\t x", 0}, {"   x", 3}, {"", 0},
                                                {"  \n", 2}, {"x  ", 0},  {"  ", 2}};
  for (const auto& [s, expected] : cases) {
    Text text(s);
    char* cursor = text.data();
    SkipSpace(&cursor);
    EXPECT_EQ(cursor - text.data(), expected) << s;
  }
}

// ----------------------------------------------------------------- strNcpy

TEST(StrNcpyTest, CopiesPadsAndTerminatesWithinSize) {
  struct Case {
    const char* src;
    int size;
    std::string expected;  // the whole 8-byte buffer afterwards
  };
  const Case cases[] = {
      {"abc", 0, "########"},
      {"abc", -5, "########"},
      {"abc", 1, std::string("\0#######", 8)},
      {"ab", 5, std::string("ab\0\0\0###", 8)},
      {"abcdefg", 4, std::string("abc\0####", 8)},
      {"abcdefg", 8, std::string("abcdefg\0", 8)},
      {"", 3, std::string("\0\0\0#####", 8)},
  };
  for (const Case& c : cases) {
    char buffer[8];
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(strNcpy(buffer, c.src, c.size), buffer);
    EXPECT_EQ(std::string(buffer, sizeof buffer), c.expected) << c.src << " size " << c.size;
  }
}

// ------------------------------------------------------------- FindString

TEST(FindStringTest, LimitCountsToTheMatchStart) {
  struct Case {
    std::string text;
    std::string pattern;
    int limit;
    long expected;  // offset of the match, -1 for failure
  };
  const Case cases[] = {
      {"abcXYZabcXYZ", "XYZ", 0, 3},
      {"abcXYZabcXYZ", "XYZ", 3, 3},
      {"abcXYZabcXYZ", "XYZ", 2, -1},
      {"abcXYZabcXYZ", "XYZ", -1, 3},
      {"abcXYZabcXYZ", "xyz", 0, -1},
      {"abcXYZ", "none", 0, -1},
      {"0123456789ABC", "9ABC", 9, 9},
      {"0123456789ABC", "9ABC", 8, -1},
      {"abc", "c", 1000, 2},
      {"abc", "abcd", 1000, -1},
      {"abc", "", 0, 0},
      {"", "a", 0, -1},
  };
  for (const Case& c : cases) {
    Text text(c.text);
    char* cursor = text.data();
    const int result = FindString(&cursor, c.pattern.c_str(), c.limit);
    EXPECT_EQ(result, c.expected >= 0 ? 1 : 0) << c.text << " / " << c.pattern << " / " << c.limit;
    EXPECT_EQ(cursor - text.data(), c.expected >= 0 ? c.expected : 0);
  }
}

TEST(FindStringTest, StaysOnTheMatchAndReadsNoFurtherThanTheLimit) {
  Text text("Query= one\nQuery= two");
  char* cursor = text.data() + 1;
  ASSERT_EQ(FindString(&cursor, "Query=", 0), 1);
  EXPECT_EQ(cursor - text.data(), 11);
  ASSERT_EQ(FindString(&cursor, "Query=", 0), 1);  // the same place again
  EXPECT_EQ(cursor - text.data(), 11);

  // No terminator at all: with a limit the search must stay inside the block.
  std::vector<char> bare = {'a', 'b', 'c', 'X', 'Y', 'Z', 'd', 'e', 'f'};
  char* at = bare.data();
  EXPECT_EQ(FindString(&at, "XYZ", 3), 1);
  EXPECT_EQ(at, bare.data() + 3);
  std::vector<char> bare2(64, 'a');
  at = bare2.data();
  EXPECT_EQ(FindString(&at, "Z", 10), 0);
  EXPECT_EQ(at, bare2.data());
}

// --------------------------------------------------------------- GetString

struct GetStringCase {
  std::string text;
  const char* first;
  const char* second;
  const char* skip;
  const char* stop;
  int limit;
  int expected;
  std::string value;  // expected value when taken
  long cursor;        // expected cursor offset when taken
};

void CheckGetString(const GetStringCase& c, bool starts) {
  Text text(c.text);
  char* cursor = text.data();
  std::string value = "untouched";
  const int result = starts ? GetStringStarts(&cursor, c.first, c.second, c.skip, value, c.stop)
                            : GetString(&cursor, c.first, c.second, c.skip, value, c.stop, c.limit);
  SCOPED_TRACE("text \"" + c.text + "\" limit " + std::to_string(c.limit));
  ASSERT_EQ(result, c.expected);
  if (result == 1) {
    EXPECT_EQ(value, c.value);
    EXPECT_EQ(cursor - text.data(), c.cursor);
  } else {
    EXPECT_EQ(value, "untouched");
    EXPECT_EQ(cursor, text.data());
  }
}

TEST(GetStringTest, MarkersSkipStopAndLimit) {
  const GetStringCase cases[] = {
      {"Length = 123\nnext", "Length", nullptr, " =", "\n", 0, 1, "123", 13},
      {"Length = 123", "Length", nullptr, " =", "\n", 0, 0, "", 0},  // no line break at the end
      {"Score = 12 bits, Expect = 3e-4\n", "Expect", "=", " ", "\n", 0, 1, "3e-4", 31},
      {"b=1 a b=2;", "a", "b=", nullptr, ";", 0, 1, "2", 10},
      {"a=;rest", "=", nullptr, nullptr, ";", 0, 1, "", 3},
      {"a=   ", "=", nullptr, " ", ";", 0, 0, "", 0},
      {"abc;", nullptr, nullptr, nullptr, ";", 0, 1, "abc", 4},
      {"abc;", "x", nullptr, nullptr, ";", 0, 0, "", 0},
      {"abc;", "a", "x", nullptr, ";", 0, 0, "", 0},
      {"abc;", "", "", nullptr, ";", 0, 1, "abc", 4},
      {"abc;", nullptr, nullptr, nullptr, nullptr, 0, 0, "", 0},
      {"abc;", nullptr, nullptr, nullptr, "", 0, 0, "", 0},
      {"a,b;c", nullptr, nullptr, nullptr, ";,", 0, 1, "a", 2},
      // The value's start against the limit: 10 passes, 11 fails.
      {"xxxxxxxx= V;", "=", nullptr, " ", ";", 10, 1, "V", 12},
      {"xxxxxxxx= V;", "=", nullptr, " ", ";", 9, 0, "", 0},
      {"xxxxxxxxx= V;", "=", nullptr, " ", ";", 10, 0, "", 0},
      {"xxxxxxxxx= V;", "=", nullptr, " ", ";", 11, 1, "V", 13},
      {"..........Len=5;", "Len=", nullptr, nullptr, ";", 14, 1, "5", 16},
      {"..........Len=5;", "Len=", nullptr, nullptr, ";", 13, 0, "", 0},
      {"..Len=   5;", "Len=", nullptr, " ", ";", 8, 0, "", 0},  // skipping runs past it
      {"..Len=   5;", "Len=", nullptr, " ", ";", 9, 1, "5", 11},
      {"A=1 B=2;", "A", "B=", nullptr, ";", 6, 1, "2", 8},
      {"A=1 B=2;", "A", "B=", nullptr, ";", 5, 0, "", 0},
      {"abc;", nullptr, nullptr, nullptr, ";", -1, 0, "", 0},    // a negative limit always fails
      {"abc;", nullptr, nullptr, nullptr, ";", 1, 1, "abc", 4},  // the stop may lie beyond it
  };
  for (const GetStringCase& c : cases) CheckGetString(c, false);
}

TEST(GetStringTest, StartsKeepsTheSecondMarkerInTheValue) {
  const GetStringCase cases[] = {
      {"Query= abc\nSbjct: xyz\n", "Query=", "Sbjct", nullptr, "\n", 0, 1, "Sbjct: xyz", 22},
      {"xx<a name=1>rest\n", nullptr, "<a", nullptr, "\n", 0, 1, "<a name=1>rest", 17},
      {"Sbjct x\n", "Query", "Sbjct", nullptr, "\n", 0, 0, "", 0},
      {"Query x\n", "Query", "Sbjct", nullptr, "\n", 0, 0, "", 0},
      {"Query Sbjct x\n", "Query", nullptr, nullptr, "\n", 0, 0, "", 0},
      {"Query Sbjct x\n", "Query", "Sbjct", nullptr, nullptr, 0, 0, "", 0},
      {"Query Sbjct x", "Query", "Sbjct", nullptr, "\n", 0, 0, "", 0},
  };
  for (const GetStringCase& c : cases) CheckGetString(c, true);
}

// The steps taken literally: search to the end, then check the limit.
int ReferenceGetString(const std::string& s, std::size_t& at, const std::string& first,
                       const std::string& second, const std::string& skip, std::string& value,
                       const std::string& stop, int limit) {
  std::size_t p = at;
  for (const std::string& marker : {first, second}) {
    if (marker.empty()) continue;
    const std::size_t m = s.find(marker, p);
    if (m == std::string::npos) return 0;
    p = m + marker.size();
  }
  while (p < s.size() && skip.find(s[p]) != std::string::npos) ++p;
  if (limit != 0 && static_cast<long>(p - at) > limit) return 0;
  const std::size_t end = s.find_first_of(stop, p);
  if (end == std::string::npos) return 0;
  value = s.substr(p, end - p);
  at = end + 1;
  return 1;
}

TEST(GetStringTest, BoundedSearchAgreesWithTheLiteralSteps) {
  std::mt19937 rng(7);
  const std::string alphabet = "ab=; \n";
  const auto pick = [&](std::size_t n) {
    return std::uniform_int_distribution<std::size_t>(0, n)(rng);
  };
  const auto word = [&](std::size_t most) {
    std::string w(pick(most), ' ');
    for (char& c : w) c = alphabet[pick(alphabet.size() - 1)];
    return w;
  };
  for (int round = 0; round < 20000; ++round) {
    const std::string s = word(40);
    std::string first = word(2), second = word(2);
    const int limit = static_cast<int>(pick(24)) - 2;
    std::string expectedValue, value;
    std::size_t at = 0;
    const int expected = ReferenceGetString(s, at, first, second, " ", expectedValue, ";\n", limit);
    Text text(s);
    char* cursor = text.data();
    const int result =
        GetString(&cursor, first.empty() ? nullptr : first.c_str(),
                  second.empty() ? nullptr : second.c_str(), " ", value, ";\n", limit);
    ASSERT_EQ(result, expected) << "round " << round << " text \"" << s << "\"";
    EXPECT_EQ(value, expectedValue);
    EXPECT_EQ(cursor - text.data(), static_cast<long>(at));
  }
}

// --------------------------------------------------------- splitting lines

TEST(SplitTest, SeparateStringAppendsItemsUpToTheTerminator) {
  struct Case {
    std::string text;
    const char* separators;
    const char* terminators;
    std::vector<std::string> before, after;
    long cursor;
  };
  const Case cases[] = {
      {"  one two   three\r\nnext", " ", "\r\n", {}, {"one", "two", "three"}, 19},
      {"one two\nnext", " ", "\r\n", {"x", "y"}, {"x", "y", "one", "two"}, 8},
      {"\r\nnext", " ", "\r\n", {}, {}, 2},
      {"", " ", "\n", {"x"}, {"x"}, 0},
      {"a,b,,c;;;d", ",", ";", {}, {"a", "b", "c"}, 9},
      {"a b   ", " ", "\n", {}, {"a", "b"}, 6},
      {"a b\n", nullptr, "\n", {}, {"a b"}, 4},
      {"a b\n", " ", nullptr, {}, {"a", "b\n"}, 4},
  };
  for (const Case& c : cases) {
    Text text(c.text);
    char* cursor = text.data();
    std::vector<std::string> items = c.before;
    EXPECT_EQ(SeparateString(&cursor, c.separators, c.terminators, items),
              static_cast<int>(c.after.size()));
    EXPECT_EQ(items, c.after) << c.text;
    EXPECT_EQ(cursor - text.data(), c.cursor) << c.text;
  }
}

TEST(SplitTest, ParseCmdListKeepsQuotedPhrases) {
  struct Case {
    const char* line;
    int expected;
    std::vector<std::string> items;
  };
  const Case cases[] = {
      {"one \"two three\" four", 1, {"one", "\"two three\"", "four"}},
      {"a  b", 1, {"a", "b"}},
      {"ab\"cd", 1, {"ab\"", "cd"}},
      {"\"open end", 1, {"\"open end"}},
      {"\"\"", 1, {"\"\""}},
      {"  x  ", 1, {"x"}},
      {"tab\there", 1, {"tab\there"}},
      {"   ", 1, {}},
      {"", 0, {}},
      {nullptr, 0, {}},
  };
  for (const Case& c : cases) {
    std::vector<std::string> items = {"kept"};
    EXPECT_EQ(ParseCmdList(c.line, items), c.expected) << (c.line ? c.line : "null");
    std::vector<std::string> expected = {"kept"};
    expected.insert(expected.end(), c.items.begin(), c.items.end());
    EXPECT_EQ(items, expected) << (c.line ? c.line : "null");
  }
}

}  // namespace

}  // namespace blastsearch
