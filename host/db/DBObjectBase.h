#pragma once

#include <list>
#include <memory>
#include <string>
#include <vector>

#include "host/db/CreatorData.h"
#include "host/db/DBField.h"
#include "host/db/DBValue.h"
#include "platform/Export.h"
#include "platform/Object.h"

namespace blastsearch BLASTSEARCH_EXPORT {

class COrvTextFile;
class CObjInfo;

// A field that objects know by its name: the name lists and searches use,
// its number, its kind of value, and whether lists show it among the names
// of an object's fields.
struct CNamedField {
  const char* m_pName;
  int m_fieldId;
  int m_valueKind;
  bool m_bListed;
};

// Fills `def` for the field of `fields` named `name` (exactly): true; false
// with `def` unchanged when none is.
bool FindNamedField(const std::vector<CNamedField>& fields, const std::string& name,
                    CDBFieldDef& def);

// Appends the names of the listed fields of `fields`, in their order.
void AppendListedFieldNames(const std::vector<CNamedField>& fields,
                            std::vector<std::string>& names);

// The interface of every database object.
class CDBObject : public CObject {
 public:
  ~CDBObject() override = default;

 protected:
  CDBObject() = default;
  CDBObject(const CDBObject&) = default;
  CDBObject& operator=(const CDBObject&) = default;
};

// What every database object has: name, record identifier, creation time,
// editor sheet kind, local flags, creator records, description, keywords,
// user-defined field entries, comment lines, and the container of the values
// its class adds. Objects are short-lived in memory; the database keeps the
// stored record (WriteObject/ReadObject of the table base).
class CDBObjectBase : public CDBObject {
 public:
  // An empty object of `objType`.
  explicit CDBObjectBase(int objType);
  // A full copy of `other`'s common fields; the value container starts
  // empty (the derived class's values register themselves).
  CDBObjectBase(const CDBObjectBase& other);
  CDBObjectBase& operator=(const CDBObjectBase&) = delete;
  ~CDBObjectBase() override;

  // A new copy of the whole object, owned by the caller; null when the
  // allocation fails.
  virtual CDBObjectBase* Clone() const = 0;
  // The object type number.
  virtual int GetObjectType() const = 0;
  // Fills `info` with the list values the host keeps for every object
  // (name, record identifier, type, creation time, author); `flag` is not
  // used. Returns 1.
  virtual int GetObjInfo(CObjInfo& info, int flag) const;
  // Appends the names of the fields every object shows in lists: the
  // user-defined fields defined for this object's type in database `dbId`
  // (none when it is not open). `names` may be null.
  virtual void GetObjRealFieldNames(int dbId, std::vector<std::string>* names);
  // Fills `def` for a generic field name ("Name", "Created", "Keywords",
  // "Comment", "Author", "Original Author", "Description") or a
  // user-defined field of database `dbId`: 1, else 0 with `def` unchanged.
  virtual int GetObjFieldDef(int dbId, const std::string& name, CDBFieldDef& def);
  // Reads a record written by WriteObject from `file`'s current position to
  // its end (`a`, `b` unused): the common fields, and for each field that a
  // registered value holds, that value's ReadValue; an archive's record also
  // fills m_comments and m_udfDefs. Returns 1. A malformed or
  // truncated record raises CDBException (or the value's exception); what
  // was read before stays in the object.
  virtual int ReadObject(COrvTextFile& file, int a, int b);

  // The keys by which the database finds this object again (its lookup
  // keys, stored with it and replaced whenever it is stored); none here.
  virtual std::vector<std::string> GetObjectKeys() const { return {}; }

  // Writes the object's record at `file`'s position: the common fields, each
  // registered value's WriteValue, and the record's end mark. Throws
  // CFileException when a write fails.
  void WriteRecord(COrvTextFile& file) const;
  // The lines an archive adds to the stored record, before its end mark:
  // one for each line of m_comments and one for each of m_udfDefs. Older
  // readers pass over them as fields of a later version.
  std::string ArchiveFieldLines() const;

  // Reads the comment of this object in database `dbId` (its comment file,
  // or the database's own rows on a server) into m_comments: 1 read, 0 when
  // there is none (m_comments empty).
  int LoadComment(int dbId);
  // Writes m_comments as the comment of this object in database `dbId` (its
  // comment file, replaced whole, never half written; or one change of a
  // server database; removed when m_comments is empty):
  // 1 written, 0 when the object is not stored or the write failed.
  [[nodiscard]] int InsertComment(int dbId);

  std::string m_name;
  long m_creationTime = 0;        // seconds since 1970
  unsigned long m_recordId = 0;   // 0 until stored
  int m_sheetKind = 0;            // editor sheet kind
  int m_localFlags = 0;           // bit 0: changed locally (MakeLocal)
  CCreatorData m_creator;         // author
  CCreatorData m_originalAuthor;  // original author
  std::string m_description;
  std::vector<std::string> m_keywords;
  std::vector<CUDFieldValue> m_udfValues;
  std::vector<std::string> m_comments;  // filled by LoadComment, or from an archive
  // Definitions of user-defined fields as an archive carries them (its first
  // object carries every definition of its database); never part of a
  // stored record.
  std::vector<CUDFieldDef> m_udfDefs;
  CDBValueContainer m_valueContainer;

 private:
  int m_nObjType;
};

// An owning list of objects, in order.
using CDBObjectList = std::list<std::unique_ptr<CDBObjectBase>>;

// Appends the comment lines of the object `recordId` of type `objType` in
// database `dbId` to `lines`: from the database when it keeps comments (a
// server database), else from the object's comment file. False (nothing
// appended) when it has none or they cannot be read.
bool ReadObjectComment(int objType, unsigned long recordId, int dbId,
                       std::vector<std::string>& lines);

// Replaces the comment of the object `recordId` of type `objType` in
// database `dbId` with `lines` (none: removes it): in the database when it
// keeps comments, else as the object's comment file put in place whole.
// False with the reason in `failure` (may be null) when it was not written.
bool WriteObjectComment(int objType, unsigned long recordId, int dbId,
                        const std::vector<std::string>& lines, std::string* failure);

}  // namespace BLASTSEARCH_EXPORT
