#pragma once

#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

// The host's command identifiers that the tables' context menus carry; the
// database window carries them out. The prompt of each is the string of the
// same identifier.
enum : unsigned {
  ID_DB_CLOSE = 33043,
  ID_DB_PROPERTIES = 33048,
  ID_DB_RENAME = 33049,
  ID_DB_DELETE = 33050,
  ID_DB_EXCLUDE = 33051,
  ID_DB_OPEN = 33052,
  ID_DB_DELETE_CONTENTS = 33053,
  ID_DB_DISMISS_SUBBASE = 33054,
  ID_DB_NEW_SUBBASE = 33055,
  ID_DB_SHOW_TYPE_FIRST = 33057,  // "Type 1" ... "Type 8": show a table's objects
  ID_DB_SHOW_TYPE_LAST = 33064,
  ID_DB_SUBBASE_EDITOR = 33065,
  ID_DB_EDIT_SUBBASE = 33066,
  ID_DB_EXPORT_SUBBASE = 33067,
  ID_DB_IMPORT_ARCHIVE = 33068,
  ID_DB_SUMMARY = 33069,
  ID_DB_NEW_OBJECT = 33070,  // the table's import of a new object
  ID_DB_EDIT = 33072,
  ID_DB_EXPLORE = 33074,
  ID_DB_CLEAR_SUBBASE = 33089,
  ID_DB_COPY = 33094,
  ID_DB_EXPORT_SELECTED = 33103,
  ID_DB_DUPLICATE = 33113,
  ID_DB_SYSTEM_ATTRIBUTES = 33115,
};

}  // namespace BLASTSEARCH_EXPORT
