#pragma once

#include <QUndoCommand>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

class CDBObjectBase;
class CDBTableBase;

// A stored object as it was at one moment: its whole object (comment
// included) and the subbases it belonged to, enough to store it again.
struct CObjectSnapshot {
  std::shared_ptr<CDBObjectBase> m_pObject;  // never null in a snapshot taken
  std::vector<std::string> m_subbases;       // subbases besides MAIN
};

// Takes the snapshot of the object `recordId` of `table` in database
// `dbId`; false when it cannot be read (gone or damaged).
bool TakeSnapshot(CDBTableBase& table, int dbId, unsigned long recordId, CObjectSnapshot& out);
// The snapshots of the objects `recordIds` (each subbase read once, not once
// per object); the identifiers whose objects cannot be read go into
// `unreadable`.
std::vector<CObjectSnapshot> TakeSnapshots(CDBTableBase& table, int dbId,
                                           const std::vector<unsigned long>& recordIds,
                                           std::vector<unsigned long>& unreadable);

// Deletes results and brings them back. The first redo (when pushed)
// deletes; undo stores each again with its comment and subbases (under a
// new record identifier: identifiers are never reused) and redo deletes
// those. `changed` is called after each step (the window lists again).
class CDeleteObjectsCommand : public QUndoCommand {
 public:
  CDeleteObjectsCommand(CDBTableBase& table, int dbId, std::vector<CObjectSnapshot> objects,
                        std::function<void()> changed);
  void undo() override;
  void redo() override;
  // Objects the last step could not delete or store again.
  int Failures() const { return m_nFailures; }

 private:
  CDBTableBase& m_table;
  int m_nDbId;
  std::vector<CObjectSnapshot> m_objects;
  std::vector<unsigned long> m_ids;  // the record identifiers stored now
  std::function<void()> m_changed;
  int m_nFailures = 0;
};

// A change of one object made already (rename, editor): undo stores the
// object as it was before, redo as it was after, both under its record
// identifier. Nothing happens on the first redo (the change is made).
class CChangeObjectCommand : public QUndoCommand {
 public:
  CChangeObjectCommand(const QString& text, CDBTableBase& table, int dbId, unsigned long recordId,
                       CObjectSnapshot before, CObjectSnapshot after,
                       std::function<void()> changed);
  void undo() override;
  void redo() override;

 private:
  void Store(const CObjectSnapshot& snapshot);

  CDBTableBase& m_table;
  int m_nDbId;
  unsigned long m_recordId;
  CObjectSnapshot m_before;
  CObjectSnapshot m_after;
  std::function<void()> m_changed;
  bool m_bDone = true;
};

}  // namespace BLASTSEARCH_EXPORT
