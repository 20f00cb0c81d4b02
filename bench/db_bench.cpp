// The result database as the blastsearch commands use it, beside what the
// same work costs at its floor:
// - BM_ImportVersusFloor/N/KB/S: `blastsearch import` (with --sync-at-end when S is 1)
//   of N generated reports of
//   about KB kilobytes each (1,000 of 50 KB; 10,000 of 5 KB, where the costs
//   of each file weigh most), against parsing the same files plus a raw
//   SQLite insert of the same record bytes, one transaction each, in the same
//   iteration; the floor syncs every commit as the object database does
//   (counters: import_s, floor_s, ratio; the same in processor time,
//   import_cpu_s, floor_cpu_s and cpu_ratio, which a busy machine disturbs
//   less; floor_normal_s and floor_normal_cpu_s: the same floor with
//   `synchronous` NORMAL, which syncs only at checkpoints;
//   db_over_records: the database file over the sum of the records);
// - BM_ListCommand / BM_RawSelect: `blastsearch list` (and --json) of 100,000
//   stored results, against a raw SQLite select of the same columns; the
//   list counters say how many bytes the list read from files (records_read
//   compares that with the records' size) and the peak resident size of a
//   `blastsearch list` process.
//
// Figures: build in release mode and run
//   build-release/bench/db_bench --benchmark_counters_tabular=true
// The 100,000-result database is made once, in the system's temporary folder
// (blastsearch_list_bench_100k), and kept for later runs.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <streambuf>
#include <string>
#include <vector>

#include "ReportGenerator.h"
#include "app/Commands.h"
#include "host/OrvTextFile.h"
#include "host/db/DBEngine.h"
#include "host/db/SqliteStorage.h"
#include "model/BlastSearchEntry.h"
#include "parse/NCBIAnalyserQ.h"
#include "parse/ReportName.h"
#include "platform/File.h"
#include "platform/InputFile.h"
#include "table/BlastSearchTable.h"

extern char** environ;

namespace blastsearch {

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kListed = 100000;
constexpr double kMegabyte = 1024.0 * 1024.0;

// Discards what is written to it.
class CNullBuffer : public std::streambuf {
 protected:
  int overflow(int c) override { return c; }
  std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// The processor time this process has used so far, in seconds.
double CpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// Wall-clock and processor seconds of one part of a run.
struct CTimes {
  double wall = 0;
  double cpu = 0;
};

// `count` generated reports of about `kilobytes` each, written once into
// the temporary folder.
std::vector<std::string> ReportFiles(int count, int kilobytes) {
  const fs::path dir =
      fs::temp_directory_path() / ("blastsearch_import_bench_reports_" + std::to_string(count) +
                                   "x" + std::to_string(kilobytes) + "k");
  fs::create_directories(dir);
  std::vector<std::string> paths;
  for (int i = 0; i < count; ++i) {
    const fs::path path = dir / ("report" + std::to_string(i) + ".txt");
    if (!fs::exists(path)) {
      ReportSpec spec;
      spec.flavour = static_cast<ReportFlavour>(i % 3);
      spec.seed = 1000 + static_cast<std::uint64_t>(i);
      std::ofstream(path, std::ios::binary)
          << GenerateReportOfSize(spec, static_cast<std::size_t>(kilobytes) * 1024);
    }
    paths.push_back(path.string());
  }
  return paths;
}

// The record the table stores for the report at `path`, made as the import
// makes it.
std::string RecordOfReport(const std::string& path) {
  CBlastSearchObject object;
  object.m_name = "Ticks-00000000";
  CFile file(path, CFile::modeRead);
  CNCBIAnalyserQ analyser(&object.Entry());
  analyser.ReadRequest(&file);
  CInputFile input;
  ReadWholeFile(path, input);
  if (object.Entry().m_Mol.m_strName.empty()) {
    object.Entry().m_Mol.m_strName = QueryNameOfReport(input.View());
  }
  COrvTextFile text(COrvFileSpec("record"));
  text.OpenMemoryOutput();
  blastSearch().WriteObject(&object, text, 0);
  return text.MemoryData();
}

void Exec(sqlite3* db, const char* sql) {
  if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK) {
    throw std::runtime_error(sqlite3_errmsg(db));
  }
}

// The floor of an import: parse each file, then insert the record bytes in
// a transaction of its own, into a fresh database with the settings the
// object database uses (write-ahead journal synced at every commit,
// `synchronous` FULL); with `synchronous` NORMAL too for comparison, which
// leaves the syncs to the checkpoints.
CTimes ParseAndInsert(const std::vector<std::string>& files,
                      const std::vector<std::string>& records, const fs::path& dir,
                      const char* synchronous) {
  fs::remove_all(dir);
  fs::create_directories(dir);
  sqlite3* db = nullptr;
  sqlite3_open((dir / "raw.db").c_str(), &db);
  Exec(db, "PRAGMA journal_mode = WAL");
  Exec(db, (std::string("PRAGMA synchronous = ") + synchronous).c_str());
  Exec(db, "CREATE TABLE records(key INTEGER PRIMARY KEY, data BLOB NOT NULL)");
  sqlite3_stmt* insert = nullptr;
  sqlite3_prepare_v2(db, "INSERT INTO records(key, data) VALUES(?, ?)", -1, &insert, nullptr);
  const auto started = Clock::now();
  const double cpuStarted = CpuSeconds();
  for (std::size_t i = 0; i < files.size(); ++i) {
    {
      CBlastSearchEntry entry;
      CFile file(files[i], CFile::modeRead);
      CNCBIAnalyserQ analyser(&entry);
      benchmark::DoNotOptimize(analyser.ReadRequest(&file));
    }
    Exec(db, "BEGIN IMMEDIATE");
    sqlite3_bind_int64(insert, 1, static_cast<sqlite3_int64>(i + 1));
    sqlite3_bind_blob(insert, 2, records[i].data(), static_cast<int>(records[i].size()),
                      SQLITE_STATIC);
    if (sqlite3_step(insert) != SQLITE_DONE) throw std::runtime_error(sqlite3_errmsg(db));
    sqlite3_reset(insert);
    Exec(db, "COMMIT");
  }
  const CTimes times{Seconds(Clock::now() - started), CpuSeconds() - cpuStarted};
  sqlite3_finalize(insert);
  sqlite3_close(db);
  return times;
}

void BM_ImportVersusFloor(benchmark::State& state) {
  const std::vector<std::string> files =
      ReportFiles(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  std::vector<std::string> records;
  double recordBytes = 0;
  double reportBytes = 0;
  for (const std::string& file : files) {
    records.push_back(RecordOfReport(file));
    recordBytes += static_cast<double>(records.back().size());
    reportBytes += static_cast<double>(fs::file_size(file));
  }
  std::vector<std::string> args{"--db", "", "import"};
  if (state.range(2) != 0) args.push_back("--sync-at-end");
  args.insert(args.end(), files.begin(), files.end());
  const fs::path scratch = fs::temp_directory_path() / "blastsearch_import_bench_db";
  args[1] = (scratch / "db").string();
  CNullBuffer discard;
  std::ostream out(&discard);
  std::ostringstream err;
  CTimes importTotal;
  CTimes floorTotal;
  CTimes floorNormalTotal;
  double databaseBytes = 0;
  for (auto _ : state) {
    const CTimes floor = ParseAndInsert(files, records, scratch / "raw", "FULL");
    const CTimes floorNormal = ParseAndInsert(files, records, scratch / "raw", "NORMAL");
    floorNormalTotal.wall += floorNormal.wall;
    floorNormalTotal.cpu += floorNormal.cpu;
    fs::remove_all(args[1]);
    const auto started = Clock::now();
    const double cpuStarted = CpuSeconds();
    const int status = RunBlastSearch(args, out, err);
    const CTimes import{Seconds(Clock::now() - started), CpuSeconds() - cpuStarted};
    if (status != 0) state.SkipWithError(("import failed: " + err.str()).c_str());
    databaseBytes = static_cast<double>(fs::file_size(fs::path(args[1]) / kDatabaseFileName));
    state.SetIterationTime(import.wall);
    importTotal.wall += import.wall;
    importTotal.cpu += import.cpu;
    floorTotal.wall += floor.wall;
    floorTotal.cpu += floor.cpu;
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["import_s"] = importTotal.wall / n;
  state.counters["floor_s"] = floorTotal.wall / n;
  state.counters["ratio"] = importTotal.wall / floorTotal.wall;
  state.counters["import_cpu_s"] = importTotal.cpu / n;
  state.counters["floor_cpu_s"] = floorTotal.cpu / n;
  state.counters["cpu_ratio"] = importTotal.cpu / floorTotal.cpu;
  state.counters["floor_normal_s"] = floorNormalTotal.wall / n;
  state.counters["floor_normal_cpu_s"] = floorNormalTotal.cpu / n;
  state.counters["report_KB"] = reportBytes / files.size() / 1024.0;
  state.counters["record_KB"] = recordBytes / files.size() / 1024.0;
  state.counters["db_over_records"] = databaseBytes / recordBytes;
  fs::remove_all(scratch);
}
BENCHMARK(BM_ImportVersusFloor)
    ->ArgNames({"files", "KB", "sync_at_end"})
    ->Args({1000, 50, 0})
    ->Args({1000, 50, 1})
    ->Args({10000, 5, 0})
    ->Args({10000, 5, 1})
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);

// ---- list ----

// The folder of the database of 100,000 results, made once: real records
// of small generated reports under distinct names and query names.
const std::string& ListDatabase() {
  static std::string dir = [] {
    const fs::path path = fs::temp_directory_path() / "blastsearch_list_bench_100k";
    const fs::path done = path / "complete";
    if (fs::exists(done)) return path.string();
    fs::remove_all(path);
    engine().OpenDatabase(path.string(), 1);
    CDBStorage& storage = *engine().Storage(1);
    ReportSpec spec;
    spec.hits = 2;
    const std::string reportPath = (path / "small.txt").string();
    std::ofstream(reportPath, std::ios::binary) << GenerateReport(spec);
    const std::string record = RecordOfReport(reportPath);
    storage.BeginWrite();
    for (int i = 1; i <= kListed; ++i) {
      CStoredObject row;
      row.m_recordId = static_cast<unsigned long>(storage.ReserveRecordId(201));
      row.m_name = "Result " + std::to_string(i);
      row.m_objType = 15;
      row.m_creationTime = 1700000000L + i;
      row.m_tableNumber = i % 500;
      row.m_tableText = "gi|" + std::to_string(100000 + i) + "|ref|NP_" + std::to_string(i) +
                        "| hypothetical protein";
      storage.PutObject(201, row, record);
    }
    storage.Commit();
    engine().CloseDatabase(1);
    std::ofstream(done) << "made\n";
    return path.string();
  }();
  return dir;
}

// Bytes this process has read through system calls so far.
double BytesRead() {
  std::ifstream io("/proc/self/io");
  std::string key;
  double value = 0;
  while (io >> key >> value) {
    if (key == "rchar:") return value;
  }
  return 0;
}

// The peak resident size of a `blastsearch` process running `args`.
double PeakOfProcess(std::vector<std::string> args) {
  args.insert(args.begin(), BLASTSEARCH_PROGRAM);
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  pid_t pid = -1;
  if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) return -1;
  posix_spawn_file_actions_destroy(&actions);
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? usage.ru_maxrss * 1024.0 : -1;
}

void ListCommand(benchmark::State& state, bool json) {
  const std::string& dir = ListDatabase();
  std::vector<std::string> args{"--db", dir, "list"};
  if (json) args.push_back("--json");
  CNullBuffer discard;
  std::ostream out(&discard);
  std::ostringstream err;
  double read = 0;
  for (auto _ : state) {
    const double before = BytesRead();
    if (RunBlastSearch(args, out, err) != 0) state.SkipWithError(err.str().c_str());
    read = BytesRead() - before;
  }
  const double records =
      static_cast<double>(kListed) * static_cast<double>(RecordOfReport(dir + "/small.txt").size());
  state.counters["read_MB"] = read / kMegabyte;
  state.counters["records_MB"] = records / kMegabyte;
  state.counters["peak_rss_MB"] = PeakOfProcess(args) / kMegabyte;
}

void BM_ListCommand(benchmark::State& state) { ListCommand(state, false); }
void BM_ListCommandJson(benchmark::State& state) { ListCommand(state, true); }
BENCHMARK(BM_ListCommand)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ListCommandJson)->Unit(benchmark::kMillisecond);

// The floor of a list: open the database file and step through the same
// columns of every result.
void BM_RawSelect(benchmark::State& state) {
  const std::string file = ListDatabase() + "/" + kDatabaseFileName;
  for (auto _ : state) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db,
                       "SELECT id, name, type, created, tnum, ttext, author FROM objects "
                       "WHERE tbl = 201 ORDER BY id",
                       -1, &stmt, nullptr);
    std::size_t bytes = 0;
    while (sqlite3_step(stmt) == SQLITE_ROW) {
      bytes += static_cast<std::size_t>(sqlite3_column_int64(stmt, 0));
      bytes += static_cast<std::size_t>(sqlite3_column_bytes(stmt, 1));
      bytes += static_cast<std::size_t>(sqlite3_column_int64(stmt, 4));
      bytes += static_cast<std::size_t>(sqlite3_column_bytes(stmt, 5));
      bytes += static_cast<std::size_t>(sqlite3_column_int64(stmt, 3));
    }
    benchmark::DoNotOptimize(bytes);
    sqlite3_finalize(stmt);
    sqlite3_close(db);
  }
}
BENCHMARK(BM_RawSelect)->Unit(benchmark::kMillisecond);

}  // namespace

}  // namespace blastsearch

BENCHMARK_MAIN();
