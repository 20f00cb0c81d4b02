// The BLAST search table's object editor: the sheet of the host's pages with
// the table's own page, and the loop that stores what was edited.
#include <exception>
#include <memory>
#include <string>

#include "host/OrvMessageBox.h"
#include "host/db/DBFunctions.h"
#include "host/editor/EditCommentsPage.h"
#include "host/editor/EditGeneralPage.h"
#include "host/editor/EditKeywordsPage.h"
#include "host/editor/EditUDFieldsPage.h"
#include "host/editor/EditorPropSheet.h"
#include "platform/UserInteraction.h"
#include "table/BlastSearchTable.h"
#include "table/EditBlastSearchPage.h"

namespace blastsearch {

namespace {

// What one run of the editor gave: whether the person accepted it, the
// general page's record number, and the change bits of the pages.
struct CEditorPass {
  bool m_bAccepted = false;
  unsigned long m_recordNumber = 0;
  int m_nChanges = 0;
  bool m_bAuthorSet = false;  // the person gave the author's name
  std::string m_strAuthor;
};

// Shows the editor sheet on `object` and, when the person accepts it, lets
// the host's four pages write into the object.
CEditorPass RunEditorSheet(CBlastSearchObject& object, int isNew) {
  CEditorPropSheet sheet(EditorSheetTitle(isNew, object.m_name, object.m_sheetKind),
                         OrvDialogParent(nullptr), EditorSheetDefPage(isNew, object.m_sheetKind));
  CEditBlastSearchPage blastPage(&object);
  CEditGeneralPage general(&object, &blastPage, &sheet, isNew, 1, 1);
  CEditUDFieldsPage fields(&object);
  CEditCommentsPage comments(&object);
  CEditKeywordsPage keywords(&object, 1);
  sheet.AddPage(&general);
  sheet.AddPage(&fields);
  sheet.AddPage(&comments);
  sheet.AddPage(&keywords);

  CEditorPass pass;
  if (OrvDoModal(sheet) != IDOK) return pass;
  pass.m_bAccepted = true;
  const std::string author = object.m_creator.m_strName;
  pass.m_nChanges |= general.UpdateObject(&object);
  pass.m_bAuthorSet = object.m_creator.m_strName != author;
  pass.m_strAuthor = object.m_creator.m_strName;
  pass.m_nChanges |= fields.UpdateObject(&object);
  pass.m_nChanges |= comments.UpdateObject(&object);
  pass.m_nChanges |= keywords.UpdateObject(&object);
  pass.m_recordNumber = general.m_recordNumber;
  return pass;
}

// Runs the editor on `object` until it is stored (1) or the person cancels
// (0).
int EditAndStore(CBlastSearchTable& table, CBlastSearchObject& object, const std::string& subbase,
                 int isNew) {
  object.LoadComment(1);
  // The editor reopens until the object is stored or the person cancels.
  // What an earlier run changed but could not store stays in the object and
  // in `changes`, so that a later run stores it even when nothing more is
  // changed, comment included.
  int changes = 0;
  bool authorSet = false;
  std::string author;
  while (true) {
    const CEditorPass pass = RunEditorSheet(object, isNew);
    if (!pass.m_bAccepted) return 0;
    changes |= pass.m_nChanges;
    if (pass.m_bAuthorSet) {
      authorSet = true;
      author = pass.m_strAuthor;
    }
    if (changes == 0 && isNew == 0) return 1;
    if (pass.m_recordNumber == 0) {
      OrvMessageBox("Record Number Not Set Properly", MB_OK, 0);
      continue;
    }
    std::string localSubbase = subbase;
    MakeLocal(object.m_localFlags, object.m_creator);
    // An author's name given in the editor wins over the current user's.
    if (authorSet) object.m_creator.m_strName = author;
    if (isNew != 0) object.m_creationTime = GetOrvCurrentTime();
    if (table.InsertObject(object.m_recordId, &object, 2, localSubbase, 1) == 0) continue;
    if ((changes & kEditCommentChanged) != 0 && object.InsertComment(1) == 0) {
      const std::string text =
          "The comment of \"" + object.m_name + "\" could not be written; the rest is stored.";
      OrvMessageBox(text.c_str(), MB_ICONSTOP, 0);
    }
    return 1;
  }
}

}  // namespace

int CBlastSearchTable::EditLocalObject(CObjInfo* info) {
  if (info == nullptr) return 0;
  try {
    std::unique_ptr<CDBObjectBase> object(GetObjectData(info->m_objId, info->m_name.c_str(), 1));
    auto* blastObject = dynamic_cast<CBlastSearchObject*>(object.get());
    if (blastObject == nullptr) return 0;
    std::string subbase = kMainSubbase;
    return EditLocalObject(blastObject, subbase, 0);
  } catch (const std::exception&) {
    return 0;
  }
}

int CBlastSearchTable::EditLocalObject(CBlastSearchObject* object, std::string& subbase,
                                       int isNew) {
  if (object == nullptr) return 0;
  try {
    return EditAndStore(*this, *object, subbase, isNew);
  } catch (const std::exception&) {
    return 0;  // out of memory while building the editor: nothing stored
  }
}

}  // namespace blastsearch
