#pragma once

#include <memory>

#include "parse/ReportLayout.h"
#include "parse/ResultReader.h"

// A reader of BLAST+ tabular output: `layout` is Tabular (-outfmt 6, the
// default twelve columns), CommentedTabular (-outfmt 7, columns named by its
// "# Fields:" lines) or Csv (-outfmt 10). The source must outlive the reader.
std::unique_ptr<CResultReader> MakeBlastTabularReader(CReportSource& source,
                                                      const CResultReadOptions& options,
                                                      ReportLayout layout);
