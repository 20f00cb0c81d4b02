// Import of report files: one stored result per query, read as a stream.

#include "table/ReportImport.h"

#include <fcntl.h>
#include <openssl/evp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>

#include "host/db/DBEngine.h"
#include "host/db/DBFunctions.h"
#include "host/db/DBStorage.h"
#include "model/ResultInfo.h"
#include "model/TransferFile.h"
#include "parse/ResultReaders.h"
#include "platform/File.h"
#include "platform/TickCount.h"
#include "table/BlastSearchTable.h"

namespace blastsearch {

namespace {

constexpr std::size_t kLookSize = kReportHeadSize;
// Room for the look of an input that does not say its length, to begin with.
constexpr std::size_t kFirstLookRoom = std::size_t{64} << 10;

// Raised by the source when a stop was asked for while it waited for input.
struct CStopRequested {};

// The bytes of a file or pipe, read once: the first look, kept, then the
// rest as the reader asks for it.
class CFileReportSource : public CReportSource {
 public:
  CFileReportSource(std::string name, const volatile int* stop)
      : m_strName(std::move(name)), m_pStop(stop) {}
  CFileReportSource(const CFileReportSource&) = delete;
  CFileReportSource& operator=(const CFileReportSource&) = delete;
  ~CFileReportSource() override {
    if (m_fd >= 0) ::close(m_fd);
  }

  // Opens the file; false with errno set when it cannot be opened or is a
  // folder.
  bool Open() {
    m_fd = ::open(m_strName.c_str(), O_RDONLY | O_CLOEXEC);
    if (m_fd < 0) return false;
    struct stat status {};
    if (::fstat(m_fd, &status) == 0) {
      if (S_ISDIR(status.st_mode)) {
        errno = EISDIR;
        return false;
      }
      if (S_ISREG(status.st_mode)) m_nLength = static_cast<std::uint64_t>(status.st_size);
    }
    return true;
  }

  // Reads the first look (up to kLookSize bytes); true when the file ended
  // inside it. A file on disk gets room for its length and the read that
  // finds its end; anything else room that grows as bytes come, so a small
  // report costs no more than its size.
  bool Look() {
    std::size_t room = m_nLength > 0 && m_nLength < kLookSize
                           ? static_cast<std::size_t>(m_nLength) + 1
                           : (m_nLength > 0 ? kLookSize : kFirstLookRoom);
    m_look.resize(room);
    std::size_t held = 0;
    bool ended = false;
    while (held < kLookSize) {
      if (held == room) {
        room = std::min(kLookSize, room * 2);
        m_look.resize(room);
      }
      const std::size_t got = ReadFile(m_look.data() + held, room - held);
      if (got == 0) {
        ended = true;
        break;
      }
      held += got;
    }
    m_look.resize(held);
    return ended;
  }

  std::string_view GetLook() const { return m_look; }
  std::uint64_t GetLength() const { return m_nLength; }
  std::uint64_t GetBytesRead() const { return m_nRead; }

  std::size_t Read(char* buffer, std::size_t size) override {
    if (m_nLookGiven < m_look.size()) {
      const std::size_t count = std::min(size, m_look.size() - m_nLookGiven);
      std::memcpy(buffer, m_look.data() + m_nLookGiven, count);
      m_nLookGiven += count;
      if (m_nLookGiven == m_look.size()) std::string().swap(m_look);  // not held twice
      return count;
    }
    return ReadFile(buffer, size);
  }
  const std::string& GetName() const override { return m_strName; }
  // The rest of the file as it was when opened: the look not given yet and
  // what follows it.
  std::uint64_t GetRemainingHint() const override {
    const std::uint64_t rest = m_nLength > m_nRead ? m_nLength - m_nRead : 0;
    return rest + (m_nLookGiven < m_look.size() ? m_look.size() - m_nLookGiven : 0);
  }

 private:
  std::size_t ReadFile(char* buffer, std::size_t size) {
    for (;;) {
      const ssize_t got = ::read(m_fd, buffer, size);
      if (got >= 0) {
        m_nRead += static_cast<std::uint64_t>(got);
        return static_cast<std::size_t>(got);
      }
      if (errno != EINTR) throw CFileException(m_strName, std::strerror(errno));
      if (m_pStop != nullptr && *m_pStop != 0) throw CStopRequested{};
    }
  }

  std::string m_strName;
  const volatile int* m_pStop;
  int m_fd = -1;
  std::uint64_t m_nLength = 0;
  std::uint64_t m_nRead = 0;
  std::string m_look;
  std::size_t m_nLookGiven = 0;
};

std::string ProvisionalName() {
  char name[32];
  std::snprintf(name, sizeof name, "Ticks-%08X", static_cast<unsigned>(GetTickCount()));
  return name;
}

}  // namespace

std::string NameOfImportedResult(const CBlastSearchEntry& entry, const std::string& path) {
  std::string name = CutObjectName(entry.m_Mol.m_strName, kMaxObjectName);
  const std::size_t start = name.find_first_not_of(' ');
  if (start != std::string::npos) return name.substr(start);
  name = CutObjectName(std::filesystem::path(path).filename().string(), kMaxObjectName);
  return name.empty() ? ProvisionalName() : name;
}

namespace {

// The name of a stored object whose result has `digest`; empty when none
// (found by the storage's index of keys; no list or record is loaded).
std::string FindStoredResult(const std::string& digest) {
  CDBStorage* storage = engine().Storage(1);
  if (storage == nullptr) return {};
  const int table = blastSearch().objtable();
  for (unsigned long id : storage->ObjectsWithKey(table, std::string(kResultDigestKey) + digest)) {
    CStoredObject row;
    if (storage->FindObjectById(table, id, &row)) return row.m_name;
  }
  return {};
}

// Stores the result in `object` (read from `path`) unless it is stored
// already; counts it in `outcome`. False when it could not be stored.
bool StoreResult(CBlastSearchTable& table, CBlastSearchObject& object, const std::string& path,
                 std::string_view reportDigest, const CReportImportOptions& options,
                 CReportImportOutcome& outcome) {
  CBlastSearchEntry& entry = object.Entry();
  const std::string digest = DigestOfResult(entry, reportDigest);
  if (!options.m_bAllowDuplicates) {
    if (std::string stored = FindStoredResult(digest); !stored.empty()) {
      if (outcome.m_nSkipped++ == 0) outcome.m_strDuplicateOf = std::move(stored);
      return true;
    }
  }
  SetResultInfo(entry, result_info::kDigest, digest);
  object.m_name = NameOfImportedResult(entry, path);
  object.m_creationTime = GetOrvCurrentTime();
  std::string subbaseOut;
  if (table.AddNewObject(&object, options.m_strSubbase, subbaseOut, 1) != 1) {
    outcome.m_strReason = "the result \"" + object.m_name + "\" could not be stored";
    return false;
  }
  if (outcome.m_names.size() < CReportImportOutcome::kNamesKept) {
    outcome.m_names.push_back(object.m_name);
  }
  ++outcome.m_nStored;
  return true;
}

}  // namespace

bool StoreImportedResult(CBlastSearchTable& table, CBlastSearchObject& object,
                         const std::string& path, std::string_view reportDigest,
                         const CReportImportOptions& options, CReportImportOutcome& outcome) {
  return StoreResult(table, object, path, reportDigest, options, outcome);
}

namespace {

// True for a result of the older layouts that holds nothing a report gives:
// no hit and no query length. Their recognition needs no more than a query
// line, which any text may hold ("Query=" in a script); a real report of
// theirs always gives the query's length, hits or not.
bool IsEmptyOlderReport(ReportLayout layout, const CBlastSearchEntry& entry) {
  return (layout == ReportLayout::QBlast || layout == ReportLayout::Classic) &&
         entry.m_Hits.m_HitList.empty() && entry.m_Mol.m_nLength <= 0;
}

// Reads and stores the results of the recognised report.
void ImportResults(CBlastSearchTable& table, CFileReportSource& source, ReportLayout layout,
                   const std::string& path, const CReportImportOptions& options,
                   CReportImportOutcome& outcome) {
  CResultReadOptions readOptions;
  readOptions.bEveryRound = options.m_bEveryRound;
  readOptions.strTabularColumns = options.m_strColumns;
  readOptions.strTabularProgram = options.m_strProgram;
  readOptions.pStop = options.m_pStop;
  const std::string reportDigest = DigestOfReportHead(source.GetLook());
  std::unique_ptr<CResultReader> reader = MakeResultReader(layout, source, readOptions);
  if (reader == nullptr) {
    outcome.m_strReason = outcome.m_strLayout + " reports are not read by blastsearch";
    return;
  }
  outcome.m_status = CReportImportOutcome::kStored;
  for (;;) {
    if (options.m_pStop != nullptr && *options.m_pStop != 0) {
      outcome.m_status = CReportImportOutcome::kStopped;
      return;
    }
    auto object = std::make_unique<CBlastSearchObject>();
    if (reader->ReadNext(object->Entry()) == 0) break;
    if (const std::string partial = GetResultInfo(object->Entry(), result_info::kPartial);
        !partial.empty()) {
      outcome.m_status = CReportImportOutcome::kFailed;
      outcome.m_strReason = "the report is cut off (" + partial + "); its last result \"" +
                            NameOfImportedResult(object->Entry(), path) + "\" is not stored";
      return;
    }
    if (IsEmptyOlderReport(layout, object->Entry())) {
      outcome.m_status = CReportImportOutcome::kRefused;
      outcome.m_strLayout.clear();
      outcome.m_strReason =
          "no BLAST report that blastsearch recognises (a query line without a report)";
      return;
    }
    if (!StoreResult(table, *object, path, reportDigest, options, outcome)) {
      outcome.m_status = CReportImportOutcome::kFailed;
      return;
    }
    if (options.m_progress) {
      options.m_progress(outcome.m_nStored, source.GetBytesRead(), source.GetLength());
    }
  }
  if (options.m_pStop != nullptr && *options.m_pStop != 0) {
    outcome.m_status = CReportImportOutcome::kStopped;
  } else if (outcome.m_nStored + outcome.m_nSkipped == 0) {
    outcome.m_status = CReportImportOutcome::kFailed;
    outcome.m_strReason = "the " + outcome.m_strLayout + " report holds no result";
  }
}

// Stores a transfer file through the table's transfer import.
void ImportTransfer(CBlastSearchTable& table, const std::string& path,
                    const CReportImportOptions& options, CReportImportOutcome& outcome) {
  outcome.m_strLayout = "transfer file";
  // Read here first, so that a result stored already is known before.
  auto object = std::make_unique<CBlastSearchObject>();
  {
    CFile file(path, CFile::modeRead);
    try {
      LoadTransferFile(file, object->Entry());
    } catch (const CException& e) {
      outcome.m_status = CReportImportOutcome::kFailed;
      outcome.m_strReason = std::string("damaged transfer file: ") + e.what();
      return;
    }
  }
  outcome.m_status = StoreResult(table, *object, path, {}, options, outcome)
                         ? CReportImportOutcome::kStored
                         : CReportImportOutcome::kFailed;
}

// `text` without a leading "`path`: " (file exceptions name their file).
std::string WithoutPath(std::string text, const std::string& path) {
  if (text.rfind(path + ": ", 0) == 0) text.erase(0, path.size() + 2);
  return text;
}

std::string Quoted(const std::string& name) { return "\"" + name + "\""; }

std::string Plural(std::size_t count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

}  // namespace

namespace {

// SHA-256, looked up in the crypto library once: a digest made by name
// looks the algorithm up again on every call (two per stored result). Freed
// when the library goes, since the host may unload it and load it again.
const EVP_MD* Sha256() {
  static const std::unique_ptr<EVP_MD, void (*)(EVP_MD*)> fetched(
      EVP_MD_fetch(nullptr, "SHA256", nullptr), EVP_MD_free);
  return fetched != nullptr ? fetched.get() : EVP_sha256();
}

}  // namespace

std::string DigestOfReportHead(std::string_view head) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  if (EVP_Digest(head.data(), head.size(), digest, &length, Sha256(), nullptr) != 1) {
    throw CMemoryException("the report's digest could not be made");
  }
  return std::string(reinterpret_cast<const char*>(digest), length);
}

std::string DigestOfResult(CBlastSearchEntry& entry, std::string_view reportDigest) {
  SetResultInfo(entry, result_info::kDigest, "");
  CMemFile bytes;
  StoreTransferFile(entry, bytes);
  const std::string& data = bytes.Data();
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  const std::unique_ptr<EVP_MD_CTX, void (*)(EVP_MD_CTX*)> context(EVP_MD_CTX_new(),
                                                                   EVP_MD_CTX_free);
  if (context == nullptr || EVP_DigestInit_ex(context.get(), Sha256(), nullptr) != 1 ||
      EVP_DigestUpdate(context.get(), reportDigest.data(), reportDigest.size()) != 1 ||
      EVP_DigestUpdate(context.get(), data.data(), data.size()) != 1 ||
      EVP_DigestFinal_ex(context.get(), digest, &length) != 1) {
    throw CMemoryException("the result's digest could not be made");
  }
  static const char kHex[] = "0123456789abcdef";
  std::string text;
  for (unsigned int i = 0; i < length; ++i) {
    text += kHex[digest[i] >> 4];
    text += kHex[digest[i] & 15];
  }
  return text;
}

CReportImportOutcome ImportReportFile(CBlastSearchTable& table, const std::string& path,
                                      const CReportImportOptions& options) {
  CReportImportOutcome outcome;
  try {
    CFileReportSource source(path, options.m_pStop);
    if (!source.Open()) {
      outcome.m_strReason = std::string("cannot read: ") + std::strerror(errno);
      return outcome;
    }
    const bool ended = source.Look();
    if (IsTransferFileData(source.GetLook())) {
      ImportTransfer(table, path, options, outcome);
      return outcome;
    }
    const ReportLayout layout = RecogniseReportLayout(source.GetLook());
    if (layout == ReportLayout::Unknown) {
      outcome.m_strReason = "no BLAST report that blastsearch recognises";
      if (!ended) outcome.m_strReason += " in its first 1 MiB";
      return outcome;
    }
    outcome.m_strLayout = ReportLayoutName(layout);
    ImportResults(table, source, layout, path, options, outcome);
  } catch (const CStopRequested&) {
    outcome.m_status = CReportImportOutcome::kStopped;
  } catch (const CReportError& e) {
    outcome.m_status = CReportImportOutcome::kFailed;
    outcome.m_strReason = WithoutPath(e.what(), path);
  } catch (const std::exception& e) {
    outcome.m_status = outcome.m_nStored + outcome.m_nSkipped == 0 && outcome.m_strLayout.empty()
                           ? CReportImportOutcome::kRefused
                           : CReportImportOutcome::kFailed;
    outcome.m_strReason = WithoutPath(e.what(), path);
  }
  return outcome;
}

std::string DescribeImportOutcome(const std::string& path, const CReportImportOutcome& outcome,
                                  bool allowDuplicatesHint) {
  std::string line;
  if (outcome.m_nStored == 1 && outcome.m_nSkipped == 0 &&
      outcome.m_status == CReportImportOutcome::kStored) {
    return path + ": The item " + Quoted(outcome.m_names.front()) +
           " has been added to the database";
  }
  if (outcome.m_nStored > 0) {
    line = Plural(outcome.m_nStored, "result", "results") + " from " + path + ":";
    for (std::size_t i = 0; i < outcome.m_names.size(); ++i) {
      line += (i == 0 ? " " : ", ") + Quoted(outcome.m_names[i]);
    }
    if (outcome.m_nStored > outcome.m_names.size()) line += ", ...";
  } else if (outcome.m_nSkipped == 0 && (outcome.m_status == CReportImportOutcome::kRefused ||
                                         outcome.m_status == CReportImportOutcome::kFailed)) {
    return path + ": " + outcome.m_strReason + "; nothing stored";
  } else {
    line = path + ": nothing stored";
  }
  if (outcome.m_nSkipped > 0) {
    line += "; " + Plural(outcome.m_nSkipped, "result was", "results were") +
            " stored already (as " + Quoted(outcome.m_strDuplicateOf) +
            (outcome.m_nSkipped > 1 ? " and others)" : ")");
    if (allowDuplicatesHint) line += "; --allow-duplicates stores them again";
  }
  switch (outcome.m_status) {
    case CReportImportOutcome::kStored:
      break;
    case CReportImportOutcome::kStopped:
      line += "; stopped after " + std::to_string(outcome.m_nStored + outcome.m_nSkipped) + " of " +
              path + "'s results";
      break;
    case CReportImportOutcome::kRefused:
    case CReportImportOutcome::kFailed:
      line += "; " + outcome.m_strReason;
      break;
  }
  return line;
}

}  // namespace blastsearch
