#include "fuzz/FuzzTargets.h"

#include <unistd.h>

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <filesystem>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>

#include "host/OrvFileSpec.h"
#include "host/OrvTextFile.h"
#include "host/db/CreatorData.h"
#include "host/db/DBEngine.h"
#include "host/db/DBField.h"
#include "host/db/DBRecordText.h"
#include "model/BlastSearchEntry.h"
#include "model/ResultInfo.h"
#include "model/TransferFile.h"
#include "parse/BlastPlusTextReader.h"
#include "parse/BlastXmlReader.h"
#include "parse/NCBIAnalyser.h"
#include "parse/NCBIAnalyserQ.h"
#include "parse/ReportLayout.h"
#include "platform/Exception.h"
#include "platform/File.h"
#include "platform/UserInteraction.h"
#include "table/BlastSearchTable.h"
#include "table/ReportImport.h"

namespace blastsearch {

namespace {

// Answers every question with IDCANCEL and forgets every message, so that a
// long fuzzing run neither prints nor grows.
class CSilentUserInteraction : public CScopedUserInteraction {
 public:
  int ShowMessage(const std::string&, unsigned) override { return IDOK; }
  int ChooseFile(const FileDialogRequest&, std::string&) override { return IDCANCEL; }
  int PromptText(const std::string&, std::string&) override { return IDCANCEL; }
};

std::string Bytes(const std::uint8_t* data, std::size_t size) {
  return std::string(reinterpret_cast<const char*>(data), size);
}

std::string Store(CBlastSearchEntry& entry) {
  CMemFile file;
  StoreTransferFile(entry, file);
  return file.Data();
}

}  // namespace

void CheckArchiveRoundTrip(CBlastSearchEntry& entry) {
  const std::string stored = Store(entry);
  CBlastSearchEntry back;
  CMemFile file(stored);
  LoadTransferFile(file, back);
  if (Store(back) != stored) __builtin_trap();
}

namespace {

// Reads the page with an analyser of class `Analyser`; what it read must
// survive its archive form.
template <class Analyser>
void FuzzPage(const std::uint8_t* data, std::size_t size) {
  CSilentUserInteraction silent;
  CBlastSearchEntry entry;
  {
    Analyser reader(&entry);
    int progress = 0;
    int stop = 0;
    reader.Init(&progress, &stop);
    CMemFile report(Bytes(data, size));
    reader.ReadRequest(&report);
  }
  CheckArchiveRoundTrip(entry);
}

}  // namespace

void FuzzQBlastPage(const std::uint8_t* data, std::size_t size) {
  FuzzPage<CNCBIAnalyserQ>(data, size);
}

void FuzzClassicPage(const std::uint8_t* data, std::size_t size) {
  FuzzPage<CNCBIAnalyser>(data, size);
}

void FuzzTransferFile(const std::uint8_t* data, std::size_t size) {
  CBlastSearchEntry entry;
  try {
    CMemFile file(Bytes(data, size));
    LoadTransferFile(file, entry);
  } catch (const CException&) {
    return;  // rejected cleanly
  }
  // What loaded must store, and what was stored must load back to itself.
  std::string stored = Store(entry);
  CBlastSearchEntry again;
  CMemFile reread(stored);
  LoadTransferFile(reread, again);
  if (Store(again) != stored) __builtin_trap();
}

namespace {

// The record the table writes for `object`.
std::string RecordOf(const CDBObjectBase& object) {
  COrvTextFile file(COrvFileSpec("record"));
  file.OpenMemoryOutput();
  blastSearch().WriteObject(&object, file, 0);
  return file.MemoryData();
}

// The object the table reads from `record`, or null.
std::unique_ptr<CDBObjectBase> ObjectOf(std::string record) {
  COrvTextFile file(COrvFileSpec("record"));
  file.OpenMemoryInput(std::move(record));
  return std::unique_ptr<CDBObjectBase>(blastSearch().ReadObject(file, 0, 0));
}

}  // namespace

namespace {

// Whether the fields every object has are the same in `a` and `b`.
bool SameCommonFields(const CDBObjectBase& a, const CDBObjectBase& b) {
  if (a.m_udfValues.size() != b.m_udfValues.size()) return false;
  for (std::size_t i = 0; i < a.m_udfValues.size(); ++i) {
    if (a.m_udfValues[i].m_strName != b.m_udfValues[i].m_strName ||
        a.m_udfValues[i].m_values != b.m_udfValues[i].m_values)
      return false;
  }
  return a.m_name == b.m_name && a.m_creationTime == b.m_creationTime &&
         a.m_recordId == b.m_recordId && a.m_sheetKind == b.m_sheetKind &&
         a.m_localFlags == b.m_localFlags && a.m_creator == b.m_creator &&
         a.m_originalAuthor == b.m_originalAuthor && a.m_description == b.m_description &&
         a.m_keywords == b.m_keywords;
}

// An object read from `record` must write a record that reads back to the
// same fields and writes again to the same bytes.
void CheckRecordRoundTrip(std::string record) {
  CSilentUserInteraction silent;
  std::unique_ptr<CDBObjectBase> object = ObjectOf(std::move(record));
  if (object == nullptr) return;  // refused cleanly
  const std::string written = RecordOf(*object);
  std::unique_ptr<CDBObjectBase> again = ObjectOf(written);
  if (again == nullptr || !SameCommonFields(*object, *again) || RecordOf(*again) != written)
    __builtin_trap();
}

// The fields a record may hold, as the record field target chooses them;
// 2008 is the result (archive bytes), 4000 one no version knows.
constexpr int kRecordFields[] = {kFieldName,
                                 kFieldCreationTime,
                                 kFieldRecordId,
                                 kFieldSheetKind,
                                 kFieldLocalFlags,
                                 kFieldAuthor,
                                 kFieldOriginalAuthor,
                                 kFieldDescription,
                                 kFieldKeyword,
                                 kFieldUDField,
                                 2008,
                                 4000};

}  // namespace

void FuzzObjectRecord(const std::uint8_t* data, std::size_t size) {
  CheckRecordRoundTrip(Bytes(data, size));
}

void FuzzRecordField(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return;
  constexpr std::size_t kFields = std::size(kRecordFields);
  const int field = kRecordFields[data[0] % kFields];
  const std::string text = Bytes(data + 1, size - 1);
  CheckRecordRoundTrip("@" + std::to_string(field) + ":" + text + "\n@0:\n");
  if (field == kFieldAuthor) {
    // The creator text itself: what it reads writes text that reads the same.
    const CCreatorData creator = CCreatorData::FromText(text);
    if (CCreatorData::FromText(creator.ToText()) != creator) __builtin_trap();
  }
}

std::string ObjectRecordOfTransferFile(const std::string& transfer) {
  CBlastSearchObject object;
  object.m_name = "seed";
  CFile file(transfer, CFile::modeRead);
  LoadTransferFile(file, object.Entry());
  return RecordOf(object);
}

void FuzzBlastXml(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return;
  const unsigned mode = data[0];
  CResultReadOptions options;
  options.bEveryRound = (mode & 2) != 0;
  const std::size_t piece = (mode >> 2) == 0 ? std::size_t{1} << 20 : (mode >> 2);
  CViewReportSource source(std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1),
                           "fuzz", piece);
  try {
    std::unique_ptr<CResultReader> reader = MakeBlastXmlReader(source, options, (mode & 1) != 0);
    for (int results = 0;; ++results) {
      CBlastSearchEntry entry;
      if (reader->ReadNext(entry) == 0) break;
      for (const auto& hit : entry.m_Hits.m_HitList)
        for (const auto& element : hit->m_ElementList)
          if (element->m_Query.m_nLength != static_cast<int>(element->m_Query.m_strSeq.size()))
            __builtin_trap();
      CheckArchiveRoundTrip(entry);
      // More results than bytes would mean a loop that reads nothing.
      if (static_cast<std::size_t>(results) > size) __builtin_trap();
    }
  } catch (const CReportError&) {
  }
}

void FuzzReportLayout(const std::uint8_t* data, std::size_t size) {
  CSilentUserInteraction silent;
  const std::string_view page(reinterpret_cast<const char*>(data), size);
  const ReportLayout layout = RecogniseReportLayout(page);
  if (ReportLayoutName(layout) == nullptr) __builtin_trap();
  // The recognition must not look past the bytes it is given: a page cut
  // anywhere is recognised without a fault too (the sanitizers watch).
  RecogniseReportLayout(page.substr(0, size / 2));
  // The service's answers are read with the same first look.
  std::string rid;
  CMemFile submitted(Bytes(data, size));
  CNCBIAnalyserQ().AnalyseSubmitID(&submitted, rid);
  CMemFile status(Bytes(data, size));
  CNCBIAnalyser().CheckReady(&status);
}

void FuzzBlastPlusText(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return;
  // The first byte: bit 0 HTML, bit 1 every round.
  const unsigned mode = data[0];
  CViewReportSource source(std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1),
                           "fuzz");
  CResultReadOptions options;
  options.bEveryRound = (mode & 2) != 0;
  try {
    std::unique_ptr<CResultReader> reader =
        MakeBlastPlusTextReader(source, options, (mode & 1) != 0);
    for (std::size_t results = 0;; ++results) {
      CBlastSearchEntry entry;
      if (reader->ReadNext(entry) == 0) break;
      CheckArchiveRoundTrip(entry);
      if (results > size) __builtin_trap();  // a loop that reads nothing
    }
  } catch (const CException&) {
    // a refused report: the reader said why
  }
}

namespace {

// A folder in memory's file system (the system's temporary folder when there
// is none) that lives as long as the process.
const std::filesystem::path& ScratchRoot() {
  static const std::filesystem::path root = [] {
    std::error_code error;
    std::filesystem::path base = "/dev/shm";
    if (!std::filesystem::is_directory(base, error)) base = std::filesystem::temp_directory_path();
    std::filesystem::path dir = base / ("blastsearch_fuzz_" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    return dir;
  }();
  return root;
}

// A fresh object database opened as database `dbId` for one input, closed
// and removed after it.
class CScratchDatabase {
 public:
  explicit CScratchDatabase(int dbId)
      : m_dir(ScratchRoot() / ("db" + std::to_string(dbId))), m_nDbId(dbId) {
    std::filesystem::remove_all(m_dir);
    std::filesystem::create_directories(m_dir);
    engine().OpenDatabase(m_dir.string(), m_nDbId);
  }
  ~CScratchDatabase() {
    engine().CloseDatabase(m_nDbId);
    if (m_nDbId == 1) MAINDIR.SetDir("");
    std::error_code error;
    std::filesystem::remove_all(m_dir, error);
  }
  CScratchDatabase(const CScratchDatabase&) = delete;
  CScratchDatabase& operator=(const CScratchDatabase&) = delete;

 private:
  std::filesystem::path m_dir;
  int m_nDbId;
};

void WriteFile(const std::filesystem::path& path, std::string_view bytes) {
  CFile file(path.string(), CFile::modeWrite | CFile::modeCreate);
  file.Write(bytes.data(), bytes.size());
}

std::string ReadFile(const std::filesystem::path& path) {
  CFile file(path.string(), CFile::modeRead);
  std::string bytes(static_cast<std::size_t>(file.GetLength()), '\0');
  bytes.resize(file.Read(bytes.data(), bytes.size()));
  return bytes;
}

// The table's archive of the records in `records`, each ending after its end
// mark "@0:\n", with the length and checksum each object's head must have.
std::string ArchiveOfRecords(std::string_view records) {
  std::string archive = blastSearch().arcsign() + "\n";
  while (!records.empty()) {
    const std::size_t mark = records.find("@0:\n");
    const std::size_t end = mark == std::string_view::npos ? records.size() : mark + 4;
    const std::string_view record = records.substr(0, end);
    char head[64];
    std::snprintf(head, sizeof head, "object %zu %08" PRIx32 "\n", record.size(),
                  RecordCrc32(record));
    archive.append(head).append(record).append("\n");
    records.remove_prefix(end);
  }
  return archive;
}

// The archive database `dbId` writes of its subbase MAIN.
std::string ArchiveOfDatabase(int dbId) {
  const std::filesystem::path out = ScratchRoot() / ("out" + std::to_string(dbId));
  if (blastSearch().WriteObjectsToArchive({}, COrvFileSpec(out.string(), 101), "MAIN", dbId,
                                          nullptr, 0) != 1)
    __builtin_trap();  // what was stored must write
  return ReadFile(out);
}

}  // namespace

void FuzzTableImport(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return;
  // The first byte: bit 0 the bytes as they are, else records made into an
  // archive; bit 1 the file import of reports, else the archive import;
  // bit 2 every PSI-BLAST round.
  const unsigned mode = data[0];
  const std::string_view body(reinterpret_cast<const char*>(data) + 1, size - 1);
  CSilentUserInteraction silent;
  CScratchDatabase db(1);
  const std::filesystem::path input = ScratchRoot() / "input";
  WriteFile(input, (mode & 1) != 0 ? std::string(body) : ArchiveOfRecords(body));
  if ((mode & 2) != 0) {
    CReportImportOptions options;
    options.m_bEveryRound = (mode & 4) != 0;
    const CReportImportOutcome outcome = ImportReportFile(blastSearch(), input.string(), options);
    if (outcome.m_nStored != blastSearch().getobjlist(1).GetCount()) __builtin_trap();
    return;
  }
  if (blastSearch().ReadObjectsFromArchive(COrvFileSpec(input.string(), 101), "MAIN", 1, nullptr,
                                           0) != 1)
    return;  // refused, and nothing stored
  // What was stored goes out as an archive that another database takes in
  // and writes again to the same bytes.
  const std::string written = ArchiveOfDatabase(1);
  CScratchDatabase other(2);
  const std::filesystem::path copy = ScratchRoot() / "copy";
  WriteFile(copy, written);
  if (blastSearch().ReadObjectsFromArchive(COrvFileSpec(copy.string(), 101), "MAIN", 2, nullptr,
                                           0) != 1 ||
      ArchiveOfDatabase(2) != written)
    __builtin_trap();
}

}  // namespace blastsearch
