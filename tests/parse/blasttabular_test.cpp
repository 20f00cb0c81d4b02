#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "model/ResultInfo.h"
#include "parse/BlastJsonReader.h"
#include "parse/BlastTabularReader.h"
#include "parse/MachineReports.h"
#include "support/EntryDump.h"

namespace blastsearch {

namespace {

ReaderFactory Tabular(ReportLayout layout) {
  return [layout](CReportSource& source, const CResultReadOptions& options) {
    return MakeBlastTabularReader(source, options, layout);
  };
}
const ReaderFactory kJson = [](CReportSource& source, const CResultReadOptions& options) {
  return MakeBlastJsonReader(source, options);
};

ReportLayout LayoutOfFile(const std::string& file) {
  if (file.ends_with(".tab7")) return ReportLayout::CommentedTabular;
  return file.ends_with(".csv") ? ReportLayout::Csv : ReportLayout::Tabular;
}

// Checks every field of `got` that its layout carries against the JSON
// reading of the same search; printed numbers are rounded.
void ExpectAgrees(const CBlastSearchEntry& got, const CBlastSearchEntry& want) {
  using namespace result_info;
  auto absent = [&](std::string_view field) { return IsFieldAbsent(got, field); };
  EXPECT_EQ(got.m_Mol.m_strID, want.m_Mol.m_strID);
  if (!absent(kAbsentQueryLength)) {
    EXPECT_EQ(got.m_Mol.m_nLength, want.m_Mol.m_nLength);
  }
  ASSERT_EQ(got.GetHitsCount(), want.GetHitsCount()) << DumpEntry(got);
  auto wantHit = want.m_Hits.m_HitList.begin();
  for (const auto& hit : got.m_Hits.m_HitList) {
    const CBlastSearchHit& w = **wantHit++;
    SCOPED_TRACE(hit->m_strName);
    EXPECT_EQ(hit->m_strName, w.m_strName);
    EXPECT_EQ(hit->m_strID, w.m_strID);
    if (!GetResultInfo(got, kProgram).empty()) {
      EXPECT_EQ(hit->m_nMolType, w.m_nMolType);
    }
    if (!absent(kAbsentHitLength)) {
      EXPECT_EQ(hit->m_nLength, w.m_nLength);
    }
    if (!absent(kAbsentDescription)) {
      EXPECT_EQ(hit->m_strDescription, w.m_strDescription);
    }
    ASSERT_EQ(hit->m_ElementList.size(), w.m_ElementList.size());
    auto wantElement = w.m_ElementList.begin();
    for (const auto& e : hit->m_ElementList) {
      const CBlastSearchHitElement& x = **wantElement++;
      EXPECT_NEAR(e->m_dBitScore, x.m_dBitScore, 1.0 + x.m_dBitScore * 0.001);
      EXPECT_NEAR(e->m_dExpect, x.m_dExpect, x.m_dExpect * 0.01);
      if (!absent(kAbsentRawScore)) {
        EXPECT_EQ(e->m_nScore, x.m_nScore);
      }
      if (!absent(kAbsentIdentities)) {
        EXPECT_EQ(e->m_nIdentities, x.m_nIdentities);
      }
      if (!absent(kAbsentPositives)) {
        EXPECT_EQ(e->m_nPositives, x.m_nPositives);
      }
      if (!absent(kAbsentGaps)) {
        EXPECT_EQ(e->m_nGaps, x.m_nGaps);
      }
      EXPECT_EQ(e->m_nAlignLength, x.m_nAlignLength);
      if (!absent(kAbsentFrames)) {
        EXPECT_EQ(e->m_nFrame, x.m_nFrame);
        EXPECT_EQ(GetSubjectFrame(*e), GetSubjectFrame(x));
      }
      for (auto [row, xrow] : {std::pair{&e->m_Query, &x.m_Query}, {&e->m_Subject, &x.m_Subject}}) {
        EXPECT_EQ(row->m_nStart, xrow->m_nStart);
        EXPECT_EQ(row->m_nEnd, xrow->m_nEnd);
        EXPECT_EQ(row->m_bMinusStrand, xrow->m_bMinusStrand);
        EXPECT_EQ(row->m_nLength, xrow->m_nLength);
        if (!absent(kAbsentRows)) {
          EXPECT_EQ(row->m_strSeq, xrow->m_strSeq);
        }
      }
    }
  }
}

struct AgreeCase {
  const char* file;
  const char* json;
  const char* columns;  // for the layouts without comment lines
  const char* program;
  const char* absent;  // the fields marked absent in every result
};

TEST(BlastTabularReader, AgreesWithTheJsonOfTheSameSearchOnEveryFieldItCarries) {
  const char* kStd = "query_length,hit_length,description,rows,raw_score,positives";
  const AgreeCase cases[] = {
      {"blastn.tab7", "blastn.json", "", "", kStd},
      {"megablast.tab7", "megablast.json", "", "", kStd},
      {"blastp.tab7", "blastp.json", "", "", kStd},
      {"blastx.tab7", "blastx.json", "", "",
       "query_length,hit_length,description,rows,raw_score,positives,frames"},
      {"tblastn.tab7", "tblastn.json", "", "",
       "query_length,hit_length,description,rows,raw_score,positives,frames"},
      {"tblastx.tab7", "tblastx.json", "", "",
       "query_length,hit_length,description,rows,raw_score,positives,frames"},
      {"psiblast.tab7", "psiblast.json", "", "", kStd},
      {"blastn.tsv", "blastn.json", "", "blastn", kStd},
      {"blastp.tsv", "blastp.json", "", "blastp", kStd},
      {"blastx.tsv", "blastx.json", "", "",
       "query_length,hit_length,description,rows,raw_score,positives,frames"},
      {"tblastn.csv", "tblastn.json", "", "tblastn",
       "query_length,hit_length,description,rows,raw_score,positives,frames"},
      {"psiblast.csv", "psiblast.json", "", "psiblast", kStd},
      {"megablast.csv", "megablast.json", "std", "blastn", kStd},
      {"blastp_columns.tab7", "blastp.json", "", "", "raw_score"},
      {"tblastx_columns.tsv", "tblastx.json",
       "qseqid sseqid evalue bitscore score length nident positive gaps frames qstart qend sstart "
       "send sseq qseq",
       "tblastx", "query_length,hit_length,description"},
      {"blastn_titles.csv", "blastn.json",
       "qaccver saccver stitle evalue bitscore score nident length qlen slen sstrand qstart qend "
       "sstart send",
       "blastn", "rows,positives,gaps"},
  };
  for (const AgreeCase& c : cases) {
    SCOPED_TRACE(c.file);
    CResultReadOptions options;
    options.strTabularColumns = c.columns;
    options.strTabularProgram = c.program;
    const ReadOutcome got =
        ReadAllResults(Tabular(LayoutOfFile(c.file)), BlastPlusFile(c.file), options);
    const ReadOutcome want = ReadAllResults(kJson, BlastPlusFile(c.json));
    ASSERT_EQ(got.strError, "");
    // Without comment lines a query without hits leaves no line at all.
    const std::size_t results =
        want.results.size() - (LayoutOfFile(c.file) == ReportLayout::CommentedTabular ? 0 : 1);
    ASSERT_EQ(got.results.size(), results);
    for (std::size_t i = 0; i < results; ++i) {
      SCOPED_TRACE(i);
      // A query without hits has no line to give its length.
      std::string absent = c.absent;
      if (want.results[i]->IsEmpty() && !absent.starts_with("query_length"))
        absent = "query_length," + absent;
      EXPECT_EQ(GetResultInfo(*got.results[i], result_info::kAbsent), absent);
      EXPECT_EQ(GetResultInfo(*got.results[i], result_info::kQueryNumber), std::to_string(i + 1));
      EXPECT_EQ(GetResultInfo(*got.results[i], result_info::kRound),
                GetResultInfo(*want.results[i], result_info::kRound));
      EXPECT_EQ(GetResultInfo(*got.results[i], result_info::kPartial), "");
      ExpectAgrees(*got.results[i], *want.results[i]);
    }
  }
}

TEST(BlastTabularReader, CommentLinesNameProgramQueryDatabaseAndRounds) {
  CResultReadOptions every;
  every.bEveryRound = true;
  const ReadOutcome rounds = ReadAllResults(Tabular(ReportLayout::CommentedTabular),
                                            BlastPlusFile("psiblast.tab7"), every);
  ASSERT_EQ(rounds.strError, "");
  const char* expected[][3] = {
      {"1", "1", "5"}, {"1", "2", "5"}, {"2", "1", "10"}, {"2", "2", "10"}, {"3", "1", "0"}};
  ASSERT_EQ(rounds.results.size(), 5u);
  for (std::size_t i = 0; i < 5; ++i) {
    const CBlastSearchEntry& entry = *rounds.results[i];
    EXPECT_EQ(GetResultInfo(entry, result_info::kQueryNumber), expected[i][0]) << i;
    EXPECT_EQ(GetResultInfo(entry, result_info::kRound), expected[i][1]) << i;
    EXPECT_EQ(std::to_string(entry.GetHitsCount()), expected[i][2]) << i;
    EXPECT_EQ(GetResultInfo(entry, result_info::kProgram), "psiblast");
    EXPECT_EQ(GetResultInfo(entry, result_info::kVersion), "PSIBLAST 2.12.0+");
    EXPECT_EQ(GetResultInfo(entry, result_info::kDatabase), "/tmp/tmp.etO4gczZa5/protdb");
  }
  EXPECT_EQ(rounds.results[4]->m_Mol.m_strName, "query_p3 random, no hits");
  // Without comment lines PSI-BLAST's rounds show as a subject coming back.
  CResultReadOptions tsv = every;
  tsv.strTabularProgram = "psiblast";
  const ReadOutcome plain =
      ReadAllResults(Tabular(ReportLayout::Tabular), BlastPlusFile("psiblast.tsv"), tsv);
  ASSERT_EQ(plain.results.size(), 4u);
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(GetResultInfo(*plain.results[i], result_info::kRound), i % 2 ? "2" : "1");
    EXPECT_EQ(DumpEntry(*plain.results[i]).substr(DumpEntry(*plain.results[i]).find('\n')),
              DumpEntry(*rounds.results[i]).substr(DumpEntry(*rounds.results[i]).find('\n')));
  }
}

TEST(BlastTabularReader, CutOffAtEveryPercentGivesWholeResultsThenAPartialOneOrAnError) {
  for (const std::string file : {"psiblast.tab7", "tblastx.tsv", "blastp_columns.tab7"}) {
    const std::string whole = BlastPlusFile(file);
    const ReaderFactory make = Tabular(LayoutOfFile(file));
    const ReadOutcome full = ReadAllResults(make, whole);
    ASSERT_EQ(full.strError, "");
    for (int percent = 1; percent < 100; ++percent) {
      SCOPED_TRACE(file + " cut at " + std::to_string(percent) + "%");
      const ReadOutcome cut = ReadAllResults(make, whole.substr(0, whole.size() * percent / 100));
      ASSERT_LE(cut.results.size(), full.results.size());
      // A cut at a line end of a layout without comment lines is not seen.
      const bool seen = file.ends_with(".tab7") || whole[whole.size() * percent / 100 - 1] != '\n';
      EXPECT_TRUE(!seen || !cut.strError.empty() ||
                  (!cut.results.empty() &&
                   !GetResultInfo(*cut.results.back(), result_info::kPartial).empty()));
      for (std::size_t i = 0; i + 1 < cut.results.size(); ++i)
        EXPECT_EQ(DumpEntry(*cut.results[i]), DumpEntry(*full.results[i])) << i;
    }
  }
}

struct DamageCase {
  const char* name;
  ReportLayout layout;
  const char* columns;
  std::string bytes;
  const char* message;
};

TEST(BlastTabularReader, RefusesDamagedLinesNamingTheLine) {
  const std::string line = "q1\tP1\t80.000\t10\t2\t0\t1\t10\t1\t10\t1e-5\t30.2\n";
  const DamageCase cases[] = {
      {"too few values", ReportLayout::Tabular, "", line + "q1\tP2\t80\n",
       "line 2: 3 values where the columns are 12"},
      {"not a number", ReportLayout::Tabular, "",
       line + "q1\tP2\t80.000\t10\t2\t0\t1\t10\t1\t10\tx\t30\n",
       "line 2: the evalue value 'x' is not a number"},
      {"unknown column", ReportLayout::Tabular, "qseqid sfoo", line,
       "unknown tabular column 'sfoo'"},
      {"unclosed quote", ReportLayout::Csv, "qseqid sseqid stitle", "q1,P1,\"open\n",
       "line 1: a quoted value is not closed"},
      {"values before comments", ReportLayout::CommentedTabular, "", line,
       "line 1: a line of values before"},
      {"no comments at all", ReportLayout::CommentedTabular, "", "",
       "not commented tabular output"},
      {"bad frames", ReportLayout::Tabular, "qseqid sseqid frames", "q\ts\t1-1\n",
       "the frames value '1-1'"},
      {"one frame", ReportLayout::Tabular, "qseqid sseqid frames", "q\ts\t1\n",
       "the frames value '1'"},
  };
  for (const DamageCase& c : cases) {
    SCOPED_TRACE(c.name);
    CResultReadOptions options;
    options.strTabularColumns = c.columns;
    const ReadOutcome read = ReadAllResults(Tabular(c.layout), c.bytes, options);
    EXPECT_NE(read.strError.find(c.message), std::string::npos) << read.strError;
  }
}

struct ValueCase {
  const char* name;
  ReportLayout layout;
  const char* columns;
  const char* bytes;
  const char* hit;  // the dump's hit line
};

TEST(BlastTabularReader, ValuesAsWrittenQuotedOrNotGiven) {
  const ValueCase cases[] = {
      {"quoted title", ReportLayout::Csv, "qseqid sseqid stitle slen", "q,P1,\"a, \"\"b\"\"\",12\n",
       "hit id=P1 name=P1 length=12 type=1 desc=a, \"b\""},
      {"unquoted title with commas", ReportLayout::Csv, "qseqid sseqid stitle slen",
       "q,P1,a, b, c,12\n", "hit id=P1 name=P1 length=12 type=1 desc=a, b, c"},
      {"other delimiter", ReportLayout::Tabular, "delim=@ qseqid sseqid stitle", "q@gb|X1.1|@t t\n",
       "hit id=X1.1 name=X1.1 length=0 type=1 desc=t t"},
      {"N/A length", ReportLayout::Tabular, "qseqid sseqid slen", "q\tP1\tN/A\r\n",
       "hit id=P1 name=P1 length=0 type=1 desc="},
  };
  for (const ValueCase& c : cases) {
    SCOPED_TRACE(c.name);
    CResultReadOptions options;
    options.strTabularColumns = c.columns;
    const ReadOutcome read = ReadAllResults(Tabular(c.layout), c.bytes, options);
    ASSERT_EQ(read.results.size(), 1u) << read.strError;
    const std::string dump = DumpEntry(*read.results[0]);
    const std::size_t at = dump.find("hit ");
    EXPECT_EQ(dump.substr(at, dump.find('\n', at) - at), c.hit);
  }
}

struct CountCase {
  const char* percent;
  int length;
  int count;  // -1: not fixed by the printed digits
};

TEST(BlastTabularReader, IdentitiesComeFromPercentOnlyWhenThePrintedDigitsFixThem) {
  const CountCase cases[] = {
      {"81.646", 158, 129}, {"100.000", 672, 672}, {"33.3", 9, 3},          {"33", 90, 30},
      {"33", 100, -1},      {"33", 1000, -1},      {"81.646", 1000000, -1}, {"81.600", 158, -1},
      {"2.8e106", 10, -1},  {"-50.0", 2, -1},
  };
  for (const CountCase& c : cases) {
    SCOPED_TRACE(std::string(c.percent) + " of " + std::to_string(c.length));
    CResultReadOptions options;
    options.strTabularColumns = "qseqid sseqid pident length";
    const std::string bytes =
        std::string("q\ts\t") + c.percent + "\t" + std::to_string(c.length) + "\n";
    const ReadOutcome read = ReadAllResults(Tabular(ReportLayout::Tabular), bytes, options);
    ASSERT_EQ(read.results.size(), 1u) << read.strError;
    const CBlastSearchEntry& entry = *read.results[0];
    EXPECT_EQ(IsFieldAbsent(entry, result_info::kAbsentIdentities), c.count < 0);
    if (c.count >= 0) {
      EXPECT_EQ(entry.m_Hits.m_HitList.front()->m_ElementList.front()->m_nIdentities, c.count);
    }
  }
}

TEST(BlastTabularReader, AnEndlessLineStopsAtTheLineBound) {
  for (ReportLayout layout : {ReportLayout::Tabular, ReportLayout::CommentedTabular}) {
    CEndlessSource source("# BLASTP 2.12.0+\nq\t", 'A');
    const ReadOutcome read = ReadAllResults(Tabular(layout), source);
    EXPECT_NE(read.strError.find("line 2 is longer than 67108864 bytes"), std::string::npos)
        << read.strError;
    EXPECT_LE(source.m_nGiven, (std::size_t{64} << 20) + (std::size_t{2} << 20));
  }
}

}  // namespace

}  // namespace blastsearch
