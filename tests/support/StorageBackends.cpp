#include "support/StorageBackends.h"

#include <sqlite3.h>

#include <stdexcept>

#include "host/db/SqliteStorage.h"
#ifdef BLASTSEARCH_HAVE_POSTGRES
#include "host/db/PostgresStorage.h"
#include "support/PostgresServer.h"
#endif

namespace blastsearch {

std::vector<std::string> StorageBackendNames() {
#ifdef BLASTSEARCH_HAVE_POSTGRES
  return {"sqlite", "postgres"};
#else
  return {"sqlite"};
#endif
}

CBackendDatabase::CBackendDatabase(const std::string& backend)
    : m_strBackend(backend), m_dir("backend") {
  if (backend == "sqlite") {
    m_strAddress = (m_dir.Path() / "storage.db").string();
    return;
  }
#ifdef BLASTSEARCH_HAVE_POSTGRES
  if (CPostgresServer* server = CPostgresServer::Shared(m_strSkip)) {
    m_strDbName = server->NewDatabase();
    m_strAddress = server->ConnInfo(m_strDbName);
  }
#else
  m_strSkip = "this build has no PostgreSQL storage";
#endif
}

std::unique_ptr<CDBStorage> CBackendDatabase::Open(int busyTimeoutMs) const {
#ifdef BLASTSEARCH_HAVE_POSTGRES
  if (m_strBackend == "postgres") return OpenPostgresStorage(m_strAddress, nullptr, busyTimeoutMs);
#endif
  return OpenSqliteStorage(m_strAddress, nullptr, busyTimeoutMs);
}

std::string CBackendDatabase::CommandAddress() const {
  return IsServer() ? m_strAddress : (m_dir.Path() / "db").string();
}

std::string CBackendDatabase::AddressAs(const std::string& user) const {
#ifdef BLASTSEARCH_HAVE_POSTGRES
  std::string why;
  if (IsServer()) return CPostgresServer::Shared(why)->ConnInfo(m_strDbName, user);
#endif
  (void)user;
  return {};
}

void CBackendDatabase::RunAsAdmin(const std::string& sql) const {
#ifdef BLASTSEARCH_HAVE_POSTGRES
  std::string why;
  if (IsServer()) {
    CPostgresServer::Shared(why)->Run(m_strDbName, sql);
    return;
  }
#endif
  throw std::runtime_error("not a server database: " + sql);
}

void CBackendDatabase::DamageRecord(int table, unsigned long recordId) const {
  const std::string id = std::to_string(recordId);
  const std::string tbl = std::to_string(table);
#ifdef BLASTSEARCH_HAVE_POSTGRES
  if (m_strBackend == "postgres") {
    std::string why;
    const std::string dbname = m_strAddress.substr(m_strAddress.find("dbname=") + 7);
    CPostgresServer::Shared(why)->Run(
        dbname.substr(0, dbname.find(' ')),
        "UPDATE bs_records SET data = data || 'x'::bytea WHERE tbl = " + tbl + " AND id = " + id);
    return;
  }
#endif
  sqlite3* db = nullptr;
  sqlite3_open(m_strAddress.c_str(), &db);
  const std::string sql =
      "UPDATE records SET data = data || 'x' WHERE key = (" + tbl + " << 32) | " + id;
  const int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
  sqlite3_close(db);
  if (rc != SQLITE_OK) throw std::runtime_error("cannot damage the record");
}

}  // namespace blastsearch
