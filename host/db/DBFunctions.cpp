#include "host/db/DBFunctions.h"

#include <algorithm>
#include <cctype>
#include <ctime>
#include <map>
#include <set>

#include "host/db/DBEngine.h"
#include "host/db/DBException.h"
#include "host/db/DBTableBase.h"
#include "host/db/DBTableStore.h"
#include "host/db/ObjInfo.h"

namespace blastsearch {

namespace {

CDBTableBase* TableOfSubbaseTable(int sbTable) {
  for (CDBTableBase* table : engine().get_tables()) {
    if (table->sbtable() == sbTable) return table;
  }
  return nullptr;
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

}  // namespace

namespace {

std::map<std::pair<int, int>, std::set<unsigned long>>& PendingIds() {
  static std::map<std::pair<int, int>, std::set<unsigned long>> pending;
  return pending;
}

}  // namespace

void AddPendingRecordId(int dbId, int table, unsigned long recordId) {
  PendingIds()[{dbId, table}].insert(recordId);
}

bool TakePendingRecordId(int dbId, int table, unsigned long recordId) {
  auto it = PendingIds().find({dbId, table});
  return it != PendingIds().end() && it->second.erase(recordId) != 0;
}

bool IsPendingRecordId(int dbId, int table, unsigned long recordId) {
  auto it = PendingIds().find({dbId, table});
  return it != PendingIds().end() && it->second.count(recordId) != 0;
}

unsigned long LastPendingRecordId(int dbId, int table) {
  auto it = PendingIds().find({dbId, table});
  return it == PendingIds().end() || it->second.empty() ? 0 : *it->second.rbegin();
}

void ForgetPendingRecordIds(int dbId) {
  for (auto it = PendingIds().begin(); it != PendingIds().end();) {
    it = it->first.first == dbId ? PendingIds().erase(it) : std::next(it);
  }
}

bool IsMainSubbase(const std::string& subbase) {
  return subbase.empty() || Lower(subbase) == "main";
}

std::string MakeUniqueObjectName(int table, int dbId, const std::string& name,
                                 unsigned long recordId) {
  CDBStorage* storage = engine().Storage(dbId);
  if (storage == nullptr) throw CDBException("database " + std::to_string(dbId) + " is not open");
  CStoredObject row;
  if (!storage->FindObjectByName(table, name, &row) || row.m_recordId == recordId) return name;
  // Above the highest number already given to this name.
  const std::string prefix = name + "_";
  const unsigned long highest = std::max(1UL, storage->HighestNameNumber(table, prefix));
  std::string candidate;
  for (unsigned long n = highest + 1;; ++n) {
    candidate = prefix + std::to_string(n);
    if (!storage->FindObjectByName(table, candidate, &row) || row.m_recordId == recordId) break;
  }
  return candidate;
}

CObjInfo* FindObject(int objType, int dbId, const std::string& name) {
  CDBTableBase* table = engine().TableByID(engine().ObjtypeToObjtable(objType));
  CDBStorage* storage = engine().Storage(dbId);
  if (table == nullptr || storage == nullptr) return nullptr;
  try {
    CStoredObject row;
    if (!storage->FindObjectByName(table->objtable(), name, &row)) return nullptr;
    // Without reloading the whole list when another process changed it.
    CObjInfo* info = table->ListRecordOf(dbId, row);
    return info != nullptr && info->m_name == name ? info : nullptr;
  } catch (const std::exception&) {
    return nullptr;
  }
}

std::string CutObjectName(std::string name, std::size_t limit) {
  for (char& c : name) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
  }
  if (name.size() > limit) {
    std::size_t end = limit;
    // Back to the start of a character: continuation bytes are 10xxxxxx.
    while (end > 0 && (static_cast<unsigned char>(name[end]) & 0xC0) == 0x80) --end;
    name.resize(end);
  }
  while (!name.empty() && name.back() == ' ') name.pop_back();
  return name;
}

int GetSaveObjIdFromTable(int table, CObject* /*list*/, std::string& name, unsigned long& recordId,
                          int /*mode*/, int dbId, const char* /*text*/, int /*flag*/) {
  CDBStorage* storage = engine().Storage(dbId);
  if (storage == nullptr) return 0;
  try {
    // Reserved in this process only; InsertObject settles it inside its
    // transaction, so a new object costs one write transaction.
    const unsigned long id =
        std::max(storage->PeekRecordId(table), LastPendingRecordId(dbId, table) + 1);
    std::string wanted = CutObjectName(name, kMaxObjectName);
    std::string unique = MakeUniqueObjectName(table, dbId, wanted, id);
    // Room for the number: each pass cuts by what the number added.
    for (int pass = 0; unique.size() > kMaxObjectName && pass < 4 && !wanted.empty(); ++pass) {
      wanted = CutObjectName(wanted, kMaxObjectName - (unique.size() - wanted.size()));
      unique = MakeUniqueObjectName(table, dbId, wanted, id);
    }
    name = unique;
    AddPendingRecordId(dbId, table, id);
    recordId = id;
    return 1;
  } catch (const std::exception&) {
    return 0;
  }
}

void MakeLocal(int& localFlags, CCreatorData& creator) {
  localFlags |= 1;
  creator.LoadCreatorData();
}

long GetOrvCurrentTime() { return static_cast<long>(std::time(nullptr)); }

int fill_in_names(int table, std::vector<std::string>& names, CListBox* /*listBox*/,
                  CComboBox* /*comboBox*/, const std::string& subbase, int /*mode*/, int dbId) {
  CDBTableBase* owner = engine().TableByID(table);
  if (owner == nullptr) return 0;
  const std::size_t before = names.size();
  owner->SubbaseObjectNames(dbId, subbase, names);
  return static_cast<int>(names.size() - before);
}

int replace_subbase(int sbTable, const std::string& name, const std::vector<std::string>& names,
                    CListBox* /*listBox*/, int dbId) {
  CDBTableBase* owner = TableOfSubbaseTable(sbTable);
  return owner != nullptr ? owner->NewSubbase(dbId, name, names, 1) : 0;
}

bool GetObjSubset(int table, const std::string& subbase, int dbId, std::vector<CObjInfo*>& subset) {
  CDBTableBase* owner = engine().TableByID(table);
  CDBStorage* storage = engine().Storage(dbId);
  if (owner == nullptr || storage == nullptr) return false;
  const CObjInfoList& list = owner->getobjlist(dbId);
  if (IsMainSubbase(subbase)) {
    subset.reserve(subset.size() + list.GetCount());
    for (const auto& info : list) subset.push_back(info.get());
    return true;
  }
  try {
    const unsigned long id = storage->FindSubbase(table, SubbaseNameOf(subbase));
    if (id == 0) return false;
    for (unsigned long member : storage->SubbaseMembers(table, id)) {
      if (CObjInfo* info = list.FindById(member); info != nullptr) subset.push_back(info);
    }
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

int CheckStringContext(const std::string& text, const std::vector<std::string>& substrings,
                       int matchCase) {
  const std::string haystack = matchCase != 0 ? text : Lower(text);
  for (const std::string& substring : substrings) {
    if (substring.empty()) continue;
    const std::string needle = matchCase != 0 ? substring : Lower(substring);
    if (haystack.find(needle) != std::string::npos) return 1;
  }
  return 0;
}

int CheckCreatorContext(const CCreatorData& creator, const std::vector<std::string>& substrings,
                        int matchCase) {
  return CheckStringContext(creator.m_strName, substrings, matchCase) != 0 ||
                 CheckStringContext(creator.m_strOrganization, substrings, matchCase) != 0 ||
                 CheckStringContext(creator.m_strEmail, substrings, matchCase) != 0
             ? 1
             : 0;
}

int check_string_value(const std::string& value) {
  if (value.size() > 250) return 0;
  for (unsigned char c : value) {
    if (c < 0x20 || c == 0x7F) return 0;
  }
  return 1;
}

}  // namespace blastsearch
