#pragma once

#include <string>

#include "host/editor/EditObjectPage.h"
#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

class CDBObjectBase;
class CEditorPropSheet;

// The editor's first page: the object's name, its record number and, read
// only, its type, author and creation time. It carries the object-specific
// page of the object's table (the extra page), which the sheet's face shows
// beside it; the extra page is not a page of the sheet.
class CEditGeneralPage : public CEditObjectPage {
 public:
  // Takes the members from `object` (not kept; null leaves them empty).
  // The record number is the object's record identifier; a new object
  // (`isNew` non-zero) without one gets a fresh identifier of its table in
  // database `dbId` (GetSaveObjIdFromTable, which may also make the name
  // unique); 0 when none can be had. `extraPage` and `sheet` (may be null)
  // are not owned and must outlive the page. `nameEditable` 0 keeps the
  // name read only.
  CEditGeneralPage(CDBObjectBase* object, CEditObjectPage* extraPage, CEditorPropSheet* sheet,
                   int isNew, int dbId, int nameEditable);
  ~CEditGeneralPage() override;

  // Writes the name, the author's name and, when it is set, the record
  // number into `object`: kEditGeneralChanged when one of them differed,
  // else 0.
  int UpdateObject(CDBObjectBase* object) override;

  CEditObjectPage* GetExtraPage() const { return m_pExtraPage; }
  CEditorPropSheet* GetSheet() const { return m_pSheet; }
  bool IsNew() const { return m_bNew; }
  bool IsNameEditable() const { return m_bNameEditable; }

  std::string m_name;                // edited
  unsigned long m_recordNumber = 0;  // 0: not set
  std::string m_typeName;            // the object's kind ("BLAST Result"), read only
  std::string m_author;              // the author's name, edited
  long m_creationTime = 0;           // seconds since 1970, 0 unknown; read only

 private:
  CEditObjectPage* m_pExtraPage;
  CEditorPropSheet* m_pSheet;
  bool m_bNew;
  bool m_bNameEditable;
};

}  // namespace BLASTSEARCH_EXPORT
