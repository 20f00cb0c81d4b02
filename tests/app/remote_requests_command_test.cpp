// `blastsearch blast --rid` on a server database: the request IDs that an
// older version kept in the user's local folder are taken over into the
// database (the file goes), and what the resume learns is kept there, where
// every client sees it.

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "app/CommandRun.h"
#include "host/db/DBEngine.h"
#include "host/db/DatabaseDirectory.h"
#include "run/RemoteRequests.h"
#include "support/ScopedEnvironment.h"
#include "support/StorageBackends.h"
#include "support/TempDatabase.h"

namespace blastsearch {

namespace {

namespace fs = std::filesystem;

// Answers one HTTP request on 127.0.0.1 with `page`, then ends.
class COneAnswer {
 public:
  explicit COneAnswer(std::string page) : m_strPage(std::move(page)) {
    m_listen = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(m_listen, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        ::listen(m_listen, 1) != 0 ||
        ::getsockname(m_listen, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
      ADD_FAILURE() << "no loopback server";
    }
    m_nPort = ntohs(address.sin_port);
    m_thread = std::thread([this] { Serve(); });
  }
  ~COneAnswer() {
    m_thread.join();
    ::close(m_listen);
  }
  std::string Url() const { return "http://127.0.0.1:" + std::to_string(m_nPort) + "/Blast.cgi"; }

 private:
  void Serve() {
    pollfd fd{m_listen, POLLIN, 0};
    if (::poll(&fd, 1, 20000) <= 0) return;
    const int connection = ::accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC);
    if (connection < 0) return;
    std::string request;
    char buffer[4096];
    while (request.find("\r\n\r\n") == std::string::npos) {
      const ssize_t got = ::recv(connection, buffer, sizeof buffer, 0);
      if (got <= 0) break;
      request.append(buffer, static_cast<std::size_t>(got));
    }
    const std::string answer = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: " +
                               std::to_string(m_strPage.size()) + "\r\nConnection: close\r\n\r\n" +
                               m_strPage;
    (void)::send(connection, answer.data(), answer.size(), MSG_NOSIGNAL);
    ::close(connection);
  }

  std::string m_strPage;
  int m_listen = -1;
  int m_nPort = 0;
  std::thread m_thread;
};

TEST(RemoteRequestsOnAServer, TheLocalFileIsTakenOverAndTheResumeKeepsItsWorkInTheDatabase) {
  CBackendDatabase server("postgres");
  if (!server.SkipReason().empty()) GTEST_SKIP() << server.SkipReason();
  CTempDir scratch("requestscmd");
  CScopedEnvironment data("XDG_DATA_HOME", (scratch.Path() / "data").string());
  CScopedEnvironment email("BLASTSEARCH_EMAIL", std::string("someone@example.org"));
  const std::string address = server.CommandAddress();
  const fs::path local = LocalWorkFolder(address);
  fs::create_directories(local);
  const std::string file = RemoteRequestsFile(local.string());
  std::string error;
  ASSERT_TRUE(SaveRemoteRequest(file, {"OTHERRID", 5, "blastn", "nt", "another search"}, error));
  ASSERT_TRUE(SaveRemoteRequest(file, {"GONERID", 7, "blastp", "nr", "a lost search"}, error));
  std::ofstream(scratch.Path() / "q.fa") << ">q\nMKV\n";
  // NCBI no longer knows the resumed request: it is forgotten, the other stays.
  COneAnswer ncbi("<html>\n<!--QBlastInfoBegin\n\tStatus=UNKNOWN\nQBlastInfoEnd\n--></html>\n");
  const CCommandRun run =
      RunOnDatabase(address, {"blast", "blastp", "--query", (scratch.Path() / "q.fa").string(),
                              "--blast-db", "nr", "--rid", "GONERID", "--ncbi-url", ncbi.Url()});
  EXPECT_EQ(run.m_nStatus, 1) << run.m_strErr;
  EXPECT_NE(run.m_strErr.find("does not know the request ID GONERID"), std::string::npos)
      << run.m_strErr;
  EXPECT_FALSE(fs::exists(file));
  // What another client sees.
  const std::vector<CStoredRemoteRequest> kept = server.Open()->RemoteRequests();
  ASSERT_EQ(kept.size(), 1u);
  EXPECT_EQ(kept[0].m_strRid, "OTHERRID");
  EXPECT_EQ(kept[0].m_strSearchLine, "another search");
}

}  // namespace

}  // namespace blastsearch
