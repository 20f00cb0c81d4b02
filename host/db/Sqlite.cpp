#include "host/db/Sqlite.h"

#include "host/db/DBException.h"

namespace blastsearch {

CSqliteDb::CSqliteDb(const std::string& path, int flags, const std::string& uri) : m_strPath(path) {
  int rc = uri.empty() ? sqlite3_open_v2(path.c_str(), &m_pDb, flags, nullptr)
                       : sqlite3_open_v2(uri.c_str(), &m_pDb, flags | SQLITE_OPEN_URI, nullptr);
  if (rc != SQLITE_OK) {
    std::string message = m_pDb != nullptr ? sqlite3_errmsg(m_pDb) : sqlite3_errstr(rc);
    sqlite3_close_v2(m_pDb);
    m_pDb = nullptr;
    throw CDBException(path + ": cannot open the database: " + message);
  }
  sqlite3_extended_result_codes(m_pDb, 1);
}

CSqliteDb::~CSqliteDb() {
  for (auto& [sql, stmt] : m_cache) sqlite3_finalize(stmt);
  sqlite3_close_v2(m_pDb);
}

namespace {

// What a failure of the storage means to the person reading the message, in
// front of the storage's own words; empty when those say it well enough.
const char* PlainCause(int rc) {
  switch (rc & 0xFF) {
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
      return "the database is damaged";
    case SQLITE_READONLY:
      return "the database is read-only (its file or folder cannot be written)";
    case SQLITE_FULL:
      return "the disk is full";
    case SQLITE_IOERR:
      return "the disk reported an error";
    case SQLITE_CANTOPEN:
      return "the database file cannot be opened";
    default:
      return "";
  }
}

}  // namespace

void CSqliteDb::Fail(int rc, const std::string& what) const {
  std::string message = sqlite3_errmsg(m_pDb);
  if (message.empty() || message == "not an error") message = sqlite3_errstr(rc);
  const std::string cause = PlainCause(rc);
  if (!cause.empty()) message = cause + " (" + message + ")";
  throw CDBException(m_strPath + ": " + what + ": " + message);
}

void CSqliteDb::Exec(const char* sql) {
  int rc = sqlite3_exec(m_pDb, sql, nullptr, nullptr, nullptr);
  if (rc != SQLITE_OK) Fail(rc, std::string("cannot run \"") + sql + "\"");
}

std::int64_t CSqliteDb::QueryInt(const char* sql) {
  sqlite3_stmt* stmt = nullptr;
  int rc = sqlite3_prepare_v2(m_pDb, sql, -1, &stmt, nullptr);
  if (rc != SQLITE_OK) Fail(rc, "cannot read the database");
  rc = sqlite3_step(stmt);
  std::int64_t value = rc == SQLITE_ROW ? sqlite3_column_int64(stmt, 0) : 0;
  sqlite3_finalize(stmt);
  if (rc != SQLITE_ROW && rc != SQLITE_DONE) Fail(rc, "cannot read the database");
  return value;
}

sqlite3_stmt* CSqliteDb::Prepare(const char* sql) {
  auto it = m_cache.find(sql);
  if (it != m_cache.end()) return it->second;
  sqlite3_stmt* stmt = nullptr;
  int rc = sqlite3_prepare_v3(m_pDb, sql, -1, SQLITE_PREPARE_PERSISTENT, &stmt, nullptr);
  if (rc != SQLITE_OK) Fail(rc, "cannot prepare a statement");
  m_cache.emplace(sql, stmt);
  return stmt;
}

CSqliteStmt::CSqliteStmt(CSqliteDb& db, const char* sql) : m_db(db), m_pStmt(db.Prepare(sql)) {}

CSqliteStmt::~CSqliteStmt() {
  sqlite3_reset(m_pStmt);
  sqlite3_clear_bindings(m_pStmt);
}

CSqliteStmt& CSqliteStmt::Bind(int index, std::int64_t value) {
  int rc = sqlite3_bind_int64(m_pStmt, index, value);
  if (rc != SQLITE_OK) m_db.Fail(rc, "cannot bind a value");
  return *this;
}

CSqliteStmt& CSqliteStmt::Bind(int index, std::string_view text) {
  int rc =
      sqlite3_bind_text64(m_pStmt, index, text.data(), text.size(), SQLITE_STATIC, SQLITE_UTF8);
  if (rc != SQLITE_OK) m_db.Fail(rc, "cannot bind a text");
  return *this;
}

CSqliteStmt& CSqliteStmt::BindBlob(int index, std::string_view bytes) {
  int rc = sqlite3_bind_blob64(m_pStmt, index, bytes.empty() ? "" : bytes.data(), bytes.size(),
                               SQLITE_STATIC);
  if (rc != SQLITE_OK) m_db.Fail(rc, "cannot bind a record");
  return *this;
}

bool CSqliteStmt::Step() {
  int rc = sqlite3_step(m_pStmt);
  if (rc == SQLITE_ROW) return true;
  if (rc == SQLITE_DONE) return false;
  m_db.Fail(rc, "cannot run a statement");
}

void CSqliteStmt::Run() {
  while (Step()) {
  }
}

bool CSqliteStmt::RunUnlessDuplicate() {
  int rc = SQLITE_ROW;
  while (rc == SQLITE_ROW) rc = sqlite3_step(m_pStmt);
  if (rc == SQLITE_DONE) return true;
  if (rc == SQLITE_CONSTRAINT_UNIQUE || rc == SQLITE_CONSTRAINT_PRIMARYKEY) return false;
  m_db.Fail(rc, "cannot run a statement");
}

std::string_view CSqliteStmt::Text(int column) const {
  // One look at the column (each costs a round through the connection's
  // checks), then its bytes and length from the value itself; the value
  // is read here, on the statement's one thread, before the next step.
  sqlite3_value* value = sqlite3_column_value(m_pStmt, column);
  const void* data = sqlite3_value_blob(value);
  const int size = sqlite3_value_bytes(value);
  if (data == nullptr || size <= 0) return {};
  return {static_cast<const char*>(data), static_cast<std::size_t>(size)};
}

}  // namespace blastsearch
