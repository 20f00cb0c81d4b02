// The database window over 100,000 results: how long it takes from opening
// the database to the first rows painted, and how long the filter box takes
// to narrow the list at each keystroke. Built with the window option; run
// on Qt's offscreen platform unless another is chosen.
#include <benchmark/benchmark.h>

#include <QAbstractItemModel>
#include <QApplication>
#include <QLineEdit>
#include <QTreeView>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "gui/DatabaseWindow.h"
#include "host/db/DBEngine.h"
#include "host/db/DBStorage.h"
#include "table/ResultListFacts.h"

namespace blastsearch {

namespace fs = std::filesystem;

namespace {

constexpr int kResults = 100000;

// A database of kResults results with their list facts as keys, made once
// in the temporary folder and kept for later runs. The records are not
// results (the window never reads them).
const std::string& WindowDatabase() {
  static const std::string dir = [] {
    const fs::path path = fs::temp_directory_path() / "blastsearch_window_bench_100k";
    const fs::path done = path / "complete";
    if (fs::exists(done)) return path.string();
    fs::remove_all(path);
    engine().OpenDatabase(path.string(), 1);
    CDBStorage& storage = *engine().Storage(1);
    const char* programs[] = {"blastn", "blastp", "blastx", "tblastn", "tblastx"};
    storage.BeginWrite();
    for (int i = 1; i <= kResults; ++i) {
      CStoredObject row;
      row.m_recordId = storage.ReserveRecordId(201);
      row.m_name = "Result " + std::to_string(i) + (i % 7 == 0 ? " kinase" : " lysozyme");
      row.m_objType = 15;
      row.m_creationTime = 1700000000L + i;
      row.m_tableNumber = i % 500;
      row.m_tableText = "query_" + std::to_string(i) + " hypothetical protein";
      storage.PutObject(201, row, "record");
      const std::string prefix(kResultFactKey);
      storage.SetObjectKeys(
          201, row.m_recordId,
          {prefix + "program=" + programs[i % 5], prefix + "database=nr",
           prefix + "evalue=" + std::to_string(i % 90) + "e-" + std::to_string(i % 50),
           prefix + "identity=" + std::to_string(50 + i % 50) + ".5",
           prefix + "keyword=" + (i % 3 == 0 ? "membrane" : "secreted")});
    }
    storage.Commit();
    engine().CloseDatabase(1);
    std::ofstream(done) << "made\n";
    return path.string();
  }();
  return dir;
}

void Settle() {
  for (int i = 0; i < 3; ++i) QApplication::processEvents();
}

// Opening the database, making the window and painting its first rows.
void BM_OpenWindowFirstRows(benchmark::State& state) {
  const std::string& dir = WindowDatabase();
  int rows = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    engine().OpenDatabase(dir, 1);
    auto window = std::make_unique<CDatabaseWindow>();
    window->show();
    Settle();
    const auto end = std::chrono::steady_clock::now();
    state.SetIterationTime(std::chrono::duration<double>(end - start).count());
    rows = window->m_pObjects->model()->rowCount();
    window.reset();
    engine().CloseDatabase(1);
  }
  state.counters["rows"] = rows;
}
BENCHMARK(BM_OpenWindowFirstRows)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

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
