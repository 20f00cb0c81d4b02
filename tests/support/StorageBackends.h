#pragma once

#include <gtest/gtest.h>

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

  const std::string& Backend() const { return m_strBackend; }
  bool IsServer() const { return m_strBackend == "postgres"; }
  // What the commands are given as --db: a folder (made by the first
  // command) in the scratch folder, or the server database's connection
  // string.
  std::string CommandAddress() const;
  // The connection string of the server database as `user` (a role made by
  // RunAsAdmin); empty for SQLite.
  std::string AddressAs(const std::string& user) const;
  // Runs `sql` in the server database as its superuser; throws
  // std::runtime_error for SQLite or when the server refuses it.
  void RunAsAdmin(const std::string& sql) const;

 private:
  std::string m_strBackend;
  std::string m_strSkip;
  CTempDir m_dir;
  std::string m_strAddress;  // the file, or the connection string
  std::string m_strDbName;   // the server database's name
};

// A test over the commands run on each backend: the database is fresh for
// each test, and the test skips when its backend cannot be had.
class BackendTest : public ::testing::TestWithParam<std::string> {
 protected:
  BackendTest() : m_database(GetParam()) {}
  void SetUp() override {
    if (!m_database.SkipReason().empty()) GTEST_SKIP() << m_database.SkipReason();
  }
  CBackendDatabase m_database;
};

// Names a backend test's instance after its backend.
inline std::string BackendTestName(const ::testing::TestParamInfo<std::string>& info) {
  return info.param;
}

}  // namespace blastsearch
