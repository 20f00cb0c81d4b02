#include "support/PostgresServer.h"

#include <libpq-fe.h>
#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace blastsearch {

namespace {

namespace fs = std::filesystem;

// The folder of Debian's server programs (the newest version installed).
std::string ServerBin() {
  std::string best;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator("/usr/lib/postgresql", error)) {
    const fs::path bin = entry.path() / "bin";
    if (fs::exists(bin / "initdb") && fs::exists(bin / "pg_ctl") && bin.string() > best) {
      best = bin.string();
    }
  }
  return best;
}

int Shell(const std::string& command) { return std::system(command.c_str()); }

}  // namespace

CPostgresServer* CPostgresServer::Shared(std::string& whyNot) {
  static std::unique_ptr<CPostgresServer> server;
  static std::string failure;
  static bool tried = false;
  if (!tried) {
    tried = true;
    const char* state = std::getenv("BLASTSEARCH_TEST_POSTGRES");
    if (state != nullptr && *state != '\0') server = Attach(state);
    // Without a shared server that answers, a server of its own: the test
    // runs (only slower) rather than skips.
    if (server == nullptr) server = StartNew(failure);
  }
  whyNot = failure;
  return server.get();
}

std::unique_ptr<CPostgresServer> CPostgresServer::StartNew(std::string& whyNot) {
  static int started = 0;
  std::unique_ptr<CPostgresServer> made(new CPostgresServer);
  made->m_nPort += started++;
  whyNot = made->Start();
  if (!whyNot.empty()) return nullptr;
  return made;
}

std::unique_ptr<CPostgresServer> CPostgresServer::Attach(const std::string& stateFile) {
  std::ifstream in(stateFile);
  std::string dir;
  std::string port;
  if (!std::getline(in, dir) || !std::getline(in, port) || dir.empty() || port.empty()) {
    return nullptr;
  }
  std::unique_ptr<CPostgresServer> made(new CPostgresServer);
  made->m_strDir = dir;
  made->m_nPort = std::atoi(port.c_str());
  made->m_bShared = true;
  try {
    made->Run("postgres", "SELECT 1");
  } catch (const std::runtime_error&) {
    return nullptr;
  }
  return made;
}

void CPostgresServer::DropOwnDatabases() {
  // A child process that ends through exit() must not drop its parent's
  // databases; a database still in use stays (the run's end removes it).
  if (::getpid() != m_nCreator) return;
  for (int i = 1; i <= m_nDatabases; ++i) {
    try {
      Run("postgres", "DROP DATABASE IF EXISTS " + DatabaseName(i));
    } catch (const std::runtime_error&) {
    }
  }
}

void CPostgresServer::Kill() {
  if (!m_bRunning || m_bShared) return;
  m_bRunning = false;
  Shell(m_strAs + m_strBin + "/pg_ctl -D " + m_strDir + "/data -m immediate stop >/dev/null 2>&1");
}

std::string CPostgresServer::Start() {
  m_strBin = ServerBin();
  if (m_strBin.empty()) {
    return "no PostgreSQL server programs in /usr/lib/postgresql (apt-get install postgresql)";
  }
  char pattern[] = "/tmp/blastsearch_pg_XXXXXX";
  if (::mkdtemp(pattern) == nullptr) return "cannot make a temporary folder";
  m_strDir = pattern;
  if (::geteuid() == 0) {
    const passwd* user = ::getpwnam("postgres");
    if (user == nullptr)
      return "running as root and there is no \"postgres\" user to run the server";
    if (::chown(m_strDir.c_str(), user->pw_uid, user->pw_gid) != 0) {
      return "cannot give the temporary folder to the \"postgres\" user";
    }
    m_strAs = "runuser -u postgres -- ";
  }
  m_nPort += 20000 + static_cast<int>(::getpid() % 30000);
  const std::string data = m_strDir + "/data";
  if (Shell(m_strAs + m_strBin + "/initdb -D " + data +
            " -U bs_admin -A trust -E SQL_ASCII --locale=C --no-sync >" + m_strDir +
            "/initdb.log 2>&1") != 0) {
    return "initdb failed (see " + m_strDir + "/initdb.log)";
  }
  if (!StartServer()) return "the server did not start (see " + m_strDir + "/server.log)";
  return {};
}

bool CPostgresServer::StartServer() {
  const std::string options =
      "-c listen_addresses='' -k " + m_strDir + " -p " + std::to_string(m_nPort) + " -c fsync=off";
  if (Shell(m_strAs + m_strBin + "/pg_ctl -D " + m_strDir + "/data -o \"" + options + "\" -l " +
            m_strDir + "/server.log -w -t 120 start >/dev/null 2>&1") != 0) {
    return false;
  }
  m_bRunning = true;
  return true;
}

bool CPostgresServer::Restart() { return m_bRunning || StartServer(); }

CPostgresServer::~CPostgresServer() {
  if (m_bShared) {
    DropOwnDatabases();
    return;
  }
  if (m_bRunning) {
    Shell(m_strAs + m_strBin + "/pg_ctl -D " + m_strDir +
          "/data -m immediate stop >/dev/null 2>&1");
  }
  std::error_code error;
  if (!m_strDir.empty()) fs::remove_all(m_strDir, error);
}

std::string CPostgresServer::ConnInfo(const std::string& dbname, const std::string& user) const {
  return "host=" + m_strDir + " port=" + std::to_string(m_nPort) + " dbname=" + dbname +
         " user=" + (user.empty() ? "bs_admin" : user);
}

std::string CPostgresServer::DatabaseName(int serial) const {
  return "test" + std::to_string(m_nCreator) + "_" + std::to_string(serial);
}

std::string CPostgresServer::NewDatabase() {
  if (m_nDatabases == 0) m_nCreator = static_cast<int>(::getpid());
  const std::string name = DatabaseName(m_nDatabases + 1);
  Run("postgres", "CREATE DATABASE " + name);
  ++m_nDatabases;
  return name;
}

void CPostgresServer::Run(const std::string& dbname, const std::string& sql) const {
  PGconn* conn = PQconnectdb(ConnInfo(dbname).c_str());
  std::string failure;
  if (PQstatus(conn) != CONNECTION_OK) {
    failure = PQerrorMessage(conn);
  } else {
    PGresult* result = PQexec(conn, sql.c_str());
    const ExecStatusType status = PQresultStatus(result);
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) failure = PQerrorMessage(conn);
    PQclear(result);
  }
  PQfinish(conn);
  if (!failure.empty()) throw std::runtime_error(sql + ": " + failure);
}

}  // namespace blastsearch
