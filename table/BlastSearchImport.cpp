// New BLAST search objects: import of saved NCBI pages, creation from
// transfer files, and storing.

#include <cstdio>
#include <memory>
#include <string_view>

#include "host/OrvMessageBox.h"
#include "host/db/DBFunctions.h"
#include "model/ResultInfo.h"
#include "model/TransferFile.h"
#include "parse/ReportLayout.h"
#include "parse/ResultReaders.h"
#include "platform/File.h"
#include "platform/InputFile.h"
#include "platform/TickCount.h"
#include "platform/UserInteraction.h"
#include "table/BlastSearchTable.h"
#include "table/ReportImport.h"

namespace blastsearch {

namespace {

// A new object named "Ticks-%08X" after the tick count.
std::unique_ptr<CBlastSearchObject> MakeProvisionalObject() {
  auto object = std::make_unique<CBlastSearchObject>();
  char name[32];
  std::snprintf(name, sizeof name, "Ticks-%08X", static_cast<unsigned>(GetTickCount()));
  object->m_name = name;
  return object;
}

// Reads `page`, the bytes of the page at `path`, into `entry` with the
// reader that its layout calls for, as the file import
// does (the query named from the report's query line when the parser left
// it unnamed). Exceptions of the readers pass out.
void ReadPage(const std::string& path, std::string_view page, ReportLayout layout,
              CBlastSearchEntry& entry) {
  CViewReportSource source(page, path);
  const std::unique_ptr<CResultReader> reader =
      MakeResultReader(layout, source, CResultReadOptions{});
  if (reader == nullptr || reader->ReadNext(entry) != 1) {
    throw CReportError(path + ": the page could not be read");
  }
}

// Reads the page and stores `object` made of it, with the messages of the
// page import: 1 stored (info: its list record), else 0.
int StorePage(CBlastSearchTable& table, CBlastSearchObject& object, const std::string& path,
              std::string_view page, ReportLayout layout, const std::string& subbase,
              std::string& subbaseOut, CObjInfo*& info) {
  int added = 0;
  try {
    ReadPage(path, page, layout, object.Entry());
    const std::string digest =
        DigestOfResult(object.Entry(), DigestOfReportHead(page.substr(0, kReportHeadSize)));
    SetResultInfo(object.Entry(), result_info::kDigest, digest);
    object.m_name = NameOfImportedResult(object.Entry(), path);
    object.m_creationTime = GetOrvCurrentTime();
    added = table.AddNewObject(&object, subbase, subbaseOut, 1);
    if (added == 1) {
      info = FindObject(CBlastSearchTable::s_nObjType, 1, object.m_name);
      const std::string text = "The item \"" + object.m_name + "\"\nhas been added to the database";
      OrvMessageBox(text.c_str(), MB_ICONINFORMATION, 0);
    }
  } catch (...) {
    OrvMessageBox("Can't read Data File\nWrong format", MB_ICONSTOP, 0);
    added = 0;
  }
  return added == 1 ? 1 : 0;
}

}  // namespace

int CBlastSearchTable::CreateNewLocalObject(const std::string& subbase, std::string& subbaseOut,
                                            CObjInfo*& info) {
  FileDialogRequest request;
  request.bOpen = true;
  request.strDefExt = "htm";
  request.strFileName = "*.htm";
  request.nFlags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
  std::string path;
  if (UserInteraction().ChooseFile(request, path) != IDOK) return 0;
  {
    CFile file;
    if (!file.Open(path, CFile::modeRead)) {
      OrvMessageBox("Data File can't be opened", MB_ICONSTOP, 0);
      return 0;
    }
  }
  // Every result of the report, one object per query; a file that holds no
  // report that is read stores nothing.
  CReportImportOptions options;
  options.m_strSubbase = subbase;
  const CReportImportOutcome outcome = ImportReportFile(*this, path, options);
  subbaseOut = subbase;
  if (outcome.m_nStored > 0) info = FindObject(s_nObjType, 1, outcome.m_names.front());
  const std::string line = DescribeImportOutcome(path, outcome, false);
  if (outcome.m_status == CReportImportOutcome::kStored && outcome.m_nStored == 1 &&
      outcome.m_nSkipped == 0) {
    const std::string text =
        "The item \"" + outcome.m_names.front() + "\"\nhas been added to the database";
    OrvMessageBox(text.c_str(), MB_ICONINFORMATION, 0);
  } else if (outcome.m_status == CReportImportOutcome::kStored) {
    OrvMessageBox(line.c_str(), MB_ICONINFORMATION, 0);
  } else if (outcome.m_status == CReportImportOutcome::kRefused) {
    OrvMessageBox(("Can't read Data File\nWrong format\n\n" + line).c_str(), MB_ICONSTOP, 0);
  } else {
    OrvMessageBox(line.c_str(), MB_ICONSTOP, 0);
  }
  return outcome.m_nStored > 0 ? 1 : 0;
}

int CBlastSearchTable::ImportPage(const std::string& path, std::string_view page,
                                  ReportLayout layout, const std::string& subbase,
                                  std::string& subbaseOut, CObjInfo*& info) {
  std::unique_ptr<CBlastSearchObject> object = MakeProvisionalObject();
  return StorePage(*this, *object, path, page, layout, subbase, subbaseOut, info);
}

int CBlastSearchTable::CreateNewLocalObject(std::string transferPath, const std::string& subbase,
                                            std::string& subbaseOut, CObjInfo*& info) {
  std::unique_ptr<CBlastSearchObject> object = MakeProvisionalObject();
  {
    CFile file;
    if (!file.Open(transferPath, CFile::modeRead)) {
      OrvMessageBox("Transfer file can't be opened", MB_ICONSTOP, 0);
      return 0;
    }
    // The archive form of one result and nothing after it, as `parse`
    // reads transfer files.
    LoadTransferFile(file, object->Entry());
  }
  SetResultInfo(object->Entry(), result_info::kDigest, DigestOfResult(object->Entry(), {}));
  object->m_name = NameOfImportedResult(object->Entry(), transferPath);
  object->m_creationTime = GetOrvCurrentTime();
  const int added = AddNewObject(object.get(), subbase, subbaseOut, 1);
  if (added == 1) info = FindObject(s_nObjType, 1, object->m_name);
  return added == 1 ? 1 : 0;
}

int CBlastSearchTable::AddNewObject(CBlastSearchObject* object, const std::string& subbase,
                                    std::string& subbaseOut, int dbId) {
  if (object == nullptr) return 0;
  // The name is made unique through the storage: the table's object list
  // (a read of every row) is not needed.
  if (StorageOf(dbId) == nullptr) return 0;
  unsigned long recordId = 0;
  GetSaveObjIdFromTable(201, nullptr, object->m_name, recordId, 2, dbId, nullptr, 1);
  subbaseOut = subbase;
  return InsertObject(recordId, object, 2, subbaseOut, dbId);
}

}  // namespace blastsearch
