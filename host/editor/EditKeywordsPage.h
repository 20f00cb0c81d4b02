#pragma once

#include <string>
#include <vector>

#include "host/editor/EditObjectPage.h"
#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

class CDBObjectBase;

// The editor's page of the object's keywords, offering the keywords its
// table knows in the database.
class CEditKeywordsPage : public CEditObjectPage {
 public:
  // Takes the keywords of `object` (not kept; null: none) and the keywords
  // of its table in database `dbId` (none when the table or database is
  // missing).
  explicit CEditKeywordsPage(CDBObjectBase* object, int dbId = 1);
  ~CEditKeywordsPage() override;

  // Adds `keyword` to m_keywords unless it is empty or there already: 1
  // added, else 0.
  int AddKeyword(const std::string& keyword);
  // Removes `keyword` from m_keywords: 1 removed, 0 when it was not there.
  int RemoveKeyword(const std::string& keyword);

  // Makes m_keywords (empty ones dropped) the object's keywords:
  // kEditKeywordsChanged when they differ from its keywords, else 0.
  int UpdateObject(CDBObjectBase* object) override;

  std::vector<std::string> m_keywords;   // the object's keywords, edited
  std::vector<std::string> m_available;  // the table's keywords, to choose from
};

}  // namespace BLASTSEARCH_EXPORT
