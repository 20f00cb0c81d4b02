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
#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <ostream>
#include <thread>

#include "app/Commands.h"
#include "app/EntryReport.h"
#include "app/InputReportSource.h"
#include "app/InterruptCatcher.h"
#include "model/BlastSearchEntry.h"
#include "model/ResultInfo.h"
#include "model/TransferFile.h"
#include "output/EntryJson.h"
#include "output/PrintableText.h"
#include "parse/ReportLayout.h"
#include "parse/ResultReaders.h"
#include "platform/File.h"
#include "platform/InputFile.h"
#include "platform/ReplacingFile.h"
#include "util/HeapReserve.h"

namespace blastsearch {

namespace {

// How much of the input is looked at before the rest is read: a report's
// query line or summary header, or a transfer file's opening, stands in it.
constexpr std::uint64_t kLookSize = std::uint64_t{1} << 20;

constexpr const char* kNoReport = "no BLAST report that blastsearch recognises";

// The readers by the names that --reader takes.
struct CReaderName {
  const char* pName;
  ReportLayout layout;
};
constexpr CReaderName kReaders[] = {
    {"qblast", ReportLayout::QBlast},
    {"classic", ReportLayout::Classic},
    {"blast+text", ReportLayout::BlastPlusText},
    {"blast+html", ReportLayout::BlastPlusHtml},
    {"xml", ReportLayout::BlastXml},
    {"xml2", ReportLayout::BlastXml2},
    {"json", ReportLayout::BlastJson},
    {"tabular", ReportLayout::Tabular},
    {"tabular7", ReportLayout::CommentedTabular},
    {"csv", ReportLayout::Csv},
};

// The layout that `reader` names, else the one recognised in `look` (or
// `recognised`, when the look was recognised before).
ReportLayout ChooseLayout(const std::string& reader, std::string_view look,
                          std::optional<ReportLayout> recognised) {
  for (const CReaderName& name : kReaders) {
    if (reader == name.pName) return name.layout;
  }
  return recognised ? *recognised : RecogniseReportLayout(look);
}

// The layouts whose readers take the whole report before they parse it.
bool ReadsWhole(ReportLayout layout) {
  return layout == ReportLayout::QBlast || layout == ReportLayout::Classic;
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

int Fail(std::ostream& err, const std::string& file, const std::string& what, int status) {
  err << "blastsearch: " << file << ": " << what << '\n';
  return status;
}

// The most bytes read from `input`: its length at opening, or the option's
// limit when that is more.
std::uint64_t InputLimit(const ParseOptions& options, const CInputFile& input) {
  return std::max(input.GetOpenedLength(), options.nMaxInput);
}

std::string TooLarge(std::uint64_t limit) {
  return "more than " + SizeText(limit) + " of input; --max-input raises the limit";
}

// Takes a first look at the opened input, which must show a transfer file's
// opening or the start of a report (unless a reader is forced), so that
// other input is not read on. Returns kExitOk, or the failure status with
// its message written; `recognised` receives the layout of the look when it
// was recognised.
int LookAtInput(const ParseOptions& options, CInputFile& input, int* stop,
                std::optional<ReportLayout>& recognised, std::ostream& err) {
  const std::uint64_t limit = InputLimit(options, input);
  const std::uint64_t beyond =
      limit < std::numeric_limits<std::uint64_t>::max() ? limit + 1 : limit;
  const CInputFile::ReadState state = input.Read(std::min(kLookSize, beyond), stop);
  if (state == CInputFile::readStopped) return kExitOk;
  if (input.View().size() > limit) return Fail(err, input.GetName(), TooLarge(limit), kExitFailed);
  if (!IsTransferFileData(input.View()) && options.strReader == "auto" &&
      (recognised = RecogniseReportLayout(input.View())) == ReportLayout::Unknown) {
    return Fail(
        err, input.GetName(),
        state == CInputFile::readEnded ? kNoReport : kNoReport + std::string(" in its first 1 MiB"),
        kExitFailed);
  }
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

// The place of `entry` among the queries of its file: the reader's count
// when it gives one, else the result's own place.
int QueryNumber(const CBlastSearchEntry& entry, int ordinal) {
  const std::string given = GetResultInfo(entry, result_info::kQueryNumber);
  int number = 0;
  for (const char c : given) {
    if (c < '0' || c > '9' || number > 100'000'000) return ordinal;
    number = number * 10 + (c - '0');
  }
  return number > 0 ? number : ordinal;
}

// True when `name` picks `entry`: its query's name or identifier is `name`,
// or its name begins with `name` and a blank.
bool IsQueryNamed(const CBlastSearchEntry& entry, const std::string& name) {
  const std::string& full = entry.m_Mol.m_strName;
  return full == name || entry.m_Mol.m_strID == name ||
         (full.size() > name.size() && full.compare(0, name.size(), name) == 0 &&
          full[name.size()] == ' ');
}

bool g_bLeaveToProcessEnd = false;  // LeaveLastResultToProcessEnd

// Keeps `entry` reachable to the end of the process (the one kept before is
// freed); frees it at once when there is no memory for the keeping.
void LeaveToProcessEnd(std::unique_ptr<CBlastSearchEntry> entry) noexcept {
  try {
    static auto* const left = new std::unique_ptr<CBlastSearchEntry>();
    *left = std::move(entry);
  } catch (const std::bad_alloc&) {
  }
}

// The results of one parse on their way out, in report order: picks those
// asked for, writes them, keeps the one to save. One result is held back
// until the next one comes, so that a file of one result is written as it
// always was and several are written each under its query's name.
class CResultSink {
 public:
  CResultSink(const ParseOptions& options, std::ostream& out) : m_options(options), m_out(out) {}
  CResultSink(const CResultSink&) = delete;
  CResultSink& operator=(const CResultSink&) = delete;
  ~CResultSink() {
    if (g_bLeaveToProcessEnd && m_pHeld) LeaveToProcessEnd(std::move(m_pHeld));
  }

  // Offers the next result of the report (`ordinal` from 1). Returns false
  // when no later result can be wanted; sets Several() when a save was asked
  // for and a second result was picked (nothing more is written then).
  bool Offer(std::unique_ptr<CBlastSearchEntry> entry, int ordinal) {
    const int number = QueryNumber(*entry, ordinal);
    if (!m_options.strQueryName.empty()) {
      if (!IsQueryNamed(*entry, m_options.strQueryName)) return true;
    } else if (m_options.nQuery != 0 && number != m_options.nQuery) {
      return number < m_options.nQuery;
    }
    ++m_nPicked;
    const std::string partial = GetResultInfo(*entry, result_info::kPartial);
    if (!partial.empty() && m_nPartial++ == 0) {
      m_strPartial = "result " + std::to_string(ordinal) + " (" +
                     PrintableText(entry->m_Mol.m_strName) + ") is partial: " + partial;
    }
    if (m_pHeld) {
      if (!m_options.strSave.empty()) {
        m_bSeveral = true;
        return false;
      }
      Write(*m_pHeld, m_nHeldNumber, true);
    }
    m_pHeld = std::move(entry);
    m_nHeldNumber = number;
    return m_options.strQueryName.empty();
  }
  // Writes the result held back; nothing when a save found several.
  void Flush() {
    if (m_pHeld && !m_bSeveral) Write(*m_pHeld, m_nHeldNumber, m_nWritten > 0);
  }
  // The one result picked, to save; null when none was.
  CBlastSearchEntry* Picked() { return m_nPicked == 1 ? m_pHeld.get() : nullptr; }
  int PickedCount() const { return m_nPicked; }
  int PartialCount() const { return m_nPartial; }
  // What the first partial result lacks, for the message.
  const std::string& PartialText() const { return m_strPartial; }
  bool Several() const { return m_bSeveral; }

 private:
  void Write(CBlastSearchEntry& entry, int number, bool headed) {
    if (m_options.bJson) {
      m_out << EntryToJson(entry) << '\n';
    } else if (m_options.bSummary) {
      WriteEntrySummary(entry, m_out);
    } else {
      if (headed) {
        m_out << "=== query " << number << ": "
              << (entry.m_Mol.m_strName.empty() ? "(unnamed)"
                                                : PrintableText(entry.m_Mol.m_strName));
        const std::string round = GetResultInfo(entry, result_info::kRound);
        if (!round.empty()) m_out << " (round " << PrintableText(round) << ')';
        m_out << " ===\n";
      }
      WriteEntryReport(entry, m_out);
      if (headed) m_out << '\n';
    }
    ++m_nWritten;
  }

  const ParseOptions& m_options;
  std::ostream& m_out;
  std::unique_ptr<CBlastSearchEntry> m_pHeld;
  int m_nHeldNumber = 0;  // the held result's query number
  int m_nPicked = 0;
  int m_nPartial = 0;
  std::string m_strPartial;
  int m_nWritten = 0;
  bool m_bSeveral = false;
};

// Reads a transfer file whole and offers its one result. Returns kExitOk or
// the failure status with its message written.
int LoadTransfer(const ParseOptions& options, CInputFile& input, CInterruptCatcher& catcher,
                 CResultSink& sink, std::ostream& err) {
  const std::uint64_t limit = InputLimit(options, input);
  const std::uint64_t beyond =
      limit < std::numeric_limits<std::uint64_t>::max() ? limit + 1 : limit;
  const CInputFile::ReadState state = input.Read(beyond, catcher.StopFlag());
  if (state == CInputFile::readFull)
    return Fail(err, input.GetName(), TooLarge(limit), kExitFailed);
  if (catcher.Interrupted()) {
    return Fail(err, input.GetName(), "interrupted before the transfer file was read whole",
                kExitInterrupted);
  }
  auto entry = std::make_unique<CBlastSearchEntry>();
  try {
    CByteViewFile file(input.View(), input.GetName());
    LoadTransferFile(file, *entry);
  } catch (const CException& e) {
    return Fail(err, input.GetName(), std::string("damaged transfer file: ") + e.what(),
                kExitFailed);
  }
  sink.Offer(std::move(entry), 1);
  return kExitOk;
}

// Reads the results of the report in `input` one after another through the
// reader of its layout (the one the options name, else `recognised` when the
// look was recognised already, else the look's) and offers them to `sink`.
// `layout` is set to the layout read. Returns kExitOk or the failure status with its message
// written (results offered before stay in the sink).
int ReadResults(const ParseOptions& options, CInputFile& input, CInterruptCatcher& catcher,
                std::optional<ReportLayout> recognised, CResultSink& sink, ReportLayout& layout,
                bool& cut, std::ostream& err) {
  layout = ChooseLayout(options.strReader, input.View(), recognised);
  if (layout == ReportLayout::Unknown) {
    return catcher.Interrupted() ? Fail(err, input.GetName(),
                                        "interrupted before a report was read", kExitInterrupted)
                                 : Fail(err, input.GetName(), kNoReport, kExitFailed);
  }
  const std::string layoutName = ReportLayoutName(layout);
  CInputReportSource source(input, InputLimit(options, input), catcher, ReadsWhole(layout));
  int progress = 0;
  CResultReadOptions readOptions;
  readOptions.bEveryRound = options.bEveryRound;
  readOptions.strTabularColumns = options.strColumns;
  readOptions.strTabularProgram = options.strProgram;
  readOptions.pStop = catcher.StopFlag();
  readOptions.pProgress = &progress;
  readOptions.nMaxWholeReport = InputLimit(options, input) + 1;  // the source's limit comes first
  std::optional<CProgressLine> line;
  if (options.bProgress) line.emplace(progress, err);
  // A large report makes a large result tree: its rows and names go to a
  // heap readied for them in huge pages.
  ReserveHeapForResults(static_cast<std::size_t>(
      std::min<std::uint64_t>(input.View().size() + source.GetRemainingHint(), kHeapReserveMost)));
  int status = kExitOk;
  try {
    std::unique_ptr<CResultReader> reader = MakeResultReader(layout, source, readOptions);
    if (!reader)
      return Fail(err, input.GetName(), layoutName + ": no reader reads this layout", kExitFailed);
    int hits = 0;
    for (int ordinal = 1;; ++ordinal) {
      auto entry = std::make_unique<CBlastSearchEntry>();
      if (reader->ReadNext(*entry) == 0) break;
      hits += static_cast<int>(entry->m_Hits.m_HitList.size());
      std::atomic_ref<int>(progress).store(hits, std::memory_order_relaxed);
      if (!sink.Offer(std::move(entry), ordinal)) break;
    }
  } catch (const CReportError& e) {
    status = Fail(err, input.GetName(), layoutName + ": " + e.what(), kExitFailed);
  } catch (const CFileException& e) {
    err << "blastsearch: " << e.what() << '\n';  // the message names the file
    status = kExitFailed;
  }
  cut = source.WasCut();
  return status;
}

// Says that the reading was cut short, and what becomes of the save asked for.
void NoteInterrupted(const ParseOptions& options, const CInputFile& input, ReportLayout layout,
                     CResultSink& sink, std::ostream& err) {
  err << "blastsearch: " << input.GetName() << ": interrupted; ";
  CBlastSearchEntry* picked = sink.Picked();
  if (ReadsWhole(layout) || layout == ReportLayout::Unknown) {
    const std::size_t hits = picked ? picked->m_Hits.m_HitList.size() : 0;
    err << "the result is partial (" << hits << (hits == 1 ? " hit" : " hits") << " read)";
  } else {
    const int results = sink.PickedCount();
    err << "the rest of the report is not read (" << results
        << (results == 1 ? " result" : " results") << " read)";
  }
  if (!options.strSave.empty() && !options.bSavePartial) {
    err << "; not saved to " << options.strSave << " (--save-partial saves it)";
  }
  err << '\n';
}

// What the parse of a report (not a transfer file) ended with, beyond its
// own failures: partial results, a query asked for that is not there, a save
// that needs a choice.
// After a Ctrl-C, results cut off are said to be so by the note that
// follows, and the status is the interruption's.
int CheckResults(const ParseOptions& options, const CInputFile& input, CResultSink& sink,
                 bool interrupted, std::ostream& err) {
  if (sink.Several()) {
    return Fail(err, input.GetName(),
                "holds several results; --save needs --query N or --query-name TEXT to pick one",
                kExitFailed);
  }
  if (sink.PickedCount() == 0) {
    if (interrupted) {
      return Fail(err, input.GetName(), "interrupted before a result was read", kExitInterrupted);
    }
    if (!options.strQueryName.empty()) {
      return Fail(err, input.GetName(), "holds no query named \"" + options.strQueryName + '"',
                  kExitFailed);
    }
    if (options.nQuery != 0) {
      return Fail(err, input.GetName(), "holds no query " + std::to_string(options.nQuery),
                  kExitFailed);
    }
    return Fail(err, input.GetName(), "the report holds no result", kExitFailed);
  }
  if (sink.PartialCount() != 0 && !interrupted) {
    return Fail(err, input.GetName(), "the report is cut off: " + sink.PartialText(), kExitFailed);
  }
  return kExitOk;
}

}  // namespace

const std::vector<std::string>& ReaderNames() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> all{"auto"};
    for (const CReaderName& name : kReaders) all.emplace_back(name.pName);
    return all;
  }();
  return names;
}

int RunParse(const ParseOptions& options, std::ostream& out, std::ostream& err) {
  const std::string name = options.strFile == "-" ? "standard input" : options.strFile;
  try {
    CInputFile input;
    CResultSink sink(options, out);
    int status = kExitOk;
    bool interrupted = false;
    {
      // Ctrl-C stops the reading; the saving runs to its end, so that no
      // half-written file is left behind.
      CInterruptCatcher catcher;
      CReplacingFile save;
      std::optional<ReportLayout> recognised;
      status = OpenFiles(options, input, save, catcher, err);
      if (status == kExitOk)
        status = LookAtInput(options, input, catcher.StopFlag(), recognised, err);
      if (status != kExitOk) return status;
      ReportLayout layout = ReportLayout::Unknown;
      bool cut = false;
      if (IsTransferFileData(input.View())) {
        status = LoadTransfer(options, input, catcher, sink, err);
        if (status != kExitOk) return status;
      } else {
        status = ReadResults(options, input, catcher, recognised, sink, layout, cut, err);
        if (status == kExitInterrupted) return status;
        interrupted = catcher.Interrupted() || cut;
        if (status == kExitOk) status = CheckResults(options, input, sink, interrupted, err);
      }
      interrupted = interrupted || catcher.Interrupted();
      if (interrupted && !sink.Several() && sink.PickedCount() != 0)
        NoteInterrupted(options, input, layout, sink, err);
      CBlastSearchEntry* picked = sink.Picked();
      const bool partial = picked && !GetResultInfo(*picked, result_info::kPartial).empty();
      if (status == kExitOk && picked && !options.strSave.empty() &&
          ((!interrupted && !partial) || options.bSavePartial)) {
        status = Save(*picked, save, err);
        if (status != kExitOk) return status;
      }
    }
    sink.Flush();
    return interrupted && status == kExitOk ? kExitInterrupted : status;
  } catch (const CFileException& e) {
    err << "blastsearch: " << e.what() << '\n';  // the message names the file
    return kExitFailed;
  } catch (const std::exception& e) {
    return Fail(err, name, e.what(), kExitFailed);
  }
}

void LeaveLastResultToProcessEnd(bool leave) { g_bLeaveToProcessEnd = leave; }

}  // namespace blastsearch
