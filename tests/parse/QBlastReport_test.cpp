// The QBlast report parser on small reports written for each rule.

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "ParseHelpers.h"
#include "parse/MarkerCache.h"

namespace blastsearch {

namespace {

const std::string kHead =
    "BLASTN 2.0.10\n\n"
    "Query= test query\n"
    "         (1,234 letters)\n\n"
    "Database: nr\n\n"
    "                                                   Score     E\n"
    "Sequences producing significant alignments:       (bits)  Value\n\n"
    "gi|111|ref|X1| first hit                              40  1e-05\n\n";
const std::string kQueryDump = "query name= id= type=1 length=1234 link=0:\n";

// A hit block: definition line, length line, then `body`.
std::string Hit(const std::string& definition, int length, const std::string& body) {
  return ">" + definition + "\n          Length = " + std::to_string(length) + "\n\n" + body;
}

const std::string kBasicPair =
    " Score = 40.1 bits (92), Expect = 1e-05\n"
    " Identities = 20/25 (80%), Positives = 22/25 (88%), Gaps = 1/25 (4%)\n"
    " Strand = Plus / Minus\n\n"
    "Query: 10  acgtacgtac 19\n"
    "           |||||||||| \n"
    "Sbjct: 200 acgtacgtac 191\n\n";
const std::string kBasicRows =
    "  element bits=40.1 score=92 expect=1e-05 ident=20 pos=22 gaps=1 align=25 frame=0\n"
    "    query 10-19 length=10 minus=0 extra=0 ACGTACGTAC\n"
    "    sbjct 200-191 length=10 minus=1 extra=0 ACGTACGTAC\n";
const std::string kBasicDump =
    "hit id=111 name=gi|111|ref|X1| length=300 type=1 desc=first hit description\n"
    "  element bits=40.1 score=92 expect=1e-05 ident=20 pos=22 gaps=1 align=25 frame=0\n"
    "    query 10-19 length=10 minus=0 extra=0 ACGTACGTAC\n"
    "    sbjct 200-191 length=10 minus=1 extra=0 ACGTACGTAC\n";

std::string WithCrLf(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

struct ReportCase {
  const char* name;
  std::string text;
  int result;
  std::string dump;  // after the query line kQueryDump
};

std::vector<ReportCase> ReportCases() {
  const std::string basic = kHead + Hit("gi|111|ref|X1| first hit description", 300, kBasicPair);
  return {
      {"basic", basic, 1, kBasicDump},
      {"carriage returns", WithCrLf(basic), 1, kBasicDump},
      {"no gi part gives an empty identifier",
       kHead + Hit("ref|NP_5.1| plain name", 300, kBasicPair), 1,
       "hit id= name=ref|NP_5.1| length=300 type=1 desc=plain name\n"
       "  element bits=40.1 score=92 expect=1e-05 ident=20 pos=22 gaps=1 align=25 frame=0\n"
       "    query 10-19 length=10 minus=0 extra=0 ACGTACGTAC\n"
       "    sbjct 200-191 length=10 minus=1 extra=0 ACGTACGTAC\n"},
      {"two pairs; the next hit's score ends the first hit",
       kHead +
           Hit("gi|1|a first", 100,
               " Score = 50.0 bits (120), Expect = 2e-10\n Identities = 10/10 (100%)\n\n"
               "Query: 1  MKVL 4\n           MKVL\nSbjct: 5  MKVL 8\n\n"
               " Score = 30.5 bits (70), Expect = 0.5\n Identities = 3/4 (75%)\n\n"
               "Query: 11 MKAL 14\n           MK L\nSbjct: 21 MKVL 24\n\n") +
           Hit("gi|2|b second", 50,
               " Score = 20.0 bits (45), Expect = 9\n Identities = 2/3 (66%)\n\n"
               "Query: 1 MKV 3\n          MK\nSbjct: 1 MKI 3\n"),
       1,
       "hit id=1 name=gi|1|a length=100 type=1 desc=first\n"
       "  element bits=50 score=120 expect=2e-10 ident=10 pos=0 gaps=0 align=10 frame=0\n"
       "    query 1-4 length=4 minus=0 extra=0 MKVL\n"
       "    sbjct 5-8 length=4 minus=0 extra=0 MKVL\n"
       "  element bits=30.5 score=70 expect=0.5 ident=3 pos=0 gaps=0 align=4 frame=0\n"
       "    query 11-14 length=4 minus=0 extra=0 MKAL\n"
       "    sbjct 21-24 length=4 minus=0 extra=0 MKVL\n"
       "hit id=2 name=gi|2|b length=50 type=1 desc=second\n"
       "  element bits=20 score=45 expect=9 ident=2 pos=0 gaps=0 align=3 frame=0\n"
       "    query 1-3 length=3 minus=0 extra=0 MKV\n"
       "    sbjct 1-3 length=3 minus=0 extra=0 MKI\n"},
      {"three row pairs joined; starts from the first, ends from the last; short length raised",
       kHead + Hit("gi|3|c rows", 5,
                   " Score = 10 bits (20), Expect = 1\n Identities = 13/14 (92%)\n\n"
                   "Query: 1   acgtac 6\n            ||||||\nSbjct: 101 acgtac 106\n\n"
                   "Query: 7   ggg-cc 11\n            ||| ||\nSbjct: 107 gggacc 112\n\n"
                   "Query: 12  tt 13\n            ||\nSbjct: 113 tt 114\n"),
       1,
       "hit id=3 name=gi|3|c length=14 type=1 desc=rows\n"
       "  element bits=10 score=20 expect=1 ident=13 pos=0 gaps=0 align=14 frame=0\n"
       "    query 1-13 length=14 minus=0 extra=0 ACGTACGGG-CCTT\n"
       "    sbjct 101-114 length=14 minus=0 extra=0 ACGTACGGGACCTT\n"},
      {"frames: signed, first of a pair, the subject's kept apart; expect after a count, n kept",
       kHead + Hit("gi|4|d frames", 90,
                   " Score = 12.5 bits (30), Expect(2) = 0.003\n Identities = 3/3 (100%)\n"
                   " Frame = -2\n\nQuery: 9 MKV 1\n          MKV\nSbjct: 1 MKV 3\n\n"
                   " Score = 11 bits (25), Expect = 1e-120,\n Identities = 3/3 (100%)\n"
                   " Frame = +1 / -3\n\nQuery: 1 MKV 9\n          MKV\nSbjct: 9 MKV 1\n"),
       1,
       "hit id=4 name=gi|4|d length=90 type=1 desc=frames\n"
       "  element bits=12.5 score=30 expect=0.003 ident=3 pos=0 gaps=0 align=3 frame=-2\n"
       "    query 9-1 length=3 minus=0 extra=2 MKV\n"
       "    sbjct 1-3 length=3 minus=0 extra=0 MKV\n"
       "  element bits=11 score=25 expect=1e-120 ident=3 pos=0 gaps=0 align=3 frame=1\n"
       "    query 1-9 length=3 minus=0 extra=0 MKV\n"
       "    sbjct 9-1 length=3 minus=0 extra=-3 MKV\n"},
      {"a missing expect is taken from the next block, and the cursor jumps there",
       kHead + Hit("gi|5|e first", 10, " Score = 9.0 bits (8)\n\n") +
           Hit("gi|6|f second", 20,
               " Score = 7.0 bits (6), Expect = 4.5\n Identities = 2/2 (100%)\n\n"
               "Query: 1 MK 2\n          MK\nSbjct: 3 MK 4\n"),
       1,
       "hit id=5 name=gi|5|e length=10 type=1 desc=first\n"
       "  element bits=9 score=8 expect=4.5 ident=2 pos=0 gaps=0 align=2 frame=0\n"
       "    query 1-2 length=2 minus=0 extra=0 MK\n"
       "    sbjct 3-4 length=2 minus=0 extra=0 MK\n"},
      {"identities beyond 100 characters are not read",
       kHead +
           Hit("gi|8|g far", 10,
               " Score = 9.0 bits (8), Expect = 1\n" + std::string(120, ' ') +
                   "\n Identities = 2/2 (100%)\n\nQuery: 1 MK 2\n          MK\nSbjct: 3 MK 4\n"),
       1,
       "hit id=8 name=gi|8|g length=10 type=1 desc=far\n"
       "  element bits=9 score=8 expect=1 ident=0 pos=0 gaps=0 align=0 frame=0\n"
       "    query 1-2 length=2 minus=0 extra=0 MK\n"
       "    sbjct 3-4 length=2 minus=0 extra=0 MK\n"},
      {"a query row showing only numbers gets blanks",
       kHead + Hit("gi|9|h blank", 8,
                   " Score = 1 bits (1), Expect = 1\n\n"
                   "Query: 1          8\n\nSbjct: 1 ACGTACGT 8\n"),
       1,
       "hit id=9 name=gi|9|h length=8 type=1 desc=blank\n"
       "  element bits=1 score=1 expect=1 ident=0 pos=0 gaps=0 align=0 frame=0\n"
       "    query 1-8 length=8 minus=0 extra=0 " +
           std::string(8, ' ') +
           "\n"
           "    sbjct 1-8 length=8 minus=0 extra=0 ACGTACGT\n"},
      {"a text that ends after a hit's length line drops that hit",
       kHead + Hit("gi|111|ref|X1| first hit description", 300, kBasicPair) +
           ">gi|10|i cut\n          Length = 77\n",
       1, kBasicDump},
  };
}

TEST(QBlastReport, ParsesEachRuleAsWritten) {
  for (const ReportCase& c : ReportCases()) {
    SCOPED_TRACE(c.name);
    const ParseOutcome outcome = ParseQBlast(c.text);
    EXPECT_EQ(outcome.nResult, c.result);
    EXPECT_EQ(outcome.strDump, kQueryDump + c.dump);
  }
}

// However many blank lines follow an alignment's rows (none to more than
// the look after them takes in), the next rows, alignment and hit are read
// the same.
TEST(QBlastReport, BlankLinesAfterRowsChangeNothing) {
  for (int blanks : {0, 1, 2, 3, 7, 8, 12}) {
    SCOPED_TRACE(blanks);
    const std::string after(static_cast<std::size_t>(blanks) + 1, '\n');
    const std::string text =
        kHead +
        Hit("gi|111|ref|X1| first hit description", 300,
            " Score = 40.1 bits (92), Expect = 1e-05\n"
            " Identities = 20/25 (80%), Positives = 22/25 (88%), Gaps = 1/25 (4%)\n"
            " Strand = Plus / Minus\n\n"
            "Query: 10  acgtacgtac 19\n           |||||||||| \nSbjct: 200 acgtacgtac 191" +
                after + "Query: 20  ACGTA 24\n           ||||| \nSbjct: 190 ACGTA 186" + after +
                " Score = 31.5 bits (50), Expect = 2e-05\n"
                " Identities = 5/5 (100%), Gaps = 0/5 (0%)\n Strand = Plus / Plus\n\n"
                "Query: 1   GGGGG 5\n           ||||| \nSbjct: 7   GGGGG 11" +
                after) +
        Hit("gi|222|ref|X2| second", 50, kBasicPair);
    const ParseOutcome outcome = ParseQBlast(text);
    EXPECT_EQ(outcome.nResult, 1);
    EXPECT_EQ(outcome.strDump,
              kQueryDump +
                  "hit id=111 name=gi|111|ref|X1| length=300 type=1 desc=first hit description\n"
                  "  element bits=40.1 score=92 expect=1e-05 ident=20 pos=22 gaps=1 align=25 "
                  "frame=0\n"
                  "    query 10-24 length=15 minus=0 extra=0 ACGTACGTACACGTA\n"
                  "    sbjct 200-186 length=15 minus=1 extra=0 ACGTACGTACACGTA\n"
                  "  element bits=31.5 score=50 expect=2e-05 ident=5 pos=0 gaps=0 align=5 "
                  "frame=0\n"
                  "    query 1-5 length=5 minus=0 extra=0 GGGGG\n"
                  "    sbjct 7-11 length=5 minus=0 extra=0 GGGGG\n"
                  "hit id=222 name=gi|222|ref|X2| length=50 type=1 desc=second\n" +
                  kBasicRows);
  }
}

TEST(QBlastReport, WithoutSummaryHeaderOrHitsOnlyTheQueryIsSetUp) {
  const ParseOutcome outcome =
      ParseQBlast("Query= lonely\n         (57 letters)\n\n  Database: nr\n");
  EXPECT_EQ(outcome.nResult, 0);
  EXPECT_EQ(outcome.strDump, "query name= id= type=1 length=57 link=0:\n");
  EXPECT_EQ(ParseQBlast("").nResult, 0);
}

// Faults of the walk as first written, mended: each must end, keep what the
// text really holds and not take another hit's data.
TEST(QBlastReport, MendedFaults) {
  struct {
    const char* name;
    std::string text;
    std::string dump;
  } const cases[] = {
      {"a summary without definition lines gives its description lines as hits",
       kHead + "\n  Database: nr\n  Number of letters in database: 12\n",
       "hit id=111 name=gi|111|ref|X1| length=0 type=1 desc=first hit\n"
       "  element bits=40 score=0 expect=1e-05 ident=0 pos=0 gaps=0 align=0 frame=0\n"
       "    query 0-0 length=0 minus=0 extra=0 \n"
       "    sbjct 0-0 length=0 minus=0 extra=0 \n"},
      {"wrapped definition lines are joined with one blank, up to the length line",
       kHead +
           ">gi|7|sp|P1|NAME long description   \n            continued here\n"
           "            >gi|8|sp|P2|TWO and more\n          Length = 42\n\n" +
           kBasicPair,
       "hit id=7 name=gi|7|sp|P1|NAME length=42 type=1 "
       "desc=long description continued here >gi|8|sp|P2|TWO and more\n" +
           kBasicRows},
      {"a report without summary header is read from its first definition line",
       "Query= q\n         (1,234 letters)\n\n" +
           Hit("gi|111|ref|X1| first hit description", 300, kBasicPair),
       kBasicDump},
      {"a definition line right after the last row of a hit opens the next hit",
       kHead +
           Hit("gi|1|a one", 10,
               "Score = 1 bits (2), Expect = 3\n\nQuery: 1 MK 2\nSbjct: 1 MK 2\n") +
           Hit("gi|2|b two", 20,
               "Score = 4 bits (5), Expect = 6\n\nQuery: 1 AC 2\nSbjct: 1 AC 2\n"),
       "hit id=1 name=gi|1|a length=10 type=1 desc=one\n"
       "  element bits=1 score=2 expect=3 ident=0 pos=0 gaps=0 align=0 frame=0\n"
       "    query 1-2 length=2 minus=0 extra=0 MK\n"
       "    sbjct 1-2 length=2 minus=0 extra=0 MK\n"
       "hit id=2 name=gi|2|b length=20 type=1 desc=two\n"
       "  element bits=4 score=5 expect=6 ident=0 pos=0 gaps=0 align=0 frame=0\n"
       "    query 1-2 length=2 minus=0 extra=0 AC\n"
       "    sbjct 1-2 length=2 minus=0 extra=0 AC\n"},
      {"row start numbers glued to the residues end at their first non-digit",
       kHead + Hit("gi|3|c glued", 2000,
                   " Score = 1 bits (2), Expect = 3\n\n"
                   "Query: 1001MKVLA 1005\n            MKVL\nSbjct: 1101MKVLG 1105\n\n"
                   "Query: 1006AC 1007\n            AC\nSbjct: 1106AC 1107\n"),
       "hit id=3 name=gi|3|c length=2000 type=1 desc=glued\n"
       "  element bits=1 score=2 expect=3 ident=0 pos=0 gaps=0 align=0 frame=0\n"
       "    query 1001-1007 length=7 minus=0 extra=0 MKVLAAC\n"
       "    sbjct 1101-1107 length=7 minus=0 extra=0 MKVLGAC\n"},
      {"HTML definition lines: tags skipped, entities decoded, the anchor gives the identifier",
       kHead +
           "><a name = 4242></a><a href=\"x?a=1&amp;b=2\">ref|NP_1.1|</a> A &gt; B &amp; C&nbsp;D\n"
           " <a name = 4343></a><a href=\"y\">gb|AA1.1|</a> other entry\n"
           "          Length = 300\n\n" +
           kBasicPair,
       "hit id=4242 name=ref|NP_1.1| length=300 type=1 desc=A > B & C D\n" + kBasicRows},
      {"a text cut off right after a score value ends the parse",
       kHead + Hit("gi|12|k cut", 30, " Score = 40"),
       "hit id=12 name=gi|12|k length=30 type=1 desc=cut\n"
       "  element bits=0 score=0 expect=0 ident=0 pos=0 gaps=0 align=0 frame=0\n"
       "    query 0-0 length=0 minus=0 extra=0 \n"
       "    sbjct 0-0 length=0 minus=0 extra=0 \n"},
      {"a definition line without a blank keeps its own block",
       kHead + ">gi|13|nodesc\n          Length = 50\n\n" +
           " Score = 5 bits (4), Expect = 2\n\nQuery: 1 MK 2\n          MK\nSbjct: 1 MK 2\n\n" +
           Hit("gi|14|m next", 60,
               " Score = 6 bits (5), Expect = 3\n\nQuery: 1 AC 2\n          AC\nSbjct: 1 AC 2\n"),
       "hit id=13 name=gi|13|nodesc length=50 type=1 desc=\n"
       "  element bits=5 score=4 expect=2 ident=0 pos=0 gaps=0 align=0 frame=0\n"
       "    query 1-2 length=2 minus=0 extra=0 MK\n"
       "    sbjct 1-2 length=2 minus=0 extra=0 MK\n"
       "hit id=14 name=gi|14|m length=60 type=1 desc=next\n"
       "  element bits=6 score=5 expect=3 ident=0 pos=0 gaps=0 align=0 frame=0\n"
       "    query 1-2 length=2 minus=0 extra=0 AC\n"
       "    sbjct 1-2 length=2 minus=0 extra=0 AC\n"},
      {"a huge number in a query row adds no more blanks than its line is wide",
       kHead + Hit("gi|15|n huge", 9,
                   " Score = 1 bits (1), Expect = 1\n\n"
                   "Query: 1 999999999\nSbjct: 1 ACGTACGTA 9\n"),
       "hit id=15 name=gi|15|n length=9 type=1 desc=huge\n"
       "  element bits=1 score=1 expect=1 ident=0 pos=0 gaps=0 align=0 frame=0\n"
       "    query 1-999999999 length=9 minus=0 extra=0 " +
           std::string(9, ' ') +
           "\n"
           "    sbjct 1-9 length=9 minus=0 extra=0 ACGTACGTA\n"},
      {"an expect written as a bare power of ten keeps its value",
       kHead + Hit("gi|17|p tiny", 40,
                   " Score = 409 bits (1040), Expect = e-114\n\n"
                   "Query: 1 MK 2\n         MK\nSbjct: 1 MK 2\n"),
       "hit id=17 name=gi|17|p length=40 type=1 desc=tiny\n"
       "  element bits=409 score=1040 expect=1e-114 ident=0 pos=0 gaps=0 align=0 frame=0\n"
       "    query 1-2 length=2 minus=0 extra=0 MK\n"
       "    sbjct 1-2 length=2 minus=0 extra=0 MK\n"},
      {"a text that ends inside a query row appends nothing of it",
       kHead + Hit("gi|16|o end", 70,
                   " Score = 2 bits (3), Expect = 4\n\n"
                   "Query: 1 MKV 3\nSbjct: 1 MKV 3\n\nQuery: 4 ACGT"),
       "hit id=16 name=gi|16|o length=70 type=1 desc=end\n"
       "  element bits=2 score=3 expect=4 ident=0 pos=0 gaps=0 align=0 frame=0\n"
       "    query 1-3 length=3 minus=0 extra=0 MKV\n"
       "    sbjct 1-3 length=3 minus=0 extra=0 MKV\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const ParseOutcome outcome = ParseQBlast(c.text);
    EXPECT_EQ(outcome.nResult, 1);
    EXPECT_EQ(outcome.strDump, kQueryDump + c.dump);
  }
}

TEST(QBlastReport, QueryAndHitTypesAndAddingToAnEntry) {
  CBlastSearchEntry entry;
  CTestAnalyserQ analyser(&entry);
  analyser.InitObjTypes(2, 7);
  const std::string text = kHead + Hit("gi|111|ref|X1| first hit description", 300, kBasicPair);
  ASSERT_EQ(analyser.Parse(text), 1);
  EXPECT_EQ(entry.m_Mol.m_nType, 2);
  EXPECT_EQ(entry.m_Mol.m_nType2, 2);
  EXPECT_EQ(entry.m_Mol.m_nWord1, 1);
  EXPECT_EQ(entry.m_Mol.m_nWord2, 0);
  ASSERT_EQ(entry.m_Hits.m_HitList.size(), 1u);
  EXPECT_EQ(entry.m_Hits.m_HitList.front()->m_nMolType, 7);

  // The entry is added to, not emptied; a type other than 2 gives a second word 0.
  analyser.InitObjTypes(5, 1);
  ASSERT_EQ(analyser.Parse(text), 1);
  EXPECT_EQ(entry.m_Hits.m_HitList.size(), 2u);
  EXPECT_EQ(entry.m_Mol.m_nType, 5);
  EXPECT_EQ(entry.m_Mol.m_nType2, 0);
}

TEST(QBlastReport, NoEntryParsesNothing) {
  CTestAnalyserQ analyser;
  EXPECT_EQ(analyser.Parse(kHead), 0);
}

std::string ManyHits(int hits) {
  std::string text = kHead;
  for (int i = 0; i < hits; ++i) {
    text += Hit("gi|" + std::to_string(i) + "|x hit " + std::to_string(i), 40,
                " Score = 20 bits (40), Expect = 0.1\n Identities = 8/8 (100%)\n\n"
                "Query: 1 acgtacgt 8\n          ||||||||\nSbjct: 1 acgtacgt 8\n\n");
  }
  return text;
}

TEST(QBlastReport, ProgressAndStopFlag) {
  const std::string text = ManyHits(3);
  {
    // Progress shows the hits appended before the last one began.
    int progress = -1;
    const ParseOutcome outcome = ParseQBlast(text, &progress);
    EXPECT_EQ(CountHits(outcome.strDump), 3);
    EXPECT_EQ(progress, 2);
  }
  {
    // A stop flag set before the parse: no hits, result 1, progress 0.
    int progress = -1;
    int stop = 1;
    const ParseOutcome outcome = ParseQBlast(text, &progress, &stop);
    EXPECT_EQ(outcome.nResult, 1);
    EXPECT_EQ(outcome.strDump, kQueryDump);
    EXPECT_EQ(progress, 0);
  }
  {
    // A zero flag changes nothing.
    int stop = 0;
    EXPECT_EQ(ParseQBlast(text, nullptr, &stop).strDump, ParseQBlast(text).strDump);
  }
}

// Another thread watches the progress counter and stops the parse; the hits
// read before the stop are complete and equal those of a full parse.
TEST(QBlastReport, StopFromAnotherThreadKeepsWhatWasParsed) {
  constexpr int kHits = 20000;
  const std::string text = ManyHits(kHits);
  const std::string full = ParseQBlast(text).strDump;
  ASSERT_EQ(CountHits(full), kHits);

  int progress = 0;
  int stop = 0;
  ParseOutcome outcome;
  std::thread parser([&] { outcome = ParseQBlast(text, &progress, &stop); });
  int seen = 0;
  int last = 0;
  bool monotonic = true;
  while (seen < 100) {
    const int now = std::atomic_ref<int>(progress).load(std::memory_order_relaxed);
    monotonic = monotonic && now >= last;
    last = now;
    seen = now;
  }
  std::atomic_ref<int>(stop).store(1, std::memory_order_relaxed);
  parser.join();

  EXPECT_TRUE(monotonic);
  EXPECT_EQ(outcome.nResult, 1);
  const int hits = CountHits(outcome.strDump);
  EXPECT_GE(hits, 100);
  EXPECT_LT(hits, kHits);
  // The stop was seen at the top of the hit loop, after the count was stored.
  EXPECT_EQ(progress, hits);
  // Every hit but the last (which may be cut at its rows) equals the full parse's.
  const std::size_t lastHit = outcome.strDump.rfind("\nhit ");
  EXPECT_EQ(full.compare(0, lastHit, outcome.strDump, 0, lastHit), 0);
}

}  // namespace

namespace {

// Cut at every offset, a report still parses and ends, never gives more hits
// than the whole report, and gives the same tree with plain marker searches.
TEST(QBlastReport, TruncatedReportsEnd) {
  const std::string text = ManyHits(2) + Hit("gi|77|z last", 30,
                                             " Score = 5 bits (4), Expect = 2\n\n"
                                             "Query: 1          8\n"
                                             "Sbjct: 1 ACGTACGT 8\n");
  const int whole = CountHits(ParseQBlast(text).strDump);
  ASSERT_EQ(whole, 3);
  for (std::size_t cut = 0; cut <= text.size(); ++cut) {
    const std::string part = text.substr(0, cut);
    const ParseOutcome cached = ParseQBlast(part);
    ASSERT_LE(CountHits(cached.strDump), whole) << cut;
    CMarkerSearchScope plain(MarkerSearch::Plain);
    const ParseOutcome plainOutcome = ParseQBlast(part);
    ASSERT_EQ(cached.nResult, plainOutcome.nResult) << cut;
    ASSERT_EQ(cached.strDump, plainOutcome.strDump) << cut;
  }
}

}  // namespace

namespace {

// The query length comes from the query's own statement, whatever
// parentheses its wrapped name holds; the first parenthesis only without one.
TEST(QBlastReport, QueryLengthFromItsOwnStatement) {
  const std::string summary = "Sequences producing significant alignments:\n";
  struct {
    const char* text;
    int qblast;
  } const cases[] = {
      {"Query= gi|1|sp|P1| DEHYDROGENASE II\n(GLCDH-II)\n         (261 letters)\n", 261},
      {"Query= x (aka y) (EC 1.1.1)\n         (1,261 letters)\n\nDatabase: nr\n", 1261},
      {"Query=  gi|4| Centaurea 18S\nribosomal RNA (partial)\nLength=1002\n", 1002},
      {"Query= q (x)\n\nLength = 66\n", 66},
      {"Query= q (77)\n\nDatabase: nr (12 letters)\n", 77},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    CBlastSearchEntry entry;
    CTestAnalyserQ analyser(&entry);
    analyser.Parse(std::string(c.text) + summary);
    EXPECT_EQ(entry.m_Mol.m_nLength, c.qblast);
  }
  // Without a statement the first parenthesis may lie in a hit: its hits are
  // read all the same, by both readers.
  EXPECT_EQ(ParseQBlast("Query= q\n\n" + summary + "\n" +
                        Hit("gi|111|ref|X1| first hit description", 300, kBasicPair))
                .strDump,
            "query name= id= type=1 length=92 link=0:\n" + kBasicDump);
  EXPECT_EQ(CountHits(ParseClassic("<b>Query=</b> q\n\n<a name = 1></a><a href=x>n</a> d\n"
                                   " Length = 5\n\n Score = 1 bits (2), Expect = 3\n\n"
                                   "Query: 1 A 1\nSbjct: 1 A 1\n")
                          .strDump),
            1);
  // The classic page's query line.
  const ParseOutcome classic = ParseClassic(
      "<b>Query=</b> gi|7|sp|Q1| APOPROTEIN\nC-1027 PRECURSOR (C-1027-AG).\n"
      "         (143 letters)\n\n<b>Database:</b> nr\n");
  EXPECT_EQ(classic.strDump, "query name= id= type=1 length=143 link=0:\n");
}

}  // namespace

}  // namespace blastsearch
