// What the displays of a result (readable report, summary, JSON, tabular
// and FASTA exports) make of what its reader said: where it came from, the
// fields its layout did not carry, Expect(n) and a second frame.

#include <gtest/gtest.h>

#include <memory>
#include <nlohmann/json.hpp>
#include <sstream>

#include "app/EntryReport.h"
#include "model/BlastSearchEntry.h"
#include "model/ResultInfo.h"
#include "output/EntryJson.h"
#include "output/ExportFormats.h"

namespace blastsearch {

namespace {

using Json = nlohmann::json;

// A result of one hit with one segment pair whose rows are `rows` (may be
// empty), with the info keys and absent fields given.
std::unique_ptr<CBlastSearchEntry> Result(
    const std::vector<std::pair<std::string, std::string>>& info,
    const std::vector<std::string>& absent, const std::string& rows) {
  auto entry = std::make_unique<CBlastSearchEntry>();
  entry->m_Mol.m_strName = "query_n1 a query";
  entry->m_Mol.m_nLength = 300;
  auto hit = std::make_unique<CBlastSearchHit>();
  hit->m_strName = "gb|AB1.1|";
  hit->m_strDescription = "a hit";
  hit->m_nLength = 500;
  auto element = std::make_unique<CBlastSearchHitElement>();
  element->m_dBitScore = 50.5;
  element->m_nScore = 107;
  element->m_dExpect = 1e-10;
  element->m_nAlignLength = 20;
  element->m_nIdentities = 15;
  element->m_nPositives = 17;
  element->m_nGaps = 2;
  element->m_nFrame = 2;
  element->m_Query.m_strSeq = rows;
  element->m_Subject.m_strSeq = rows;
  hit->m_ElementList.push_back(std::move(element));
  entry->m_Hits.m_HitList.push_back(std::move(hit));
  for (const auto& [key, value] : info) SetResultInfo(*entry, key, value);
  for (const auto& name : absent) MarkFieldAbsent(*entry, name);
  return entry;
}

CBlastSearchHitElement& OnlyElement(CBlastSearchEntry& entry) {
  return *entry.m_Hits.m_HitList.front()->m_ElementList.front();
}

TEST(EntryDisplay, ReadableReportAndSummary) {
  namespace info = result_info;
  struct {
    const char* name;
    std::unique_ptr<CBlastSearchEntry> entry;
    int expectCount, subjectFrame;
    std::vector<std::string> present, missing;
    std::string summary;
  } cases[] = {
      {"older reader: only its layout",
       Result({{std::string(info::kLayout), "BLAST text report"}}, {}, "ACGTACGTAC"),
       0,
       0,
       {"Query: query_n1 a query  (300 letters)\n1 hit\n",
        "Score = 50.5 bits (107), Expect = 1e-10",
        "Identities = 15/20, Positives = 17/20, Gaps = 2/20", "Frame = +2\n", "    Query  ACGT"},
       {"Layout:", "Program:", "Expect("},
       "hits=1 elements=1 query_length=300\n"},
      {"tblastx from XML with both frames and Expect(n)",
       Result({{std::string(info::kLayout), "BLAST+ XML"},
               {std::string(info::kProgram), "tblastx"},
               {std::string(info::kDatabase), "nt"},
               {std::string(info::kRound), "2"}},
              {}, "ACGTACGTAC"),
       3,
       -1,
       {"Program: tblastx  Database: nt  Round: 2  Layout: BLAST+ XML\n", "Expect(3) = 1e-10",
        "Frame = +2/-1\n"},
       {"Partial"},
       "hits=1 elements=1 query_length=300\n"},
      {"tabular without lengths, rows, raw scores, gaps, frames",
       Result({{std::string(info::kLayout), "BLAST+ tabular"},
               {std::string(info::kProgram), "blastp"},
               {std::string(info::kPartial), "the last line is cut off"}},
              {std::string(info::kAbsentQueryLength), std::string(info::kAbsentHitLength),
               std::string(info::kAbsentRows), std::string(info::kAbsentRawScore),
               std::string(info::kAbsentGaps), std::string(info::kAbsentPositives),
               std::string(info::kAbsentFrames), std::string(info::kAbsentDescription)},
              ""),
       0,
       0,
       {"Query: query_n1 a query  (- residues)\n", "Partial: the report is cut off (the last line",
        "Score = 50.5 bits (-)", "Identities = 15/20, Positives = -, Gaps = -\n",
        "  Length = -   Link:", ">gb|AB1.1| -\n", "(no aligned rows in this layout)"},
       {"Frame =", "a hit"},
       "hits=1 elements=1 query_length=- partial\n"},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.name);
    SetExpectCount(OnlyElement(*c.entry), c.expectCount);
    SetSubjectFrame(OnlyElement(*c.entry), c.subjectFrame);
    std::ostringstream report, summary;
    WriteEntryReport(*c.entry, report);
    WriteEntrySummary(*c.entry, summary);
    for (const auto& text : c.present)
      EXPECT_NE(report.str().find(text), std::string::npos) << text << "\nin:\n" << report.str();
    for (const auto& text : c.missing)
      EXPECT_EQ(report.str().find(text), std::string::npos) << text << "\nin:\n" << report.str();
    EXPECT_EQ(summary.str(), c.summary);
  }
}

TEST(EntryDisplay, JsonNullsWhatTheLayoutDidNotCarry) {
  namespace info = result_info;
  auto older = Result({{std::string(info::kLayout), "classic web page"}}, {}, "MKV");
  const Json plain = Json::parse(EntryToJson(*older));
  EXPECT_FALSE(plain.contains("format"));
  EXPECT_EQ(plain["query"]["length"], 300);
  EXPECT_EQ(plain["hits"][0]["elements"][0]["score"], 107);
  EXPECT_FALSE(plain["hits"][0]["elements"][0].contains("expect_count"));

  auto tabular = Result({{std::string(info::kLayout), "BLAST+ tabular"},
                         {std::string(info::kProgram), "blastx"},
                         {std::string(info::kQueryNumber), "2"}},
                        {std::string(info::kAbsentQueryLength), std::string(info::kAbsentRows),
                         std::string(info::kAbsentRawScore)},
                        "");
  SetExpectCount(OnlyElement(*tabular), 2);
  SetSubjectFrame(OnlyElement(*tabular), -3);
  const Json json = Json::parse(EntryToJson(*tabular));
  EXPECT_EQ(json["format"],
            Json::parse(R"({"layout":"BLAST+ tabular","program":"blastx","query":2})"));
  EXPECT_TRUE(json["query"]["length"].is_null());
  EXPECT_EQ(json["query"]["type"], 1);        // blastx: nucleotide query,
  EXPECT_EQ(json["hits"][0]["mol_type"], 2);  // protein subjects
  const Json& element = json["hits"][0]["elements"][0];
  EXPECT_TRUE(element["score"].is_null());
  EXPECT_TRUE(element["query"]["seq"].is_null());
  EXPECT_EQ(element["identities"], 15);
  EXPECT_EQ(element["expect_count"], 2);
  EXPECT_EQ(element["subject_frame"], -3);
}

TEST(EntryDisplay, ExportsUseWhatExists) {
  namespace info = result_info;
  const std::string kRows = "MKVLAAGIVG";
  struct {
    const char* name;
    std::vector<std::string> absent;
    std::string rows;
    std::string tsvColumns;  // pident, length, mismatch, gapopen
    bool fasta;
  } const cases[] = {
      {"rows", {}, kRows, "75.00\t20\t0\t0", true},
      {"no rows", {std::string(info::kAbsentRows)}, "", "75.00\t20\t3\tNA", false},
      {"no rows, no gaps",
       {std::string(info::kAbsentRows), std::string(info::kAbsentGaps)},
       "",
       "75.00\t20\tNA\tNA",
       false},
      {"no identities",
       {std::string(info::kAbsentRows), std::string(info::kAbsentIdentities)},
       "",
       "NA\t20\tNA\tNA",
       false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto entry = Result({{std::string(info::kProgram), "blastp"}}, c.absent, c.rows);
    std::ostringstream tsv, fasta;
    WriteEntryTabular(*entry, tsv);
    EXPECT_NE(tsv.str().find("\tgb|AB1.1|\t" + c.tsvColumns + "\t"), std::string::npos)
        << tsv.str();
    EXPECT_EQ(WriteEntryFasta(*entry, fasta), c.fasta);
    EXPECT_EQ(fasta.str().empty(), !c.fasta);
  }
}

// The readable report's middle line is BLAST's: '|' for bases, letters and
// '+' for residues, as the program implies.
TEST(EntryDisplay, ReadableReportWritesTheMiddleLineAsBlastDoes) {
  namespace info = result_info;
  struct {
    const char* program;
    const char *query, *subject, *midline;
  } const cases[] = {
      {"blastn", "ACGTACGTAC", "ACGAACGTAC", "||| ||||||"},
      {"blastp", "MKVLIAGWKR", "MKVIIADWKR", "MKV+IA WKR"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.program);
    auto entry = Result({{std::string(info::kProgram), c.program}}, {}, c.query);
    OnlyElement(*entry).m_Subject.m_strSeq = c.subject;
    OnlyElement(*entry).m_nFrame = 0;
    std::ostringstream report;
    WriteEntryReport(*entry, report);
    EXPECT_NE(report.str().find(std::string("    Query  ") + c.query + "\n           " + c.midline +
                                "\n    Sbjct  " + c.subject + "\n"),
              std::string::npos)
        << report.str();
  }
}

}  // namespace

}  // namespace blastsearch
