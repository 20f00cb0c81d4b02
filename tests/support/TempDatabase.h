#pragma once

#include <filesystem>
#include <string>

namespace blastsearch {

// A scratch object database: a fresh directory under the system's temporary
// folder, opened as database `dbId` of the engine for the object's lifetime,
// then closed and removed with everything in it.
class CTempDatabase {
 public:
  explicit CTempDatabase(int dbId = 1, const std::string& tag = "db");
  ~CTempDatabase();
  CTempDatabase(const CTempDatabase&) = delete;
  CTempDatabase& operator=(const CTempDatabase&) = delete;

  const std::filesystem::path& Dir() const { return m_dir; }
  std::filesystem::path File() const;
  int DbId() const { return m_nDbId; }
  // Closes and opens the database again (a fresh connection).
  void Reopen();

 private:
  std::filesystem::path m_dir;
  int m_nDbId;
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
