// What `blastsearch parse` writes, pinned on small hand-written reports of
// both layouts, and how it treats its input and its --save file.

#include <gtest/gtest.h>

#include <filesystem>

#include "app/AppTest.h"
#include "model/NumberFormat.h"
#include "output/PrintableText.h"
#include "support/Corpus.h"

namespace blastsearch {

namespace {

namespace fs = std::filesystem;

// A plain-text report: two hits, the second with two segment pairs.
constexpr const char* kQBlastReport = R"(BLASTP 2.0.10 [Aug-26-1999]

Query= test|1 tiny query
         (12 letters)

Database: tiny
           2 sequences; 100 total letters

                                                                   Score     E
Sequences producing significant alignments:                        (bits)  Value

gi|111|sp|P11111|ONE_HUMAN FIRST PROTEIN                               45  2e-05
gi|222|sp|P22222|TWO_MOUSE SECOND PROTEIN                              30  0.50

>gi|111|sp|P11111|ONE_HUMAN FIRST PROTEIN
           Length = 40

 Score = 45.8 bits (107), Expect = 2e-05
 Identities = 10/12 (83%), Positives = 11/12 (91%)

Query: 1  MAATKQGGGDDG 12
          MA TKQGGGD G
Sbjct: 5  MAQTKQGGGDAG 16


>gi|222|sp|P22222|TWO_MOUSE SECOND PROTEIN
           Length = 30

 Score = 30.0 bits (66), Expect = 0.50
 Identities = 5/8 (62%), Positives = 6/8 (75%), Gaps = 1/8 (12%)

Query: 3  ATKQ-GGG 9
          A KQ GG
Sbjct: 20 AVKQLGGA 27

 Score = 20.1 bits (41), Expect = 4.2
 Identities = 3/4 (75%), Positives = 3/4 (75%)

Query: 9  GDDG 12
          GD G
Sbjct: 1  GDAG 4

  Database: tiny
)";

constexpr const char* kQBlastJson =
    R"({"query":{"name":"test|1 tiny query","id":"","type":1,"length":12},"hits":[)"
    R"({"id":"111","name":"gi|111|sp|P11111|ONE_HUMAN","description":"FIRST PROTEIN","length":40,)"
    R"("mol_type":1,"link":"ncbi:dnarna/111","elements":[{"bit_score":45.8,"score":107,)"
    R"("expect":2e-05,"identities":10,"positives":11,"gaps":0,"align_length":12,"frame":0,)"
    R"("query":{"start":1,"end":12,"length":12,"minus":0,"seq":"MAATKQGGGDDG"},)"
    R"("subject":{"start":5,"end":16,"length":12,"minus":0,"seq":"MAQTKQGGGDAG"}}]},)"
    R"({"id":"222","name":"gi|222|sp|P22222|TWO_MOUSE","description":"SECOND PROTEIN",)"
    R"("length":30,"mol_type":1,"link":"ncbi:dnarna/222","elements":[{"bit_score":30.0,)"
    R"("score":66,"expect":0.5,"identities":5,"positives":6,"gaps":1,"align_length":8,)"
    R"("frame":0,"query":{"start":3,"end":9,"length":8,"minus":0,"seq":"ATKQ-GGG"},)"
    R"("subject":{"start":20,"end":27,"length":8,"minus":0,"seq":"AVKQLGGA"}},)"
    R"({"bit_score":20.1,"score":41,"expect":4.2,"identities":3,"positives":3,"gaps":0,)"
    R"("align_length":4,"frame":0,"query":{"start":9,"end":12,"length":4,"minus":0,)"
    R"("seq":"GDDG"},"subject":{"start":1,"end":4,"length":4,"minus":0,"seq":"GDAG"}}]}]})"
    "\n";

// A classic web BLAST page: one hit opened by an anchor.
constexpr const char* kClassicReport = R"(<HTML><BODY>
<PRE>
<b>BLASTP 2.0.10 [Aug-26-1999]</b>
<b>Query=</b> test|2 tiny classic query
         (12 letters)
<b>Database:</b> tiny
</PRE>
<PRE>
                                                                   Score     E
Sequences producing significant alignments:                        (bits)  Value
<a href="http://www.ncbi.nlm.nih.gov/entrez/query.fcgi?db=Protein&list_uids=333">sp|P33333|THR_YEAST</a>  THIRD PROTEIN     <a href = #333>45</a>  2e-05
<PRE>
<a name = 333> </a><a href="http://www.ncbi.nlm.nih.gov/entrez/query.fcgi?db=Protein&list_uids=333">sp|P33333|THR_YEAST</a> THIRD PROTEIN
           Length = 40

 Score = 45.8 bits (107), Expect = 2e-05
 Identities = 10/12 (83%), Positives = 11/12 (91%)
Query: 1   MAATKQGGGDDG 12
           MA TKQGGGD G
Sbjct: 5   MAQTKQGGGDAG 16
</PRE>
</BODY></HTML>
)";

constexpr const char* kClassicJson =
    R"({"query":{"name":"test|2 tiny classic query","id":"","type":1,"length":12},"hits":[)"
    R"({"id":"333","name":"sp|P33333|THR_YEAST","description":"THIRD PROTEIN","length":40,)"
    R"("mol_type":1,"link":"ncbi:dnarna/333","elements":[{"bit_score":45.8,"score":107,)"
    R"("expect":2e-05,"identities":10,"positives":11,"gaps":0,"align_length":12,"frame":0,)"
    R"("query":{"start":1,"end":12,"length":12,"minus":0,"seq":"MAATKQGGGDDG"},)"
    R"("subject":{"start":5,"end":16,"length":12,"minus":0,"seq":"MAQTKQGGGDAG"}}]}]})"
    "\n";

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  text.replace(text.find(from), from.size(), to);
  return text;
}

TEST(ParseOutput, PinsJsonSummaryAndReaderOnEachLayout) {
  TempDir dir;
  const std::string qblast = dir.File("q.txt", kQBlastReport).string();
  const std::string classic = dir.File("c.html", kClassicReport).string();
  struct Case {
    std::vector<std::string> args;
    std::string out;
  } cases[] = {
      {{qblast, "--json"}, kQBlastJson},
      {{qblast, "--json", "--reader", "qblast"}, kQBlastJson},
      {{qblast, "--summary"}, "hits=2 elements=3 query_length=12\n"},
      {{qblast, "--summary", "--reader", "classic"}, "hits=0 elements=0 query_length=0\n"},
      {{classic, "--json"}, kClassicJson},
      {{classic, "--json", "--reader", "classic"}, kClassicJson},
      {{classic, "--summary"}, "hits=1 elements=1 query_length=12\n"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args{"parse"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    CommandRun run = Blastsearch(args);
    EXPECT_EQ(run.status, kExitOk) << run.err;
    EXPECT_EQ(run.out, c.out) << testing::PrintToString(c.args);
  }

  CommandRun readable = Blastsearch({"parse", qblast});
  for (const char* line :
       {"Query: test|1 tiny query  (12 letters)\n2 hits\n",
        "   2  222          gi|222|sp|P22222|TWO_MOUSE          30     30.0       0.5  SECOND",
        "  Segment 2: Score = 20.1 bits (41), Expect = 4.2\n"
        "    Identities = 3/4, Positives = 3/4, Gaps = 0/4\n    Query 9-12, Sbjct 1-4\n"}) {
    EXPECT_NE(readable.out.find(line), std::string::npos) << line << "\nin:\n" << readable.out;
  }
}

// A forced reader reads a page whose layout is not recognised; auto refuses it.
TEST(ParseOutput, ForcedReaderReadsAnUnrecognisedPage) {
  TempDir dir;
  std::string page = Replaced(kClassicReport, "<b>Query=</b>", "<b>Query</b>");
  page = Replaced(page, "Sequences producing significant alignments:", "");
  const std::string path = dir.File("unknown.html", page).string();
  EXPECT_EQ(Blastsearch({"parse", path}).status, kExitFailed);
  for (const char* reader : {"classic", "qblast"}) {
    CommandRun run = Blastsearch({"parse", path, "--summary", "--reader", reader});
    EXPECT_EQ(run.status, kExitOk) << reader << ": " << run.err;
    EXPECT_EQ(run.out.rfind("hits=", 0), 0u) << reader;
  }
}

// Numbers far out of the usual range and terminal escapes in a report reach
// the terminal as short numbers and visible escapes; JSON escapes by itself.
TEST(ParseOutput, TextOutputPrintsOddNumbersShortAndEscapesControlCharacters) {
  TempDir dir;
  std::string report = Replaced(kQBlastReport, "45.8 bits", "1e300 bits");
  report =
      Replaced(report, ">gi|111|sp|P11111|ONE_HUMAN FIRST", ">gi|111|sp|P11111|ONE_HUMAN \x1b[2J");
  const std::string path = dir.File("odd.txt", report).string();
  CommandRun text = Blastsearch({"parse", path});
  ASSERT_EQ(text.status, kExitOk) << text.err;
  EXPECT_NE(text.out.find("Score = 1e+300 bits (107)"), std::string::npos) << text.out;
  EXPECT_NE(text.out.find(" \\x1b[2J PROTEIN"), std::string::npos);
  EXPECT_EQ(text.out.find('\x1b'), std::string::npos);
  EXPECT_LT(text.out.size(), 2000u);
  CommandRun json = Blastsearch({"parse", path, "--json"});
  EXPECT_NE(json.out.find(R"("description":"\u001b[2J PROTEIN")"), std::string::npos);
  EXPECT_NE(json.out.find(R"("bit_score":1e+300,)"), std::string::npos);
  EXPECT_EQ(json.out.find('\x1b'), std::string::npos);
}

TEST(ParseSave, RefusesTheInputItselfAndUnusableNamesKeepingOlderFiles) {
  TempDir dir;
  const fs::path report = dir.File("q.txt", kQBlastReport);
  fs::create_hard_link(report, dir.Path("same.txt"));
  for (const fs::path& target : {report, dir.Path("same.txt")}) {
    CommandRun run =
        Blastsearch({"parse", report.string(), "--summary", "--save", target.string()});
    EXPECT_EQ(run.status, kExitUsage);
    EXPECT_NE(run.err.find("is the file being read"), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "");
  }
  EXPECT_EQ(ReadWholeFile(report), kQBlastReport);

  CommandRun missingFolder =
      Blastsearch({"parse", report.string(), "--save", dir.Path("no/r.bqt").string()});
  EXPECT_EQ(missingFolder.status, kExitUsage);
  EXPECT_NE(missingFolder.err.find("no/r.bqt: cannot create"), std::string::npos);

  // A save that fails at its end leaves the older file and nothing else.
  fs::create_directories(dir.Path("r.bqt/inside"));
  CommandRun folder = Blastsearch({"parse", report.string(), "--save", dir.Path("r.bqt").string()});
  EXPECT_EQ(folder.status, kExitFailed);
  EXPECT_NE(folder.err.find("the result is not saved"), std::string::npos) << folder.err;
  EXPECT_EQ(dir.Names(), (std::vector<std::string>{"q.txt", "r.bqt", "same.txt"}));
}

// Input that is no report stops being read after a first look; streams are
// read up to the limit and no further.
TEST(ParseInput, EndlessInputStopsEarlyOrAtTheLimit) {
  CommandRun zeros = Blastsearch({"parse", "/dev/zero"});
  EXPECT_EQ(zeros.status, kExitFailed);
  EXPECT_NE(zeros.err.find("/dev/zero: no BLAST report that blastsearch recognises in its first"),
            std::string::npos)
      << zeros.err;
  CommandRun forced =
      Blastsearch({"parse", "/dev/zero", "--reader", "qblast", "--max-input", "3m"});
  EXPECT_EQ(forced.status, kExitFailed);
  EXPECT_NE(forced.err.find("/dev/zero: more than 3 MiB of input; --max-input raises the limit"),
            std::string::npos)
      << forced.err;
}

}  // namespace

}  // namespace blastsearch
