#pragma once

#include "host/editor/EditObjectPage.h"
#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

class CBlastSearchObject;

// The BLAST search object's own page of the editor, handed to the general
// page rather than added to the sheet. Its face is dialog layout 5000
// (title, authors, affiliation, citation type); it edits nothing and keeps
// nothing of the object.
class CEditBlastSearchPage : public CEditObjectPage {
 public:
  enum : int { kLayoutId = 5000, kObjXType = 41 };

  // `object` is not kept (may be null).
  explicit CEditBlastSearchPage(CBlastSearchObject* object);
  ~CEditBlastSearchPage() override;

  // 41, the icon index of every BLAST search object.
  int GetObjXType() override;
  // What the page base answers.
  int NeedsChanges(int changes) override;
  // Changes nothing: 0, the object untouched.
  int UpdateObject(CDBObjectBase* object) override;
};

}  // namespace BLASTSEARCH_EXPORT
