#include "gui/FileImport.h"

#include <QApplication>
#include <QFileInfo>
#include <QProgressDialog>
#include <algorithm>
#include <memory>
#include <set>
#include <sstream>

#include "app/CommandContext.h"
#include "app/ImportCommand.h"
#include "host/OrvFileSpec.h"
#include "host/db/DBFunctions.h"
#include "host/db/DBTableBase.h"

namespace {

std::string LowerExtension(const std::string& path) {
  return "." + QFileInfo(QString::fromStdString(path)).suffix().toLower().toStdString();
}

std::set<unsigned long> RecordIds(CDBTableBase& table, int dbId) {
  std::set<unsigned long> ids;
  for (const auto& info : table.getobjlist(dbId)) ids.insert(info->m_objId);
  return ids;
}

// Stores one file; the table's lines go to `messages`.
bool ImportOne(CDBTableBase& table, int dbId, const std::string& subbase, const std::string& path,
               CCommandMessages& messages) {
  const std::string extension = LowerExtension(path);
  if (extension == OrvFileTypeExtension(table.arcftype())) {
    const COrvFileSpec spec(path, table.arcftype());
    return table.ReadObjectsFromArchive(spec, subbase, dbId, nullptr, 0) == 1;
  }
  if (extension == OrvFileTypeExtension(table.objftype())) {
    std::string name;
    if (table.ImportObject(dbId, path, name) == 0) return false;
    if (!IsMainSubbase(subbase)) table.IncludeInSubbase(dbId, subbase, {name});
    messages.Inform("The item \"" + name + "\"\nhas been added to the database");
    return true;
  }
  return ImportOneFile(path, subbase, messages);
}

// Splits the lines `stream` collected.
void TakeLines(std::ostringstream& stream, std::vector<std::string>& lines) {
  std::istringstream in(stream.str());
  for (std::string line; std::getline(in, line);) {
    static const std::string kProgram = "blastsearch: ";
    if (line.rfind(kProgram, 0) == 0) line.erase(0, kProgram.size());
    if (!line.empty()) lines.push_back(line);
  }
  stream.str("");
}

}  // namespace

CFileImportResult ImportFilesIntoTable(CDBTableBase& table, int dbId, const std::string& subbase,
                                       const std::vector<std::string>& paths, QWidget* parent) {
  CFileImportResult result;
  const std::set<unsigned long> before = RecordIds(table, dbId);
  std::unique_ptr<QProgressDialog> progress;
  if (paths.size() > 1) {
    progress =
        std::make_unique<QProgressDialog>(QStringLiteral("Importing..."), QStringLiteral("Stop"), 0,
                                          static_cast<int>(paths.size()), parent);
    progress->setWindowTitle(QStringLiteral("Import"));
    progress->setWindowModality(Qt::WindowModal);
    progress->setMinimumDuration(0);
  }
  std::ostringstream out;
  std::ostringstream err;
  {
    CCommandMessages messages(out, err);
    for (std::size_t i = 0; i < paths.size(); ++i) {
      const std::string& path = paths[i];
      if (progress) {
        progress->setValue(static_cast<int>(i));
        progress->setLabelText(
            QStringLiteral("Reading %1").arg(QFileInfo(QString::fromStdString(path)).fileName()));
        QApplication::processEvents();
        if (progress->wasCanceled()) {
          result.m_bCancelled = true;
          break;
        }
      }
      messages.SetPrefix(QFileInfo(QString::fromStdString(path)).fileName().toStdString());
      messages.Reset();
      bool stored = false;
      try {
        stored = ImportOne(table, dbId, subbase, path, messages);
      } catch (const std::exception& e) {
        messages.Fail(e.what());
      }
      if (stored) {
        ++result.m_nStored;
      } else if (!messages.Failed()) {
        messages.Fail("nothing was stored");
      }
    }
    if (progress) progress->setValue(static_cast<int>(paths.size()));
  }
  TakeLines(out, result.m_lines);
  TakeLines(err, result.m_failures);
  for (const auto& info : table.getobjlist(dbId)) {
    if (before.count(info->m_objId) == 0) result.m_newNames.push_back(info->m_name);
  }
  return result;
}
