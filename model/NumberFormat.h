#pragma once

#include <string>

#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

// The texts of score figures (expect values, bit scores) in one place. Each
// style is the form one kind of output has always had; the outputs differ
// between styles on purpose (a pairwise report's "0.0" against a table's
// "NA" for a value that is not finite, ...), so every caller names its
// style instead of having a formatter of its own.
enum class ENumberStyle {
  // An expect value as the pairwise reports (and the result viewer) write
  // it: "0.0" for 0 and for positives below 1e-180, "2e-37" below 0.001,
  // then "0.004", "0.25", "3.2" and "12".
  kReportExpect,
  // A bit score as the pairwise reports write it: whole bits from 99.95 up
  // ("153"), else one decimal ("48.5").
  kReportBits,
  // An expect value as BLAST+'s tabular output writes it: "NA" when not
  // finite, "0.0" below 1e-180, "3e-150" and "5e-04" below 0.0009, then
  // "0.005", "0.25", "1.6" and "12".
  kTabularExpect,
  // A bit score as BLAST+'s tabular output writes it: "NA" when not finite,
  // "1.234e+04" above 9999, whole bits above 99.9, else one decimal.
  kTabularBits,
  // A bit score in the command line's result texts: one decimal below
  // 99.95 ("45.8"), whole bits below 9999.5 ("467"), else (and when not
  // finite) six significant digits ("1e+300", "inf").
  kSummaryBits,
};

// `value` written in `style`. Never fails; the text is at most a few dozen
// characters.
std::string FormatNumber(double value, ENumberStyle style);

// `value` with `digits` significant digits as printf's "%.*g" writes it:
// trailing zeros dropped, an exponent for large and small values ("2.7e-74",
// "0.25", "1e+300", "nan"); 0 digits are 1, negative ones 6, more than 40
// are 40.
std::string FormatSignificant(double value, int digits = 6);

}  // namespace BLASTSEARCH_EXPORT
