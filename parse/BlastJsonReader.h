#pragma once

#include <memory>

#include "parse/ReportLayout.h"
#include "parse/ResultReader.h"

// A reader of BLAST+ single-file JSON (-outfmt 15). The source must outlive
// the reader.
std::unique_ptr<CResultReader> MakeBlastJsonReader(CReportSource& source,
                                                   const CResultReadOptions& options);
