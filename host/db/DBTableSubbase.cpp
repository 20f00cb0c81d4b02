// Subbases of a table: named selections of its objects.

#include "host/db/DBException.h"
#include "host/db/DBFunctions.h"
#include "host/db/DBTableBase.h"
#include "host/db/DBTableStore.h"

namespace blastsearch {

namespace {

bool UsableSubbaseName(const std::string& name) {
  if (name.empty() || IsMainSubbase(name)) {
    ReportDBFailure("\"" + name + "\" can't be the name of a subbase");
    return false;
  }
  // Lists show one subbase a line: no line ends or other control characters.
  if (check_string_value(name) == 0) {
    ReportDBFailure("A subbase's name can't hold a line end or another control character");
    return false;
  }
  return true;
}

}  // namespace

bool CDBTableBase::SubbaseObjectNames(int dbId, const std::string& subbase,
                                      std::vector<std::string>& names) {
  std::vector<CObjInfo*> subset;
  if (!GetObjSubset(objtable(), subbase, dbId, subset)) return false;
  for (const CObjInfo* info : subset) names.push_back(info->m_name);
  return true;
}

namespace {

// The record identifiers of the objects `names` of `table` that exist.
std::vector<unsigned long> IdsOfNames(CDBStorage& storage, int table,
                                      const std::vector<std::string>& names) {
  std::vector<unsigned long> ids;
  CStoredObject row;
  for (const std::string& member : names) {
    if (storage.FindObjectByName(table, member, &row)) ids.push_back(row.m_recordId);
  }
  return ids;
}

// Refuses the change unless every object `ids` of `table` exists.
void RequireObjects(CDBStorage& storage, int table, const std::vector<unsigned long>& ids) {
  for (unsigned long id : ids) {
    if (!storage.FindObjectById(table, id, nullptr)) {
      throw CDBRefusal("The item with UID " + std::to_string(id) + " is no longer in the database");
    }
  }
}

}  // namespace

int CDBTableBase::NewSubbase(int dbId, const std::string& name,
                             const std::vector<std::string>& names, int replace) {
  CDBStorage* storage = StorageOf(dbId);
  if (storage == nullptr) return 0;
  std::vector<unsigned long> ids;
  try {
    ids = IdsOfNames(*storage, objtable(), names);
  } catch (const std::exception& e) {
    ReportDBFailure("The subbase \"" + name + "\" can't be made:\n" + e.what());
    return 0;
  }
  return NewSubbaseOfIds(dbId, name, ids, replace);
}

int CDBTableBase::NewSubbaseOfIds(int dbId, const std::string& name,
                                  const std::vector<unsigned long>& ids, int replace) {
  CDBStorage* storage = StorageOf(dbId);
  const std::string cut = SubbaseNameOf(name);
  if (storage == nullptr || !UsableSubbaseName(cut)) return 0;
  try {
    CDBWriteTransaction transaction(*storage);
    RequireObjects(*storage, objtable(), ids);
    unsigned long id = storage->FindSubbase(objtable(), cut);
    if (id != 0 && replace == 0) throw CDBRefusal("A subbase named \"" + cut + "\" already exists");
    if (id != 0)
      storage->ClearSubbase(objtable(), id);
    else
      id = storage->CreateSubbase(objtable(), cut);
    for (unsigned long member : ids) storage->AddToSubbase(objtable(), id, member);
    transaction.Commit();
  } catch (const CDBRefusal& refusal) {
    ReportDBFailure(refusal.what());
    return 0;
  } catch (const std::exception& e) {
    ReportDBFailure("The subbase \"" + cut + "\" can't be made:\n" + e.what());
    return 0;
  }
  NoteSubbasesChanged(dbId);
  ++m_sbChanges;
  return 1;
}

namespace {

// Runs `change` on the subbase `name` in one transaction: 1, 0 with a message
// (the change throws CDBRefusal to refuse).
template <class Change>
int ChangeSubbase(CDBStorage* storage, int table, const std::string& name, const char* what,
                  Change change) {
  if (storage == nullptr) return 0;
  try {
    CDBWriteTransaction transaction(*storage);
    const unsigned long id = storage->FindSubbase(table, SubbaseNameOf(name));
    if (id == 0) throw CDBRefusal("The subbase \"" + name + "\" doesn't exist");
    change(*storage, id);
    transaction.Commit();
    return 1;
  } catch (const CDBRefusal& refusal) {
    ReportDBFailure(refusal.what());
    return 0;
  } catch (const std::exception& e) {
    ReportDBFailure("The subbase \"" + name + "\" can't be " + what + ":\n" + e.what());
    return 0;
  }
}

}  // namespace

int CDBTableBase::RenameSubbase(int dbId, const std::string& name, const std::string& newName) {
  const std::string cut = SubbaseNameOf(newName);
  if (!UsableSubbaseName(cut)) return 0;
  const int table = objtable();
  int done = ChangeSubbase(StorageOf(dbId), table, name, "renamed",
                           [&](CDBStorage& storage, unsigned long id) {
                             const unsigned long other = storage.FindSubbase(table, cut);
                             if (other != 0 && other != id) {
                               throw CDBRefusal("A subbase named \"" + cut + "\" already exists");
                             }
                             storage.RenameSubbase(table, id, cut);
                             return 1;
                           });
  if (done != 0) {
    NoteSubbasesChanged(dbId);
    ++m_sbChanges;
  }
  return done;
}

int CDBTableBase::DismissSubbase(int dbId, const std::string& name) {
  const int table = objtable();
  int done = ChangeSubbase(StorageOf(dbId), table, name, "dismissed",
                           [&](CDBStorage& storage, unsigned long id) {
                             storage.DeleteSubbase(table, id);
                             return 1;
                           });
  if (done != 0) {
    NoteSubbasesChanged(dbId);
    ++m_sbChanges;
  }
  return done;
}

int CDBTableBase::ClearSubbase(int dbId, const std::string& name) {
  const int table = objtable();
  int done = ChangeSubbase(StorageOf(dbId), table, name, "cleared",
                           [&](CDBStorage& storage, unsigned long id) {
                             storage.ClearSubbase(table, id);
                             return 1;
                           });
  if (done != 0) ++m_sbChanges;
  return done;
}

int CDBTableBase::DeleteSubbaseContents(int dbId, const std::string& name) {
  CDBStorage* storage = StorageOf(dbId);
  if (storage == nullptr) return 0;
  const int table = objtable();
  std::vector<unsigned long> deleted;
  try {
    CDBWriteTransaction transaction(*storage);
    if (IsMainSubbase(name)) {
      storage->ForEachObject(table,
                             [&](const CStoredObject& row) { deleted.push_back(row.m_recordId); });
    } else {
      const unsigned long id = storage->FindSubbase(table, SubbaseNameOf(name));
      if (id == 0) throw CDBRefusal("The subbase \"" + name + "\" doesn't exist");
      deleted = storage->SubbaseMembers(table, id);
    }
    // Every one was listed in this transaction, so each is there to delete.
    for (unsigned long recordId : deleted) (void)storage->DeleteObject(table, recordId);
    transaction.Commit();
  } catch (const CDBRefusal& refusal) {
    ReportDBFailure(refusal.what());
    return 0;
  } catch (const std::exception& e) {
    ReportDBFailure("The contents of the subbase \"" + name + "\" can't be deleted:\n" + e.what());
    return 0;
  }
  for (unsigned long recordId : deleted) {
    RemoveCommentFile(*this, recordId, dbId);
    NoteDeleted(dbId, recordId);
  }
  m_objChanges += static_cast<int>(deleted.size());
  return 1;
}

int CDBTableBase::IncludeInSubbase(int dbId, const std::string& name,
                                   const std::vector<std::string>& names) {
  const int table = objtable();
  return ChangeSubbase(StorageOf(dbId), table, name, "changed",
                       [&](CDBStorage& storage, unsigned long id) {
                         CStoredObject row;
                         for (const std::string& member : names) {
                           if (!storage.FindObjectByName(table, member, &row)) {
                             throw CDBRefusal("The item \"" + member + "\" is not in the database");
                           }
                           storage.AddToSubbase(table, id, row.m_recordId);
                         }
                         return 1;
                       });
}

int CDBTableBase::ExcludeFromSubbase(int dbId, const std::string& name,
                                     const std::vector<std::string>& names) {
  const int table = objtable();
  return ChangeSubbase(StorageOf(dbId), table, name, "changed",
                       [&](CDBStorage& storage, unsigned long id) {
                         CStoredObject row;
                         for (const std::string& member : names) {
                           if (storage.FindObjectByName(table, member, &row)) {
                             storage.RemoveFromSubbase(table, id, row.m_recordId);
                           }
                         }
                         return 1;
                       });
}

int CDBTableBase::IncludeIdsInSubbase(int dbId, const std::string& name,
                                      const std::vector<unsigned long>& ids) {
  const int table = objtable();
  return ChangeSubbase(StorageOf(dbId), table, name, "changed",
                       [&](CDBStorage& storage, unsigned long id) {
                         RequireObjects(storage, table, ids);
                         for (unsigned long member : ids) storage.AddToSubbase(table, id, member);
                         return 1;
                       });
}

int CDBTableBase::ExcludeIdsFromSubbase(int dbId, const std::string& name,
                                        const std::vector<unsigned long>& ids) {
  const int table = objtable();
  return ChangeSubbase(StorageOf(dbId), table, name, "changed",
                       [&](CDBStorage& storage, unsigned long id) {
                         RequireObjects(storage, table, ids);
                         for (unsigned long member : ids) {
                           storage.RemoveFromSubbase(table, id, member);
                         }
                         return 1;
                       });
}

}  // namespace blastsearch
