#include "support/CrashVfs.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cstddef>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace blastsearch {

namespace {

constexpr const char* kVfsName = "blastsearch-crash";
constexpr std::size_t kPiece = 512;

// A file opened through the layer: our header, then the inner VFS's file.
struct CLayerFile {
  sqlite3_file m_base;
  CCrashVfs* m_pLayer;
  CCrashVfs::CFileState* m_pState;  // null: not tracked (temporary files)
  alignas(8) unsigned char m_inner[1];
};

sqlite3_file* Inner(sqlite3_file* file) {
  return reinterpret_cast<sqlite3_file*>(reinterpret_cast<CLayerFile*>(file)->m_inner);
}
CLayerFile* Layer(sqlite3_file* file) { return reinterpret_cast<CLayerFile*>(file); }
CCrashVfs* LayerOf(sqlite3_vfs* vfs) { return static_cast<CCrashVfs*>(vfs->pAppData); }

std::string ReadWhole(const std::string& path, bool& exists) {
  std::ifstream in(path, std::ios::binary);
  exists = static_cast<bool>(in);
  std::stringstream bytes;
  if (exists) bytes << in.rdbuf();
  return bytes.str();
}

void Apply(std::string& image, const CCrashVfs::COperation& op) {
  if (op.m_bTruncate) {
    image.resize(static_cast<std::size_t>(op.m_offset));
    return;
  }
  const auto end = static_cast<std::size_t>(op.m_offset) + op.m_bytes.size();
  if (image.size() < end) image.resize(end);
  image.replace(static_cast<std::size_t>(op.m_offset), op.m_bytes.size(), op.m_bytes);
}

// ---- file methods ----

int Close(sqlite3_file* file) {
  sqlite3_file* inner = Inner(file);
  return inner->pMethods != nullptr ? inner->pMethods->xClose(inner) : SQLITE_OK;
}

int Read(sqlite3_file* file, void* buffer, int amount, sqlite3_int64 offset) {
  if (Layer(file)->m_pLayer->Dead()) return SQLITE_IOERR_READ;
  sqlite3_file* inner = Inner(file);
  return inner->pMethods->xRead(inner, buffer, amount, offset);
}

// The fault answering an operation of a tracked file, or SQLITE_OK to do it.
int Fault(CLayerFile* file, bool isWrite, int ioError) {
  CCrashVfs& layer = *file->m_pLayer;
  if (layer.Dead()) return ioError;
  if (file->m_pState == nullptr) return SQLITE_OK;
  switch (layer.Count(isWrite)) {
    case EStorageFault::kPowerCut:
    case EStorageFault::kIoError:
      return ioError;
    case EStorageFault::kDiskFull:
      return SQLITE_FULL;
    case EStorageFault::kNone:
      break;
  }
  return layer.DiskFull() && isWrite ? SQLITE_FULL : SQLITE_OK;
}

int Write(sqlite3_file* file, const void* buffer, int amount, sqlite3_int64 offset) {
  CLayerFile* layer = Layer(file);
  if (int rc = Fault(layer, true, SQLITE_IOERR_WRITE); rc != SQLITE_OK) return rc;
  sqlite3_file* inner = Inner(file);
  int rc = inner->pMethods->xWrite(inner, buffer, amount, offset);
  if (rc == SQLITE_OK && layer->m_pState != nullptr) {
    layer->m_pState->m_pending.push_back(
        {false, offset, std::string(static_cast<const char*>(buffer), amount)});
  }
  return rc;
}

int Truncate(sqlite3_file* file, sqlite3_int64 size) {
  CLayerFile* layer = Layer(file);
  if (int rc = Fault(layer, false, SQLITE_IOERR_TRUNCATE); rc != SQLITE_OK) return rc;
  sqlite3_file* inner = Inner(file);
  int rc = inner->pMethods->xTruncate(inner, size);
  if (rc == SQLITE_OK && layer->m_pState != nullptr) {
    layer->m_pState->m_pending.push_back({true, size, {}});
  }
  return rc;
}

// What was written is now durable. The disk itself is not asked to sync:
// the layer keeps what a power cut would leave.
int Sync(sqlite3_file* file, int) {
  CLayerFile* layer = Layer(file);
  if (int rc = Fault(layer, false, SQLITE_IOERR_FSYNC); rc != SQLITE_OK) return rc;
  if (CCrashVfs::CFileState* state = layer->m_pState) {
    for (const CCrashVfs::COperation& op : state->m_pending) Apply(state->m_strDurable, op);
    state->m_pending.clear();
    layer->m_pLayer->NoteSync();
  }
  return SQLITE_OK;
}

int FileSize(sqlite3_file* file, sqlite3_int64* size) {
  if (Layer(file)->m_pLayer->Dead()) return SQLITE_IOERR_FSTAT;
  sqlite3_file* inner = Inner(file);
  return inner->pMethods->xFileSize(inner, size);
}

int Lock(sqlite3_file* file, int level) {
  sqlite3_file* inner = Inner(file);
  return inner->pMethods->xLock(inner, level);
}
int Unlock(sqlite3_file* file, int level) {
  sqlite3_file* inner = Inner(file);
  return inner->pMethods->xUnlock(inner, level);
}
int CheckReservedLock(sqlite3_file* file, int* out) {
  sqlite3_file* inner = Inner(file);
  return inner->pMethods->xCheckReservedLock(inner, out);
}
int FileControl(sqlite3_file* file, int op, void* arg) {
  sqlite3_file* inner = Inner(file);
  return inner->pMethods->xFileControl(inner, op, arg);
}
int SectorSize(sqlite3_file* file) {
  sqlite3_file* inner = Inner(file);
  return inner->pMethods->xSectorSize(inner);
}
int DeviceCharacteristics(sqlite3_file* file) {
  sqlite3_file* inner = Inner(file);
  return inner->pMethods->xDeviceCharacteristics(inner);
}
int ShmMap(sqlite3_file* file, int page, int size, int extend, void volatile** out) {
  sqlite3_file* inner = Inner(file);
  return inner->pMethods->xShmMap(inner, page, size, extend, out);
}
int ShmLock(sqlite3_file* file, int offset, int n, int flags) {
  sqlite3_file* inner = Inner(file);
  return inner->pMethods->xShmLock(inner, offset, n, flags);
}
void ShmBarrier(sqlite3_file* file) {
  sqlite3_file* inner = Inner(file);
  inner->pMethods->xShmBarrier(inner);
}
int ShmUnmap(sqlite3_file* file, int deleteFlag) {
  sqlite3_file* inner = Inner(file);
  return inner->pMethods->xShmUnmap(inner, deleteFlag);
}

const sqlite3_io_methods kMethods = {
    .iVersion = 2,
    .xClose = Close,
    .xRead = Read,
    .xWrite = Write,
    .xTruncate = Truncate,
    .xSync = Sync,
    .xFileSize = FileSize,
    .xLock = Lock,
    .xUnlock = Unlock,
    .xCheckReservedLock = CheckReservedLock,
    .xFileControl = FileControl,
    .xSectorSize = SectorSize,
    .xDeviceCharacteristics = DeviceCharacteristics,
    .xShmMap = ShmMap,
    .xShmLock = ShmLock,
    .xShmBarrier = ShmBarrier,
    .xShmUnmap = ShmUnmap,
    .xFetch = nullptr,
    .xUnfetch = nullptr,
};

// ---- VFS methods ----

int Open(sqlite3_vfs* vfs, const char* name, sqlite3_file* file, int flags, int* outFlags) {
  CCrashVfs* layer = LayerOf(vfs);
  CLayerFile* wrapped = Layer(file);
  wrapped->m_base.pMethods = nullptr;
  if (layer->Dead()) return SQLITE_CANTOPEN;
  wrapped->m_pLayer = layer;
  wrapped->m_pState = nullptr;
  const int kinds = SQLITE_OPEN_MAIN_DB | SQLITE_OPEN_WAL | SQLITE_OPEN_MAIN_JOURNAL;
  if ((flags & kinds) != 0 && name != nullptr && layer->Running()) {
    wrapped->m_pState = &layer->Track(name);
  }
  sqlite3_file* inner = Inner(file);
  int rc = layer->Inner()->xOpen(layer->Inner(), name, inner, flags, outFlags);
  if (rc != SQLITE_OK) return rc;
  if (wrapped->m_pState != nullptr) wrapped->m_pState->m_bExists = true;
  wrapped->m_base.pMethods = &kMethods;
  return SQLITE_OK;
}

int Delete(sqlite3_vfs* vfs, const char* name, int syncDir) {
  CCrashVfs* layer = LayerOf(vfs);
  if (layer->Dead()) return SQLITE_IOERR_DELETE;
  int rc = layer->Inner()->xDelete(layer->Inner(), name, syncDir);
  if (rc == SQLITE_OK && layer->Running()) {
    CCrashVfs::CFileState& state = layer->Track(name);
    state.m_bExists = false;
    state.m_strDurable.clear();
    state.m_pending.clear();
  }
  return rc;
}

int Access(sqlite3_vfs* vfs, const char* name, int flags, int* out) {
  sqlite3_vfs* inner = LayerOf(vfs)->Inner();
  return inner->xAccess(inner, name, flags, out);
}
int FullPathname(sqlite3_vfs* vfs, const char* name, int size, char* out) {
  sqlite3_vfs* inner = LayerOf(vfs)->Inner();
  return inner->xFullPathname(inner, name, size, out);
}
void* DlOpen(sqlite3_vfs* vfs, const char* name) {
  sqlite3_vfs* inner = LayerOf(vfs)->Inner();
  return inner->xDlOpen(inner, name);
}
void DlError(sqlite3_vfs* vfs, int size, char* out) {
  sqlite3_vfs* inner = LayerOf(vfs)->Inner();
  inner->xDlError(inner, size, out);
}
void (*DlSym(sqlite3_vfs* vfs, void* handle, const char* symbol))(void) {
  sqlite3_vfs* inner = LayerOf(vfs)->Inner();
  return inner->xDlSym(inner, handle, symbol);
}
void DlClose(sqlite3_vfs* vfs, void* handle) {
  sqlite3_vfs* inner = LayerOf(vfs)->Inner();
  inner->xDlClose(inner, handle);
}
int Randomness(sqlite3_vfs* vfs, int size, char* out) {
  sqlite3_vfs* inner = LayerOf(vfs)->Inner();
  return inner->xRandomness(inner, size, out);
}
int Sleep(sqlite3_vfs* vfs, int micro) {
  sqlite3_vfs* inner = LayerOf(vfs)->Inner();
  return inner->xSleep(inner, micro);
}
int CurrentTime(sqlite3_vfs* vfs, double* out) {
  sqlite3_vfs* inner = LayerOf(vfs)->Inner();
  return inner->xCurrentTime(inner, out);
}
int GetLastError(sqlite3_vfs* vfs, int size, char* out) {
  sqlite3_vfs* inner = LayerOf(vfs)->Inner();
  return inner->xGetLastError(inner, size, out);
}
int CurrentTimeInt64(sqlite3_vfs* vfs, sqlite3_int64* out) {
  sqlite3_vfs* inner = LayerOf(vfs)->Inner();
  return inner->xCurrentTimeInt64(inner, out);
}

}  // namespace

CCrashVfs::CCrashVfs() {
  if (sqlite3_vfs_find(kVfsName) != nullptr) throw std::logic_error("one crash layer at a time");
  m_pInner = sqlite3_vfs_find(nullptr);
  m_pVfs = new sqlite3_vfs{};
  m_pVfs->iVersion = 2;
  m_pVfs->szOsFile = static_cast<int>(offsetof(CLayerFile, m_inner)) + m_pInner->szOsFile;
  m_pVfs->mxPathname = m_pInner->mxPathname;
  m_pVfs->zName = kVfsName;
  m_pVfs->pAppData = this;
  m_pVfs->xOpen = Open;
  m_pVfs->xDelete = Delete;
  m_pVfs->xAccess = Access;
  m_pVfs->xFullPathname = FullPathname;
  m_pVfs->xDlOpen = DlOpen;
  m_pVfs->xDlError = DlError;
  m_pVfs->xDlSym = DlSym;
  m_pVfs->xDlClose = DlClose;
  m_pVfs->xRandomness = Randomness;
  m_pVfs->xSleep = Sleep;
  m_pVfs->xCurrentTime = CurrentTime;
  m_pVfs->xGetLastError = GetLastError;
  m_pVfs->xCurrentTimeInt64 = CurrentTimeInt64;
  sqlite3_vfs_register(m_pVfs, 1);
}

CCrashVfs::~CCrashVfs() {
  sqlite3_vfs_unregister(m_pVfs);
  sqlite3_vfs_register(m_pInner, 1);
  delete m_pVfs;
}

void CCrashVfs::Start(int faultAt, EStorageFault fault, std::uint32_t seed) {
  m_files.clear();
  m_snapshots.clear();
  m_bRunning = true;
  m_nFaultAt = faultAt;
  m_fault = faultAt > 0 ? fault : EStorageFault::kNone;
  m_nOperations = 0;
  m_bFaulted = false;
  m_random.seed(seed);
}

void CCrashVfs::NoteSync() {
  if (!m_bSnapshots) return;
  CSnapshot snapshot;
  for (const auto& [path, state] : m_files) {
    if (state.m_bExists) {
      snapshot[path] = state.m_strDurable;
    } else {
      snapshot[path] = std::nullopt;
    }
  }
  m_snapshots.push_back(std::move(snapshot));
}

CCrashVfs::CFileState& CCrashVfs::Track(const std::string& path) {
  auto it = m_files.find(path);
  if (it != m_files.end()) return it->second;
  CFileState state;
  state.m_strDurable = ReadWhole(path, state.m_bExists);
  return m_files.emplace(path, std::move(state)).first->second;
}

EStorageFault CCrashVfs::Count(bool) {
  ++m_nOperations;
  if (m_bFaulted || m_fault == EStorageFault::kNone || m_nOperations != m_nFaultAt) {
    return EStorageFault::kNone;
  }
  m_bFaulted = true;
  return m_fault;
}

std::string CCrashVfs::CutImage(const CFileState& state) {
  std::string image = state.m_strDurable;
  std::uniform_int_distribution<int> choice(0, 99);
  for (const COperation& op : state.m_pending) {
    const int fate = choice(m_random);
    if (fate < 30) continue;  // never reached the disk
    if (op.m_bTruncate || fate < 60) {
      Apply(image, op);
      continue;
    }
    // Torn: each piece old or new, a few of them garbage.
    COperation piece;
    for (std::size_t at = 0; at < op.m_bytes.size(); at += kPiece) {
      const int pieceFate = choice(m_random);
      if (pieceFate < 40) continue;
      piece.m_offset = op.m_offset + static_cast<std::int64_t>(at);
      piece.m_bytes = op.m_bytes.substr(at, kPiece);
      if (pieceFate >= 95) {
        for (char& c : piece.m_bytes) c = static_cast<char>(m_random());
      }
      Apply(image, piece);
    }
  }
  return image;
}

void CCrashVfs::Finish(bool cutAtEnd) {
  const bool cut = (m_bFaulted && m_fault == EStorageFault::kPowerCut) || cutAtEnd;
  if (cut) {
    for (const auto& [path, state] : m_files) {
      if (!state.m_bExists) {
        ::unlink(path.c_str());
        continue;
      }
      const std::string image = CutImage(state);
      std::ofstream out(path, std::ios::binary | std::ios::trunc);
      out.write(image.data(), static_cast<std::streamsize>(image.size()));
      if (!out.flush()) throw std::runtime_error(path + ": cannot write the image of a power cut");
    }
  }
  m_files.clear();
  m_bRunning = false;
  m_nFaultAt = 0;
  m_fault = EStorageFault::kNone;
  m_bFaulted = false;
}

}  // namespace blastsearch
