// Reports whose alignments are laid out against the query, and the summary
// lines that give their hits.

#include "parse/QueryAnchoredPage.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "model/BlastSearchEntry.h"
#include "model/ResultInfo.h"
#include "parse/ReportWalk.h"
#include "parse/SummaryTable.h"
#include "support/Corpus.h"

namespace blastsearch {

namespace {

// Every corpus file: anchored exactly where its rows are laid out against
// the query (checked by eye: a query row, then database rows "NAME START
// ... END", and no pairwise "Query:"/"Sbjct:" rows).
TEST(QueryAnchoredPage, RecognisedInExactlyTheAnchoredCorpusFiles) {
  SKIP_WITHOUT_CORPUS();
  const std::set<std::string> anchored = {
      "html-classic/bt023.html",        "html-classic/bt027.html",
      "html-classic/bt038.html",        "text/text_2010L_blastn_004.txt",
      "text/text_2010L_blastp_006.txt", "text/text_2010L_blastp_007.txt",
      "text/text_2011L_blastn_004.txt", "text/text_2011L_blastp_006.txt",
      "text/text_2011L_blastp_007.txt", "text/text_2011L_phiblast_003.txt"};
  size_t files = 0;
  size_t found = 0;
  for (const std::string folder : {"text", "html-classic", "html-qblast", "blastplus-text"}) {
    for (const auto& path : CorpusFiles(folder)) {
      const std::string name = folder + "/" + path.filename().string();
      const bool isAnchored = IsQueryAnchoredPage(ReadWholeFile(path));
      EXPECT_EQ(isAnchored, anchored.count(name) == 1) << name;
      found += isAnchored ? 1 : 0;
      ++files;
    }
  }
  EXPECT_EQ(files, 53u + 17u + 5u + 21u);
  EXPECT_EQ(found, anchored.size());
}

// BLAST+ writes pairwise alignments in every one of its layouts here.
TEST(QueryAnchoredPage, NoBlastPlusReportIsAnchored) {
  const std::filesystem::path folder =
      std::filesystem::path(BLASTSEARCH_SOURCE_DIR) / "tests/data/blastplus";
  size_t files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    const std::string ext = entry.path().extension().string();
    if (ext == ".fa" || ext == ".sh" || ext == ".py") continue;
    EXPECT_FALSE(IsQueryAnchoredPage(ReadWholeFile(entry.path()))) << entry.path().filename();
    ++files;
  }
  EXPECT_GE(files, 50u);
}

TEST(QueryAnchoredPage, RowShapes) {
  const std::string link = "<a name = 77></a><a href=\"x?u=77\">P1</a>";
  const struct {
    const char* name;
    std::string page;
    bool anchored;
  } cases[] = {
      {"plain rows", "QUERY 1   MKVLA 5\n558   1   MKV-A 5\n", true},
      {"dots for identities", "QUERY 1   acgta 5\n558   9   ..... 13\n", true},
      {"linked database row", "blast_tmp 1 MKVLA 5\n" + link + "  12  MKILA 16\n", true},
      {"CR-LF lines", "QUERY 1   MKVLA 5\r\n558   1   MKV-A 5\r\n", true},
      {"pairwise rows are not anchored", "Query: 1 MKVLA 5\nSbjct: 1 MKVLA 5\n", false},
      {"a match line between the rows", "Query 1 MKVLA 5\n        MKVLA\nSbjct 1 MKVLA 5\n", false},
      {"a database row without its end", "QUERY 1   MKVLA 5\n558   1   MKV-A\n", false},
      {"a query row with blanks inside", "QUERY 1   MK LA 5\n558   1   MKV-A 5\n", false},
      {"a tag other than a link", "QUERY 1   MKVLA 5\n<b>558</b>   1   MKV-A 5\n", false},
      {"text at the end", "QUERY 1   MKVLA", false},
      {"empty", "", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsQueryAnchoredPage(c.page), c.anchored) << c.name;
  }
}

// A page of rows only: a hit per database sequence at its first row, also
// below a row of marks and in later blocks; the query's rows make none.
TEST(QueryAnchoredPage, RowsOnlyGiveNamesAndIdentifiers) {
  const std::string page =
      "Query= q\n         (10 letters)\n\n"
      "QUERY 1   MKVLA 5\n"
      "gi|11|x   1   MKVLA 5\n"
      "<a name = 22></a><a href=x>P22</a> 3   MKILA 7\n"
      "              |\n"
      "<a name = 33></a><a href=x>P33</a> 8   ----- \n\n"
      "QUERY 6   ACDEF 10\n"
      "gi|11|x   6   ACDEF 10\n"
      "44    2   ACD   4\n";
  CBlastSearchEntry entry;
  ASSERT_EQ(ReadQueryAnchoredPage(page, entry, 2), 1);
  EXPECT_EQ(entry.m_Mol.m_nLength, 10);
  const struct {
    const char* name;
    const char* id;
  } want[] = {{"gi|11|x", "11"}, {"P22", "22"}, {"P33", "33"}, {"44", ""}};
  ASSERT_EQ(entry.m_Hits.m_HitList.size(), std::size(want));
  auto hit = entry.m_Hits.m_HitList.begin();
  for (const auto& w : want) {
    EXPECT_EQ((*hit)->m_strName, w.name);
    EXPECT_EQ((*hit)->m_strID, w.id);
    EXPECT_EQ((*hit)->m_nMolType, 2);
    EXPECT_TRUE((*hit)->m_ElementList.empty());
    ++hit;
  }
  EXPECT_TRUE(IsFieldAbsent(entry, result_info::kAbsentDescription));
  EXPECT_TRUE(IsFieldAbsent(entry, result_info::kAbsentAlignments));
}

TEST(QueryAnchoredPage, PairwisePageIsNotReadAsAnchored) {
  SKIP_WITHOUT_CORPUS();
  for (const char* file : {"html-classic/bt036.html", "text/text_2010L_blastn_001.txt"}) {
    CBlastSearchEntry entry;
    EXPECT_EQ(ReadQueryAnchoredPage(ReadWholeFile(CorpusDir() / file), entry), 0) << file;
    EXPECT_TRUE(entry.m_Hits.m_HitList.empty()) << file;
    EXPECT_EQ(entry.m_Hits.m_strInfo, "") << file;
  }
  CBlastSearchEntry entry;
  ASSERT_EQ(ReadQueryAnchoredPage(ReadWholeFile(CorpusDir() / "html-classic/bt027.html"), entry),
            1);
  EXPECT_EQ(entry.m_Mol.m_nLength, 183);
  ASSERT_EQ(entry.m_Hits.m_HitList.size(), 6u);
  EXPECT_EQ(entry.m_Hits.m_HitList.back()->m_strName, "gb|G07281|G07281");
  EXPECT_EQ(entry.m_Hits.m_HitList.back()->m_strID, "860526");
}

TEST(SummaryTable, RowsAsPrinted) {
  const struct {
    const char* name;
    std::string line;
    bool countColumn;
    bool read;
    const char* hitName = "";
    const char* id = "";
    const char* description = "";
    double bits = 0;
    double expect = 0;
    int count = 0;
  } cases[] = {
      {"text row", "gi|1|sp|P1|X_Y HYPOTHETICAL 15.7 KD PROTEIN IN ...    39  0.004", false, true,
       "gi|1|sp|P1|X_Y", "1", "HYPOTHETICAL 15.7 KD PROTEIN IN ...", 39, 0.004, 0},
      {"bare power of ten", "gi|2|a REPA   514  e-146", false, true, "gi|2|a", "2", "REPA", 514,
       1e-146, 0},
      {"three-digit exponent, trailing blanks", "gi|3|b sigma S   189   3e-049  ", false, true,
       "gi|3|b", "3", "sigma S", 189, 3e-49, 0},
      {"no gi: empty identifier", "100K_RAT Q62671 rattus   1516  0.0", false, true, "100K_RAT", "",
       "Q62671 rattus", 1516, 0.0, 0},
      {"no description", "gi|4|c   30.5  2.6", false, true, "gi|4|c", "4", "", 30.5, 2.6, 0},
      {"web row: link text, score link's target, entities",
       "<a href=\"q?uid=7\">sp|P7|Z</a>  A &amp; B   <a href = #4242> 34</a>  0.29", false, true,
       "sp|P7|Z", "4242", "A & B", 34, 0.29, 0},
      {"count column", "gi|5|d thing   45  1e-10   2", true, true, "gi|5|d", "5", "thing", 45,
       1e-10, 2},
      {"count column missing", "gi|5|d thing   45  1e-10", true, false},
      {"statistics line", "  Database: data/sts", false, false},
      {"round line", "Results from round 2", false, false},
      {"converged", "CONVERGED!", false, false},
      {"query row", "QUERY 1   MKVLA 60", false, false},
      {"score not a number", "gi|6|e thing  3x  0.1", false, false},
      {"expect not a number", "gi|6|e thing  30  e-", false, false},
      {"two words only", "30  0.1", false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    CSummaryRow row;
    ASSERT_EQ(ParseSummaryRow(c.line, c.countColumn, row), c.read);
    if (!c.read) continue;
    EXPECT_EQ(row.strName, c.hitName);
    EXPECT_EQ(row.strID, c.id);
    EXPECT_EQ(row.strDescription, c.description);
    EXPECT_DOUBLE_EQ(row.dBitScore, c.bits);
    EXPECT_DOUBLE_EQ(row.dExpect, c.expect);
    EXPECT_EQ(row.nCount, c.count);
  }
}

// Tables are taken only where the report really ends after them.
TEST(SummaryTable, TakenOnlyBeforeTheReportsEnd) {
  const std::string header =
      "                 Score    E\n"
      "Sequences producing significant alignments:   (bits) Value\n\n";
  const std::string rows = "gi|1|a one   50  1e-10\ngi|2|b two   40  2e-05\n";
  const struct {
    const char* name;
    std::string text;
    int hits;
  } cases[] = {
      {"followed by the statistics", header + rows + "\n  Database: nr\n", 2},
      {"after CONVERGED!",
       header + "Sequences used in model and found again:\n\n" + rows +
           "\nSequences not found previously or not previously below "
           "threshold:\n\nCONVERGED!\n  Database: nr\n",
       2},
      {"cut off after the table", header + rows, 0},
      {"cut off inside a row", header + "gi|1|a one   50  1e-10\ngi|2|b two   4", 0},
      {"followed by alignments", header + rows + "\n>gi|1|a one\n   Length = 5\n", 0},
      {"two tables, the second cut off",
       header + rows + "\n  Database: nr\n\nQuery= next\n" + header + rows, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    CBlastSearchEntry entry;
    int progress = -1;
    const CParseControl control(&progress, nullptr);
    EXPECT_EQ(ReadSummaryTables(c.text, 0, entry, 1, control), c.hits);
    EXPECT_EQ(entry.m_Hits.m_HitList.size(), static_cast<size_t>(c.hits));
    EXPECT_EQ(progress, c.hits - 1);
  }
}

TEST(SummaryTable, StopKeepsTheHitsBefore) {
  const std::string text =
      "Sequences producing significant alignments:   (bits) Value\n\n"
      "gi|1|a one   50  1e-10\ngi|2|b two   40  2e-05\n\n  Database: nr\n";
  CBlastSearchEntry entry;
  int stop = 1;
  int progress = -1;
  EXPECT_EQ(ReadSummaryTables(text, 0, entry, 1, CParseControl(&progress, &stop)), 0);
  EXPECT_TRUE(entry.m_Hits.m_HitList.empty());
  EXPECT_EQ(progress, 0);
}

}  // namespace

}  // namespace blastsearch
