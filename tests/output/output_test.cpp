#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "host/OrvMessageBox.h"
#include "model/BlastSearchEntry.h"
#include "model/NumberFormat.h"
#include "output/CommandMessages.h"
#include "output/ExportFormats.h"
#include "output/PrintableText.h"
#include "output/ProgressBar.h"

namespace blastsearch {

namespace {

TEST(ExportFormats, ExpectValuesAndBitScoresAsBlastWritesThem) {
  const std::vector<std::pair<double, std::string>> expects = {
      {0.0, "0.0"},       {1e-200, "0.0"},      {3e-150, "3e-150"},
      {2.5e-20, "2e-20"}, {0.0005, "5e-04"},    {0.005, "0.005"},
      {0.25, "0.25"},     {1.6, "1.6"},         {12.4, "12"},
      {1234.0, "1234"},   {std::nan(""), "NA"}, {std::numeric_limits<double>::infinity(), "NA"}};
  for (const auto& [value, text] : expects)
    EXPECT_EQ(FormatNumber(value, ENumberStyle::kTabularExpect), text) << value;
  const std::vector<std::pair<double, std::string>> scores = {
      {32.2, "32.2"}, {99.9, "99.9"},         {110.0, "110"},
      {517.4, "517"}, {12345.0, "1.234e+04"}, {std::nan(""), "NA"}};
  for (const auto& [value, text] : scores)
    EXPECT_EQ(FormatNumber(value, ENumberStyle::kTabularBits), text) << value;
}

TEST(ExportFormats, MismatchesAndGapOpeningsAreCountedOnTheRows) {
  struct Case {
    const char* query;
    const char* subject;
    int mismatches;
    int openings;
  };
  const Case cases[] = {
      {"ACGT", "ACGT", 0, 0},
      {"ACGT", "acgA", 1, 0},
      {"AC--GT", "ACTTGA", 1, 1},
      {"A-C-G", "AGCTG", 0, 2},
      {"ACGT-", "-CGTA", 0, 2},
      {"ACG", "ACGTTT", 0, 0},  // unequal rows: common part
      {"", "", 0, 0},
  };
  for (const Case& c : cases) {
    CBlastSearchHitElement element;
    element.m_Query.m_strSeq = c.query;
    element.m_Subject.m_strSeq = c.subject;
    EXPECT_EQ(CountMismatches(element), c.mismatches) << c.query << " " << c.subject;
    EXPECT_EQ(CountGapOpenings(element), c.openings) << c.query << " " << c.subject;
  }
}

// A result built by hand: identifiers from the names' first words, rows
// without gaps in FASTA, 60 residues a line, empty rows skipped.
TEST(ExportFormats, TabularAndFastaOfABuiltResult) {
  CBlastSearchEntry entry;
  entry.m_Mol.m_strName = "  query1 some protein";
  auto hit = std::make_unique<CBlastSearchHit>();
  hit->m_strName = "gi|42|ref|NP_1|";
  hit->m_strID = "42";
  hit->m_strDescription = "a hit\ndescribed";
  auto element = std::make_unique<CBlastSearchHitElement>();
  element->m_Query = CBlastSearchSeqComponent();
  element->m_Query.m_strSeq = std::string(70, 'A') + "--C";
  element->m_Query.m_nStart = 5;
  element->m_Query.m_nEnd = 75;
  element->m_Subject.m_strSeq = std::string(70, 'A') + "GGC";
  element->m_Subject.m_nStart = 100;
  element->m_Subject.m_nEnd = 28;
  element->m_nAlignLength = 73;
  element->m_nIdentities = 71;
  element->m_dExpect = 2e-30;
  element->m_dBitScore = 120.6;
  hit->m_ElementList.push_back(std::move(element));
  hit->m_ElementList.push_back(std::make_unique<CBlastSearchHitElement>());
  entry.m_Hits.m_HitList.push_back(std::move(hit));

  std::ostringstream tsv;
  WriteEntryTabular(entry, tsv);
  EXPECT_EQ(tsv.str(),
            "query1\tgi|42|ref|NP_1|\t97.26\t73\t0\t1\t5\t75\t100\t28\t2e-30\t121\n"
            "query1\tgi|42|ref|NP_1|\t0.00\t0\t0\t0\t0\t0\t0\t0\t0.0\t0.0\n");
  std::ostringstream fasta;
  WriteEntryFasta(entry, fasta);
  EXPECT_EQ(fasta.str(), ">gi|42|ref|NP_1|:100-28 a hit described\n" + std::string(60, 'A') + "\n" +
                             std::string(10, 'A') + "GGC\n");
  // Control characters of a report never reach a FASTA header.
  entry.m_Hits.m_HitList.front()->m_strDescription = "a\thit\x1b]0;title\x07\r\ndescribed";
  std::ostringstream controls;
  WriteEntryFasta(entry, controls);
  EXPECT_EQ(controls.str().substr(0, controls.str().find('\n')),
            ">gi|42|ref|NP_1|:100-28 a hit ]0;title   described");
  entry.m_Mol.m_strID = "Q1";
  std::ostringstream withId;
  WriteEntryTabular(entry, withId);
  EXPECT_EQ(withId.str().substr(0, 3), "Q1\t");
}

TEST(ProgressBar, TextShowsStepsAndKeepsTheEndOfLongNames) {
  EXPECT_EQ(CProgressBar::Text(0, 4, 8, ""), "[        ] 0/4");
  EXPECT_EQ(CProgressBar::Text(2, 4, 8, "a.html"), "[####    ] 2/4 a.html");
  EXPECT_EQ(CProgressBar::Text(9, 4, 8, ""), "[########] 4/4");
  EXPECT_EQ(CProgressBar::Text(0, 0, 4, ""), "[####] 0/0");
  const std::string label = CProgressBar::Text(1, 2, 2, std::string(50, 'x') + "end.txt");
  EXPECT_EQ(label.size(), std::string("[# ] 1/2 ").size() + 40);
  EXPECT_EQ(label.substr(label.size() - 7), "end.txt");
}

// The table's messages: information to standard output, failures to
// standard error, one line each with the file in front; a failure is kept;
// the file dialog is answered once with the path given.
TEST(CommandMessages, RouteTheTablesMessagesAndAnswerTheFileDialog) {
  std::ostringstream out, err;
  {
    CCommandMessages messages(out, err);
    messages.SetPrefix("a.html");
    OrvMessageBox("The item \"x\"\nhas been added to the database", MB_ICONINFORMATION, 0);
    EXPECT_FALSE(messages.Failed());
    OrvMessageBox("Can't read Data File\nWrong format", MB_ICONSTOP, 0);
    EXPECT_TRUE(messages.Failed());
    messages.SetPrefix("");
    OrvMessageBox("careful", MB_ICONEXCLAMATION, 0);
    messages.AnswerFileChoice("/x/a.html");
    std::string path;
    EXPECT_EQ(UserInteraction().ChooseFile(FileDialogRequest{}, path), IDOK);
    EXPECT_EQ(path, "/x/a.html");
    EXPECT_EQ(UserInteraction().ChooseFile(FileDialogRequest{}, path), IDCANCEL);
    std::string text;
    EXPECT_EQ(UserInteraction().PromptText("name", text), IDCANCEL);
  }
  EXPECT_EQ(out.str(), "a.html: The item \"x\" has been added to the database\n");
  EXPECT_EQ(err.str(),
            "blastsearch: a.html: Can't read Data File Wrong format\nblastsearch: careful\n");
}

// The status a command ends with: a failure the table reported through a
// message box fails the command even when the table's own answer was
// success, and so does a command's own failure.
TEST(CommandMessages, StatusFailsOnEveryReportedFailure) {
  const struct {
    const char* what;
    bool shown;      // a message was shown during the command
    unsigned style;  // its style
    bool ok;         // the command's own verdict
    int status;
  } cases[] = {
      {"nothing said, done", false, 0, true, 0},
      {"information, done", true, MB_ICONINFORMATION, true, 0},
      {"a plain message, done", true, MB_OK, true, 0},
      {"a stop message, yet done", true, MB_ICONSTOP, true, 1},
      {"a warning, yet done", true, MB_ICONEXCLAMATION, true, 1},
      {"nothing said, not done", false, 0, false, 1},
      {"information, not done", true, MB_ICONINFORMATION, false, 1},
  };
  for (const auto& c : cases) {
    std::ostringstream out, err;
    CCommandMessages messages(out, err);
    if (c.shown) OrvMessageBox("message", c.style, 0);
    EXPECT_EQ(CommandStatus(c.ok, messages), c.status) << c.what;
  }
}

TEST(PrintableText, EscapesControlCharactersOnly) {
  const std::pair<std::string, std::string> cases[] = {
      {"plain text | 123", "plain text | 123"},
      {"tab\there\r\n", "tab\\x09here\\x0d\\x0a"},
      {"\x1b[31mred\x7f", "\\x1b[31mred\\x7f"},
      {"caf\xc3\xa9 \xd0\x9f", "caf\xc3\xa9 \xd0\x9f"},  // UTF-8 letters, one with a 0x9F byte
      {"\xc2\x9b"
       "2J",
       "\\x9b2J"},  // a C1 control in UTF-8
      {"\x9b"
       "2J \xe9",
       "\\x9b2J \xe9"},  // raw C1, Latin-1 letter
  };
  for (const auto& [text, printable] : cases) EXPECT_EQ(PrintableText(text), printable);
  EXPECT_EQ(FormatNumber(45.8, ENumberStyle::kSummaryBits), "45.8");
  EXPECT_EQ(FormatNumber(467, ENumberStyle::kSummaryBits), "467");
  EXPECT_EQ(FormatNumber(-1e300, ENumberStyle::kSummaryBits), "-1e+300");
}

}  // namespace

}  // namespace blastsearch
