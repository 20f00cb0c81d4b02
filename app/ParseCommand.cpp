#include "app/ParseCommand.h"

#include <pthread.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstring>
#include <limits>
#include <mutex>
#include <optional>
#include <ostream>
#include <thread>

#include "app/Commands.h"
#include "app/EntryJson.h"
#include "app/EntryReport.h"
#include "app/InterruptCatcher.h"
#include "parse/ReportName.h"
#include "model/BlastSearchEntry.h"
#include "model/TransferFile.h"
#include "parse/NCBIAnalyser.h"
#include "parse/NCBIAnalyserQ.h"
#include "parse/ReportLayout.h"
#include "platform/File.h"
#include "platform/InputFile.h"
#include "platform/ReplacingFile.h"
#include "platform/UserInteraction.h"

namespace {

// How much of the input is looked at before the rest is read: a report's
// query line or summary header, or a transfer file's opening, stands in it.
constexpr std::uint64_t kLookSize = std::uint64_t{1} << 20;

constexpr const char* kNoReport = "no BLAST report that blastsearch recognises";

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
// parse takes more than a moment; clears the line when destroyed. The thread
// never takes SIGINT, which belongs to the reading thread.
class CProgressLine {
 public:
  CProgressLine(int& progress, std::ostream& err) : m_progress(progress), m_err(err) {
    sigset_t interrupt, previous;
    sigemptyset(&interrupt);
    sigaddset(&interrupt, SIGINT);
    pthread_sigmask(SIG_BLOCK, &interrupt, &previous);
    m_thread = std::thread([this] { Show(); });
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
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

// Reads a report with the reader for `layout`, a non-zero `*stop` ending it
// early; 1 read, 0 the reader failed.
int ReadReport(CFile& file, ReportLayout layout, CBlastSearchEntry& entry, int* stop,
               bool showProgress, std::ostream& err) {
  int progress = 0;
  CCountingUserInteraction messages;
  std::optional<CProgressLine> line;
  if (showProgress) line.emplace(progress, err);
  int result = 0;
  if (layout == ReportLayout::Classic) {
    CNCBIAnalyser analyser(&entry);
    analyser.Init(&progress, stop);
    result = analyser.ReadRequest(&file);
  } else {
    CNCBIAnalyserQ analyser(&entry);
    analyser.Init(&progress, stop);
    result = analyser.ReadRequest(&file);
  }
  return result != 0 && messages.Messages() == 0 ? 1 : 0;
}

int Fail(std::ostream& err, const std::string& file, const std::string& what, int status) {
  err << "blastsearch: " << file << ": " << what << '\n';
  return status;
}

// `bytes` for a person: whole GiB, MiB or KiB where it is one, else bytes.
std::string SizeText(std::uint64_t bytes) {
  for (const auto& [shift, unit] : {std::pair{30, "GiB"}, {20, "MiB"}, {10, "KiB"}}) {
    const std::uint64_t step = std::uint64_t{1} << shift;
    if (bytes >= step && bytes % step == 0) return std::to_string(bytes / step) + " " + unit;
  }
  return std::to_string(bytes) + " bytes";
}

// Reads the opened input whole, in two steps: a first look, which must show a
// transfer file's opening or the start of a report (unless a reader is
// forced), so that other input is not read on; then the rest, up to the
// limit. A non-zero `*stop` ends the reading early, keeping what was read.
// Returns kExitOk, or the failure status with its message written.
int ReadInput(const ParseOptions& options, CInputFile& input, int* stop, std::ostream& err) {
  const std::uint64_t limit = std::max(input.GetOpenedLength(), options.nMaxInput);
  const std::uint64_t beyond =
      limit < std::numeric_limits<std::uint64_t>::max() ? limit + 1 : limit;
  const auto tooLarge = [&] {
    return Fail(err, input.GetName(),
                "more than " + SizeText(limit) + " of input; --max-input raises the limit",
                kExitFailed);
  };
  CInputFile::ReadState state = input.Read(std::min(kLookSize, beyond), stop);
  if (state == CInputFile::readStopped) return kExitOk;
  if (input.View().size() > limit) return tooLarge();
  if (!IsTransferFileData(input.View()) && options.strReader == "auto" &&
      RecogniseReportLayout(input.View()) == ReportLayout::Unknown) {
    return Fail(
        err, input.GetName(),
        state == CInputFile::readEnded ? kNoReport : kNoReport + std::string(" in its first 1 MiB"),
        kExitFailed);
  }
  if (state == CInputFile::readFull) state = input.Read(beyond, stop);
  return state == CInputFile::readFull ? tooLarge() : kExitOk;
}

// Reads the input into `entry`: a transfer file as it was saved, a report
// through the reader chosen or recognised. A Ctrl-C while the input is read
// keeps the part read so far, which is then parsed; another one stops the
// parse. `interrupted` tells whether either came. Returns kExitOk or the
// failure status with its message written.
int Load(const ParseOptions& options, CInputFile& input, CInterruptCatcher& catcher,
         CBlastSearchEntry& entry, bool& interrupted, std::ostream& err) {
  int status = ReadInput(options, input, catcher.StopFlag(), err);
  if (status != kExitOk) return status;
  const std::string_view bytes = input.View();
  if (IsTransferFileData(bytes)) {
    if (catcher.Interrupted()) {
      return Fail(err, input.GetName(), "interrupted before the transfer file was read whole",
                  kExitInterrupted);
    }
    try {
      CByteViewFile file(bytes, input.GetName());
      LoadTransferFile(file, entry);
    } catch (const CException& e) {
      return Fail(err, input.GetName(), std::string("damaged transfer file: ") + e.what(),
                  kExitFailed);
    }
    return kExitOk;
  }
  const ReportLayout layout = ChooseLayout(options.strReader, RecogniseReportLayout(bytes));
  if (layout == ReportLayout::Unknown) {
    return catcher.Interrupted() ? Fail(err, input.GetName(),
                                        "interrupted before a report was read", kExitInterrupted)
                                 : Fail(err, input.GetName(), kNoReport, kExitFailed);
  }
  const std::string queryName = QueryNameOfReport(bytes);
  catcher.Rearm();
  CInputBytesFile report(input);  // the reader's copy replaces the input's bytes
  if (ReadReport(report, layout, entry, catcher.StopFlag(), options.bProgress, err) == 0) {
    return Fail(err, input.GetName(), "the report could not be read", kExitFailed);
  }
  if (entry.m_Mol.m_strName.empty()) entry.m_Mol.m_strName = queryName;
  interrupted = catcher.Interrupted();
  return kExitOk;
}

// Opens the input and, when a save is asked for, the new file beside its
// target, before anything is read: a name that cannot be used fails at once.
int OpenFiles(const ParseOptions& options, CInputFile& input, CReplacingFile& save,
              const CInterruptCatcher& catcher, std::ostream& err) {
  const std::string name = options.strFile == "-" ? "standard input" : options.strFile;
  if (!input.Open(options.strFile)) {
    if (errno == EINTR && catcher.Interrupted()) {
      return Fail(err, name, "interrupted before it was opened", kExitInterrupted);
    }
    return Fail(err, name, std::string("cannot open: ") + std::strerror(errno), kExitUsage);
  }
  if (options.strSave.empty()) return kExitOk;
  if (input.IsSameFileAs(options.strSave)) {
    return Fail(err, options.strSave, "is the file being read; the result is not saved over it",
                kExitUsage);
  }
  if (!save.Create(options.strSave)) {
    return Fail(err, options.strSave, std::string("cannot create: ") + std::strerror(errno),
                kExitUsage);
  }
  return kExitOk;
}

// Writes `entry` into `save` and puts it in place of its target.
int Save(CBlastSearchEntry& entry, CReplacingFile& save, std::ostream& err) {
  try {
    StoreTransferFile(entry, save);
    save.Commit();
  } catch (const CException& e) {
    err << "blastsearch: the result is not saved: " << e.what() << '\n';
    return kExitFailed;
  }
  return kExitOk;
}

void WriteResult(const ParseOptions& options, CBlastSearchEntry& entry, std::ostream& out) {
  if (options.bJson) {
    out << EntryToJson(entry) << '\n';
  } else if (options.bSummary) {
    WriteEntrySummary(entry, out);
  } else {
    WriteEntryReport(entry, out);
  }
}

// Says that the result is partial, and what becomes of the save asked for.
void NotePartial(const ParseOptions& options, const CInputFile& input,
                 const CBlastSearchEntry& entry, std::ostream& err) {
  const std::size_t hits = entry.m_Hits.m_HitList.size();
  err << "blastsearch: " << input.GetName() << ": interrupted; the result is partial (" << hits
      << (hits == 1 ? " hit" : " hits") << " read)";
  if (!options.strSave.empty() && !options.bSavePartial) {
    err << "; not saved to " << options.strSave << " (--save-partial saves it)";
  }
  err << '\n';
}

}  // namespace

int RunParse(const ParseOptions& options, std::ostream& out, std::ostream& err) {
  const std::string name = options.strFile == "-" ? "standard input" : options.strFile;
  try {
    CInputFile input;
    CBlastSearchEntry entry;
    bool interrupted = false;
    {
      // Ctrl-C stops the reading; the saving runs to its end, so that no
      // half-written file is left behind.
      CInterruptCatcher catcher;
      CReplacingFile save;
      int status = OpenFiles(options, input, save, catcher, err);
      if (status == kExitOk) status = Load(options, input, catcher, entry, interrupted, err);
      if (status != kExitOk) return status;
      if (interrupted) NotePartial(options, input, entry, err);
      if (!options.strSave.empty() && (!interrupted || options.bSavePartial)) {
        status = Save(entry, save, err);
        if (status != kExitOk) return status;
      }
    }
    WriteResult(options, entry, out);
    return interrupted ? kExitInterrupted : kExitOk;
  } catch (const CFileException& e) {
    err << "blastsearch: " << e.what() << '\n';  // the message names the file
    return kExitFailed;
  } catch (const std::exception& e) {
    return Fail(err, name, e.what(), kExitFailed);
  }
}
