#include "app/ParseCommand.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstring>
#include <ostream>
#include <thread>

#include "app/Commands.h"
#include "app/EntryJson.h"
#include "app/EntryReport.h"
#include "app/ReportName.h"
#include "model/BlastSearchEntry.h"
#include "model/TransferFile.h"
#include "parse/NCBIAnalyser.h"
#include "parse/NCBIAnalyserQ.h"
#include "parse/ReportLayout.h"
#include "platform/File.h"
#include "platform/UserInteraction.h"

namespace {

// The stop flag of the parse under way; set from the SIGINT handler.
int g_nStop = 0;

extern "C" void OnInterrupt(int) { std::atomic_ref<int>(g_nStop).store(1); }

// Forwards messages to the service it replaces and counts them: every
// message a reader shows reports a failure.
class CCountingUserInteraction : public CUserInteraction {
 public:
  CCountingUserInteraction() : m_pNext(SetUserInteraction(this)) {}
  ~CCountingUserInteraction() override { SetUserInteraction(m_pNext); }
  CCountingUserInteraction(const CCountingUserInteraction&) = delete;
  CCountingUserInteraction& operator=(const CCountingUserInteraction&) = delete;

  int ShowMessage(const std::string& text, unsigned style) override {
    ++m_nMessages;
    return Next().ShowMessage(text, style);
  }
  int ChooseFile(const FileDialogRequest& request, std::string& path) override {
    return Next().ChooseFile(request, path);
  }
  int PromptText(const std::string& prompt, std::string& text) override {
    return Next().PromptText(prompt, text);
  }
  int Messages() const { return m_nMessages; }

 private:
  CUserInteraction& Next() { return m_pNext != nullptr ? *m_pNext : UserInteraction(); }

  CUserInteraction* m_pNext;
  int m_nMessages = 0;
};

std::string ReadAll(CFile& file) {
  std::string text(file.GetLength(), '\0');
  text.resize(file.Read(text.data(), text.size()));
  file.Seek(0, CFile::begin);
  return text;
}

ReportLayout ChooseLayout(const std::string& reader, ReportLayout recognised) {
  if (reader == "qblast") return ReportLayout::QBlast;
  if (reader == "classic") return ReportLayout::Classic;
  return recognised;
}

// Runs `read` on another thread while this one shows the progress counter
// once the parse takes more than a moment; Ctrl-C sets the stop flag.
template <class Read>
int ReadWithProgress(Read read, int& progress, bool show, std::ostream& err) {
  g_nStop = 0;
  auto previous = std::signal(SIGINT, OnInterrupt);
  int result = 0;
  std::atomic<bool> done{false};
  std::thread worker([&] {
    result = read();
    done.store(true);
  });
  auto started = std::chrono::steady_clock::now();
  bool shown = false;
  while (!done.load()) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    if (show && std::chrono::steady_clock::now() - started > std::chrono::milliseconds(500)) {
      err << "\rreading: " << std::atomic_ref<int>(progress).load() << " hits" << std::flush;
      shown = true;
    }
  }
  worker.join();
  std::signal(SIGINT, previous);
  if (shown) err << "\r\033[K" << std::flush;
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

int Load(const ParseOptions& options, CBlastSearchEntry& entry, std::ostream& err) {
  CFile file;
  if (!file.Open(options.strFile, CFile::modeRead)) {
    return Fail(err, options.strFile, std::string("cannot open: ") + std::strerror(errno),
                kExitUsage);
  }
  std::string text = ReadAll(file);
  if (IsTransferFileData(text)) {
    try {
      LoadTransferFile(file, entry);
    } catch (const CException& e) {
      return Fail(err, options.strFile, std::string("damaged transfer file: ") + e.what(),
                  kExitFailed);
    }
    return kExitOk;
  }
  ReportLayout recognised = RecogniseReportLayout(text);
  if (recognised == ReportLayout::Unknown) {
    return Fail(err, options.strFile, "no BLAST report that blastsearch recognises", kExitFailed);
  }
  std::string queryName = QueryNameOfReport(text);
  text = std::string();  // the reader takes its own copy of the file
  ReportLayout layout = ChooseLayout(options.strReader, recognised);
  if (ReadReport(file, layout, entry, options.bProgress, err) == 0) {
    return Fail(err, options.strFile, "the report could not be read", kExitFailed);
  }
  if (entry.m_Mol.m_strName.empty()) entry.m_Mol.m_strName = queryName;
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
