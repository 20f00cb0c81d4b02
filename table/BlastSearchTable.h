#pragma once

#include <string>
#include <vector>

#include "parse/ReportLayout.h"
#include "platform/Export.h"
#include "table/BlastSearchObject.h"
#include "table/DBTable.h"

namespace blastsearch BLASTSEARCH_EXPORT {

// The BLAST search table: stores, lists, archives and imports BLAST search
// objects (type 15) in the host's object database. One instance, made while
// the library's static objects are constructed (it registers under 201 and
// adds its file types); reach it through blastSearch() or the engine. It
// keeps no state beyond the table base's.
class CBlastSearchTable : public CDBTable<201, 202, 203, CBlastSearchObject, 100> {
 public:
  // Field identifiers of the table's own fields.
  enum : int {
    kFieldBlastAuthor = 3050,
    kFieldQueryName = 3051,
    kFieldHitsCount = 3052,
    kFieldTableUID = 3053
  };

  // Registers with the engine under 201 and enters the file types 100
  // ".bso", 101 ".ba6", 102 ".bq" and 103 ".bss" in the host's file-type
  // registry (g_blastSearchFileTypes).
  CBlastSearchTable();
  // Removes the file types from the registry; the table base leaves the
  // engine.
  ~CBlastSearchTable() override;

  // ---- identity ----
  int flink() const override;                                  // 102
  int arcftype() const override;                               // 101
  std::string arcsign() override;                              // "@BLS@"
  std::string dir(int kind) override;                          // "BLASTSearch"
  std::string DescribeObjType(int plural, int flag) override;  // "BLAST Result(s)"
  std::string DescribeSubbaseType() override;                  // "BLASTSearch"
  unsigned GetMenuCommand() const override;                    // 33063
  int HasViewer() const override;                              // 1
  int GetUDFIcon() const override;                             // 15

  // ---- fields ----
  // The generic names, then "UID", "Hits Count", "QueryName".
  void GetObjRealFieldNames(int dbId, std::vector<std::string>* names) const override;
  // "BlastAuthor" 3050/1, "QueryName" 3051/1, "Hits Count" 3052/7, "UID"
  // 3053/7 (exact names): 1; other names as the generic definitions say.
  int GetObjFieldDef(int dbId, const std::string& name, CDBFieldDef& def) const override;
  // The table's fields from the list record (hit count "%i", query name);
  // 0 and "" for database 3 or a record without type or identifier; other
  // fields as the table base answers them.
  int GetFieldValue(int dbId, const CObjInfo* info, const CDBFieldDef* def,
                    std::string& out) override;
  // The base's list values, then hit count and query name of the object (a
  // CBlastSearchObject): 1; 0 when the base answers 0.
  int ResetObjInfo(CObjInfo* info, CDBObjectBase* object, int flag) const override;
  // Table 201: ext "bs", the object list's count and counters; 202: ext
  // "bss", the subbase list's; other tables: ext "bs" only. Always 1.
  int GetTableIncrPars(int tableId, int dbId, int* count, int* sizeLimit, int** changeCounter,
                       int* maxChanges, std::string& ext) override;

  // ---- objects ----
  // A new object read from a record; null (the half-read object deleted)
  // when reading raises anything. The caller owns it.
  [[nodiscard]] CDBObjectBase* ReadObject(COrvTextFile& file, int a, int b) override;
  // Stores the objects of "DBInit" (".ba6") of MAINDIR in database 1, MAIN:
  // 1 when all were stored; 0 when MAINDIR is unset, the archive yields
  // nothing or one cannot be stored (those before it stay).
  int InitializeTableData() override;

  // ---- import and creation ----
  // Asks for a report (file dialog) and stores each of its results as a new
  // object of `subbase` in database 1, named after its query, as
  // ImportReportFile does; says what was stored or why nothing was (a file
  // without a report that is read stores nothing). 1 when something was
  // stored (info: the first one's list record), else 0 (info unchanged).
  [[nodiscard]] int CreateNewLocalObject(const std::string& subbase, std::string& subbaseOut,
                                         CObjInfo*& info) override;
  // The page import without its file dialog, for a caller that has read the
  // NCBI page at `path` (which names it in messages) into `page` (kept until
  // the call returns) and recognised its `layout`: reads its first result
  // with that layout's reader, and stores it as one object named after its query (or the
  // file) with its digest, whether stored before or not, with the messages
  // of the import: 1 stored (info: its list record), else 0.
  [[nodiscard]] int ImportPage(const std::string& path, std::string_view page, ReportLayout layout,
                               const std::string& subbase, std::string& subbaseOut,
                               CObjInfo*& info);
  // Stores the result of the transfer file `transferPath` as a new object
  // named after its query (or the file), without dialog or success message:
  // 1 stored, 0 otherwise. A damaged
  // transfer file raises its exception (CKaArchiveException) to the caller.
  [[nodiscard]] int CreateNewLocalObject(std::string transferPath, const std::string& subbase,
                                         std::string& subbaseOut, CObjInfo*& info);
  // Stores `object` (not taken) in database `dbId` and `subbase`; the host
  // may give it another name. subbaseOut = subbase. InsertObject's result.
  [[nodiscard]] virtual int AddNewObject(CBlastSearchObject* object, const std::string& subbase,
                                         std::string& subbaseOut, int dbId);

  // ---- window operations ----
  // Appends the table's page ("BLAST Search Objects", the objects of table
  // 201) to the open dialog's pages; the page's text buffer lives as long as
  // the module and is emptied on each call.
  void AppendPageToOpenDialog(COrvSaveLoadData& data) override;
  void AppendPageToSaveDialog(COrvSaveLoadData& data) override;
  // The search command of the search subsystem (RunTableSearchHook): 1 when
  // the person ended it with OK; resultSubbase the last subbase it filled.
  int SearchForObjects(int dbId, const std::string& subbase, std::string& resultSubbase) override;
  // Edits the stored object `info` (database 1) in the editor sheet and
  // stores what the person changed: 1 stored or nothing to store, 0 when
  // the object cannot be read or the person cancelled.
  int EditLocalObject(CObjInfo* info) override;
  // engine().OpenObject: 1 when it opened the object, else 0 (also when the
  // viewer raised anything).
  int OpenObject(CObjInfo* info) override;
  int DefaultAction(CObjInfo* info) override;
  // A popup of the context menu 10001, taken out of it and owned by the
  // caller: full and tableMenu choose the full or short menu of the table or
  // of its objects; `title` gets its caption. Null (title "") when the
  // module's resources lack the menu.
  CMenu* GetContextMenu(bool full, bool tableMenu, std::string& title) override;
  // The table's icon, owned by the caller: size 1 a 16-pixel one, any other
  // size a 32-pixel one, red pixels transparent. Null when the bitmap is
  // missing.
  CIcon* GetContextIcon(int size) override;
  int GetObjectIconIndex(const CObjInfo* info) override;  // 41
  // Grows `list` to 46 images when it holds 46 or fewer and puts the four
  // object icons (16 or 32 pixels by the height of its images) at positions
  // 42 to 45, masks included. Nothing for a null list.
  void UpdateImageListIcons(CImageList* list) override;

 protected:
  // Runs the editor sheet on `object` (not taken) and stores it in database
  // 1 and `subbase` when the person changed something or it is new (a new
  // object gets the current time as its creation time). Reopens the editor
  // after a missing record number (with the message "Record Number Not Set
  // Properly") or a failed store, keeping what was edited, until the object
  // is stored (1) or the person cancels (0, nothing stored; the object may
  // hold what the pages wrote into it).
  virtual int EditLocalObject(CBlastSearchObject* object, std::string& subbase, int isNew);
};

// The one BLAST search table; lives for the process.
CBlastSearchTable& blastSearch();

}  // namespace BLASTSEARCH_EXPORT
