#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "host/db/DBField.h"
#include "host/db/ObjInfo.h"
#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

// The list columns of one stored object, beside its record.
struct CStoredObject {
  unsigned long m_recordId = 0;
  std::string m_name;
  int m_objType = 0;
  long m_creationTime = 0;
  int m_tableNumber = 0;
  std::string m_tableText;
  std::string m_author;
};

// The list record of a stored object's list columns, and back (the same
// columns; nothing else is kept or read).
CObjInfo InfoOfStored(const CStoredObject& row);
CStoredObject StoredOfInfo(const CObjInfo& info);

// A subbase: its identifier and name.
struct CStoredSubbase {
  unsigned long m_id = 0;
  std::string m_name;
};

// The order of a page of objects (CDBStorage::ReadObjectPage): by
// identifier, or by name (bytes) upwards or downwards.
enum class EObjectOrder { kById, kByName, kByNameDescending };

// Conditions that narrow a search to candidate objects; every condition
// given must hold (an empty one is no condition). Each stands for a filter
// of the search, which still confirms every candidate.
struct CCandidateQuery {
  // The hit count (the list number) lies in one of these ranges, inclusive.
  std::vector<std::pair<long, long>> m_hitCountRanges;
  // The name holds this text (case-sensitive).
  std::string m_nameSubstring;
  // The object carries one of these keywords (exact).
  std::vector<std::string> m_keywords;
  // A value of one of the user-defined fields or the description holds one
  // of these texts (letter case ignored: a superset of both kinds of match).
  std::vector<std::string> m_textSubstrings;
  // ... or the object's comment does (found through the comment index,
  // which the caller brings up to date first).
  bool m_bTextInComments = false;
};

// Narrows the candidates `ids` (ascending) to those also in `found`
// (ascending); the first narrowing (`narrowed` false) takes `found` whole.
// Sets `narrowed`. For the storages' CandidateIds.
inline void NarrowCandidateIds(std::vector<unsigned long>& ids, std::vector<unsigned long> found,
                               bool& narrowed) {
  if (narrowed) {
    std::vector<unsigned long> both;
    std::set_intersection(ids.begin(), ids.end(), found.begin(), found.end(),
                          std::back_inserter(both));
    found.swap(both);
  }
  ids.swap(found);
  narrowed = true;
}

// A remote search submitted and not yet stored, kept so that a search cut
// short can be resumed by its request ID.
struct CStoredRemoteRequest {
  std::string m_strRid;         // the service's request ID
  long long m_nSubmitted = 0;   // when it was submitted (seconds since 1970)
  std::string m_strProgram;     // blastp, ...
  std::string m_strDatabase;    // the service's database name
  std::string m_strSearchLine;  // what each result keeps of the run
};

// What the comment index knows of an object's comment file: its size and
// modification time (nanoseconds) when its text was read.
struct CCommentStamp {
  unsigned long m_recordId = 0;
  std::int64_t m_size = 0;
  std::int64_t m_mtime = 0;
};

// Where the object database keeps its data: the narrow interface between the
// framework and one storage engine (SQLite now; room for a server database).
// Tables are named by their object table identifier (201 for BLAST search
// objects); record identifiers are unique in their table and never reused.
//
// Every failure raises CDBException naming the database and what failed.
// Changes outside an explicit write transaction (BeginWrite) are each their
// own transaction. Used from one thread; several processes may use one
// database at once (a writer waits for another up to a timeout).
class CDBStorage {
 public:
  virtual ~CDBStorage() = default;

  // The database's file (or address), for messages.
  virtual const std::string& GetPath() const = 0;

  // Starts a write transaction that takes the write lock at once, so that
  // every check made inside it holds until Commit. Throws when one is
  // already open or the lock cannot be had within the timeout.
  virtual void BeginWrite() = 0;
  virtual void Commit() = 0;
  // Undoes the open transaction; harmless when none is open.
  virtual void Rollback() noexcept = 0;
  virtual bool InTransaction() const = 0;
  // With `deferred`, later commits are not synced to the disk one by one: a
  // killed process still loses none, a power cut may lose the last ones.
  // Turning it off syncs what was deferred before it returns, and every
  // later commit is synced again. Throws CDBException when that sync fails.
  virtual void SetDeferredSync(bool deferred) = 0;
  // Changes whenever another connection has committed a change since the
  // last call returned; on a server, once the server has told of that
  // commit (a moment after it), without asking the server each time.
  virtual std::uint64_t DataVersion() = 0;

  // ---- objects ----
  // A new record identifier of `table`, never handed out before.
  virtual unsigned long ReserveRecordId(int table) = 0;
  // The identifier ReserveRecordId would hand out now, reserving nothing
  // (read only; another process may take it first).
  virtual unsigned long PeekRecordId(int table) = 0;
  // Makes sure identifiers handed out later are above `recordId`.
  virtual void NoteRecordId(int table, unsigned long recordId) = 0;
  // Calls `row` for every object of `table` in identifier order; the row is
  // valid during the call only.
  virtual void ForEachObject(int table, const std::function<void(const CStoredObject&)>& row) = 0;
  // Appends to `items` a new list record of every object of `table`, in
  // identifier order, filled from the list columns alone (the fastest way
  // to load a whole list).
  virtual void AppendObjectInfos(int table, CObjInfoList::Items& items) = 0;
  virtual std::size_t CountObjects(int table) = 0;
  // Finds an object; fills `row` (may be null) and returns true when found.
  [[nodiscard]] virtual bool FindObjectByName(int table, std::string_view name,
                                              CStoredObject* row) = 0;
  [[nodiscard]] virtual bool FindObjectById(int table, unsigned long recordId,
                                            CStoredObject* row) = 0;
  // Names of `table`'s objects that begin with `prefix`, in name order.
  virtual std::vector<std::string> NamesWithPrefix(int table, std::string_view prefix) = 0;
  // The highest number n written with 1 to 9 decimal digits (leading zeros
  // allowed) such that `prefix` followed by those digits names an object of
  // `table`; 0 when there is none. A few indexed steps however many names
  // begin with `prefix`.
  virtual unsigned long HighestNameNumber(int table, std::string_view prefix) = 0;
  // The stored record of an object; false when there is none. A record whose
  // bytes differ from those stored (its checksum) is given empty, as a
  // damaged record that no reader accepts.
  [[nodiscard]] virtual bool ReadRecord(int table, unsigned long recordId, std::string& record) = 0;
  // Stores an object's list columns and record, replacing an object of the
  // same identifier. Throws when another object of the table has the name.
  virtual void PutObject(int table, const CStoredObject& row, std::string_view record) = 0;
  // Renames an object's list entry (not its record).
  virtual void RenameObject(int table, unsigned long recordId, std::string_view name) = 0;
  // Removes an object with its subbase memberships and field values; its
  // identifier is not handed out again. False when there was none.
  [[nodiscard]] virtual bool DeleteObject(int table, unsigned long recordId) = 0;

  // ---- lookup keys of objects (what an object is, for finding it again) ----
  // Replaces the keys of the object `recordId` with `keys` (none: removes
  // them). The keys go with the object: DeleteObject removes them.
  virtual void SetObjectKeys(int table, unsigned long recordId,
                             const std::vector<std::string>& keys) = 0;
  // The identifiers of `table`'s objects that have the key `key`, ascending.
  virtual std::vector<unsigned long> ObjectsWithKey(int table, std::string_view key) = 0;
  // Calls `row` with the identifier and key of every key of `table`'s
  // objects that begins with `prefix` (non-empty), in key order; one read of
  // the keys however many objects there are. Arguments valid during the call.
  virtual void ForEachObjectKey(
      int table, std::string_view prefix,
      const std::function<void(unsigned long, std::string_view)>& row) = 0;

  // Calls `row` with the identifier and key of every key of the objects of
  // `table` whose identifiers lie from `first` to `last` (inclusive), in
  // identifier then key order: one indexed read, for a page of objects.
  // Arguments valid during the call.
  virtual void ForEachKeyOfObjects(
      int table, unsigned long first, unsigned long last,
      const std::function<void(unsigned long, std::string_view)>& row) = 0;

  // ---- subbases of a table's objects ----
  virtual std::vector<CStoredSubbase> Subbases(int table) = 0;
  // The identifier of the subbase `name` (exact), or 0.
  virtual unsigned long FindSubbase(int table, std::string_view name) = 0;
  virtual unsigned long CreateSubbase(int table, std::string_view name) = 0;
  virtual void RenameSubbase(int table, unsigned long subbase, std::string_view name) = 0;
  // Removes the subbase and its memberships (not its objects).
  virtual void DeleteSubbase(int table, unsigned long subbase) = 0;
  virtual void ClearSubbase(int table, unsigned long subbase) = 0;
  virtual void AddToSubbase(int table, unsigned long subbase, unsigned long recordId) = 0;
  virtual void RemoveFromSubbase(int table, unsigned long subbase, unsigned long recordId) = 0;
  // Record identifiers of the subbase's objects, ascending.
  virtual std::vector<unsigned long> SubbaseMembers(int table, unsigned long subbase) = 0;

  // ---- keywords known to a table ----
  virtual std::vector<std::string> Keywords(int table) = 0;
  virtual void AddKeyword(int table, std::string_view keyword) = 0;

  // ---- field values kept beside the records (user-defined fields) ----
  // Replaces every value an object has for `field` with `values`.
  virtual void SetFieldValues(int table, unsigned long recordId, int field,
                              const std::vector<std::string>& values) = 0;
  virtual std::vector<std::string> FieldValues(int table, unsigned long recordId, int field) = 0;
  // Removes every field value of an object.
  virtual void ClearFieldValues(int table, unsigned long recordId) = 0;

  // ---- user-defined field definitions (the host's table 8) ----
  virtual std::vector<CUDFieldDef> UDFieldDefs() = 0;
  // Enters `def`; a definition of the same name is replaced. Returns the
  // identifier given (def.m_fieldId when non-zero, else a new one).
  virtual int PutUDFieldDef(const CUDFieldDef& def) = 0;
  [[nodiscard]] virtual bool DeleteUDFieldDef(std::string_view name) = 0;

  // ---- creator records by login name ----
  [[nodiscard]] virtual bool LoadCreator(std::string_view login, std::string& record) = 0;
  virtual void SaveCreator(std::string_view login, std::string_view record) = 0;

  // ---- candidate narrowing and paging (indexed reads for large tables) ----
  // Up to `limit` objects of `table` (only those of `subbase` when it is not
  // 0) that come after `after` in `order` (null: from the first), filling
  // `rows` (emptied first). Name order is by bytes, then identifier: the
  // key (name, identifier) of the last row given is the `after` of the
  // next page, so that pages never repeat or skip a row however the table
  // changes between them. Reads only the page's rows through an index.
  virtual void ReadObjectPage(int table, EObjectOrder order, unsigned long subbase,
                              const CStoredObject* after, std::size_t limit,
                              std::vector<CStoredObject>& rows) = 0;
  // The identifiers of `table`'s objects that may meet every condition of
  // `query` (a superset of those that do: the caller confirms each one),
  // ascending. False when the storage cannot narrow this query now (its
  // index of terms is behind and cannot be brought up to date, say on a
  // read-only database): the caller then tests every object.
  [[nodiscard]] virtual bool CandidateIds(int table, const CCandidateQuery& query,
                                          std::vector<unsigned long>& ids) = 0;
  // Calls `row` with the identifier and key of every key that begins with
  // `prefix` (non-empty) of the objects `ids` (ascending): one indexed read
  // per object, however many objects the table has. Arguments valid
  // during the call.
  virtual void ForEachKeyOfObjects(
      int table, const std::vector<unsigned long>& ids, std::string_view prefix,
      const std::function<void(unsigned long, std::string_view)>& row) = 0;
  // The list columns of the objects `ids` (ascending) that exist, in that
  // order, filling `rows` (emptied first): a few reads however many.
  virtual void ReadObjectsById(int table, const std::vector<unsigned long>& ids,
                               std::vector<CStoredObject>& rows) = 0;
  // The index of comment texts, for comments kept in files beside the
  // database: the stamps of the files it holds the text of, and the entry
  // of one file (replaced; `text` null: removed). A text that is no UTF-8
  // makes its object a candidate of every comment search. A change of its
  // own unless a write transaction is open.
  virtual std::vector<CCommentStamp> CommentStamps(int table) = 0;
  virtual void IndexComment(int table, const CCommentStamp& stamp, const std::string* text) = 0;

  // ---- maintenance ----
  // The work the storage's statements have done since it was opened, in
  // the engine's own steps (grows with every row read or written): for tests
  // and measurements that count work instead of timing it.
  virtual std::uint64_t StatementSteps() = 0;
  // The storage's integrity check: "ok", or the problems found.
  virtual std::string IntegrityCheck() = 0;
  // Writes a consistent copy of the whole database to the file `path`
  // (replaced); puts the content of such a copy back into this database.
  virtual void CopyTo(const std::string& path) = 0;
  virtual void RestoreFrom(const std::string& path) = 0;

  // ---- what a server database keeps in itself (it has no folder) ----
  // True when the storage keeps the objects' comments itself, so that every
  // client sees them; false: they are files in the database's folder.
  virtual bool KeepsComments() const { return false; }
  // The comment lines of an object (none: it has no comment). Throws
  // CDBException when the storage keeps no comments or the read fails.
  virtual std::vector<std::string> CommentLines(int table, unsigned long recordId);
  // Replaces the comment of an object (no lines: removes it); one change.
  // DeleteObject removes an object's comment with it. Throws as CommentLines.
  virtual void SetCommentLines(int table, unsigned long recordId,
                               const std::vector<std::string>& lines);

  // True when the storage keeps the request IDs of remote searches itself,
  // so that every client sees and can resume them; false: a folder database
  // keeps them in a file of its folder.
  virtual bool KeepsRemoteRequests() const { return false; }
  // The kept requests, oldest first. Throws CDBException when the storage
  // keeps none or the read fails; a read-only connection reads them too.
  virtual std::vector<CStoredRemoteRequest> RemoteRequests();
  // Keeps `request`, replacing one of the same request ID; one change.
  // Throws as RemoteRequests, and on a read-only connection.
  virtual void PutRemoteRequest(const CStoredRemoteRequest& request);
  // Forgets the request `rid`; false when it was not kept. Throws as
  // PutRemoteRequest.
  virtual bool DeleteRemoteRequest(std::string_view rid);

  // ---- what the database is, for `db info` ----
  // "sqlite" or "postgresql".
  virtual std::string BackendName() const = 0;
  // The version of the stored layout.
  virtual int SchemaVersion() = 0;
  // The bytes the database takes (its file, or the server's database).
  virtual std::uint64_t SizeInBytes() = 0;
  // True when this connection may only read (every change is refused).
  virtual bool IsReadOnly() const { return false; }
  // The login names that have a creator record, in byte order (what a copy
  // of the whole database carries).
  virtual std::vector<std::string> CreatorLogins() = 0;
};

// Rolls back the open write transaction at destruction unless committed.
class CDBWriteTransaction {
 public:
  // Starts the transaction (CDBStorage::BeginWrite); throws as it does.
  explicit CDBWriteTransaction(CDBStorage& storage) : m_storage(storage) { storage.BeginWrite(); }
  CDBWriteTransaction(const CDBWriteTransaction&) = delete;
  CDBWriteTransaction& operator=(const CDBWriteTransaction&) = delete;
  ~CDBWriteTransaction() {
    if (!m_bDone) m_storage.Rollback();
  }
  void Commit() {
    m_storage.Commit();
    m_bDone = true;
  }

 private:
  CDBStorage& m_storage;
  bool m_bDone = false;
};

}  // namespace BLASTSEARCH_EXPORT
