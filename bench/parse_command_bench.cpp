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
//
// BM_ProgramVersusLineCount runs the blastsearch program itself on the same
// file as `wc -l`, one after the other in each iteration, and reports the
// ratio of their median times in wall time (ratio) and processor time
// (cpu_ratio, which a busy machine disturbs less; the median processor
// times are cpu_ms and wc_cpu_ms) and the machine's load average (load). (A spawned process's peak resident
// size counts its parent's, so the peak is BM_ParseCommandSummary's.)

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <malloc.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "ReportGenerator.h"
#include "ResidentMemory.h"
#include "app/Commands.h"

extern char** environ;

namespace blastsearch {

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

// Wall and processor seconds of one process.
struct CProcessRun {
  double wall = 0;
  double cpu = 0;
};

// Runs `args` (the program first, looked up in PATH) with its output thrown
// away; a failed start or exit is a negative time.
CProcessRun RunProcess(std::vector<std::string> args) {
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  const auto started = std::chrono::steady_clock::now();
  pid_t pid = -1;
  const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return {-1, -1};
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  const double wall =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return {-1, -1};
  const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec * 1e-6; };
  return {wall, seconds(usage.ru_utime) + seconds(usage.ru_stime)};
}

// The middle of `values` (the mean of the two middle ones for an even
// count); 0 for none.
double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const std::size_t middle = values.size() / 2;
  return values.size() % 2 != 0 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// The program measured: this build's, or another build's named by the
// environment variable BLASTSEARCH_PROGRAM (to compare two builds on the
// same machine state).
std::string Program() {
  const char* other = std::getenv("BLASTSEARCH_PROGRAM");
  return other != nullptr && other[0] != '\0' ? other : BLASTSEARCH_PROGRAM;
}

void BM_ProgramVersusLineCount(benchmark::State& state) {
  const fs::path& file = ReportFile(static_cast<int>(state.range(0)));
  std::vector<double> program, programCpu, lines, linesCpu;
  for (auto _ : state) {
    const CProcessRun count = RunProcess({"wc", "-l", file.string()});
    const CProcessRun parse = RunProcess({Program(), "parse", file.string(), "--summary"});
    if (count.wall < 0 || parse.wall < 0) state.SkipWithError("a process failed");
    state.SetIterationTime(parse.wall);
    program.push_back(parse.wall);
    programCpu.push_back(parse.cpu);
    lines.push_back(count.wall);
    linesCpu.push_back(count.cpu);
  }
  double load[1] = {0};
  getloadavg(load, 1);
  // Medians: a run now and then that waits for the system to back fresh
  // memory would otherwise set the figures.
  const double wc = Median(lines);
  const double wcCpu = Median(linesCpu);
  state.counters["wc_ms"] = wc * 1e3;
  state.counters["cpu_ms"] = Median(programCpu) * 1e3;
  state.counters["wc_cpu_ms"] = wcCpu * 1e3;
  state.counters["ratio"] = wc > 0 ? Median(program) / wc : 0;
  state.counters["cpu_ratio"] = wcCpu > 0 ? Median(programCpu) / wcCpu : 0;
  state.counters["load"] = load[0];
}
BENCHMARK(BM_ProgramVersusLineCount)
    ->Arg(8)
    ->Arg(64)
    ->UseManualTime()
    ->Iterations(21)
    ->Unit(benchmark::kMillisecond);

}  // namespace

}  // namespace blastsearch

BENCHMARK_MAIN();
