// Throughput of the QBlast report parser on large generated reports in the
// legacy text layout (1, 8 and 64 MB), beside a plain memchr scan for line
// ends over the same bytes, and the parse's peak memory.
//
// Figures: build with -DCMAKE_BUILD_TYPE=Release and run, for example,
//   build-release/bench/parse_bench --benchmark_counters_tabular=true
// Peak memory is most meaningful with one size per process, and times are
// steadier with repetitions:
//   for n in 1 8 64; do build-release/bench/parse_bench
//     --benchmark_filter="BM_(ParseBlastp|MemchrLineEnds)/$n\$"
//     --benchmark_repetitions=3 --benchmark_report_aggregates_only=true; done
// (one command line per size).

#include <benchmark/benchmark.h>
#include <malloc.h>
#include <sys/resource.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <string>

#include "BlastPlusBenchInput.h"
#include "ReportGenerator.h"
#include "ResidentMemory.h"
#include "model/BlastSearchEntry.h"
#include "parse/NCBIAnalyserQ.h"
#include "platform/File.h"

namespace blastsearch {

namespace {

constexpr std::size_t kMegabyte = 1u << 20;

// The report of `megabytes` MB, generated once per process (outside any
// timing) and kept.
const std::string& Report(ReportFlavour flavour, int megabytes) {
  static std::map<std::pair<ReportFlavour, int>, std::string> reports;
  auto [it, added] = reports.try_emplace({flavour, megabytes});
  if (added) {
    ReportSpec spec;
    spec.flavour = flavour;
    spec.pairsPerHit = 2;
    spec.rowsPerPair = 4;
    spec.seed = 20240601;
    it->second = GenerateReportOfSize(spec, static_cast<std::size_t>(megabytes) * kMegabyte);
  }
  return it->second;
}

void ParseReport(benchmark::State& state, ReportFlavour flavour) {
  const int megabytes = static_cast<int>(state.range(0));
  // The file holds its own copy of the report; ReadRequest copies it once
  // more into the analyser's buffer, the one copy that the interface makes.
  CMemFile file(Report(flavour, megabytes));
  const double size = static_cast<double>(file.GetLength());

  const bool reset = ResetPeakResident();
  const double before = ResidentBytes();
  std::size_t hits = 0;
  for (auto _ : state) {
    file.Seek(0, CFile::begin);
    auto entry = std::make_unique<CBlastSearchEntry>();
    CNCBIAnalyserQ analyser(entry.get());
    benchmark::DoNotOptimize(analyser.ReadRequest(&file));
    hits = entry->m_Hits.m_HitList.size();
    // Freeing the tree is not part of the parse. Free memory goes back to the
    // system as well, so that every parse starts as a one-off import does,
    // with fresh memory to fault in, whatever the size (small trees would
    // otherwise reuse the memory of the iteration before, large ones not).
    state.PauseTiming();
    entry.reset();
    malloc_trim(0);
    state.ResumeTiming();
  }
  const double peak = PeakResidentBytes();
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(size));
  state.counters["hits"] = static_cast<double>(hits);
  state.counters["report_MB"] = size / kMegabyte;
  state.counters["peak_rss_MB"] = peak / kMegabyte;
  // What the parse added on top of the process holding the report: the
  // analyser's copy of the text plus the tree. Only meaningful when the peak
  // could be reset (else the counter is -1).
  state.counters["parse_peak_x_report"] = reset ? (peak - before) / size : -1.0;
}

void BM_ParseBlastp(benchmark::State& state) { ParseReport(state, ReportFlavour::Blastp); }
void BM_ParseBlastn(benchmark::State& state) { ParseReport(state, ReportFlavour::Blastn); }
void BM_ParseBlastx(benchmark::State& state) { ParseReport(state, ReportFlavour::Blastx); }

BENCHMARK(BM_ParseBlastp)->Arg(1)->Arg(8)->Arg(64)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseBlastn)->Arg(1)->Arg(8)->Arg(64)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseBlastx)->Arg(64)->Unit(benchmark::kMillisecond);

// The floor: one pass over the same bytes finding every line end.
void BM_MemchrLineEnds(benchmark::State& state) {
  const std::string& text = Report(ReportFlavour::Blastp, static_cast<int>(state.range(0)));
  MeasureNewlineFloor(state, text);
}
BENCHMARK(BM_MemchrLineEnds)->Arg(1)->Arg(8)->Arg(64)->Unit(benchmark::kMillisecond);

}  // namespace

}  // namespace blastsearch

BENCHMARK_MAIN();
