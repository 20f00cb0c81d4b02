#include "host/db/SqliteStorage.h"

#include "host/db/DBException.h"

std::unique_ptr<CDBStorage> OpenSqliteStorage(const std::string& path, bool*, int) {
  throw CDBException(path + ": not built yet");
}
