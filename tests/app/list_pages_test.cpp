// `list --limit/--after`: pages in name order that together give every row
// once, whatever the page length; the list without them as it always was.
#include <gtest/gtest.h>

#include <algorithm>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "CommandRun.h"
#include "support/TempDatabase.h"

namespace blastsearch {

namespace {

std::vector<std::string> NamesOf(const std::string& json) {
  std::vector<std::string> names;
  for (const auto& item : nlohmann::json::parse(json)) names.push_back(item["name"]);
  return names;
}

class ListPagesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string data = std::string(BLASTSEARCH_SOURCE_DIR) + "/tests/data/blastplus/";
    for (const char* file : {"blastp.xml", "blastn.txt", "tblastn.json", "blastx.tsv"}) {
      ASSERT_EQ(RunOnDatabase(m_dir.Path().string(), {"import", data + file}).m_nStatus, 0);
    }
  }
  CCommandRun List(std::vector<std::string> args) {
    args.insert(args.begin(), "list");
    return RunOnDatabase(m_dir.Path().string(), args);
  }
  CTempDir m_dir{"list-pages"};
};

TEST_F(ListPagesTest, PagesByNameTogetherGiveEveryRowOnce) {
  const CCommandRun all = List({"--json"});
  ASSERT_EQ(all.m_nStatus, 0) << all.m_strErr;
  std::vector<std::string> sorted = NamesOf(all.m_strOut);
  ASSERT_GE(sorted.size(), 10U);
  // Without --limit or --after: identifier order, as before.
  EXPECT_FALSE(std::is_sorted(sorted.begin(), sorted.end()));
  std::sort(sorted.begin(), sorted.end());
  for (const char* size : {"1", "3", "100"}) {
    SCOPED_TRACE(size);
    std::vector<std::string> paged;
    std::string after;
    for (int pages = 0; pages < 100; ++pages) {
      std::vector<std::string> args = {"--json", "--limit", size};
      if (!after.empty()) args.insert(args.end(), {"--after", after});
      const CCommandRun page = List(args);
      ASSERT_EQ(page.m_nStatus, 0) << page.m_strErr;
      const std::vector<std::string> names = NamesOf(page.m_strOut);
      if (names.empty()) break;
      EXPECT_LE(names.size(), std::stoul(size));
      paged.insert(paged.end(), names.begin(), names.end());
      after = names.back();
    }
    EXPECT_EQ(paged, sorted);
  }
  // The columns honour the page as the JSON does; a subbase is paged alone.
  const CCommandRun columns = List({"--limit", "2"});
  EXPECT_EQ(std::count(columns.m_strOut.begin(), columns.m_strOut.end(), '\n'), 3);
  ASSERT_EQ(RunOnDatabase(m_dir.Path().string(), {"subbase", "new", "two", sorted[4], sorted[1]})
                .m_nStatus,
            0);
  EXPECT_EQ(NamesOf(List({"--json", "--subbase", "two", "--after", sorted[1]}).m_strOut),
            std::vector<std::string>{sorted[4]});
}

TEST_F(ListPagesTest, BadPagesAreRefused) {
  EXPECT_EQ(List({"--limit", "0"}).m_nStatus, 2);
  EXPECT_EQ(List({"--limit", "-3"}).m_nStatus, 2);
  const CCommandRun missing = List({"--limit", "5", "--subbase", "no such"});
  EXPECT_EQ(missing.m_nStatus, 1);
  EXPECT_NE(missing.m_strErr.find("no subbase named \"no such\""), std::string::npos);
}

}  // namespace

}  // namespace blastsearch
