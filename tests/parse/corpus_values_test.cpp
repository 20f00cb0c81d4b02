// Values read from real NCBI reports, pinned by hand: every expectation below
// was worked out from the report text itself with the readers' rules (where a
// value is taken from, which conversion applies, what an unbounded search
// finds), not copied from a parse.

#include <gtest/gtest.h>

#include <cctype>
#include <optional>
#include <string>
#include <vector>

#include "model/BlastSearchEntry.h"
#include "model/ResultInfo.h"
#include "parse/QueryAnchoredPage.h"
#include "parse/ReportLayout.h"
#include "support/Corpus.h"
#include "support/EntryDump.h"
#include "support/ReportParse.h"

namespace blastsearch {

namespace {

// One aligned row: first and last numbers, and the joined upper-case text's
// beginning and end (a full row is given as its head; the length check of the
// element then makes it exact). `inner` must occur somewhere in the row, to
// catch rows joined in the wrong order or with something between the pieces.
struct RowX {
  int start;
  int end;
  const char* head;
  const char* tail;
  const char* inner = "";
};

struct ElementX {
  double bits;
  int score;
  double expect;
  int identities;
  int positives;
  int gaps;
  int alignLength;
  int frame;
  int queryMinus;
  int subjectMinus;
  RowX query;
  RowX subject;
  int columns;  // length of the query row text, kept in both rows
};

// A hit at `index`; a null text is not checked. `elements` pins some of its
// elements by position.
struct HitX {
  size_t index;
  const char* name;
  const char* id;
  const char* description;
  int length;
  size_t elementCount;
  std::vector<std::pair<size_t, ElementX>> elements;
};

struct ReportX {
  const char* file;  // folder/name inside the corpus
  ReportReader reader;
  int queryLength;
  size_t hitCount;
  std::vector<HitX> hits;
  // The progress counter afterwards when it is not the usual one less than
  // the hit count (0 without hits); it starts at -1.
  std::optional<int> progress = std::nullopt;
  // The PSI-BLAST round read ("" for a report without rounds).
  const char* round = "";
  // Hits read without pairwise alignments: the alignments, lengths, rows and
  // counts are marked absent.
  bool withoutAlignments = false;
};

std::ostream& operator<<(std::ostream& out, const ReportX& report) {
  return out << report.file << " (" << ReaderName(report.reader) << ")";
}

const CBlastSearchHit* HitAt(const CBlastSearchEntry& entry, size_t index) {
  auto it = entry.m_Hits.m_HitList.begin();
  for (size_t i = 0; i < index && it != entry.m_Hits.m_HitList.end(); ++i) ++it;
  return it == entry.m_Hits.m_HitList.end() ? nullptr : it->get();
}

const CBlastSearchHitElement* ElementAt(const CBlastSearchHit& hit, size_t index) {
  auto it = hit.m_ElementList.begin();
  for (size_t i = 0; i < index && it != hit.m_ElementList.end(); ++i) ++it;
  return it == hit.m_ElementList.end() ? nullptr : it->get();
}

void ExpectRow(const CBlastSearchSeqComponent& row, const RowX& want, int columns,
               const char* label) {
  SCOPED_TRACE(label);
  EXPECT_EQ(row.m_nStart, want.start);
  EXPECT_EQ(row.m_nEnd, want.end);
  EXPECT_EQ(row.m_nLength, columns);
  EXPECT_TRUE(row.m_strSeq.starts_with(want.head)) << row.m_strSeq;
  EXPECT_TRUE(row.m_strSeq.ends_with(want.tail)) << row.m_strSeq;
  EXPECT_NE(row.m_strSeq.find(want.inner), std::string::npos) << row.m_strSeq;
  for (char c : row.m_strSeq) {
    ASSERT_FALSE(std::islower(static_cast<unsigned char>(c)))
        << "row not upper-cased: " << row.m_strSeq;
  }
}

void ExpectElement(const CBlastSearchHitElement& element, const ElementX& want) {
  EXPECT_DOUBLE_EQ(element.m_dBitScore, want.bits);
  EXPECT_EQ(element.m_nScore, want.score);
  EXPECT_DOUBLE_EQ(element.m_dExpect, want.expect);
  EXPECT_EQ(element.m_nIdentities, want.identities);
  EXPECT_EQ(element.m_nPositives, want.positives);
  EXPECT_EQ(element.m_nGaps, want.gaps);
  EXPECT_EQ(element.m_nAlignLength, want.alignLength);
  EXPECT_EQ(element.m_nFrame, want.frame);
  EXPECT_EQ(element.m_Query.m_bMinusStrand, want.queryMinus);
  EXPECT_EQ(element.m_Subject.m_bMinusStrand, want.subjectMinus);
  EXPECT_EQ(element.m_Query.m_strSeq.size(), static_cast<size_t>(want.columns));
  ExpectRow(element.m_Query, want.query, want.columns, "query row");
  ExpectRow(element.m_Subject, want.subject, want.columns, "subject row");
}

// Rows shorter than ten residues are given whole as head and tail alike.
#define ROW(start, end, text) \
  RowX { start, end, text, text }

// The tables below keep one hit to a few lines: hit index, name, identifier,
// description, length, element count; then per element its index, bit score,
// raw score, expect, identities, positives, gaps, alignment length, frame,
// the two minus-strand flags, the query and subject rows and the columns.
// clang-format off

// Legacy plain-text reports, QBlast parser.
const ReportX kTextBlastn{
    "text/text_2010L_blastn_001.txt", ReportReader::QBlast, 285, 4,
    {
        // "Expect = e-146": NCBI leaves out the 1 of a bare power of ten.
        {0, "gi|1348916|gb|G26684|G26684", "1348916",
         "human STS STS_D11570. >gi|1375195|gb|G26945|G26945 human STS SHGC-32699.", 285, 1,
         {{0, {517, 261, 1e-146, 285, 0, 0, 285, 0, 0, 0,
               {1, 285, "GATCCCTACC", "NTGTTATTTC", "CATTCACACCCAACACAGG"},
               {1, 285, "GATCCCTACC", "NTGTTATTTC"}, 285}}}},
        {1, "gi|720683|gb|G03725|G03725", "720683", "human STS WI-344.", 246, 1,
         {{0, {32.2, 16, 1.6, 16, 0, 0, 16, 0, 0, 1, ROW(260, 275, "CTCAATAAATGCTAGT"),
               ROW(178, 163, "CTCAATAAATGCTAGT"), 16}}}},
        // Wrapped descriptions are joined with one blank.
        {2, "gi|4516686|dbj|AU026763.1|AU026763", "4516686",
         "Rattus norvegicus, OTSUKA clone, OT33.16/752f07, microsatellite sequence, sequence "
         "tagged site", 307, 1,
         {{0, {32.2, 16, 1.6, 16, 0, 0, 16, 0, 0, 0, ROW(221, 236, "GGAAAGTTCTTGTAGC"),
               ROW(32, 47, "GGAAAGTTCTTGTAGC"), 16}}}},
        {3, "gi|6120827|gb|G55508.1|G55508", "6120827",
         "SHGC-100856 Human Homo sapiens STS genomic, sequence tagged site", 711, 1,
         {{0, {32.2, 16, 1.6, 18, 0, 0, 19, 0, 0, 0, ROW(210, 228, "GAAATNAAAATGGAAAGTT"),
               ROW(588, 606, "GAAATAAAAATGGAAAGTT"), 19}}}},
    }};

const ReportX kTextBlastp{
    "text/text_2010L_blastp_001.txt", ReportReader::QBlast, 141, 3,
    {
        {0, "gi|120291|sp|P21297|FLBT_CAUCR", "120291", "FLBT PROTEIN", 141, 1,
         {{0, {284, 718, 7e-77, 141, 141, 0, 141, 0, 0, 0,
               {1, 141, "MPLKLSLKPG", "SGVSAGGDAG", "IYFPVMMMYLDEV"},
               {1, 141, "MPLKLSLKPG", "SGVSAGGDAG"}, 141}}}},
        {1, "gi|3024946|sp|Q58368|Y958_METJA", "3024946", "HYPOTHETICAL PROTEIN MJ0958 PRECURSOR", 426,
         1,
         {{0, {29.3, 64, 3.4, 15, 23, 0, 47, 0, 0, 0,
               ROW(28, 74, "VLVLQNKASVLREKDIMQPDQVTTPARHIYFPVMMMYLDEVGAEKFY"),
               ROW(169, 215, "ILVLINNTNITELKKFEDDDYYTTFQHYIYQPIFIFTTYDSKAKKFY"), 47}}}},
        // Gaps inside and at the edge of a row piece survive the join.
        {2, "gi|3024745|sp|O26320|THSA_METTH", "3024745", "PROBABLE THERMOSOME SUBUNIT A", 542, 1,
         {{0, {29.0, 63, 4.5, 31, 46, 9, 107, 0, 0, 0,
               {34, 140, "KASVLREKDI", "SSGVSAGGDA", "NPVVLQDC"},
               {339, 436, "EAGVIYEKKIF--DEV", "QLAVSAFADA", "VVAS--TLED-----REVV"}, 107}}}},
    }};

const ReportX kTextBlastx{
    "text/text_2010L_blastx_001.txt", ReportReader::QBlast, 556, 4,
    {
        {0, "gi|1731448|sp|P54103|ZRF1_MOUSE", "1731448", "ZUOTIN RELATED FACTOR-1", 514, 1,
         {{0, {86.6, 211, 3e-17, 41, 44, 0, 47, 1, 0, 0,
               ROW(1, 141, "DLQLLIKAVNLFPAGTNSRWEVIANYMNIHSSSGVKRTAKDVIGKAK"),
               ROW(458, 504, "DLQLLIKAVNLFPAGRNSRWDVIANYMNIHSSSGVKRTAKDVISEVR"), 47}}}},
        {1, "gi|465911|sp|P34454|YMA9_CAEEL", "465911",
         "HYPOTHETICAL 31.6 KD PROTEIN F54F2.9 IN CHROMOSOME III", 275, 1,
         {{0, {41.8, 96, 0.001, 30, 54, 0, 122, 1, 0, 0,
               {34, 399, "FPAGTNSRWE", "AVAVPGRXKE", "PGRXKE"},
               {159, 254, "YPAGTPNRWE", "SEEIGSKTKK", "KSED---------------DWSQ"}, 122}}}},
        // Two segment pairs of one hit, in report order.
        {2, "gi|2494160|sp|Q61712|MTJ1_MOUSE", "2494160", "DNAJ PROTEIN HOMOLOG MTJ1", 552, 2,
         {{0, {36.7, 83, 0.033, 17, 19, 0, 36, 1, 0, 0,
               ROW(292, 399, "TTEXQKLXEQALNTYPVNTXERWXXIAVAVPGRXKE"),
               ROW(496, 531, "TQSQQKLLELALQQYPKGASDRWDKIAKCVPSKSKE"), 36}},
          {1, {31.3, 69, 1.5, 18, 26, 0, 50, 1, 0, 0,
               ROW(1, 150, "DLQLLIKAVNLFPAGTNSRWEVIANYMNIHSSSGVKRTAKDVIGKAKSLQ"),
               ROW(332, 373, "DLSQLTRSMVKFPGGTPGRWDKIAHELG--------RSVTDVTTKAKELK"), 50}}}},
        {3, "gi|1730688|sp|P53745|YN8X_YEAST", "1730688",
         "HYPOTHETICAL 68.1 KD PROTEIN IN BIO3-FRE4 INTERGENIC REGION", 580, 1,
         {{0, {29.0, 63, 7.4, 27, 41, 0, 99, 1, 0, 0, {52, 348, "SRWEVIANYM", "QALNTYPVNT"},
               {75, 149, "NRWKSFISY-", "QSHNFWPVHT", "SLLHSI----------ETKL"}, 99}}}},
    }};

// The query name holds "(GLCDH-II)" on a wrapped line before the length: the
// length comes from the "(261 letters)" line all the same.
const ReportX kTextTblastn{
    "text/text_2010L_tblastn_001.txt", ReportReader::QBlast, 261, 7,
    {
        // Row texts hold 75 columns although the identities line counts 72:
        // the lengths come from the row texts.
        {0, "gi|3820341|emb|AJ229891|KLAJ9891", "3820341",
         "Kluyveromyces lactis DNA fragment for sequence tagged site, clone okam5d07r "
         "[Kluyveromyces lactis]", 230, 1,
         {{0, {46.9, 109, 1e-05, 25, 44, 3, 72, 1, 0, 0,
               {108, 179, "NWNQVIDTNL", "ETLALEYAPK", "FVEN---DIKG"},
               {1, 225, "SWRQVIDTNI", "QSVALEYAER", "TKHAVIGIT"}, 75}}}},
        {1, "gi|1375419|gb|G27169|G27169", "1375419", "human STS SHGC-31983.", 594, 1,
         {{0, {43.4, 100, 1e-04, 21, 34, 0, 73, -1, 0, 0, {177, 249, "APKGIRVNNI", "TGITLFADGG"},
               {312, 94, "APXRXRVNAV", "TGSTLPVEGG"}, 73}}}},
        {4, "gi|177714|gb|L09988|HUM4STS889", "177714",
         "Human Chromosome 4 (clone p4-1095) STS4-889.", 412, 1, {}},
        {5, "gi|5714409|gb|AF106665.1|AF106665", "5714409",
         "Mus musculus chromosome 6 clone D6wum9 map between Nkrp1 and Prp strain C57BL/6J, "
         "sequence tagged site", 299, 1,
         {{0, {29.3, 64, 2.2, 17, 32, 2, 55, -2, 0, 0,
               {142, 196, "NMSSVHEMIP", "GPGAIDTPIN", "TETL--ALEY"},
               {172, 2, "SLSPTQYLIM", "GPFSLRTLLN"}, 57}}}},
    }};

// Frame pairs: only the first frame is read. Stop codons stay in the rows.
const ReportX kTextTblastx{
    "text/text_2010L_tblastx_001.txt", ReportReader::QBlast, 615, 19,
    {
        {0, "gi|1348853|gb|G26621|G26621", "1348853",
         "human STS STS_D12006. >gi|1396339|gb|G27620|G27620 human STS SHGC-32705.", 615, 7,
         {{0, {367, 796, 1e-102, 192, 192, 0, 200, 2, 0, 0, {2, 601, "IRMPLHS*DS", "XVXXXWXXXF"},
               {2, 601, "IRMPLHS*DSSFCPL*QEKWECMQSSQKKQKRPK", "XVXXXWXXXF"}, 200}},
          // "Expect(2) = 9e-91": the count in parentheses is passed over.
          {2, {180, 387, 9e-91, 74, 74, 0, 74, 3, 0, 0, {3, 224, "SECPSTHETL", "KPALFFM*PV"},
               {3, 224, "SECPSTHETL", "KPALFFM*PV"}, 74}},
          {4, {398, 864, 1e-111, 205, 205, 0, 205, -1, 0, 0, {615, 1, "PKXXXKXXXX", "ESHEWRGILI"},
               {615, 1, "PKXXXKXXXX", "ESHEWRGILI"}, 205}},
          {6, {316, 684, 7e-87, 146, 146, 0, 146, -2, 0, 0, {440, 3, "EXKKAXXXSI", "SLMSGGAF*"},
               {440, 3, "EXKKAXXXSI", "SLMSGGAF*"}, 146}}}},
        {1, "gi|1348016|gb|G25784|G25784", "1348016", "human STS EST47998.", 617, 8,
         {{5, {302, 653, 1e-82, 128, 132, 0, 157, -3, 0, 0, {472, 2, "PXICHR*PKL", "RVS*VEGHSD"},
               {472, 2, "PGVCXR*PKP", "RVS*VEGXSD"}, 157}}}},
        // The last hit; "Frame = -1 / +2" reads -1.
        {18, "gi|6121804|gb|G56635.1|G56635", "6121804",
         "SHGC-102032 Human Homo sapiens STS genomic, sequence tagged site", 541, 1,
         {{0, {27.2, 53, 7.7, 9, 13, 0, 20, -1, 0, 0, ROW(174, 115, "VKGFCISAFSPSQGQFRGCG"),
               ROW(125, 184, "VDGFCVTSFSPKKDTHPGSG"), 20}}}},
    }};

// No summary header ("Sequences producing significant alignments:"): the
// nine hits are read from the first definition line on. The first hit's
// wrapped definition holds a second database entry, indented, after '>'.
const ReportX kTextNoSummary{
    "text/text_2010L_blastn_003.txt", ReportReader::QBlast, 331, 9,
    {
        {0, "gi|1347201|gb|G24969|G24969", "1347201",
         "human STS EST21946. >gi|1375315|gb|G27065|G27065 human STS SHGC-31731.", 331, 1, {}},
        {1, "gi|2665277|emb|AL010115|HSPE77H4", "2665277",
         "H.sapiens flow-sorted chromosome 1 HindIII fragment, SC1pE77H4, sequence tagged site "
         "[Homo sapiens]", 554, 1, {}},
    }};

// A hit of a summary line: bit score and expect, nothing else.
#define SUMMARY(bits, expect) \
  ElementX { bits, 0, expect, 0, 0, 0, 0, 0, 0, 0, {0, 0, "", ""}, {0, 0, "", ""}, 0 }

// Descriptions without alignments: a hit per summary line, its description
// as printed (cut with "..." where the report cut it), one element with the
// bit score and the expect value.
const ReportX kTextDescriptionsOnly{
    "text/text_2010L_blastn_002.txt", ReportReader::QBlast, 434, 19,
    {
        {0, "gi|1348400|gb|G26168|G26168", "1348400", "human STS EST47274. >gi|1375380|gb|...", 0,
         1, {{0, SUMMARY(718, 0.0)}}},
        {1, "gi|6121436|gb|G56117.1|G56117", "6121436", "SHGC-101583 Human Homo sapiens ST...", 0,
         1, {{0, SUMMARY(34, 0.65)}}},
        {4, "gi|605557|gb|L31312|HUMUT937B", "605557", "Human STS UT937, 3' primer bind.", 0, 1,
         {{0, SUMMARY(34, 0.65)}}},
        {18, "gi|6123581|gb|G58262.1|G58262", "6123581", "SHGC-104352 Human Homo sapiens ST...", 0,
         1, {{0, SUMMARY(32, 2.6)}}},
    },
    std::nullopt, "", true};

// Alignments laid out against the query in a plain-text report: the hits of
// its summary lines ("e-89" read as 1e-89).
const ReportX kTextQueryAnchored{
    "text/text_2010L_blastn_004.txt", ReportReader::QBlast, 183, 6,
    {
        {0, "gi|859351|gb|G06106|G06106", "859351", "human STS WI-6344.", 0, 1,
         {{0, SUMMARY(327, 1e-89)}}},
        {2, "gi|6126285|gb|G60966.1|G60966", "6126285", "SHGC-84377 Human Homo sapiens STS...", 0,
         1, {{0, SUMMARY(30, 4.1)}}},
        {5, "gi|860526|gb|G07281|G07281", "860526", "human STS WI-9430.", 0, 1,
         {{0, SUMMARY(30, 4.1)}}},
    },
    std::nullopt, "", true};

// PSI-BLAST, three rounds: only the last is read, the hits of round 3 after
// "CONVERGED!" (23 hits, where all rounds together made 61).
const ReportX kTextLastRound{
    "text/text_2010L_phiblast_002.txt", ReportReader::QBlast, 369, 23,
    {
        {0, "gi|126342|sp|P17215|LIVJ_SALTY", "126342",
         "LEU/ILE/VAL/THR-BINDING PROTEIN PRECURSOR (LIVT-BP)", 367, 1,
         {{0, {580, 1478, 1e-165, 280, 316, 2, 367, 0, 0, 0,
               {3, 369, "RKAKTIIAGI", "GSSTVAK", "TYAAVQSLATAMTRSASHRPLDLVKDLKANGADTVIGPLKWDEKGDLKGF"},
               {1, 365, "MKGKTLLAGC", "GTATDAK", "TYAALQSLQAGLNHSD--DPAEIAKYLKGATVDTVMGPLSWDEKGDLKGF"},
               367}}}},
        {22, "gi|127971|sp||NCPR_SALTR_1", "127971",
         "[Segment 1 of 3] NADPH-CYTOCHROME P450 REDUCTASE (CPR)", 426, 1, {}},
    },
    std::nullopt, "3"};

// The last round has descriptions but no alignments: its four hits, the
// "found again" subsection's, from the summary lines of round 2.
const ReportX kTextLastRoundWithoutAlignments{
    "text/text_2208L_psiblast_001.txt", ReportReader::QBlast, 613, 4,
    {
        {0, "gi|16130963|ref|NP_417539.1|", "16130963", "RNA polymerase sigma(70) [Escherich...", 0,
         1, {{0, SUMMARY(1016, 0.0)}}},
        {1, "gi|16130648|ref|NP_417221.1|", "16130648", "sigma S factor [Escherichia coli K12]", 0,
         1, {{0, SUMMARY(358, 1e-100)}}},
        {3, "gi|33347603|ref|NP_416432.2|", "33347603", "sigma factor 28 [Escherichia coli K12]", 0,
         1, {{0, SUMMARY(237, 2e-63)}}},
    },
    std::nullopt, "2", true};

// Three reports of three queries in one file: the first query's length, and
// the hits of all three in one entry.
const ReportX kTextThreeQueries{
    "text/text_2221L_blastp_001.txt", ReportReader::QBlast, 472, 3,
    {
        // The further database entries of a hit, one per indented line, join its
        // description as wrapped lines do.
        {0, "pdb|1JLX|A", "",
         "Chain A, Agglutinin In Complex With T-Disaccharide pdb|1JLX|B Chain B, Agglutinin In "
         "Complex With T-Disaccharide pdb|1JLY|A Chain A, Crystal Structure Of Amaranthus "
         "Caudatus Agglutinin pdb|1JLY|B Chain B, Crystal Structure Of Amaranthus Caudatus "
         "Agglutinin", 303, 1,
         {{0, {640, 1652, 0.0, 303, 303, 0, 303, 0, 0, 0, {170, 472, "AGLPVIMCLK", "LEIIELGQNN"},
               {1, 303, "AGLPVIMCLK", "LEIIELGQNN"}, 303}}}},
        {1, "sp|Q9WTV7.1|RNF12_MOUSE", "",
         "RecName: Full=E3 ubiquitin-protein ligase RNF12; AltName: Full=RING finger protein 12; "
         "AltName: Full=LIM domain-interacting RING finger protein; AltName: Full=RING finger "
         "LIM domain-binding protein; Short=R-LIM gb|AAD34209.1|AF069992_1 LIM domain "
         "interacting RING finger protein [Mus musculus]", 600, 2,
         {{0, {684, 1765, 0.0, 353, 353, 0, 414, 0, 0, 0,
               {1, 414, "MENSDSNDKG", "GFGELSYFMY", "SSSQRQMXXXXXXXXXXXXXXXXXXXTEAVTEV"},
               {1, 414, "MENSDSNDKG", "GFGELSYFMY", "SSSQRQMENSASESASARPSRAERNSTEAVTEV"}, 414}},
          {1, {258, 658, 2e-66, 115, 115, 0, 115, 0, 0, 0, {486, 600, "KDGRHRAPVT", "LSSGNRESVV"},
               {486, 600, "KDGRHRAPVT", "LSSGNRESVV"}, 115}}}},
        {2, "emb|CAA85685.1|", "", "rubisco large subunit [Rosmarinus officinalis]", 473, 1,
         {{0, {947, 2449, 0.0, 458, 458, 0, 473, 0, 0, 0, {1, 473, "MSPQTETKAS", "EIKFEFPAMD"},
               {1, 473, "MSPQTETKAS", "EIKFEFPAMD"}, 473}}}},
    }};

// QBlast result pages through the QBlast parser. The definition line starts
// "><a name = ...": tags are skipped, the anchor's name is the identifier, the
// link's text the name, and the other entries of the hit (indented anchors on
// the next lines) are not part of the description.
const ReportX kQBlastPage{
    "html-qblast/bt070.html", ReportReader::QBlast, 87, 1,
    {
        {0, "ref|NP_689464.1|", "22748611", "defensin, beta 106; defensin, beta 6 [Homo sapiens]",
         65, 1,
         {{0, {110, 274, 2e-25, 49, 49, 0, 49, 0, 0, 0,
               ROW(21, 69, "AKNAFFDEKCNKLKGTCKNNCGKNEELIALCQKSLKCCRTIQPCGSIID"),
               ROW(17, 65, "AKNAFFDEKCNKLKGTCKNNCGKNEELIALCQKSLKCCRTIQPCGSIID"), 49}}}},
    }};

const ReportX kQBlastProteinPage{
    "html-qblast/bt066.html", ReportReader::QBlast, 197, 12,
    {
        {0, "dbj|BAA02945.1|", "216351", "(D13793) ORF [Bacillus subtilis]", 199, 1,
         {{0, {397, 1021, 1e-110, 197, 197, 0, 197, 0, 0, 0, {1, 197, "MIIWINGAFG", "MVKLNHIRIK"},
               {3, 199, "MIIWINGAFG", "MVKLNHIRIK"}, 197}}}},
        {4, "pir||T36076", "7481802", nullptr, 213, 1,
         {{0, {144, 363, 1e-33, 78, 112, 18, 197, 0, 0, 0, {17, 196, "AFELHRRLNP", "LMVKLNHIRI"},
               {17, 212, "AHEIRRRLPG", "AGVGIRHIRV"}, 197}}}},
        // "Length = 86" but 87 alignment columns: the hit's length is raised.
        {10, "pir||S06031", "423876", nullptr, 87, 1,
         {{0, {83.2, 204, 4e-15, 38, 54, 1, 87, 0, 0, 0, {1, 87, "MIIWINGAFG", "IVPMTIVHPE"},
               {1, 86, "MIIWINGPFG", "IIPMTLVHPD", "PMP-ASGD"}, 87}}}},
    }};

// Lower-case nucleotide rows come out upper-cased; strands per row.
const ReportX kQBlastNucleotidePage{
    "html-qblast/bt064.html", ReportReader::QBlast, 1111, 15,
    {
        {0, "gb|AF283004.1|AF283004", "10121840",
         "Arabidopsis thaliana cold acclimation protein WCOR413-like protein alpha form mRNA, "
         "complete cds", 783, 1,
         {{0, {46.1, 23, 0.042, 68, 0, 0, 83, 0, 0, 0,
               {249, 331, "TACTTGTTGA", "TCAGTCTTCC", "CACTTTTAGTCCCTTACATATT"},
               {237, 319, "TACTTGTTGG", "TCAGTCTTCC", "TCACTTCTCATTCCTTACATCTT"}, 83}}}},
        {3, "emb|Z99707.1|ATAP21", "4376087", nullptr, 206420, 1,
         {{0, {44.1, 22, 0.17, 31, 0, 0, 34, 0, 0, 1, {253, 286, "TGTTGATATT", "GGAGAACCAA"},
               {52308, 52275, "TGTTGATATT", "GGAAAACCAA"}, 34}}}},
    }};

// The query's name holds "(aka elephant fish)" before its "(701 letters)"
// line. The HTTP header lines end with carriage returns.
const ReportX kQBlastLongPage{
    "html-qblast/bt100.html", ReportReader::QBlast, 701, 100,
    {
        {0, "emb|AL844177.15|", "29367455", nullptr, 144217, 1,
         {{0, {48.1, 24, 0.030, 24, 0, 0, 24, 0, 0, 1, ROW(103, 126, "TTCTGACAGATGAAGCAATGTGTG"),
               ROW(69425, 69402, "TTCTGACAGATGAAGCAATGTGTG"), 24}}}},
    }};

// Classic web pages through the classic reader: identifier from the anchor,
// name from the link text, description up to the line end, no frames.
const ReportX kClassicProtein{
    "html-classic/bt019.html", ReportReader::Classic, 141, 2,
    {
        {0, "sp|P21297|FLBT_CAUCR", "120291", "FLBT PROTEIN", 141, 1,
         {{0, {256, 646, 2e-68, 127, 127, 0, 127, 0, 0, 0, {1, 127, "MPLKLSLKPG", "KLIEYEDERL"},
               {1, 127, "MPLKLSLKPG", "KLIEYEDERL", "SRKLIEYEDERL"}, 127}}}},
        {1, "sp|Q58368|Y958_METJA", "3024946", "HYPOTHETICAL PROTEIN MJ0958 PRECURSOR", 426, 1,
         {{0, {29.3, 64, 3.4, 15, 23, 0, 47, 0, 0, 0,
               ROW(28, 74, "VLVLQNKASVLREKDIMQPDQVTTPARHIYFPVMMMYLDEVGAEKFY"),
               ROW(169, 215, "ILVLINNTNITELKKFEDDDYYTTFQHYIYQPIFIFTTYDSKAKKFY"), 47}}}},
    }};

const ReportX kClassicNoHits{"html-classic/bt020.html", ReportReader::Classic, 624, 0, {}};

// "(CYTOSINE-SPECIFIC ..." precedes "(428 letters)": the letters line counts.
const ReportX kClassicParenthesisedName{"html-classic/bt031.html", ReportReader::Classic, 428,
                                        0, {}};

const ReportX kClassicNucleotide{
    "html-classic/bt024.html", ReportReader::Classic, 285, 4,
    {
        {0, "gb|G26684|G26684", "1348916",
         "human STS STS_D11570. >gi|1375195|gb|G26945|G26945 human STS SHGC-32699.", 285, 1,
         {{0, {517, 261, 1e-146, 285, 0, 0, 285, 0, 0, 0, {1, 285, "GATCCCTACC", "NTGTTATTTC"},
               {1, 285, "GATCCCTACC", "NTGTTATTTC"}, 285}}}},
        {1, "dbj|AU026763.1|AU026763", "4516686",
         "Rattus norvegicus, OTSUKA clone, OT33.16/752f07, microsatellite sequence, sequence "
         "tagged site", 307, 1,
         {{0, {32.2, 16, 1.7, 16, 0, 0, 16, 0, 0, 0, ROW(221, 236, "GGAAAGTTCTTGTAGC"),
               ROW(32, 47, "GGAAAGTTCTTGTAGC"), 16}}}},
        {2, "gb|G55508.1|G55508", "6120827",
         "SHGC-100856 Human Homo sapiens STS genomic, sequence tagged site", 711, 1,
         {{0, {32.2, 16, 1.7, 18, 0, 0, 19, 0, 0, 0, ROW(210, 228, "GAAATNAAAATGGAAAGTT"),
               ROW(588, 606, "GAAATAAAAATGGAAAGTT"), 19}}}},
        {3, "gb|G03725|G03725", "720683", "human STS WI-344.", 246, 1,
         {{0, {32.2, 16, 1.7, 16, 0, 0, 16, 0, 0, 1, ROW(260, 275, "CTCAATAAATGCTAGT"),
               ROW(178, 163, "CTCAATAAATGCTAGT"), 16}}}},
    }};

// A translated search: the classic layout reads no frame (it stays 0).
const ReportX kClassicTranslated{
    "html-classic/bt028.html", ReportReader::Classic, 556, 4,
    {
        {0, "sp|P54103|ZRF1_MOUSE", "1731448", "ZUOTIN RELATED FACTOR-1", 514, 1,
         {{0, {86.6, 211, 3e-17, 41, 44, 0, 47, 0, 0, 0,
               ROW(1, 141, "DLQLLIKAVNLFPAGTNSRWEVIANYMNIHSSSGVKRTAKDVIGKAK"),
               ROW(458, 504, "DLQLLIKAVNLFPAGRNSRWDVIANYMNIHSSSGVKRTAKDVISEVR"), 47}}}},
        {1, "sp|P34454|YMA9_CAEEL", "465911",
         "HYPOTHETICAL 31.6 KD PROTEIN F54F2.9 IN CHROMOSOME III", 275, 1,
         {{0, {41.8, 96, 0.001, 30, 54, 0, 122, 0, 0, 0, {34, 399, "FPAGTNSRWE", "AVAVPGRXKE"},
               {159, 254, "YPAGTPNRWE", "SEEIGSKTKK", "KSED---------------DWSQ"}, 122}}}},
        {2, "sp|Q61712|MTJ1_MOUSE", "2494160", "DNAJ PROTEIN HOMOLOG MTJ1", 552, 2,
         {{1, {31.3, 69, 1.5, 18, 26, 0, 50, 0, 0, 0,
               ROW(1, 150, "DLQLLIKAVNLFPAGTNSRWEVIANYMNIHSSSGVKRTAKDVIGKAKSLQ"),
               ROW(332, 373, "DLSQLTRSMVKFPGGTPGRWDKIAHELG--------RSVTDVTTKAKELK"), 50}}}},
        {3, "sp|P53745|YN8X_YEAST", "1730688",
         "HYPOTHETICAL 68.1 KD PROTEIN IN BIO3-FRE4 INTERGENIC REGION", 580, 1, {}},
    }};

// A query-anchored multiple alignment: the rows against the query carry no
// scores and no pairwise rows, so the hits are those of the summary lines,
// the identifier the gi number of the score's link "#N".
const ReportX kClassicMultipleAlignment{
    "html-classic/bt023.html", ReportReader::Classic, 250, 15,
    {
        {0, "sp|P15394|REPA_AGRTU", "132349", "REPLICATING PROTEIN", 0, 1,
         {{0, SUMMARY(514, 1e-146)}}},
        {1, "sp|P19922|HYIN_BRAJA", "123932", "INDOLEACETAMIDE HYDROLASE (IAH) (INDOL...", 0, 1,
         {{0, SUMMARY(34, 0.29)}}},
        {5, "sp|P51592|HYDP_DROME", "3915729", "HYPERPLASTIC DISCS PROTEIN (HYD PROTEIN)", 0, 1,
         {{0, SUMMARY(31, 3.3)}}},
        {14, "sp|Q01989|MYS9_DROME", "547963", "MYOSIN HEAVY CHAIN 95F (95F MHC)", 0, 1,
         {{0, SUMMARY(29, 9.8)}}},
    },
    std::nullopt, "", true};

// The same layout without summary lines: a hit per database sequence of the
// rows, named by its link and identified by its anchor, nothing more.
const ReportX kClassicQueryAnchoredRowsOnly{
    "html-classic/bt038.html", ReportReader::Classic, 272, 9,
    {
        {0, "P04846", "128372", "", 0, 0, {}},
        {6, "P54594", "1724004", "", 0, 0, {}},
        // First seen below a row of marks, in a later block.
        {7, "P51887", "1706875", "", 0, 0, {}},
        {8, "P42499", "1172496", "", 0, 0, {}},
    },
    std::nullopt, "", true};

// A classic page made without alignments: its summary lines.
const ReportX kClassicDescriptionsOnly{
    "html-classic/bt022.html", ReportReader::Classic, 166, 6,
    {
        {0, "sp|P16153|UTXA_CLODI", "1718062", "UTXA PROTEIN", 0, 1, {{0, SUMMARY(332, 2e-91)}}},
        {5, "sp|Q57881|Y439_METJA", "2496246", "HYPOTHETICAL ATP-BINDING PROTEIN MJ0439", 0, 1,
         {{0, SUMMARY(29, 7.8)}}},
    },
    std::nullopt, "", true};

// A QBlast page through the classic reader, the reader its layout calls for:
// the anchors give identifiers, the link texts names; the extra anchors of
// the page (other database entries of the same hit, anchors on the score
// line) make no hits of their own.
const ReportX kClassicOnQBlastPage{
    "html-qblast/bt070.html", ReportReader::Classic, 87, 1,
    {
        {0, "ref|NP_689464.1|", "22748611", "defensin, beta 106; defensin, beta 6 [Homo sapiens]",
         65, 1,
         {{0, {110, 274, 2e-25, 49, 49, 0, 49, 0, 0, 0,
               ROW(21, 69, "AKNAFFDEKCNKLKGTCKNNCGKNEELIALCQKSLKCCRTIQPCGSIID"),
               ROW(17, 65, "AKNAFFDEKCNKLKGTCKNNCGKNEELIALCQKSLKCCRTIQPCGSIID"), 49}}}},
    }};

// clang-format on

class CorpusValues : public ::testing::TestWithParam<ReportX> {};

TEST_P(CorpusValues, MatchHandWorkedValues) {
  SKIP_WITHOUT_CORPUS();
  const ReportX& want = GetParam();
  const std::string text = ReadWholeFile(CorpusDir() / want.file);

  CBlastSearchEntry entry;
  int progress = -1;
  ASSERT_EQ(ParseReport(want.reader, text, entry, &progress, nullptr), 1);

  // The query is set up from the default object type 1.
  EXPECT_EQ(entry.m_Mol.m_nLength, want.queryLength);
  EXPECT_EQ(entry.m_Mol.m_nType, 1);
  EXPECT_EQ(entry.m_Mol.m_nType2, 0);
  EXPECT_EQ(entry.m_Mol.m_nWord1, 1);
  EXPECT_EQ(entry.m_Mol.m_nWord2, 0);

  ASSERT_EQ(entry.m_Hits.m_HitList.size(), want.hitCount);
  EXPECT_EQ(GetResultInfo(entry, result_info::kRound), want.round);
  for (std::string_view field : {result_info::kAbsentAlignments, result_info::kAbsentHitLength,
                                 result_info::kAbsentRows, result_info::kAbsentRawScore}) {
    EXPECT_EQ(IsFieldAbsent(entry, field), want.withoutAlignments) << field;
  }
  // Progress is stored before each hit and not after the last one.
  EXPECT_EQ(progress,
            want.progress.value_or(want.hitCount == 0 ? 0 : static_cast<int>(want.hitCount) - 1));

  for (const HitX& hitWant : want.hits) {
    SCOPED_TRACE("hit " + std::to_string(hitWant.index));
    const CBlastSearchHit* hit = HitAt(entry, hitWant.index);
    ASSERT_NE(hit, nullptr);
    EXPECT_EQ(hit->m_strName, hitWant.name);
    EXPECT_EQ(hit->m_strID, hitWant.id);
    if (hitWant.description != nullptr) {
      EXPECT_EQ(hit->m_strDescription, hitWant.description);
    }
    EXPECT_EQ(hit->m_nLength, hitWant.length);
    EXPECT_EQ(hit->m_nMolType, 1);
    ASSERT_EQ(hit->m_ElementList.size(), hitWant.elementCount);
    for (const auto& [elementIndex, elementWant] : hitWant.elements) {
      SCOPED_TRACE("element " + std::to_string(elementIndex));
      const CBlastSearchHitElement* element = ElementAt(*hit, elementIndex);
      ASSERT_NE(element, nullptr);
      ExpectElement(*element, elementWant);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Reports, CorpusValues,
    ::testing::Values(kTextBlastn, kTextBlastp, kTextBlastx, kTextTblastn, kTextTblastx,
                      kTextNoSummary, kTextDescriptionsOnly, kTextQueryAnchored, kTextLastRound,
                      kTextLastRoundWithoutAlignments, kTextThreeQueries, kQBlastPage,
                      kQBlastProteinPage, kQBlastNucleotidePage, kQBlastLongPage, kClassicProtein,
                      kClassicNoHits, kClassicParenthesisedName, kClassicNucleotide,
                      kClassicTranslated, kClassicMultipleAlignment, kClassicQueryAnchoredRowsOnly,
                      kClassicDescriptionsOnly, kClassicOnQBlastPage),
    [](const ::testing::TestParamInfo<ReportX>& tested) {
      return TestName(tested.param.reader, tested.param.file);
    });

// Object types reach the query (type 2 also sets the second type word) and
// every hit, through both readers.
TEST(CorpusObjectTypes, ProteinTypesReachQueryAndHits) {
  SKIP_WITHOUT_CORPUS();
  for (const auto& [file, reader] :
       {std::pair{"text/text_2010L_blastp_001.txt", ReportReader::QBlast},
        std::pair{"html-classic/bt019.html", ReportReader::Classic}}) {
    SCOPED_TRACE(file);
    CBlastSearchEntry entry;
    ASSERT_EQ(ParseReport(reader, ReadWholeFile(CorpusDir() / file), entry, nullptr, nullptr, 2, 2),
              1);
    EXPECT_EQ(entry.m_Mol.m_nType, 2);
    EXPECT_EQ(entry.m_Mol.m_nType2, 2);
    EXPECT_EQ(entry.m_Mol.m_nWord1, 1);
    EXPECT_EQ(entry.m_Mol.m_nWord2, 0);
    ASSERT_FALSE(entry.m_Hits.m_HitList.empty());
    for (const auto& hit : entry.m_Hits.m_HitList) EXPECT_EQ(hit->m_nMolType, 2);
  }
}

// A second parse into the same entry appends: the hits of both, in order.
TEST(CorpusAppend, SecondParseAppendsAfterTheFirst) {
  SKIP_WITHOUT_CORPUS();
  const std::string text = ReadWholeFile(CorpusDir() / "text/text_2010L_blastp_001.txt");
  CBlastSearchEntry entry;
  ASSERT_EQ(ParseReport(ReportReader::QBlast, text, entry), 1);
  ASSERT_EQ(ParseReport(ReportReader::QBlast, text, entry), 1);
  ASSERT_EQ(entry.m_Hits.m_HitList.size(), 6u);
  EXPECT_EQ(HitText(*HitAt(entry, 0)), HitText(*HitAt(entry, 3)));
  EXPECT_EQ(HitText(*HitAt(entry, 2)), HitText(*HitAt(entry, 5)));
}

// The layout each corpus file really has, decided by looking at it: the
// legacy plain-text reports have '>' definition lines (QBlast reader), the
// BLAST+ ones are BLAST+ text; classic web pages open hits with "<a name"
// anchors (classic reader), and so do the QBlast service's HTML pages, whose
// definition lines are "><a name = ...>" followed by a link: their anchors
// and links carry the identifier and name, so the classic reader is the one
// that reads them right. Pages without hits go by their query line
// ("<b>Query=</b>" is the classic page's markup).
ReportLayout ExpectedLayout(const std::string& folder) {
  if (folder == "html-classic" || folder == "html-qblast") return ReportLayout::Classic;
  if (folder == "blastplus-text") return ReportLayout::BlastPlusText;
  return ReportLayout::QBlast;  // text
}

const char* LayoutName(ReportLayout layout) { return ReportLayoutName(layout); }

TEST(CorpusLayout, EveryFileIsRecognisedAsItsLayout) {
  SKIP_WITHOUT_CORPUS();
  size_t files = 0;
  for (const std::string folder : {"text", "html-classic", "html-qblast", "blastplus-text"}) {
    for (const auto& path : CorpusFiles(folder)) {
      ++files;
      const std::string page = ReadWholeFile(path);
      const ReportLayout expected =
          IsQueryAnchoredPage(page) ? ReportLayout::QueryAnchored : ExpectedLayout(folder);
      EXPECT_STREQ(LayoutName(RecogniseReportLayout(page)), LayoutName(expected))
          << folder << "/" << path.filename().string();
    }
  }
  EXPECT_EQ(files, 53u + 17u + 5u + 21u);
}

// On NCBI's QBlast pages the QBlast parser and the classic reader give the
// same hits.
TEST(CorpusQBlastPages, BothReadersGiveTheSameHits) {
  SKIP_WITHOUT_CORPUS();
  for (const auto& path : CorpusFiles("html-qblast")) {
    SCOPED_TRACE(path.filename().string());
    const std::string text = ReadWholeFile(path);
    CBlastSearchEntry qblast;
    CBlastSearchEntry classic;
    ASSERT_EQ(ParseReport(ReportReader::QBlast, text, qblast), 1);
    ASSERT_EQ(ParseReport(ReportReader::Classic, text, classic), 1);
    EXPECT_FALSE(qblast.m_Hits.m_HitList.empty());
    EXPECT_EQ(DumpEntry(qblast), DumpEntry(classic));
  }
}

// Pages that hold no report at all.
TEST(CorpusLayout, TextWithoutReportIsUnknown) {
  for (const char* page : {"", "<html><body>Status=WAITING</body></html>",
                           "QBlastInfoBegin\n\tRID = 1234-5678\nQBlastInfoEnd\n"}) {
    EXPECT_EQ(RecogniseReportLayout(page), ReportLayout::Unknown) << page;
  }
}

}  // namespace

}  // namespace blastsearch
