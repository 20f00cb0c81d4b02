// Small inputs that once cost time or memory growing with the square of
// their size, shrunk from what hostile files did: each must parse well within
// the watchdog's limit, and the rows of the result must hold no more than a
// small multiple of the input.

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "model/BlastSearchEntry.h"
#include "support/ReportParse.h"

namespace blastsearch {

namespace {

constexpr std::size_t kKilobyte = 1024;

// `head`, then `piece` repeated until the text holds `bytes`, then `tail`.
std::string Repeated(const std::string& head, const std::string& piece, std::size_t bytes,
                     const std::string& tail = "") {
  std::string text = head;
  while (text.size() < bytes) text += piece;
  return text + tail;
}

const std::string kQBlastHead =
    "Query= q\n         (5 letters)\n\nSequences producing significant alignments:\n\n"
    ">gi|1|a b\n          Length = 5\n\n";
const std::string kClassicHead =
    "<b>Query=</b> q\n         (5 letters)\n\n<a name = 1></a><a href=x>n</a> d\n"
    "          Length = 5\n\n";
const std::string kSummaryHead =
    "Query= q\n         (5 letters)\n\nSequences producing significant alignments:\n\n";
const std::string kFooter = "\n  Database: x\n";
const std::string kScoreLine = " Score = 1 bits (1), Expect = 1\n\n";
// An alignment whose identities line announces two thousand million columns.
const std::string kHugeCount =
    " Score = 1 bits (1), Expect = 1\n Identities = 2000000000/2000000000 (100%)\n\n"
    "Query: 1 A 1\nSbjct: 1 A 1\n\n";

TEST(LinearCost, HostileInputsParseInLinearTimeAndBoundedMemory) {
  struct {
    const char* name;
    ReportReader reader;
    std::string text;
  } const cases[] = {
      {"query rows of numbers on a line without line break", ReportReader::QBlast,
       Repeated(kQBlastHead + kScoreLine, "Query: 1 99999 Sbjct: 1 A 1 ", 256 * kKilobyte)},
      {"alignments announcing huge identities counts", ReportReader::QBlast,
       Repeated(kQBlastHead, kHugeCount, 256 * kKilobyte)},
      {"alignments announcing huge identities counts, classic page", ReportReader::Classic,
       Repeated(kClassicHead, kHugeCount, 256 * kKilobyte)},
      // The one blank comes after a long run of text at the end.
      {"definition lines without a blank", ReportReader::QBlast,
       Repeated(kQBlastHead, ">gi|1|\n", 280 * kKilobyte,
                "\n" + std::string(8192 * kKilobyte, 'x') + " ")},
      {"an HTML definition line of many tags and unclosed '<'", ReportReader::QBlast,
       Repeated(Repeated("Query= q\n\n><b>", "<i> ", 512 * kKilobyte), "<a", 1024 * kKilobyte,
                "\n Length = 5\n\n" + kScoreLine)},
      {"rows without a line break", ReportReader::QBlast,
       Repeated(kQBlastHead + kScoreLine, "Query: 1 A 1 Sbjct: 1 A 1 ", 4096 * kKilobyte)},
      {"a summary table of many lines", ReportReader::QBlast,
       Repeated(kSummaryHead, "gi|1|a d   50  1e-10\n", 4096 * kKilobyte, kFooter)},
      {"many summary tables, one complete", ReportReader::QBlast,
       Repeated(kSummaryHead + "gi|1|a d   50  1e-10\n" + kFooter,
                "Sequences producing significant alignments:\ngi|1|a d   50  1e-10\n",
                4096 * kKilobyte)},
      {"many rounds, the last with a summary", ReportReader::QBlast,
       Repeated("Query= q\n", "Results from round 1\nx\n", 4096 * kKilobyte,
                "Results from round 2\n" + kSummaryHead + "gi|1|a d   50  1e-10\n" + kFooter)},
      {"many database rows laid out against the query", ReportReader::Classic,
       Repeated("<b>Query=</b> q\n\nQUERY 1 ACGT 4\n",
                "<a name = 1></a><a href=x>P1</a> 1 ACGT 4\n", 4096 * kKilobyte)},
      {"anchored rows with many tags", ReportReader::QBlast,
       Repeated("Query= q\n\nQUERY 1 ACGT 4\n1 1 A 4\n", "2 1 " + std::string(4000, '<') + " 4\n",
                4096 * kKilobyte)},
  };
  CParseWatchdog watchdog(std::chrono::seconds(3));
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    CBlastSearchEntry entry;
    ASSERT_EQ(ParseReport(c.reader, c.text, entry, nullptr, watchdog.Arm()), 1);
    EXPECT_FALSE(watchdog.Disarm()) << "the parse ran into the time limit";
    EXPECT_FALSE(entry.m_Hits.m_HitList.empty());
    std::size_t rows = 0;
    std::size_t elements = 0;
    for (const auto& hit : entry.m_Hits.m_HitList) {
      for (const auto& element : hit->m_ElementList) {
        rows += element->m_Query.m_strSeq.capacity() + element->m_Subject.m_strSeq.capacity();
        ++elements;
      }
    }
    EXPECT_LE(rows, 4 * c.text.size() + 32 * elements);
  }
}

}  // namespace

}  // namespace blastsearch
