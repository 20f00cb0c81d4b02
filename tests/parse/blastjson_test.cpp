#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/ResultInfo.h"
#include "parse/BlastJsonReader.h"
#include "parse/BlastPlusNames.h"
#include "parse/MachineReports.h"
#include "support/EntryDump.h"

namespace blastsearch {

namespace {

const ReaderFactory kJson = [](CReportSource& source, const CResultReadOptions& options) {
  return MakeBlastJsonReader(source, options);
};

// The dump's lines of the first hit and its first segment pair, rows cut to
// their first 12 residues.
std::string FirstHitDump(const CBlastSearchEntry& entry) {
  std::string dump = DumpEntry(entry), out;
  std::size_t at = dump.find("\nhit ");
  for (int line = 0; line < 4 && at != std::string::npos; ++line) {
    const std::size_t end = dump.find('\n', at + 1);
    std::string text = dump.substr(at + 1, end - at - 1);
    if (line >= 2) text = text.substr(0, text.rfind(' ') + 13);
    out += text + "\n";
    at = end;
  }
  return out;
}

struct FirstHitCase {
  const char* file;
  std::size_t result;
  const char* dump;
};

TEST(BlastJsonReader, FirstHitOfEachProgramAsTheReportSaysIt) {
  const FirstHitCase cases[] = {
      {"blastp.json", 0,
       "hit id=P00000 name=P00000 length=159 type=2 desc=family 0 member 0 protein of a generated "
       "organism with a long definition line that wraps\n"
       "  element bits=254.988 score=650 expect=1.07353e-91 ident=129 pos=133 gaps=3 align=158 "
       "frame=0\n"
       "    query 5-159 length=158 minus=0 extra=0 FFFRLDATYWMF\n"
       "    sbjct 2-159 length=158 minus=0 extra=0 FFMLLDADYWMF\n"},
      {"blastn.json", 1,
       "hit id=AB40001.1 name=AB40001.1 length=657 type=1 desc=family 4 member 1 gene, complete "
       "cds\n"
       "  element bits=668.533 score=740 expect=0 ident=388 pos=0 gaps=0 align=400 frame=0\n"
       "    query 1-400 length=400 minus=0 extra=0 AGTGCCTACGAT\n"
       "    sbjct 400-1 length=400 minus=1 extra=0 AGTGCCTACGAT\n"},
      {"blastx.json", 1,
       "hit id=P10001 name=P10001 length=181 type=2 desc=family 1 member 1 protein of a generated "
       "organism with a long definition line that wraps\n"
       "  element bits=349.362 score=895 expect=1.9405e-127 ident=165 pos=169 gaps=0 align=181 "
       "frame=-1\n"
       "    query 603-61 length=181 minus=1 extra=0 MMKMDSPCCDFM\n"
       "    sbjct 1-181 length=181 minus=0 extra=0 MMKMDLPCCDFM\n"},
      {"tblastn.json", 0,
       "hit id=AB00000.1 name=AB00000.1 length=627 type=1 desc=family 0 member 0 gene, complete "
       "cds\n"
       "  element bits=255.758 score=652 expect=3.56364e-91 ident=129 pos=133 gaps=3 align=158 "
       "frame=1\n"
       "    query 5-159 length=158 minus=0 extra=0 FFFRLDATYWMF\n"},
      {"tblastx.json", 1,
       "hit id=AB40001.1 name=AB40001.1 length=657 type=1 desc=family 4 member 1 gene, complete "
       "cds\n"
       "  element bits=302.11 score=653 expect=1.622e-85 ident=124 pos=125 gaps=0 align=132 "
       "frame=3\n"
       "    query 3-398 length=132 minus=0 extra=0 CLR*HII*SGQV\n"
       "    sbjct 398-3 length=132 minus=1 extra=-2 CLR*HIM*SGQV\n"},
  };
  for (const FirstHitCase& c : cases) {
    SCOPED_TRACE(c.file);
    ReadOutcome read = ReadAllResults(kJson, BlastPlusFile(c.file));
    ASSERT_EQ(read.strError, "");
    ASSERT_GT(read.results.size(), c.result);
    const std::string dump = FirstHitDump(*read.results[c.result]);
    EXPECT_EQ(dump.substr(0, std::string(c.dump).size()), c.dump);
  }
}

struct ResultsCase {
  const char* file;
  bool bEveryRound;
  // per result: hits, segment pairs, query length, round ("" = none), query number
  std::vector<std::vector<int>> counts;
  std::vector<const char*> rounds;
};

TEST(BlastJsonReader, ReadsOneResultPerQueryOrPerRound) {
  const ResultsCase cases[] = {
      {"blastn.json", false, {{5, 5, 669, 1}, {4, 4, 400, 2}, {0, 0, 150, 3}}, {"", "", ""}},
      {"megablast.json", false, {{1, 1, 669, 1}, {1, 1, 400, 2}, {0, 0, 150, 3}}, {"", "", ""}},
      {"blastp.json", false, {{5, 5, 159, 1}, {10, 10, 220, 2}, {0, 0, 90, 3}}, {"", "", ""}},
      {"blastx.json", false, {{5, 5, 543, 1}, {5, 5, 693, 2}, {0, 0, 240, 3}}, {"", "", ""}},
      {"tblastn.json", false, {{5, 5, 159, 1}, {10, 10, 220, 2}, {0, 0, 90, 3}}, {"", "", ""}},
      {"tblastx.json", false, {{5, 59, 669, 1}, {5, 31, 400, 2}, {0, 0, 150, 3}}, {"", "", ""}},
      {"psiblast.json", false, {{5, 5, 159, 1}, {10, 10, 220, 2}, {0, 0, 90, 3}}, {"2", "2", "1"}},
      {"psiblast.json",
       true,
       {{5, 5, 159, 1}, {5, 5, 159, 1}, {10, 10, 220, 2}, {10, 10, 220, 2}, {0, 0, 90, 3}},
       {"1", "2", "1", "2", "1"}},
  };
  for (const ResultsCase& c : cases) {
    SCOPED_TRACE(std::string(c.file) + (c.bEveryRound ? " every round" : ""));
    CResultReadOptions options;
    options.bEveryRound = c.bEveryRound;
    ReadOutcome read = ReadAllResults(kJson, BlastPlusFile(c.file), options);
    ASSERT_EQ(read.strError, "");
    ASSERT_EQ(read.results.size(), c.counts.size());
    for (std::size_t i = 0; i < c.counts.size(); ++i) {
      const CBlastSearchEntry& entry = *read.results[i];
      int elements = 0;
      for (const auto& hit : entry.m_Hits.m_HitList)
        elements += static_cast<int>(hit->m_ElementList.size());
      EXPECT_EQ(entry.GetHitsCount(), c.counts[i][0]) << i;
      EXPECT_EQ(elements, c.counts[i][1]) << i;
      EXPECT_EQ(entry.m_Mol.m_nLength, c.counts[i][2]) << i;
      EXPECT_EQ(GetResultInfo(entry, result_info::kQueryNumber), std::to_string(c.counts[i][3]));
      EXPECT_EQ(GetResultInfo(entry, result_info::kRound), c.rounds[i]) << i;
      EXPECT_EQ(GetResultInfo(entry, result_info::kPartial), "") << i;
      EXPECT_EQ(GetResultInfo(entry, result_info::kLayout),
                ReportLayoutName(ReportLayout::BlastJson));
    }
  }
}

TEST(BlastJsonReader, QueryAndReportInfoAsTheTextShowsThem) {
  ReadOutcome read = ReadAllResults(kJson, BlastPlusFile("blastx.json"));
  ASSERT_EQ(read.results.size(), 3u);
  const CBlastSearchEntry& first = *read.results[0];
  EXPECT_EQ(first.m_Mol.m_strID, "query_x1");
  EXPECT_EQ(first.m_Mol.m_strName.substr(0, 9), "query_x1 ");
  EXPECT_EQ(first.m_Mol.m_nType, 1);  // nucleotide query
  EXPECT_EQ(first.m_Hits.m_HitList.front()->m_nMolType, 2);
  EXPECT_EQ(GetResultInfo(first, result_info::kProgram), "blastx");
  EXPECT_EQ(GetResultInfo(first, result_info::kVersion), "BLASTX 2.12.0+");
  EXPECT_NE(GetResultInfo(first, result_info::kDatabase).find("protdb"), std::string::npos);
  // blastn carries no positives: marked unknown, not shown as 0.
  ReadOutcome blastn = ReadAllResults(kJson, BlastPlusFile("blastn.json"));
  ASSERT_FALSE(blastn.results.empty());
  EXPECT_TRUE(IsFieldAbsent(*blastn.results[0], result_info::kAbsentPositives));
  EXPECT_FALSE(IsFieldAbsent(first, result_info::kAbsentPositives));
}

TEST(BlastJsonReader, CutOffAtEveryPercentGivesWholeResultsThenAPartialOneOrAnError) {
  for (const char* file : {"blastp.json", "psiblast.json", "tblastx.json"}) {
    const std::string whole = BlastPlusFile(file);
    CResultReadOptions options;
    options.bEveryRound = true;
    const ReadOutcome full = ReadAllResults(kJson, whole, options);
    ASSERT_EQ(full.strError, "");
    for (int percent = 0; percent < 100; ++percent) {
      SCOPED_TRACE(std::string(file) + " cut at " + std::to_string(percent) + "%");
      const ReadOutcome cut =
          ReadAllResults(kJson, whole.substr(0, whole.size() * percent / 100), options);
      EXPECT_TRUE(!cut.strError.empty() ||
                  (!cut.results.empty() &&
                   !GetResultInfo(*cut.results.back(), result_info::kPartial).empty()));
      ASSERT_LE(cut.results.size(), full.results.size());
      for (std::size_t i = 0; i < cut.results.size(); ++i) {
        const bool partial = !GetResultInfo(*cut.results[i], result_info::kPartial).empty();
        EXPECT_EQ(partial, i + 1 == cut.results.size() && cut.strError.empty()) << i;
        if (!partial)
          EXPECT_EQ(DumpEntry(*cut.results[i]), DumpEntry(*full.results[i])) << i;
        else
          EXPECT_LE(cut.results[i]->GetHitsCount(), full.results[i]->GetHitsCount());
      }
    }
  }
}

struct DamageCase {
  const char* name;
  std::string bytes;
  const char* message;  // a piece of the CReportError's message
};

TEST(BlastJsonReader, RefusesDamagedReportsNamingWhatWasWrong) {
  const std::string head = "{\"BlastOutput2\": [";
  const std::string hsp =
      "{\"bit_score\": 1, \"score\": 2, \"evalue\": 0.1, \"query_from\": 1, \"query_to\": 3, "
      "\"hit_from\": 1, \"hit_to\": 3, \"align_len\": 3, \"qseq\": \"ACG\", \"hseq\": \"ACG\"";
  const std::string search =
      "{\"report\": {\"program\": \"blastn\", \"results\": {\"search\": {\"query_id\": \"q\", "
      "\"query_len\": 3, \"hits\": [{\"description\": [{\"id\": \"s\"}], \"len\": 3, \"hsps\": [";
  const DamageCase cases[] = {
      {"not JSON", "Query= nothing", "not BLAST+ single-file JSON"},
      {"other key", "{\"BlastOutput\": [", "not BLAST+ single-file JSON"},
      {"unclosed list", head + search + hsp + "}]}]}}}}", "before its list of reports is closed"},
      {"garbage between", head + search + hsp + "}]}]}}}} x", "between reports"},
      {"missing field", head + search + "{\"score\": 2}]}]}}}}]}", "\"bit_score\" is missing"},
      {"text for number", head + search + hsp + ", \"identity\": \"x\"}]}]}}}}]}",
       "segment pair 1: \"identity\" is not a whole number"},
      {"unmatched bracket", head + "{\"a\": [}]}", "unmatched"},
      {"bad value", head + "{\"a\": tru}]}", "damaged JSON"},
      {"no results", head + "{\"report\": {}}]}", "has no \"results\""},
      {"deep nesting", head + "{\"a\": " + std::string(70, '[') + std::string(70, ']') + "}]}",
       "nesting deeper than 64"},
  };
  for (const DamageCase& c : cases) {
    SCOPED_TRACE(c.name);
    const ReadOutcome read = ReadAllResults(kJson, c.bytes);
    EXPECT_NE(read.strError.find(c.message), std::string::npos) << read.strError;
  }
  // The well-formed version of the same report reads.
  const ReadOutcome good = ReadAllResults(kJson, head + search + hsp + "}]}]}}}}]}");
  EXPECT_EQ(good.strError, "");
  ASSERT_EQ(good.results.size(), 1u);
  EXPECT_EQ(good.results[0]->m_Mol.m_strName, "q");
}

TEST(BlastJsonReader, AnEndlessReportStopsAtTheSizeBound) {
  CEndlessSource source("{\"BlastOutput2\": [{\"report\": \"", 'A');
  CResultReadOptions options;
  options.nMaxWholeReport = std::uint64_t{4} << 20;
  const ReadOutcome read = ReadAllResults(kJson, source, options);
  EXPECT_NE(read.strError.find("larger than 4194304 bytes"), std::string::npos) << read.strError;
  EXPECT_LE(source.m_nGiven, (std::size_t{4} << 20) + (std::size_t{2} << 20));
}

}  // namespace

namespace {

struct NameCase {
  const char* id;
  const char* title;
  const char* name;    // query: the "Query=" line; hit: the name shown
  const char* linkId;  // hit only
  const char* description;
};

TEST(BlastPlusNames, NamesAsTheTextShowsThem) {
  const NameCase queries[] = {
      {"Query_1", "query_p1 family 0", "query_p1 family 0", "", ""},
      {"lcl|Query_12", "q12 def", "q12 def", "", ""},
      {"Query_1", "", "Query_1", "", ""},
      {"sp|P1|N", "a protein", "sp|P1|N a protein", "", ""},
      {"Query_x", "t", "Query_x t", "", ""},
  };
  for (const NameCase& c : queries) EXPECT_EQ(QueryNameOfIdAndTitle(c.id, c.title), c.name);
  const NameCase hits[] = {
      {"sp|P00000|FAM0_M0", "family 0", "P00000", "P00000", "family 0"},
      {"gb|AB30001.1|", "gene, cds", "AB30001.1", "AB30001.1", "gene, cds"},
      {"gi|123|gb|AB1.2|", "t", "AB1.2", "123", "t"},
      {"gnl|BL_ORD_ID|7", "seq7 the rest of it", "seq7", "seq7", "the rest of it"},
      {"P00000", "", "P00000", "P00000", ""},
  };
  for (const NameCase& c : hits) {
    CBlastSearchHit hit;
    SetHitNames(hit, c.id, c.title);
    EXPECT_EQ(hit.m_strName, c.name) << c.id;
    EXPECT_EQ(hit.m_strID, c.linkId) << c.id;
    EXPECT_EQ(hit.m_strDescription, c.description) << c.id;
  }
}

}  // namespace

}  // namespace blastsearch
