#include "parse/ReportRounds.h"

#include <algorithm>

#include "parse/FindText.h"
#include "parse/ReportWalk.h"

namespace blastsearch {

namespace {

constexpr std::string_view kRoundLine = "Results from round";

// The round number of a line that opens a round, else 0.
int RoundOfLine(std::string_view line) {
  while (!line.empty() && line.front() == ' ') line.remove_prefix(1);
  if (!line.starts_with(kRoundLine)) return 0;
  line.remove_prefix(kRoundLine.size());
  while (!line.empty() && line.front() == ' ') line.remove_prefix(1);
  if (line.empty() || line.front() < '0' || line.front() > '9') return 0;
  return std::max(CleanNumber(line.substr(0, line.find(' '))), 0);
}

// `line` without the blanks and HTML tags that open it.
std::string_view WithoutOpening(std::string_view line) {
  for (;;) {
    while (!line.empty() && line.front() == ' ') line.remove_prefix(1);
    if (line.empty() || line.front() != '<') return line;
    const std::size_t close = line.find('>');
    if (close == std::string_view::npos) return line;
    line.remove_prefix(close + 1);
  }
}

// True for a line that opens a query's report.
bool IsQueryLine(std::string_view line) { return WithoutOpening(line).starts_with("Query="); }

// True for the first line of a report's closing statistics, which follow
// the last round.
bool IsStatisticsLine(std::string_view line) {
  return WithoutOpening(line).starts_with("Database:");
}

}  // namespace

std::vector<CReportRound> FindReportRounds(std::string_view report) {
  std::vector<CReportRound> rounds;
  if (FindText(report.data(), report.data() + report.size(), kRoundLine) == nullptr) return rounds;
  bool open = false;           // the last round's text still runs
  std::size_t queryFirst = 0;  // the first round of the current query
  for (std::size_t at = 0; at < report.size();) {
    const std::size_t end = LineBreakAt(report, at);
    const std::string_view line = report.substr(at, end - at);
    const int number = RoundOfLine(line);
    const bool query = number == 0 && IsQueryLine(line);
    if (open && (number > 0 || query || IsStatisticsLine(line))) {
      rounds.back().nEnd = at;
      open = false;
    }
    if (query) queryFirst = rounds.size();
    if (number > 0) {
      if (rounds.size() > queryFirst) rounds.back().bLastOfQuery = false;
      rounds.push_back({number, at, report.size(), true});
      open = true;
    }
    at = end + 1;
  }
  return rounds;
}

int CountReportRounds(std::string_view report) {
  int highest = 0;
  for (const CReportRound& round : FindReportRounds(report))
    highest = std::max(highest, round.nNumber);
  return highest;
}

std::string KeepReportRound(std::string_view report, int nRound, int& nChosen) {
  nChosen = 0;
  std::string kept;
  std::size_t from = 0;
  for (const CReportRound& round : FindReportRounds(report)) {
    const bool keep = nRound == kLastRound ? round.bLastOfQuery : round.nNumber == nRound;
    if (keep) {
      nChosen = round.nNumber;
      continue;
    }
    kept.append(report.substr(from, round.nBegin - from));
    from = round.nEnd;
  }
  kept.append(report.substr(from));
  return kept;
}

}  // namespace blastsearch
