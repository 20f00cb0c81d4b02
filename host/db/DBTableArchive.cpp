// Archives of a table's objects, object files and summaries.
//
// An archive file: the table's signature on the first line, then for every
// object a line "object <length> <crc32, 8 hex digits>", the object's record
// of that many bytes, and "\n". The record is the stored one with, before
// its end mark, the object's comment lines and the definitions of its
// user-defined fields (doc/archive_format.md).

#include <algorithm>
#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "host/OrvTextFile.h"
#include "host/db/DBEngine.h"
#include "host/db/DBException.h"
#include "host/db/DBFunctions.h"
#include "host/db/DBRecordText.h"
#include "host/db/DBTableBase.h"
#include "host/db/DBTableStore.h"
#include "host/db/SMDlg.h"
#include "platform/File.h"
#include "platform/InputFile.h"
#include "platform/ReplacingFile.h"

namespace blastsearch {

namespace {

constexpr std::string_view kObjectHead = "object ";

// Writes `bytes` to `path` through a new file that replaces it only when
// complete (or straight into a device or FIFO). Throws CFileException naming
// `path`.
class CArchiveOutput {
 public:
  explicit CArchiveOutput(const std::string& path) {
    if (!m_file.Create(path)) {
      throw CFileException(path, std::string("cannot create: ") + std::strerror(errno));
    }
  }

  void Write(std::string_view bytes) { m_file.Write(bytes.data(), bytes.size()); }
  void Finish() { m_file.Commit(); }

 private:
  CReplacingFile m_file;
};

// The record's end mark, the last line of every stored record.
constexpr std::string_view kRecordEnd = "@0:\n";

// The archive's form of `object`'s stored `record`: its comment lines and
// `defs` (the first object of an archive carries every user-defined field's
// definition, in the database's order), put before the end mark. Throws
// CDBException when the record does not end as a stored record does.
std::string ArchiveRecord(CDBObjectBase& object, const std::string& record,
                          const std::vector<CUDFieldDef>& defs, int dbId) {
  if (record.size() < kRecordEnd.size() ||
      record.compare(record.size() - kRecordEnd.size(), kRecordEnd.size(), kRecordEnd) != 0) {
    throw CDBException("the record of \"" + object.m_name + "\" does not end with its end mark");
  }
  object.LoadComment(dbId);
  object.m_udfDefs = defs;
  std::string extended = record;
  extended.insert(record.size() - kRecordEnd.size(), object.ArchiveFieldLines());
  return extended;
}

// Defines in `storage` (inside the open transaction) each field `object`
// carries that the database lacks; a field of the same name defined there
// keeps its definition.
void DefineCarriedFields(CDBStorage& storage, const CDBObjectBase& object) {
  if (object.m_udfDefs.empty()) return;
  const std::vector<CUDFieldDef> known = storage.UDFieldDefs();
  for (const CUDFieldDef& carried : object.m_udfDefs) {
    const bool defined = std::any_of(known.begin(), known.end(), [&](const CUDFieldDef& def) {
      return def.m_strName == carried.m_strName;
    });
    if (defined) continue;
    CUDFieldDef def = carried;
    def.m_fieldId = 0;
    if (def.m_objType != 0) def.m_objType = object.GetObjectType();
    storage.PutUDFieldDef(def);
  }
}

std::string ObjectHead(std::string_view record) {
  char head[64];
  std::snprintf(head, sizeof head, "object %zu %08" PRIx32 "\n", record.size(),
                RecordCrc32(record));
  return head;
}

// Reads every object of the archive `path` of `table` into `list`; throws
// CDBException saying where the archive is damaged.
// The largest archive read: its objects are held in memory at once.
constexpr std::uint64_t kMaxArchiveBytes = std::uint64_t{1} << 30;

// Reads the archive `path` into `input`: its first line before anything
// else, so that a file of another kind (or a device that never ends) is
// refused at once, then the rest up to kMaxArchiveBytes. Throws naming the
// file.
void ReadArchiveBytes(CDBTableBase& table, const std::string& path, CInputFile& input) {
  if (!input.Open(path)) throw CFileException(path, std::strerror(errno));
  const std::string signature = table.arcsign() + "\n";
  CInputFile::ReadState state = input.Read(signature.size(), nullptr);
  if (input.View().substr(0, signature.size()) != signature) {
    throw CDBException(path + ": not an archive of " + table.DescribeObjType(1, 0) +
                       " (it does not begin with \"" + table.arcsign() + "\")");
  }
  if (state == CInputFile::readFull) state = input.Read(kMaxArchiveBytes + 1, nullptr);
  if (state != CInputFile::readEnded) {
    throw CDBException(path + ": larger than " + std::to_string(kMaxArchiveBytes >> 30) +
                       " GiB; not read as an archive");
  }
}

void ReadArchive(CDBTableBase& table, const std::string& path, CDBObjectList& list) {
  CInputFile input;
  ReadArchiveBytes(table, path, input);
  const std::string_view data = input.View();
  const std::string signature = table.arcsign() + "\n";
  std::size_t pos = signature.size();
  for (int number = 1; pos < data.size(); ++number) {
    const std::string where =
        path + ": object " + std::to_string(number) + " at byte " + std::to_string(pos);
    const std::size_t lineEnd = data.find('\n', pos);
    std::string_view head =
        data.substr(pos, lineEnd == std::string_view::npos ? 80 : lineEnd - pos);
    std::size_t length = 0;
    unsigned crc = 0;
    int used = 0;
    const std::string headText(head.substr(0, 80));
    if (lineEnd == std::string_view::npos || head.substr(0, kObjectHead.size()) != kObjectHead ||
        std::sscanf(headText.c_str(), "object %zu %8x%n", &length, &crc, &used) != 2 ||
        static_cast<std::size_t>(used) != head.size()) {
      throw CDBException(where + " is damaged: its heading is unreadable");
    }
    pos = lineEnd + 1;
    if (length > data.size() - pos || data.size() - pos - length < 1) {
      throw CDBException(where + " is cut short: " + std::to_string(length) + " bytes announced, " +
                         std::to_string(data.size() - pos) + " remain");
    }
    const std::string_view record = data.substr(pos, length);
    if (RecordCrc32(record) != crc || data[pos + length] != '\n') {
      throw CDBException(where + " is damaged: its bytes differ from what was written");
    }
    std::unique_ptr<CDBObjectBase> object(ObjectOfRecord(table, std::string(record)));
    if (object == nullptr) throw CDBException(where + " is damaged: its record cannot be read");
    list.push_back(std::move(object));
    pos += length + 1;
  }
}

}  // namespace

int CDBTableBase::WriteObjectsToArchive(const std::vector<std::string>& names,
                                        const COrvFileSpec& spec, const std::string& subbase,
                                        int dbId, CSMDlg* progress, int /*flag*/) {
  CDBStorage* storage = StorageOf(dbId);
  if (storage == nullptr) return 0;
  std::vector<std::string> chosen = names;
  if (chosen.empty() && !SubbaseObjectNames(dbId, subbase, chosen)) {
    ReportDBFailure("The subbase \"" + subbase + "\" doesn't exist");
    return 0;
  }
  try {
    const std::vector<CUDFieldDef> defs = storage->UDFieldDefs();
    CArchiveOutput out(spec.GetPath());
    out.Write(arcsign() + "\n");
    std::size_t done = 0;
    for (const std::string& name : chosen) {
      if (progress != nullptr) {
        progress->SetMessage(name);
        progress->SetProgress(done, chosen.size());
      }
      ++done;
      CStoredObject row;
      std::string record;
      if (!storage->FindObjectByName(objtable(), name, &row) ||
          !storage->ReadRecord(objtable(), row.m_recordId, record)) {
        ReportDBFailure("The item \"" + name + "\" is not in the database");
        return 0;
      }
      std::unique_ptr<CDBObjectBase> check(ObjectOfRecord(*this, record));
      if (check == nullptr) {
        ReportDBFailure("The item \"" + name + "\" is damaged and can't be archived");
        return 0;
      }
      record = ArchiveRecord(*check, record, done == 1 ? defs : std::vector<CUDFieldDef>(), dbId);
      out.Write(ObjectHead(record));
      out.Write(record);
      out.Write("\n");
    }
    out.Finish();
    return 1;
  } catch (const std::exception& e) {
    ReportDBFailure(std::string("The archive can't be written:\n") + e.what());
    return 0;
  }
}

int CDBTableBase::ReadObjectsFromArchive(const COrvFileSpec& spec, const std::string& subbase,
                                         int dbId, CSMDlg* progress, int /*flag*/) {
  CDBStorage* storage = StorageOf(dbId);
  if (storage == nullptr) return 0;
  CDBObjectList objects;
  try {
    ReadArchive(*this, spec.GetPath(), objects);
  } catch (const std::exception& e) {
    ReportDBFailure(std::string("The archive can't be read; nothing of it was stored:\n") +
                    e.what());
    return 0;
  }
  try {
    CDBWriteTransaction transaction(*storage);
    const unsigned long subbaseId = SubbaseForStoring(*this, *storage, subbase);
    // Identifiers below this one were handed out before (some to results
    // deleted since): a UID someone kept must never come to name another
    // result, so only identifiers never handed out are kept.
    const unsigned long firstFree = storage->PeekRecordId(objtable());
    std::size_t done = 0;
    for (const auto& object : objects) {
      if (progress != nullptr) {
        progress->SetMessage(object->m_name);
        progress->SetProgress(done++, objects.size());
      }
      const unsigned long wanted = object->m_recordId >= firstFree ? object->m_recordId : 0;
      DefineCarriedFields(*storage, *object);
      StoreObjectInTransaction(*this, *storage, dbId, *object, wanted, false, subbaseId);
    }
    transaction.Commit();
  } catch (const std::exception& e) {
    ReportDBFailure(spec.GetPath() + ": the archive can't be stored; nothing of it was stored:\n" +
                    e.what());
    return 0;
  }
  LoadTable(dbId);
  m_objChanges += static_cast<int>(objects.size());
  // The comments, in files of their own beside the database, once the
  // results they belong to are stored.
  for (const auto& object : objects) {
    if (object->m_comments.empty() || object->InsertComment(dbId) != 0) continue;
    ReportDBFailure(spec.GetPath() + ": the comment of \"" + object->m_name +
                    "\" can't be written; the results were stored");
    return 0;
  }
  return 1;
}

int CDBTableBase::ExtractObjectsFromArchive(const COrvFileSpec& spec, CDBObjectList& list) {
  list.clear();
  try {
    ReadArchive(*this, spec.GetPath(), list);
    return 1;
  } catch (const std::exception&) {
    list.clear();
    return 0;
  }
}

int CDBTableBase::ImportObject(int dbId, const std::string& path, std::string& name) {
  if (StorageOf(dbId) == nullptr) return 0;
  std::unique_ptr<CDBObjectBase> object;
  try {
    CInputFile input;
    ReadWholeFile(path, input);
    object.reset(ObjectOfRecord(*this, std::string(input.View())));
  } catch (const std::exception& e) {
    ReportDBFailure(e.what());
    return 0;
  }
  if (object == nullptr) {
    ReportDBFailure(path + ": not a file of one " + DescribeObjType(0, 0));
    return 0;
  }
  std::string none;
  if (InsertObject(0, object.get(), 2, none, dbId) == 0) return 0;
  name = object->m_name;
  return 1;
}

int CDBTableBase::ExportObject(int dbId, const std::string& path, const CObjInfo* info) {
  CDBStorage* storage = StorageOf(dbId);
  if (storage == nullptr || info == nullptr) return 0;
  try {
    std::string record;
    if (!storage->ReadRecord(objtable(), info->m_objId, record)) {
      ReportDBFailure("The item \"" + info->m_name + "\" is not in the database");
      return 0;
    }
    CArchiveOutput out(path);
    out.Write(record);
    out.Finish();
    return 1;
  } catch (const std::exception& e) {
    ReportDBFailure(e.what());
    return 0;
  }
}

int CDBTableBase::WriteObjectSummary(const std::string& subbase, int dbId, COrvTextFile& file) {
  std::vector<std::string> names;
  if (StorageOf(dbId) == nullptr || !SubbaseObjectNames(dbId, subbase, names)) return 0;
  try {
    std::vector<std::string> columns;
    GetObjRealFieldNames(dbId, &columns);
    std::vector<CDBFieldDef> defs(columns.size());
    for (std::size_t i = 0; i < columns.size(); ++i) GetObjFieldDef(dbId, columns[i], defs[i]);
    const std::string shown = IsMainSubbase(subbase) ? kMainSubbase : subbase;
    file.WriteString((DescribeObjType(1, 0) + " of subbase " + shown + ": " +
                      std::to_string(names.size()) + "\n")
                         .c_str());
    std::string line = "Name\tCreated";
    for (const std::string& column : columns) line += "\t" + column;
    file.WriteString((line + "\n").c_str());
    CDBFieldDef created;
    created.m_fieldId = kFieldCreationTime;
    for (const std::string& name : names) {
      const CObjInfo* info = FindObject(tableobjtype(), dbId, name);
      if (info == nullptr) continue;
      std::string value;
      GetFieldValue(dbId, info, &created, value);
      line = EscapeRecordText(name) + "\t" + value;
      for (const CDBFieldDef& def : defs) {
        GetFieldValue(dbId, info, &def, value);
        line += "\t" + EscapeRecordText(value);
      }
      file.WriteString((line + "\n").c_str());
    }
    return 1;
  } catch (const std::exception&) {
    return 0;
  }
}

}  // namespace blastsearch
