#pragma once

#include <memory>
#include <string>
#include <vector>

#include "host/db/DBStorage.h"
#include "support/TempDatabase.h"

namespace blastsearch {

// The storages a storage test runs over: "sqlite", and "postgres" when this
// build has it.
std::vector<std::string> StorageBackendNames();

// A fresh, empty object database of one storage for one test: a file in a
// scratch folder, or a new database on the tests' private PostgreSQL server.
class CBackendDatabase {
 public:
  explicit CBackendDatabase(const std::string& backend);

  // Empty when the database can be used; else why not (the test skips).
  const std::string& SkipReason() const { return m_strSkip; }
  // A new connection to the database; waits `busyTimeoutMs` for a writer.
  std::unique_ptr<CDBStorage> Open(int busyTimeoutMs = 30000) const;
  // Changes the stored bytes of a record behind the storage's back, leaving
  // its checksum as it was.
  void DamageRecord(int table, unsigned long recordId) const;

 private:
  std::string m_strBackend;
  std::string m_strSkip;
  CTempDir m_dir;
  std::string m_strAddress;  // the file, or the connection string
};

}  // namespace blastsearch
