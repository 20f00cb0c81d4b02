#include <gtest/gtest.h>

#include <filesystem>

#include "app/AppTest.h"
#include "support/Corpus.h"

namespace blastsearch {

namespace {

namespace fs = std::filesystem;

TEST(BlastsearchCommandLine, HelpVersionAndUsageErrors) {
  CommandRun help = Blastsearch({"--help"});
  EXPECT_EQ(help.status, kExitOk);
  EXPECT_NE(help.out.find("parse"), std::string::npos);
  CommandRun parseHelp = Blastsearch({"parse", "--help"});
  EXPECT_EQ(parseHelp.status, kExitOk);
  for (const char* option :
       {"--reader", "--json", "--summary", "--save", "--save-partial", "--max-input", "130"}) {
    EXPECT_NE(parseHelp.out.find(option), std::string::npos) << option;
  }
  EXPECT_EQ(Blastsearch({"--version"}).status, kExitOk);
  EXPECT_EQ(Blastsearch({"--no-such-option"}).status, kExitUsage);
  EXPECT_EQ(Blastsearch({"parse"}).status, kExitUsage);
  EXPECT_EQ(Blastsearch({"parse", "x", "--reader", "bogus"}).status, kExitUsage);
  EXPECT_EQ(Blastsearch({"parse", "x", "--json", "--summary"}).status, kExitUsage);
  EXPECT_EQ(Blastsearch({"parse", "x", "--save", ""}).status, kExitUsage);
  EXPECT_EQ(Blastsearch({"parse", "x", "--save-partial"}).status, kExitUsage);
  EXPECT_EQ(Blastsearch({"parse", "x", "--max-input", "lots"}).status, kExitUsage);
}

TEST(BlastsearchParse, FilesThatCannotBeReadGiveOneLineNamingTheFile) {
  TempDir dir;
  CommandRun missing = Blastsearch({"parse", dir.Path("missing.txt").string()});
  EXPECT_EQ(missing.status, kExitUsage);
  EXPECT_NE(missing.err.find("missing.txt"), std::string::npos);
  EXPECT_EQ(Lines(missing.err), 1);

  CommandRun directory = Blastsearch({"parse", dir.Path("").string()});
  EXPECT_EQ(directory.status, kExitUsage);

  fs::path junk = dir.File("junk.txt", "nothing of interest here\n");
  CommandRun unrecognised = Blastsearch({"parse", junk.string()});
  EXPECT_EQ(unrecognised.status, kExitFailed);
  EXPECT_NE(unrecognised.err.find("junk.txt"), std::string::npos);
  EXPECT_EQ(Lines(unrecognised.err), 1);

  fs::path empty = dir.File("empty.txt", "");
  EXPECT_EQ(Blastsearch({"parse", empty.string()}).status, kExitFailed);
}

// Every corpus report parses, saves as a transfer file, and reads back to the
// same JSON document; store -> load -> store gives the same bytes.
TEST(BlastsearchParse, EveryCorpusReportRoundTripsThroughTransferFiles) {
  SKIP_WITHOUT_CORPUS();
  TempDir dir;
  int parsed = 0;
  for (const char* folder : {"text", "html-classic", "html-qblast", "blastplus-text"}) {
    for (const fs::path& report : CorpusFiles(folder)) {
      SCOPED_TRACE(report.string());
      fs::path saved = dir.Path("saved.bqt");
      CommandRun first =
          Blastsearch({"parse", report.string(), "--json", "--save", saved.string()});
      if (first.status == kExitFailed) continue;  // nothing recognisable in it
      ASSERT_EQ(first.status, kExitOk) << first.err;
      ++parsed;
      CommandRun again = Blastsearch(
          {"parse", saved.string(), "--json", "--save", dir.Path("again.bqt").string()});
      ASSERT_EQ(again.status, kExitOk) << again.err;
      EXPECT_EQ(again.out, first.out);
      EXPECT_EQ(ReadWholeFile(dir.Path("again.bqt")), ReadWholeFile(saved));
    }
  }
  EXPECT_GE(parsed, 75);
}

TEST(BlastsearchParse, SummaryAndReadableReport) {
  SKIP_WITHOUT_CORPUS();
  fs::path report = CorpusDir() / "text" / "text_2010L_blastp_003.txt";
  CommandRun summary = Blastsearch({"parse", report.string(), "--summary"});
  ASSERT_EQ(summary.status, kExitOk) << summary.err;
  EXPECT_EQ(summary.out.rfind("hits=", 0), 0u);
  EXPECT_NE(summary.out.find(" elements="), std::string::npos);
  EXPECT_EQ(Lines(summary.out), 1);

  CommandRun readable = Blastsearch({"parse", report.string()});
  ASSERT_EQ(readable.status, kExitOk) << readable.err;
  EXPECT_NE(readable.out.find("Query: "), std::string::npos);
  EXPECT_NE(readable.out.find("Sbjct  "), std::string::npos);
  // Hits link to their records at NCBI (a legacy blastp report: protein).
  EXPECT_NE(readable.out.find("Link: https://www.ncbi.nlm.nih.gov/protein/"), std::string::npos);
}

TEST(BlastsearchParse, DamagedTransferFilesFailWithOneLineAndNoCrash) {
  SKIP_WITHOUT_CORPUS();
  TempDir dir;
  fs::path report = CorpusDir() / "text" / "text_2010L_blastn_001.txt";
  fs::path saved = dir.Path("good.bqt");
  ASSERT_EQ(Blastsearch({"parse", report.string(), "--summary", "--save", saved.string()}).status,
            kExitOk);
  std::string bytes = ReadWholeFile(saved);
  for (std::size_t cut : {bytes.size() / 2, bytes.size() - 1, std::size_t{40}}) {
    fs::path damaged = dir.File("cut.bqt", bytes.substr(0, cut));
    CommandRun run = Blastsearch({"parse", damaged.string(), "--json"});
    EXPECT_EQ(run.status, kExitFailed) << "cut at " << cut;
    EXPECT_NE(run.err.find("cut.bqt"), std::string::npos);
    EXPECT_EQ(Lines(run.err), 1) << run.err;
  }
}

}  // namespace

}  // namespace blastsearch
