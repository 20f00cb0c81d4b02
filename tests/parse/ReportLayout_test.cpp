// Recognising which reader a saved report needs.

#include "parse/ReportLayout.h"

#include <gtest/gtest.h>

#include <string>

#include "support/Corpus.h"

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

// Plain-text reports (legacy and BLAST+) open hits with '>' and the
// identifier; NCBI's HTML pages, classic and QBlast alike, open them with
// "<a name" anchors.
TEST(ReportLayout, CorpusFiles) {
  SKIP_WITHOUT_CORPUS();
  struct {
    const char* folder;
    ReportLayout layout;
  } const folders[] = {{"text", ReportLayout::QBlast},
                       {"blastplus-text", ReportLayout::QBlast},
                       {"html-classic", ReportLayout::Classic},
                       {"html-qblast", ReportLayout::Classic}};
  int files = 0;
  for (const auto& folder : folders) {
    for (const auto& path : CorpusFiles(folder.folder)) {
      SCOPED_TRACE(path.string());
      const std::string page = ReadWholeFile(path);
      EXPECT_EQ(RecogniseReportLayout(page), folder.layout);
      ++files;
      // A page cut anywhere never crashes and never looks like the other layout.
      for (std::size_t cut = 0; cut < page.size(); cut += 997) {
        const ReportLayout layout = RecogniseReportLayout(std::string_view(page).substr(0, cut));
        EXPECT_TRUE(layout == folder.layout || layout == ReportLayout::Unknown ||
                    (folder.layout == ReportLayout::Classic && layout == ReportLayout::QBlast))
            << cut;
      }
    }
  }
  EXPECT_GT(files, 90);
}

}  // namespace
