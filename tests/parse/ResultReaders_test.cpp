// The reader factory, and the older layouts read whole through it.

#include "parse/ResultReaders.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "model/BlastSearchEntry.h"
#include "model/ResultInfo.h"
#include "parse/MachineReports.h"
#include "parse/ParseHelpers.h"
#include "parse/ReportName.h"
#include "parse/ReportRounds.h"
#include "support/Corpus.h"

namespace blastsearch {

namespace {

constexpr const char* kPlainReport =
    "BLASTP 2.0.10 [Aug-26-1999]\n\nQuery= q1 tiny\n         (12 letters)\n\n"
    "Sequences producing significant alignments:\n\n"
    ">gi|111|sp|P1|ONE FIRST\n           Length = 40\n\n"
    " Score = 45.8 bits (107), Expect = 2e-05\n Identities = 10/12 (83%)\n\n"
    "Query: 1  MAATKQGGGDDG 12\n          MA TKQGGGD G\nSbjct: 5  MAQTKQGGGDAG 16\n";

// Layouts without a reader give none; the older ones give one result, then
// nothing more.
TEST(ResultReaders, FactoryByLayout) {
  struct {
    ReportLayout layout;
    bool reader;
  } const cases[] = {{ReportLayout::Unknown, false},
                     {ReportLayout::QueryAnchored, true},
                     {ReportLayout::QBlast, true},
                     {ReportLayout::Classic, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(ReportLayoutName(c.layout));
    CViewReportSource source(kPlainReport, "page");
    const CResultReadOptions options;
    auto reader = MakeResultReader(c.layout, source, options);
    ASSERT_EQ(reader != nullptr, c.reader);
    if (!reader) continue;
    CBlastSearchEntry entry;
    EXPECT_EQ(reader->ReadNext(entry), 1);
    EXPECT_EQ(GetResultInfo(entry, result_info::kLayout), ReportLayoutName(c.layout));
    CBlastSearchEntry after;
    EXPECT_EQ(reader->ReadNext(after), 0);
  }
}

// A stop asked for between two results ends the reading there: the first
// result whole, then nothing more.
TEST(ResultReaders, AStopRequestEndsAtAResultBoundary) {
  const struct {
    const char* file;
    ReportLayout layout;
    int firstHits;  // -1: not checked
  } cases[] = {
      {"blastn.txt", ReportLayout::BlastPlusText, 5},
      {"blastn.html", ReportLayout::BlastPlusHtml, 5},
      {"blastp.xml", ReportLayout::BlastXml, -1},
      {"blastp.xml2", ReportLayout::BlastXml2, -1},
      {"blastp.json", ReportLayout::BlastJson, -1},
      {"blastp.tab7", ReportLayout::CommentedTabular, -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    const std::string bytes = BlastPlusFile(c.file);
    CViewReportSource source(bytes, c.file);
    volatile int stop = 0;
    CResultReadOptions options;
    options.pStop = &stop;
    const std::unique_ptr<CResultReader> reader = MakeResultReader(c.layout, source, options);
    ASSERT_NE(reader, nullptr);
    CBlastSearchEntry first, second;
    EXPECT_EQ(reader->ReadNext(first), 1);
    if (c.firstHits >= 0) {
      EXPECT_EQ(first.GetHitsCount(), c.firstHits);
    }
    stop = 1;
    EXPECT_EQ(reader->ReadNext(second), 0);
    EXPECT_EQ(second.m_Hits.m_HitList.size(), 0u);
  }
}

TEST(ResultReaders, WholeReportLimits) {
  struct {
    const char* name;
    std::uint64_t limit;
    std::size_t piece;
    bool fits;
  } const cases[] = {{"exactly the limit", std::string(kPlainReport).size(), 7, true},
                     {"one byte over", std::string(kPlainReport).size() - 1, 3, false},
                     {"far over, read whole at once", 10, 1 << 20, false},
                     {"no limit reached, one byte a read", 1 << 20, 1, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    CViewReportSource source(kPlainReport, "drip", c.piece);
    CResultReadOptions options;
    options.nMaxWholeReport = c.limit;
    auto reader = MakeResultReader(ReportLayout::QBlast, source, options);
    CBlastSearchEntry entry;
    if (c.fits) {
      ASSERT_EQ(reader->ReadNext(entry), 1);
      EXPECT_EQ(entry.m_Mol.m_strName, "q1 tiny");
      ASSERT_EQ(entry.m_Hits.m_HitList.size(), 1u);
      EXPECT_EQ(entry.m_Mol.m_nLength, 12);
    } else {
      EXPECT_THROW(reader->ReadNext(entry), CReportError);
    }
  }
}

// A stop asked for before the parse keeps the query and reads no hits; the
// result is still given.
TEST(ResultReaders, StopBeforeTheParseKeepsTheQuery) {
  CViewReportSource source(kPlainReport, "page");
  volatile int stop = 1;
  CResultReadOptions options;
  options.pStop = &stop;
  auto reader = MakeResultReader(ReportLayout::QBlast, source, options);
  CBlastSearchEntry entry;
  ASSERT_EQ(reader->ReadNext(entry), 1);
  EXPECT_TRUE(entry.m_Hits.m_HitList.empty());
  EXPECT_EQ(entry.m_Mol.m_strName, "q1 tiny");
}

// Through the factory every corpus report gives what its analyser gives
// when it reads the report straight from memory.
TEST(ResultReaders, CorpusReportsReadAsTheirAnalyserReadsThem) {
  SKIP_WITHOUT_CORPUS();
  int files = 0;
  for (const std::string folder : {"text", "html-classic", "html-qblast"}) {
    const ReportLayout layout = folder == "text" ? ReportLayout::QBlast : ReportLayout::Classic;
    for (const auto& path : CorpusFiles(folder)) {
      SCOPED_TRACE(path.string());
      const std::string text = ReadWholeFile(path);
      CViewReportSource source(text, "drip", 4093);
      auto reader = MakeResultReader(layout, source, CResultReadOptions());
      CBlastSearchEntry entry;
      ASSERT_EQ(reader->ReadNext(entry), 1);
      SetResultInfo(entry, result_info::kLayout, "");
      CBlastSearchEntry direct;
      CMemFile file(text);
      if (layout == ReportLayout::Classic) {
        CNCBIAnalyser(&direct).ReadRequest(&file);
      } else {
        CNCBIAnalyserQ(&direct).ReadRequest(&file);
      }
      if (direct.m_Mol.m_strName.empty()) direct.m_Mol.m_strName = QueryNameOfReport(text);
      EXPECT_EQ(DumpEntry(entry), DumpEntry(direct));
      ++files;
    }
  }
  EXPECT_GT(files, 70);
}

// With every round asked for, a text report gives one result per PSI-BLAST
// round, the last being the result read without the option, and a report
// without rounds its one result as without the option.
TEST(ResultReaders, EveryRoundOfCorpusTextReports) {
  SKIP_WITHOUT_CORPUS();
  int withRounds = 0;
  for (const auto& path : CorpusFiles("text")) {
    SCOPED_TRACE(path.string());
    const std::string text = ReadWholeFile(path);
    std::string last[2];
    int results[2] = {};
    for (const bool everyRound : {false, true}) {
      CViewReportSource source(text, "drip", 65521);
      CResultReadOptions options;
      options.bEveryRound = everyRound;
      auto reader = MakeResultReader(ReportLayout::QBlast, source, options);
      for (;;) {
        CBlastSearchEntry entry;
        if (reader->ReadNext(entry) == 0) break;
        last[everyRound] = DumpEntry(entry);
        ++results[everyRound];
      }
    }
    const int rounds = CountReportRounds(text);
    withRounds += rounds > 0;
    EXPECT_EQ(results[0], 1);
    EXPECT_EQ(results[1], std::max(rounds, 1));
    EXPECT_EQ(last[1], last[0]);
  }
  EXPECT_GT(withRounds, 0);
}

}  // namespace

}  // namespace blastsearch
