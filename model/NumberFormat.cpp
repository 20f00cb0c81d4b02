#include "model/NumberFormat.h"

#include <cmath>
#include <cstddef>
#include <cstdio>

namespace blastsearch {

namespace {

// printf of one number into a string, without the blanks that a field width
// puts in front (BLAST's formats carry widths; its outputs are trimmed). The
// text is never cut: "%.0f" of a large value takes up to 309 digits.
std::string Printf(const char* format, double value) {
  char text[64];
  const int length = std::snprintf(text, sizeof text, format, value);
  std::string result;
  if (length < 0) return result;
  if (static_cast<std::size_t>(length) < sizeof text) {
    result.assign(text, static_cast<std::size_t>(length));
  } else {
    result.resize(static_cast<std::size_t>(length));
    std::snprintf(result.data(), result.size() + 1, format, value);
  }
  result.erase(0, result.find_first_not_of(' '));
  return result;
}

std::string ReportExpect(double expect) {
  if (expect == 0.0 || (expect > 0.0 && expect < 1e-180)) return "0.0";
  if (expect < 0.001) return Printf("%.0e", expect);  // "2e-37", "3e-05"
  if (expect < 0.1) return Printf("%.3f", expect);
  if (expect < 1.0) return Printf("%.2f", expect);
  if (expect < 10.0) return Printf("%.1f", expect);
  return Printf("%.0f", expect);
}

std::string ReportBits(double bits) { return Printf(bits >= 99.95 ? "%.0f" : "%.1f", bits); }

std::string TabularExpect(double expect) {
  if (!std::isfinite(expect)) return "NA";
  if (expect < 1.0e-180) return "0.0";
  if (expect < 1.0e-99) return Printf("%2.0le", expect);
  if (expect < 0.0009) return Printf("%3.0le", expect);
  if (expect < 0.1) return Printf("%4.3lf", expect);
  if (expect < 1.0) return Printf("%3.2lf", expect);
  if (expect < 10.0) return Printf("%2.1lf", expect);
  return Printf("%5.0lf", expect);
}

std::string TabularBits(double bits) {
  if (!std::isfinite(bits)) return "NA";
  if (bits > 9999.0) return Printf("%4.3le", bits);
  if (bits > 99.9) return Printf("%4.0lf", bits);
  return Printf("%4.1lf", bits);
}

std::string SummaryBits(double bits) {
  const double size = std::fabs(bits);
  if (!std::isfinite(bits) || size >= 9999.5) return FormatSignificant(bits);
  return Printf(size >= 99.95 ? "%.0f" : "%.1f", bits);
}

}  // namespace

std::string FormatNumber(double value, ENumberStyle style) {
  switch (style) {
    case ENumberStyle::kReportExpect:
      return ReportExpect(value);
    case ENumberStyle::kReportBits:
      return ReportBits(value);
    case ENumberStyle::kTabularExpect:
      return TabularExpect(value);
    case ENumberStyle::kTabularBits:
      return TabularBits(value);
    case ENumberStyle::kSummaryBits:
      return SummaryBits(value);
  }
  return FormatSignificant(value);
}

std::string FormatSignificant(double value, int digits) {
  char text[64];  // "%.*g" is at most a sign, the digits and "e-308"
  if (digits > 40) digits = 40;
  std::snprintf(text, sizeof text, "%.*g", digits, value);
  return text;
}

}  // namespace blastsearch
