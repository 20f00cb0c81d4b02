// The remote search against a server of the test's own on the loopback
// address that answers as NCBI's BLAST URL API does: requests counted and
// spaced by a test clock, every failure told and the request ID kept for a
// resume where one makes sense.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <deque>
#include <fstream>
#include <mutex>
#include <sstream>
#include <thread>

#include "host/db/DBEngine.h"
#include "platform/UserInteraction.h"
#include "run/HttpClient.h"
#include "run/NcbiBlast.h"
#include "run/RemoteRequests.h"
#include "run/RunClock.h"
#include "support/LoopbackHttpServer.h"
#include "support/StorageBackends.h"
#include "support/TempDatabase.h"
#include "table/BlastSearchObject.h"
#include "table/BlastSearchTable.h"

namespace blastsearch {

namespace {

// Time that passes only when the client waits.
class CTestClock : public CRunClock {
 public:
  double Now() override { return m_dNow; }
  bool WaitUntil(double when, const volatile int* stop) override {
    if (stop != nullptr && *stop != 0) return false;
    m_dNow = std::max(m_dNow, when);
    return true;
  }
  double m_dNow = 1000;
};

// The curl client, with the test clock's time of each request kept.
class CTimedClient : public CHttpClient {
 public:
  CTimedClient(CRunClock& clock) : m_clock(clock) {
    CHttpSettings settings;
    settings.m_nConnectTimeout = 2;
    settings.m_nStallTimeout = 1;
    m_pClient = MakeCurlClient(settings);
  }
  bool Post(const std::string& url, const std::string& form,
            const std::function<bool(std::string_view)>& sink, std::string& error) override {
    m_times.push_back(m_clock.Now());
    return m_pClient->Post(url, form, sink, error);
  }
  CRunClock& m_clock;
  std::unique_ptr<CHttpClient> m_pClient;
  std::vector<double> m_times;
};

std::string InfoPage(const std::string& lines) {
  return "<html><body>\n<!--QBlastInfoBegin\n" + lines + "QBlastInfoEnd\n--></body></html>\n";
}
const std::string kPut = InfoPage("    RID = TESTRID42\n    RTOE = 25\n");
const std::string kWaiting = InfoPage("\tStatus=WAITING\n");
const std::string kReady = InfoPage("\tStatus=READY\n\tThereAreHits=yes\n");

std::string ResultsXml() {
  std::ifstream file(std::string(BLASTSEARCH_SOURCE_DIR) + "/tests/data/blastplus/blastp.xml");
  std::stringstream bytes;
  bytes << file.rdbuf();
  return bytes.str();
}

class NcbiBlastTest : public ::testing::Test {
 protected:
  NcbiBlastTest() {
    std::ofstream(m_db.Dir() / "q.fa") << ">q1 a query\nMKTAYIAKQRQISFVKSHFSRQ\n";
    m_request.m_strProgram = "blastp";
    m_request.m_strQuery = (m_db.Dir() / "q.fa").string();
    m_request.m_strDatabase = "swissprot";
    m_request.m_strEvalue = "1e-5";
    m_request.m_nMaxHits = 50;
  }

  CBlastRunOutcome Run(CLoopbackServer& server, const std::string& rid = "", int retries = 2,
                       const volatile int* stop = nullptr, CResultStore store = nullptr) {
    CNcbiSettings settings;
    settings.m_strUrl = server.Url();
    settings.m_strEmail = "someone@example.org";
    settings.m_nRetries = retries;
    m_pHttp = std::make_unique<CTimedClient>(m_clock);
    CNcbiBlastClient client(*m_pHttp, m_clock, settings, stop);
    CSearchRunHooks hooks;
    hooks.m_pStop = stop;
    hooks.m_store = store ? store : MakeTableStore(blastSearch(), "MAIN");
    const CBlastRunOutcome outcome =
        m_pRequests != nullptr
            ? RunRemoteSearch(m_request, rid, client, *m_pRequests, m_db.Dir().string(), hooks)
            : RunRemoteSearch(m_request, rid, client, RequestsFile(), m_db.Dir().string(), hooks);
    m_nRequests = client.GetRequestCount();
    return outcome;
  }
  std::string RequestsFile() const { return RemoteRequestsFile(m_db.Dir().string()); }
  std::size_t Stored() { return blastSearch().getobjlist(1).GetCount(); }

  CScriptedUserInteraction m_ui;
  CTempDatabase m_db;
  CBlastSearchRequest m_request;
  CTestClock m_clock;
  std::unique_ptr<CTimedClient> m_pHttp;
  std::size_t m_nRequests = 0;
  CRemoteRequestStore* m_pRequests = nullptr;  // null: the file beside the database
};

TEST_F(NcbiBlastTest, ASearchIsSubmittedPolledWithinTheRulesFetchedAndStored) {
  CLoopbackServer server(
      {Page(kPut), Page(kWaiting), Page(kWaiting), Page(kReady), Page(ResultsXml())});
  const CBlastRunOutcome outcome = Run(server);
  ASSERT_EQ(outcome.m_status, CBlastRunOutcome::kDone) << outcome.m_strError;
  EXPECT_EQ(outcome.m_strRid, "TESTRID42");
  EXPECT_EQ(outcome.m_nStored, 3u);
  EXPECT_EQ(Stored(), 3u);
  ASSERT_EQ(m_nRequests, 5u);
  const std::vector<double>& times = m_pHttp->m_times;
  ASSERT_EQ(times.size(), 5u);
  EXPECT_GE(times[1] - times[0], 60);  // the estimate (25 s), but no poll within a minute
  for (std::size_t i = 1; i < times.size(); ++i) {
    EXPECT_GE(times[i] - times[i - 1], 10) << "request " << i;
    if (i < 4) {
      EXPECT_GE(times[i] - times[i - 1], 60) << "poll " << i;
    }
  }
  EXPECT_LT(times[4] - times[3], 60);  // the results are fetched without another minute
  const std::vector<std::string> bodies = server.Bodies();
  ASSERT_EQ(bodies.size(), 5u);
  for (const std::string& body : bodies) {
    EXPECT_NE(body.find("tool=blastsearch"), std::string::npos) << body;
    EXPECT_NE(body.find("email=someone%40example.org"), std::string::npos) << body;
  }
  EXPECT_NE(bodies[0].find("CMD=Put&PROGRAM=blastp&DATABASE=swissprot&QUERY=%3Eq1+a+query"),
            std::string::npos);
  EXPECT_NE(bodies[0].find("EXPECT=1e-5&HITLIST_SIZE=50"), std::string::npos);
  EXPECT_NE(bodies[1].find("CMD=Get&FORMAT_OBJECT=SearchInfo&RID=TESTRID42"), std::string::npos);
  EXPECT_NE(bodies[4].find("CMD=Get&FORMAT_TYPE=XML&RID=TESTRID42"), std::string::npos);
  EXPECT_TRUE(ReadRemoteRequests(RequestsFile()).empty());  // done: forgotten
  EXPECT_FALSE(std::filesystem::exists(m_db.Dir() / "ncbi-TESTRID42.xml"));
}

TEST_F(NcbiBlastTest, FailuresAreToldAndResumableOnesKeepTheirRequestId) {
  const std::string error = "<p class=\"error\">ERROR: Results for RID TESTRID42 not found<br>\n";
  struct Case {
    const char* name;
    std::vector<CAnswer> script;
    int retries;
    const char* said;
    bool resumable;
  };
  const std::vector<Case> cases = {
      {"unknown", {Page(kPut), Page(InfoPage("Status=UNKNOWN\n"))}, 2, "does not know", false},
      {"failed",
       {Page(kPut), Page(kWaiting), Page(InfoPage("Status=FAILED\n"))},
       2,
       "search TESTRID42 failed",
       false},
      {"error page",
       {Page(kPut), Page(error)},
       2,
       "NCBI: ERROR: Results for RID TESTRID42 not found",
       false},
      {"no status",
       {Page(kPut), Page("<html>maintenance</html>")},
       2,
       "holds no search status",
       false},
      {"refused submission",
       {Page("<p>ERROR: Query contains no sequence data<br>")},
       2,
       "did not take the search: ERROR: Query contains no sequence data",
       false},
      {"dropped connection",
       {Page(kPut), kDrop, kDrop, kDrop},
       2,
       "connection to NCBI was lost",
       true},
      {"slow server", {Page(kPut), kStall}, 0, "connection to NCBI was lost", true},
      {"results are an error page",
       {Page(kPut), Page(kReady), Page(error)},
       2,
       "NCBI: ERROR: Results for RID",
       true},
      {"results are no report",
       {Page(kPut), Page(kReady), Page("<html>hello</html>")},
       2,
       "is not a BLAST XML report",
       true},
      {"server error", {}, 2, "HTTP status 500", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove(RequestsFile());
    CLoopbackServer server(c.script);
    const CBlastRunOutcome outcome = Run(server, "", c.retries);
    EXPECT_EQ(outcome.m_status, CBlastRunOutcome::kFailed);
    EXPECT_NE(outcome.m_strError.find(c.said), std::string::npos) << outcome.m_strError;
    EXPECT_EQ(outcome.m_bResumable, c.resumable);
    EXPECT_EQ(ReadRemoteRequests(RequestsFile()).size(), c.resumable ? 1u : 0u);
    EXPECT_EQ(Stored(), 0u);
    for (std::size_t i = 1; i < m_pHttp->m_times.size(); ++i) {
      EXPECT_GE(m_pHttp->m_times[i] - m_pHttp->m_times[i - 1], 10);
    }
  }
}

TEST_F(NcbiBlastTest, AConnectionLostOnceIsAskedAgain) {
  CLoopbackServer server({Page(kPut), kDrop, Page(kReady), kDrop, Page(ResultsXml())});
  const CBlastRunOutcome outcome = Run(server);
  EXPECT_EQ(outcome.m_status, CBlastRunOutcome::kDone) << outcome.m_strError;
  EXPECT_EQ(Stored(), 3u);
  EXPECT_EQ(m_nRequests, 5u);
}

TEST_F(NcbiBlastTest, AStoppedSearchIsResumedByItsRequestIdWithoutStoringTwice) {
  volatile int stop = 0;
  const CResultStore store = MakeTableStore(blastSearch(), "MAIN");
  {
    CLoopbackServer server({Page(kPut), Page(kReady), Page(ResultsXml())});
    const CBlastRunOutcome outcome =
        Run(server, "", 2, &stop,
            [&](CBlastSearchObject& object, std::string_view digest, std::string& name) {
              stop = 1;  // Ctrl-C while the first result is stored
              return store(object, digest, name);
            });
    EXPECT_EQ(outcome.m_status, CBlastRunOutcome::kStopped);
    EXPECT_TRUE(outcome.m_bResumable);
    EXPECT_EQ(Stored(), 1u);
    const std::vector<CRemoteRequest> kept = ReadRemoteRequests(RequestsFile());
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(kept[0].m_strRid, "TESTRID42");
    EXPECT_EQ(kept[0].m_strSearchLine,
              "NCBI BLAST, request ID TESTRID42: blastp -db swissprot EXPECT=1e-5 HITLIST_SIZE=50");
  }
  stop = 0;
  CLoopbackServer server({Page(kReady), Page(ResultsXml())});
  const CBlastRunOutcome outcome = Run(server, "TESTRID42", 2, &stop);
  EXPECT_EQ(outcome.m_status, CBlastRunOutcome::kDone) << outcome.m_strError;
  EXPECT_EQ(outcome.m_nStored, 2u);
  EXPECT_EQ(outcome.m_nSkipped, 1u);
  EXPECT_EQ(Stored(), 3u);
  EXPECT_TRUE(ReadRemoteRequests(RequestsFile()).empty());
  EXPECT_EQ(server.Bodies().front().find("CMD=Put"), std::string::npos);
}

// On a server database the request ID is kept in the database: a search
// that one client submitted and was cut short is seen by another client,
// which resumes it and forgets it for both.
TEST_F(NcbiBlastTest, AServerDatabasesRequestIdsAreResumedByAnotherClient) {
  CBackendDatabase server("postgres");
  if (!server.SkipReason().empty()) GTEST_SKIP() << server.SkipReason();
  const std::unique_ptr<CDBStorage> first = server.Open();
  const std::unique_ptr<CDBStorage> second = server.Open();
  const std::unique_ptr<CRemoteRequestStore> mine = MakeRemoteRequestTable(*first);
  const std::unique_ptr<CRemoteRequestStore> theirs = MakeRemoteRequestTable(*second);
  volatile int stop = 0;
  const CResultStore store = MakeTableStore(blastSearch(), "MAIN");
  {
    m_pRequests = mine.get();
    CLoopbackServer ncbi({Page(kPut), Page(kReady), Page(ResultsXml())});
    const CBlastRunOutcome outcome =
        Run(ncbi, "", 2, &stop,
            [&](CBlastSearchObject& object, std::string_view digest, std::string& name) {
              stop = 1;
              return store(object, digest, name);
            });
    EXPECT_EQ(outcome.m_status, CBlastRunOutcome::kStopped);
  }
  EXPECT_FALSE(std::filesystem::exists(RequestsFile()));
  std::string error;
  const std::vector<CRemoteRequest> seen = theirs->Read(error);
  ASSERT_EQ(seen.size(), 1u) << error;
  EXPECT_EQ(seen[0].m_strRid, "TESTRID42");
  EXPECT_EQ(seen[0].m_strProgram, "blastp");
  EXPECT_EQ(seen[0].m_strSearchLine,
            "NCBI BLAST, request ID TESTRID42: blastp -db swissprot EXPECT=1e-5 HITLIST_SIZE=50");
  stop = 0;
  m_pRequests = theirs.get();
  CLoopbackServer ncbi({Page(kReady), Page(ResultsXml())});
  const CBlastRunOutcome outcome = Run(ncbi, "TESTRID42", 2, &stop);
  EXPECT_EQ(outcome.m_status, CBlastRunOutcome::kDone) << outcome.m_strError;
  EXPECT_EQ(outcome.m_nSkipped, 1u);
  EXPECT_EQ(Stored(), 3u);
  EXPECT_TRUE(mine->Read(error).empty());
}

// The file beside a folder database and a server database's table keep
// requests alike; requests an older version kept in a local file are taken
// over into the server database once, and a role that may only read sees
// them but cannot change them.
TEST(RemoteRequestStores, KeepReplaceForgetAndTakeOver) {
  CTempDir scratch("requests");
  const std::string file = (scratch.Path() / "blast-requests.tsv").string();
  CBackendDatabase server("postgres");
  std::unique_ptr<CDBStorage> storage;
  if (server.SkipReason().empty()) storage = server.Open();
  std::vector<std::unique_ptr<CRemoteRequestStore>> stores;
  stores.push_back(MakeRemoteRequestFile((scratch.Path() / "kept.tsv").string()));
  if (storage) stores.push_back(MakeRemoteRequestTable(*storage));
  for (const auto& store : stores) {
    std::string error;
    ASSERT_TRUE(store->Save({"RIDB", 20, "blastn", "nt", "second"}, error)) << error;
    ASSERT_TRUE(store->Save({"RIDA", 10, "blastp", "nr", "first"}, error)) << error;
    ASSERT_TRUE(store->Save({"RIDB", 30, "blastx", "nr", "second, again"}, error)) << error;
    EXPECT_TRUE(store->Forget("NOSUCH", error)) << error;
    std::vector<CRemoteRequest> kept = store->Read(error);
    ASSERT_EQ(kept.size(), 2u);
    EXPECT_EQ(kept[0].m_strRid, "RIDA");
    EXPECT_EQ(kept[1].m_strSearchLine, "second, again");
    EXPECT_EQ(kept[1].m_nSubmitted, 30);
    EXPECT_TRUE(store->Forget("RIDA", error)) << error;
    EXPECT_EQ(store->Read(error).size(), 1u);
  }
  if (!storage) GTEST_SKIP() << server.SkipReason();
  std::string error;
  ASSERT_TRUE(SaveRemoteRequest(file, {"OLD1", 5, "blastp", "nr", "old one"}, error));
  ASSERT_TRUE(SaveRemoteRequest(file, {"RIDB", 40, "blastn", "nt", "from the file"}, error));
  const std::unique_ptr<CRemoteRequestStore> table = MakeRemoteRequestTable(*storage);
  ASSERT_TRUE(TakeOverRemoteRequestFile(file, *table, error)) << error;
  EXPECT_FALSE(std::filesystem::exists(file));
  EXPECT_TRUE(TakeOverRemoteRequestFile(file, *table, error)) << error;  // nothing left
  std::vector<CRemoteRequest> kept = table->Read(error);
  ASSERT_EQ(kept.size(), 2u);
  EXPECT_EQ(kept[0].m_strRid, "OLD1");
  EXPECT_EQ(kept[1].m_strSearchLine, "from the file");
  server.RunAsAdmin(
      "CREATE ROLE bs_requests_reader LOGIN; GRANT SELECT ON ALL TABLES IN SCHEMA public TO "
      "bs_requests_reader");
  const std::unique_ptr<CDBStorage> reader =
      OpenServerStorage(server.AddressAs("bs_requests_reader"));
  ASSERT_TRUE(reader->IsReadOnly());
  const std::unique_ptr<CRemoteRequestStore> readOnly = MakeRemoteRequestTable(*reader);
  EXPECT_EQ(readOnly->Read(error).size(), 2u) << error;
  EXPECT_FALSE(readOnly->Save({"NEW", 1, "blastp", "nr", "x"}, error));
  EXPECT_NE(error.find("read-only"), std::string::npos) << error;
  EXPECT_FALSE(readOnly->Forget("OLD1", error));
  EXPECT_EQ(table->Read(error).size(), 2u);
}

TEST(FormField, EncodesNamesAndValues) {
  const std::vector<std::tuple<std::string, std::string, std::string>> cases = {
      {"CMD", "Put", "CMD=Put"},
      {"QUERY", ">q1 x\nACGT", "QUERY=%3Eq1+x%0AACGT"},
      {"email", "a.b-c_d~e@f", "email=a.b-c_d~e%40f"},
      {"E", "1e-5&x=y", "E=1e-5%26x%3Dy"},
      {"U", "\xc3\xa9", "U=%C3%A9"},
  };
  for (const auto& [name, value, expected] : cases) {
    std::string form;
    AddFormField(form, name, value);
    EXPECT_EQ(form, expected);
  }
  std::string form = "A=1";
  AddFormField(form, "B", "");
  EXPECT_EQ(form, "A=1&B=");
}

}  // namespace

}  // namespace blastsearch
