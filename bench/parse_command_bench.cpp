// Time of `blastsearch parse FILE --summary` on generated legacy-text reports
// of 8 and 64 MB kept in files on disk: the reading of the input, the layout
// recognition and the parse together, as a person running the command sees
// them (the summary line itself is negligible).
//
// Figures: build with -DCMAKE_BUILD_TYPE=Release and run, for example,
//   build-release/bench/parse_command_bench --benchmark_repetitions=5
//     --benchmark_report_aggregates_only=true
// The report files are written once per process into the temporary folder
// (outside any timing) and removed at exit. The peak resident size of the
// command (peak_rss_MB, above what the process held before) is most
// meaningful with one size per process:
//   build-release/bench/parse_command_bench --benchmark_filter=/64
//     --benchmark_repetitions=5 --benchmark_report_aggregates_only=true

#include <benchmark/benchmark.h>
#include <malloc.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "ReportGenerator.h"
#include "ResidentMemory.h"
#include "app/Commands.h"

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kMegabyte = 1u << 20;

// Removes the report files when the program ends.
struct CReportFiles {
  std::map<int, fs::path> paths;
  ~CReportFiles() {
    for (const auto& [size, path] : paths) fs::remove(path);
  }
};

// The file holding the report of `megabytes` MB, written once per process.
const fs::path& ReportFile(int megabytes) {
  static CReportFiles files;
  auto [it, added] = files.paths.try_emplace(megabytes);
  if (added) {
    ReportSpec spec;
    spec.seed = 20240601;
    it->second = fs::temp_directory_path() / ("blastsearch_bench_" + std::to_string(::getpid()) +
                                              "_" + std::to_string(megabytes) + ".txt");
    std::ofstream(it->second, std::ios::binary)
        << GenerateReportOfSize(spec, static_cast<std::size_t>(megabytes) * kMegabyte);
  }
  return it->second;
}

void BM_ParseCommandSummary(benchmark::State& state) {
  const int megabytes = static_cast<int>(state.range(0));
  const fs::path& file = ReportFile(megabytes);
  const std::vector<std::string> args{"parse", file.string(), "--summary"};
  const bool reset = ResetPeakResident();
  const double before = ResidentBytes();
  for (auto _ : state) {
    std::ostringstream out, err;
    if (RunBlastSearch(args, out, err) != 0) state.SkipWithError(err.str().c_str());
    state.PauseTiming();
    malloc_trim(0);  // every run starts with fresh memory to fault in, as a new process does
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(fs::file_size(file)));
  state.counters["peak_rss_MB"] = reset ? (PeakResidentBytes() - before) / kMegabyte : -1.0;
}
BENCHMARK(BM_ParseCommandSummary)->Arg(8)->Arg(64)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
