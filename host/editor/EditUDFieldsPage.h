#pragma once

#include <vector>

#include "host/db/DBField.h"
#include "host/editor/EditObjectPage.h"
#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

class CDBObjectBase;

// The editor's page of user-defined field values: one entry per field
// defined for the object's type in the database (in definition order), then
// the object's entries for fields no longer defined, each with the values
// the object holds.
class CEditUDFieldsPage : public CEditObjectPage {
 public:
  // Takes the fields and values of `object` (not kept; null: none) and the
  // field definitions of database `dbId` (none when it is not open or
  // cannot be read).
  explicit CEditUDFieldsPage(CDBObjectBase* object, int dbId = 1);
  ~CEditUDFieldsPage() override;

  // Makes the object's entries those of m_fields that hold values (in
  // m_fields' order, empty values dropped): kEditUDFieldsChanged when that
  // means something else than what it held (order of the fields aside),
  // else 0 with the object untouched.
  int UpdateObject(CDBObjectBase* object) override;

  // Whether the entry `field` of m_fields is defined as a number field
  // (whose values must be numbers); false for text fields and entries of
  // fields no longer defined.
  bool IsNumeric(std::size_t field) const;

  // The entries the page edits; values may be emptied or added.
  std::vector<CUDFieldValue> m_fields;
  // The value kind of each entry of m_fields (kValueText, kValueNumber).
  std::vector<int> m_kinds;

 private:
  // The object's entries as the page would write them.
  std::vector<CUDFieldValue> Written() const;
};

}  // namespace BLASTSEARCH_EXPORT
