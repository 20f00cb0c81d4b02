#include "gui/UndoCommands.h"

#include <exception>
#include <unordered_map>
#include <unordered_set>

#include "host/db/DBFunctions.h"
#include "host/db/DBObjectBase.h"
#include "host/db/DBTableBase.h"
#include "host/db/ObjInfo.h"
#include "platform/UserInteraction.h"

namespace blastsearch {

namespace {

// A copy of `object` to hand to the table (which changes what it stores).
std::unique_ptr<CDBObjectBase> CopyOf(const CDBObjectBase& object) {
  return std::unique_ptr<CDBObjectBase>(object.Clone());
}

// Stores `snapshot` under `recordId` (0: a new identifier) with its comment
// and subbases; the identifier stored, 0 when it failed (the table said why).
unsigned long StoreSnapshot(CDBTableBase& table, int dbId, unsigned long recordId,
                            const CObjectSnapshot& snapshot) {
  std::unique_ptr<CDBObjectBase> copy = CopyOf(*snapshot.m_pObject);
  if (!copy) return 0;
  if (recordId == 0) copy->m_recordId = 0;
  std::string subbase = kMainSubbase;
  if (table.InsertObject(recordId, copy.get(), 2, subbase, dbId) == 0) return 0;
  if (copy->InsertComment(dbId) == 0 && !copy->m_comments.empty()) {
    UserInteraction().ShowMessage(
        "The comment of \"" + copy->m_name + "\" can't be written; the item itself was stored",
        MB_ICONEXCLAMATION);
  }
  for (const std::string& name : snapshot.m_subbases) {
    table.IncludeIdsInSubbase(dbId, name, {copy->m_recordId});
  }
  return copy->m_recordId;
}

}  // namespace

namespace {

// The subbases (besides MAIN) each of `recordIds` belongs to.
std::unordered_map<unsigned long, std::vector<std::string>> SubbasesOf(
    CDBTableBase& table, int dbId, const std::vector<unsigned long>& recordIds) {
  // Member identifiers of each subbase, never the table's object list.
  const std::unordered_set<unsigned long> wanted(recordIds.begin(), recordIds.end());
  std::unordered_map<unsigned long, std::vector<std::string>> memberships;
  for (const auto& subbase : table.getsblist(dbId)) {
    std::vector<unsigned long> members;
    if (!table.SubbaseMemberIds(dbId, subbase->m_name, members)) continue;
    for (unsigned long id : members) {
      if (wanted.count(id) != 0) memberships[id].push_back(subbase->m_name);
    }
  }
  return memberships;
}

// The object `recordId` with its comment; null when it cannot be read.
std::shared_ptr<CDBObjectBase> ReadObject(CDBTableBase& table, int dbId, unsigned long recordId) {
  CObjInfo* info = table.FindListRecord(dbId, recordId);
  if (info == nullptr) return nullptr;
  std::shared_ptr<CDBObjectBase> object(table.GetObjectData(recordId, info->m_name.c_str(), dbId));
  if (object) object->LoadComment(dbId);
  return object;
}

}  // namespace

std::vector<CObjectSnapshot> TakeSnapshots(CDBTableBase& table, int dbId,
                                           const std::vector<unsigned long>& recordIds,
                                           std::vector<unsigned long>& unreadable) {
  std::vector<CObjectSnapshot> snapshots;
  std::unordered_map<unsigned long, std::vector<std::string>> memberships;
  try {
    memberships = SubbasesOf(table, dbId, recordIds);
  } catch (const std::exception&) {
    memberships.clear();  // stored again without their subbases
  }
  for (unsigned long id : recordIds) {
    CObjectSnapshot snapshot;
    try {
      snapshot.m_pObject = ReadObject(table, dbId, id);
    } catch (const std::exception&) {
      snapshot.m_pObject.reset();
    }
    if (!snapshot.m_pObject) {
      unreadable.push_back(id);
      continue;
    }
    snapshot.m_subbases = std::move(memberships[id]);
    snapshots.push_back(std::move(snapshot));
  }
  return snapshots;
}

bool TakeSnapshot(CDBTableBase& table, int dbId, unsigned long recordId, CObjectSnapshot& out) {
  std::vector<unsigned long> unreadable;
  std::vector<CObjectSnapshot> taken = TakeSnapshots(table, dbId, {recordId}, unreadable);
  if (taken.empty()) return false;
  out = std::move(taken.front());
  return true;
}

CDeleteObjectsCommand::CDeleteObjectsCommand(CDBTableBase& table, int dbId,
                                             std::vector<CObjectSnapshot> objects,
                                             std::function<void()> changed)
    : m_table(table), m_nDbId(dbId), m_objects(std::move(objects)), m_changed(std::move(changed)) {
  for (const CObjectSnapshot& object : m_objects) m_ids.push_back(object.m_pObject->m_recordId);
  setText(m_objects.size() == 1
              ? QStringLiteral("Delete \"%1\"")
                    .arg(QString::fromStdString(m_objects.front().m_pObject->m_name))
              : QStringLiteral("Delete %1 results").arg(m_objects.size()));
}

void CDeleteObjectsCommand::redo() {
  m_nFailures = 0;
  for (unsigned long& id : m_ids) {
    if (id != 0 && m_table.DeleteObjectById(id, m_nDbId) == 1) {
      id = 0;
    } else {
      ++m_nFailures;
    }
  }
  if (m_changed) m_changed();
}

void CDeleteObjectsCommand::undo() {
  m_nFailures = 0;
  for (std::size_t i = 0; i < m_objects.size(); ++i) {
    if (m_ids[i] != 0) continue;  // it was not deleted
    m_ids[i] = StoreSnapshot(m_table, m_nDbId, 0, m_objects[i]);
    if (m_ids[i] == 0) ++m_nFailures;
  }
  if (m_changed) m_changed();
}

CChangeObjectCommand::CChangeObjectCommand(const QString& text, CDBTableBase& table, int dbId,
                                           unsigned long recordId, CObjectSnapshot before,
                                           CObjectSnapshot after, std::function<void()> changed)
    : m_table(table),
      m_nDbId(dbId),
      m_recordId(recordId),
      m_before(std::move(before)),
      m_after(std::move(after)),
      m_changed(std::move(changed)) {
  setText(text);
}

void CChangeObjectCommand::Store(const CObjectSnapshot& snapshot) {
  // Only an object still stored is changed back: one deleted meanwhile
  // stays deleted.
  if (m_table.FindListRecord(m_nDbId, m_recordId) != nullptr) {
    StoreSnapshot(m_table, m_nDbId, m_recordId, snapshot);
  }
  if (m_changed) m_changed();
}

void CChangeObjectCommand::undo() { Store(m_before); }

void CChangeObjectCommand::redo() {
  if (m_bDone) {
    m_bDone = false;  // pushed after the change was made
    return;
  }
  Store(m_after);
}

}  // namespace blastsearch
