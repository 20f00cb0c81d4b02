// The query's name as a report's "Query=" line gives it.

#include "parse/ReportName.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(ReportName, TakesTheQueryLineWithoutTags) {
  EXPECT_EQ(QueryNameOfReport("BLASTP 2.0\n\nQuery= gi|1234|sp|P1  some protein\n (45 letters)"),
            "gi|1234|sp|P1 some protein");
  EXPECT_EQ(QueryNameOfReport("<b>Query=</b>  gi|99 thing\r\n"), "gi|99 thing");
  EXPECT_EQ(QueryNameOfReport("no query here"), "");
  EXPECT_EQ(QueryNameOfReport("Query=\n"), "");
  // "Query=" inside other text is not a query line.
  EXPECT_EQ(QueryNameOfReport("x Query= no\nQuery= yes\n"), "yes");
  EXPECT_EQ(QueryNameOfReport("Query= " + std::string(1000, 'A')).size(), 256u);
  // Lines that end in a bare CR, as old Macintosh reports have them.
  EXPECT_EQ(QueryNameOfReport("BLASTN 2.0\rx Query= no\rQuery= yes\r"), "yes");
}

// A line of a million bytes made of "Query=" and never a query line: each
// "Query=" once looked back to its line's start, which made this take hours.
TEST(ReportName, ManyQueryMarkersOnOneLineAreReadInLinearTime) {
  std::string report = "x";
  for (int i = 0; i < 200000; ++i) report += "Query=";
  EXPECT_EQ(QueryNameOfReport(report + "\nQuery= late"), "late");
}

}  // namespace
