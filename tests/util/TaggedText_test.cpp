#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>

#include "util/StringDataStorage.h"
#include "util/StringVDataItem.h"

namespace blastsearch {

namespace {

TEST(StringVDataItem, AssemblesAndSeparatesAnElement) {
  CStringVDataItem item("a", "1");
  EXPECT_EQ(item.Assemble(), "<a>1</a>");
  CStringVDataItem back;
  ASSERT_EQ(back.Separate(item.Assemble()), 1);
  EXPECT_EQ(back.m_strKey, "a");
  EXPECT_EQ(back.m_strValue, "1");

  CStringVDataItem spaced("Key With Blanks", "two words\nand a line");
  ASSERT_EQ(back.Separate(spaced.Assemble()), 1);
  EXPECT_EQ(back.m_strKey, spaced.m_strKey);
  EXPECT_EQ(back.m_strValue, spaced.m_strValue);
}

struct SeparateCase {
  const char* text;
  int result;
  const char* key;    // key afterwards ("?" = untouched)
  const char* value;  // value afterwards ("?" = untouched)
};

void PrintTo(const SeparateCase& c, std::ostream* os) { *os << '"' << c.text << '"'; }

class SeparateCases : public ::testing::TestWithParam<SeparateCase> {};

TEST_P(SeparateCases, TakesKeyAndValueByTheFirstClosingTag) {
  const SeparateCase& c = GetParam();
  CStringVDataItem item("?", "?");
  EXPECT_EQ(item.Separate(c.text), c.result) << c.text;
  EXPECT_EQ(item.m_strKey, c.key) << c.text;
  EXPECT_EQ(item.m_strValue, c.value) << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, SeparateCases,
    ::testing::Values(SeparateCase{"no tags at all", 0, "?", "?"},
                      SeparateCase{"</a>", 0, "?", "?"},      // closing tag at the very start
                      SeparateCase{"<a>1</a", 0, "?", "?"},   // closing tag never ends
                      SeparateCase{"<a>1</b>", 0, "b", "?"},  // key taken, its opening tag missing
                      SeparateCase{"<a>1</a>2</a>", 1, "a",
                                   "1"},  // a value holding "</" is cut there
                      SeparateCase{"<a>x</b>y</a>", 0, "b", "?"},  // the first "</" names the key
                      SeparateCase{"x</a><a>", 1, "a", ""},  // opening tag after the closing one
                      SeparateCase{"<a></a>", 1, "a", ""}, SeparateCase{"<></>", 1, "", ""},
                      SeparateCase{"lead<k>v</k>trail", 1, "k", "v"},
                      SeparateCase{"<K>v</k>", 0, "k", "?"}));  // keys keep their letter case

TEST(StringDataStorage, SetGetAndDeleteEditInPlace) {
  CStringDataStorage storage;
  std::string value = "untouched";
  EXPECT_EQ(storage.Get("a", value), 0);  // empty text
  EXPECT_EQ(value, "untouched");

  storage.Set("a", "1");
  storage.Set("b", "22");
  EXPECT_EQ(*storage.GetData(), "<a>1</a><b>22</b>");
  storage.Set("a", "x");
  EXPECT_EQ(*storage.GetData(), "<a>x</a><b>22</b>");
  EXPECT_EQ(storage.Get("b", value), 1);
  EXPECT_EQ(value, "22");
  EXPECT_EQ(storage.Get("c", value), 0);
  EXPECT_EQ(value, "22");

  storage.Set("c", "3");
  storage.Delete("b");
  EXPECT_EQ(*storage.GetData(), "<a>x</a><c>3</c>");
  storage.Delete("d");
  EXPECT_EQ(*storage.GetData(), "<a>x</a><c>3</c>");
  storage.Set("a", "");
  EXPECT_EQ(*storage.GetData(), "<a></a><c>3</c>");
  storage.Delete("c");
  storage.Delete("a");
  EXPECT_EQ(*storage.GetData(), "");
}

TEST(StringDataStorage, KeyWithoutClosingTagCountsAsAbsent) {
  CStringDataStorage storage;
  storage.SetData(std::string("<a>broken<b>2</b>"));
  std::string value = "kept";
  EXPECT_EQ(storage.Get("a", value), 0);
  EXPECT_EQ(value, "kept");
  storage.Delete("a");
  EXPECT_EQ(*storage.GetData(), "<a>broken<b>2</b>");
  storage.Set("a", "1");
  EXPECT_EQ(*storage.GetData(), "<a>broken<b>2</b><a>1</a>");
  // The broken opening tag now pairs with the appended closing tag.
  EXPECT_EQ(storage.Get("a", value), 1);
  EXPECT_EQ(value, "broken<b>2</b><a>1");
}

TEST(StringDataStorage, FirstOpeningTagAnywhereWins) {
  CStringDataStorage storage;
  storage.SetData(std::string("<a><b>in</b></a><b>out</b>"));
  std::string value;
  EXPECT_EQ(storage.Get("b", value), 1);
  EXPECT_EQ(value, "in");
  storage.Delete("b");
  EXPECT_EQ(*storage.GetData(), "<a></a><b>out</b>");
  // Text around the elements stays.
  storage.SetData(std::string("head<k>v</k>tail"));
  storage.Delete("k");
  EXPECT_EQ(*storage.GetData(), "headtail");
}

TEST(StringDataStorage, ValueMayBeTheEditedTextItself) {
  CStringDataStorage storage;
  storage.Set("a", "1");
  storage.Set("b", *storage.GetData());
  EXPECT_EQ(*storage.GetData(), "<a>1</a><b><a>1</a></b>");
  storage.Set("a", *storage.GetData());
  EXPECT_EQ(*storage.GetData(), "<a><a>1</a><b><a>1</a></b></a><b><a>1</a></b>");
  std::string* text = storage.GetData();
  EXPECT_EQ(storage.Get("b", *text), 1);
  EXPECT_EQ(*text, "<a>1</a>");
}

TEST(StringDataStorage, EditsTheCallersTextAndLeavesItOnDestruction) {
  std::string text = "<k>v</k>";
  {
    CStringDataStorage storage(&text);
    EXPECT_EQ(storage.GetData(), &text);
    storage.Set("k", "w");
    storage.Set("n", "1");
  }
  EXPECT_EQ(text, "<k>w</k><n>1</n>");

  CStringDataStorage ownText(nullptr);
  ownText.Set("x", "y");
  EXPECT_EQ(*ownText.GetData(), "<x>y</x>");

  CStringDataStorage switched;
  switched.Set("own", "1");
  switched.SetData(&text);
  switched.Delete("k");
  EXPECT_EQ(text, "<n>1</n>");
  switched.SetData(static_cast<std::string*>(nullptr));  // back to its own text
  EXPECT_EQ(*switched.GetData(), "<own>1</own>");
}

TEST(StringDataStorage, CopiesFollowTheSourcesText) {
  std::string callers = "<c>1</c>";
  auto source = std::make_unique<CStringDataStorage>();
  source->Set("own", "1");

  // A copy of a storage that edits its own text edits its own copy, which
  // outlives the source.
  CStringDataStorage copied(*source);
  CStringDataStorage assigned;
  assigned = *source;
  source.reset();
  copied.Set("own", "2");
  assigned.Set("own", "3");
  EXPECT_EQ(*copied.GetData(), "<own>2</own>");
  EXPECT_EQ(*assigned.GetData(), "<own>3</own>");

  // A copy of a storage on a caller's text edits that same text, and carries
  // the source's own text along.
  CStringDataStorage onCallers;
  onCallers.Set("hidden", "h");
  onCallers.SetData(&callers);
  CStringDataStorage follower(onCallers);
  EXPECT_EQ(follower.GetData(), &callers);
  follower.Set("c", "2");
  EXPECT_EQ(callers, "<c>2</c>");
  follower.SetData(static_cast<std::string*>(nullptr));
  EXPECT_EQ(*follower.GetData(), "<hidden>h</hidden>");

  CStringDataStorage& alias = assigned;
  assigned = alias;  // self-assignment keeps everything
  EXPECT_EQ(*assigned.GetData(), "<own>3</own>");
}

}  // namespace

}  // namespace blastsearch
