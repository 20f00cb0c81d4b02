#include "host/db/DBFunctions.h"

#include <algorithm>
#include <cctype>
#include <ctime>

#include "host/db/DBEngine.h"
#include "host/db/DBException.h"
#include "host/db/DBTableBase.h"
#include "host/db/DBTableStore.h"
#include "host/db/ObjInfo.h"

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

bool IsMainSubbase(const std::string& subbase) {
  return subbase.empty() || Lower(subbase) == "main";
}

std::string MakeUniqueObjectName(int table, int dbId, const std::string& name,
                                 unsigned long recordId) {
  CDBStorage* storage = engine().Storage(dbId);
  if (storage == nullptr) throw CDBException("database " + std::to_string(dbId) + " is not open");
  CStoredObject row;
  std::string candidate = name;
  for (unsigned n = 2; storage->FindObjectByName(table, candidate, &row) &&
                       row.m_recordId != recordId;
       ++n) {
    candidate = name + "_" + std::to_string(n);
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
    CObjInfoList& list = table->getobjlist(dbId);
    CObjInfo* info = list.FindById(row.m_recordId);
    if (info == nullptr || info->m_name != name) {
      // Stored by another process since the list was read.
      table->LoadTable(dbId);
      info = list.FindById(row.m_recordId);
    }
    return info != nullptr && info->m_name == name ? info : nullptr;
  } catch (const std::exception&) {
    return nullptr;
  }
}

int GetSaveObjIdFromTable(int table, CObject* /*list*/, std::string& name,
                          unsigned long& recordId, int /*mode*/, int dbId, const char* /*text*/,
                          int /*flag*/) {
  CDBStorage* storage = engine().Storage(dbId);
  if (storage == nullptr) return 0;
  try {
    const unsigned long id = storage->ReserveRecordId(table);
    name = MakeUniqueObjectName(table, dbId, name, id);
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

bool GetObjSubset(int table, const std::string& subbase, int dbId,
                  std::vector<CObjInfo*>& subset) {
  CDBTableBase* owner = engine().TableByID(table);
  CDBStorage* storage = engine().Storage(dbId);
  if (owner == nullptr || storage == nullptr) return false;
  const CObjInfoList& list = owner->getobjlist(dbId);
  if (IsMainSubbase(subbase)) {
    for (const auto& info : list) subset.push_back(info.get());
    return true;
  }
  try {
    const unsigned long id = storage->FindSubbase(table, subbase);
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
