#pragma once

#include <memory>
#include <string>

namespace blastsearch {

// A private PostgreSQL server for the tests: made with initdb in a fresh
// temporary folder, listening only on a Unix socket in that folder, stopped
// (immediately) and removed when the test program ends. As root it runs as
// the system's "postgres" user (the server refuses to run as root). Its
// superuser is "bs_admin", trusted without a password on the socket.
class CPostgresServer {
 public:
  // The server of this test program, started at the first call; null when
  // none can be started, with the reason in `whyNot`.
  static CPostgresServer* Shared(std::string& whyNot);
  // A server of its own for a test that stops it; null as Shared gives.
  static std::unique_ptr<CPostgresServer> StartNew(std::string& whyNot);

  ~CPostgresServer();
  CPostgresServer(const CPostgresServer&) = delete;
  CPostgresServer& operator=(const CPostgresServer&) = delete;

  // A connection string to `dbname` as `user` (the superuser when empty).
  std::string ConnInfo(const std::string& dbname, const std::string& user = "") const;
  // A new, empty database; its name.
  std::string NewDatabase();
  // Runs `sql` as the superuser in `dbname`; throws std::runtime_error with
  // the server's message when it fails.
  void Run(const std::string& dbname, const std::string& sql) const;
  // Stops the server at once, as a crash would (pg_ctl stop -m immediate).
  void Kill();
  // Starts a killed server again on the same folder and socket (it recovers
  // from its journal); false when it does not start.
  bool Restart();
  // The socket folder.
  const std::string& Dir() const { return m_strDir; }

 private:
  CPostgresServer() = default;
  std::string Start();
  bool StartServer();

  std::string m_strDir;
  std::string m_strBin;
  std::string m_strAs;  // "runuser -u postgres -- " as root, else empty
  int m_nPort = 0;
  bool m_bRunning = false;
  int m_nDatabases = 0;
};

}  // namespace blastsearch
