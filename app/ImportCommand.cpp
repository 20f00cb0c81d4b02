#include "app/ImportCommand.h"

#include <unistd.h>

#include <CLI/CLI.hpp>
#include <memory>
#include <optional>

#include "app/ProgressBar.h"
#include "host/db/ObjInfo.h"
#include "model/TransferFile.h"
#include "parse/ReportLayout.h"
#include "platform/Exception.h"
#include "platform/InputFile.h"
#include "table/BlastSearchTable.h"

namespace {

enum class CFileKind { Unreadable, Transfer, Report, ClassicReport, Other };

// What the first look at `path` says it holds, its bytes read into `input`
// (reused from file to file); Unreadable with a failure line when it cannot
// be read.
CFileKind LookAt(const std::string& path, CInputFile& input, CCommandMessages& messages) {
  try {
    ReadWholeFile(path, input);
    if (IsTransferFileData(input.View())) return CFileKind::Transfer;
    switch (RecogniseReportLayout(input.View())) {
      case ReportLayout::QBlast:
        return CFileKind::Report;
      case ReportLayout::Classic:
        return CFileKind::ClassicReport;
      default:
        break;
    }
    return CFileKind::Other;
  } catch (const CException& e) {
    // The line starts with the file's name already.
    std::string reason = e.what();
    if (reason.rfind(path + ": ", 0) == 0) reason.erase(0, path.size() + 2);
    messages.Fail("cannot read: " + reason);
    return CFileKind::Unreadable;
  }
}

// Stores a transfer file; the table is quiet on success, so the line of a
// stored result is written here in the words of the page import.
bool ImportTransferFile(const std::string& path, const std::string& subbase,
                        CCommandMessages& messages) {
  std::string subbaseOut;
  CObjInfo* info = nullptr;
  int stored = 0;
  try {
    stored = blastSearch().CreateNewLocalObject(path, subbase, subbaseOut, info);
  } catch (const CException& e) {
    messages.Fail(std::string("damaged transfer file: ") + e.what());
    return false;
  }
  if (stored == 1 && info != nullptr) {
    messages.Inform("The item \"" + info->m_name + "\"\nhas been added to the database");
  }
  return stored == 1;
}

// Stores a report through the table's page import, handing over the bytes
// and the layout found already (the page import's own file dialog would
// answer with `path`); the table writes the line itself.
bool ImportReport(const std::string& path, const CInputFile& input, bool classic,
                  const std::string& subbase) {
  std::string subbaseOut;
  CObjInfo* info = nullptr;
  return blastSearch().ImportPage(path, input.View(), classic, subbase, subbaseOut, info) == 1;
}

bool ImportFile(const std::string& path, CInputFile& input, const std::string& subbase,
                CCommandMessages& messages) {
  const CFileKind kind = LookAt(path, input, messages);
  switch (kind) {
    case CFileKind::Transfer:
      return ImportTransferFile(path, subbase, messages);
    case CFileKind::Report:
    case CFileKind::ClassicReport:
      return ImportReport(path, input, kind == CFileKind::ClassicReport, subbase);
    case CFileKind::Other:
      messages.Fail("no BLAST report that blastsearch recognises; nothing stored");
      return false;
    case CFileKind::Unreadable:
      break;
  }
  return false;
}

}  // namespace

bool ImportOneFile(const std::string& path, const std::string& subbase,
                   CCommandMessages& messages) {
  CInputFile input;
  return ImportFile(path, input, subbase, messages);
}

void AddImportCommand(CLI::App& app, CCommandContext& context) {
  auto options = std::make_shared<CImportOptions>();
  CLI::App* command = app.add_subcommand(
      "import",
      "Store BLAST reports (NCBI pages, plain-text reports) and transfer files as results.\n"
      "One line per file. Exit status: 0 every file stored, 1 otherwise, 2 usage error.");
  command->add_option("FILE", options->m_files, "reports and transfer files to store")->required();
  command
      ->add_option("--subbase", options->m_strSubbase,
                   "subbase the new results join (created when missing)")
      ->capture_default_str();
  command->fallthrough();
  command->callback([options, &context] {
    options->m_bProgress = ::isatty(STDERR_FILENO) != 0 && options->m_files.size() > 1;
    context.m_run = [options, &context] { return RunImport(*options, context); };
  });
}

int RunImport(const CImportOptions& options, CCommandContext& context) {
  CCommandMessages messages(context.m_out, context.m_err);
  CCommandDatabase database;
  if (!database.Open(context.m_strDb, messages)) return 1;
  std::optional<CProgressBar> bar;
  if (options.m_bProgress) {
    bar.emplace(context.m_err, options.m_files.size());
    messages.SetProgressBar(&*bar);
  }
  std::size_t stored = 0;
  CInputFile input;  // one buffer for every file
  for (std::size_t i = 0; i < options.m_files.size(); ++i) {
    const std::string& path = options.m_files[i];
    if (bar) bar->Step(i, path);
    messages.SetPrefix(path);
    try {
      if (ImportFile(path, input, options.m_strSubbase, messages)) ++stored;
    } catch (const std::exception& e) {
      messages.Fail(e.what());
    }
  }
  if (bar) bar->Step(options.m_files.size(), "");
  messages.SetProgressBar(nullptr);
  bar.reset();
  messages.SetPrefix("");
  const bool flushed = FlushOutput(context.m_out, messages);
  return stored == options.m_files.size() && flushed ? 0 : 1;
}
