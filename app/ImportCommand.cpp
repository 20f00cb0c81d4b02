#include "app/ImportCommand.h"

#include <unistd.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>

#include "app/Commands.h"
#include "app/InterruptCatcher.h"
#include "app/TableOptions.h"
#include "host/db/DBEngine.h"
#include "output/ProgressBar.h"
#include "table/BlastSearchTable.h"
#include "table/ReportImport.h"
#include "util/HeapReserve.h"

namespace blastsearch {

namespace {

// Bytes for a person: "35 MiB", "1.5 GiB", "812 KiB".
std::string ByteText(std::uint64_t bytes) {
  char text[32];
  if (bytes >= (std::uint64_t{1} << 30)) {
    std::snprintf(text, sizeof text, "%.1f GiB", static_cast<double>(bytes) / (1 << 30));
  } else if (bytes >= (std::uint64_t{1} << 20)) {
    std::snprintf(text, sizeof text, "%llu MiB", static_cast<unsigned long long>(bytes >> 20));
  } else {
    std::snprintf(text, sizeof text, "%llu KiB", static_cast<unsigned long long>(bytes >> 10));
  }
  return text;
}

// The progress of one file on a terminal: results stored and bytes read,
// drawn at most ten times a second.
class CFileProgress {
 public:
  CFileProgress(CProgressBar& bar, std::string name) : m_bar(bar), m_strName(std::move(name)) {}
  void operator()(std::size_t results, std::uint64_t bytes, std::uint64_t length) {
    const auto now = std::chrono::steady_clock::now();
    if (now - m_last < std::chrono::milliseconds(100)) return;
    m_last = now;
    const std::size_t permille = length == 0 ? 0 : static_cast<std::size_t>(bytes * 1000 / length);
    std::string label = m_strName + ": " + std::to_string(results) + " results, " + ByteText(bytes);
    if (length != 0) label += " of " + ByteText(length);
    m_bar.Step(permille, label);
  }

 private:
  CProgressBar& m_bar;
  std::string m_strName;
  std::chrono::steady_clock::time_point m_last{};
};

}  // namespace

void AddImportCommand(CLI::App& app, CCommandContext& context) {
  auto options = std::make_shared<CImportOptions>();
  CLI::App* command = app.add_subcommand(
      "import",
      "Store the results of BLAST reports (every layout blastsearch reads) and transfer files,\n"
      "one result per query, named after the query. One line per file. Exit status: 0 every\n"
      "file read to its end, 1 otherwise, 2 usage error, 130 stopped by Ctrl-C.");
  command->add_option("FILE", options->m_files, "reports and transfer files to store")->required();
  command
      ->add_option("--subbase", options->m_strSubbase,
                   "subbase the new results join (created when missing)")
      ->capture_default_str();
  command->add_flag("--every-round", options->m_bEveryRound,
                    "PSI-BLAST: store every round of each query, not only the last");
  AddTableOptions(*command, options->m_strColumns, options->m_strProgram);
  command->add_flag("--allow-duplicates", options->m_bAllowDuplicates,
                    "store results that are stored already once more");
  command->add_flag("--sync-at-end", options->m_bSyncAtEnd,
                    "commit each result as always but write the commits through to the disk\n"
                    "once, when the import ends: faster for many files, but until it ends a\n"
                    "power cut (not a killed process) may lose results it reported stored");
  command->fallthrough();
  command->callback([options, &context] {
    options->m_bProgress = ::isatty(STDERR_FILENO) != 0;
    context.m_run = [options, &context] { return RunImport(*options, context); };
  });
}

namespace {

// The import with the database open: stores every file in turn and reports
// each outcome; the exit status.
int ImportFiles(const CImportOptions& options, CCommandContext& context,
                CCommandMessages& messages) {
  CDBStorage* storage = engine().Storage(1);
  try {
    if (options.m_bSyncAtEnd) storage->SetDeferredSync(true);
  } catch (const std::exception& e) {
    messages.Fail(e.what());
    return kExitFailed;
  }
  CInterruptCatcher catcher;
  std::optional<CProgressBar> bar;
  if (options.m_bProgress) {
    bar.emplace(context.m_err, 1000);
    bar->ShowCount(false);
    messages.SetProgressBar(&*bar);
  }
  CReportImportOptions importOptions;
  importOptions.m_strSubbase = options.m_strSubbase;
  importOptions.m_bEveryRound = options.m_bEveryRound;
  importOptions.m_strColumns = options.m_strColumns;
  importOptions.m_strProgram = options.m_strProgram;
  importOptions.m_bAllowDuplicates = options.m_bAllowDuplicates;
  importOptions.m_pStop = catcher.StopFlag();
  bool failed = false;
  bool stopped = false;
  for (const std::string& path : options.m_files) {
    if (catcher.Interrupted()) {
      messages.Fail("stopped before " + path + "; nothing of it stored");
      stopped = true;
      break;
    }
    // Messages of the host (a store that failed) name the file.
    messages.SetPrefix(path);
    if (bar) {
      importOptions.m_progress =
          CFileProgress(*bar, std::filesystem::path(path).filename().string());
    }
    // A large report makes a large result tree: its rows and names go to a
    // heap readied for them in huge pages (nothing is done for small files).
    std::error_code sizeError;
    const std::uintmax_t size = std::filesystem::file_size(path, sizeError);
    if (!sizeError)
      ReserveHeapForResults(
          static_cast<std::size_t>(std::min<std::uintmax_t>(size, kHeapReserveMost)));
    const CReportImportOutcome outcome = ImportReportFile(blastSearch(), path, importOptions);
    messages.SetPrefix("");
    const std::string line = DescribeImportOutcome(path, outcome, true);
    switch (outcome.m_status) {
      case CReportImportOutcome::kStored:
        messages.Inform(line);
        break;
      case CReportImportOutcome::kStopped:
        messages.Fail(line);
        stopped = true;
        break;
      case CReportImportOutcome::kRefused:
      case CReportImportOutcome::kFailed:
        messages.Fail(line);
        failed = true;
        break;
    }
    if (stopped) break;
  }
  messages.SetProgressBar(nullptr);
  bar.reset();
  if (options.m_bSyncAtEnd) {
    try {
      storage->SetDeferredSync(false);
    } catch (const std::exception& e) {
      messages.Fail(std::string(e.what()) +
                    "; the results reported stored may be lost in a power cut");
      failed = true;
    }
  }
  const bool flushed = FlushOutput(context.m_out, messages);
  if (stopped) return kExitInterrupted;
  return !failed && flushed ? kExitOk : kExitFailed;
}

}  // namespace

int RunImport(const CImportOptions& options, CCommandContext& context) {
  CCommandMessages messages(context.m_out, context.m_err);
  return WithDatabase(context, messages, [&] { return ImportFiles(options, context, messages); });
}

}  // namespace blastsearch
