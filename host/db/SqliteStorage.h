#pragma once

#include <memory>
#include <string>

#include "host/db/DBStorage.h"
#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

// The file name of the object database in its directory.
inline constexpr const char* kDatabaseFileName = "quillon.db";
// The schema version this program writes; files of a newer version are
// refused.
inline constexpr int kDatabaseSchemaVersion = 1;

// Opens the SQLite object database at `path`, creating it (and its
// directory) when absent; `created` (may be null) tells whether it was made
// now. Write-ahead journal, waits up to `busyTimeoutMs` for another
// process's write lock. A file that is not a database, a database of another
// program or of a newer schema version raises CDBException naming the file,
// and the file is left as it was.
[[nodiscard]] std::unique_ptr<CDBStorage> OpenSqliteStorage(const std::string& path,
                                                            bool* created = nullptr,
                                                            int busyTimeoutMs = 30000);

}  // namespace BLASTSEARCH_EXPORT
