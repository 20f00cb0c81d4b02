// The middle line, percentages, hit figures, NCBI addresses and subject
// FASTA that the viewer and the readable output share.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "model/AlignmentMidline.h"
#include "model/BlastSearchEntry.h"
#include "model/HitLink.h"
#include "model/ResultInfo.h"
#include "model/SubjectFasta.h"

namespace blastsearch {

namespace {

CBlastSearchHitElement Rows(const std::string& query, const std::string& subject, int qStart = 1,
                            int qEnd = 0) {
  CBlastSearchHitElement element;
  element.m_Query.m_strSeq = query;
  element.m_Subject.m_strSeq = subject;
  element.m_Query.m_nStart = qStart;
  element.m_Query.m_nEnd = qEnd != 0 ? qEnd : qStart + static_cast<int>(query.size()) - 1;
  return element;
}

CAlignmentStyle Style(bool nucleotide, const char* matrix = "BLOSUM62") {
  CAlignmentStyle style;
  style.m_bNucleotide = nucleotide;
  style.m_strMatrix = matrix;
  return style;
}

TEST(AlignmentMidline, MarksIdentitiesAndPositivesAsBlastDoes) {
  struct {
    const char* name;
    const char *query, *subject;
    CAlignmentStyle style;
    const char* midline;
  } cases[] = {
      {"bases: '|' for the same base, letter case aside", "ACGTNacgt-A", "ACGANACGTAA", Style(true),
       "||| ||||| |"},
      {"residues: letters, '+' for a positive pair, blanks else", "MKVLIAGW", "MKVIIADW",
       Style(false), "MKV+IA W"},
      {"X against X scores below 0 and stays blank; stops show", "AXX*Q", "AXB*Q", Style(false),
       "A  *Q"},
      {"gaps in either row are blank", "WKR-DE", "WKRQE-", Style(false), "WKR + "},
      {"a lower-case query keeps its letter", "mkv", "MKV", Style(false), "mkv"},
      {"F/L scores 0 in BLOSUM62", "FHL", "LQL", Style(false), "  L"},
      {"... and 1 in BLOSUM45 (H/Q too)", "FHL", "LQL", Style(false, "BLOSUM45"), "++L"},
      {"F/W is positive in BLOSUM62, not in BLOSUM80", "F", "W", Style(false, "BLOSUM80"), " "},
      {"PAM250 scores F/Y 7 and K/E 0", "FK", "YE", Style(false, "PAM250"), "+"},
      {"a subject row shorter than the query's", "MKVL", "MK", Style(false), "MK  "},
      {"bytes outside ASCII never match", "\xc3\xa9M", "\xc3\xa9M", Style(false), "  M"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string expected =
        std::string(c.midline) +
        std::string(std::string(c.query).size() - std::string(c.midline).size(), ' ');
    EXPECT_EQ(GetMidline(Rows(c.query, c.subject), c.style), expected);
  }
  EXPECT_EQ(GetMidline(Rows("F", "W"), Style(false)), "+");
}

TEST(AlignmentMidline, PercentagesRoundAsTheReportsVersionDid) {
  CAlignmentStyle rounded;
  CAlignmentStyle cut;
  cut.m_bRoundPercent = false;
  struct {
    long long count, length;
    int rounded, cut;
  } cases[] = {{76, 82, 93, 92},    {199, 238, 84, 83},     {3, 672, 0, 0}, {1, 200, 1, 0},
               {999, 1000, 99, 99}, {1000, 1000, 100, 100}, {5, 0, 0, 0},   {0, 5, 0, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.count) + "/" + std::to_string(c.length));
    EXPECT_EQ(PercentOf(c.count, c.length, rounded), c.rounded);
    EXPECT_EQ(PercentOf(c.count, c.length, cut), c.cut);
  }

  // The older reports add the identities' share and the other positives'
  // share, each cut off; BLAST+ takes the positives whole.
  CAlignmentStyle parts = cut;
  parts.m_bPositivesInParts = true;
  struct {
    long long identities, positives, length;
    int inParts, whole;
  } positives[] = {{30, 54, 122, 43, 44}, {5, 7, 7, 99, 100},      {25, 43, 64, 67, 67},
                   {24, 43, 64, 66, 67},  {192, 192, 200, 96, 96}, {0, 0, 0, 0, 0},
                   {9, 5, 10, 50, 50}};  // more identities than positives: taken whole
  for (const auto& c : positives) {
    SCOPED_TRACE(std::to_string(c.identities) + " of " + std::to_string(c.positives) + "/" +
                 std::to_string(c.length));
    EXPECT_EQ(PositivesPercentOf(c.identities, c.positives, c.length, parts), c.inParts);
    EXPECT_EQ(PositivesPercentOf(c.identities, c.positives, c.length, cut), c.whole);
  }
}

TEST(AlignmentMidline, StyleFollowsProgramMatrixLayoutAndVersion) {
  struct {
    const char *program, *matrix, *layout, *version;
    const char* row;  // both rows of one pair, for results without a program
    bool nucleotide;
    const char* usedMatrix;
    bool round, gaps, parts;
  } cases[] = {
      {"blastn", "", "BLAST+ XML", "BLASTN 2.12.0+", "MKV", true, "BLOSUM62", true, true, false},
      {"megablast", "", "BLAST+ JSON", "", "ACG", true, "BLOSUM62", true, true, false},
      {"tblastx", "blosum80", "BLAST+ text", "TBLASTX 2.2.26+", "ACG", false, "BLOSUM80", true,
       true, false},
      {"blastp", "PAM30", "BLAST+ text", "BLASTP 2.2.22+", "MKV", false, "BLOSUM62", false, true,
       false},
      {"blastx", "", "BLAST+ text", "BLASTX 2.2.9+", "MKV", false, "BLOSUM62", false, true, false},
      {"", "", "BLAST text report", "", "ACGTN", true, "BLOSUM62", false, false, true},
      {"", "", "BLAST text report", "BLASTP 2.0.10", "MKV", false, "BLOSUM62", false, false, true},
      {"", "", "classic web page", "TBLASTN 2.2.16", "MKV", false, "BLOSUM62", false, false, false},
      {"", "", "", "", "MKVLE", false, "BLOSUM62", false, false, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.program) + " " + c.version + " " + c.row);
    CBlastSearchEntry entry;
    SetResultInfo(entry, result_info::kProgram, c.program);
    SetResultInfo(entry, result_info::kMatrix, c.matrix);
    SetResultInfo(entry, result_info::kLayout, c.layout);
    SetResultInfo(entry,
                  std::string(c.layout).rfind("BLAST+", 0) == 0 ? result_info::kVersion
                                                                : result_info::kOlderVersion,
                  c.version);
    auto hit = std::make_unique<CBlastSearchHit>();
    hit->m_ElementList.push_back(std::make_unique<CBlastSearchHitElement>(Rows(c.row, c.row)));
    entry.m_Hits.m_HitList.push_back(std::move(hit));
    const CAlignmentStyle style = AlignmentStyleOf(entry);
    EXPECT_EQ(style.m_bNucleotide, c.nucleotide);
    EXPECT_EQ(style.m_strMatrix, c.usedMatrix);
    EXPECT_EQ(style.m_bRoundPercent, c.round);
    EXPECT_EQ(style.m_bAlwaysGaps, c.gaps);
    EXPECT_EQ(style.m_bPositivesInParts, c.parts);
  }
  EXPECT_TRUE(IsKnownMatrix("blosum45"));
  EXPECT_TRUE(IsKnownMatrix("pam250"));
  EXPECT_FALSE(IsKnownMatrix("PAM30"));
  EXPECT_FALSE(IsKnownMatrix("BLOSUM62 "));
}

TEST(AlignmentMidline, QueryCoverIsTheUnionOfRangesAndIdentityTheSummedShare) {
  struct {
    const char* name;
    std::vector<std::pair<int, int>> ranges;  // query start, end (minus strand reversed)
    long long queryLength;
    int cover;
  } cases[] = {
      {"overlapping pairs count once", {{1, 50}, {40, 60}}, 100, 60},
      {"nested and disjoint", {{10, 90}, {20, 30}, {95, 100}}, 100, 87},
      {"minus strand ranges run down", {{60, 11}}, 200, 25},
      {"rounded to the nearest", {{1, 2}}, 3, 67},
      {"never above the query", {{1, 500}}, 100, 100},
      {"unknown query length", {{1, 10}}, 0, -1},
      {"no pairs", {}, 50, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    CBlastSearchHit hit;
    for (const auto& [start, end] : c.ranges) {
      auto element = std::make_unique<CBlastSearchHitElement>();
      element->m_Query.m_nStart = start;
      element->m_Query.m_nEnd = end;
      hit.m_ElementList.push_back(std::move(element));
    }
    EXPECT_EQ(QueryCoverOf(hit, c.queryLength), c.cover);
  }

  CBlastSearchHit hit;
  EXPECT_EQ(PercentIdentityOf(hit), -1.0);
  for (auto [identities, length] : {std::pair{90, 100}, {45, 50}, {0, 0}}) {
    auto element = std::make_unique<CBlastSearchHitElement>();
    element->m_nIdentities = identities;
    element->m_nAlignLength = length;
    hit.m_ElementList.push_back(std::move(element));
  }
  EXPECT_DOUBLE_EQ(PercentIdentityOf(hit), 90.0);
  hit.m_ElementList.front()->m_nIdentities = 89;
  EXPECT_DOUBLE_EQ(PercentIdentityOf(hit), 89.33);
}

TEST(AlignmentMidline, HitAddressesAtNcbiAndOnlyWhereTheRecordCanBeThere) {
  struct {
    const char *program, *name, *id;
    int molType, linkType;
    const char* subjectRow;  // with its range below, for results without a program
    int subjectEnd;
    const char* address;
  } cases[] = {
      {"blastp", "sp|P1|X", "P12345.2", 1, 0, "MK", 2,
       "https://www.ncbi.nlm.nih.gov/protein/P12345.2"},
      {"blastx", "gi|126343", "126343", 1, 0, "MK", 2,
       "https://www.ncbi.nlm.nih.gov/protein/126343"},
      {"tblastn", "gb|AB1.1|", "AB1.1", 2, 0, "MK", 6,
       "https://www.ncbi.nlm.nih.gov/nuccore/AB1.1"},
      {"blastn", "ref|NM_1.1|", "NM_1.1", 1, 0, "ACG", 3,
       "https://www.ncbi.nlm.nih.gov/nuccore/NM_1.1"},
      {"", "gi|42", "42", 1, 0, "MKVL", 4, "https://www.ncbi.nlm.nih.gov/protein/42"},
      {"", "gi|43", "43", 1, 0, "MKVL", 12, "https://www.ncbi.nlm.nih.gov/nuccore/43"},
      {"", "gi|44", "44", 1, 0, "ACGTACGT", 8, "https://www.ncbi.nlm.nih.gov/nuccore/44"},
      {"blastp", "gnl|BL_ORD_ID|7", "7", 2, 0, "MK", 2, ""},
      {"blastp", "sp|P1|X", "P1", 2, 1, "MK", 2, ""},
      {"blastp", "odd", "a/../b", 2, 0, "MK", 2, ""},
      {"blastp", "odd", "a b?c", 2, 0, "MK", 2, ""},
      {"blastp", "none", "", 2, 0, "MK", 2, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.program) + " " + c.name + " " + c.id);
    CBlastSearchEntry entry;
    entry.m_nLinkType = c.linkType;
    SetResultInfo(entry, result_info::kProgram, c.program);
    auto owned = std::make_unique<CBlastSearchHit>();
    CBlastSearchHit& hit = *owned;
    entry.m_Hits.m_HitList.push_back(std::move(owned));
    hit.m_strName = c.name;
    hit.m_strID = c.id;
    hit.m_nMolType = c.molType;
    auto element = std::make_unique<CBlastSearchHitElement>(Rows(c.subjectRow, c.subjectRow));
    element->m_Subject.m_nStart = 1;
    element->m_Subject.m_nEnd = c.subjectEnd;
    hit.m_ElementList.push_back(std::move(element));
    EXPECT_EQ(GetHitAddress(&entry, &hit), c.address);
  }
  EXPECT_EQ(GetHitAddress(nullptr, nullptr), "");
}

TEST(AlignmentMidline, SubjectFastaDropsGapsAndKeepsHeadersOnOneLine) {
  CBlastSearchHit hit;
  hit.m_strName = "sp|P1|X extra";
  hit.m_strID = "P1";
  hit.m_strDescription =
      "a\tb\rc\x7f"
      "d";
  for (const auto& [row, start] :
       {std::pair<std::string, int>{"MK-V L", 5}, {"---", 9}, {std::string(61, 'A'), 100}}) {
    auto element = std::make_unique<CBlastSearchHitElement>();
    element->m_Subject.m_strSeq = row;
    element->m_Subject.m_nStart = start;
    element->m_Subject.m_nEnd = start + 3;
    hit.m_ElementList.push_back(std::move(element));
  }
  EXPECT_EQ(SubjectFasta(hit), ">sp|P1|X:5-8 a b c d\nMKVL\n>sp|P1|X:100-103 a b c d\n" +
                                   std::string(60, 'A') + "\nA\n");
  hit.m_strName.clear();
  hit.m_ElementList.pop_back();
  EXPECT_EQ(SubjectFasta(hit), ">P1:5-8 a b c d\nMKVL\n");
  EXPECT_EQ(SubjectFasta(CBlastSearchHit()), "");
}

}  // namespace

}  // namespace blastsearch
