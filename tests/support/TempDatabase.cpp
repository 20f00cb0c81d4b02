#include "support/TempDatabase.h"

#include <unistd.h>

#include <atomic>

#include "host/OrvFileSpec.h"
#include "host/db/DBEngine.h"
#include "host/db/SqliteStorage.h"

namespace blastsearch {

namespace {

std::filesystem::path FreshDir(const std::string& tag) {
  static std::atomic<int> counter{0};
  std::filesystem::path dir =
      std::filesystem::temp_directory_path() /
      ("blastsearch_" + tag + "_" + std::to_string(getpid()) + "_" + std::to_string(counter++));
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  return dir;
}

}  // namespace

CTempDir::CTempDir(const std::string& tag) : m_dir(FreshDir(tag)) {}

CTempDir::~CTempDir() {
  std::error_code error;
  std::filesystem::remove_all(m_dir, error);
}

CTempDatabase::CTempDatabase(int dbId, const std::string& tag)
    : m_dir(FreshDir(tag)), m_nDbId(dbId) {
  engine().OpenDatabase(m_dir.string(), m_nDbId);
}

CTempDatabase::~CTempDatabase() {
  engine().CloseDatabase(m_nDbId);
  if (m_nDbId == 1) MAINDIR.SetDir("");
  std::error_code error;
  std::filesystem::remove_all(m_dir, error);
}

std::filesystem::path CTempDatabase::File() const { return m_dir / kDatabaseFileName; }

void CTempDatabase::Reopen() {
  engine().CloseDatabase(m_nDbId);
  engine().OpenDatabase(m_dir.string(), m_nDbId);
}

}  // namespace blastsearch
