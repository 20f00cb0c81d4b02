// The classic HTML report reader on small pages written for each rule.

#include "parse/ReadSampleData.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "ParseHelpers.h"
#include "platform/UserInteraction.h"

namespace blastsearch {

namespace {

const std::string kHead =
    "<HTML><BODY><PRE>\n<b>BLASTN 2.0.10</b>\n\n<b>Query=</b> test\n"
    "         (250 letters)\n\n<b>Database:</b> nr\n</PRE>\n<PRE>\n";
const std::string kQueryDump = "query name= id= type=1 length=250 link=0:\n";

std::string Anchor(const std::string& name, const std::string& link, const std::string& rest) {
  return "<a name = " + name + "></a><a href=\"http://x/?uid=" + name + "\">" + link + "</a> " +
         rest + "\n";
}

const std::string kBasicPair =
    " Score = 40.1 bits (92), Expect = 1e-05\n"
    " Identities = 20/25 (80%), Positives = 22/25 (88%), Gaps = 1/25 (4%)\n"
    " Strand = Plus / Minus\n\n"
    "Query: 10  acgtacgtac 19\n"
    "           ||||||||||\n"
    "Sbjct: 200 acgtacgtac 191\n</PRE>\n\n<PRE>\n";
const std::string kBasicDump =
    "hit id=12345 name=gi|12345|sp|P1|NAME length=300 type=1 desc=the description\n"
    "  element bits=40.1 score=92 expect=1e-05 ident=20 pos=22 gaps=1 align=25 frame=0\n"
    "    query 10-19 length=10 minus=0 extra=0 ACGTACGTAC\n"
    "    sbjct 200-191 length=10 minus=1 extra=0 ACGTACGTAC\n";

const std::string kBasicPage = kHead + Anchor("12345", "gi|12345|sp|P1|NAME", "the description") +
                               "          Length = 300\n\n" + kBasicPair;

std::string Pair(const std::string& score, const std::string& rows) {
  return " Score = " + score + " bits (7), Expect = 2\n Identities = 3/3 (100%)\n\n" + rows + "\n";
}

TEST(ReadSampleData, ParsesEachRuleAsWritten) {
  struct {
    const char* name;
    std::string page;
    std::string dump;
  } const cases[] = {
      {"basic", kBasicPage, kBasicDump},
      {"tags in capitals",
       kHead + "<A NAME = 5></A><A HREF=\"x\">gi|5|n</A> upper\n  Length = 9\n\n" +
           Pair("3", "Query: 1 MKV 3\n         MKV\nSbjct: 4 MKV 6\n"),
       "hit id=5 name=gi|5|n length=9 type=1 desc=upper\n"
       "  element bits=3 score=7 expect=2 ident=3 pos=0 gaps=0 align=3 frame=0\n"
       "    query 1-3 length=3 minus=0 extra=0 MKV\n"
       "    sbjct 4-6 length=3 minus=0 extra=0 MKV\n"},
      {"expect after a count; rows only as written",
       kHead + Anchor("6", "gi|6|o", "counted") + "  Length = 9\n\n" +
           " Score = 3 bits (7), Expect(2) = 0.003\n Identities = 3/3 (100%)\n\n"
           "query: 1 AAA 3\nQuery: 1 MKV 3\n         MKV\nSbjct: 4 MKV 6\n",
       "hit id=6 name=gi|6|o length=9 type=1 desc=counted\n"
       "  element bits=3 score=7 expect=0.003 ident=3 pos=0 gaps=0 align=3 frame=0\n"
       "    query 1-3 length=3 minus=0 extra=0 MKV\n"
       "    sbjct 4-6 length=3 minus=0 extra=0 MKV\n"},
      {"identities 100 characters ahead are not read",
       kHead + Anchor("7", "gi|7|p", "far") + "  Length = 9\n\n" +
           " Score = 3 bits (7), Expect = 2\n" + std::string(97, ' ') +
           "\n Identities = 3/3 (100%)\n\nQuery: 1 MKV 3\n         MKV\nSbjct: 4 MKV 6\n",
       "hit id=7 name=gi|7|p length=9 type=1 desc=far\n"
       "  element bits=3 score=7 expect=2 ident=0 pos=0 gaps=0 align=0 frame=0\n"
       "    query 1-3 length=3 minus=0 extra=0 MKV\n"
       "    sbjct 4-6 length=3 minus=0 extra=0 MKV\n"},
      {"two hits, the first with three pairs and two rows in one",
       kHead + Anchor("1", "gi|1|a", "first") + "  Length = 2\n\n" +
           Pair("10",
                "Query: 1 MKV 3\n         MKV\nSbjct: 1 MKV 3\n\n"
                "Query: 4 LL- 5\n         LL\nSbjct: 4 LLA 6\n") +
           Pair("11", "Query: 7 AC 8\n         AC\nSbjct: 7 AC 8\n") +
           Pair("12", "Query: 9 GG 10\n         GG\nSbjct: 9 GG 10\n") +
           Anchor("2", "gi|2|b", "second") + "  Length = 40\n\n" +
           Pair("13", "Query: 1 W 1\n         W\nSbjct: 1 W 1\n"),
       "hit id=1 name=gi|1|a length=6 type=1 desc=first\n"
       "  element bits=10 score=7 expect=2 ident=3 pos=0 gaps=0 align=3 frame=0\n"
       "    query 1-5 length=6 minus=0 extra=0 MKVLL-\n"
       "    sbjct 1-6 length=6 minus=0 extra=0 MKVLLA\n"
       "  element bits=11 score=7 expect=2 ident=3 pos=0 gaps=0 align=3 frame=0\n"
       "    query 7-8 length=2 minus=0 extra=0 AC\n"
       "    sbjct 7-8 length=2 minus=0 extra=0 AC\n"
       "  element bits=12 score=7 expect=2 ident=3 pos=0 gaps=0 align=3 frame=0\n"
       "    query 9-10 length=2 minus=0 extra=0 GG\n"
       "    sbjct 9-10 length=2 minus=0 extra=0 GG\n"
       "hit id=2 name=gi|2|b length=40 type=1 desc=second\n"
       "  element bits=13 score=7 expect=2 ident=3 pos=0 gaps=0 align=3 frame=0\n"
       "    query 1-1 length=1 minus=0 extra=0 W\n"
       "    sbjct 1-1 length=1 minus=0 extra=0 W\n"},
      {"an expect written as a bare power of ten keeps its value",
       kHead + Anchor("10", "gi|10|s", "tiny") + "  Length = 9\n\n" +
           " Score = 409 bits (1040), Expect = e-114\n\nQuery: 1 MK 2\n         MK\n"
           "Sbjct: 1 MK 2\n",
       "hit id=10 name=gi|10|s length=9 type=1 desc=tiny\n"
       "  element bits=409 score=1040 expect=1e-114 ident=0 pos=0 gaps=0 align=0 frame=0\n"
       "    query 1-2 length=2 minus=0 extra=0 MK\n"
       "    sbjct 1-2 length=2 minus=0 extra=0 MK\n"},
      {"a stop sign ends the row and its end number reads 0",
       kHead + Anchor("8", "gi|8|q", "stop") + "  Length = 9\n\n" +
           Pair("3", "Query: 1 MK*V 4\n         MK V\nSbjct: 4 MKLV 7\n"),
       "hit id=8 name=gi|8|q length=9 type=1 desc=stop\n"
       "  element bits=3 score=7 expect=2 ident=3 pos=0 gaps=0 align=3 frame=0\n"
       "    query 1-0 length=2 minus=0 extra=0 MK\n"
       "    sbjct 4-7 length=2 minus=0 extra=0 MKLV\n"},
      {"a text that ends after the length line drops the hit",
       kBasicPage + Anchor("9", "gi|9|r", "cut") + "  Length = 9", kBasicDump},
      {"mended: a wrapped description is joined; glued start numbers end at their first non-digit",
       kHead + Anchor("11", "gi|11|t", " wrapped") + "           description\n  Length = 2000\n\n" +
           Pair("3", "Query: 1001MKV 1003\n         MKV\nSbjct: 1101MKV 1103\n"),
       "hit id=11 name=gi|11|t length=2000 type=1 desc=wrapped description\n"
       "  element bits=3 score=7 expect=2 ident=3 pos=0 gaps=0 align=3 frame=0\n"
       "    query 1001-1003 length=3 minus=0 extra=0 MKV\n"
       "    sbjct 1101-1103 length=3 minus=0 extra=0 MKV\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const ParseOutcome outcome = ParseClassic(c.page);
    EXPECT_EQ(outcome.nResult, 1);
    EXPECT_EQ(outcome.strDump, kQueryDump + c.dump);
  }
}

TEST(ReadSampleData, WithoutQueryMarkerNothingIsRead) {
  int progress = -1;
  const ParseOutcome outcome = ParseClassic(
      "<a name = 1></a><a href=x>n</a> d\n Length = 3\n Score = 1 bits (1)\n", &progress);
  EXPECT_EQ(outcome.nResult, 1);
  EXPECT_EQ(outcome.strDump, "query name= id= type=1 length=0 link=0:\n");
  EXPECT_EQ(progress, 0);
}

TEST(ReadSampleData, ProgressAndStopFlag) {
  std::string page = kHead;
  for (int i = 0; i < 3; ++i) {
    page += Anchor(std::to_string(i), "n", "d") + " Length = 9\n\n" +
            Pair("3", "Query: 1 MKV 3\n         MKV\nSbjct: 4 MKV 6\n");
  }
  int progress = -1;
  EXPECT_EQ(CountHits(ParseClassic(page, &progress).strDump), 3);
  EXPECT_EQ(progress, 2);

  int stop = 1;
  const ParseOutcome stopped = ParseClassic(page, &progress, &stop);
  EXPECT_EQ(stopped.nResult, 1);
  EXPECT_EQ(stopped.strDump, kQueryDump);
  EXPECT_EQ(progress, 0);
}

// Cut at every offset, a page still parses, ends, and never gives more hits
// than the whole page.
TEST(ReadSampleData, TruncatedPagesEnd) {
  const std::string page = kBasicPage + Anchor("2", "gi|2|b", "second") + " Length = 40\n\n" +
                           Pair("13", "Query: 1 W 1\n         W\nSbjct: 1 W 1\n");
  const int whole = CountHits(ParseClassic(page).strDump);
  ASSERT_EQ(whole, 2);
  for (std::size_t cut = 0; cut <= page.size(); ++cut) {
    const ParseOutcome outcome = ParseClassic(page.substr(0, cut));
    ASSERT_EQ(outcome.nResult, 1) << cut;
    ASSERT_LE(CountHits(outcome.strDump), whole) << cut;
  }
}

class ReadSampleDataRead : public ::testing::Test {
 protected:
  void SetUp() override {
    m_path = std::filesystem::temp_directory_path() /
             ("readsampledata_" + std::to_string(::getpid()) + ".htm");
    std::ofstream(m_path, std::ios::binary) << kBasicPage;
  }
  void TearDown() override { std::filesystem::remove(m_path); }

  std::filesystem::path m_path;
  CScriptedUserInteraction m_ui;
};

TEST_F(ReadSampleDataRead, AsksForAnHtmFileAndParsesIt) {
  m_ui.QueueFile(m_path.string());
  CBlastSearchEntry entry;
  CReadSampleData reader(&entry);
  EXPECT_EQ(reader.Read(), 1);
  EXPECT_EQ(DumpEntry(entry), kQueryDump + kBasicDump);
  ASSERT_EQ(m_ui.FileRequests().size(), 1u);
  const FileDialogRequest& request = m_ui.FileRequests()[0];
  EXPECT_TRUE(request.bOpen);
  EXPECT_EQ(request.strDefExt, "htm");
  EXPECT_EQ(request.strFileName, "*.htm");
  EXPECT_EQ(request.strFilter, "");
  EXPECT_EQ(request.nFlags, static_cast<unsigned>(OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT));
  EXPECT_TRUE(m_ui.Messages().empty());
}

TEST_F(ReadSampleDataRead, CancelReadsNothing) {
  CBlastSearchEntry entry;
  CReadSampleData reader(&entry);
  EXPECT_EQ(reader.Read(), 0);  // no file queued: the dialog is cancelled
  EXPECT_TRUE(m_ui.Messages().empty());
  EXPECT_TRUE(entry.m_Hits.m_HitList.empty());
}

TEST_F(ReadSampleDataRead, FileThatCannotBeOpenedIsReportedLikeAShortRead) {
  for (const std::string& path :
       {(m_path.string() + ".missing"), std::filesystem::temp_directory_path().string()}) {
    SCOPED_TRACE(path);
    CScriptedUserInteraction ui;
    ui.QueueFile(path);
    CBlastSearchEntry entry;
    CReadSampleData reader(&entry);
    EXPECT_EQ(reader.Read(), 0);
    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_EQ(ui.Messages()[0].strText, "Can't read Data File");
    EXPECT_EQ(entry.m_Mol.m_nType, 0);
  }
}

TEST(ReadSampleDataAnalyse, ReaderWithoutFileReportsAShortRead) {
  CScriptedUserInteraction ui;
  CBlastSearchEntry entry;
  CReadSampleData reader(&entry);
  EXPECT_EQ(reader.Analyse(nullptr, nullptr), 0);
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].strText, "HTTP-Data File don't readed");
}

}  // namespace

}  // namespace blastsearch
