// What the readers keep for writing alignments as the report did: the
// scoring matrix the report names, tblastx's subject frame and the n of
// "Expect(n)" in the older text reports, and every round asked of a report
// that has none.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "model/BlastSearchEntry.h"
#include "model/ResultInfo.h"
#include "parse/ReportLayout.h"
#include "parse/ResultReader.h"
#include "parse/ResultReaders.h"
#include "support/Corpus.h"

namespace blastsearch {

namespace {

std::vector<std::unique_ptr<CBlastSearchEntry>> ReadAll(const std::string& report,
                                                        bool everyRound) {
  CViewReportSource source(report, "report");
  CResultReadOptions options;
  options.bEveryRound = everyRound;
  auto reader = MakeResultReader(RecogniseReportLayout(report), source, options);
  std::vector<std::unique_ptr<CBlastSearchEntry>> results;
  if (!reader) return results;
  for (;;) {
    auto entry = std::make_unique<CBlastSearchEntry>();
    if (reader->ReadNext(*entry) == 0) break;
    results.push_back(std::move(entry));
  }
  return results;
}

const CBlastSearchHitElement& FirstPair(const CBlastSearchEntry& entry) {
  return *entry.m_Hits.m_HitList.front()->m_ElementList.front();
}

TEST(AlignmentFacts, MachineLayoutsKeepTheMatrixTheReportNames) {
  const std::filesystem::path dir =
      std::filesystem::path(BLASTSEARCH_SOURCE_DIR) / "tests" / "data" / "blastplus";
  for (const char* name : {"blastp.xml", "blastp.xml2", "blastp.json", "tblastx.xml"}) {
    SCOPED_TRACE(name);
    const auto results = ReadAll(ReadWholeFile(dir / name), false);
    ASSERT_FALSE(results.empty());
    for (const auto& entry : results) {
      EXPECT_EQ(GetResultInfo(*entry, result_info::kMatrix), "BLOSUM62");
    }
  }
  // A blastn report names no protein matrix that the middle line could use.
  const auto nucleotide = ReadAll(ReadWholeFile(dir / "blastn.xml"), false);
  ASSERT_FALSE(nucleotide.empty());
  EXPECT_NE(GetResultInfo(*nucleotide.front(), result_info::kMatrix), "BLOSUM62");
}

TEST(AlignmentFacts, OlderTextKeepsBothFramesAndExpectCounts) {
  SKIP_WITHOUT_CORPUS();
  struct {
    const char* file;
    int frame, subjectFrame;  // of the first pair
  } cases[] = {
      {"text_2011L_tblastx_001.txt", 2, 2},
      {"text_2010L_tblastx_001.txt", 2, 2},
      {"text_2216L_tblastn_001.txt", 1, 0},
      {"text_2010L_blastp_001.txt", 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    const std::string report = ReadWholeFile(CorpusDir() / "text" / c.file);
    const auto results = ReadAll(report, false);
    ASSERT_EQ(results.size(), 1u);
    const CBlastSearchHitElement& pair = FirstPair(*results.front());
    EXPECT_EQ(pair.m_nFrame, c.frame);
    EXPECT_EQ(GetSubjectFrame(pair), c.subjectFrame);
    // Every "Expect(n)" of the report is kept on its pair, in order.
    std::vector<int> expected;
    for (std::size_t at = report.find("Score ="); at != std::string::npos;
         at = report.find("Score =", at + 1)) {
      const std::size_t line = report.find('\n', at);
      const std::string text = report.substr(at, line - at);
      const std::size_t open = text.find("Expect(");
      expected.push_back(open == std::string::npos ? 0 : std::stoi(text.substr(open + 7)));
    }
    std::vector<int> kept;
    for (const auto& hit : results.front()->m_Hits.m_HitList) {
      for (const auto& element : hit->m_ElementList) kept.push_back(GetExpectCount(*element));
    }
    EXPECT_EQ(kept, expected);
  }
}

TEST(AlignmentFacts, EveryRoundOfAReportWithoutRoundsIsTheReport) {
  SKIP_WITHOUT_CORPUS();
  for (const char* file : {"text_2010L_blastp_001.txt", "text_2011L_blastn_001.txt"}) {
    SCOPED_TRACE(file);
    const std::string report = ReadWholeFile(CorpusDir() / "text" / file);
    const auto once = ReadAll(report, false);
    const auto every = ReadAll(report, true);
    ASSERT_EQ(once.size(), 1u);
    ASSERT_EQ(every.size(), 1u);
    EXPECT_EQ(every.front()->GetHitsCount(), once.front()->GetHitsCount());
    EXPECT_GT(every.front()->GetHitsCount(), 0);
  }
}

TEST(AlignmentFacts, OlderReportsKeepTheirProgramLineApart) {
  SKIP_WITHOUT_CORPUS();
  const std::pair<const char*, const char*> cases[] = {
      {"text/text_2216L_tblastn_001.txt", "TBLASTN 2.2.16"},
      {"text/text_2010L_blastp_001.txt", "BLASTP 2.0.10"},
      {"html-classic/bt019.html", "BLASTP 2.0.10"},
  };
  for (const auto& [file, line] : cases) {
    SCOPED_TRACE(file);
    const auto results = ReadAll(ReadWholeFile(CorpusDir() / file), false);
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(GetResultInfo(*results.front(), result_info::kOlderVersion), line);
    EXPECT_EQ(GetResultInfo(*results.front(), result_info::kVersion), "");
  }
}

}  // namespace

}  // namespace blastsearch
