// Both storages at a million stored results, in the same run:
// - BM_ListFirstPage/<backend>: `list --json --limit 100` as the command
//   writes it, the first page of 100 rows in name order (a keyset page);
// - BM_HitCountSearch/<backend>: the hit-count search (1 to 10 hits): the
//   candidates from the index and their list rows, as the search tests them;
// - BM_KeywordSearch/<backend> and BM_TextSearch/<backend>: a keyword and a
//   field-text search: candidates, their rows, and the stored record of each
//   (what the search loads to confirm it);
// - BM_ListCommand/<kind>: `blastsearch list --json` in process on the SQLite
//   database (opening it included): the first page of 100 by name, and every
//   row (identifier order), with the growth of the resident size;
// - BM_ListAllMemory/<backend>: the whole list written page by page (to a
//   sink), with the growth of the resident size while it ran;
// - BM_SearchCommand/<kind>: `blastsearch search --json` in process on the
//   SQLite database (hit counts, a keyword, comment text in the comment files
//   of one result in 100, field text), the filters confirming every
//   candidate; the first comment search reads the comment files into the
//   index, later ones only look at their sizes and times.
// - BM_ImportClients: `blastsearch import` of the same generated small
//   reports (one query each, names of their own) as programs: one client
//   storing all of them into a SQLite folder, then four clients at once,
//   each on its own quarter of the files, into a PostgreSQL database
//   (counters sqlite_1_s, postgres_4_s, ratio = postgres_4_s / sqlite_1_s,
//   and the results each database lists). BLASTSEARCH_IMPORT_REPORTS sets
//   the number of reports (default 10,000).
// - BM_CopyCommand/<backend>: `blastsearch db copy` in process of the
//   generated database of the backend into a fresh database of the other
//   (SQLite into PostgreSQL and back), a page of 200 at a time, with the
//   growth of the resident size while it ran (bounded by the page, not the
//   table) and the results the copy lists.
// Counters: rows (what came back), loaded (records read), seconds per
// iteration. The databases are generated through the storage (bulk
// transactions of 10,000 objects; records made from a real stored result
// with their own names, keywords and field values) once per run: SQLite in
// the system's temporary folder, PostgreSQL on a private server started for
// the run (as the tests start theirs; skipped when none can be started).
//
// Figures: build in release mode and run
//   BLASTSEARCH_SCALE_RESULTS=1000000 build-release/bench/scale_bench
//   --benchmark_counters_tabular=true
// (default 100,000 results).

#include <benchmark/benchmark.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <ostream>
#include <sstream>
#include <stdexcept>
#include <streambuf>
#include <string>
#include <vector>

#include "ReportGenerator.h"
#include "ResidentMemory.h"
#include "app/Commands.h"
#include "app/ListCommand.h"
#include "app/ProgramProcess.h"
#include "host/db/DBStorage.h"
#include "host/db/ObjInfo.h"
#include "host/db/SqliteStorage.h"
#include "support/StorageBackends.h"
#include "support/TempDatabase.h"

namespace blastsearch {

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kTable = 201;

// Discards what is written to it.
class CNullBuffer : public std::streambuf {
 protected:
  int overflow(int c) override { return c; }
  std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

std::size_t ResultCount() {
  const char* asked = std::getenv("BLASTSEARCH_SCALE_RESULTS");
  return asked != nullptr ? std::strtoul(asked, nullptr, 10) : 100000;
}

// The fields after a stored result's common fields (its values and end
// mark), taken from a real result stored by the import.
std::string RecordTail() {
  CTempDir dir("scale-template");
  std::ostringstream out, err;
  const std::string report =
      std::string(BLASTSEARCH_SOURCE_DIR) + "/tests/data/blastplus/blastp.txt";
  if (RunBlastSearch({"--db", dir.Path().string(), "import", report}, out, err) != 0) {
    throw std::runtime_error("cannot import the template: " + err.str());
  }
  auto storage = OpenSqliteStorage((dir.Path() / kDatabaseFileName).string());
  std::string record;
  // The third query has no hits: the smallest record.
  if (!storage->ReadRecord(kTable, 3, record)) throw std::runtime_error("no template record");
  // Skip the common fields ("@1:" to "@5:", authors, description,
  // keywords, user fields); the first other field starts the tail.
  std::size_t at = 0;
  for (;;) {
    const std::size_t colon = record.find(':', at);
    const int field = std::atoi(record.c_str() + at + 1);
    if (field > 5 && field != 247 && field != 254 && field != 255 && field != 256 && field != 263) {
      break;
    }
    at = record.find('\n', colon) + 1;
  }
  return record.substr(at);
}

// The generated objects: names not in identifier order, hit counts of
// which about 5% lie in 1 to 10, the keyword "rare" on one in 1,000 and
// "common" on one in ten, the field text "zinc finger" on one in 1,000.
struct CGenerated {
  static std::string Name(std::size_t i) {
    const std::size_t scrambled = (i * 2654435761ULL) % 1000003ULL;
    return "result " + std::to_string(scrambled) + "_" + std::to_string(i);
  }
  static int Hits(std::size_t i) {
    return i % 20 == 7 ? static_cast<int>(1 + i % 10) : 50 + static_cast<int>(i % 450);
  }
  static std::string Record(std::size_t i, const std::string& tail) {
    std::string r = "@1:" + Name(i) + "\n@2:1765000000\n@3:" + std::to_string(i) + "\n@4:0\n@5:0\n";
    if (i % 1000 == 3) r += "@247:rare\n";
    if (i % 10 == 4) r += "@247:common\n";
    r += i % 1000 == 5 ? "@254:Lab\tzinc finger room\n"
                       : "@254:Lab\troom " + std::to_string(i % 97) + "\n";
    return r + tail;
  }
};

// One generated database of a backend, made at first use.
struct CScaleDatabase {
  std::unique_ptr<CBackendDatabase> m_pDatabase;  // PostgreSQL
  std::unique_ptr<CTempDir> m_pDir;               // SQLite: the folder of quillon.db
  std::unique_ptr<CDBStorage> m_pStorage;
  std::string m_strSkip;
  double m_generateSeconds = 0;
};

CScaleDatabase& Database(const std::string& backend) {
  static std::map<std::string, CScaleDatabase> made;
  auto found = made.find(backend);
  if (found != made.end()) return found->second;
  CScaleDatabase& db = made[backend];
  if (backend == "sqlite") {
    // Where the commands find it: quillon.db in the folder given to --db.
    db.m_pDir = std::make_unique<CTempDir>("scale-bench");
    db.m_pStorage = OpenSqliteStorage((db.m_pDir->Path() / kDatabaseFileName).string());
  } else {
    db.m_pDatabase = std::make_unique<CBackendDatabase>(backend);
    db.m_strSkip = db.m_pDatabase->SkipReason();
    if (!db.m_strSkip.empty()) return db;
    db.m_pStorage = db.m_pDatabase->Open();
  }
  CUDFieldDef lab;
  lab.m_strName = "Lab";
  db.m_pStorage->PutUDFieldDef(lab);
  const std::string tail = RecordTail();
  const std::size_t count = ResultCount();
  const auto start = Clock::now();
  CStoredObject row;
  row.m_objType = 15;
  row.m_creationTime = 1765000000;
  for (std::size_t first = 1; first <= count; first += 10000) {
    CDBWriteTransaction write(*db.m_pStorage);
    for (std::size_t i = first; i < first + 10000 && i <= count; ++i) {
      row.m_recordId = i;
      row.m_name = CGenerated::Name(i);
      row.m_tableNumber = CGenerated::Hits(i);
      row.m_tableText = "query " + std::to_string(i);
      db.m_pStorage->PutObject(kTable, row, CGenerated::Record(i, tail));
    }
    db.m_pStorage->AddKeyword(kTable, "rare");
    db.m_pStorage->AddKeyword(kTable, "common");
    write.Commit();
  }
  db.m_pStorage->NoteRecordId(kTable, count);
  if (db.m_pDir) {
    // Comments beside the SQLite database: one result in 100 has one, the
    // word "quasar" in one of those in 10.
    const fs::path folder = db.m_pDir->Path() / "BLASTSearch" / "comments";
    fs::create_directories(folder);
    for (std::size_t i = 9; i <= count; i += 100) {
      std::ofstream((folder / (std::to_string(i) + ".cmt")).string())
          << "checked on day " << i % 365 << "\n"
          << (i % 1000 == 9 ? "a bright quasar nearby\n" : "nothing unusual\n");
    }
  }
  db.m_generateSeconds = std::chrono::duration<double>(Clock::now() - start).count();
  return db;
}

const char* const kBackends[] = {"sqlite", "postgres"};

CDBStorage* StorageOrSkip(benchmark::State& state) {
  CScaleDatabase& db = Database(kBackends[state.range(0)]);
  state.SetLabel(kBackends[state.range(0)]);
  if (!db.m_strSkip.empty()) {
    state.SkipWithError(db.m_strSkip.c_str());
    return nullptr;
  }
  state.counters["generate_s"] = db.m_generateSeconds;
  state.counters["results"] = static_cast<double>(ResultCount());
  return db.m_pStorage.get();
}

// The pages of the list, as `list` reads them.
CRowFeed PageFeed(CDBStorage& storage, std::size_t limit, std::vector<CStoredObject>& rows,
                  std::vector<CObjInfo>& infos) {
  return [&storage, limit, &rows, &infos, left = limit, last = CStoredObject(),
          started = false](std::vector<const CObjInfo*>& batch) mutable {
    batch.clear();
    if (left == 0) return false;
    storage.ReadObjectPage(kTable, EObjectOrder::kByName, 0, started ? &last : nullptr,
                           std::min<std::size_t>(left, 1000), rows);
    if (rows.empty()) return false;
    left -= rows.size();
    last = rows.back();
    started = true;
    infos.clear();
    for (const CStoredObject& row : rows) {
      CObjInfo& info = infos.emplace_back(row.m_objType, row.m_recordId, row.m_name);
      info.m_tableNumber = row.m_tableNumber;
      info.m_tableText = row.m_tableText;
      info.m_creationTime = row.m_creationTime;
    }
    for (const CObjInfo& info : infos) batch.push_back(&info);
    return true;
  };
}

void BM_ListFirstPage(benchmark::State& state) {
  CDBStorage* storage = StorageOrSkip(state);
  if (storage == nullptr) return;
  std::vector<CStoredObject> rows;
  std::vector<CObjInfo> infos;
  std::size_t bytes = 0;
  for (auto _ : state) {
    std::ostringstream out;
    WriteObjectRows(PageFeed(*storage, 100, rows, infos), true, out);
    bytes = out.str().size();
  }
  state.counters["json_bytes"] = static_cast<double>(bytes);
}

// A search's storage side: the candidates, their rows, and (when
// `load`) each candidate's record.
void Search(benchmark::State& state, const CCandidateQuery& query, bool load) {
  CDBStorage* storage = StorageOrSkip(state);
  if (storage == nullptr) return;
  std::vector<unsigned long> ids;
  std::vector<CStoredObject> rows;
  std::string record;
  std::size_t loaded = 0;
  for (auto _ : state) {
    if (!storage->CandidateIds(kTable, query, ids)) {
      state.SkipWithError("not narrowed");
      return;
    }
    storage->ReadObjectsById(kTable, ids, rows);
    loaded = 0;
    if (load) {
      for (const CStoredObject& row : rows)
        loaded += storage->ReadRecord(kTable, row.m_recordId, record);
    }
  }
  state.counters["rows"] = static_cast<double>(rows.size());
  state.counters["loaded"] = static_cast<double>(loaded);
}

void BM_HitCountSearch(benchmark::State& state) {
  CCandidateQuery query;
  query.m_hitCountRanges = {{1, 10}};
  Search(state, query, false);
}

void BM_KeywordSearch(benchmark::State& state) {
  CCandidateQuery query;
  query.m_keywords = {"rare"};
  Search(state, query, true);
}

void BM_TextSearch(benchmark::State& state) {
  CCandidateQuery query;
  query.m_textSubstrings = {"zinc finger"};
  Search(state, query, true);
}

void BM_ListAllMemory(benchmark::State& state) {
  CDBStorage* storage = StorageOrSkip(state);
  if (storage == nullptr) return;
  std::vector<CStoredObject> rows;
  std::vector<CObjInfo> infos;
  CNullBuffer sink;
  std::ostream out(&sink);
  double growth = 0;
  for (auto _ : state) {
    ResetPeakResident();
    const double before = ResidentBytes();
    WriteObjectRows(PageFeed(*storage, SIZE_MAX, rows, infos), true, out);
    growth = PeakResidentBytes() - before;
  }
  state.counters["peak_growth_MB"] = growth / (1024.0 * 1024.0);
}

// `blastsearch search --json <args>` in process on the SQLite database.
void BM_SearchCommand(benchmark::State& state, std::vector<std::string> args) {
  CScaleDatabase& db = Database("sqlite");
  state.SetLabel("sqlite");
  if (!db.m_strSkip.empty()) {
    state.SkipWithError(db.m_strSkip.c_str());
    return;
  }
  // The storage of the benchmark is closed while the command has the file.
  const std::string file = db.m_pStorage->GetPath();
  args.insert(args.begin(), {"--db", fs::path(file).parent_path().string(), "search", "--json"});
  std::size_t bytes = 0;
  for (auto _ : state) {
    std::ostringstream out, err;
    RunBlastSearch(args, out, err);
    bytes = out.str().size();
  }
  state.counters["json_bytes"] = static_cast<double>(bytes);
}

// `blastsearch list --json <args>` in process on the SQLite database,
// written to a sink, with the growth of the resident size while it ran.
void BM_ListCommand(benchmark::State& state, std::vector<std::string> args) {
  CScaleDatabase& db = Database("sqlite");
  state.SetLabel("sqlite");
  const std::string file = db.m_pStorage->GetPath();
  args.insert(args.begin(), {"--db", fs::path(file).parent_path().string(), "list", "--json"});
  CNullBuffer sink;
  double growth = 0;
  for (auto _ : state) {
    ResetPeakResident();
    const double before = ResidentBytes();
    std::ostream out(&sink);
    std::ostringstream err;
    if (RunBlastSearch(args, out, err) != 0) state.SkipWithError(err.str().c_str());
    growth = PeakResidentBytes() - before;
  }
  state.counters["peak_growth_MB"] = growth / (1024.0 * 1024.0);
}

// `blastsearch db copy --to <fresh database of the other backend>` in
// process on the generated database of the range's backend.
void BM_CopyCommand(benchmark::State& state) {
  CDBStorage* storage = StorageOrSkip(state);
  if (storage == nullptr) return;
  const bool fromSqlite = state.range(0) == 0;
  CScaleDatabase& db = Database(kBackends[state.range(0)]);
  const std::string from = fromSqlite ? fs::path(storage->GetPath()).parent_path().string()
                                      : db.m_pDatabase->CommandAddress();
  CBackendDatabase server("postgres");
  CTempDir folder("scale-copy");
  if (fromSqlite && !server.SkipReason().empty()) {
    state.SkipWithError(server.SkipReason().c_str());
    return;
  }
  const std::string to = fromSqlite ? server.CommandAddress() : (folder.Path() / "copy").string();
  double growth = 0;
  for (auto _ : state) {
    ResetPeakResident();
    const double before = ResidentBytes();
    std::ostringstream out, err;  // err: a progress line a page, a few hundred KB
    if (RunBlastSearch({"--db", from, "db", "copy", "--to", to, "--batch", "200"}, out, err) != 0) {
      const std::string said = err.str();
      state.SkipWithError(
          ("the copy failed: " + said.substr(said.rfind('\n', said.size() - 2) + 1)).c_str());
    }
    growth = PeakResidentBytes() - before;
  }
  state.counters["peak_growth_MB"] = growth / (1024.0 * 1024.0);
  auto copy = fromSqlite ? server.Open()
                         : OpenSqliteStorage((folder.Path() / "copy" / kDatabaseFileName).string());
  state.counters["copied"] = static_cast<double>(copy->CountObjects(kTable));
}

// ---- import by several clients ----

std::size_t ImportReportCount() {
  const char* asked = std::getenv("BLASTSEARCH_IMPORT_REPORTS");
  return asked != nullptr ? std::strtoul(asked, nullptr, 10) : 10000;
}

// `count` small generated reports, each with a query of its own name,
// written once into the temporary folder.
std::vector<std::string> SmallReports(std::size_t count) {
  const fs::path dir =
      fs::temp_directory_path() / ("blastsearch_client_reports_" + std::to_string(count));
  fs::create_directories(dir);
  std::vector<std::string> paths;
  for (std::size_t i = 0; i < count; ++i) {
    const fs::path path = dir / ("report" + std::to_string(i) + ".txt");
    if (!fs::exists(path)) {
      ReportSpec spec;
      spec.flavour = static_cast<ReportFlavour>(i % 3);
      spec.hits = 3;
      spec.pairsPerHit = 1;
      spec.rowsPerPair = 2;
      spec.seed = 5000 + i;
      std::string report = GenerateReport(spec);
      const std::string query = "synthetic query sequence";
      const std::size_t at = report.find(query);
      if (at != std::string::npos) report.insert(at + query.size(), " " + std::to_string(i));
      std::ofstream out(path, std::ios::binary);
      out << report;
      if (!out.flush()) throw std::runtime_error("cannot write " + path.string());
    }
    paths.push_back(path.string());
  }
  return paths;
}

// Runs one `blastsearch --db DB import` client per file set at once; the
// seconds until the last one ends, or a failure in `failure`.
double RunImportClients(const std::string& db, const std::vector<std::vector<std::string>>& sets,
                        const fs::path& scratch, std::string& failure) {
  const fs::path program = fs::path(BLASTSEARCH_BINARY_DIR) / "app" / "blastsearch";
  std::vector<pid_t> clients;
  const auto start = Clock::now();
  for (std::size_t k = 0; k < sets.size(); ++k) {
    std::vector<std::string> args{"--db", db, "import"};
    args.insert(args.end(), sets[k].begin(), sets[k].end());
    const std::string tag = "client" + std::to_string(k);
    clients.push_back(
        StartProgram(program, args, scratch / (tag + ".out"), scratch / (tag + ".err")));
    if (clients.back() < 0) failure = "cannot start " + program.string();
  }
  for (std::size_t k = 0; k < clients.size(); ++k) {
    int status = 0;
    if (clients[k] < 0 || ::waitpid(clients[k], &status, 0) != clients[k]) continue;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      std::ifstream err(scratch / ("client" + std::to_string(k) + ".err"));
      std::string first;
      std::getline(err, first);
      failure = "import client " + std::to_string(k) + " failed: " + first;
    }
  }
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// How many results `list --json` lists in `db`.
double ListedResults(const std::string& db) {
  std::ostringstream out, err;
  RunBlastSearch({"--db", db, "list", "--json"}, out, err);
  const std::string listed = out.str();
  double count = 0;
  for (std::size_t at = listed.find("{\"uid\":"); at != std::string::npos;
       at = listed.find("{\"uid\":", at + 1)) {
    ++count;
  }
  return count;
}

void BM_ImportClients(benchmark::State& state) {
  const std::vector<std::string> files = SmallReports(ImportReportCount());
  std::vector<std::vector<std::string>> quarters(4);
  for (std::size_t i = 0; i < files.size(); ++i) quarters[i % 4].push_back(files[i]);
  for (auto _ : state) {
    CTempDir scratch("import-clients");
    CBackendDatabase local("sqlite");
    CBackendDatabase server("postgres");
    if (!server.SkipReason().empty()) {
      state.SkipWithError(server.SkipReason().c_str());
      return;
    }
    // Each database made (its schema written) before the clock starts.
    for (const std::string& db : {local.CommandAddress(), server.CommandAddress()}) {
      std::ostringstream out, err;
      if (RunBlastSearch({"--db", db, "db", "info"}, out, err) != 0) {
        state.SkipWithError(("cannot make the database: " + err.str()).c_str());
        return;
      }
    }
    std::string failure;
    const double sqlite =
        RunImportClients(local.CommandAddress(), {files}, scratch.Path(), failure);
    const double postgres =
        RunImportClients(server.CommandAddress(), quarters, scratch.Path(), failure);
    if (!failure.empty()) {
      state.SkipWithError(failure.c_str());
      return;
    }
    state.SetIterationTime(postgres);
    state.counters["reports"] = static_cast<double>(files.size());
    state.counters["sqlite_1_s"] = sqlite;
    state.counters["postgres_4_s"] = postgres;
    state.counters["ratio"] = postgres / sqlite;
    state.counters["sqlite_results"] = ListedResults(local.CommandAddress());
    state.counters["postgres_results"] = ListedResults(server.CommandAddress());
  }
}

BENCHMARK(BM_ImportClients)->Unit(benchmark::kSecond)->Iterations(1)->UseManualTime();

BENCHMARK_CAPTURE(BM_ListCommand, first_page_by_name, std::vector<std::string>{"--limit", "100"})
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ListCommand, every_row, std::vector<std::string>{})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK(BM_ListFirstPage)->DenseRange(0, 1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HitCountSearch)->DenseRange(0, 1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_KeywordSearch)->DenseRange(0, 1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TextSearch)->DenseRange(0, 1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CopyCommand)->DenseRange(0, 1)->Unit(benchmark::kSecond)->Iterations(1);
BENCHMARK(BM_ListAllMemory)->DenseRange(0, 1)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_CAPTURE(BM_SearchCommand, hits, std::vector<std::string>{"--hits", "1-10"})
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SearchCommand, keyword, std::vector<std::string>{"--keyword", "rare"})
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SearchCommand, comment,
                  std::vector<std::string>{"--text", "quasar", "--field", "comment"})
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SearchCommand, text,
                  std::vector<std::string>{"--text", "zinc finger", "--field", "Lab"})
    ->Unit(benchmark::kMillisecond);

}  // namespace

}  // namespace blastsearch

BENCHMARK_MAIN();
