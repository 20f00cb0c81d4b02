// The import of report files: refusals that store nothing, one result per
// query named after it, duplicates found by digest, names cut to fit.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>

#include "host/db/DBEngine.h"
#include "host/db/DBFunctions.h"
#include "host/db/DBStorage.h"
#include "host/db/DBTableBase.h"
#include "model/ResultInfo.h"
#include "platform/UserInteraction.h"
#include "support/Corpus.h"
#include "support/StorageBackends.h"
#include "support/TempDatabase.h"
#include "table/BlastSearchTable.h"
#include "table/ReportImport.h"

namespace blastsearch {

namespace {

namespace fs = std::filesystem;

const fs::path kBlastPlus = fs::path(BLASTSEARCH_SOURCE_DIR) / "tests" / "data" / "blastplus";

// On each backend: a folder's database, and one on the tests' PostgreSQL
// server.
class ReportImportTest : public ::testing::TestWithParam<std::string> {
 protected:
  ReportImportTest() : m_db(1, "db", GetParam()) {}
  void SetUp() override {
    if (!m_db.SkipReason().empty()) GTEST_SKIP() << m_db.SkipReason();
  }
  CReportImportOutcome Import(const fs::path& path, CReportImportOptions options = {}) {
    return ImportReportFile(blastSearch(), path.string(), options);
  }
  fs::path Write(const std::string& name, const std::string& bytes) {
    std::ofstream(m_db.Dir() / name, std::ios::binary) << bytes;
    return m_db.Dir() / name;
  }
  std::size_t Stored() { return blastSearch().getobjlist(1).GetCount(); }

  CScriptedUserInteraction m_ui;
  CTempDatabase m_db;
};

TEST_P(ReportImportTest, FilesWithoutAReportAreRefusedAndNothingIsStored) {
  struct Case {
    const char* name;
    std::string bytes;  // a file of these bytes, unless `path` is given
    const char* path;
    const char* said;
  };
  const std::vector<Case> cases = {
      {"script.sh", "#!/bin/sh\necho Query= nothing\nexit 0\n", nullptr, "no BLAST report"},
      {"empty.txt", "", nullptr, "no BLAST report"},
      {"query.html", "<html><b>Query=</b> x</html>", nullptr, "a query line without a report"},
      {"line.txt", "one line of text", nullptr, "no BLAST report"},
      {"zero", "", "/dev/zero", "no BLAST report that blastsearch recognises in its first 1 MiB"},
      {"random", "", "/dev/urandom", "in its first 1 MiB"},
      {"folder", "", "/tmp", "cannot read"},
      {"missing", "", "/nonexistent/x.txt", "cannot read"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path path = c.path != nullptr ? fs::path(c.path) : Write(c.name, c.bytes);
    const auto started = std::chrono::steady_clock::now();
    const CReportImportOutcome outcome = Import(path);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
    EXPECT_EQ(outcome.m_status, CReportImportOutcome::kRefused);
    EXPECT_NE(outcome.m_strReason.find(c.said), std::string::npos) << outcome.m_strReason;
    const std::string line = DescribeImportOutcome(path.string(), outcome, true);
    EXPECT_EQ(line.rfind(path.string() + ": ", 0), 0u) << line;
    EXPECT_NE(line.find("nothing stored"), std::string::npos) << line;
    EXPECT_EQ(Stored(), 0u);
  }
}

TEST_P(ReportImportTest, EachQueryBecomesAResultNamedAfterIt) {
  for (const char* name : {"blastp.txt", "blastp.xml", "blastp.json", "blastp.tab7"}) {
    SCOPED_TRACE(name);
    CReportImportOptions options;
    options.m_bAllowDuplicates = true;
    std::size_t calls = 0;
    options.m_progress = [&](std::size_t results, std::uint64_t bytes, std::uint64_t length) {
      ++calls;
      EXPECT_EQ(results, calls);
      EXPECT_LE(bytes, length);
    };
    const std::size_t before = Stored();
    const CReportImportOutcome outcome = Import(kBlastPlus / name, options);
    ASSERT_EQ(outcome.m_status, CReportImportOutcome::kStored) << outcome.m_strReason;
    EXPECT_GE(outcome.m_nStored, 2u);
    EXPECT_EQ(calls, outcome.m_nStored);
    EXPECT_EQ(Stored(), before + outcome.m_nStored);
    for (const std::string& stored : outcome.m_names) {
      const CObjInfo* info = FindObject(CBlastSearchObject::objtype(), 1, stored);
      ASSERT_NE(info, nullptr) << stored;
      EXPECT_EQ(stored.rfind(info->m_tableText.substr(0, 20), 0), 0u)
          << stored << " is named after its query " << info->m_tableText;
    }
  }
}

TEST_P(ReportImportTest, ResultsStoredAlreadyAreSkippedUnlessAllowed) {
  SKIP_WITHOUT_CORPUS();
  const fs::path page = CorpusFiles("html-qblast").front();
  const CReportImportOutcome first = Import(page);
  ASSERT_EQ(first.m_status, CReportImportOutcome::kStored) << first.m_strReason;
  ASSERT_EQ(first.m_nStored, 1u);

  // The same bytes under another name, and a reread of the file.
  const fs::path copy = m_db.Dir() / "copy.html";
  fs::copy_file(page, copy);
  for (const fs::path& again : {page, copy}) {
    const CReportImportOutcome outcome = Import(again);
    EXPECT_EQ(outcome.m_status, CReportImportOutcome::kStored);
    EXPECT_EQ(outcome.m_nStored, 0u);
    EXPECT_EQ(outcome.m_nSkipped, 1u);
    EXPECT_EQ(outcome.m_strDuplicateOf, first.m_names.front());
    const std::string line = DescribeImportOutcome(again.string(), outcome, true);
    EXPECT_NE(line.find("stored already"), std::string::npos) << line;
    EXPECT_NE(line.find("--allow-duplicates"), std::string::npos) << line;
  }
  EXPECT_EQ(Stored(), 1u);

  CReportImportOptions allow;
  allow.m_bAllowDuplicates = true;
  const CReportImportOutcome stored = Import(page, allow);
  ASSERT_EQ(stored.m_nStored, 1u);
  EXPECT_EQ(stored.m_names.front(), first.m_names.front() + "_2");
  EXPECT_EQ(Stored(), 2u);

  // A result whose object was deleted is no longer a duplicate.
  for (const std::string& name : {first.m_names.front(), stored.m_names.front()}) {
    CObjInfo* info = FindObject(CBlastSearchObject::objtype(), 1, name);
    ASSERT_NE(info, nullptr);
    ASSERT_TRUE(engine().Storage(1)->DeleteObject(blastSearch().objtable(), info->m_objId));
  }
  m_db.Reopen();
  EXPECT_EQ(Import(page).m_nStored, 1u);
}

TEST_P(ReportImportTest, TheDigestFollowsTheResultNotItsStoredKey) {
  CBlastSearchEntry entry;
  entry.m_Mol.m_strName = "query one";
  const std::string report = DigestOfReportHead("BLASTN 2.0.11\nQuery= query one\n");
  EXPECT_EQ(report.size(), 32u);
  // SHA-256 as databases made earlier hold it ("abc", the standard's example).
  EXPECT_EQ(DigestOfReportHead("abc").substr(0, 4), std::string("\xba\x78\x16\xbf"));
  const std::string digest = DigestOfResult(entry, report);
  EXPECT_EQ(digest.size(), 64u);
  EXPECT_EQ(digest.find_first_not_of("0123456789abcdef"), std::string::npos);
  SetResultInfo(entry, result_info::kDigest, digest);
  EXPECT_EQ(DigestOfResult(entry, report), digest) << "a kept digest does not change it";
  EXPECT_TRUE(GetResultInfo(entry, result_info::kDigest).empty());
  // The same result of another report, another result of the same report.
  EXPECT_NE(DigestOfResult(entry, DigestOfReportHead("BLASTX 2.0.11\nQuery= query one\n")), digest);
  EXPECT_NE(DigestOfResult(entry, {}), digest);
  entry.m_Mol.m_strName = "query two";
  EXPECT_NE(DigestOfResult(entry, report), digest);

  CBlastSearchObject object;
  EXPECT_TRUE(object.GetObjectKeys().empty());
  SetResultInfo(object.Entry(), result_info::kDigest, digest);
  EXPECT_EQ(object.GetObjectKeys(),
            std::vector<std::string>{std::string(kResultDigestKey) + digest});
}

TEST_P(ReportImportTest, AStopAskedForEndsTheFileAfterTheResultBeingStored) {
  const fs::path report = kBlastPlus / "blastn.txt";
  volatile int stop = 0;
  CReportImportOptions options;
  options.m_pStop = &stop;
  options.m_progress = [&](std::size_t, std::uint64_t, std::uint64_t) { stop = 1; };
  const CReportImportOutcome outcome = Import(report, options);
  EXPECT_EQ(outcome.m_status, CReportImportOutcome::kStopped);
  EXPECT_EQ(outcome.m_nStored, 1u);
  EXPECT_EQ(Stored(), 1u);
  const std::string line = DescribeImportOutcome("x.txt", outcome, true);
  EXPECT_NE(line.find("stopped after 1 of x.txt's results"), std::string::npos) << line;
}

TEST_P(ReportImportTest, ACutOffReportKeepsWhatCameBeforeAndStoresNoHalfResult) {
  std::ifstream in(kBlastPlus / "blastn.xml", std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), {});
  const fs::path cut = Write("cut.xml", bytes.substr(0, bytes.size() * 2 / 3));
  const CReportImportOutcome outcome = Import(cut);
  EXPECT_EQ(outcome.m_status, CReportImportOutcome::kFailed);
  EXPECT_FALSE(outcome.m_strReason.empty());
  EXPECT_EQ(Stored(), outcome.m_nStored);
}

// The host cuts names to what the table allows, never inside a character,
// with room for the number that makes them unique.
INSTANTIATE_TEST_SUITE_P(Backends, ReportImportTest, ::testing::ValuesIn(StorageBackendNames()),
                         BackendTestName);

TEST(ObjectNames, LongNamesAreCutToFitWithTheirNumber) {
  struct Case {
    std::string name;
    std::size_t limit;
    std::string cut;
  };
  const std::string e = "\xC3\xA9";  // one two-byte character
  const std::vector<Case> cases = {
      {"short", 250, "short"},    {"tab\there\r\n", 250, "tab here"}, {"abcdef", 4, "abcd"},
      {"ab" + e + "cd", 3, "ab"}, {"ab" + e + "cd", 4, "ab" + e},     {"ab   cd", 4, "ab"},
  };
  for (const Case& c : cases) EXPECT_EQ(CutObjectName(c.name, c.limit), c.cut) << c.name;

  CScriptedUserInteraction ui;
  CTempDatabase db;
  const std::string longName(400, 'q');
  std::vector<std::string> names;
  for (int i = 0; i < 3; ++i) {
    CBlastSearchObject object;
    object.m_name = longName;
    std::string subbase;
    ASSERT_EQ(blastSearch().AddNewObject(&object, "MAIN", subbase, 1), 1);
    names.push_back(object.m_name);
  }
  EXPECT_EQ(names[0], std::string(kMaxObjectName, 'q'));
  // The number needs two characters: the name is cut by them first.
  EXPECT_EQ(names[1], std::string(kMaxObjectName - 2, 'q'));
  EXPECT_EQ(names[2], std::string(kMaxObjectName - 2, 'q') + "_2");
}

}  // namespace

}  // namespace blastsearch
