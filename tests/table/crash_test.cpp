#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <random>
#include <sstream>
#include <thread>

#include "host/db/DBEngine.h"
#include "host/db/SqliteStorage.h"
#include "platform/UserInteraction.h"
#include "support/EntryDump.h"
#include "support/TempDatabase.h"
#include "table/BlastSearchTable.h"

namespace blastsearch {

namespace {

// The result stored as the i-th object: its size varies with i.
std::unique_ptr<CBlastSearchObject> MakeObject(int i) {
  auto object = std::make_unique<CBlastSearchObject>();
  object->m_name = "object " + std::to_string(i);
  object->m_creationTime = 1000 + i;
  CBlastSearchEntry& entry = object->Entry();
  entry.m_Mol.m_strName = "query " + std::to_string(i);
  for (int h = 0; h < 1 + i % 40; ++h) {
    auto hit = std::make_unique<CBlastSearchHit>();
    hit->m_strID = std::to_string(i) + "." + std::to_string(h);
    hit->m_strDescription = std::string(200, static_cast<char>('a' + h % 26));
    auto element = std::make_unique<CBlastSearchHitElement>();
    element->m_Query.m_strSeq = std::string(300, 'A');
    element->m_Subject.m_strSeq = std::string(300, 'C');
    hit->m_ElementList.push_back(std::move(element));
    entry.m_Hits.m_HitList.push_back(std::move(hit));
  }
  return object;
}

// Child: stores objects from `first` on into the database in `dir`, writing
// the index of each one to `report` once it is stored; never returns.
[[noreturn]] void StoreUntilKilled(const std::string& dir, int first, int report) {
  CScriptedUserInteraction quiet;
  try {
    engine().OpenDatabase(dir, 5);
    for (int i = first;; ++i) {
      auto object = MakeObject(i);
      std::string out;
      if (blastSearch().AddNewObject(object.get(), i % 3 == 0 ? "thirds" : "MAIN", out, 5) != 1) {
        _exit(2);
      }
      const std::string line = std::to_string(i) + "\n";
      if (write(report, line.data(), line.size()) != static_cast<ssize_t>(line.size())) _exit(3);
    }
  } catch (...) {
    _exit(4);
  }
}

TEST(CrashTest, AKilledWriterLeavesNothingHalfStored) {
  CTempDatabase db(1, "crash");
  std::mt19937 random(7);
  std::vector<int> reported;
  int next = 0;
  for (int kill = 0; kill < 25; ++kill) {
    int pipes[2];
    ASSERT_EQ(pipe(pipes), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      close(pipes[0]);
      StoreUntilKilled(db.Dir().string(), next, pipes[1]);
    }
    close(pipes[1]);
    std::this_thread::sleep_for(std::chrono::microseconds(random() % 40000));
    ::kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the writer ended by itself: " << WEXITSTATUS(status);
    std::string text;
    char buffer[4096];
    for (ssize_t n; (n = read(pipes[0], buffer, sizeof buffer)) > 0;) text.append(buffer, n);
    close(pipes[0]);
    std::istringstream lines(text);
    for (int i; lines >> i;) reported.push_back(i);
    next += 1000;  // each writer its own names

    db.Reopen();
    CDBStorage* storage = engine().Storage(1);
    ASSERT_EQ(storage->IntegrityCheck(), "ok") << "after kill " << kill;
    for (int i : reported) {
      std::unique_ptr<CDBObjectBase> stored(
          blastSearch().GetObjectData(("object " + std::to_string(i)).c_str(), 1));
      auto* object = dynamic_cast<CBlastSearchObject*>(stored.get());
      ASSERT_NE(object, nullptr) << "object " << i << " was reported stored";
      EXPECT_EQ(DumpEntry(object->Entry()), DumpEntry(MakeObject(i)->Entry()));
    }
    // Everything listed reads back: no list entry without its record.
    for (const auto& info : blastSearch().getobjlist(1)) {
      std::unique_ptr<CDBObjectBase> stored(blastSearch().GetObjectData(info->m_objId, "", 1));
      EXPECT_NE(stored, nullptr) << info->m_name;
    }
  }
  EXPECT_GT(reported.size(), 0u);
  std::printf("%zu objects reported stored over the kills\n", reported.size());
}

}  // namespace

}  // namespace blastsearch
