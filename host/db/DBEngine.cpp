#include "host/db/DBEngine.h"

#include <dlfcn.h>

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

namespace {

// The library of the PostgreSQL storage, loaded when a server database is
// first opened so that the programs start without libpq.
constexpr const char* kPostgresLibrary = "libquillon_postgres.so";

using OpenPostgresEntry = CDBStorage* (*)(const char*, bool*, int, std::string*);

// The folder of this library: the PostgreSQL library is looked for there
// first (the build folder, or where both were installed).
std::filesystem::path OwnFolder() {
  Dl_info info{};
  if (::dladdr(reinterpret_cast<void*>(&OwnFolder), &info) == 0 || info.dli_fname == nullptr) {
    return {};
  }
  return std::filesystem::path(info.dli_fname).parent_path();
}

OpenPostgresEntry LoadPostgresStorage(const std::string& name) {
  static OpenPostgresEntry entry = nullptr;
  if (entry != nullptr) return entry;
  // Kept loaded for the rest of the process: its storages may live as long.
  void* library = nullptr;
  if (const std::filesystem::path folder = OwnFolder(); !folder.empty()) {
    library = ::dlopen((folder / kPostgresLibrary).c_str(), RTLD_NOW | RTLD_LOCAL);
  }
  if (library == nullptr) library = ::dlopen(kPostgresLibrary, RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) {
    const char* why = ::dlerror();
    throw CDBException(
        name + ": this installation cannot open PostgreSQL databases (" + kPostgresLibrary +
        " is missing or cannot be loaded: " + (why != nullptr ? why : "unknown reason") +
        "; install blastsearch's PostgreSQL part and libpq)");
  }
  entry =
      reinterpret_cast<OpenPostgresEntry>(::dlsym(library, "blastsearch_open_postgres_storage"));
  if (entry == nullptr) {
    throw CDBException(name + ": " + kPostgresLibrary +
                       " is not the PostgreSQL storage of this version of blastsearch");
  }
  return entry;
}

}  // namespace

std::unique_ptr<CDBStorage> OpenServerStorage(const std::string& conninfo, bool* created,
                                              int busyTimeoutMs) {
  OpenPostgresEntry open = LoadPostgresStorage(DescribeServerDatabase(conninfo));
  std::string failure;
  std::unique_ptr<CDBStorage> storage(open(conninfo.c_str(), created, busyTimeoutMs, &failure));
  if (storage == nullptr) throw CDBException(failure);
  return storage;
}

std::vector<std::string> CDBStorage::CommentLines(int, unsigned long) {
  throw CDBException(GetPath() + ": the comments are kept beside the database, not in it");
}

void CDBStorage::SetCommentLines(int, unsigned long, const std::vector<std::string>&) {
  throw CDBException(GetPath() + ": the comments are kept beside the database, not in it");
}

std::vector<CStoredRemoteRequest> CDBStorage::RemoteRequests() {
  throw CDBException(GetPath() + ": the remote requests are kept beside the database, not in it");
}

void CDBStorage::PutRemoteRequest(const CStoredRemoteRequest&) {
  throw CDBException(GetPath() + ": the remote requests are kept beside the database, not in it");
}

bool CDBStorage::DeleteRemoteRequest(std::string_view) {
  throw CDBException(GetPath() + ": the remote requests are kept beside the database, not in it");
}

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
  // it, and what a folder keeps beside the file (comments) it keeps itself.
  if (IsServerDatabase(dir)) {
    OpenServerDatabase(dir, dbId);
    return;
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

void CDBEngine::OpenServerDatabase(const std::string& conninfo, int dbId) {
  bool created = false;
  std::unique_ptr<CDBStorage> storage = OpenServerStorage(conninfo, &created);
  CloseDatabase(dbId);
  m_databases[dbId] = CDatabase{"", std::move(storage)};
  if (dbId == 1) MAINDIR.SetDir("");
  if (!created) return;
  for (CDBTableBase* table : get_tables()) {
    if (table->CreateTable(COrvDirSpec(), dbId) != 0 && dbId == 1) table->InitializeTableData();
  }
}

void CDBEngine::CloseDatabase(int dbId) {
  ForgetPendingRecordIds(dbId);
  auto it = m_databases.find(dbId);
  if (it == m_databases.end()) return;
  for (const auto& [id, table] : m_tables) table->ForgetDatabase(dbId);
  const std::string path = it->second.m_pStorage->GetPath();
  const bool server = it->second.m_strDir.empty();
  m_databases.erase(it);
  if (server) return;
  for (const char* suffix : {"", "-wal", "-shm"}) StopProtecting(path + suffix);
}

CDBStorage* CDBEngine::Storage(int dbId) const {
  auto it = m_databases.find(dbId);
  return it != m_databases.end() ? it->second.m_pStorage.get() : nullptr;
}

std::string CDBEngine::DatabaseName(int dbId) const {
  auto it = m_databases.find(dbId);
  if (it == m_databases.end()) return {};
  return it->second.m_strDir.empty() ? it->second.m_pStorage->GetPath() : it->second.m_strDir;
}

std::string CDBEngine::MakeWorkFolder(int dbId) const {
  const std::string dir = DatabaseDir(dbId);
  if (!dir.empty()) return dir;
  const std::string name = DatabaseName(dbId);
  const std::string folder = name.empty() ? std::string() : LocalWorkFolder(name);
  std::error_code error;
  if (!folder.empty()) std::filesystem::create_directories(folder, error);
  return error ? std::string() : folder;
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
