#include "host/db/DBTableBase.h"

#include <signal.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <limits>
#include <memory>
#include <system_error>

#include "host/OrvMessageBox.h"
#include "host/OrvTextFile.h"
#include "host/db/DBEngine.h"
#include "host/db/DBException.h"
#include "host/db/DBFunctions.h"
#include "host/db/DBTableStore.h"
#include "host/db/SqliteStorage.h"
#include "platform/UserInteraction.h"

namespace blastsearch {

std::string RecordOfObject(CDBTableBase& table, const CDBObjectBase& object) {
  // Records of one table are much alike in size: room for one as large as
  // the largest of late is made at once (a large one is forgotten after a few
  // dozen smaller ones), and the bytes are handed over without a copy.
  thread_local std::size_t lastSize = 0;
  COrvTextFile file{COrvFileSpec("record of " + object.m_name)};
  file.OpenMemoryOutput();
  auto* memory = dynamic_cast<CMemFile*>(file.CheckOutFilePtr());
  constexpr std::size_t kLargestReserve = std::size_t{16} << 20;
  if (memory != nullptr) memory->Reserve(std::min(lastSize + lastSize / 16, kLargestReserve));
  file.CheckInFilePtr();
  table.WriteObject(&object, file, 0);
  memory = dynamic_cast<CMemFile*>(file.CheckOutFilePtr());
  std::string record = memory != nullptr ? memory->TakeData() : file.MemoryData();
  lastSize = std::max(record.size(), lastSize - lastSize / 16);
  return record;
}

CDBObjectBase* ObjectOfRecord(CDBTableBase& table, const std::string& record) {
  COrvTextFile file{COrvFileSpec("record")};
  file.OpenMemoryInput(record);
  return table.ReadObject(file, 0, 0);
}

CObjInfo InfoOfStored(const CStoredObject& row) {
  CObjInfo info(row.m_objType, row.m_recordId, row.m_name);
  info.m_creationTime = row.m_creationTime;
  info.m_tableNumber = row.m_tableNumber;
  info.m_tableText = row.m_tableText;
  info.m_strAuthor = row.m_author;
  return info;
}

CStoredObject StoredOfInfo(const CObjInfo& info) {
  CStoredObject row;
  row.m_recordId = info.m_objId;
  row.m_name = info.m_name;
  row.m_objType = info.GetObjType();
  row.m_creationTime = info.m_creationTime;
  row.m_tableNumber = info.m_tableNumber;
  row.m_tableText = info.m_tableText;
  row.m_author = info.m_strAuthor;
  return row;
}

void ReportDBFailure(const std::string& text) { OrvMessageBox(text.c_str(), MB_ICONSTOP, 0); }

unsigned long SubbaseForStoring(CDBTableBase& table, CDBStorage& storage, const std::string& name) {
  if (IsMainSubbase(name)) return 0;
  const std::string cut = SubbaseNameOf(name);
  unsigned long id = storage.FindSubbase(table.objtable(), cut);
  return id != 0 ? id : storage.CreateSubbase(table.objtable(), cut);
}

CObjInfo StoreObjectInTransaction(CDBTableBase& table, CDBStorage& storage, int dbId,
                                  CDBObjectBase& object, unsigned long recordId, bool replace,
                                  unsigned long subbaseId) {
  const int tableId = table.objtable();
  unsigned long id = recordId;
  if (id != 0 && IsPendingRecordId(dbId, tableId, id)) replace = false;  // a new object
  // Inside the write transaction the next identifier is ours: storing the
  // object under it is what reserves it.
  bool existing = id != 0 && storage.FindObjectById(tableId, id, nullptr);
  if (id == 0 || (!replace && existing)) {
    id = storage.PeekRecordId(tableId);
    existing = false;
  }
  object.m_name = MakeUniqueObjectName(tableId, dbId, object.m_name, id);
  object.m_recordId = id;
  CObjInfo info;
  if (table.ResetObjInfo(&info, &object, 1) == 0) {
    throw CDBException("the table cannot describe \"" + object.m_name + "\"");
  }
  info.m_name = object.m_name;
  info.m_objId = id;
  storage.PutObject(tableId, StoredOfInfo(info), RecordOfObject(table, object));
  if (existing) storage.ClearFieldValues(tableId, id);  // a new object has none
  const std::vector<std::string> keys = object.GetObjectKeys();
  if (existing || !keys.empty()) storage.SetObjectKeys(tableId, id, keys);
  if (!object.m_udfValues.empty()) {
    const std::vector<CUDFieldDef> defs = storage.UDFieldDefs();
    for (const CUDFieldValue& entry : object.m_udfValues) {
      for (const CUDFieldDef& def : defs) {
        if (def.m_strName == entry.m_strName) {
          storage.SetFieldValues(tableId, id, def.m_fieldId, entry.m_values);
        }
      }
    }
  }
  for (const std::string& keyword : object.m_keywords) storage.AddKeyword(tableId, keyword);
  if (subbaseId != 0) storage.AddToSubbase(tableId, subbaseId, id);
  return info;
}

void RemoveCommentFile(CDBTableBase& table, unsigned long recordId, int dbId) {
  COrvFileSpec spec = table.MakeCommentFileName(recordId, dbId);
  std::error_code error;
  if (spec.IsSpecSet()) std::filesystem::remove(spec.GetPath(), error);
}

std::string SubbaseNameOf(const std::string& name) {
  if (name.size() <= kMaxSubbaseName) return name;
  std::size_t end = kMaxSubbaseName;
  // Back to the first byte of the character the cut falls in.
  while (end > 0 && (static_cast<unsigned char>(name[end]) & 0xC0) == 0x80) --end;
  return name.substr(0, end);
}

// ---- the table base ----

CDBTableBase::CDBTableBase() = default;

CDBTableBase::~CDBTableBase() { engine().UnregisterTable(this); }

CDBStorage* CDBTableBase::StorageOf(int dbId) const { return engine().Storage(dbId); }

int CDBTableBase::flink() const { return 0; }

int CDBTableBase::CreateTable(const COrvDirSpec& dir, int /*dbId*/) {
  // A server database has no folder: it keeps the comments itself.
  if (dir.GetDir().empty()) return 1;
  std::error_code error;
  std::filesystem::create_directories(
      std::filesystem::path(dir.GetDir()) / this->dir(0) / "comments", error);
  return error ? 0 : 1;
}

int CDBTableBase::CheckTable(const COrvDirSpec& /*dir*/, int dbId) {
  CDBStorage* storage = StorageOf(dbId);
  if (storage == nullptr) return 0;
  try {
    const std::string result = storage->IntegrityCheck();
    if (result == "ok") return 1;
    ReportDBFailure(storage->GetPath() + ": the database is damaged:\n" + result);
  } catch (const std::exception& e) {
    ReportDBFailure(e.what());
  }
  return 0;
}

int CDBTableBase::get_table_pars(int tableId, COrvFileSpec* spec, CObject** list, int* count,
                                 int dbId) {
  if (StorageOf(dbId) == nullptr) return 0;
  CObjInfoList* chosen = nullptr;
  if (tableId == objtable())
    chosen = &getobjlist(dbId);
  else if (tableId == sbtable())
    chosen = &getsblist(dbId);
  else
    return 0;
  if (spec != nullptr) *spec = MakeFileName(0, dbId, 0);
  if (list != nullptr) *list = chosen;
  if (count != nullptr) *count = static_cast<int>(chosen->GetCount());
  return 1;
}

int CDBTableBase::GetTableIncrPars(int, int, int*, int*, int**, int*, std::string&) { return 0; }

int CDBTableBase::LoadTable(int dbId) {
  if (StorageOf(dbId) == nullptr) return 0;
  Refresh(dbId, m_lists[dbId], true);
  RefreshSubbases(dbId, m_lists[dbId], true);
  return 1;
}

int CDBTableBase::SaveTable(int dbId) { return StorageOf(dbId) != nullptr ? 1 : 0; }

int CDBTableBase::InsertObject(unsigned long recordId, CDBObjectBase* object, int /*mode*/,
                               std::string& subbase, int dbId) {
  CDBStorage* storage = StorageOf(dbId);
  if (storage == nullptr || object == nullptr) return 0;
  const std::string name = object->m_name;
  const unsigned long previousId = object->m_recordId;
  if (name.empty()) {
    ReportDBFailure("An item without a name can't be stored");
    return 0;
  }
  try {
    CDBWriteTransaction transaction(*storage);
    const unsigned long subbaseId = SubbaseForStoring(*this, *storage, subbase);
    CObjInfo info =
        StoreObjectInTransaction(*this, *storage, dbId, *object, recordId, true, subbaseId);
    transaction.Commit();
    TakePendingRecordId(dbId, objtable(), recordId);
    NoteStored(dbId, info);
    if (subbaseId != 0) NoteSubbasesChanged(dbId);
    ++m_objChanges;
    return 1;
  } catch (const std::exception& e) {
    object->m_name = name;
    object->m_recordId = previousId;
    ReportDBFailure("The item \"" + name + "\" can't be stored in the database:\n" + e.what());
    return 0;
  }
}

void CDBTableBase::AppendMenuItem(CMenu*, int&, int&) {}

namespace {

// Writes `value` as `width` digits at `at`.
void PutDigits(char* at, long long value, int width) {
  for (int i = width - 1; i >= 0; --i, value /= 10) at[i] = static_cast<char>('0' + value % 10);
}

// Appends `value` in decimal digits to `out`.
void AppendNumber(unsigned long value, std::string& out) {
  char text[24];
  const char* end = std::to_chars(text, text + sizeof text, value).ptr;
  out.append(text, static_cast<std::size_t>(end - text));
}

}  // namespace

void AppendIsoTime(long seconds, std::string& out) {
  namespace chrono = std::chrono;
  // The day (rounded down, also before 1970) and the seconds into it, split
  // by hand: chrono's floor and difference multiply the day back into
  // seconds, which overflows for the earliest times a record may hold.
  long long days = seconds / 86400;
  long long rest = seconds % 86400;
  if (rest < 0) {
    rest += 86400;
    --days;
  }
  const chrono::sys_days day{chrono::days{days}};
  // Times formatted one after another (a list) mostly fall on a few days:
  // the date of the last day is kept.
  thread_local long long lastDay = std::numeric_limits<long long>::min();
  thread_local char date[] = "0000-00-00T";
  if (days != lastDay) {
    // Four-digit years here; the others (also those beyond the range of a
    // civil date's year) as the C library writes them.
    constexpr chrono::sys_days kFirst{chrono::year{1000} / chrono::January / 1};
    constexpr chrono::sys_days kLast{chrono::year{9999} / chrono::December / 31};
    if (day < kFirst || day > kLast) {
      std::time_t t = static_cast<std::time_t>(seconds);
      std::tm parts{};
      gmtime_r(&t, &parts);
      char text[32];
      const std::size_t length = std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &parts);
      out.append(text, length);
      return;
    }
    const chrono::year_month_day civil{day};
    PutDigits(date, static_cast<int>(civil.year()), 4);
    PutDigits(date + 5, static_cast<unsigned>(civil.month()), 2);
    PutDigits(date + 8, static_cast<unsigned>(civil.day()), 2);
    lastDay = days;
  }
  char time[] = "00:00:00Z";
  PutDigits(time, rest / 3600, 2);
  PutDigits(time + 3, rest / 60 % 60, 2);
  PutDigits(time + 6, rest % 60, 2);
  const std::size_t at = out.size();
  out.resize(at + 20);
  std::memcpy(out.data() + at, date, 11);
  std::memcpy(out.data() + at + 11, time, 9);
}

int CDBTableBase::GetFieldValue(int dbId, const CObjInfo* info, const CDBFieldDef* def,
                                std::string& out) {
  out.clear();
  if (info == nullptr || def == nullptr) return 0;
  switch (def->m_fieldId) {
    case kFieldName:
      out = info->m_name;
      return 1;
    case kFieldCreationTime:
      AppendIsoTime(info->m_creationTime, out);
      return 1;
    case kFieldAuthorName:
      out = info->m_strAuthor;
      return 1;
    case kFieldUID:
      if (info->m_objId == 0) return 0;
      AppendNumber(info->m_objId, out);
      return 1;
    default:
      break;
  }
  CDBStorage* storage = StorageOf(dbId);
  if (def->m_fieldId < kFirstUDFieldId || storage == nullptr || info->m_objId == 0) return 0;
  try {
    for (const std::string& value :
         storage->FieldValues(objtable(), info->m_objId, def->m_fieldId)) {
      if (!out.empty()) out += "; ";
      out += value;
    }
    return 1;
  } catch (const std::exception&) {
    out.clear();
    return 0;
  }
}

int CDBTableBase::DeleteObject(std::string& name, int dbId, int /*flag*/) {
  CDBStorage* storage = StorageOf(dbId);
  if (storage == nullptr) return 0;
  try {
    CStoredObject row;
    if (!storage->FindObjectByName(objtable(), name, &row)) return 0;
    return DeleteObjectById(row.m_recordId, dbId);
  } catch (const std::exception& e) {
    ReportDBFailure("The item \"" + name + "\" can't be deleted:\n" + e.what());
    return 0;
  }
}

int CDBTableBase::DeleteObjectById(unsigned long recordId, int dbId) {
  CDBStorage* storage = StorageOf(dbId);
  if (storage == nullptr || recordId == 0) return 0;
  try {
    if (!storage->DeleteObject(objtable(), recordId)) return 0;
    RemoveCommentFile(*this, recordId, dbId);
    NoteDeleted(dbId, recordId);
    ++m_objChanges;
    return 1;
  } catch (const std::exception& e) {
    ReportDBFailure("The item with UID " + std::to_string(recordId) + " can't be deleted:\n" +
                    e.what());
    return 0;
  }
}

int CDBTableBase::InsertObjectData(unsigned long recordId, CDBObjectBase* object, int dbId) {
  CDBStorage* storage = StorageOf(dbId);
  if (storage == nullptr || object == nullptr || recordId == 0) return 0;
  try {
    if (!storage->FindObjectById(objtable(), recordId, nullptr)) return 0;
  } catch (const std::exception&) {
    return 0;
  }
  std::string none;
  return InsertObject(recordId, object, 2, none, dbId);
}

int CDBTableBase::WriteObjectsToASCII(const std::vector<std::string>&, const std::string& path, int,
                                      CSMDlg*, int) {
  ReportDBFailure(path + ": " + DescribeObjType(1, 0) + " have no text form");
  return 0;
}

int CDBTableBase::ReadObjectsFromASCII(const std::string& path, int, CSMDlg*, int) {
  ReportDBFailure(path + ": " + DescribeObjType(1, 0) + " have no text form");
  return 0;
}

int CDBTableBase::SetSystemAttributes(int, CObjAttr&, CObjInfo*) { return 0; }

COrvFileSpec CDBTableBase::MakeFileName(int /*kind*/, int dbId, int /*flag*/) {
  const std::string dir = engine().DatabaseDir(dbId);
  if (dir.empty()) return {};
  return COrvFileSpec((std::filesystem::path(dir) / kDatabaseFileName).string());
}

COrvFileSpec CDBTableBase::MakeCommentFileName(unsigned long recordId, int dbId) {
  return engine().MakeCommentFileName(tableobjtype(), recordId, dbId);
}

int CDBTableBase::GetSaveId(std::string& name, unsigned long* recordId, int mode, int dbId,
                            const char* text) {
  if (recordId == nullptr) return 0;
  // Names are made unique through the storage: no list needed.
  return GetSaveObjIdFromTable(objtable(), nullptr, name, *recordId, mode, dbId, text, 1);
}

unsigned long CDBTableBase::GetObjId(const char* name, int dbId) {
  CDBStorage* storage = StorageOf(dbId);
  if (storage == nullptr || name == nullptr) return 0;
  try {
    CStoredObject row;
    return storage->FindObjectByName(objtable(), name, &row) ? row.m_recordId : 0;
  } catch (const std::exception&) {
    return 0;
  }
}

int CDBTableBase::DuplicateObjectInSubbase(int dbId, const std::string& subbase, CObjInfo* info,
                                           std::vector<std::string>& names) {
  if (info == nullptr) return 0;
  std::unique_ptr<CDBObjectBase> copy(GetObjectData(info->m_objId, info->m_name.c_str(), dbId));
  if (copy == nullptr) {
    ReportDBFailure("The item \"" + info->m_name + "\" can't be read from the database");
    return 0;
  }
  copy->LoadComment(dbId);
  copy->m_name += " copy";
  copy->m_recordId = 0;
  copy->m_creationTime = GetOrvCurrentTime();
  std::string target = subbase;
  if (InsertObject(0, copy.get(), 2, target, dbId) == 0) return 0;
  names.push_back(copy->m_name);
  if (!copy->m_comments.empty() && copy->InsertComment(dbId) == 0) {
    ReportDBFailure("The comment of \"" + copy->m_name +
                    "\" can't be written; the copy was stored");
    return 0;
  }
  return 1;
}

CDBObjectBase* CDBTableBase::GetObjectData(const char* name, int dbId) {
  return GetObjectData(0UL, name, dbId);
}

CDBObjectBase* CDBTableBase::GetObjectData(unsigned long recordId, const char* name, int dbId) {
  CDBStorage* storage = StorageOf(dbId);
  if (storage == nullptr) return nullptr;
  try {
    CStoredObject row;
    const bool found = recordId != 0
                           ? storage->FindObjectById(objtable(), recordId, &row)
                           : name != nullptr && storage->FindObjectByName(objtable(), name, &row);
    std::string record;
    if (!found || !storage->ReadRecord(objtable(), row.m_recordId, record)) return nullptr;
    CDBObjectBase* object = ObjectOfRecord(*this, record);
    if (object == nullptr) return nullptr;
    object->m_name = row.m_name;
    object->m_recordId = row.m_recordId;
    object->m_creationTime = row.m_creationTime;
    return object;
  } catch (const std::exception&) {
    return nullptr;
  }
}

int CDBTableBase::WriteObject(const CDBObjectBase* object, COrvTextFile& file, int /*flag*/) {
  if (object == nullptr) return 0;
  object->WriteRecord(file);
  return 1;
}

int CDBTableBase::RenameObj(int dbId, CObjInfo* info, const std::string& name, int& changed) {
  changed = 0;
  CDBStorage* storage = StorageOf(dbId);
  if (storage == nullptr || info == nullptr) return 0;
  if (name.empty()) {
    ReportDBFailure("An item's name can't be empty");
    return 0;
  }
  if (check_string_value(name) == 0) {
    ReportDBFailure(
        "An item's name can't be longer than 250 characters or hold a line end or "
        "another control character");
    return 0;
  }
  const unsigned long id = info->m_objId;
  const std::string oldName = info->m_name;
  if (name == oldName) return 1;
  try {
    CDBWriteTransaction transaction(*storage);
    CStoredObject row;
    if (!storage->FindObjectById(objtable(), id, &row)) {
      throw CDBRefusal("The item \"" + oldName + "\" is no longer in the database");
    }
    CStoredObject other;
    if (storage->FindObjectByName(objtable(), name, &other) && other.m_recordId != id) {
      throw CDBRefusal("An item named \"" + name + "\" already exists");
    }
    std::string record;
    std::unique_ptr<CDBObjectBase> object;
    if (storage->ReadRecord(objtable(), id, record)) object.reset(ObjectOfRecord(*this, record));
    row.m_name = name;
    if (object != nullptr) {
      object->m_name = name;
      object->m_recordId = id;
      storage->PutObject(objtable(), row, RecordOfObject(*this, *object));
    } else {
      storage->RenameObject(objtable(), id, name);  // a damaged record keeps its bytes
    }
    transaction.Commit();
    NoteStored(dbId, InfoOfStored(row));
    changed = 1;
    ++m_objChanges;
    return 1;
  } catch (const CDBRefusal& refusal) {
    ReportDBFailure(refusal.what());
    return 0;
  } catch (const std::exception& e) {
    ReportDBFailure("The item \"" + oldName + "\" can't be renamed:\n" + e.what());
    return 0;
  }
}

int CDBTableBase::ChangeObjectName(CDBObjectBase* object, std::string& oldName,
                                   const std::string& newName, int dbId, int& changed,
                                   int /*flag*/) {
  changed = 0;
  if (object == nullptr) return 0;
  CObjInfo* info = object->m_recordId != 0 ? FindListRecord(dbId, object->m_recordId)
                                           : FindObject(tableobjtype(), dbId, oldName);
  if (info == nullptr) return 0;
  if (RenameObj(dbId, info, newName, changed) == 0) return 0;
  object->m_name = newName;
  return 1;
}

int CDBTableBase::ChangeStoredObject(int dbId, unsigned long recordId, const std::string& name,
                                     const std::function<EObjectChange(CDBObjectBase&)>& change) {
  CDBStorage* storage = StorageOf(dbId);
  if (storage == nullptr || recordId == 0) return 0;
  try {
    // The record is read under the write lock: what is stored is what was
    // read plus this change, never a copy another process replaced meanwhile.
    CDBWriteTransaction transaction(*storage);
    CStoredObject row;
    std::string record;
    if (!storage->FindObjectById(objtable(), recordId, &row) ||
        !storage->ReadRecord(objtable(), recordId, record)) {
      throw CDBRefusal("The item \"" + name + "\" is no longer in the database");
    }
    std::unique_ptr<CDBObjectBase> object(ObjectOfRecord(*this, record));
    if (object == nullptr) throw CDBRefusal("The record of \"" + name + "\" is damaged");
    object->m_name = row.m_name;
    object->m_recordId = row.m_recordId;
    object->m_creationTime = row.m_creationTime;
    const EObjectChange verdict = change(*object);
    if (verdict != EObjectChange::kStore) return verdict == EObjectChange::kUnchanged ? 1 : 0;
    CObjInfo info = StoreObjectInTransaction(*this, *storage, dbId, *object, recordId, true, 0);
    transaction.Commit();
    NoteStored(dbId, info);
    ++m_objChanges;
    return 1;
  } catch (const CDBRefusal& refusal) {
    ReportDBFailure(refusal.what());
    return 0;
  } catch (const std::exception& e) {
    ReportDBFailure("The item \"" + name + "\" can't be changed:\n" + e.what());
    return 0;
  }
}

int CDBTableBase::InsertDBValue(int dbId, CObjInfo* info, CDBField& field, int /*flag*/) {
  if (info == nullptr) return 0;
  return ChangeStoredObject(dbId, info->m_objId, info->m_name, [&](CDBObjectBase& object) {
    if (field.m_fieldId == kFieldKeyword) {
      auto& keywords = object.m_keywords;
      if (std::find(keywords.begin(), keywords.end(), field.m_strValue) != keywords.end()) {
        return EObjectChange::kUnchanged;
      }
      keywords.push_back(field.m_strValue);
      return EObjectChange::kStore;
    }
    auto& entries = object.m_udfValues;
    auto it = std::find_if(entries.begin(), entries.end(),
                           [&](const CUDFieldValue& e) { return e.m_strName == field.m_strName; });
    if (it == entries.end()) {
      entries.push_back(CUDFieldValue{field.m_strName, {}});
      it = std::prev(entries.end());
    }
    it->m_values.push_back(field.m_strValue);
    return EObjectChange::kStore;
  });
}

int CDBTableBase::DeleteDBValue(int dbId, CObjInfo* info, CDBField& field) {
  if (info == nullptr) return 0;
  return ChangeStoredObject(dbId, info->m_objId, info->m_name, [&](CDBObjectBase& object) {
    bool removed = false;
    if (field.m_fieldId == kFieldKeyword) {
      auto& keywords = object.m_keywords;
      auto end = std::remove(keywords.begin(), keywords.end(), field.m_strValue);
      removed = end != keywords.end();
      keywords.erase(end, keywords.end());
    } else {
      for (auto it = object.m_udfValues.begin(); it != object.m_udfValues.end(); ++it) {
        if (it->m_strName != field.m_strName) continue;
        auto end = std::remove(it->m_values.begin(), it->m_values.end(), field.m_strValue);
        removed = end != it->m_values.end();
        it->m_values.erase(end, it->m_values.end());
        if (it->m_values.empty()) object.m_udfValues.erase(it);
        break;
      }
    }
    return removed ? EObjectChange::kStore : EObjectChange::kRefuse;
  });
}

bool CDBTableBase::Backup(int dbId, CSMDlg*) {
  CDBStorage* storage = StorageOf(dbId);
  if (storage == nullptr) return false;
  try {
    storage->CopyTo(storage->GetPath() + ".bak");
    return true;
  } catch (const std::exception& e) {
    ReportDBFailure(std::string("The database can't be backed up:\n") + e.what());
    return false;
  }
}

bool CDBTableBase::Restore(int dbId, CSMDlg*) {
  CDBStorage* storage = StorageOf(dbId);
  if (storage == nullptr) return false;
  try {
    storage->RestoreFrom(storage->GetPath() + ".bak");
    for (CDBTableBase* table : engine().get_tables()) table->LoadTable(dbId);
    return true;
  } catch (const std::exception& e) {
    ReportDBFailure(std::string("The database can't be restored:\n") + e.what());
    return false;
  }
}

namespace {

// True for the new file of a comment (".N.cmt.tmp-PID-ATTEMPT") whose writer
// is no longer running: a process killed while writing left it behind.
bool IsLeftOverNewFile(const std::string& name) {
  const std::size_t mark = name.rfind(".tmp-");
  if (name.empty() || name[0] != '.' || mark == std::string::npos) return false;
  long pid = 0;
  const char* begin = name.data() + mark + 5;
  const char* end = name.data() + name.size();
  auto [next, failure] = std::from_chars(begin, end, pid);
  if (failure != std::errc() || next == begin || next == end || *next != '-' || pid <= 0) {
    return false;
  }
  return ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}

}  // namespace

bool CDBTableBase::Cleanup(int dbId, CSMDlg*, int, std::vector<std::string>& removed, int, int) {
  // A server database has no files to clean: an object's comment goes with
  // it in the same change.
  if (CDBStorage* storage = StorageOf(dbId); storage != nullptr && storage->KeepsComments()) {
    return true;
  }
  const std::string dir = engine().DatabaseDir(dbId);
  if (dir.empty()) return false;
  const std::filesystem::path comments = std::filesystem::path(dir) / this->dir(0) / "comments";
  std::error_code error;
  const CObjInfoList& list = getobjlist(dbId);
  for (const auto& entry : std::filesystem::directory_iterator(comments, error)) {
    const std::string stem = entry.path().stem().string();
    if (IsLeftOverNewFile(entry.path().filename().string())) {
      std::error_code removeError;
      if (std::filesystem::remove(entry.path(), removeError)) {
        removed.push_back(entry.path().string());
      }
      continue;
    }
    unsigned long id = 0;
    try {
      id = std::stoul(stem);
    } catch (const std::exception&) {
      continue;
    }
    if (list.FindById(id) != nullptr) continue;
    std::error_code removeError;
    if (std::filesystem::remove(entry.path(), removeError)) {
      removed.push_back(entry.path().string());
    }
  }
  return !error;
}

int CDBTableBase::ResetObjInfo(CObjInfo* info, CDBObjectBase* object, int flag) const {
  if (info == nullptr || object == nullptr) return 0;
  return object->GetObjInfo(*info, flag);
}

bool CDBTableBase::EngineCommand(unsigned) { return false; }
bool CDBTableBase::UpdateEngineCommand(unsigned) { return false; }
bool CDBTableBase::Hidden() const { return false; }
int CDBTableBase::InitializeTableData() { return 0; }

// ---- lists ----

CDBTableBase::CLists& CDBTableBase::ListsOf(int dbId) {
  CLists& lists = m_lists[dbId];
  Refresh(dbId, lists, false);
  return lists;
}

void CDBTableBase::Refresh(int dbId, CLists& lists, bool force) {
  CDBStorage* storage = StorageOf(dbId);
  if (storage == nullptr) {
    lists.m_objects.Clear();
    lists.m_subbases.Clear();
    lists.m_bLoaded = false;
    lists.m_bSbLoaded = false;
    return;
  }
  try {
    const std::uint64_t version = storage->DataVersion();
    if (!force && lists.m_bLoaded && version == lists.m_nVersion) return;
    // Records made straight from the storage's rows, sized after what the
    // list held: no count of the table beforehand.
    CObjInfoList::Items objects;
    objects.reserve(lists.m_objects.GetCount());
    ++m_nObjectListLoads;
    storage->AppendObjectInfos(objtable(), objects);
    lists.m_objects.Merge(std::move(objects));
    lists.m_nVersion = version;
    lists.m_bLoaded = true;
    lists.m_bFailureShown = false;
  } catch (const std::exception& e) {
    lists.m_bLoaded = false;
    ReportListFailure(*storage, lists, e);
  }
}

void CDBTableBase::RefreshSubbases(int dbId, CLists& lists, bool force) {
  CDBStorage* storage = StorageOf(dbId);
  if (storage == nullptr) {
    lists.m_subbases.Clear();
    lists.m_bSbLoaded = false;
    return;
  }
  try {
    const std::uint64_t version = storage->DataVersion();
    if (!force && lists.m_bSbLoaded && version == lists.m_nSbVersion) return;
    std::vector<CObjInfo> subbases;
    for (CStoredSubbase& sb : storage->Subbases(objtable())) {
      subbases.emplace_back(0, sb.m_id, std::move(sb.m_name));
    }
    lists.m_subbases.Merge(std::move(subbases));
    lists.m_nSbVersion = version;
    lists.m_bSbLoaded = true;
  } catch (const std::exception& e) {
    lists.m_bSbLoaded = false;
    ReportListFailure(*storage, lists, e);
  }
}

void CDBTableBase::ReportListFailure(CDBStorage& storage, CLists& lists, const std::exception& e) {
  // The lists keep what they held and the next call tries again; the
  // failure is shown once, so that an unreadable database never passes for
  // an empty one.
  if (lists.m_bFailureShown) return;
  lists.m_bFailureShown = true;
  ReportDBFailure(storage.GetPath() + ": the list of " + DescribeObjType(1, 0) +
                  " can't be read; the database may be damaged:\n" + e.what());
}

void CDBTableBase::NoteStored(int dbId, const CObjInfo& info) {
  auto it = m_lists.find(dbId);
  if (it == m_lists.end()) return;
  // A list not loaded holds only records looked up: those are kept current.
  CObjInfoList& objects = it->second.m_objects;
  if (it->second.m_bLoaded || objects.FindById(info.m_objId) != nullptr) objects.Put(info);
}

void CDBTableBase::NoteDeleted(int dbId, unsigned long recordId) {
  auto it = m_lists.find(dbId);
  if (it != m_lists.end()) it->second.m_objects.Remove(recordId);
}

void CDBTableBase::NoteSubbasesChanged(int dbId) {
  auto it = m_lists.find(dbId);
  if (it == m_lists.end()) return;
  it->second.m_bSbLoaded = false;  // read again when next asked for
}

CObjInfo* CDBTableBase::KeepRecord(int dbId, const CStoredObject& row) {
  return m_lists[dbId].m_objects.Put(InfoOfStored(row));
}

CObjInfo* CDBTableBase::ListRecordOf(int dbId, const CStoredObject& row) {
  // Loaded or not, the list takes the row as it is stored now: no reading
  // of the whole list for one object.
  if (StorageOf(dbId) == nullptr) return nullptr;
  return KeepRecord(dbId, row);
}

CObjInfo* CDBTableBase::FindListRecord(int dbId, unsigned long recordId) {
  CDBStorage* storage = StorageOf(dbId);
  if (storage == nullptr || recordId == 0) return nullptr;
  try {
    CStoredObject row;
    if (storage->FindObjectById(objtable(), recordId, &row)) return KeepRecord(dbId, row);
    NoteDeleted(dbId, recordId);
  } catch (const std::exception&) {
  }
  return nullptr;
}

CObjInfo* CDBTableBase::FindListRecordByName(int dbId, const std::string& name) {
  CDBStorage* storage = StorageOf(dbId);
  if (storage == nullptr || name.empty()) return nullptr;
  try {
    CStoredObject row;
    if (storage->FindObjectByName(objtable(), name, &row) && row.m_name == name) {
      return KeepRecord(dbId, row);
    }
  } catch (const std::exception&) {
  }
  return nullptr;
}

std::vector<CObjInfo*> CDBTableBase::FindListRecords(int dbId,
                                                     const std::vector<unsigned long>& recordIds) {
  std::vector<CObjInfo*> found;
  CDBStorage* storage = StorageOf(dbId);
  if (storage == nullptr || recordIds.empty()) return found;
  std::vector<unsigned long> sorted(recordIds);
  std::sort(sorted.begin(), sorted.end());
  sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
  std::vector<CStoredObject> rows;
  try {
    storage->ReadObjectsById(objtable(), sorted, rows);
  } catch (const std::exception&) {
    return found;
  }
  std::map<unsigned long, CObjInfo*> held;
  for (const CStoredObject& row : rows) held.emplace(row.m_recordId, KeepRecord(dbId, row));
  for (unsigned long id : sorted) {
    if (held.count(id) == 0) NoteDeleted(dbId, id);
  }
  for (unsigned long id : recordIds) {
    if (auto it = held.find(id); it != held.end()) found.push_back(it->second);
  }
  return found;
}

unsigned long CDBTableBase::NextRecordId(int dbId) {
  CDBStorage* storage = StorageOf(dbId);
  if (storage == nullptr) return 0;
  try {
    return storage->PeekRecordId(objtable());
  } catch (const std::exception&) {
    return 0;
  }
}

std::vector<CObjInfo> CDBTableBase::ObjectsFrom(int dbId, unsigned long firstId) {
  constexpr std::size_t kPage = 1000;
  std::vector<CObjInfo> infos;
  CDBStorage* storage = StorageOf(dbId);
  if (storage == nullptr || firstId == 0) return infos;
  try {
    CStoredObject after;
    after.m_recordId = firstId - 1;
    const CStoredObject* from = firstId > 1 ? &after : nullptr;
    std::vector<CStoredObject> rows;
    do {
      storage->ReadObjectPage(objtable(), EObjectOrder::kById, 0, from, kPage, rows);
      for (const CStoredObject& row : rows) infos.push_back(InfoOfStored(row));
      if (!rows.empty()) {
        after = rows.back();
        from = &after;
      }
    } while (rows.size() == kPage);
  } catch (const std::exception&) {
    infos.clear();
  }
  return infos;
}

bool CDBTableBase::SubbaseMemberIds(int dbId, const std::string& subbase,
                                    std::vector<unsigned long>& ids) {
  CDBStorage* storage = StorageOf(dbId);
  if (storage == nullptr) return false;
  try {
    const unsigned long id = storage->FindSubbase(objtable(), SubbaseNameOf(subbase));
    if (id == 0) return false;
    ids = storage->SubbaseMembers(objtable(), id);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

CObjInfoList& CDBTableBase::getobjlist(int dbId) { return ListsOf(dbId).m_objects; }

CObjInfoList& CDBTableBase::getsblist(int dbId) {
  CLists& lists = m_lists[dbId];
  RefreshSubbases(dbId, lists, false);
  return lists.m_subbases;
}

std::vector<std::string> CDBTableBase::getkwlist(int dbId) {
  CDBStorage* storage = StorageOf(dbId);
  if (storage == nullptr) return {};
  try {
    return storage->Keywords(objtable());
  } catch (const std::exception&) {
    return {};
  }
}

int CDBTableBase::AddKeyword(int dbId, const std::string& keyword) {
  CDBStorage* storage = StorageOf(dbId);
  if (storage == nullptr || keyword.empty()) return 0;
  try {
    storage->AddKeyword(objtable(), keyword);
    return 1;
  } catch (const std::exception&) {
    return 0;
  }
}

}  // namespace blastsearch
