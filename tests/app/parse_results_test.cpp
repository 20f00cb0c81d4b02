// `blastsearch parse` over reports of several results: picking one, saving
// one, the refusals and their statuses, and input cut off.

#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>

#include "app/AppTest.h"
#include "app/Commands.h"
#include "support/Corpus.h"

namespace blastsearch {

namespace {

namespace fs = std::filesystem;

fs::path BlastPlusFile(const std::string& name) {
  return fs::path(BLASTSEARCH_SOURCE_DIR) / "tests/data/blastplus" / name;
}

// A small plain-text report of one query; its readable output is pinned
// elsewhere.
constexpr const char* kOneResult =
    "BLASTP 2.0.10 [Aug-26-1999]\n\nQuery= test|1 tiny query\n         (12 letters)\n\n"
    "Sequences producing significant alignments:\n\n"
    ">gi|111|sp|P11111|ONE_HUMAN FIRST PROTEIN\n           Length = 40\n\n"
    " Score = 45.8 bits (107), Expect = 2e-05\n Identities = 10/12 (83%)\n\n"
    "Query: 1  MAATKQGGGDDG 12\n          MA TKQGGGD G\nSbjct: 5  MAQTKQGGGDAG 16\n";

// Picking in a report of one result: what is there is written as without a
// choice, what is not fails with a message and writes nothing.
TEST(ParseResults, PickingInAReportOfOneResult) {
  TempDir dir;
  const std::string report = dir.File("one.txt", kOneResult).string();
  const CommandRun plain = Blastsearch({"parse", report});
  ASSERT_EQ(plain.status, kExitOk) << plain.err;
  struct {
    std::vector<std::string> args;
    int status;
    const char* err;
  } const cases[] = {
      {{"--query", "1"}, kExitOk, ""},
      {{"--query-name", "test|1"}, kExitOk, ""},
      {{"--query-name", "test|1 tiny query"}, kExitOk, ""},
      {{"--query", "2"}, kExitFailed, "one.txt: holds no query 2\n"},
      {{"--query-name", "test"}, kExitFailed, "one.txt: holds no query named \"test\"\n"},
      {{"--query", "0"}, kExitUsage, ""},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args{"parse", report};
    args.insert(args.end(), c.args.begin(), c.args.end());
    SCOPED_TRACE(testing::PrintToString(args));
    const CommandRun run = Blastsearch(args);
    EXPECT_EQ(run.status, c.status) << run.err;
    if (c.status == kExitOk) {
      EXPECT_EQ(run.out, plain.out);
    }
    if (c.status == kExitFailed) {
      EXPECT_EQ(run.out, "");
      EXPECT_NE(run.err.find(c.err), std::string::npos) << run.err;
    }
  }
}

// Every format of the same BLAST+ search gives its queries one result each,
// in order; a query without hits has no line in tabular output.
TEST(ParseResults, EachFormatGivesOneResultPerQuery) {
  struct {
    const char* file;
    int results;
  } const cases[] = {{"blastp.txt", 3},  {"blastp.html", 3}, {"blastp.xml", 3},
                     {"blastp.xml2", 3}, {"blastp.json", 3}, {"blastp.tab7", 3},
                     {"blastp.tsv", 2},  {"blastp.csv", 2},  {"psiblast.xml", 3}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    const CommandRun run = Blastsearch({"parse", BlastPlusFile(c.file).string(), "--json"});
    ASSERT_EQ(run.status, kExitOk) << run.err;
    ASSERT_EQ(Lines(run.out), c.results);
    std::istringstream lines(run.out);
    std::string line;
    std::vector<std::string> names;
    while (std::getline(lines, line)) {
      names.push_back(nlohmann::json::parse(line)["query"]["name"].get<std::string>());
    }
    EXPECT_EQ(names[0].rfind("query_p1", 0), 0u);
    EXPECT_EQ(names[1].rfind("query_p2", 0), 0u);
  }
}

// A table without comment lines cannot name its columns or program: the
// user does, and its frames and molecule types follow.
TEST(ParseResults, TablesWithoutCommentsTakeTheirColumnsAndProgram) {
  const std::string file = BlastPlusFile("tblastx_columns.tsv").string();
  const CommandRun guessed = Blastsearch({"parse", file, "--summary"});
  EXPECT_EQ(guessed.status, kExitFailed);
  EXPECT_NE(guessed.err.find("line 1: 16 values where the columns are 12"), std::string::npos)
      << guessed.err;
  const CommandRun told = Blastsearch(
      {"parse", file, "--json", "--program", "tblastx", "--columns",
       "qseqid sseqid evalue bitscore score length nident positive gaps frames qstart qend "
       "sstart send sseq qseq"});
  ASSERT_EQ(told.status, kExitOk) << told.err;
  ASSERT_EQ(Lines(told.out), 2);
  const auto first = nlohmann::json::parse(told.out.substr(0, told.out.find('\n')));
  EXPECT_EQ(first["query"]["type"], 1) << "a tblastx query is nucleotide";
  EXPECT_TRUE(first["hits"][0]["elements"][0].contains("subject_frame"));
  EXPECT_EQ(Blastsearch({"parse", file, "--program", "blastz"}).status, kExitUsage);
}

// Picking one of several results, and saving only one.
TEST(ParseResults, PickingAndSavingAmongSeveral) {
  TempDir dir;
  const std::string report = BlastPlusFile("blastp.xml").string();
  const std::string saved = dir.Path("r.bqt").string();
  const CommandRun all = Blastsearch({"parse", report, "--summary"});
  ASSERT_EQ(all.status, kExitOk) << all.err;
  ASSERT_EQ(Lines(all.out), 3);
  std::vector<std::string> lines;
  std::istringstream in(all.out);
  for (std::string line; std::getline(in, line);) lines.push_back(line + '\n');
  struct {
    std::vector<std::string> args;
    int status;
    std::string out;
    const char* err;
  } const cases[] = {
      {{"--query", "2"}, kExitOk, lines[1], ""},
      {{"--query", "3"}, kExitOk, lines[2], ""},
      {{"--query-name", "query_p3"}, kExitOk, lines[2], ""},
      {{"--query", "4"}, kExitFailed, "", "holds no query 4"},
      {{"--save", saved}, kExitFailed, "", "holds several results; --save needs --query"},
      {{"--query", "2", "--save", saved}, kExitOk, lines[1], ""},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args{"parse", report, "--summary"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    SCOPED_TRACE(testing::PrintToString(args));
    const CommandRun run = Blastsearch(args);
    EXPECT_EQ(run.status, c.status) << run.err;
    EXPECT_EQ(run.out, c.out);
    if (*c.err != '\0') {
      EXPECT_NE(run.err.find(c.err), std::string::npos) << run.err;
    }
  }
  // The one saved is the second query's, read back as it was.
  EXPECT_EQ(Blastsearch({"parse", saved, "--summary"}).out, lines[1]);
}

// The readable output of several results puts each under its query's name.
TEST(ParseResults, ReadableOutputSeparatesResults) {
  const CommandRun run = Blastsearch({"parse", BlastPlusFile("blastp.json").string()});
  ASSERT_EQ(run.status, kExitOk) << run.err;
  const std::size_t first = run.out.find("=== query 1: query_p1");
  const std::size_t second = run.out.find("=== query 2: query_p2");
  const std::size_t third = run.out.find("=== query 3: query_p3");
  EXPECT_EQ(first, 0u) << run.out.substr(0, 200);
  EXPECT_LT(first, second);
  EXPECT_LT(second, third);
  EXPECT_NE(third, std::string::npos);
}

// PSI-BLAST: the last round of each query, or every round when asked.
TEST(ParseResults, PsiBlastRounds) {
  const std::string report = BlastPlusFile("psiblast.txt").string();
  const CommandRun last = Blastsearch({"parse", report, "--summary"});
  ASSERT_EQ(last.status, kExitOk) << last.err;
  EXPECT_EQ(Lines(last.out), 3);
  const CommandRun every = Blastsearch({"parse", report, "--summary", "--every-round"});
  ASSERT_EQ(every.status, kExitOk) << every.err;
  EXPECT_EQ(Lines(every.out), 5);
  const CommandRun second =
      Blastsearch({"parse", report, "--json", "--every-round", "--query", "2"});
  EXPECT_EQ(Lines(second.out), 2);
}

// A report cut off inside a result: the results before are written whole,
// the cut one is written and said to be partial, with status 1.
TEST(ParseResults, ReportCutOffShowsWhatWasRead) {
  TempDir dir;
  for (const char* name : {"blastp.xml", "blastp.json", "blastp.txt", "blastp.tab7"}) {
    SCOPED_TRACE(name);
    const std::string whole = ReadWholeFile(BlastPlusFile(name));
    // Halfway through the second query.
    const std::size_t second = whole.find("query_p2");
    ASSERT_NE(second, std::string::npos);
    const std::string cut =
        dir.File(std::string("cut_") + name, whole.substr(0, second + (whole.size() - second) / 4))
            .string();
    const CommandRun run = Blastsearch({"parse", cut, "--summary"});
    EXPECT_EQ(run.status, kExitFailed) << run.err;
    EXPECT_GE(Lines(run.out), 1) << run.err;
    EXPECT_NE(run.err.find("cut_" + std::string(name) + ": "), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("partial"), std::string::npos) << run.err;
  }
}

}  // namespace

}  // namespace blastsearch
