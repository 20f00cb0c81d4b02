// Throughput of the BLAST+ tabular reader on about 64 MB of lines (those of
// tests/data/blastplus/blastp.tsv and the blocks of blastp_columns.tab7,
// repeated), against a newline count of the same bytes.

#include <benchmark/benchmark.h>

#include "BlastPlusBenchInput.h"
#include "model/BlastSearchEntry.h"
#include "parse/BlastTabularReader.h"

namespace blastsearch {

namespace {

const std::string& LargeTabular() {
  static const std::string text =
      RepeatedReport("", BlastPlusBenchFile("blastp.tsv"), "", "", std::size_t{64} << 20);
  return text;
}

const std::string& LargeCommented() {
  static const std::string text = [] {
    const std::string file = BlastPlusBenchFile("blastp_columns.tab7");
    const std::size_t closing = file.rfind("# BLAST processed");
    return RepeatedReport("", file.substr(0, closing), "", file.substr(closing),
                          std::size_t{64} << 20);
  }();
  return text;
}

void ReadAll(benchmark::State& state, const std::string& text, ReportLayout layout) {
  std::size_t results = 0;
  for (auto _ : state) {
    CViewReportSource source(text, "bench");
    auto reader = MakeBlastTabularReader(source, CResultReadOptions{}, layout);
    results = 0;
    for (;;) {
      CBlastSearchEntry entry;
      if (reader->ReadNext(entry) == 0) break;
      ++results;
    }
    benchmark::DoNotOptimize(results);
  }
  state.counters["results"] = static_cast<double>(results);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

void BM_TabularReader(benchmark::State& state) {
  ReadAll(state, LargeTabular(), ReportLayout::Tabular);
}
BENCHMARK(BM_TabularReader)->Unit(benchmark::kMillisecond);

void BM_CommentedTabularReader(benchmark::State& state) {
  ReadAll(state, LargeCommented(), ReportLayout::CommentedTabular);
}
BENCHMARK(BM_CommentedTabularReader)->Unit(benchmark::kMillisecond);

void BM_TabularNewlineCount(benchmark::State& state) {
  const std::string& text = LargeTabular();
  MeasureNewlineFloor(state, text);
}
BENCHMARK(BM_TabularNewlineCount)->Unit(benchmark::kMillisecond);

}  // namespace

}  // namespace blastsearch

BENCHMARK_MAIN();
