// Recognising which reader a saved report needs.

#include "parse/ReportLayout.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <string>

#include "parse/QueryAnchoredPage.h"
#include "support/Corpus.h"

namespace blastsearch {

namespace {

TEST(ReportLayout, SmallPages) {
  struct {
    const char* name;
    std::string page;
    ReportLayout layout;
  } const cases[] = {
      {"plain text report",
       "BLASTP 2.0.10\n\nQuery= gi|1|x\n (10 letters)\n\nSequences producing significant "
       "alignments:\n\ngi|2|y  40  1e-5\n\n>gi|2|y desc\n Length = 5\n",
       ReportLayout::QBlast},
      {"definition line after blanks", "Query= q\n\n>  gi|2|y desc\n", ReportLayout::QBlast},
      {"classic anchor at a line start",
       "<b>Query=</b> q\n\n<a name = 120291> </a><a href=\"x\">sp|P1|N</a> d\n",
       ReportLayout::Classic},
      {"anchored definition line, capitals",
       "<b>Query=</b> q\n<PRE>\n>  <A NAME = 5></A><a href=x>gb|A|</a> d\n", ReportLayout::Classic},
      {"plain definition lines inside an HTML page",
       "<html><pre>\n<b>Query=</b> q\n\n>gi|2|y desc\n", ReportLayout::QBlast},
      {"HTML page without hits", "<html><b>QUERY=</b> q\n***** No hits found *****\n",
       ReportLayout::Classic},
      {"plain report without hits", "Query= q\n (5 letters)\n ***** No hits found ******\n",
       ReportLayout::QBlast},
      {"summary header only", "Sequences producing significant alignments:\n",
       ReportLayout::QBlast},
      {"a tag after '>' that is no anchor is not a hit", "Query= q\n><b>bold</b>\n>gi|1| d\n",
       ReportLayout::QBlast},
      {"anchors before the report body do not count",
       "<a name=top></a>\nQuery= q\n\n>gi|2|y desc\n", ReportLayout::QBlast},
      {"carriage returns", "Query= q\r\n\r\n>gi|2|y desc\r\n", ReportLayout::QBlast},
      {"plain definition lines inside an HTML page, carriage returns only",
       "<html><pre>\r<b>Query=</b> q\r\r>gi|2|y desc\r", ReportLayout::QBlast},
      {"plain definition lines inside an HTML page, mixed line ends",
       "<html><pre>\n<b>Query=</b> q\r\n\r>gi|2|y desc\r", ReportLayout::QBlast},
      {"classic anchor after a lone carriage return",
       "Query= q\r<a name = 1></a><a href=x>n</a> d\r", ReportLayout::Classic},
      {"lone '>' lines are no hits", "Query= q\n>\n> \n", ReportLayout::QBlast},
      {"no report", "<html><body>Status=WAITING</body></html>", ReportLayout::Unknown},
      {"empty", "", ReportLayout::Unknown},
      {"query marker at the very end", "Query=", ReportLayout::QBlast},
      {"anchor prefix cut at the end", "<b>Query=</b>\n<a na", ReportLayout::Classic},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(RecogniseReportLayout(c.page), c.layout);
  }
}

TEST(ReportLayout, BytesAfterATerminatorStillCount) {
  const std::string page = std::string("junk\0Query= q\n>gi|1| d\n", 23);
  EXPECT_EQ(RecogniseReportLayout(page), ReportLayout::QBlast);
}

// BLAST+'s layouts by their opening, and look-alikes that are none of them.
TEST(ReportLayout, BlastPlusOpenings) {
  struct {
    const char* name;
    std::string page;
    ReportLayout layout;
  } const cases[] = {
      {"XML after declaration and document type",
       "<?xml version=\"1.0\"?>\n<!DOCTYPE BlastOutput PUBLIC \"x\" \"y\">\n<BlastOutput>\n",
       ReportLayout::BlastXml},
      {"XML with a comment and a byte-order mark", "\xEF\xBB\xBF<!-- c > d -->\r\n<BlastOutput >",
       ReportLayout::BlastXml},
      {"XML2 root with attributes", "<?xml version=\"1.0\"?>\n<BlastXML2\n  xmlns=\"x\">",
       ReportLayout::BlastXml2},
      {"another XML root", "<?xml version=\"1.0\"?>\n<BlastOutputs>", ReportLayout::Unknown},
      {"XML root cut after its name", "<?xml version=\"1.0\"?>\n<BlastOutput",
       ReportLayout::Unknown},
      {"XML declaration never closed", "<?xml version=\"1.0\"\n<BlastOutput>",
       ReportLayout::Unknown},
      {"JSON", "  {\n\"BlastOutput2\": [\n", ReportLayout::BlastJson},
      {"JSON with another first key", "{\"report\": {\"BlastOutput2\": 1}}", ReportLayout::Unknown},
      {"commented tabular", "# BLASTN 2.12.0+\n# Query: q1\n# Database: d\n",
       ReportLayout::CommentedTabular},
      {"commented tabular, PSI-BLAST rounds",
       "# PSIBLAST 2.12.0+\r\n# Iteration: 1\r\n# Fields: a\r\n", ReportLayout::CommentedTabular},
      {"comment lines without query or fields", "# BLASTP 2.12.0+\n# Database: d\n",
       ReportLayout::Unknown},
      {"pairwise text", "BLASTP 2.12.0+\n\n\nReference: x\n", ReportLayout::BlastPlusText},
      {"pairwise text with a date", "BLASTX 2.2.22+ [Jan-01-2010]\n", ReportLayout::BlastPlusText},
      {"pairwise text known by its rows",
       "Query= q\n\n>x d\nLength=9\n\nQuery  1    MKV  3\n            MKV\nSbjct  1    MKV  3\n",
       ReportLayout::BlastPlusText},
      {"pairwise HTML", "<HTML>\n<PRE>\n\n<b>BLASTP 2.12.0+</b>\n", ReportLayout::BlastPlusHtml},
      {"program line cut off", "BLASTP 2.12.0+", ReportLayout::Unknown},
      {"older program line stays older",
       "BLASTP 2.0.10 [Aug-26-1999]\n\nQuery= q\n\n>gi|1| d\n\nQuery: 1 MKV 3\n",
       ReportLayout::QBlast},
      {"version without digits", "BLASTP X+\nQuery= q\n>x d\n", ReportLayout::QBlast},
      {"default tabular columns", "q1\ts1\t81.6\t158\t26\t1\t5\t159\t2\t159\t1.07e-91\t254\n",
       ReportLayout::Tabular},
      {"tabular with PSI-BLAST's convergence lines",
       "q\ts\t1\t2\t3\t4\t5\t6\t7\t8\t1e-5\t9\n\nSearch has CONVERGED!\n"
       "q\ts\t1\t2\t3\t4\t5\t6\t7\t8\t0.0\t9\n",
       ReportLayout::Tabular},
      {"tabular of the user's columns",
       "q\tgb|A1|\t5.2e-145\t204\t1/1\nq\tgb|A2|\t1e-5\t20\t-1/2\n", ReportLayout::Tabular},
      {"tabular with a last line cut off", "q\ts\t1e-5\t20\nq\ts\t1e", ReportLayout::Tabular},
      {"tab lines of unequal width", "q\ts\t1e-5\t20\nq\ts\t1e-5\n", ReportLayout::Unknown},
      {"two columns are too few", "q\t1\nr\t2\n", ReportLayout::Unknown},
      {"tab lines without numbers", "a\tb\tc\nd\te\tf\n", ReportLayout::Unknown},
      {"tab line with a control byte", std::string("q\ts\x01\t1\t2\n"), ReportLayout::Unknown},
      {"first field empty", "\ts\t1\t2\n", ReportLayout::Unknown},
      {"CSV", "q1,s1,81.6,158,26,1,5,159,2,159,1.07e-91,254\r\n", ReportLayout::Csv},
      {"CSV with a word among the numbers", "q1,s1,81.6,158,26,1,x,159,2,159,1.07e-91,254\n",
       ReportLayout::Unknown},
      {"CSV of eleven columns", "q1,s1,81.6,158,26,1,5,159,2,159,1.07e-91\n",
       ReportLayout::Unknown},
      {"blank page", "\n\n  \n", ReportLayout::Unknown},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(RecogniseReportLayout(c.page), c.layout);
  }
}

// Every BLAST+ report in the test data, by its extension; cut anywhere, a
// report is its own layout or unknown, never another one.
TEST(ReportLayout, BlastPlusFiles) {
  const std::map<std::string, ReportLayout> byExtension = {
      {".txt", ReportLayout::BlastPlusText},     {".html", ReportLayout::BlastPlusHtml},
      {".xml", ReportLayout::BlastXml},          {".xml2", ReportLayout::BlastXml2},
      {".json", ReportLayout::BlastJson},        {".tsv", ReportLayout::Tabular},
      {".tab7", ReportLayout::CommentedTabular}, {".csv", ReportLayout::Csv}};
  const std::filesystem::path folder =
      std::filesystem::path(BLASTSEARCH_SOURCE_DIR) / "tests/data/blastplus";
  int files = 0;
  for (const auto& item : std::filesystem::directory_iterator(folder)) {
    const auto found = byExtension.find(item.path().extension().string());
    if (found == byExtension.end()) continue;
    SCOPED_TRACE(item.path().string());
    const std::string page = ReadWholeFile(item.path());
    // Its subject titles hold commas that BLAST+ leaves unquoted, so its lines
    // differ in field count: it is read only when the reader is named.
    const ReportLayout expected =
        item.path().filename() == "blastn_titles.csv" ? ReportLayout::Unknown : found->second;
    EXPECT_EQ(RecogniseReportLayout(page), expected);
    ++files;
    for (std::size_t cut = 0; cut < page.size(); cut += 331) {
      const ReportLayout layout = RecogniseReportLayout(std::string_view(page).substr(0, cut));
      EXPECT_TRUE(layout == expected || layout == ReportLayout::Unknown) << cut;
    }
  }
  EXPECT_GE(files, 7 * 8);
}

// Pages made to look almost like a BLAST+ layout, a MiB each: each is told
// in linear time.
TEST(ReportLayout, AlmostLayoutsAreToldInLinearTime) {
  const auto repeated = [](const std::string& head, const std::string& piece) {
    std::string page = head;
    while (page.size() < (std::size_t{1} << 20)) page += piece;
    return page;
  };
  const std::string pages[] = {
      repeated("", "<!x>"),
      repeated("<?xml?>", "<!-- -- >"),
      repeated("", "<b>"),
      repeated("x", "<b>"),
      repeated("", "BLASTP 2.12.0\n"),
      repeated("", "Query     \n"),
      repeated("# BLASTP 2.12.0+\n", "# Database: d\n"),
      repeated("", "q\ts\t1\t"),
      repeated("", "q,s,1,2,3,4,5,6,7,8,9,10\n"),
      repeated("", "\t\t\t\n"),
      repeated("{", " "),
  };
  const auto start = std::chrono::steady_clock::now();
  for (const std::string& page : pages) {
    const ReportLayout layout = RecogniseReportLayout(page);
    // A table of one long line is still a table.
    EXPECT_TRUE(layout == ReportLayout::Unknown || layout == ReportLayout::Csv ||
                layout == ReportLayout::Tabular || layout == ReportLayout::QBlast)
        << page.substr(0, 40);
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

// Plain-text reports (legacy and BLAST+) open hits with '>' and the
// identifier; NCBI's HTML pages, classic and QBlast alike, open them with
// "<a name" anchors.
TEST(ReportLayout, CorpusFiles) {
  SKIP_WITHOUT_CORPUS();
  struct {
    const char* folder;
    ReportLayout layout;
  } const folders[] = {{"text", ReportLayout::QBlast},
                       {"blastplus-text", ReportLayout::BlastPlusText},
                       {"html-classic", ReportLayout::Classic},
                       {"html-qblast", ReportLayout::Classic}};
  int files = 0;
  for (const auto& folder : folders) {
    for (const auto& path : CorpusFiles(folder.folder)) {
      SCOPED_TRACE(path.string());
      const std::string page = ReadWholeFile(path);
      // Reports laid out against the query are named so, in either folder.
      const ReportLayout expected =
          IsQueryAnchoredPage(page) ? ReportLayout::QueryAnchored : folder.layout;
      EXPECT_EQ(RecogniseReportLayout(page), expected);
      ++files;
      // A page cut anywhere never crashes and never looks like the other layout.
      for (std::size_t cut = 0; cut < page.size(); cut += 997) {
        const ReportLayout layout = RecogniseReportLayout(std::string_view(page).substr(0, cut));
        EXPECT_TRUE(layout == expected || layout == folder.layout ||
                    layout == ReportLayout::Unknown ||
                    (folder.layout == ReportLayout::Classic && layout == ReportLayout::QBlast))
            << cut;
      }
    }
  }
  EXPECT_GT(files, 90);
}

}  // namespace

}  // namespace blastsearch
