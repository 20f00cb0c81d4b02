#pragma once

#include <memory>

#include "parse/ReportLayout.h"
#include "parse/ResultReader.h"

// A reader of BLAST+ pairwise text (-outfmt 0), or of the same written as
// HTML (-html) when `html`. The source must outlive the reader.
std::unique_ptr<CResultReader> MakeBlastPlusTextReader(CReportSource& source,
                                                       const CResultReadOptions& options,
                                                       bool html);
