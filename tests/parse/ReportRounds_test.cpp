// PSI-BLAST reports: their rounds, and the round the QBlast parser reads.

#include "parse/ReportRounds.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ParseHelpers.h"
#include "model/BlastSearchEntry.h"
#include "model/ResultInfo.h"
#include "parse/NCBIAnalyserQ.h"
#include "support/Corpus.h"

namespace blastsearch {

namespace {

// Three rounds of one query, then a second query with two rounds.
const std::string kTwoQueries =
    "Query= first\n"             // 0
    "Results from round 1\nA\n"  // 13
    "Results from round 2\nB\n"  // 36
    "Results from round 3\nC\n"  // 59
    "  Database: x\n"            // 82
    "Query= second\n"            // 96
    "Results from round 1\nD\n"  // 110
    "Results from round 2\nE\n"  // 133
    "  Database: y\n";           // 156

TEST(ReportRounds, FoundWithTheirTextAndWhetherLastOfTheirQuery) {
  const std::vector<CReportRound> rounds = FindReportRounds(kTwoQueries);
  const struct {
    int number;
    std::size_t begin;
    std::size_t end;
    bool last;
  } want[] = {{1, 13, 36, false},
              {2, 36, 59, false},
              {3, 59, 82, true},
              {1, 110, 133, false},
              {2, 133, 156, true}};
  ASSERT_EQ(rounds.size(), std::size(want));
  for (std::size_t i = 0; i < rounds.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(rounds[i].nNumber, want[i].number);
    EXPECT_EQ(rounds[i].nBegin, want[i].begin);
    EXPECT_EQ(rounds[i].nEnd, want[i].end);
    EXPECT_EQ(rounds[i].bLastOfQuery, want[i].last);
  }
  EXPECT_EQ(CountReportRounds(kTwoQueries), 3);
  EXPECT_TRUE(FindReportRounds("Query= q\nResults from round x\nround 2\n").empty());
  EXPECT_EQ(CountReportRounds(""), 0);
}

TEST(ReportRounds, KeepsTheChosenRoundOfEachQuery) {
  const struct {
    int round;
    int chosen;
    const char* kept;
  } cases[] = {
      {kLastRound, 2,
       "Query= first\nResults from round 3\nC\n  Database: x\nQuery= second\n"
       "Results from round 2\nE\n  Database: y\n"},
      {1, 1,
       "Query= first\nResults from round 1\nA\n  Database: x\nQuery= second\n"
       "Results from round 1\nD\n  Database: y\n"},
      {3, 3,
       "Query= first\nResults from round 3\nC\n  Database: x\nQuery= second\n  Database: y\n"},
      {4, 0, "Query= first\n  Database: x\nQuery= second\n  Database: y\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.round);
    int chosen = -1;
    EXPECT_EQ(KeepReportRound(kTwoQueries, c.round, chosen), c.kept);
    EXPECT_EQ(chosen, c.chosen);
  }
}

// A round without alignments keeps the statistics after it, which tell a
// complete table of descriptions from one cut off.
TEST(ReportRounds, EarlierRoundWithoutAlignmentsKeepsItsHits) {
  SKIP_WITHOUT_CORPUS();
  const std::string text = ReadWholeFile(CorpusDir() / "text/text_2208L_psiblast_001.txt");
  CBlastSearchEntry entry;
  CTestAnalyserQ analyser(&entry);
  analyser.SetRound(1);
  ASSERT_EQ(analyser.Parse(text), 1);
  EXPECT_EQ(entry.m_Hits.m_HitList.size(), 4u);
  ASSERT_FALSE(entry.m_Hits.m_HitList.empty());
  // Round 1 scored the first hit 1032 bits (round 2: 1016).
  EXPECT_DOUBLE_EQ(entry.m_Hits.m_HitList.front()->m_ElementList.front()->m_dBitScore, 1032);
  EXPECT_EQ(GetResultInfo(entry, result_info::kRound), "1");
}

// Round counts and hit counts read from the reports: the definition lines
// of each round (a round's alignments follow its summary; the last round's
// come after "CONVERGED!" where the search converged).
TEST(ReportRounds, CorpusRoundsReadOneAtATime) {
  SKIP_WITHOUT_CORPUS();
  const struct {
    const char* file;
    std::vector<size_t> hitsPerRound;
  } cases[] = {
      {"text/text_2010L_phiblast_002.txt", {14, 24, 23}},
      {"text/text_2011L_phiblast_001.txt", {4, 4}},
      {"text/text_2014L_psiblast_001.txt", {6, 7}},
      {"text/text_2012L_psiblast_001.txt", {27, 26, 24, 24, 24}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    const std::string text = ReadWholeFile(CorpusDir() / c.file);
    const int rounds = CountReportRounds(text);
    ASSERT_EQ(rounds, static_cast<int>(c.hitsPerRound.size()));
    for (int round = 1; round <= rounds + 1; ++round) {
      SCOPED_TRACE(round);
      CBlastSearchEntry entry;
      CTestAnalyserQ analyser(&entry);
      analyser.SetRound(round);
      const bool exists = round <= rounds;
      EXPECT_EQ(analyser.Parse(text), exists ? 1 : 0);
      EXPECT_EQ(entry.m_Hits.m_HitList.size(), exists ? c.hitsPerRound[round - 1] : 0u);
      EXPECT_EQ(GetResultInfo(entry, result_info::kRound), exists ? std::to_string(round) : "");
    }
    // The default is the last round.
    CBlastSearchEntry last;
    CTestAnalyserQ analyser(&last);
    ASSERT_EQ(analyser.Parse(text), 1);
    EXPECT_EQ(last.m_Hits.m_HitList.size(), c.hitsPerRound.back());
    EXPECT_EQ(GetResultInfo(last, result_info::kRound), std::to_string(rounds));
  }
}

// A report without rounds is read whole and gets no round.
TEST(ReportRounds, ReportWithoutRoundsIsReadWhole) {
  SKIP_WITHOUT_CORPUS();
  const std::string text = ReadWholeFile(CorpusDir() / "text/text_2010L_blastx_001.txt");
  for (int round : {kLastRound, 1, 2}) {
    CBlastSearchEntry entry;
    CTestAnalyserQ analyser(&entry);
    analyser.SetRound(round);
    ASSERT_EQ(analyser.Parse(text), 1);
    EXPECT_EQ(entry.m_Hits.m_HitList.size(), 4u);
    EXPECT_EQ(entry.m_Hits.m_strInfo, "");
  }
}

}  // namespace

}  // namespace blastsearch
