// The pure geometry and texts of the result viewer: bars along the query,
// the ruler, the score bands, score figures and alignment blocks.
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "model/BlastSearchHit.h"
#include "model/NumberFormat.h"
#include "model/ResultInfo.h"
#include "viewer/AlignmentText.h"
#include "viewer/HitOverviewLayout.h"

namespace blastsearch {

namespace {

struct BarCase {
  const char* what;
  int queryLength;
  CQueryRange range;
  int width;
  int left;
  int barWidth;
};

TEST(OverviewLayout, BarsLieWhereTheirQueryRangesAre) {
  const BarCase cases[] = {
      {"inside", 100, {11, 60}, 200, 20, 100},
      {"minus strand order", 100, {60, 11}, 200, 20, 100},
      {"whole query", 100, {1, 100}, 200, 0, 200},
      {"one residue keeps 2 pixels", 1000, {50, 50}, 100, 4, 2},
      {"last residue stays inside", 1000, {1000, 1000}, 100, 98, 2},
      {"past the query widens the scale", 100, {90, 120}, 240, 178, 62},
      {"zero query length uses the ranges", 0, {51, 100}, 100, 50, 50},
      {"position 0 counts as 1", 100, {0, 10}, 100, 0, 10},
      {"no range known", 100, {0, 0}, 100, 0, 0},
  };
  for (const BarCase& c : cases) {
    const std::vector<CBarSpan> spans = PlaceSegmentBars(c.queryLength, {c.range}, c.width);
    ASSERT_EQ(spans.size(), 1u) << c.what;
    EXPECT_EQ(spans[0].m_nLeft, c.left) << c.what;
    EXPECT_EQ(spans[0].m_nWidth, c.barWidth) << c.what;
  }
}

TEST(OverviewLayout, NothingToScaleGivesEmptyBarsWithoutDividingByZero) {
  EXPECT_EQ(OverviewScaleLength(0, {}), 0);
  EXPECT_TRUE(PlaceSegmentBars(0, {}, 300).empty());
  for (const std::vector<CBarSpan>& spans :
       {PlaceSegmentBars(0, {{0, 0}, {0, 0}}, 300), PlaceSegmentBars(100, {{1, 50}}, 0),
        PlaceSegmentBars(-5, {{-3, -1}}, 300)}) {
    for (const CBarSpan& span : spans) {
      EXPECT_EQ(span.m_nLeft, 0);
      EXPECT_EQ(span.m_nWidth, 0);
    }
  }
  EXPECT_EQ(QueryPositionX(10, 0, 100), 0);
  EXPECT_TRUE(RulerPositions(0, 500, 40).empty());
  EXPECT_TRUE(RulerPositions(100, 0, 40).empty());
  // A track narrower than a bar still holds it.
  const std::vector<CBarSpan> narrow = PlaceSegmentBars(100, {{100, 100}}, 1);
  EXPECT_EQ(narrow[0].m_nLeft, 0);
  EXPECT_EQ(narrow[0].m_nWidth, 1);
}

TEST(OverviewLayout, RulerLabelsRoundPositionsFarEnoughApart) {
  struct {
    int scale, width, spacing, step;
  } cases[] = {
      {1000, 500, 50, 100}, {350, 700, 60, 50}, {12, 600, 40, 1}, {2000000, 800, 60, 200000}};
  for (const auto& c : cases) {
    const std::vector<int> positions = RulerPositions(c.scale, c.width, c.spacing);
    ASSERT_GE(positions.size(), 2u) << c.scale;
    EXPECT_EQ(positions.front(), 1);
    EXPECT_EQ(positions[2] - positions[1], c.step) << c.scale;
    EXPECT_LE(positions.back(), c.scale);
    for (std::size_t i = 1; i < positions.size(); ++i) {
      EXPECT_GE(QueryPositionX(positions[i], c.scale, c.width) -
                    QueryPositionX(positions[i - 1], c.scale, c.width),
                c.spacing - 1)
          << c.scale << " at " << positions[i];
    }
  }
}

TEST(OverviewLayout, BitScoresFallIntoTheFiveBands) {
  const std::pair<double, int> cases[] = {{0, 0},   {39.99, 0}, {40, 1}, {49.9, 1},
                                          {50, 2},  {79.9, 2},  {80, 3}, {199.9, 3},
                                          {200, 4}, {5000, 4},  {-3, 0}, {NAN, 0}};
  for (const auto& [bits, band] : cases) EXPECT_EQ(BitScoreBand(bits), band) << bits;
  std::set<std::tuple<int, int, int>> colours;
  for (int band = 0; band < kBitScoreBands; ++band) {
    const CBandColour c = BandColour(band);
    colours.insert({c.m_nRed, c.m_nGreen, c.m_nBlue});
    EXPECT_FALSE(BandLabel(band).empty());
  }
  EXPECT_EQ(colours.size(), 5u);
  EXPECT_EQ(BandLabel(0), "< 40");
  EXPECT_EQ(BandLabel(4), ">= 200");
  EXPECT_EQ(BandLabel(5), "");
}

TEST(AlignmentText, ScoresAreWrittenAsTheReportsWriteThem) {
  const std::pair<double, const char*> expects[] = {
      {0.0, "0.0"},     {1e-200, "0.0"}, {2e-37, "2e-37"}, {3.4e-5, "3e-05"},
      {0.004, "0.004"}, {0.25, "0.25"},  {3.24, "3.2"},    {12.4, "12"}};
  for (const auto& [value, text] : expects)
    EXPECT_EQ(FormatNumber(value, ENumberStyle::kReportExpect), text) << value;
  EXPECT_EQ(FormatNumber(153.2, ENumberStyle::kReportBits), "153");
  EXPECT_EQ(FormatNumber(48.46, ENumberStyle::kReportBits), "48.5");

  CBlastSearchHit hit;
  double bits = -1;
  double expect = -1;
  EXPECT_FALSE(BestScores(hit, bits, expect));
  EXPECT_EQ(bits, -1);
  const std::pair<double, double> scores[] = {{50.0, 1e-5}, {80.5, 1e-3}, {20.0, 1e-9}};
  for (const auto& [b, e] : scores) {
    auto element = std::make_unique<CBlastSearchHitElement>();
    element->m_dBitScore = b;
    element->m_dExpect = e;
    hit.m_ElementList.push_back(std::move(element));
  }
  EXPECT_TRUE(BestScores(hit, bits, expect));
  EXPECT_EQ(bits, 80.5);
  EXPECT_EQ(expect, 1e-9);
}

TEST(AlignmentText, ScoreLinesGiveCountsPercentagesAndStrandOrFrame) {
  CBlastSearchHitElement element;
  element.m_dBitScore = 153.4;
  element.m_nScore = 387;
  element.m_dExpect = 2e-37;
  element.m_nAlignLength = 120;
  element.m_nIdentities = 80;
  element.m_nPositives = 90;
  element.m_nGaps = 2;
  element.m_Subject.m_bMinusStrand = 1;
  EXPECT_EQ(ScoreLines(element, false),
            (std::vector<std::string>{"Score = 153 bits (387),  Expect = 2e-37",
                                      "Identities = 80/120 (67%),  Gaps = 2/120 (2%)",
                                      "Strand = Plus / Minus"}));
  element.m_nFrame = -2;
  element.m_nGaps = 0;
  EXPECT_EQ(ScoreLines(element, true)[1],
            "Identities = 80/120 (67%),  Positives = 90/120 (75%),  Gaps = 0/120 (0%)");
  // The older reports cut percentages off and leave out a gap count of 0.
  CAlignmentStyle older;
  older.m_bRoundPercent = false;
  older.m_bAlwaysGaps = false;
  EXPECT_EQ(ScoreLines(element, older)[1], "Identities = 80/120 (66%),  Positives = 90/120 (75%)");
  EXPECT_EQ(ScoreLines(element, true)[2], "Frame = -2");
  // tblastx's two frames and a sum of segment pairs' expect value, as BLAST writes them.
  SetSubjectFrame(element, 3);
  SetExpectCount(element, 2);
  EXPECT_EQ(ScoreLines(element, false)[0], "Score = 153 bits (387),  Expect(2) = 2e-37");
  EXPECT_EQ(ScoreLines(element, false)[2], "Frame = -2/+3");
  // No alignment length and no rows: counts without percentages.
  CBlastSearchHitElement empty;
  EXPECT_EQ(ScoreLines(empty, true),
            (std::vector<std::string>{"Score = 0.0 bits (0),  Expect = 0.0",
                                      "Identities = 0/0,  Positives = 0/0"}));
}

TEST(AlignmentText, RowsWrapAtSixtyColumnsWithPositionsAtBothEnds) {
  // 70 columns; the query has a gap at column 65, the subject runs on the
  // minus strand from 500 down.
  CBlastSearchHitElement element;
  element.m_Query.m_strSeq = std::string(64, 'A') + "-" + std::string(5, 'C');
  element.m_Query.m_nStart = 1;
  element.m_Query.m_nEnd = 69;
  element.m_Subject.m_strSeq = std::string(64, 'A') + "G" + std::string(5, 'T');
  element.m_Subject.m_nStart = 500;
  element.m_Subject.m_nEnd = 431;
  const std::vector<CAlignmentBlock> blocks = AlignmentBlocks(element);
  ASSERT_EQ(blocks.size(), 2u);
  EXPECT_EQ(blocks[0].m_strQuery, "Query  1    " + std::string(60, 'A') + "  60");
  EXPECT_EQ(blocks[0].m_strConsensus, std::string(12, ' ') + std::string(60, 'A'));
  EXPECT_EQ(blocks[0].m_strSubject, "Sbjct  500  " + std::string(60, 'A') + "  441");
  EXPECT_EQ(blocks[1].m_strQuery, "Query  61   AAAA-CCCCC  69");
  EXPECT_EQ(blocks[1].m_strConsensus, std::string(12, ' ') + "AAAA      ");
  EXPECT_EQ(blocks[1].m_strSubject, "Sbjct  440  AAAAGTTTTT  431");
  EXPECT_EQ(blocks[1].m_strSubject.substr(blocks[1].m_nTextColumn, blocks[1].m_nTextWidth),
            "AAAAGTTTTT");

  // A translated query row: three positions per residue.
  CBlastSearchHitElement translated;
  translated.m_Query.m_strSeq = std::string(61, 'M');
  translated.m_Query.m_nStart = 10;
  translated.m_Query.m_nEnd = 192;
  translated.m_Subject.m_strSeq = std::string(61, 'M');
  translated.m_Subject.m_nStart = 1;
  translated.m_Subject.m_nEnd = 61;
  const std::vector<CAlignmentBlock> codons = AlignmentBlocks(translated, 60);
  ASSERT_EQ(codons.size(), 2u);
  EXPECT_EQ(codons[0].m_strQuery.substr(0, 12), "Query  10   ");
  EXPECT_TRUE(codons[0].m_strQuery.ends_with("  189")) << codons[0].m_strQuery;
  EXPECT_EQ(codons[1].m_strQuery, "Query  190  M  192");
  EXPECT_EQ(codons[1].m_strSubject, "Sbjct  61   M  61");

  EXPECT_TRUE(AlignmentBlocks(CBlastSearchHitElement()).empty());
}

}  // namespace

}  // namespace blastsearch
