#pragma once

#include <string>
#include <vector>

#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

// Field identifiers the host gives the fields every object has. Tables add
// their own identifiers (the BLAST search table: 3051 and 3052); user-defined
// fields get identifiers from kFirstUDFieldId on.
enum : int {
  kFieldName = 1,              // the object's name
  kFieldCreationTime = 2,      // creation time
  kFieldRecordId = 3,          // record identifier (in a record only)
  kFieldSheetKind = 4,         // editor sheet kind (in a record only)
  kFieldLocalFlags = 5,        // local flags (in a record only)
  kFieldKeyword = 247,         // one keyword
  kFieldComment = 248,         // the comment file's lines (one line each, in archives only)
  kFieldUDField = 254,         // one user-defined field entry
  kFieldAuthor = 255,          // author creator record
  kFieldOriginalAuthor = 256,  // original-author creator record
  kFieldUDFieldDef = 257,      // a user-defined field's definition (in archives only)
  kFieldDescription = 263,     // description text
  kFieldAuthorName = 3050,     // the author's name, as a list value
  kFieldUID = 3053,            // the record identifier, as a list value
  kFirstUDFieldId = 10000,
};

// Value kinds of field definitions: text and number.
enum : int { kValueText = 1, kValueNumber = 7 };

// A field's definition as tables and the host hand it around.
class CDBFieldDef {
 public:
  int m_fieldId = 0;
  int m_valueKind = 0;
};

// One field of a stored object to add or remove a value of (InsertDBValue,
// DeleteDBValue): a keyword (kFieldKeyword, the keyword in m_strValue) or a
// user-defined field (its name in m_strName, one value in m_strValue).
class CDBField {
 public:
  int m_fieldId = 0;
  std::string m_strName;
  std::string m_strValue;
};

// Definition of a user-defined field, a record of the host's table 8: a name
// unique in its database, the identifier the host gave it, the value kind and
// the object type it belongs to (0: every type).
class CUDFieldDef {
 public:
  std::string m_strName;
  int m_fieldId = 0;
  int m_valueKind = kValueText;
  int m_objType = 0;
};

// An object's entry for one user-defined field: the field's name and its
// values in order.
class CUDFieldValue {
 public:
  std::string m_strName;
  std::vector<std::string> m_values;
};

// The host's object-info table number of user-defined field definitions.
enum : int { kUDFieldTable = 8 };

}  // namespace BLASTSEARCH_EXPORT
