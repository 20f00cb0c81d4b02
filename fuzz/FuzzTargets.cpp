#include "fuzz/FuzzTargets.h"

#include <algorithm>
#include <memory>
#include <string>
#include <string_view>

#include "host/OrvTextFile.h"
#include "model/BlastSearchEntry.h"
#include "model/ResultInfo.h"
#include "model/TransferFile.h"
#include "parse/BlastXmlReader.h"
#include "parse/NCBIAnalyser.h"
#include "parse/NCBIAnalyserQ.h"
#include "parse/ReportLayout.h"
#include "platform/Exception.h"
#include "platform/File.h"
#include "platform/UserInteraction.h"
#include "table/BlastSearchTable.h"

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

// Runs every operation of an analyser of class `Analyser` on the page: the
// submission identifier, the readiness check and the report reader.
template <class Analyser>
void FuzzPage(const std::uint8_t* data, std::size_t size) {
  CSilentUserInteraction silent;
  std::string page = Bytes(data, size);
  RecogniseReportLayout(page);
  Analyser analyser;
  std::string rid;
  CMemFile submit(page);
  analyser.AnalyseSubmitID(&submit, rid);
  CMemFile status(page);
  analyser.CheckReady(&status);

  CBlastSearchEntry entry;
  Analyser reader(&entry);
  int progress = 0;
  int stop = 0;
  reader.Init(&progress, &stop);
  CMemFile report(std::move(page));
  reader.ReadRequest(&report);
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

void FuzzObjectRecord(const std::uint8_t* data, std::size_t size) {
  CSilentUserInteraction silent;
  std::unique_ptr<CDBObjectBase> object = ObjectOf(Bytes(data, size));
  if (object == nullptr) return;  // refused cleanly
  const std::string written = RecordOf(*object);
  std::unique_ptr<CDBObjectBase> again = ObjectOf(written);
  if (again == nullptr || RecordOf(*again) != written) __builtin_trap();
}

std::string ObjectRecordOfTransferFile(const std::string& transfer) {
  CBlastSearchObject object;
  object.m_name = "seed";
  CFile file(transfer, CFile::modeRead);
  LoadTransferFile(file, object.Entry());
  return RecordOf(object);
}

namespace {}  // namespace

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
      // More results than bytes would mean a loop that reads nothing.
      if (static_cast<std::size_t>(results) > size) __builtin_trap();
    }
  } catch (const CReportError&) {
  }
}
