#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "model/NumberFormat.h"

namespace blastsearch {

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

struct CExpectCase {
  double value;
  const char* report;   // kReportExpect
  const char* tabular;  // kTabularExpect
};

// Expect values across the ranges, with the rounding edges where the two
// styles part: the tabular form keeps the exponent only below 0.0009 and
// writes "NA" for what is not finite.
TEST(NumberFormat, ExpectValuesInEachStyle) {
  const CExpectCase cases[] = {
      {0.0, "0.0", "0.0"},
      {5e-324, "0.0", "0.0"},
      {1e-181, "0.0", "0.0"},
      {1e-180, "1e-180", "1e-180"},
      {2.5e-180, "3e-180", "3e-180"},
      {1.5e-100, "2e-100", "2e-100"},
      {1e-99, "1e-99", "1e-99"},
      {3.4e-5, "3e-05", "3e-05"},
      {5e-4, "5e-04", "5e-04"},
      {8.9e-4, "9e-04", "9e-04"},
      {9.5e-4, "9e-04", "0.001"},
      {0.001, "0.001", "0.001"},
      {0.0999, "0.100", "0.100"},
      {0.1, "0.10", "0.10"},
      {0.995, "0.99", "0.99"},
      {1.0, "1.0", "1.0"},
      {9.95, "9.9", "9.9"},
      {9.96, "10.0", "10.0"},
      {10.0, "10", "10"},
      {12.5, "12", "12"},
      {13.5, "14", "14"},
      {1e20, "100000000000000000000", "100000000000000000000"},
      {-1.0, "-1e+00", "0.0"},
  };
  for (const CExpectCase& c : cases) {
    EXPECT_EQ(FormatNumber(c.value, ENumberStyle::kReportExpect), c.report) << c.value;
    EXPECT_EQ(FormatNumber(c.value, ENumberStyle::kTabularExpect), c.tabular) << c.value;
  }
  for (double odd : {std::nan(""), kInf, -kInf}) {
    EXPECT_EQ(FormatNumber(odd, ENumberStyle::kTabularExpect), "NA") << odd;
  }
}

struct CBitsCase {
  double value;
  const char* report;   // kReportBits
  const char* tabular;  // kTabularBits
  const char* summary;  // kSummaryBits
};

TEST(NumberFormat, BitScoresInEachStyle) {
  const CBitsCase cases[] = {
      {0.0, "0.0", "0.0", "0.0"},
      {19.6, "19.6", "19.6", "19.6"},
      {48.46, "48.5", "48.5", "48.5"},
      {99.9, "99.9", "99.9", "99.9"},
      {99.94, "99.9", "100", "99.9"},
      {99.95, "100", "100", "100"},
      {100.5, "100", "100", "100"},
      {101.5, "102", "102", "102"},
      {517.4, "517", "517", "517"},
      {9999.0, "9999", "9999", "9999"},
      {9999.4, "9999", "9.999e+03", "9999"},
      {9999.5, "10000", "1.000e+04", "9999.5"},
      {12345.0, "12345", "1.234e+04", "12345"},
      {-150.2, "-150.2", "-150.2", "-150"},
      {1e300, "-", "1.000e+300", "1e+300"},
  };
  for (const CBitsCase& c : cases) {
    if (std::fabs(c.value) < 1e20) {
      EXPECT_EQ(FormatNumber(c.value, ENumberStyle::kReportBits), c.report) << c.value;
    }
    EXPECT_EQ(FormatNumber(c.value, ENumberStyle::kTabularBits), c.tabular) << c.value;
    EXPECT_EQ(FormatNumber(c.value, ENumberStyle::kSummaryBits), c.summary) << c.value;
  }
  EXPECT_EQ(FormatNumber(std::nan(""), ENumberStyle::kTabularBits), "NA");
  EXPECT_EQ(FormatNumber(kInf, ENumberStyle::kSummaryBits), "inf");
  EXPECT_EQ(FormatNumber(-kInf, ENumberStyle::kSummaryBits), "-inf");
}

// Fixed-point forms of huge values are written whole, never cut at a
// buffer's end.
TEST(NumberFormat, HugeValuesAreNotCut) {
  for (ENumberStyle style :
       {ENumberStyle::kReportExpect, ENumberStyle::kTabularExpect, ENumberStyle::kReportBits}) {
    const std::string text = FormatNumber(1e100, style);
    EXPECT_EQ(text.size(), 101u);
    EXPECT_EQ(text.substr(0, 17), "10000000000000000");
    EXPECT_EQ(FormatNumber(std::numeric_limits<double>::max(), style).size(), 309u);
  }
}

TEST(NumberFormat, SignificantDigits) {
  const struct {
    double value;
    int digits;
    const char* text;
  } cases[] = {
      {2.68e-74, 6, "2.68e-74"},   {2.68e-74, 2, "2.7e-74"},
      {0.000123, 3, "0.000123"},   {0.25, 6, "0.25"},
      {1234567, 6, "1.23457e+06"}, {0, 3, "0"},
      {1e300, 6, "1e+300"},        {3.14159, 0, "3"},
      {3.14159, -1, "3.14159"},    {1.0 / 3, 99, "0.3333333333333333148296162562473909929395"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FormatSignificant(c.value, c.digits), c.text) << c.value << " " << c.digits;
  }
  EXPECT_EQ(FormatSignificant(std::nan("")), "nan");
}

}  // namespace

}  // namespace blastsearch
