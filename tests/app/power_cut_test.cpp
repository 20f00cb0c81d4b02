// Every kind of change to the database cut by a power failure at each of its
// writes and syncs in turn, and failed there by an I/O error or a full disk:
// afterwards the database opens, passes check, holds every change reported
// done, and each change is there whole or not at all. A failed change is
// told and exits 1.
//
// BLASTSEARCH_POWER_CUTS=N makes at least N cuts: every cut again and again,
// each time with other choices of what it keeps of unsynced writes
// (tools/powercut.sh).

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "app/CommandRun.h"
#include "host/db/SqliteStorage.h"
#include "support/CrashVfs.h"
#include "support/DatabaseDump.h"

namespace blastsearch {

namespace {

namespace fs = std::filesystem;

const fs::path kReports = fs::path(BLASTSEARCH_SOURCE_DIR) / "tests" / "data" / "blastplus";

void CopyFolder(const fs::path& from, const fs::path& to) {
  fs::remove_all(to);
  fs::copy(from, to, fs::copy_options::recursive);
}

// A scratch folder in memory when the system has one (the cuts are made by
// the layer, not by the disk; a disk's file creations and removals would
// take most of the time), else in the temporary folder.
class CScratch {
 public:
  CScratch() {
    std::error_code error;
    const fs::path memory = "/dev/shm";
    const fs::path root = fs::is_directory(memory, error) && ::access("/dev/shm", W_OK) == 0
                              ? memory
                              : fs::temp_directory_path();
    m_path = root / ("blastsearch_powercut_" + std::to_string(::getpid()));
    fs::remove_all(m_path, error);
    fs::create_directories(m_path);
  }
  ~CScratch() {
    std::error_code error;
    fs::remove_all(m_path, error);
  }
  const fs::path& Path() const { return m_path; }

 private:
  fs::path m_path;
};

// One kind of change, as a command on a database that holds the results of
// two reports, a field, a keyword, a subbase and a comment.
struct CChange {
  const char* m_pWhat;
  std::vector<std::string> m_args;
  // Syncs once, at its end (import --sync-at-end): what it reported stored
  // before a failed end may be lost; the states it passes through are those
  // of the same change syncing each commit.
  bool m_bSyncsAtEnd = false;
};

std::vector<CChange> Changes(const fs::path& archive) {
  return {
      {"import", {"import", (kReports / "blastx.txt").string()}},
      {"import --sync-at-end",
       {"import", "--sync-at-end", (kReports / "tblastn.txt").string()},
       true},
      {"archive import", {"archive", "import", archive.string()}},
      {"rename", {"rename", "1", "renamed"}},
      {"delete", {"rm", "2"}},
      {"duplicate", {"duplicate", "1"}},
      {"subbase new", {"subbase", "new", "T", "1", "3"}},
      {"subbase rename", {"subbase", "rename", "S", "U"}},
      {"subbase delete-contents", {"subbase", "delete-contents", "S"}},
      {"keyword add", {"keyword", "add", "1", "second"}},
      {"keyword rm", {"keyword", "rm", "1", "first"}},
      {"comment", {"comment", "set", "3", "a comment"}},
      {"field define", {"field", "define", "count", "number"}},
      {"field set", {"field", "set", "2", "tag", "value"}},
      {"author", {"author", "set", "1", "--name", "Someone"}},
  };
}

class PowerCut : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string base = Base().string();
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"import", (kReports / "blastn.txt").string(), (kReports / "blastp.txt").string()},
             {"field", "define", "tag", "text"},
             {"keyword", "add", "1", "first"},
             {"subbase", "new", "S", "1", "2"},
             {"comment", "set", "1", "kept"},
             {"archive", "export", Archive().string()}}) {
      CCommandRun run = RunOnDatabase(base, args);
      ASSERT_EQ(run.m_nStatus, 0) << args[0] << ": " << run.m_strErr;
    }
    m_strBefore = DatabaseDump(Base());
  }

  fs::path Base() const { return m_scratch.Path() / "base"; }
  fs::path Work() const { return m_scratch.Path() / "work"; }
  fs::path Archive() const { return m_scratch.Path() / "all.ba6"; }

  // The change run on a copy of the base with `fault` at operation `at`
  // (and, with `cutAtEnd`, a power cut after it ended).
  CCommandRun Run(const CChange& change, int at, EStorageFault fault, std::uint32_t seed,
                  bool cutAtEnd = false) {
    CopyFolder(Base(), Work());
    m_vfs.Start(at, fault, seed);
    CCommandRun run = RunOnDatabase(Work().string(), change.m_args);
    m_vfs.Finish(cutAtEnd);
    return run;
  }

  // Runs `change` unharmed on a copy of the base: the database's state after
  // it, and the states it passed through on disk (after each sync, before
  // and after included), into m_states; the operations it took.
  struct CReference {
    int m_nOperations = 0;
    std::string m_strAfter;
    std::set<std::string> m_states;
  };
  CReference RunUnharmed(const CChange& change) {
    CReference reference;
    if (change.m_bSyncsAtEnd) {
      CCommandRun unharmed = Run(change, 0, EStorageFault::kNone, 0);
      EXPECT_EQ(unharmed.m_nStatus, 0) << unharmed.m_strErr;
      reference.m_nOperations = m_vfs.Operations();
    }
    CChange syncing = change;
    std::erase(syncing.m_args, std::string("--sync-at-end"));
    m_vfs.KeepSnapshots(true);
    CCommandRun unharmed = Run(syncing, 0, EStorageFault::kNone, 0);
    m_vfs.KeepSnapshots(false);
    EXPECT_EQ(unharmed.m_nStatus, 0) << unharmed.m_strErr;
    if (!change.m_bSyncsAtEnd) reference.m_nOperations = m_vfs.Operations();
    reference.m_strAfter = DatabaseDump(Work());
    EXPECT_NE(reference.m_strAfter, m_strBefore);
    reference.m_states = {m_strBefore, reference.m_strAfter};
    const fs::path snap = m_scratch.Path() / "snap";
    const std::string work = Work().string();
    for (const CCrashVfs::CSnapshot& snapshot : m_vfs.Snapshots()) {
      CopyFolder(Base(), snap);
      for (const auto& [path, bytes] : snapshot) {
        if (path.compare(0, work.size(), work) != 0) continue;
        const fs::path target = snap.string() + path.substr(work.size());
        if (!bytes.has_value()) {
          fs::remove(target);
          continue;
        }
        std::ofstream(target, std::ios::binary | std::ios::trunc) << *bytes;
      }
      reference.m_states.insert(DatabaseDump(snap));
    }
    return reference;
  }

  // The database after `run` opens and passes check, and holds a state the
  // change passes through on disk (one of the results of an import stored,
  // all of them); the state after it when the run said done, and each
  // result an import said stored.
  void ExpectWholeOrNothing(const CChange& change, const CCommandRun& run,
                            const CReference& reference) {
    CCommandRun check = RunOnDatabase(Work().string(), {"check"});
    EXPECT_EQ(check.m_nStatus, 0) << check.m_strErr;
    const std::string state = DatabaseDump(Work());
    if (run.m_nStatus == 0) {
      EXPECT_EQ(state, reference.m_strAfter) << "a change reported done is missing or partial";
    } else {
      EXPECT_EQ(run.m_nStatus, 1);
      EXPECT_NE(run.m_strErr, "");
      EXPECT_TRUE(reference.m_states.count(state) != 0)
          << "a change was made in part: " << run.m_strOut << run.m_strErr;
    }
    if (change.m_bSyncsAtEnd && run.m_nStatus != 0) return;
    for (const auto& [file, name] : StoredByImport(run.m_strOut)) {
      EXPECT_NE(state.find("'" + name + "'"), std::string::npos) << name << " reported stored";
    }
  }

  CScratch m_scratch;
  CCrashVfs m_vfs;
  std::string m_strBefore;
};

// The cuts to make: BLASTSEARCH_POWER_CUTS, or one round (each change cut
// at each of its operations once).
long CutsWanted() {
  const char* cuts = std::getenv("BLASTSEARCH_POWER_CUTS");
  return cuts != nullptr ? std::atol(cuts) : 0;
}

TEST_F(PowerCut, EveryChangeCutAtEveryWriteIsWholeOrAbsent) {
  const std::vector<CChange> changes = Changes(Archive());
  std::vector<CReference> references;
  for (const CChange& change : changes) {
    SCOPED_TRACE(change.m_pWhat);
    references.push_back(RunUnharmed(change));
    ASSERT_FALSE(HasFailure());
  }
  const long wanted = CutsWanted();
  long cuts = 0;
  for (int round = 0; round == 0 || cuts < wanted; ++round) {
    for (std::size_t i = 0; i < changes.size(); ++i) {
      SCOPED_TRACE(changes[i].m_pWhat);
      const int operations = references[i].m_nOperations;
      for (int at = 1; at <= operations + 1; ++at) {
        SCOPED_TRACE("cut at " + std::to_string(at) + " of " + std::to_string(operations) +
                     ", round " + std::to_string(round));
        const auto seed = static_cast<std::uint32_t>(round * 7919 + at);
        CCommandRun run = Run(changes[i], at, EStorageFault::kPowerCut, seed, at > operations);
        ExpectWholeOrNothing(changes[i], run, references[i]);
        ++cuts;
        if (HasFailure()) return;
      }
    }
  }
  std::cout << "power cuts: " << cuts << "\n";
}

TEST_F(PowerCut, IoErrorsAndAFullDiskAreToldAndChangeNothingInPart) {
  int faults = 0;
  for (const CChange& change : Changes(Archive())) {
    SCOPED_TRACE(change.m_pWhat);
    const CReference reference = RunUnharmed(change);
    ASSERT_FALSE(HasFailure());
    for (EStorageFault fault : {EStorageFault::kIoError, EStorageFault::kDiskFull}) {
      for (int at = 1; at <= reference.m_nOperations; ++at) {
        SCOPED_TRACE((fault == EStorageFault::kIoError ? "I/O error at " : "disk full at ") +
                     std::to_string(at) + " of " + std::to_string(reference.m_nOperations));
        CCommandRun run = Run(change, at, fault, 0);
        ExpectWholeOrNothing(change, run, reference);
        if (run.m_nStatus != 0) {
          EXPECT_TRUE(run.m_strErr.find("disk") != std::string::npos) << run.m_strErr;
        }
        ++faults;
        if (HasFailure()) return;
      }
    }
  }
  std::cout << "I/O faults: " << faults << "\n";
}

}  // namespace

}  // namespace blastsearch
