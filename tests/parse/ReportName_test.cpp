// The query's name as a report's "Query=" line gives it.

#include "parse/ReportName.h"

#include <gtest/gtest.h>

#include <string>

#include "support/Corpus.h"

namespace blastsearch {

namespace {

TEST(ReportName, TakesTheQueryLineWithoutTags) {
  EXPECT_EQ(QueryNameOfReport("BLASTP 2.0\n\nQuery= gi|1234|sp|P1  some protein\n (45 letters)"),
            "gi|1234|sp|P1 some protein");
  EXPECT_EQ(QueryNameOfReport("<b>Query=</b>  gi|99 thing\r\n"), "gi|99 thing");
  EXPECT_EQ(QueryNameOfReport("no query here"), "");
  EXPECT_EQ(QueryNameOfReport("Query=\n"), "");
  // "Query=" inside other text is not a query line.
  EXPECT_EQ(QueryNameOfReport("x Query= no\nQuery= yes\n"), "yes");
  EXPECT_EQ(QueryNameOfReport("Query= " + std::string(1000, 'A')).size(), 256u);
  // Lines that end in a bare CR, as old Macintosh reports have them.
  EXPECT_EQ(QueryNameOfReport("BLASTN 2.0\rx Query= no\rQuery= yes\r"), "yes");
}

// A line of a million bytes made of "Query=" and never a query line: each
// "Query=" once looked back to its line's start, which made this take hours.
TEST(ReportName, ManyQueryMarkersOnOneLineAreReadInLinearTime) {
  std::string report = "x";
  for (int i = 0; i < 200000; ++i) report += "Query=";
  EXPECT_EQ(QueryNameOfReport(report + "\nQuery= late"), "late");
}

TEST(ReportName, WrappedQueryLinesAreJoined) {
  const struct {
    const char* name;
    std::string report;
    const char* query;
  } cases[] = {
      {"joined up to the letters line", "Query= gi|1|a first\nsecond part\n   (45 letters)\n",
       "gi|1|a first second part"},
      {"blanks around the join dropped", "Query= one   \n    two  \n  three\n  (3 letters)",
       "one two three"},
      {"letters on the continuation line", "Query= one\ntwo (1,234 letters)\n", "one two"},
      {"parentheses that are not the length stay", "Query= p\n(GLCDH-II)\n (9 letters)\n",
       "p (GLCDH-II)"},
      {"up to a blank line (the newer layout)", "Query= one\ntwo\n\nLength=490\n", "one two"},
      {"up to the length line", "Query= one\nLength=490\n", "one"},
      {"up to the database line", "Query= one\n<b>Database:</b> nr\n", "one"},
      {"tags on the continuation line dropped", "<b>Query=</b> one\n<i>two</i>\n (5 letters)",
       "one two"},
      {"control characters become blanks", "Query= one.\x01two\x7f three\n", "one. two three"},
      {"CR-LF lines", "Query= one\r\ntwo\r\n (5 letters)\r\n", "one two"},
      {"bounded when joined", "Query= " + std::string(200, 'a') + "\n" + std::string(200, 'b'),
       nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string name = QueryNameOfReport(c.report);
    if (c.query != nullptr) {
      EXPECT_EQ(name, c.query);
    } else {
      EXPECT_EQ(name, std::string(200, 'a') + " " + std::string(55, 'b'));
    }
  }
}

// Query definitions as the reports print them, wrapped and joined again.
TEST(ReportName, CorpusQueryDefinitions) {
  SKIP_WITHOUT_CORPUS();
  const struct {
    const char* file;
    const char* query;
  } cases[] = {
      {"text/text_2010L_blastp_001.txt", "gi|120291|sp|P21297|FLBT_CAUCR FLBT PROTEIN"},
      {"text/text_2010L_blastn_002.txt",
       "gi|1348400|gb|G26168|G26168 human STS EST47274. gi|1375380|gb|G27130|G27130 human STS "
       "SHGC-32751."},
      {"text/text_2010L_phiblast_002.txt",
       "gi|126343|sp|P17216|LIVK_SALTY LEUCINE-SPECIFIC BINDING PROTEIN PRECURSOR (LS-BP) (L-BP)"},
      {"html-classic/bt020.html",
       "gi|1709271|sp|P54929|NIFA_AZOLI NIF-SPECIFIC REGULATORY PROTEIN."},
      {"html-qblast/bt100.html",
       "gi|59709408|gb|CW882773.1|CW882773 she2h69-68.b_054.ab1 Whole-genome shotgun library of "
       "the elephant shark (aka elephant fish) Callorhinchus milii genomic, DNA sequence"},
      {"blastplus-text/text_2226_blastn_002.txt",
       "gi|356995852:1-490 Mus musculus POU domain, class 5, transcription factor 1 (Pou5f1), "
       "transcript variant 1, mRNA"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(QueryNameOfReport(ReadWholeFile(CorpusDir() / c.file)), c.query) << c.file;
  }
}

TEST(ReportName, ProgramLineOfOlderReports) {
  const std::pair<const char*, const char*> cases[] = {
      {"TBLASTN 2.2.16 [Mar-25-2007]\n\nQuery= x\n", "TBLASTN 2.2.16"},
      {"\n<HTML><PRE>\n<b>BLASTP 2.0.10 [Aug-26-1999]</b>\n", "BLASTP 2.0.10"},
      {"BLASTX 2.2.22+\n", "BLASTX 2.2.22+"},
      {"Query= BLASTP 2.0.10\n", ""},              // after the query line: not the program's
      {"BLASTP version unknown\nQuery= x\n", ""},  // no version
      {"PSI-BLAST 2.0\n", ""},
      {"", ""},
  };
  for (const auto& [report, line] : cases) {
    EXPECT_EQ(ProgramLineOfReport(report), line) << report;
  }
  // Only the first 64 lines that hold something are looked at.
  std::string lines;
  for (int i = 0; i < 63; ++i) lines += "x\n\n";
  EXPECT_EQ(ProgramLineOfReport(lines + "BLASTN 2.0.10\n"), "BLASTN 2.0.10");
  EXPECT_EQ(ProgramLineOfReport(lines + "x\nBLASTN 2.0.10\n"), "");
}

}  // namespace

}  // namespace blastsearch
