#pragma once

#include <string>

#include "host/editor/EditObjectPage.h"
#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

class CDBObjectBase;

// The editor's page of the object's comment: free text, kept as the lines
// of the object's comment file (LoadComment fills them before the page is
// made).
class CEditCommentsPage : public CEditObjectPage {
 public:
  // Takes the comment of `object` (not kept; null: empty), lines joined
  // with "\n".
  explicit CEditCommentsPage(CDBObjectBase* object);
  ~CEditCommentsPage() override;

  // Splits m_text at its line ends (an empty text has no line; "\r" before
  // a line end is dropped) and makes the lines the object's comment:
  // kEditCommentChanged when they differ from its lines, else 0.
  int UpdateObject(CDBObjectBase* object) override;

  // The comment as the person edits it.
  std::string m_text;
};

}  // namespace BLASTSEARCH_EXPORT
