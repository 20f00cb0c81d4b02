#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "host/OrvFileSpec.h"
#include "host/db/DBField.h"
#include "host/db/DBObjectBase.h"
#include "host/db/ObjInfo.h"
#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

class COrvTextFile;
class CSMDlg;
class CDBStorage;
struct CStoredObject;
class CObjAttr;
class COrvSaveLoadData;
class CMenu;
class CIcon;
class CImageList;

// Sizes and counts of the host's incremental saving, handed out by tables.
inline constexpr int OBJTBLSIZE_SMALLENOUGH = 200;
inline constexpr int NOF_OBJCHANGES = 50;
inline constexpr int NOF_SBCHANGES = 20;

// The subbase name that stands for the whole table.
inline constexpr const char* kMainSubbase = "MAIN";
// Subbase names are cut to this length in bytes (never inside a UTF-8
// character).
inline constexpr std::size_t kMaxSubbaseName = 250;
// The longest object name, in bytes; GetSaveObjIdFromTable cuts longer ones.
inline constexpr std::size_t kMaxObjectName = 250;

// `name` as subbases are made and looked up under: cut to kMaxSubbaseName
// bytes, at the start of a UTF-8 character.
std::string SubbaseNameOf(const std::string& name);

// What a change of a stored object (CDBTableBase::ChangeStoredObject) asks
// for once it has seen the object: store it, leave it as it was because it
// already is as wanted, or refuse (the change says why, or stays quiet).
enum class EObjectChange { kStore, kUnchanged, kRefuse };

// Base of every table of the object database. A table is registered with the
// engine under its object table identifier and works on the databases the
// engine has open (database numbers, `dbId`). Its lists are caches of the
// storage's list columns, refreshed when another process changed the
// database; every change is one storage transaction.
//
// Conventions of every operation: results are 1/0 (or null); no exception
// escapes; failures of the database are shown to the person through
// OrvMessageBox (stop icon) naming the object and what failed, unless the
// comment says the operation is quiet. Objects returned as pointers belong to
// the caller; list records belong to the table's lists.
class CDBTableBase {
 public:
  CDBTableBase();
  CDBTableBase(const CDBTableBase&) = delete;
  CDBTableBase& operator=(const CDBTableBase&) = delete;
  // Unregisters the table from the engine.
  virtual ~CDBTableBase();

  // ---- identity (slots 1 to 9) ----
  virtual int objtable() = 0;
  virtual int sbtable() = 0;
  virtual int auxtable() = 0;
  virtual int tableobjtype() = 0;
  virtual int objftype() = 0;
  // File types of the table's links and archives; the archive signature
  // (first line of an archive); the table's folder name.
  virtual int flink() const;
  virtual int arcftype() const = 0;
  virtual std::string arcsign() = 0;
  virtual std::string dir(int kind) = 0;

  // ---- the table in a database (slots 10, 11) ----
  // Prepares the table in a database just created in `dir` (its folder for
  // comment files): 1, 0 when the folder cannot be made.
  [[nodiscard]] virtual int CreateTable(const COrvDirSpec& dir, int dbId);
  // Checks database `dbId` (the storage's integrity check): 1 sound; 0 with a
  // message naming the problems.
  [[nodiscard]] virtual int CheckTable(const COrvDirSpec& dir, int dbId);

  virtual std::string DescribeObjType(int plural, int flag) = 0;
  virtual std::string DescribeSubbaseType() = 0;

  // Fills, for `tableId` (objtable: objects; sbtable: subbases), the
  // database file's specification, the list (a CObjInfoList owned by the
  // table, valid until the database closes) and its count; each output may
  // be null. 0 (quiet) when the database is not open or the table id is not
  // this table's.
  virtual int get_table_pars(int tableId, COrvFileSpec* spec, CObject** list, int* count, int dbId);
  // Incremental-save parameters; the base leaves the outputs and returns 0.
  virtual int GetTableIncrPars(int tableId, int dbId, int* count, int* sizeLimit,
                               int** changeCounter, int* maxChanges, std::string& ext);
  // Reloads the lists of database `dbId` from the storage: 1, 0 when not
  // open. SaveTable: every change is stored when made; 1 when open.
  virtual int LoadTable(int dbId);
  virtual int SaveTable(int dbId);

  // Stores `object` under record identifier `recordId` in database `dbId`
  // and enters it in `subbase` (empty or "MAIN": only the table), in one
  // transaction. `recordId` 0 or an identifier never handed out gets a new
  // one; an identifier of a stored object replaces that object. A name
  // another object of the table has is made unique ("name_2"...), inside the
  // transaction, so two processes never store one name twice. On success
  // object->m_recordId and m_name hold what was stored, the object list
  // holds its record, and 1 is returned. `mode` is unused (the system
  // passes 2).
  [[nodiscard]] virtual int InsertObject(unsigned long recordId, CDBObjectBase* object, int mode,
                                         std::string& subbase, int dbId);
  virtual unsigned GetMenuCommand() const = 0;
  virtual void AppendMenuItem(CMenu* menu, int& position, int& command);
  // Field names shown in lists, and definitions of field names.
  virtual void GetObjRealFieldNames(int dbId, std::vector<std::string>* names) const = 0;
  virtual int GetObjFieldDef(int dbId, const std::string& name, CDBFieldDef& def) const = 0;
  // The value of field `def` of the object `info` as text, from the list
  // columns and stored field values only (never from the record): name,
  // creation time (ISO 8601, UTC), UID (record identifier), author's name,
  // user-defined field values joined by "; ". 1, or 0 with `out` empty for a
  // field or object the host does not know.
  virtual int GetFieldValue(int dbId, const CObjInfo* info, const CDBFieldDef* def,
                            std::string& out);
  [[nodiscard]] virtual int CreateNewLocalObject(const std::string& subbase,
                                                 std::string& subbaseOut, CObjInfo*& info) = 0;
  // Deletes the object `name` from database `dbId` and every subbase, with
  // its comment file: 1, 0 when there is none (quiet) or the delete failed.
  [[nodiscard]] virtual int DeleteObject(std::string& name, int dbId, int flag);
  // Replaces the record of the stored object `recordId` with `object`'s,
  // keeping its subbases: 1, 0 when there is no such object.
  [[nodiscard]] virtual int InsertObjectData(unsigned long recordId, CDBObjectBase* object,
                                             int dbId);

  // ---- archives (slots 27 to 31) ----
  // Writes the objects `names` (every object of `subbase` when `names` is
  // empty) to the archive file `spec`, which is replaced whole only when
  // every object was written: 1, 0 with a message naming the object or file.
  [[nodiscard]] virtual int WriteObjectsToArchive(const std::vector<std::string>& names,
                                                  const COrvFileSpec& spec,
                                                  const std::string& subbase, int dbId,
                                                  CSMDlg* progress, int flag);
  // No text form of the objects: 0 with a message.
  [[nodiscard]] virtual int WriteObjectsToASCII(const std::vector<std::string>& names,
                                                const std::string& path, int dbId, CSMDlg* progress,
                                                int flag);
  // Reads every object of the archive file `spec` and stores them all in
  // database `dbId` and `subbase`, in one transaction: 1; 0 with a message
  // when the file cannot be opened or is damaged (saying which object and at
  // which byte), and then nothing of the archive is stored. Record
  // identifiers of the archive are kept where they were never handed out
  // (a deleted result's UID is not given to another); names another
  // object has are made unique.
  [[nodiscard]] virtual int ReadObjectsFromArchive(const COrvFileSpec& spec,
                                                   const std::string& subbase, int dbId,
                                                   CSMDlg* progress, int flag);
  [[nodiscard]] virtual int ReadObjectsFromASCII(const std::string& path, int dbId,
                                                 CSMDlg* progress, int flag);
  // Fills `list` with the objects of the archive `spec`, storing nothing: 1;
  // 0 (quiet, `list` emptied) when the file cannot be opened or is damaged.
  virtual int ExtractObjectsFromArchive(const COrvFileSpec& spec, CDBObjectList& list);
  // Stores the object file (objftype, one record) `path` in database `dbId`;
  // `name` receives the stored name: 1, 0 with a message.
  [[nodiscard]] virtual int ImportObject(int dbId, const std::string& path, std::string& name);
  // Writes the stored object `info` as an object file `path`: 1, 0 with a
  // message.
  [[nodiscard]] virtual int ExportObject(int dbId, const std::string& path, const CObjInfo* info);
  // Writes a text summary of `subbase`: a heading, then one line per object
  // with its name, creation time and every listed field's value,
  // tab-separated. 1, 0 when the database is not open or the subbase does
  // not exist. Throws nothing; a failed write answers 0.
  [[nodiscard]] virtual int WriteObjectSummary(const std::string& subbase, int dbId,
                                               COrvTextFile& file);
  // System attributes are not supported: 0.
  virtual int SetSystemAttributes(int dbId, CObjAttr& attr, CObjInfo* info);
  // The database file of `dbId` (kind and flag unused); empty when not open.
  virtual COrvFileSpec MakeFileName(int kind, int dbId, int flag);
  // The comment file of the object `recordId` in database `dbId`.
  virtual COrvFileSpec MakeCommentFileName(unsigned long recordId, int dbId);
  virtual void AppendPageToOpenDialog(COrvSaveLoadData& data) = 0;
  virtual void AppendPageToSaveDialog(COrvSaveLoadData& data) = 0;
  // GetSaveObjIdFromTable for this table's objects (`text` unused).
  virtual int GetSaveId(std::string& name, unsigned long* recordId, int mode, int dbId,
                        const char* text);
  virtual int SearchForObjects(int dbId, const std::string& subbase,
                               std::string& resultSubbase) = 0;
  // The record identifier of the object `name`, or 0.
  virtual unsigned long GetObjId(const char* name, int dbId);
  virtual int EditLocalObject(CObjInfo* info) = 0;
  virtual int OpenObject(CObjInfo* info) = 0;
  virtual int DefaultAction(CObjInfo* info) = 0;
  // Stores a copy of the object `info` under a new unique name ("<name>
  // copy", "<name> copy_2"...) in `subbase`; the new name is appended to
  // `names`. 1, 0 with a message.
  virtual int DuplicateObjectInSubbase(int dbId, const std::string& subbase, CObjInfo* info,
                                       std::vector<std::string>& names);
  // The stored object `name` (or record `recordId`, `name` then unused when
  // non-zero), read from its record through ReadObject; its name, record
  // identifier and creation time are those of the list. Null (quiet) when
  // there is none or its record is damaged. The caller owns the object.
  [[nodiscard]] virtual CDBObjectBase* GetObjectData(const char* name, int dbId);
  [[nodiscard]] virtual CDBObjectBase* GetObjectData(unsigned long recordId, const char* name,
                                                     int dbId);
  // A new object read from a record at `file`'s position; null when the
  // record cannot be read. The caller owns it.
  [[nodiscard]] virtual CDBObjectBase* ReadObject(COrvTextFile& file, int a, int b) = 0;
  // Writes `object`'s record (CDBObjectBase::WriteRecord): 1; throws
  // CFileException when a write fails.
  virtual int WriteObject(const CDBObjectBase* object, COrvTextFile& file, int flag);
  // Renames the stored object `info` to `name` (record and list): 1 and
  // `changed` 1; 0 with a message when the name is empty or taken.
  [[nodiscard]] virtual int RenameObj(int dbId, CObjInfo* info, const std::string& name,
                                      int& changed);
  // Renames the stored object of `object` (by its record identifier) from
  // `oldName` to `newName` and sets object->m_name: as RenameObj.
  virtual int ChangeObjectName(CDBObjectBase* object, std::string& oldName,
                               const std::string& newName, int dbId, int& changed, int flag);
  virtual int GetUDFIcon() const = 0;
  // Adds (InsertDBValue) or removes (DeleteDBValue) a keyword or a
  // user-defined field value of the stored object `info`, rewriting its
  // record in one transaction: 1, 0 with a message.
  [[nodiscard]] virtual int InsertDBValue(int dbId, CObjInfo* info, CDBField& field, int flag);
  [[nodiscard]] virtual int DeleteDBValue(int dbId, CObjInfo* info, CDBField& field);

  // Reads the stored object `recordId` (named `name` in messages), lets
  // `change` alter it and stores it again, all in one write transaction, so
  // that a change another process makes meanwhile is neither lost nor undone,
  // and an object deleted meanwhile is not stored again. 1 when stored or
  // when `change` answers kUnchanged; 0 when it answers kRefuse (quiet: the
  // change tells the reason); 0 with a message when the object is gone, its
  // record is damaged or the store fails.
  int ChangeStoredObject(int dbId, unsigned long recordId, const std::string& name,
                         const std::function<EObjectChange(CDBObjectBase&)>& change);
  // Deletes the object `recordId` as DeleteObject deletes by name: 1; 0 quiet
  // when there is none, 0 with a message when the delete failed.
  [[nodiscard]] int DeleteObjectById(unsigned long recordId, int dbId);
  virtual int HasViewer() const = 0;
  // Copies database `dbId` to "<file>.bak" (online, consistent) / puts that
  // copy back: true on success, false with a message.
  virtual bool Backup(int dbId, CSMDlg* progress);
  [[nodiscard]] virtual bool Restore(int dbId, CSMDlg* progress);
  // Removes comment files of objects that no longer exist; their names go to
  // `removed`. True on success.
  virtual bool Cleanup(int dbId, CSMDlg* progress, int flag, std::vector<std::string>& removed,
                       int a, int b);
  // Fills the list values of `info` from `object` (GetObjInfo): 1.
  virtual int ResetObjInfo(CObjInfo* info, CDBObjectBase* object, int flag) const;
  virtual bool EngineCommand(unsigned command);
  virtual bool UpdateEngineCommand(unsigned command);
  virtual bool Hidden() const;
  // A context menu (a popup, owned by the caller) and its caption in
  // `title`; null when the table has none.
  virtual CMenu* GetContextMenu(bool full, bool tableMenu, std::string& title) = 0;
  // The table's icon of `size` (1: 16 pixels, else 32), owned by the caller;
  // null when the table has none.
  virtual CIcon* GetContextIcon(int size) = 0;
  virtual int GetObjectIconIndex(const CObjInfo* info) = 0;
  virtual void UpdateImageListIcons(CImageList* list) = 0;
  // Seeds an empty table; the base has nothing to seed: 0.
  virtual int InitializeTableData();

  // ---- lists and subbases (non-virtual) ----
  // The object list / subbase list of database `dbId`, refreshed first when
  // another process changed the database. Owned by the table; records stay
  // valid while their objects exist and the database is open. Empty when
  // the database is not open. Never throws.
  CObjInfoList& getobjlist(int dbId);
  CObjInfoList& getsblist(int dbId);
  // The list record of the stored object `recordId` / `name` (exact) of
  // database `dbId`, read from the storage by identifier or name without
  // loading the whole object list. Owned by the table: the object list's
  // record when the list is loaded, else a record the table keeps of the
  // objects looked up (merged into the list, same address, when the list
  // loads). Valid while its object is stored and the database open. Null
  // (quiet) when there is no such object or the storage can't be read.
  [[nodiscard]] CObjInfo* FindListRecord(int dbId, unsigned long recordId);
  [[nodiscard]] CObjInfo* FindListRecordByName(int dbId, const std::string& name);
  // The records of those of `recordIds` still stored, in the order given,
  // read in a few storage reads; owned as FindListRecord's. Quiet.
  std::vector<CObjInfo*> FindListRecords(int dbId, const std::vector<unsigned long>& recordIds);
  // The identifier the next object stored in `dbId` gets or exceeds (no
  // object stored before this call has it or a higher one); 0 when the
  // database is not open or can't be read. Quiet.
  unsigned long NextRecordId(int dbId);
  // List records (copies) of the objects of `dbId` whose identifier is at
  // least `firstId`, in identifier order, read a page at a time: the objects
  // stored since NextRecordId answered `firstId`. Quiet; empty on failure.
  std::vector<CObjInfo> ObjectsFrom(int dbId, unsigned long firstId);
  // The record identifiers of the members of `subbase` (not "MAIN"); false
  // when there is no such subbase or it can't be read. Quiet.
  bool SubbaseMemberIds(int dbId, const std::string& subbase, std::vector<unsigned long>& ids);
  // How often the whole object list was read from the storage since the
  // table was made (a measure of what commands cost).
  std::uint64_t ObjectListLoads() const { return m_nObjectListLoads; }
  // Keywords known to the table in database `dbId`.
  std::vector<std::string> getkwlist(int dbId);
  // Adds `keyword` to the table's keywords: 1, 0 when it failed.
  [[nodiscard]] int AddKeyword(int dbId, const std::string& keyword);

  // Names of the objects in `subbase` ("MAIN" in any letter case, or empty:
  // every object), in list order; false when the subbase does not exist.
  bool SubbaseObjectNames(int dbId, const std::string& subbase, std::vector<std::string>& names);
  // Creates (or, with `replace`, empties and refills) the subbase `name`
  // (cut as SubbaseNameOf cuts) with the objects `names` that exist: 1; 0 with
  // a message when the name is empty, "MAIN", or taken and `replace` is 0.
  [[nodiscard]] int NewSubbase(int dbId, const std::string& name,
                               const std::vector<std::string>& names, int replace);
  // As NewSubbase, with the objects given by record identifier; every one
  // must still exist when the subbase is made (checked in its transaction),
  // else nothing is made and 0 comes with a message naming the missing one.
  [[nodiscard]] int NewSubbaseOfIds(int dbId, const std::string& name,
                                    const std::vector<unsigned long>& ids, int replace);
  // Renames a subbase: 1, 0 with a message when it is missing or the new
  // name is taken, empty or "MAIN".
  [[nodiscard]] int RenameSubbase(int dbId, const std::string& name, const std::string& newName);
  // Removes the subbase, keeping its objects (dismiss): 1, 0 with a message.
  int DismissSubbase(int dbId, const std::string& name);
  // Empties the subbase: 1, 0 with a message.
  int ClearSubbase(int dbId, const std::string& name);
  // Deletes the subbase's objects from the database and all subbases, in
  // one transaction; the subbase stays, empty: 1, 0 with a message.
  [[nodiscard]] int DeleteSubbaseContents(int dbId, const std::string& name);
  // Adds objects to / removes objects from a subbase: 1, 0 with a message.
  int IncludeInSubbase(int dbId, const std::string& name, const std::vector<std::string>& names);
  int ExcludeFromSubbase(int dbId, const std::string& name, const std::vector<std::string>& names);
  // The same with objects given by record identifier: every one must exist
  // (checked in the change's transaction), else nothing changes and 0 comes
  // with a message.
  int IncludeIdsInSubbase(int dbId, const std::string& name, const std::vector<unsigned long>& ids);
  int ExcludeIdsFromSubbase(int dbId, const std::string& name,
                            const std::vector<unsigned long>& ids);

  // The change counters of the incremental saving.
  int m_objChanges = 0;
  int m_sbChanges = 0;

 protected:
  // The storage of `dbId`, or null.
  CDBStorage* StorageOf(int dbId) const;

 public:
  // Host side, after a change committed by this process: the object list of
  // `dbId` holds `info` / no longer holds `recordId`; the subbase list is
  // reloaded. Quiet.
  void NoteStored(int dbId, const CObjInfo& info);
  void NoteDeleted(int dbId, unsigned long recordId);
  void NoteSubbasesChanged(int dbId);
  // The object list's record of the stored object `row` of database `dbId`,
  // entered or updated from `row` without reading the whole list (as
  // FindListRecord keeps records; the next getobjlist still catches up with
  // other processes). Null when the database is not open.
  CObjInfo* ListRecordOf(int dbId, const CStoredObject& row);

 private:
  struct CLists {
    CObjInfoList m_objects;
    CObjInfoList m_subbases;
    std::uint64_t m_nVersion = 0;
    std::uint64_t m_nSbVersion = 0;
    bool m_bLoaded = false;  // else m_objects holds only records looked up
    bool m_bSbLoaded = false;
    bool m_bFailureShown = false;  // a failed reading was shown since the last success
  };
  CLists& ListsOf(int dbId);
  void Refresh(int dbId, CLists& lists, bool force);
  void RefreshSubbases(int dbId, CLists& lists, bool force);
  void ReportListFailure(CDBStorage& storage, CLists& lists, const std::exception& e);
  // Enters `row` in the lists of `dbId` (loaded or not): the record held.
  CObjInfo* KeepRecord(int dbId, const CStoredObject& row);
  std::uint64_t m_nObjectListLoads = 0;
  friend class CDBEngine;
  void ForgetDatabase(int dbId) { m_lists.erase(dbId); }

  std::map<int, CLists> m_lists;
};

}  // namespace BLASTSEARCH_EXPORT
