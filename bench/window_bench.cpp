// The database window over many results (BLASTSEARCH_WINDOW_RESULTS,
// default 100,000; 1,000,000 for the scale figures):
// - BM_OpenWindowFirstRows: from opening the database to the window's
//   first rows painted, with the growth of the resident size and the rows
//   read from the storage (a page or two, never the table);
// - BM_OpenListFirstPage: the list model alone opened on the database (its
//   first page), with the same counters;
// - BM_ScrollPages: the view scrolled to its end ten times (ten more pages
//   read through the view as a person scrolls);
// - BM_FilterKeystroke: one keystroke in the filter box (words found past
//   the first pages, read until a page of rows is found);
// - BM_SortByCreated: sorting by the creation time, which the storage has
//   no index of: every object's time read once, the identifiers kept.
// Built with the window option; runs on Qt's offscreen platform unless
// another is chosen. The database is generated through the storage in
// transactions of 10,000 objects (names scrambled against the identifier
// order, as the scale benchmark makes them, with their list facts as keys),
// once, in the temporary folder, and kept for later runs.
//
// Figures: build in release mode and run
//   BLASTSEARCH_WINDOW_RESULTS=1000000 build-release/bench/window_bench
//   --benchmark_counters_tabular=true
#include <benchmark/benchmark.h>

#include <QAbstractItemModel>
#include <QApplication>
#include <QLineEdit>
#include <QScrollBar>
#include <QTreeView>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "ResidentMemory.h"
#include "gui/DatabaseWindow.h"
#include "gui/ObjectListModel.h"
#include "host/db/DBEngine.h"
#include "host/db/DBStorage.h"
#include "table/ResultListFacts.h"

namespace blastsearch {

namespace fs = std::filesystem;

namespace {

constexpr int kTable = 201;
using Clock = std::chrono::steady_clock;

std::size_t ResultCount() {
  const char* asked = std::getenv("BLASTSEARCH_WINDOW_RESULTS");
  const std::size_t count = asked != nullptr ? std::strtoul(asked, nullptr, 10) : 0;
  return count > 0 ? count : 100000;
}

// The name of the generated result `i`: scrambled against the identifier
// order, so that name order is not the order of storing.
std::string GeneratedName(std::size_t i) {
  const std::size_t scrambled = (i * 2654435761ULL) % 1000003ULL;
  return "result " + std::to_string(scrambled) + "_" + std::to_string(i) +
         (i % 7 == 0 ? " kinase" : " lysozyme");
}

// The database of ResultCount() results with their list facts as keys. The
// records are not results (the window never reads them).
const std::string& WindowDatabase() {
  static const std::string dir = [] {
    const std::size_t count = ResultCount();
    const fs::path path =
        fs::temp_directory_path() / ("blastsearch_window_bench_" + std::to_string(count));
    const fs::path done = path / "complete";
    if (fs::exists(done)) return path.string();
    fs::remove_all(path);
    engine().OpenDatabase(path.string(), 1);
    CDBStorage& storage = *engine().Storage(1);
    const char* programs[] = {"blastn", "blastp", "blastx", "tblastn", "tblastx"};
    const std::string prefix(kResultFactKey);
    for (std::size_t first = 1; first <= count; first += 10000) {
      CDBWriteTransaction write(storage);
      for (std::size_t i = first; i < first + 10000 && i <= count; ++i) {
        CStoredObject row;
        row.m_recordId = storage.ReserveRecordId(kTable);
        row.m_name = GeneratedName(i);
        row.m_objType = 15;
        row.m_creationTime = 1700000000L + static_cast<long>((i * 7919) % count);
        row.m_tableNumber = static_cast<int>(i % 500);
        row.m_tableText = "query_" + std::to_string(i) + " hypothetical protein";
        storage.PutObject(kTable, row, "record");
        storage.SetObjectKeys(
            kTable, row.m_recordId,
            {prefix + "program=" + programs[i % 5], prefix + "database=nr",
             prefix + "evalue=" + std::to_string(i % 90) + "e-" + std::to_string(i % 50),
             prefix + "identity=" + std::to_string(50 + i % 50) + ".5",
             prefix + "keyword=" + (i % 3 == 0 ? "membrane" : "secreted")});
      }
      write.Commit();
    }
    engine().CloseDatabase(1);
    std::ofstream(done) << "made\n";
    return path.string();
  }();
  return dir;
}

void Settle() {
  for (int i = 0; i < 3; ++i) QApplication::processEvents();
}

double Seconds(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// Opening the database, making the window and painting its first rows.
void BM_OpenWindowFirstRows(benchmark::State& state) {
  const std::string& dir = WindowDatabase();
  double grown = 0;
  std::size_t read = 0;
  int rows = 0;
  for (auto _ : state) {
    ResetPeakResident();
    const double before = ResidentBytes();
    const auto start = Clock::now();
    engine().OpenDatabase(dir, 1);
    auto window = std::make_unique<CDatabaseWindow>();
    window->show();
    Settle();
    state.SetIterationTime(Seconds(start));
    grown = std::max(grown, PeakResidentBytes() - before);
    rows = window->m_pModel->rowCount();
    read = window->m_pModel->RowsRead();
    window.reset();
    engine().CloseDatabase(1);
  }
  state.counters["results"] = static_cast<double>(ResultCount());
  state.counters["rows"] = rows;
  state.counters["read"] = static_cast<double>(read);
  state.counters["rss_growth_MB"] = grown / 1e6;
}
BENCHMARK(BM_OpenWindowFirstRows)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

// The list model alone over the open database: its first page.
void BM_OpenListFirstPage(benchmark::State& state) {
  engine().OpenDatabase(WindowDatabase(), 1);
  double grown = 0;
  int rows = 0;
  for (auto _ : state) {
    ResetPeakResident();
    const double before = ResidentBytes();
    CObjectListModel model;
    CObjectListModel::CSource source;
    source.m_pStorage = engine().Storage(1);
    source.m_labels = {"Name", "Created", "Program", "Database", "Best E value", "Best %"};
    source.m_numeric = {false, false, false, false, true, true};
    source.m_nFactColumn = 2;
    model.Reset(std::move(source));
    rows = model.rowCount();
    grown = std::max(grown, PeakResidentBytes() - before);
  }
  state.counters["rows"] = rows;
  state.counters["rss_growth_MB"] = grown / 1e6;
  engine().CloseDatabase(1);
}
BENCHMARK(BM_OpenListFirstPage)->Unit(benchmark::kMillisecond);

// The window open, the list scrolled to its end ten times.
void BM_ScrollPages(benchmark::State& state) {
  engine().OpenDatabase(WindowDatabase(), 1);
  {
    int rows = 0;
    for (auto _ : state) {
      state.PauseTiming();
      auto window = std::make_unique<CDatabaseWindow>();
      window->show();
      Settle();
      state.ResumeTiming();
      QScrollBar* bar = window->m_pObjects->verticalScrollBar();
      for (int i = 0; i < 10; ++i) {
        bar->setValue(bar->maximum());
        Settle();
      }
      rows = window->m_pModel->rowCount();
      state.PauseTiming();
      window.reset();
      state.ResumeTiming();
    }
    state.counters["rows"] = rows;
  }
  engine().CloseDatabase(1);
}
BENCHMARK(BM_ScrollPages)->Iterations(3)->Unit(benchmark::kMillisecond);

// One keystroke in the filter box: the list narrowed and painted. The
// words typed and taken back in turn, as a person types and corrects.
void BM_FilterKeystroke(benchmark::State& state) {
  engine().OpenDatabase(WindowDatabase(), 1);
  {
    CDatabaseWindow window;
    window.show();
    Settle();
    const QString typed = QStringLiteral("kinase 12");
    int length = 0;
    int step = 1;
    for (auto _ : state) {
      length += step;
      if (length == typed.size() || length == 0) step = -step;
      window.m_pFilter->setText(typed.left(length));
      Settle();
    }
    state.counters["rows"] = window.m_pObjects->model()->rowCount();
  }
  engine().CloseDatabase(1);
}
BENCHMARK(BM_FilterKeystroke)->Unit(benchmark::kMillisecond);

// Sorting by the creation time and back to names.
void BM_SortByCreated(benchmark::State& state) {
  engine().OpenDatabase(WindowDatabase(), 1);
  {
    CDatabaseWindow window;
    window.show();
    Settle();
    const int created = window.ColumnOf(QStringLiteral("Created"));
    double grown = 0;
    for (auto _ : state) {
      ResetPeakResident();
      const double before = ResidentBytes();
      window.m_pObjects->sortByColumn(created, Qt::DescendingOrder);
      Settle();
      grown = std::max(grown, PeakResidentBytes() - before);
      state.PauseTiming();
      window.m_pObjects->sortByColumn(0, Qt::AscendingOrder);
      Settle();
      state.ResumeTiming();
    }
    state.counters["rss_growth_MB"] = grown / 1e6;
  }
  engine().CloseDatabase(1);
}
BENCHMARK(BM_SortByCreated)->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace

}  // namespace blastsearch

int main(int argc, char** argv) {
  using namespace blastsearch;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // The window's kept layout is not the person's: a scratch settings folder.
  qputenv("XDG_CONFIG_HOME",
          (fs::temp_directory_path() / "blastsearch_window_bench_config").string().c_str());
  QApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
