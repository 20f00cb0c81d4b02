#pragma once

#include <memory>
#include <string>

#include "host/db/DBStorage.h"
#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

// The schema version of the object database on a PostgreSQL server that this
// program writes; a database of a newer version is refused.
inline constexpr int kPostgresSchemaVersion = 1;

// Opens the object database on the PostgreSQL server that `conninfo` names
// (a postgresql:// address or a keyword=value connection string, read by
// libpq itself, so that service files, PGPASSFILE, PG* variables and sslmode
// work as in every libpq program), making its tables in an empty database;
// `created` (may be null) tells whether they were made now. Waits up to
// `busyTimeoutMs` for another writer. A database of another program, or of a
// newer schema version, is refused untouched. Every failure raises
// CDBException naming the database by host, port and name only (never its
// user or password). A role that may only read can read; its changes are
// refused as "read-only" before anything is written.
[[nodiscard]] std::unique_ptr<CDBStorage> OpenPostgresStorage(const std::string& conninfo,
                                                              bool* created = nullptr,
                                                              int busyTimeoutMs = 30000);

}  // namespace BLASTSEARCH_EXPORT
