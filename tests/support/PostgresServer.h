#pragma once

#include <memory>
#include <string>

namespace blastsearch {

// A private PostgreSQL server for the tests: made with initdb in a fresh
// temporary folder, listening only on a Unix socket in that folder, stopped
// (immediately) and removed when the test program ends. As root it runs as
// the system's "postgres" user (the server refuses to run as root). Its
// superuser is "bs_admin", trusted without a password on the socket.
//
// Under ctest the programs share one server of the whole run instead (the
// fixture "postgres", tests/support/test_postgres.sh): the environment
// variable BLASTSEARCH_TEST_POSTGRES names the file in which the fixture
// wrote its socket folder and port. A program attached to it neither stops
// nor removes it; it drops the databases it made when it ends.
class CPostgresServer {
 public:
  // The server of this test program: the run's shared one when it answers,
  // else one of its own started at the first call; null when none can be
  // had, with the reason in `whyNot`.
  static CPostgresServer* Shared(std::string& whyNot);
  // A server of its own for a test that stops it; null as Shared gives.
  static std::unique_ptr<CPostgresServer> StartNew(std::string& whyNot);

  ~CPostgresServer();
  CPostgresServer(const CPostgresServer&) = delete;
  CPostgresServer& operator=(const CPostgresServer&) = delete;

  // A connection string to `dbname` as `user` (the superuser when empty).
  std::string ConnInfo(const std::string& dbname, const std::string& user = "") const;
  // A new, empty database with a name no other test process uses; its
  // name.
  std::string NewDatabase();
  // Runs `sql` as the superuser in `dbname`; throws std::runtime_error with
  // the server's message when it fails.
  void Run(const std::string& dbname, const std::string& sql) const;
  // Stops the server at once, as a crash would (pg_ctl stop -m immediate).
  // Only a server of the test's own (StartNew); does nothing to a shared one.
  void Kill();
  // Starts a killed server again on the same folder and socket (it recovers
  // from its journal); false when it does not start.
  bool Restart();
  // The socket folder.
  const std::string& Dir() const { return m_strDir; }

 private:
  CPostgresServer() = default;
  // The run's shared server named by `stateFile`; null when it is not
  // there or does not answer.
  static std::unique_ptr<CPostgresServer> Attach(const std::string& stateFile);
  std::string Start();
  bool StartServer();
  void DropOwnDatabases();
  std::string DatabaseName(int serial) const;

  std::string m_strDir;
  std::string m_strBin;
  std::string m_strAs;  // "runuser -u postgres -- " as root, else empty
  int m_nPort = 0;
  bool m_bRunning = false;
  bool m_bShared = false;  // attached to the run's server, not started here
  int m_nDatabases = 0;
  int m_nCreator = 0;  // the process that made the databases
};

}  // namespace blastsearch
