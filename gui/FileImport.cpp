#include "gui/FileImport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProgressDialog>
#include <memory>
#include <utility>

#include "host/OrvFileSpec.h"
#include "host/db/DBFunctions.h"
#include "host/db/DBTableBase.h"
#include "platform/UserInteraction.h"
#include "table/BlastSearchTable.h"
#include "table/ReportImport.h"

namespace blastsearch {

namespace {

std::string LowerExtension(const std::string& path) {
  return "." + QFileInfo(QString::fromStdString(path)).suffix().toLower().toStdString();
}

std::string FileName(const std::string& path) {
  return QFileInfo(QString::fromStdString(path)).fileName().toStdString();
}

// Collects the table's and the host's messages instead of showing them, each
// line named after the file being imported; asks nothing.
class CCollectedMessages : public CScopedUserInteraction {
 public:
  CCollectedMessages(std::vector<std::string>& lines, std::vector<std::string>& failures)
      : m_lines(lines), m_failures(failures) {}
  int ShowMessage(const std::string& text, unsigned style) override {
    const bool failure = (style & 0xF0) == MB_ICONSTOP || (style & 0xF0) == MB_ICONEXCLAMATION;
    Add(text, failure);
    return IDOK;
  }
  int ChooseFile(const FileDialogRequest&, std::string&) override { return IDCANCEL; }
  int PromptText(const std::string&, std::string&) override { return IDCANCEL; }

  void SetPrefix(std::string prefix) { m_strPrefix = std::move(prefix); }
  void Add(const std::string& text, bool failure) {
    std::string line = m_strPrefix.empty() ? "" : m_strPrefix + ": ";
    for (char c : text) line += (c == '\n' || c == '\r') ? ' ' : c;
    (failure ? m_failures : m_lines).push_back(line);
    if (failure) m_bFailed = true;
  }
  bool TakeFailed() { return std::exchange(m_bFailed, false); }

 private:
  std::vector<std::string>& m_lines;
  std::vector<std::string>& m_failures;
  std::string m_strPrefix;
  bool m_bFailed = false;
};

// Stores one file of the table's own kinds (archive, object file) or, for
// the BLAST table, a report or transfer file as the command line does.
bool ImportOne(CDBTableBase& table, int dbId, const std::string& subbase, const std::string& path,
               const CReportImportOptions& options, CCollectedMessages& messages, bool& stopped) {
  const std::string extension = LowerExtension(path);
  if (extension == OrvFileTypeExtension(table.arcftype())) {
    const COrvFileSpec spec(path, table.arcftype());
    return table.ReadObjectsFromArchive(spec, subbase, dbId, nullptr, 0) == 1;
  }
  if (extension == OrvFileTypeExtension(table.objftype())) {
    std::string name;
    if (table.ImportObject(dbId, path, name) == 0) return false;
    if (!IsMainSubbase(subbase)) table.IncludeInSubbase(dbId, subbase, {name});
    messages.Add("The item \"" + name + "\"\nhas been added to the database", false);
    return true;
  }
  auto* blast = dynamic_cast<CBlastSearchTable*>(&table);
  if (blast == nullptr || dbId != 1) {
    messages.Add("not a file of " + table.DescribeObjType(1, 0), true);
    return false;
  }
  const CReportImportOutcome outcome = ImportReportFile(*blast, path, options);
  const std::string line = DescribeImportOutcome(FileName(path), outcome, false);
  // A file stored already is said as a failure is: the person expected new
  // results.
  const bool stored = outcome.m_status == CReportImportOutcome::kStored && outcome.m_nStored > 0;
  messages.SetPrefix("");
  messages.Add(line, !stored);
  stopped = outcome.m_status == CReportImportOutcome::kStopped;
  return stored;
}

}  // namespace

CFileImportResult ImportFilesIntoTable(CDBTableBase& table, int dbId, const std::string& subbase,
                                       const std::vector<std::string>& paths, QWidget* parent) {
  CFileImportResult result;
  // Identifiers are never handed out twice: the objects from this one on
  // are those stored since.
  const unsigned long firstNew = table.NextRecordId(dbId);
  // The progress window shows the file and the results stored of it; its
  // button stops the import after the result being stored. One file gets
  // it only when its import takes a while.
  std::unique_ptr<QProgressDialog> progress;
  const auto showProgress = [&] {
    if (progress) return;
    progress =
        std::make_unique<QProgressDialog>(QStringLiteral("Importing..."), QStringLiteral("Stop"), 0,
                                          static_cast<int>(paths.size()), parent);
    progress->setWindowTitle(QStringLiteral("Import"));
    progress->setWindowModality(Qt::WindowModal);
    progress->setMinimumDuration(0);
  };
  if (paths.size() > 1) showProgress();
  int stop = 0;
  CReportImportOptions options;
  options.m_strSubbase = subbase;
  options.m_pStop = &stop;
  QElapsedTimer clock;
  {
    CCollectedMessages messages(result.m_lines, result.m_failures);
    for (std::size_t i = 0; i < paths.size(); ++i) {
      const std::string& path = paths[i];
      const QString name = QString::fromStdString(FileName(path));
      if (progress) {
        progress->setValue(static_cast<int>(i));
        progress->setLabelText(QStringLiteral("Reading %1").arg(name));
        QApplication::processEvents();
        if (progress->wasCanceled()) {
          result.m_bCancelled = true;
          break;
        }
      }
      clock.start();
      options.m_progress = [&, name](std::size_t results, std::uint64_t, std::uint64_t) {
        if (!progress && clock.elapsed() < 1000) return;
        showProgress();
        progress->setLabelText(QStringLiteral("Reading %1: %2 stored").arg(name).arg(results));
        QApplication::processEvents();
        if (progress->wasCanceled()) stop = 1;
      };
      messages.SetPrefix(FileName(path));
      bool stopped = false;
      bool stored = false;
      try {
        stored = ImportOne(table, dbId, subbase, path, options, messages, stopped);
      } catch (const std::exception& e) {
        messages.Add(e.what(), true);
      }
      const bool failed = messages.TakeFailed();
      if (stored) {
        ++result.m_nStored;
      } else if (!failed) {
        messages.Add("nothing was stored", true);
      }
      if (stopped) {
        result.m_bCancelled = true;
        break;
      }
    }
    if (progress) progress->setValue(static_cast<int>(paths.size()));
  }
  for (CObjInfo& info : table.ObjectsFrom(dbId, firstNew)) {
    result.m_newNames.push_back(std::move(info.m_name));
  }
  return result;
}

}  // namespace blastsearch
