#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

// The rounds of a PSI-BLAST report: each "Results from round N" line opens
// the round's summary and alignments, which run to the next round's line,
// the next query's "Query=" line, the closing statistics ("Database: ...")
// or the report's end. The report's other text (query, database,
// statistics) belongs to no round.

// One round: its number and the offsets of its text, [nBegin, nEnd).
struct CReportRound {
  int nNumber = 0;
  std::size_t nBegin = 0;
  std::size_t nEnd = 0;
  bool bLastOfQuery = false;  // no further round of the same query follows
};

// The rounds of `report` in report order; empty for a report without
// rounds. Linear in the report's length.
std::vector<CReportRound> FindReportRounds(std::string_view report);

// The highest round number of `report`, 0 without rounds: the rounds a
// caller may ask for one at a time are 1 to this number.
int CountReportRounds(std::string_view report);

// The round choice of the readers: kLastRound keeps the last round of each
// query (the one a person acts on); N > 0 keeps round N of each query.
inline constexpr int kLastRound = 0;

// `report` without the text of the rounds not chosen by `nRound`; `nChosen`
// becomes the number of the round kept (the last kept where queries differ),
// or 0 when no round was kept (a report without rounds, or no round N).
// Returns the text to read.
std::string KeepReportRound(std::string_view report, int nRound, int& nChosen);

}  // namespace BLASTSEARCH_EXPORT
