// The blastsearch program itself, run as a separate process: imports killed
// with SIGKILL at random moments leave a sound database holding every result
// they reported stored; two imports at once both store everything.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <thread>

#include "app/CommandRun.h"
#include "app/ProgramProcess.h"
#include "host/db/DBEngine.h"
#include "host/db/DBFunctions.h"
#include "host/db/ObjInfo.h"
#include "output/EntryJson.h"
#include "support/Corpus.h"
#include "support/TempDatabase.h"
#include "table/BlastSearchTable.h"

extern char** environ;

namespace blastsearch {

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

const fs::path kProgram = fs::path(BLASTSEARCH_BINARY_DIR) / "app" / "blastsearch";

// Starts blastsearch with `args`, its output going to `out` and `err`.
pid_t Start(const std::vector<std::string>& args, const fs::path& out, const fs::path& err) {
  return StartProgram(kProgram, args, out, err);
}

// Waits for `pid`; its wait status.
int Wait(pid_t pid) {
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return status;
}

// The files the imports store, and the JSON document `parse` makes of each.
struct CSources {
  std::vector<std::string> m_files;
  std::map<std::string, std::string> m_json;
};

CSources MakeSources(const fs::path& scratch) {
  CSources sources;
  for (const auto& [folder, name] :
       std::vector<std::pair<const char*, const char*>>{{"text", "text_2010L_blastn_001.txt"},
                                                        {"text", "text_2010L_blastp_002.txt"},
                                                        {"text", "text_2010L_tblastx_001.txt"},
                                                        {"html-classic", "bt019.html"},
                                                        {"html-qblast", "bt070.html"},
                                                        {"text", "text_2208L_psiblast_001.txt"}}) {
    sources.m_files.push_back((CorpusDir() / folder / name).string());
  }
  const std::string transfer = (scratch / "saved.bqt").string();
  RunCommand({"parse", sources.m_files.front(), "--summary", "--save", transfer});
  sources.m_files.push_back(transfer);
  for (const std::string& file : sources.m_files) {
    sources.m_json[file] = RunCommand({"parse", file, "--json"}).m_strOut;
  }
  return sources;
}

// The JSON document of the stored result `info`, as `show --json` writes it;
// empty when its record cannot be read.
std::string StoredJson(const CObjInfo& info) {
  std::unique_ptr<CDBObjectBase> object(
      blastSearch().GetObjectData(info.m_objId, info.m_name.c_str(), 1));
  auto* result = dynamic_cast<CBlastSearchObject*>(object.get());
  return result != nullptr ? EntryToJson(result->Entry()) + "\n" : "";
}

// Checks the database in `dir` after an import ended (killed or not): it
// opens, passes the integrity check, holds every result `out` reported
// stored as parse reads its file, and every result above `checkedId` reads
// back as one of the sources. Returns the highest record identifier.
unsigned long CheckDatabase(const std::string& dir, const std::string& out, const CSources& sources,
                            unsigned long checkedId) {
  engine().OpenDatabase(dir, 1);
  EXPECT_EQ(engine().Storage(1)->IntegrityCheck(), "ok");
  for (const auto& [file, name] : StoredByImport(out)) {
    const CObjInfo* info = FindObject(CBlastSearchObject::objtype(), 1, name);
    if (info == nullptr) {
      ADD_FAILURE() << "reported stored but missing: " << name << " of " << file;
      continue;
    }
    EXPECT_EQ(StoredJson(*info), sources.m_json.at(file)) << name << " of " << file;
  }
  unsigned long highest = checkedId;
  for (const auto& info : blastSearch().getobjlist(1)) {
    highest = std::max(highest, info->m_objId);
    if (info->m_objId <= checkedId) continue;
    const std::string json = StoredJson(*info);
    bool known = false;
    for (const auto& [file, expected] : sources.m_json) known = known || json == expected;
    EXPECT_TRUE(known) << "half-stored or unknown result " << info->m_name;
  }
  engine().CloseDatabase(1);
  return highest;
}

int KillsAsked() {
  const char* asked = std::getenv("BLASTSEARCH_CRASH_KILLS");
  return asked != nullptr && std::atoi(asked) > 0 ? std::atoi(asked) : 200;
}

TEST(ImportCrash, KilledImportsLeaveEveryReportedResultAndNothingHalfStored) {
  SKIP_WITHOUT_CORPUS();
  ASSERT_TRUE(fs::exists(kProgram)) << kProgram;
  CTempDir scratch("dbcmd_crash");
  const CSources sources = MakeSources(scratch.Path());
  const fs::path out = scratch.Path() / "out.txt";
  const fs::path err = scratch.Path() / "err.txt";
  // Every run stores every file again, so that kills land inside stores.
  std::vector<std::string> args{"--db", "", "import", "--allow-duplicates"};
  args.insert(args.end(), sources.m_files.begin(), sources.m_files.end());

  // How long one whole import into an existing database takes, to kill
  // inside it.
  args[1] = (scratch.Path() / "timing").string();
  long whole = std::numeric_limits<long>::max();  // microseconds, the quickest of three
  for (int run = 0; run < 3; ++run) {
    const auto started = Clock::now();
    ASSERT_EQ(Wait(Start(args, out, err)), 0) << ReadWholeFile(err);
    whole = std::min<long>(
        whole,
        std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - started).count());
  }
  CheckDatabase(args[1], ReadWholeFile(out), sources, 0);

  const int asked = KillsAsked();
  const unsigned seed = static_cast<unsigned>(std::random_device{}());
  std::mt19937 random(seed);
  // Kills land at a random moment inside the window. The machine's speed
  // changes while the tests run (other tests start and end), so the window
  // narrows whenever an import ended before its kill and widens again, up to
  // the measured time, when kills land.
  long window = whole;
  int kills = 0;
  int round = 0;
  unsigned long checkedId = 0;
  for (int attempt = 0; kills < asked && attempt < asked * 3; ++attempt) {
    // A fresh database now and then keeps the checks quick.
    if (attempt % 20 == 0) {
      args[1] = (scratch.Path() / ("db" + std::to_string(++round))).string();
      checkedId = 0;
    }
    const pid_t pid = Start(args, out, err);
    ASSERT_GT(pid, 0);
    std::uniform_int_distribution<long> delay(0, window);
    std::this_thread::sleep_for(std::chrono::microseconds(delay(random)));
    ::kill(pid, SIGKILL);
    const int status = Wait(pid);
    if (WIFSIGNALED(status)) {
      ++kills;
      window = std::min(whole, window + window / 16 + 1);
    } else {
      ASSERT_EQ(WEXITSTATUS(status), 0) << ReadWholeFile(err);
      window = window * 3 / 4;
    }
    checkedId = CheckDatabase(args[1], ReadWholeFile(out), sources, checkedId);
    if (HasFailure()) FAIL() << "after kill " << kills << " (seed " << seed << ")";
  }
  EXPECT_GE(kills, asked) << "imports ended before the kill too often (seed " << seed << ")";
  RecordProperty("kills", kills);
}

TEST(ImportCrash, TwoImportsAtOnceBothStoreEverything) {
  SKIP_WITHOUT_CORPUS();
  CTempDir scratch("dbcmd_together");
  const CSources sources = MakeSources(scratch.Path());
  const std::string dir = (scratch.Path() / "db").string();
  std::vector<std::string> args{"--db", dir, "import", "--allow-duplicates"};
  for (int copy = 0; copy < 3; ++copy) {
    args.insert(args.end(), sources.m_files.begin(), sources.m_files.end());
  }
  const fs::path out[2] = {scratch.Path() / "out1.txt", scratch.Path() / "out2.txt"};
  const fs::path err[2] = {scratch.Path() / "err1.txt", scratch.Path() / "err2.txt"};
  const pid_t first = Start(args, out[0], err[0]);
  const pid_t second = Start(args, out[1], err[1]);
  EXPECT_EQ(Wait(first), 0) << ReadWholeFile(err[0]);
  EXPECT_EQ(Wait(second), 0) << ReadWholeFile(err[1]);
  const std::string reported = ReadWholeFile(out[0]) + ReadWholeFile(out[1]);
  const auto stored = StoredByImport(reported);
  EXPECT_EQ(stored.size(), 2 * (args.size() - 4));
  std::set<std::string> names;
  for (const auto& [file, name] : stored) names.insert(name);
  EXPECT_EQ(names.size(), stored.size()) << "two results under one name";
  CheckDatabase(dir, reported, sources, 0);
  engine().OpenDatabase(dir, 1);
  EXPECT_EQ(blastSearch().getobjlist(1).GetCount(), stored.size());
  engine().CloseDatabase(1);
}

}  // namespace

}  // namespace blastsearch
