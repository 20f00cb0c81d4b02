#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "host/OrvFileSpec.h"
#include "host/db/DBStorage.h"
#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

class CDBTableBase;
class CObjInfo;

// The host's database engine: the registry of tables and the open
// databases, by database number (the library's own creations use 1). One
// per process (engine()); used from one thread.
class CDBEngine {
 public:
  CDBEngine() = default;
  CDBEngine(const CDBEngine&) = delete;
  CDBEngine& operator=(const CDBEngine&) = delete;
  ~CDBEngine();

  // ---- tables ----
  // Registers `table` (not owned; it unregisters itself when destroyed)
  // under `id`, replacing an earlier registration of the id.
  void RegisterTable(int id, CDBTableBase* table);
  void UnregisterTable(CDBTableBase* table);
  // The table registered under `id`, or null.
  CDBTableBase* TableByID(int id) const;
  // The object table and subbase table of the table whose objects have
  // `objType`; 0 when no table has that type.
  int ObjtypeToObjtable(int objType) const;
  int ObjtypeToSbtable(int objType) const;
  // The type's name from its table (plural when `plural` is non-zero), or
  // "" for a type no table has.
  std::string DescribeObjType(int objType, int plural, int flag) const;
  // The registered tables in identifier order.
  std::vector<CDBTableBase*> get_tables() const;

  // ---- databases ----
  // Opens database `dbId` in directory `dir` (created when absent; for
  // database 1 it also becomes MAINDIR). A database created now gets every
  // registered table's CreateTable and then, for database 1, its
  // InitializeTableData. Throws CDBException naming the file when it
  // cannot be opened, is not a database of this program or is of a newer
  // version; nothing is changed then (a database open under that number
  // stays open). Otherwise the new database replaces one of that number.
  // A PostgreSQL server database (IsServerDatabase(dir): an address or a
  // libpq connection string) is opened through libquillon_postgres.so,
  // loaded now; nothing is made on the local disk for it, and its tables
  // keep their comments in it. Throws CDBException naming the database
  // (never its password) when that library is absent or the server refuses.
  void OpenDatabase(const std::string& dir, int dbId = 1);
  // Closes database `dbId`; the tables forget their lists of it.
  void CloseDatabase(int dbId = 1);
  // The storage of database `dbId`, or null when it is not open. Owned by
  // the engine until CloseDatabase.
  CDBStorage* Storage(int dbId) const;
  // The directory of database `dbId`; "" when not open or a server database
  // (which has no folder).
  std::string DatabaseDir(int dbId) const;
  // The database for people: its folder, or its server address without the
  // credentials; "" when not open.
  std::string DatabaseName(int dbId) const;
  // The local folder for the working files of database `dbId` (remote
  // searches' request IDs and downloads), made when absent: its folder, or
  // for a server database a folder of the user's (LocalWorkFolder); "" when
  // not open or none can be had.
  std::string MakeWorkFolder(int dbId) const;

  // The comment file of the object `recordId` of type `objType` in database
  // `dbId`: "<dir>/<table dir>/comments/<recordId>.cmt"; an empty
  // specification when the database is not open or no table has the type.
  COrvFileSpec MakeCommentFileName(int objType, unsigned long recordId, int dbId) const;

  // Opens an object in a viewer: the answer of the viewer registered for
  // the object's type, else of the general opener; 0 when neither is set
  // or `info` is null. Exceptions of the viewer pass out.
  int OpenObject(CObjInfo* info);
  // Sets the general opener, used for types without a viewer of their own
  // (the window host sets one; empty: none).
  void SetObjectOpener(std::function<int(CObjInfo*)> opener) { m_opener = std::move(opener); }
  // Registers `viewer` for objects of `objType`, replacing an earlier one;
  // an empty function removes the type's viewer. Extensions register their
  // viewers while they are loaded and remove them when unloaded.
  void SetObjectViewer(int objType, std::function<int(CObjInfo*)> viewer);
  // 1 when a viewer is registered for `objType`, else 0.
  int HasObjectViewer(int objType) const { return m_viewers.count(objType) != 0 ? 1 : 0; }

 private:
  void OpenServerDatabase(const std::string& conninfo, int dbId);

  struct CDatabase {
    std::string m_strDir;  // empty for a server database
    std::unique_ptr<CDBStorage> m_pStorage;
  };
  std::map<int, CDBTableBase*> m_tables;
  std::map<int, CDatabase> m_databases;
  std::function<int(CObjInfo*)> m_opener;
  std::map<int, std::function<int(CObjInfo*)>> m_viewers;
};

// Opens the PostgreSQL storage that `conninfo` names through
// libquillon_postgres.so, loaded by name at the first call (from this
// library's folder, else the loader's search path) and kept loaded. Throws
// CDBException when the library is missing or the storage cannot be opened
// (as OpenPostgresStorage does). The storage is the caller's.
[[nodiscard]] std::unique_ptr<CDBStorage> OpenServerStorage(const std::string& conninfo,
                                                            bool* created = nullptr,
                                                            int busyTimeoutMs = 30000);

// The one engine of the process; lives until the process ends.
CDBEngine& engine();

}  // namespace BLASTSEARCH_EXPORT
