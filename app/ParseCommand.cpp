#include "app/ParseCommand.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <csignal>
#include <cstring>
#include <ostream>
#include <thread>

#include "app/Commands.h"
#include "app/EntryJson.h"
#include "app/EntryReport.h"
#include "parse/ReportName.h"
#include "model/BlastSearchEntry.h"
#include "model/TransferFile.h"
#include "parse/NCBIAnalyser.h"
#include "parse/NCBIAnalyserQ.h"
#include "parse/ReportLayout.h"
#include "platform/File.h"
#include "platform/MappedFile.h"
#include "platform/UserInteraction.h"

namespace {

// The stop flag of the parse under way; set from the SIGINT handler.
int g_nStop = 0;

extern "C" void OnInterrupt(int) { std::atomic_ref<int>(g_nStop).store(1); }

// Forwards messages to the service it replaces and counts them: every
// message a reader shows reports a failure.
class CCountingUserInteraction : public CScopedUserInteraction {
 public:
  int ShowMessage(const std::string& text, unsigned style) override {
    ++m_nMessages;
    return Previous().ShowMessage(text, style);
  }
  int ChooseFile(const FileDialogRequest& request, std::string& path) override {
    return Previous().ChooseFile(request, path);
  }
  int PromptText(const std::string& prompt, std::string& text) override {
    return Previous().PromptText(prompt, text);
  }
  int Messages() const { return m_nMessages; }

 private:
  int m_nMessages = 0;
};

ReportLayout ChooseLayout(const std::string& reader, ReportLayout recognised) {
  if (reader == "qblast") return ReportLayout::QBlast;
  if (reader == "classic") return ReportLayout::Classic;
  return recognised;
}

// Shows the progress counter on standard error, from its own thread, once a
// parse takes more than a moment; clears the line when destroyed.
class CProgressLine {
 public:
  CProgressLine(int& progress, std::ostream& err) : m_progress(progress), m_err(err) {
    m_thread = std::thread([this] { Show(); });
  }
  ~CProgressLine() {
    {
      std::lock_guard lock(m_mutex);
      m_bDone = true;
    }
    m_wake.notify_one();
    m_thread.join();
    if (m_bShown) m_err << "\r\033[K" << std::flush;
  }
  CProgressLine(const CProgressLine&) = delete;
  CProgressLine& operator=(const CProgressLine&) = delete;

 private:
  void Show() {
    std::unique_lock lock(m_mutex);
    if (m_wake.wait_for(lock, std::chrono::milliseconds(500), [this] { return m_bDone; })) return;
    do {
      int hits = std::atomic_ref<int>(m_progress).load(std::memory_order_relaxed);
      m_err << "\rreading: " << hits << " hits" << std::flush;
      m_bShown = true;
    } while (!m_wake.wait_for(lock, std::chrono::milliseconds(100), [this] { return m_bDone; }));
  }

  int& m_progress;
  std::ostream& m_err;
  std::mutex m_mutex;
  std::condition_variable m_wake;
  bool m_bDone = false;
  bool m_bShown = false;
  std::thread m_thread;
};

// Runs `read` with Ctrl-C setting the stop flag, and a progress line when asked.
template <class Read>
int ReadWithProgress(Read read, int& progress, bool show, std::ostream& err) {
  std::atomic_ref<int>(g_nStop).store(0);
  auto previous = std::signal(SIGINT, OnInterrupt);
  int result = 0;
  {
    std::optional<CProgressLine> line;
    if (show) line.emplace(progress, err);
    result = read();
  }
  std::signal(SIGINT, previous);
  if (std::atomic_ref<int>(g_nStop).load() != 0) {
    err << "blastsearch: stopped; showing what was read so far\n";
  }
  return result;
}

// Reads a report with the reader for `layout`; 1 read, 0 the reader failed.
int ReadReport(CFile& file, ReportLayout layout, CBlastSearchEntry& entry, bool showProgress,
               std::ostream& err) {
  int progress = 0;
  CCountingUserInteraction messages;
  int result = ReadWithProgress(
      [&]() -> int {
        if (layout == ReportLayout::Classic) {
          CNCBIAnalyser analyser(&entry);
          analyser.Init(&progress, &g_nStop);
          return analyser.ReadRequest(&file);
        }
        CNCBIAnalyserQ analyser(&entry);
        analyser.Init(&progress, &g_nStop);
        return analyser.ReadRequest(&file);
      },
      progress, showProgress, err);
  return result != 0 && messages.Messages() == 0 ? 1 : 0;
}

int Fail(std::ostream& err, const std::string& file, const std::string& what, int status) {
  err << "blastsearch: " << file << ": " << what << '\n';
  return status;
}

// What the first look at a file says: a transfer file, or the layout and
// query name of a report. Throws CFileException when it cannot be read.
struct CFileKind {
  bool bTransferFile = false;
  ReportLayout layout = ReportLayout::Unknown;
  std::string strQueryName;
};

CFileKind LookAt(const std::string& path) {
  CMappedFile mapped;
  mapped.Open(path);
  CFileKind kind;
  kind.bTransferFile = IsTransferFileData(mapped.View());
  if (!kind.bTransferFile) {
    kind.layout = RecogniseReportLayout(mapped.View());
    kind.strQueryName = QueryNameOfReport(mapped.View());
  }
  return kind;
}

int Load(const ParseOptions& options, CBlastSearchEntry& entry, std::ostream& err) {
  CFile file;
  if (!file.Open(options.strFile, CFile::modeRead)) {
    return Fail(err, options.strFile, std::string("cannot open: ") + std::strerror(errno),
                kExitUsage);
  }
  const CFileKind kind = LookAt(options.strFile);
  if (kind.bTransferFile) {
    try {
      LoadTransferFile(file, entry);
    } catch (const CException& e) {
      return Fail(err, options.strFile, std::string("damaged transfer file: ") + e.what(),
                  kExitFailed);
    }
    return kExitOk;
  }
  if (kind.layout == ReportLayout::Unknown) {
    return Fail(err, options.strFile, "no BLAST report that blastsearch recognises", kExitFailed);
  }
  const ReportLayout layout = ChooseLayout(options.strReader, kind.layout);
  if (ReadReport(file, layout, entry, options.bProgress, err) == 0) {
    return Fail(err, options.strFile, "the report could not be read", kExitFailed);
  }
  if (entry.m_Mol.m_strName.empty()) entry.m_Mol.m_strName = kind.strQueryName;
  return kExitOk;
}

}  // namespace

int RunParse(const ParseOptions& options, std::ostream& out, std::ostream& err) {
  try {
    CBlastSearchEntry entry;
    int status = Load(options, entry, err);
    if (status != kExitOk) return status;
    if (!options.strSave.empty()) {
      CFile save;
      if (!save.Open(options.strSave, CFile::modeWrite | CFile::modeCreate)) {
        return Fail(err, options.strSave, std::string("cannot create: ") + std::strerror(errno),
                    kExitUsage);
      }
      StoreTransferFile(entry, save);
    }
    if (options.bJson) {
      out << EntryToJson(entry) << '\n';
    } else if (options.bSummary) {
      WriteEntrySummary(entry, out);
    } else {
      WriteEntryReport(entry, out);
    }
    return kExitOk;
  } catch (const std::exception& e) {
    return Fail(err, options.strFile, e.what(), kExitFailed);
  }
}
