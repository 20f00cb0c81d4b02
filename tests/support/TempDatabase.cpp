#include "support/TempDatabase.h"

#include <unistd.h>

#include <atomic>

#include "host/OrvFileSpec.h"
#include "host/db/DBEngine.h"
#include "host/db/SqliteStorage.h"
#ifdef BLASTSEARCH_HAVE_POSTGRES
#include "support/PostgresServer.h"
#endif

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

CTempDatabase::CTempDatabase(int dbId, const std::string& tag, const std::string& backend)
    : m_dir(FreshDir(tag)), m_nDbId(dbId), m_strAddress(m_dir.string()) {
  if (backend != "sqlite") {
#ifdef BLASTSEARCH_HAVE_POSTGRES
    CPostgresServer* server = CPostgresServer::Shared(m_strSkip);
    if (server == nullptr) return;
    m_strAddress = server->ConnInfo(server->NewDatabase());
#else
    m_strSkip = "this build has no PostgreSQL storage";
    return;
#endif
  }
  engine().OpenDatabase(m_strAddress, m_nDbId);
}

CTempDatabase::~CTempDatabase() {
  if (m_strSkip.empty()) engine().CloseDatabase(m_nDbId);
  if (m_nDbId == 1) MAINDIR.SetDir("");
  std::error_code error;
  std::filesystem::remove_all(m_dir, error);
}

std::filesystem::path CTempDatabase::File() const { return m_dir / kDatabaseFileName; }

void CTempDatabase::Reopen() {
  engine().CloseDatabase(m_nDbId);
  engine().OpenDatabase(m_strAddress, m_nDbId);
}

}  // namespace blastsearch
