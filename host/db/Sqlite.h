#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

// A small owning wrapper of SQLite's C interface for the storage. Every
// failure raises CDBException with the database's path and SQLite's message.

class CSqliteDb;

// A prepared statement in use: bind, step, read columns. Resets the
// statement (keeping it prepared in its database's cache) when it goes.
class CSqliteStmt {
 public:
  CSqliteStmt(CSqliteDb& db, const char* sql);
  CSqliteStmt(const CSqliteStmt&) = delete;
  CSqliteStmt& operator=(const CSqliteStmt&) = delete;
  ~CSqliteStmt();

  CSqliteStmt& Bind(int index, std::int64_t value);
  CSqliteStmt& Bind(int index, std::string_view text);
  CSqliteStmt& BindBlob(int index, std::string_view bytes);
  // Steps once: true when a row stands ready, false when done.
  bool Step();
  // Steps to the end (a statement without rows).
  void Run();
  // Runs a statement without rows that a uniqueness constraint may refuse:
  // false when it was refused (nothing of it done), true when it ran.
  // Throws CDBException on any other failure.
  bool RunUnlessDuplicate();

  std::int64_t Int(int column) const { return sqlite3_column_int64(m_pStmt, column); }
  // True when the column holds NULL.
  bool IsNull(int column) const { return sqlite3_column_type(m_pStmt, column) == SQLITE_NULL; }
  // Text or blob of a column; valid until the next Step.
  std::string_view Text(int column) const;

 private:
  CSqliteDb& m_db;
  sqlite3_stmt* m_pStmt;
};

// An open SQLite connection with a cache of prepared statements.
class CSqliteDb {
 public:
  // Opens `path` with SQLite's open `flags`; throws CDBException. A
  // non-empty `uri` (a "file:" URI of the same file with parameters) is what
  // is opened, `path` naming it in messages.
  CSqliteDb(const std::string& path, int flags, const std::string& uri = {});
  CSqliteDb(const CSqliteDb&) = delete;
  CSqliteDb& operator=(const CSqliteDb&) = delete;
  ~CSqliteDb();

  // Runs statements without results; throws CDBException.
  void Exec(const char* sql);
  // The first column of the first row of `sql` as a number (0 when none).
  std::int64_t QueryInt(const char* sql);
  // Raises CDBException for SQLite result `rc` with `what` done.
  [[noreturn]] void Fail(int rc, const std::string& what) const;

  sqlite3* Handle() const { return m_pDb; }
  const std::string& GetPath() const { return m_strPath; }

 private:
  friend class CSqliteStmt;
  sqlite3_stmt* Prepare(const char* sql);

  std::string m_strPath;
  sqlite3* m_pDb = nullptr;
  std::map<const char*, sqlite3_stmt*> m_cache;  // by the statement text's address
};

}  // namespace BLASTSEARCH_EXPORT
