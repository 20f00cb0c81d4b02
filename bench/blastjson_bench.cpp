// Throughput of the BLAST+ JSON reader on about 64 MB of reports (those of
// tests/data/blastplus/blastp.json, repeated), against a newline count of the
// same bytes.

#include <benchmark/benchmark.h>

#include "BlastPlusBenchInput.h"
#include "model/BlastSearchEntry.h"
#include "parse/BlastJsonReader.h"

namespace blastsearch {

namespace {

const std::string& LargeJson() {
  static const std::string text = [] {
    const std::string file = BlastPlusBenchFile("blastp.json");
    const std::size_t open = file.find('[') + 1, close = file.rfind(']');
    return RepeatedReport(file.substr(0, open), file.substr(open, close - open), ",",
                          file.substr(close), std::size_t{64} << 20);
  }();
  return text;
}

void BM_JsonReader(benchmark::State& state) {
  const std::string& text = LargeJson();
  std::size_t results = 0;
  for (auto _ : state) {
    CViewReportSource source(text, "bench");
    auto reader = MakeBlastJsonReader(source, CResultReadOptions{});
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
BENCHMARK(BM_JsonReader)->Unit(benchmark::kMillisecond);

void BM_JsonNewlineCount(benchmark::State& state) {
  const std::string& text = LargeJson();
  MeasureNewlineFloor(state, text);
}
BENCHMARK(BM_JsonNewlineCount)->Unit(benchmark::kMillisecond);

}  // namespace

}  // namespace blastsearch

BENCHMARK_MAIN();
