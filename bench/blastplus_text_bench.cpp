// Throughput of the BLAST+ pairwise text reader on a ~64 MB report made in
// memory by repeating the query blocks of tests/data/blastplus/blastp.txt,
// beside a plain memchr count of the line ends over the same bytes (the
// floor of any line-by-line reader); the text and the HTML form.
//
// Figures: build in release mode and run, for example,
//   build/bench/blastplus_text_bench --benchmark_counters_tabular=true
// and compare bytes_per_second of BM_ReadBlastPlusText with BM_CountLineEnds.

#include <benchmark/benchmark.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>

#include "BlastPlusBenchInput.h"
#include "model/BlastSearchEntry.h"
#include "parse/BlastPlusTextReader.h"

namespace blastsearch {

namespace {

constexpr std::size_t kTargetBytes = std::size_t{64} << 20;

// The heading of the report, then its query blocks (from the first
// "Query=" to the closing "  Database:" lines) over and over, then the
// closing lines, up to about kTargetBytes.
std::string MakeReport(const std::string& name) {
  const std::string sample = BlastPlusBenchFile(name);
  const bool html = name.ends_with(".html");
  const std::size_t first = sample.find(html ? "<b>Query=</b>" : "Query=");
  const std::size_t closing = sample.find("\n  Database:");
  if (first == std::string::npos || closing == std::string::npos || closing < first)
    throw std::runtime_error(name + " has no query blocks");
  const std::string_view blocks(sample.data() + first, closing + 1 - first);
  std::string report(sample, 0, first);
  report.reserve(kTargetBytes + sample.size());
  while (report.size() < kTargetBytes) report.append(blocks);
  report.append(sample, closing + 1);
  return report;
}

const std::string& Report(bool html) {
  static const std::string text = MakeReport("blastp.txt");
  static const std::string page = MakeReport("blastp.html");
  return html ? page : text;
}

void ReadReport(benchmark::State& state, bool html) {
  const std::string& report = Report(html);
  std::size_t results = 0, hits = 0;
  for (auto _ : state) {
    CViewReportSource source(report, "generated");
    auto reader = MakeBlastPlusTextReader(source, CResultReadOptions(), html);
    results = hits = 0;
    for (;;) {
      CBlastSearchEntry entry;
      if (!reader->ReadNext(entry)) break;
      ++results;
      hits += entry.m_Hits.m_HitList.size();
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(report.size()));
  state.counters["report_MB"] = static_cast<double>(report.size()) / (1 << 20);
  state.counters["results"] = static_cast<double>(results);
  state.counters["hits"] = static_cast<double>(hits);
}

void BM_ReadBlastPlusText(benchmark::State& state) { ReadReport(state, false); }
void BM_ReadBlastPlusHtml(benchmark::State& state) { ReadReport(state, true); }
BENCHMARK(BM_ReadBlastPlusText)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadBlastPlusHtml)->Unit(benchmark::kMillisecond);

// The floor: one pass over the same bytes counting the line ends.
void BM_CountLineEnds(benchmark::State& state) { MeasureNewlineFloor(state, Report(false)); }
BENCHMARK(BM_CountLineEnds)->Unit(benchmark::kMillisecond);

}  // namespace

}  // namespace blastsearch

BENCHMARK_MAIN();
