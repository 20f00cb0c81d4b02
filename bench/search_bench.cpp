// The table search over a database of 100,000 stored BLAST results (built
// once per run in a temporary directory): a hit-count search against a plain
// listing of the same objects, a keyword search that loads each object at
// most once, and a comment search for a substring no comment holds, which
// opens each comment file once (watched with inotify).
//
//   build-release/bench/search_bench --benchmark_counters_tabular=true
//
// BLASTSEARCH_BENCH_OBJECTS changes the number of objects (default 100000).
#include <benchmark/benchmark.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <ostream>
#include <stdexcept>
#include <streambuf>

#include "ReportGenerator.h"
#include "host/OrvTextFile.h"
#include "host/db/DBEngine.h"
#include "host/db/DBStorage.h"
#include "parse/NCBIAnalyserQ.h"
#include "platform/File.h"
#include "platform/UserInteraction.h"
#include "search/SearchFilters.h"
#include "search/SearchRun.h"
#include "table/BlastSearchTable.h"

namespace blastsearch {

namespace {

constexpr int kCommentEvery = 20;  // objects with a comment file
constexpr int kKeywordEvery = 10;  // objects with the keyword "tenth"

// Counts how often objects are loaded and records read while installed in
// the BLAST search table's place.
class CCountingTable : public CBlastSearchTable {
 public:
  ~CCountingTable() override { engine().RegisterTable(201, &blastSearch()); }
  CDBObjectBase* GetObjectData(unsigned long recordId, const char* name, int dbId) override {
    ++m_loads[recordId];
    return CBlastSearchTable::GetObjectData(recordId, name, dbId);
  }
  CDBObjectBase* ReadObject(COrvTextFile& file, int a, int b) override {
    ++m_nRecordsRead;
    return CBlastSearchTable::ReadObject(file, a, b);
  }
  std::map<unsigned long, int> m_loads;
  long m_nRecordsRead = 0;
};

struct CBenchDb {
  std::filesystem::path m_dir;
  int m_nObjects = 0;
  std::size_t m_nRecordBytes = 0;
  std::string m_commentDir;

  CBenchDb() {
    const char* env = std::getenv("BLASTSEARCH_BENCH_OBJECTS");
    m_nObjects = env != nullptr ? std::atoi(env) : 100000;
    m_dir = std::filesystem::temp_directory_path() /
            ("blastsearch-search-bench-" + std::to_string(::getpid()));
    std::filesystem::remove_all(m_dir);
    engine().OpenDatabase(m_dir.string(), 1);
    Fill();
    engine().CloseDatabase(1);
    engine().OpenDatabase(m_dir.string(), 1);
  }
  ~CBenchDb() {
    engine().CloseDatabase(1);
    std::filesystem::remove_all(m_dir);
  }

  void Fill() {
    ReportSpec spec;
    spec.hits = 3;
    CBlastSearchObject object;
    CMemFile report(GenerateReport(spec));
    CNCBIAnalyserQ analyser(&object.Entry());
    analyser.ReadRequest(&report);
    CDBStorage& storage = *engine().Storage(1);
    CDBWriteTransaction transaction(storage);
    for (int i = 1; i <= m_nObjects; ++i) {
      object.m_name = "result " + std::to_string(i);
      object.m_recordId = static_cast<unsigned long>(i);
      object.m_keywords.clear();
      if (i % kKeywordEvery == 0) object.m_keywords.push_back("tenth");
      COrvTextFile record{COrvFileSpec(object.m_name)};
      record.OpenMemoryOutput();
      blastSearch().WriteObject(&object, record, 0);
      m_nRecordBytes += record.MemoryData().size();
      CStoredObject row;
      row.m_recordId = object.m_recordId;
      row.m_name = object.m_name;
      row.m_objType = 15;
      row.m_creationTime = 1700000000 + i;
      row.m_tableNumber = i % 250;
      row.m_tableText = "query " + std::to_string(i % 97);
      storage.PutObject(201, row, record.MemoryData());
    }
    storage.NoteRecordId(201, static_cast<unsigned long>(m_nObjects));
    storage.AddKeyword(201, "tenth");
    transaction.Commit();
    for (int i = kCommentEvery; i <= m_nObjects; i += kCommentEvery) {
      object.m_recordId = static_cast<unsigned long>(i);
      object.m_comments = {"reviewed " + std::to_string(i), "second line of the comment"};
      if (object.InsertComment(1) == 0) {
        throw std::runtime_error("cannot write the comment of result " + std::to_string(i));
      }
    }
    m_commentDir = std::filesystem::path(engine().MakeCommentFileName(15, 1, 1).GetPath())
                       .parent_path()
                       .string();
  }
};

CBenchDb& BenchDb() {
  static CBenchDb db;
  return db;
}

// Discards what is written to it.
class CNullBuffer : public std::streambuf {
 protected:
  int overflow(int c) override { return c; }
  std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

// The three filters as the search runs them, all switched off.
void ResetFilters() {
  MakeSearchFilters();
  TextSearchFilter() = CContextFilter();
  KeywordSearchFilter() = CKeywordFilter();
  AttribSearchFilter() = CAttribFilter();
}

// Answers nothing and shows nothing: messages dropped, prompt cancelled,
// progress silent.
class CQuietInteraction : public CScopedUserInteraction {
 public:
  int ShowMessage(const std::string&, unsigned) override { return IDOK; }
  int ChooseFile(const FileDialogRequest&, std::string&) override { return IDCANCEL; }
  int PromptText(const std::string&, std::string&) override { return IDCANCEL; }
};

// Runs the search over the whole table; the name prompt is cancelled so
// that nothing is written. Returns the number of matches.
std::size_t Search() {
  CQuietInteraction ui;
  CSearchRun run(15, 1);
  run.AddFilter(&AttribSearchFilter());
  run.AddFilter(&TextSearchFilter());
  run.AddFilter(&KeywordSearchFilter());
  run.OnStartSearch();
  return run.m_results.size();
}

// What `list` does: every object with its UID, hit count and query name.
void BM_ListObjects(benchmark::State& state) {
  BenchDb();
  CNullBuffer buffer;
  std::ostream out(&buffer);
  const char* fields[] = {"UID", "Hits Count", "QueryName"};
  CDBFieldDef defs[3];
  for (int i = 0; i < 3; ++i) blastSearch().GetObjFieldDef(1, fields[i], defs[i]);
  for (auto _ : state) {
    std::string value;
    for (const auto& info : blastSearch().getobjlist(1)) {
      out << info->m_name;
      for (const CDBFieldDef& def : defs) {
        blastSearch().GetFieldValue(1, info.get(), &def, value);
        out << '\t' << value;
      }
      out << '\n';
    }
  }
  state.counters["objects"] = static_cast<double>(blastSearch().getobjlist(1).GetCount());
}
BENCHMARK(BM_ListObjects)->Unit(benchmark::kMillisecond);

void BM_HitCountSearch(benchmark::State& state) {
  BenchDb();
  ResetFilters();
  AttribSearchFilter().m_bEnabled = 1;
  AttribSearchFilter().m_b11To100 = 1;
  CCountingTable counting;
  std::size_t found = 0;
  for (auto _ : state) found = Search();
  state.counters["found"] = static_cast<double>(found);
  state.counters["records_read"] = static_cast<double>(counting.m_nRecordsRead);
  state.counters["objects_loaded"] = static_cast<double>(counting.m_loads.size());
}
BENCHMARK(BM_HitCountSearch)->Unit(benchmark::kMillisecond);

void BM_KeywordSearch(benchmark::State& state) {
  BenchDb();
  ResetFilters();
  KeywordSearchFilter().m_bEnabled = 1;
  KeywordSearchFilter().m_keywords = {"tenth"};
  std::size_t found = 0;
  int maxLoads = 0;
  std::size_t loaded = 0;
  for (auto _ : state) {
    CCountingTable counting;
    found = Search();
    state.PauseTiming();
    for (const auto& entry : counting.m_loads) maxLoads = std::max(maxLoads, entry.second);
    loaded = counting.m_loads.size();
    state.ResumeTiming();
  }
  state.counters["found"] = static_cast<double>(found);
  state.counters["objects_loaded"] = static_cast<double>(loaded);
  state.counters["max_loads_per_object"] = maxLoads;
  state.counters["record_bytes_avg"] =
      static_cast<double>(BenchDb().m_nRecordBytes) / BenchDb().m_nObjects;
}
BENCHMARK(BM_KeywordSearch)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_CommentSearchForAbsentText(benchmark::State& state) {
  BenchDb();
  ResetFilters();
  TextSearchFilter().m_bEnabled = 1;
  TextSearchFilter().m_substrings = {"no comment holds this"};
  TextSearchFilter().m_fieldCodes = {"248"};
  std::size_t found = 0, filesOpened = 0;
  int maxOpens = 0;
  for (auto _ : state) {
    state.PauseTiming();
    const int watch = inotify_init1(IN_NONBLOCK);
    inotify_add_watch(watch, BenchDb().m_commentDir.c_str(), IN_OPEN | IN_CLOSE_NOWRITE);
    state.ResumeTiming();
    found = Search();
    state.PauseTiming();
    std::map<std::string, int> opens;
    alignas(inotify_event) char events[1 << 16];
    for (ssize_t n; (n = read(watch, events, sizeof events)) > 0;) {
      for (char* p = events; p < events + n;) {
        auto* event = reinterpret_cast<inotify_event*>(p);
        if ((event->mask & IN_Q_OVERFLOW) != 0) state.SkipWithError("inotify queue overflowed");
        if ((event->mask & IN_OPEN) != 0 && event->len > 0) ++opens[event->name];
        p += sizeof(inotify_event) + event->len;
      }
    }
    close(watch);
    filesOpened = opens.size();
    for (const auto& entry : opens) maxOpens = std::max(maxOpens, entry.second);
    state.ResumeTiming();
  }
  state.counters["found"] = static_cast<double>(found);
  state.counters["comment_files"] = static_cast<double>(BenchDb().m_nObjects / kCommentEvery);
  state.counters["comment_files_opened"] = static_cast<double>(filesOpened);
  state.counters["max_opens_per_file"] = maxOpens;
}
BENCHMARK(BM_CommentSearchForAbsentText)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace

}  // namespace blastsearch

BENCHMARK_MAIN();
