#include "host/editor/EditGeneralPage.h"

#include "host/db/DBEngine.h"
#include "host/db/DBFunctions.h"
#include "host/db/DBObjectBase.h"

namespace blastsearch {

namespace {

// A fresh record identifier for a new object of `object`'s table in `dbId`,
// or 0; may make `name` unique.
unsigned long AllocateRecordNumber(const CDBObjectBase& object, std::string& name, int dbId) {
  const int table = engine().ObjtypeToObjtable(object.GetObjectType());
  if (table == 0) return 0;
  unsigned long id = 0;
  if (GetSaveObjIdFromTable(table, nullptr, name, id, 0, dbId, "", 1) == 0) return 0;
  return id;
}

}  // namespace

CEditGeneralPage::CEditGeneralPage(CDBObjectBase* object, CEditObjectPage* extraPage,
                                   CEditorPropSheet* sheet, int isNew, int dbId, int nameEditable)
    : CEditObjectPage(kLayoutEditGeneral),
      m_pExtraPage(extraPage),
      m_pSheet(sheet),
      m_bNew(isNew != 0),
      m_bNameEditable(nameEditable != 0) {
  if (object == nullptr) return;
  m_name = object->m_name;
  m_typeName = engine().DescribeObjType(object->GetObjectType(), 0, 0);
  m_author = object->m_creator.m_strName;
  m_creationTime = object->m_creationTime;
  m_recordNumber = object->m_recordId;
  if (m_recordNumber == 0 && m_bNew) m_recordNumber = AllocateRecordNumber(*object, m_name, dbId);
}

CEditGeneralPage::~CEditGeneralPage() = default;

int CEditGeneralPage::UpdateObject(CDBObjectBase* object) {
  if (object == nullptr) return 0;
  int changes = 0;
  if (object->m_name != m_name) {
    object->m_name = m_name;
    changes |= kEditGeneralChanged;
  }
  if (object->m_creator.m_strName != m_author) {
    object->m_creator.m_strName = m_author;
    changes |= kEditGeneralChanged;
  }
  if (m_recordNumber != 0 && object->m_recordId != m_recordNumber) {
    object->m_recordId = m_recordNumber;
    changes |= kEditGeneralChanged;
  }
  return changes;
}

}  // namespace blastsearch
