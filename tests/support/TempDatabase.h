#pragma once

#include <filesystem>
#include <string>

namespace blastsearch {

// A scratch object database: a fresh directory under the system's temporary
// folder, opened as database `dbId` of the engine for the object's lifetime,
// then closed and removed with everything in it. With `backend` "postgres"
// the database is a new one on the tests' private PostgreSQL server (the
// directory stays for the test's files); when no server can be had,
// SkipReason says why and nothing is open.
class CTempDatabase {
 public:
  explicit CTempDatabase(int dbId = 1, const std::string& tag = "db",
                         const std::string& backend = "sqlite");
  ~CTempDatabase();
  CTempDatabase(const CTempDatabase&) = delete;
  CTempDatabase& operator=(const CTempDatabase&) = delete;

  const std::filesystem::path& Dir() const { return m_dir; }
  std::filesystem::path File() const;
  int DbId() const { return m_nDbId; }
  // Closes and opens the database again (a fresh connection).
  void Reopen();
  // What the engine opened: the directory, or the server's connection string.
  const std::string& Address() const { return m_strAddress; }
  const std::string& SkipReason() const { return m_strSkip; }

 private:
  std::filesystem::path m_dir;
  int m_nDbId;
  std::string m_strAddress;
  std::string m_strSkip;
};

// A fresh, empty scratch directory removed at destruction.
class CTempDir {
 public:
  explicit CTempDir(const std::string& tag);
  ~CTempDir();
  CTempDir(const CTempDir&) = delete;
  CTempDir& operator=(const CTempDir&) = delete;
  const std::filesystem::path& Path() const { return m_dir; }

 private:
  std::filesystem::path m_dir;
};

}  // namespace blastsearch
