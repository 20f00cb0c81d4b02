#pragma once

// Helpers of the table base's source files (not for other callers).

#include <string>
#include <vector>

#include "host/db/DBException.h"
#include "host/db/DBStorage.h"
#include "host/db/DBTableBase.h"
#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

// The record `table` writes for `object` (WriteObject over memory).
std::string RecordOfObject(CDBTableBase& table, const CDBObjectBase& object);
// A new object read by `table` from `record`, or null. Owned by the caller.
CDBObjectBase* ObjectOfRecord(CDBTableBase& table, const std::string& record);

// A change refused for a reason the person should read as it is; raised
// inside a write transaction so that it is rolled back (and the lock given
// up) before the message is shown.
class CDBRefusal : public CDBException {
 public:
  using CDBException::CDBException;
};

// Shows a failure with the stop icon.
void ReportDBFailure(const std::string& text);

// Inside an open write transaction of `storage` (database `dbId`): stores
// `object` of `table`. `recordId` 0 gets a new identifier; an identifier of
// a stored object replaces it when `replace`, else gets a new one; a free
// one is kept. The name is made unique. Sets object.m_recordId and m_name,
// enters the object in subbase `subbaseId` (0: none), stores its keywords
// and user-defined field values, and returns its list record. Throws.
CObjInfo StoreObjectInTransaction(CDBTableBase& table, CDBStorage& storage, int dbId,
                                  CDBObjectBase& object, unsigned long recordId, bool replace,
                                  unsigned long subbaseId);

// The subbase `name` of `table` in `storage`: its identifier, created when
// absent (name cut to 250 characters); 0 for the whole table. Throws.
unsigned long SubbaseForStoring(CDBTableBase& table, CDBStorage& storage, const std::string& name);

// Identifiers GetSaveObjIdFromTable handed out in this process for new
// objects, not yet stored: InsertObject stores an object under such an
// identifier as a new object, taking another one when a different process
// stored an object under it meanwhile. Taking answers whether `recordId` was
// pending (and forgets it); ForgetPendingRecordIds drops those of `dbId`.
void AddPendingRecordId(int dbId, int table, unsigned long recordId);
bool TakePendingRecordId(int dbId, int table, unsigned long recordId);
bool IsPendingRecordId(int dbId, int table, unsigned long recordId);
unsigned long LastPendingRecordId(int dbId, int table);
void ForgetPendingRecordIds(int dbId);

// Removes the comment file of an object; quiet.
void RemoveCommentFile(CDBTableBase& table, unsigned long recordId, int dbId);

}  // namespace BLASTSEARCH_EXPORT
