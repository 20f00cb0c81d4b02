// The commands that annotate objects, and what the search command refuses.
#include <gtest/gtest.h>

#include <fstream>

#include "SearchCorpusDb.h"

namespace blastsearch {

namespace {

class SearchCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SKIP_WITHOUT_CORPUS();
    m_db = SearchCorpusDb::Get();
    ASSERT_NE(m_db, nullptr);
    m_db->Open();
  }
  // An object the set-up gave no comment and no keyword "tri".
  const ObjModel& Plain() const { return m_db->m_objects.at(1); }
  SearchCorpusDb* m_db = nullptr;
};

TEST_F(SearchCommandsTest, RefusalsNameWhatWasWrong) {
  const std::string obj = Plain().name;
  struct Case {
    std::vector<std::string> args;
    int status;
    const char* says;
  } cases[] = {
      {{"search", "--text", "a|b", "--field", "comment"}, 2, "a|b"},
      {{"search", "--text", "x", "--field", "nosuch"}, 2, "no field \"nosuch\""},
      {{"search", "--keyword", "never given"}, 2, "never given"},
      {{"search", "--hits", "5-6"}, 2, "5-6"},
      {{"search"}, 0, "Search Result: All BLAST Result of MAIN Subbase"},
      {{"search", "--text", "x"}, 0, "Search Result: All BLAST Result of MAIN Subbase"},
      {{"search", "--in", "no such", "--keyword", "even"},
       1,
       "Specified Subbase is Empty or Doesn't Exist"},
      {{"keyword", "add", "no such object", "k"}, 1, "no stored result named \"no such object\""},
      {{"keyword", "rm", obj, "tri"}, 1, "has no keyword \"tri\""},
      {{"keyword", "add", obj, "two\nlines"}, 2, "control character"},
      {{"field", "set", obj, "Undefined", "v"}, 2, "no user-defined field \"Undefined\""},
      {{"field", "set", obj, "Score", "abc"}, 2, "takes a number"},
      {{"field", "unset", obj, "Lab", "not there"}, 1, "has no value \"not there\""},
      {{"field", "define", "Lab", "text"}, 1, "already defined"},
      {{"field", "define", "Hits Count", "number"}, 1, "already a field"},
      {{"field", "define", "X", "date"}, 2, "date"},
      {{"comment", "set", obj, "--file", "/nonexistent/comment.txt"},
       2,
       "/nonexistent/comment.txt"},
      {{"author", "set"}, 2, "--name"},
  };
  for (const Case& c : cases) {
    std::string out, err;
    EXPECT_EQ(m_db->Run(c.args, &out, &err), c.status) << c.args[0] << " " << c.args.back();
    EXPECT_NE(err.find(c.says), std::string::npos) << err;
  }
}

TEST_F(SearchCommandsTest, AnnotationsReadBackAsGiven) {
  const std::string obj = Plain().name;
  std::string out;
  ASSERT_EQ(m_db->Run({"keyword", "list", obj}, &out), 0);
  std::string expected;
  for (const auto& k : Plain().keywords) expected += k + "\n";
  EXPECT_EQ(out, expected);
  ASSERT_EQ(m_db->Run({"keyword", "list"}, &out), 0);
  for (const char* k : {"even\n", "tri\n", "Even\n"}) EXPECT_NE(out.find(k), std::string::npos);

  const ObjModel& commented = m_db->m_objects.at(8);
  ASSERT_EQ(m_db->Run({"comment", "show", commented.name}, &out), 0);
  EXPECT_EQ(out, commented.comments[0] + "\n" + commented.comments[1] + "\n");

  // A comment from a file, then removed again; a keyword added and taken away.
  const auto file = m_db->m_dir.parent_path() / ("comment-" + std::to_string(::getpid()));
  std::ofstream(file) << "first line\r\nsecond line\n";
  ASSERT_EQ(m_db->Run({"comment", "set", obj, "--file", file.string()}), 0);
  std::filesystem::remove(file);
  ASSERT_EQ(m_db->Run({"comment", "show", obj}, &out), 0);
  EXPECT_EQ(out, "first line\nsecond line\n");
  std::string err;
  ASSERT_EQ(m_db->Run({"comment", "set", obj, ""}, nullptr, &err), 0) << err;
  ASSERT_EQ(m_db->Run({"comment", "show", obj}, &out), 0);
  EXPECT_EQ(out, "");

  ASSERT_EQ(m_db->Run({"keyword", "add", obj, "temporary"}), 0);
  ASSERT_EQ(m_db->Run({"search", "--json", "--keyword", "temporary"}, &out), 0);
  EXPECT_NE(out.find("\"" + obj + "\""), std::string::npos);
  ASSERT_EQ(m_db->Run({"keyword", "rm", obj, "temporary"}), 0);
  EXPECT_EQ(m_db->Run({"search", "--keyword", "temporary"}), 1);
}

}  // namespace

}  // namespace blastsearch
