#include "host/db/DBEngine.h"

#include <filesystem>

#include "host/db/DBException.h"
#include "host/db/DBTableBase.h"
#include "host/db/DBTableStore.h"
#include "host/db/DatabaseDirectory.h"
#include "host/db/ObjInfo.h"
#include "host/db/SqliteStorage.h"
#include "platform/RegistrationLog.h"
#include "platform/ReplacingFile.h"

namespace blastsearch {

CDBEngine& engine() {
  static CDBEngine theEngine;
  return theEngine;
}

CDBEngine::~CDBEngine() = default;

void CDBEngine::RegisterTable(int id, CDBTableBase* table) {
  m_tables[id] = table;
  NoteRegistration("table " + std::to_string(id));
}

void CDBEngine::UnregisterTable(CDBTableBase* table) {
  for (auto it = m_tables.begin(); it != m_tables.end();) {
    if (it->second == table) {
      NoteRegistration("table " + std::to_string(it->first) + " removed");
      it = m_tables.erase(it);
    } else {
      ++it;
    }
  }
}

CDBTableBase* CDBEngine::TableByID(int id) const {
  auto it = m_tables.find(id);
  return it != m_tables.end() ? it->second : nullptr;
}

int CDBEngine::ObjtypeToObjtable(int objType) const {
  for (const auto& [id, table] : m_tables) {
    if (table->tableobjtype() == objType) return table->objtable();
  }
  return 0;
}

int CDBEngine::ObjtypeToSbtable(int objType) const {
  for (const auto& [id, table] : m_tables) {
    if (table->tableobjtype() == objType) return table->sbtable();
  }
  return 0;
}

std::string CDBEngine::DescribeObjType(int objType, int plural, int flag) const {
  for (const auto& [id, table] : m_tables) {
    if (table->tableobjtype() == objType) return table->DescribeObjType(plural, flag);
  }
  return {};
}

std::vector<CDBTableBase*> CDBEngine::get_tables() const {
  std::vector<CDBTableBase*> tables;
  for (const auto& [id, table] : m_tables) tables.push_back(table);
  return tables;
}

void CDBEngine::OpenDatabase(const std::string& dir, int dbId) {
  // A server database is not a folder: nothing is made on the local disk for
  // it. Its storage exists, but the tables still keep comment files beside
  // the database, so it is refused here until they keep them in it.
  if (IsServerDatabase(dir)) {
    throw CDBException(DescribeServerDatabase(dir) +
                       ": a PostgreSQL database cannot be used by the commands and the window "
                       "yet; give a database folder instead (nothing was changed)");
  }
  const std::string path = (std::filesystem::path(dir) / kDatabaseFileName).string();
  bool created = false;
  std::unique_ptr<CDBStorage> storage = OpenSqliteStorage(path, &created);
  CloseDatabase(dbId);
  m_databases[dbId] = CDatabase{dir, std::move(storage)};
  // No output of this process writes over the database (by any name).
  for (const char* suffix : {"", "-wal", "-shm"}) {
    ProtectFromReplacing(path + suffix, "the database's own file");
  }
  if (dbId == 1) MAINDIR.SetDir(dir);
  if (!created) return;
  for (CDBTableBase* table : get_tables()) {
    if (table->CreateTable(COrvDirSpec(dir), dbId) != 0 && dbId == 1) {
      table->InitializeTableData();
    }
  }
}

void CDBEngine::CloseDatabase(int dbId) {
  ForgetPendingRecordIds(dbId);
  auto it = m_databases.find(dbId);
  if (it == m_databases.end()) return;
  for (const auto& [id, table] : m_tables) table->ForgetDatabase(dbId);
  const std::string path = it->second.m_pStorage->GetPath();
  m_databases.erase(it);
  for (const char* suffix : {"", "-wal", "-shm"}) StopProtecting(path + suffix);
}

CDBStorage* CDBEngine::Storage(int dbId) const {
  auto it = m_databases.find(dbId);
  return it != m_databases.end() ? it->second.m_pStorage.get() : nullptr;
}

std::string CDBEngine::DatabaseDir(int dbId) const {
  auto it = m_databases.find(dbId);
  return it != m_databases.end() ? it->second.m_strDir : std::string();
}

COrvFileSpec CDBEngine::MakeCommentFileName(int objType, unsigned long recordId, int dbId) const {
  const std::string dir = DatabaseDir(dbId);
  if (dir.empty()) return {};
  for (const auto& [id, table] : m_tables) {
    if (table->tableobjtype() != objType) continue;
    std::filesystem::path path = std::filesystem::path(dir) / table->dir(0) / "comments" /
                                 (std::to_string(recordId) + ".cmt");
    return COrvFileSpec(path.string());
  }
  return {};
}

int CDBEngine::OpenObject(CObjInfo* info) {
  if (info == nullptr) return 0;
  auto viewer = m_viewers.find(info->GetObjType());
  if (viewer != m_viewers.end()) return viewer->second(info);
  return m_opener ? m_opener(info) : 0;
}

void CDBEngine::SetObjectViewer(int objType, std::function<int(CObjInfo*)> viewer) {
  if (viewer) {
    m_viewers[objType] = std::move(viewer);
  } else {
    m_viewers.erase(objType);
  }
}

}  // namespace blastsearch
