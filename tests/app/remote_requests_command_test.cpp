// `blastsearch blast --rid` on a server database: the request IDs that an
// older version kept in the user's local folder are taken over into the
// database (the file goes), and what the resume learns is kept there, where
// every client sees it.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "app/CommandRun.h"
#include "host/db/DBEngine.h"
#include "host/db/DatabaseDirectory.h"
#include "run/RemoteRequests.h"
#include "support/LoopbackHttpServer.h"
#include "support/ScopedEnvironment.h"
#include "support/StorageBackends.h"
#include "support/TempDatabase.h"

namespace blastsearch {

namespace {

namespace fs = std::filesystem;

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
  CLoopbackServer ncbi(
      {Page("<html>\n<!--QBlastInfoBegin\n\tStatus=UNKNOWN\nQBlastInfoEnd\n--></html>\n")});
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
