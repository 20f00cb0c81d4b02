#pragma once

// A file-system layer under SQLite for the tests: a VFS wrapping the default
// one that keeps, for the database file and its journals, what was synced
// apart from what was only written, and at a chosen write, sync or
// truncation either cuts the power (the machine stops; what was not synced
// is dropped, kept or torn piece by piece) or fails with an I/O error or a
// full disk.

#include <cstdint>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <vector>

struct sqlite3_vfs;

namespace blastsearch {

// What happens at the chosen operation.
enum class EStorageFault {
  kNone,      // nothing: the run only counts the operations
  kPowerCut,  // the machine stops before the operation; nothing after it is done
  kIoError,   // that one operation fails with an I/O error; later ones work
  kDiskFull,  // that write and every later write fail: the disk is full
};

// One layer per process at a time: registered as SQLite's default VFS for
// its lifetime (every connection opened meanwhile goes through it), the
// previous default restored at destruction. Used from one thread.
class CCrashVfs {
 public:
  CCrashVfs();
  ~CCrashVfs();
  CCrashVfs(const CCrashVfs&) = delete;
  CCrashVfs& operator=(const CCrashVfs&) = delete;

  // Starts a run: files opened from now on are taken to be on disk as they
  // are (synced). `faultAt` counts the writes, syncs and truncations of
  // database and journal files from 1; `fault` happens at that one (never
  // when 0 or kNone). `seed` chooses what a power cut keeps of unsynced data.
  void Start(int faultAt, EStorageFault fault, std::uint32_t seed);
  // Ends the run once every connection is closed. After a power cut (also
  // one at the end, when `cutAtEnd`), leaves on disk what the cut left:
  // every synced byte, and of each unsynced write nothing, all, or some of
  // its 512-byte pieces (a few of them garbage).
  void Finish(bool cutAtEnd = false);

  // The files as synced at the start of a run and after each sync since,
  // by path (absent: the file was deleted), while KeepSnapshots(true).
  using CSnapshot = std::map<std::string, std::optional<std::string>>;
  void KeepSnapshots(bool keep) { m_bSnapshots = keep; }
  const std::vector<CSnapshot>& Snapshots() const { return m_snapshots; }

  // Writes, syncs and truncations of database and journal files counted
  // since Start.
  int Operations() const { return m_nOperations; }
  // True once the fault has happened in this run.
  bool Faulted() const { return m_bFaulted; }

  // ---- for the layer's own file methods ----
  struct COperation {
    bool m_bTruncate = false;
    std::int64_t m_offset = 0;  // or the size truncated to
    std::string m_bytes;
  };
  struct CFileState {
    std::string m_strDurable;           // the file as synced
    std::vector<COperation> m_pending;  // changes since
    bool m_bExists = true;
  };
  // The state of a tracked file, taken from disk on first sight in a run.
  CFileState& Track(const std::string& path);
  // Takes a snapshot when they are kept.
  void NoteSync();
  // Counts an operation; the fault to answer it with (kNone: do it).
  EStorageFault Count(bool isWrite);
  // True once the power is off: every operation fails.
  bool Dead() const { return m_bFaulted && m_fault == EStorageFault::kPowerCut; }
  // True between Start and Finish: database files are tracked.
  bool Running() const { return m_bRunning; }
  bool DiskFull() const { return m_bFaulted && m_fault == EStorageFault::kDiskFull; }
  sqlite3_vfs* Inner() const { return m_pInner; }

 private:
  std::string CutImage(const CFileState& state);

  sqlite3_vfs* m_pInner = nullptr;
  sqlite3_vfs* m_pVfs = nullptr;
  std::map<std::string, CFileState> m_files;
  int m_nFaultAt = 0;
  EStorageFault m_fault = EStorageFault::kNone;
  int m_nOperations = 0;
  bool m_bFaulted = false;
  bool m_bRunning = false;
  bool m_bSnapshots = false;
  std::vector<CSnapshot> m_snapshots;
  std::mt19937 m_random;
};

}  // namespace blastsearch
