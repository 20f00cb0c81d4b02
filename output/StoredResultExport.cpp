#include "output/StoredResultExport.h"

#include <memory>
#include <ostream>

#include "host/db/ObjInfo.h"
#include "model/TransferFile.h"
#include "output/CommandMessages.h"
#include "output/EntryJson.h"
#include "output/ExportFormats.h"
#include "output/OutputFile.h"
#include "platform/File.h"
#include "table/BlastSearchTable.h"

namespace blastsearch {

namespace {

// Writes `entry` (stored as `name`) in `format`; false with a failure line
// when it cannot be.
bool WriteExport(const std::string& format, const std::string& name, CBlastSearchEntry& entry,
                 std::ostream& out, CCommandMessages& messages) {
  if (format == "json") {
    out << EntryToJson(entry) << '\n';
  } else if (format == "tsv") {
    WriteEntryTabular(entry, out);
  } else if (format == "fasta") {
    if (!WriteEntryFasta(entry, out)) {
      messages.Fail("the result \"" + name +
                    "\" holds no aligned subject rows: nothing to write as FASTA");
      return false;
    }
  } else {
    CMemFile file;
    try {
      StoreTransferFile(entry, file);
    } catch (const std::exception& e) {
      messages.Fail(std::string("cannot make the transfer file: ") + e.what());
      return false;
    }
    out.write(file.Data().data(), static_cast<std::streamsize>(file.Data().size()));
  }
  return true;
}

}  // namespace

std::unique_ptr<CBlastSearchObject> ReadStoredObject(const std::string& nameOrUid,
                                                     CCommandMessages& messages) {
  CObjInfo* info = FindStoredObject(nameOrUid, messages);
  if (info == nullptr) return nullptr;
  std::unique_ptr<CDBObjectBase> object(
      blastSearch().GetObjectData(info->m_objId, info->m_name.c_str(), 1));
  auto* result = dynamic_cast<CBlastSearchObject*>(object.get());
  if (result == nullptr) {
    messages.Fail("the stored result \"" + info->m_name + "\" (UID " +
                  std::to_string(info->m_objId) + ") is damaged and cannot be read");
    return nullptr;
  }
  object.release();
  return std::unique_ptr<CBlastSearchObject>(result);
}

int ExportStoredResults(const CExportOptions& options, std::ostream& out, std::ostream& err) {
  CCommandMessages messages(out, err);
  COutputFile output(options.m_strOutput, out);
  if (!output.Open(messages)) return 1;
  bool ok = true;
  for (const std::string& name : options.m_objects) {
    std::unique_ptr<CBlastSearchObject> object = ReadStoredObject(name, messages);
    ok = object != nullptr &&
         WriteExport(options.m_strFormat, name, object->Entry(), output.Stream(), messages) && ok;
  }
  // A file gets nothing unless every result went into it.
  if (!ok && !options.m_strOutput.empty() && options.m_strOutput != "-") return 1;
  return CommandStatus(output.Commit(messages) && ok, messages);
}

}  // namespace blastsearch
