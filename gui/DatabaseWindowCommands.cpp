// The database window's commands: each one carried out through the table's
// operations, as the command line carries them out.
#include <QApplication>
#include <QClipboard>
#include <QFileInfo>
#include <QMessageBox>
#include <QStatusBar>
#include <QTreeView>
#include <QUndoStack>
#include <algorithm>
#include <set>
#include <sstream>

#include "gui/DatabaseWindow.h"
#include "gui/FileImport.h"
#include "gui/HostCommands.h"
#include "gui/ObjectListModel.h"
#include "gui/PropertiesDialog.h"
#include "gui/UndoCommands.h"
#include "host/OrvFileSpec.h"
#include "host/OrvTextFile.h"
#include "host/db/DBEngine.h"
#include "host/db/DBFunctions.h"
#include "host/db/DBTableBase.h"
#include "host/db/ObjInfo.h"
#include "host/db/ProgressWindow.h"
#include "host/qt/LocalTime.h"
#include "host/qt/OrvFileDialog.h"
#include "output/StoredResultExport.h"
#include "platform/UserInteraction.h"
#include "platform/qt/QtUserInteraction.h"
#include "search/SearchRun.h"

namespace blastsearch {

namespace {

bool IsObjectCommand(unsigned id) {
  switch (id) {
    case ID_DB_OPEN:
    case ID_DB_EDIT:
    case ID_DB_EXPORT_SELECTED:
    case ID_DB_EXCLUDE:
    case ID_DB_DELETE:
    case ID_DB_DUPLICATE:
    case ID_DB_COPY:
    case ID_DB_SYSTEM_ATTRIBUTES:
      return true;
    default:
      return false;
  }
}

// The extension of the table's file type without its dot ("ba6").
std::string BareExtension(int fileType) {
  std::string extension = OrvFileTypeExtension(fileType);
  if (!extension.empty() && extension.front() == '.') extension.erase(0, 1);
  return extension;
}

// A file name made of `name`: characters a file name cannot hold become "_".
std::string FileNameOf(std::string name) {
  for (char& c : name) {
    if (c == '/' || c == '\\' || c == ':' || c == '*' || c == '?' || c == '"') c = '_';
  }
  return name.empty() ? "results" : name;
}

// The names of the objects stored since NextRecordId answered `firstId`
// (identifiers are never handed out twice), in identifier order: only the
// new rows are read.
std::vector<std::string> NamesFrom(CDBTableBase& table, int dbId, unsigned long firstId) {
  std::vector<std::string> names;
  for (CObjInfo& info : table.ObjectsFrom(dbId, firstId)) names.push_back(std::move(info.m_name));
  return names;
}

// The file-dialog filter of every report layout the readers take, transfer
// files, object files and archives.
constexpr const char* kReportFilter =
    "BLAST reports|*.txt;*.text;*.out;*.html;*.htm;*.xml;*.xml2;*.json;*.tsv;*.csv;*.tab;*.tab7;"
    "*.tabular;*.blast;*.bqt;*.bso;*.ba6|All Files|*";

// The largest selection a delete keeps in memory to be undone.
constexpr std::size_t kUndoableDeletes = 1000;

// Counts nested calls of the window's commands: the window does not list
// the database again while one runs.
class CBusy {
 public:
  explicit CBusy(int& count) : m_count(count) { ++m_count; }
  ~CBusy() { --m_count; }
  CBusy(const CBusy&) = delete;
  CBusy& operator=(const CBusy&) = delete;

 private:
  int& m_count;
};

}  // namespace

bool CDatabaseWindow::IsCommandEnabled(unsigned id, bool tableMenu) const {
  CDBTableBase* table = CurrentTable();
  if (id == ID_DB_CLOSE) return true;
  if (table == nullptr) return false;
  const bool main = IsMainSubbase(CurrentSubbase());
  const std::size_t selected = SelectedRowCount();
  if (id >= ID_DB_SHOW_TYPE_FIRST && id <= ID_DB_SHOW_TYPE_LAST) {
    for (CDBTableBase* other : engine().get_tables()) {
      if (!other->Hidden() && other->GetMenuCommand() == id) return true;
    }
    return false;
  }
  switch (id) {
    case ID_DB_SUBBASE_EDITOR:
    case ID_DB_EDIT_SUBBASE:
    case ID_DB_SYSTEM_ATTRIBUTES:
      return false;  // no subbase editor and no system attributes in this host
    case ID_DB_EDIT:
      return selected == 1;
    case ID_DB_RENAME:
    case ID_DB_PROPERTIES:
      return tableMenu ? (id == ID_DB_PROPERTIES || !main) : selected == 1;
    case ID_DB_EXCLUDE:
      return selected > 0 && !main;
    case ID_DB_DISMISS_SUBBASE:
    case ID_DB_CLEAR_SUBBASE:
      return !main;
    case ID_DB_DELETE_CONTENTS:
    case ID_DB_EXPORT_SUBBASE:
    case ID_DB_SUMMARY:
      return m_pModel->TotalRows() > 0;
    default:
      return IsObjectCommand(id) ? selected > 0 : true;
  }
}

int CDatabaseWindow::OnCommand(unsigned id, bool tableMenu) {
  if (!IsCommandEnabled(id, tableMenu)) return 0;
  const CBusy busy(m_nBusy);
  if (id >= ID_DB_SHOW_TYPE_FIRST && id <= ID_DB_SHOW_TYPE_LAST) return ShowTableOfCommand(id);
  switch (id) {
    case ID_DB_OPEN:
      return OpenSelected();
    case ID_DB_EDIT:
      return EditSelected();
    case ID_DB_NEW_SUBBASE:
      return NewSubbase();
    case ID_DB_NEW_OBJECT:
      return ImportReports();
    case ID_DB_IMPORT_ARCHIVE:
      return ImportArchive();
    case ID_DB_EXPORT_SUBBASE:
      return ExportArchive(false);
    case ID_DB_EXPORT_SELECTED:
      return ExportArchive(true);
    case ID_DB_EXCLUDE:
      return ExcludeSelected();
    case ID_DB_DELETE:
      return DeleteSelected();
    case ID_DB_RENAME:
      return tableMenu ? RenameSubbase() : RenameSelected();
    case ID_DB_DUPLICATE:
      return DuplicateSelected();
    case ID_DB_PROPERTIES:
      return ShowProperties(tableMenu);
    case ID_DB_SUMMARY:
      return WriteSummary();
    case ID_DB_DISMISS_SUBBASE:
    case ID_DB_CLEAR_SUBBASE:
    case ID_DB_DELETE_CONTENTS:
      return ChangeSubbase(id);
    case ID_DB_EXPLORE:
      m_pObjects->setFocus();
      return 1;
    case ID_DB_COPY:
      return CopySelected();
    case ID_DB_CLOSE:
      close();
      return 1;
    default:
      return 0;
  }
}

int CDatabaseWindow::OpenSelected() {
  CDBTableBase* table = CurrentTable();
  // A row whose result is gone is said once and the list brought up to
  // date; the rest are opened.
  QModelIndexList rows = m_pObjects->selectionModel()->selectedRows(0);
  std::sort(rows.begin(), rows.end(),
            [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
  std::vector<std::pair<unsigned long, std::string>> wanted;
  for (const QModelIndex& index : rows) {
    wanted.emplace_back(m_pModel->IdAt(index.row()), m_pModel->NameAt(index.row()).toStdString());
  }
  std::vector<std::string> gone;
  int opened = 0;
  for (const auto& [id, name] : wanted) {
    CObjInfo* info = table->FindListRecord(m_nDbId, id);
    if (info == nullptr) {
      gone.push_back(name);
    } else if (table->OpenObject(info) != 0) {
      ++opened;
    } else {
      ShowStatus(QStringLiteral("\"%1\" could not be opened").arg(QString::fromStdString(name)));
    }
  }
  if (!gone.empty()) {
    std::string text = gone.size() == 1 ? "\"" + gone.front() + "\" is" : "These results are";
    text += " no longer in the database: deleted or replaced elsewhere.";
    if (gone.size() > 1) {
      for (const std::string& name : gone) text += "\n" + name;
    }
    UserInteraction().ShowMessage(text, MB_ICONEXCLAMATION);
    Refill();
  }
  return opened > 0 ? 1 : 0;
}

int CDatabaseWindow::EditSelected() {
  CDBTableBase* table = CurrentTable();
  CObjInfo* info = SelectedObjects().front();
  const unsigned long id = info->m_objId;
  CObjectSnapshot before;
  const bool undoable = TakeSnapshot(*table, m_nDbId, id, before);
  const int changes = table->m_objChanges;
  const int edited = table->EditLocalObject(info);
  CObjectSnapshot after;
  if (edited == 1 && undoable && table->m_objChanges != changes &&
      TakeSnapshot(*table, m_nDbId, id, after)) {
    const QString text =
        QStringLiteral("Edit \"%1\"").arg(QString::fromStdString(after.m_pObject->m_name));
    m_pUndo->push(new CChangeObjectCommand(text, *table, m_nDbId, id, std::move(before),
                                           std::move(after), [this] { Refill(); }));
  }
  Refill();
  if (CObjInfo* stored = table->FindListRecord(m_nDbId, id)) SelectObjects({stored->m_name});
  return edited;
}

int CDatabaseWindow::NewSubbase() {
  CDBTableBase* table = CurrentTable();
  std::string name = "New Subbase";
  if (UserInteraction().EditText("Name of the new subbase:", name) != IDOK) return 0;
  if (table->NewSubbase(m_nDbId, name, SelectedNames(), 0) == 0) return 0;
  Refill();
  SelectSubbase(table, CutSubbaseName(name));
  ShowStatus(QStringLiteral("Subbase \"%1\" created").arg(QString::fromStdString(name)));
  return 1;
}

int CDatabaseWindow::ImportReports() {
  FileDialogRequest request;
  request.bOpen = true;
  request.strFilter = kReportFilter;
  request.nFlags = OFN_HIDEREADONLY | OFN_ALLOWMULTISELECT;
  std::string chosen;
  if (UserInteraction().ChooseFile(request, chosen) != IDOK) return 0;
  QStringList paths;
  for (const QString& path : QString::fromStdString(chosen).split('\n', Qt::SkipEmptyParts)) {
    paths << path;
  }
  return ImportFiles(paths) > 0 ? 1 : 0;
}

int CDatabaseWindow::ExportSelectedAs(const std::string& format) {
  CDBTableBase* table = CurrentTable();
  const std::vector<CObjInfo*> infos = SelectedObjects();
  if (table == nullptr || infos.empty()) return 0;
  if (format == "archive") return ExportArchive(true);
  const CBusy busy(m_nBusy);
  const std::string extension = format == "fasta" ? "fasta" : format;
  FileDialogRequest request;
  request.bOpen = false;
  request.strDefExt = extension;
  request.strFileName =
      FileNameOf(infos.size() == 1 ? infos.front()->m_name : CurrentSubbase()) + "." + extension;
  request.strFilter = format == "tsv"     ? "Tabular BLAST (TSV)|*.tsv"
                      : format == "fasta" ? "FASTA|*.fasta;*.fa"
                                          : "JSON|*.json";
  request.strFilter += "|All Files|*";
  request.nFlags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
  std::string path;
  if (UserInteraction().ChooseFile(request, path) != IDOK) return 0;
  CExportOptions options;
  options.m_strFormat = format;
  options.m_strOutput = path;
  for (const CObjInfo* info : infos) options.m_objects.push_back(std::to_string(info->m_objId));
  std::ostringstream out;
  std::ostringstream err;
  const int status = ExportStoredResults(options, out, err);
  if (status != 0) {
    std::string why = err.str();
    while (!why.empty() && why.back() == '\n') why.pop_back();
    UserInteraction().ShowMessage("The selection could not be exported into " + path + ":\n" + why,
                                  MB_ICONSTOP);
    return 0;
  }
  ShowStatus(QStringLiteral("%1 %2 written to %3")
                 .arg(infos.size())
                 .arg(QString::fromStdString(table->DescribeObjType(infos.size() != 1, 0)))
                 .arg(QString::fromStdString(path)));
  return 1;
}

int CDatabaseWindow::ImportArchive() {
  CDBTableBase* table = CurrentTable();
  FileDialogRequest request;
  request.bOpen = true;
  request.strDefExt = BareExtension(table->arcftype());
  request.strFileName = "*." + request.strDefExt;
  request.strFilter =
      table->DescribeObjType(1, 0) + " Archives|*." + request.strDefExt + "|All Files|*";
  request.nFlags = OFN_HIDEREADONLY;
  std::string path;
  if (UserInteraction().ChooseFile(request, path) != IDOK) return 0;
  const unsigned long firstNew = table->NextRecordId(m_nDbId);
  int read = 0;
  {
    CServiceSMDlg progress;
    progress.SetTitle("Import from Archive");
    progress.SetMessage(QFileInfo(QString::fromStdString(path)).fileName().toStdString());
    read = table->ReadObjectsFromArchive(COrvFileSpec(path, table->arcftype()), CurrentSubbase(),
                                         m_nDbId, &progress, 0);
  }
  Refill();
  const std::vector<std::string> added = NamesFrom(*table, m_nDbId, firstNew);
  SelectObjects(added);
  if (read == 1) {
    ShowStatus(QStringLiteral("%1 %2 imported")
                   .arg(added.size())
                   .arg(QString::fromStdString(table->DescribeObjType(added.size() != 1, 0))));
  }
  return read == 1 ? 1 : 0;
}

int CDatabaseWindow::ExportArchive(bool selectedOnly) {
  CDBTableBase* table = CurrentTable();
  const std::vector<std::string> names =
      selectedOnly ? SelectedNames() : std::vector<std::string>();
  FileDialogRequest request;
  request.bOpen = false;
  request.strDefExt = BareExtension(table->arcftype());
  request.strFileName =
      FileNameOf(names.size() == 1 ? names.front() : CurrentSubbase()) + "." + request.strDefExt;
  request.strFilter = table->DescribeObjType(1, 0) + " Archives|*." + request.strDefExt;
  request.nFlags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
  std::string path;
  if (UserInteraction().ChooseFile(request, path) != IDOK) return 0;
  const std::size_t count = selectedOnly ? names.size() : m_pModel->TotalRows();
  if (table->WriteObjectsToArchive(names, COrvFileSpec(path, table->arcftype()), CurrentSubbase(),
                                   m_nDbId, nullptr, 0) == 0) {
    return 0;
  }
  ShowStatus(QStringLiteral("%1 %2 written to %3")
                 .arg(count)
                 .arg(QString::fromStdString(table->DescribeObjType(count != 1, 0)))
                 .arg(QString::fromStdString(path)));
  return 1;
}

int CDatabaseWindow::ExcludeSelected() {
  CDBTableBase* table = CurrentTable();
  if (table->ExcludeFromSubbase(m_nDbId, CurrentSubbase(), SelectedNames()) == 0) return 0;
  Refill();
  return 1;
}

int CDatabaseWindow::DeleteSelected() {
  CDBTableBase* table = CurrentTable();
  const std::vector<CObjInfo*> infos = SelectedObjects();
  const std::vector<std::string> names = SelectedNames();
  // A large selection is deleted without undo: its results are not all
  // kept in memory.
  const bool undoable = infos.size() <= kUndoableDeletes;
  std::string question =
      names.size() == 1 ? "Delete \"" + names.front() + "\" from the database and all subbases?"
                        : "Delete the " + std::to_string(names.size()) + " selected " +
                              table->DescribeObjType(1, 0) + " from the database and all subbases?";
  if (!undoable) question += "\nSo many results cannot be brought back with Undo.";
  // One question for the whole selection.
  if (UserInteraction().ShowMessage(question, MB_ICONQUESTION) != IDYES) return 0;
  std::vector<unsigned long> ids;
  for (const CObjInfo* info : infos) ids.push_back(info->m_objId);
  std::vector<unsigned long> direct;  // deleted without undo
  std::vector<CObjectSnapshot> snapshots;
  if (undoable) {
    snapshots = TakeSnapshots(*table, m_nDbId, ids, direct);  // damaged records: no undo
  } else {
    direct = ids;
  }
  int deleted = 0;
  for (unsigned long id : direct) deleted += table->DeleteObjectById(id, m_nDbId) == 1 ? 1 : 0;
  if (!snapshots.empty()) {
    const std::size_t count = snapshots.size();
    auto* command =
        new CDeleteObjectsCommand(*table, m_nDbId, std::move(snapshots), [this] { Refill(); });
    m_pUndo->push(command);  // deletes
    deleted += static_cast<int>(count) - command->Failures();
  }
  Refill();
  ShowStatus(QStringLiteral("%1 %2 deleted%3")
                 .arg(deleted)
                 .arg(QString::fromStdString(table->DescribeObjType(deleted != 1, 0)))
                 .arg(undoable ? QStringLiteral(" (Ctrl+Z brings them back)") : QString()));
  return deleted == static_cast<int>(names.size()) ? 1 : 0;
}

int CDatabaseWindow::RenameSelected() {
  CDBTableBase* table = CurrentTable();
  CObjInfo* info = SelectedObjects().front();
  std::string name = info->m_name;
  if (UserInteraction().EditText("New name of \"" + name + "\":", name) != IDOK) return 0;
  if (name == info->m_name) return 0;
  const unsigned long id = info->m_objId;
  CObjectSnapshot before;
  const bool undoable = TakeSnapshot(*table, m_nDbId, id, before);
  int changed = 0;
  if (table->RenameObj(m_nDbId, info, name, changed) == 0) return 0;
  CObjectSnapshot after;
  if (undoable && TakeSnapshot(*table, m_nDbId, id, after)) {
    const QString text =
        QStringLiteral("Rename \"%1\"").arg(QString::fromStdString(before.m_pObject->m_name));
    m_pUndo->push(new CChangeObjectCommand(text, *table, m_nDbId, id, std::move(before),
                                           std::move(after), [this] { Refill(); }));
  }
  Refill();
  SelectObjects({name});
  return 1;
}

int CDatabaseWindow::RenameSubbase() {
  CDBTableBase* table = CurrentTable();
  const std::string old = CurrentSubbase();
  std::string name = old;
  if (UserInteraction().EditText("New name of the subbase \"" + old + "\":", name) != IDOK ||
      name == old) {
    return 0;
  }
  if (table->RenameSubbase(m_nDbId, old, name) == 0) return 0;
  Refill();
  SelectSubbase(table, CutSubbaseName(name));
  return 1;
}

int CDatabaseWindow::DuplicateSelected() {
  CDBTableBase* table = CurrentTable();
  const std::string subbase = CurrentSubbase();
  std::vector<std::string> made;
  bool all = true;
  for (CObjInfo* info : SelectedObjects()) {
    all = table->DuplicateObjectInSubbase(m_nDbId, subbase, info, made) == 1 && all;
  }
  Refill();
  SelectObjects(made);
  return all ? 1 : 0;
}

int CDatabaseWindow::ShowProperties(bool tableMenu) {
  CDBTableBase* table = CurrentTable();
  CPropertiesDialog::Rows rows;
  QString title;
  if (tableMenu) {
    const std::string subbase = CurrentSubbase();
    std::vector<CObjInfo*> subset;
    GetObjSubset(table->objtable(), subbase, m_nDbId, subset);
    rows = {{"Subbase", subbase},
            {"Type", table->DescribeObjType(1, 0)},
            {"Objects", std::to_string(subset.size())},
            {"Database", engine().DatabaseName(m_nDbId)}};
    title = QStringLiteral("Properties of %1").arg(QString::fromStdString(subbase));
  } else {
    const CObjInfo* info = SelectedObjects().front();
    rows.emplace_back("Name", info->m_name);
    for (const std::string& field : m_columns) {
      CDBFieldDef def;
      std::string value;
      if (field == "Created") {
        value = LocalTimeText(info->m_creationTime).toStdString();  // as the list shows it
      } else if (table->GetObjFieldDef(m_nDbId, field, def) == 1) {
        table->GetFieldValue(m_nDbId, info, &def, value);
      }
      rows.emplace_back(field, value);
    }
    rows.emplace_back("Author", info->m_strAuthor);
    title = QStringLiteral("Properties of %1").arg(QString::fromStdString(info->m_name));
  }
  CPropertiesDialog dialog(title, rows, this);
  dialog.exec();
  return 1;
}

int CDatabaseWindow::WriteSummary() {
  CDBTableBase* table = CurrentTable();
  const std::string subbase = CurrentSubbase();
  FileDialogRequest request;
  request.bOpen = false;
  request.strDefExt = "txt";
  request.strFileName = FileNameOf(subbase) + " summary.txt";
  request.strFilter = "Text Files|*.txt";
  request.nFlags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
  std::string path;
  if (UserInteraction().ChooseFile(request, path) != IDOK) return 0;
  COrvTextFile file{COrvFileSpec(path)};
  if (file.OpenOutput(0) == 0) {
    UserInteraction().ShowMessage("Cannot write the summary into " + path, MB_ICONSTOP);
    return 0;
  }
  const int written = table->WriteObjectSummary(subbase, m_nDbId, file);
  file.Close();
  if (written == 0) {
    UserInteraction().ShowMessage(
        "The summary of \"" + subbase + "\" could not be written into " + path, MB_ICONSTOP);
    return 0;
  }
  ShowStatus(QStringLiteral("Summary written to %1").arg(QString::fromStdString(path)));
  return 1;
}

int CDatabaseWindow::ChangeSubbase(unsigned id) {
  CDBTableBase* table = CurrentTable();
  const std::string subbase = CurrentSubbase();
  int done = 0;
  if (id == ID_DB_DISMISS_SUBBASE) {
    done = table->DismissSubbase(m_nDbId, subbase);
  } else if (id == ID_DB_CLEAR_SUBBASE) {
    done = table->ClearSubbase(m_nDbId, subbase);
  } else {
    const std::string question = "Delete the " + std::to_string(m_pModel->TotalRows()) + " " +
                                 table->DescribeObjType(1, 0) + " of \"" + subbase +
                                 "\" from the database and all subbases?";
    if (UserInteraction().ShowMessage(question, MB_ICONQUESTION) != IDYES) return 0;
    done = table->DeleteSubbaseContents(m_nDbId, subbase);
  }
  Refill();
  if (id == ID_DB_DISMISS_SUBBASE && done == 1) SelectSubbase(table, kMainSubbase);
  return done;
}

int CDatabaseWindow::ShowTableOfCommand(unsigned id) {
  for (CDBTableBase* table : engine().get_tables()) {
    if (!table->Hidden() && table->GetMenuCommand() == id) {
      return SelectSubbase(table, kMainSubbase) ? 1 : 0;
    }
  }
  return 0;
}

int CDatabaseWindow::CopySelected() {
  QStringList names;
  for (const std::string& name : SelectedNames()) names << QString::fromStdString(name);
  QApplication::clipboard()->setText(names.join('\n'));
  return 1;
}

int CDatabaseWindow::OnSearch() {
  CDBTableBase* table = CurrentTable();
  if (table == nullptr) return 0;
  std::string result;
  const int answer = table->SearchForObjects(m_nDbId, CurrentSubbase(), result);
  Refill();
  if (!result.empty() && SelectSubbase(table, result)) {
    ShowStatus(QStringLiteral("Found: %1").arg(ObjectsText()));
  }
  return answer == 1 ? 1 : 0;
}

// ---- files ----

int CDatabaseWindow::ImportFiles(const QStringList& paths) {
  CDBTableBase* table = CurrentTable();
  if (table == nullptr || paths.isEmpty()) return 0;
  const CBusy busy(m_nBusy);
  std::vector<std::string> files;
  for (const QString& path : paths) files.push_back(path.toStdString());
  const CFileImportResult result =
      ImportFilesIntoTable(*table, m_nDbId, CurrentSubbase(), files, this);
  Refill();
  SelectObjects(result.m_newNames);
  ShowStatus(
      QStringLiteral("%1 of %2 files imported, %3 new %4")
          .arg(result.m_nStored)
          .arg(paths.size())
          .arg(result.m_newNames.size())
          .arg(QString::fromStdString(table->DescribeObjType(result.m_newNames.size() != 1, 0))));
  if (!result.m_failures.empty()) {
    std::string text = result.m_failures.size() == 1 ? "One file was not imported:\n"
                                                     : std::to_string(result.m_failures.size()) +
                                                           " files were not imported:\n";
    for (const std::string& line : result.m_failures) text += "\n" + line;
    UserInteraction().ShowMessage(text, MB_ICONEXCLAMATION);
  }
  return result.m_nStored;
}

int CDatabaseWindow::OpenFiles(const QStringList& paths) {
  CDBTableBase* table = CurrentTable();
  if (table == nullptr) return 0;
  const unsigned long firstNew = table->NextRecordId(m_nDbId);
  const int stored = ImportFiles(paths);
  const std::vector<std::string> added = NamesFrom(*table, m_nDbId, firstNew);
  if (paths.size() == 1 && added.size() == 1) {
    if (CObjInfo* info = table->FindListRecordByName(m_nDbId, added.front())) {
      table->OpenObject(info);
    }
  }
  return stored;
}

int CDatabaseWindow::OpenWithDialog() {
  const CBusy busy(m_nBusy);
  COrvFileDialog dialog(COrvFileDialog::kOpen, this);
  dialog.setNameFilter(QtFileFilter(kReportFilter));
  dialog.AddTablePages();
  if (CDBTableBase* table = CurrentTable()) dialog.ShowPage(table->objtable());
  if (dialog.DoModal() != IDOK) return 0;
  const COrvFileChoice& choice = dialog.Choice();
  CDBTableBase* table = engine().TableByID(choice.m_nObjTable);
  if (table == nullptr) table = CurrentTable();
  if (table == nullptr) return 0;
  if (table != CurrentTable()) SelectSubbase(table, kMainSubbase);
  if (choice.m_paths.empty()) {  // a stored object, chosen on the page
    CObjInfo* info = table->FindListRecordByName(m_nDbId, choice.m_objects.front());
    if (info == nullptr) return 0;
    SelectObjects({choice.m_objects.front()});
    return table->OpenObject(info) != 0 ? 1 : 0;
  }
  QStringList paths;
  for (const std::string& path : choice.m_paths) paths << QString::fromStdString(path);
  return OpenFiles(paths) > 0 ? 1 : 0;
}

int CDatabaseWindow::SaveAsWithDialog() {
  const CBusy busy(m_nBusy);
  COrvFileDialog dialog(COrvFileDialog::kSave, this);
  dialog.AddTablePages();
  const std::vector<std::string> names = SelectedNames();
  if (CDBTableBase* table = CurrentTable()) {
    dialog.ShowPage(table->objtable(), names);
    dialog.selectFile(
        QString::fromStdString(FileNameOf(names.size() == 1 ? names.front() : CurrentSubbase())));
  }
  if (dialog.DoModal() != IDOK || dialog.Choice().m_paths.empty()) return 0;
  const COrvFileChoice& choice = dialog.Choice();
  CDBTableBase* table = engine().TableByID(choice.m_nObjTable);
  if (table == nullptr || choice.m_objects.empty()) return 0;
  const std::string& path = choice.m_paths.front();
  if (table->WriteObjectsToArchive(choice.m_objects, COrvFileSpec(path, table->arcftype()),
                                   kMainSubbase, m_nDbId, nullptr, 0) == 0) {
    return 0;
  }
  const std::size_t count = choice.m_objects.size();
  ShowStatus(QStringLiteral("%1 %2 written to %3")
                 .arg(count)
                 .arg(QString::fromStdString(table->DescribeObjType(count != 1, 0)))
                 .arg(QString::fromStdString(path)));
  return 1;
}

}  // namespace blastsearch
