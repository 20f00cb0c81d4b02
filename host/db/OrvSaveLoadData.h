#pragma once

#include <string>
#include <vector>

#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

// One page of the host's open and save dialogs that a table contributes: the
// table's objects listed for the person to choose from.
struct COrvSaveLoadPageData {
  // The object table whose objects the page lists.
  int m_nObjTable = 0;
  // The subbase table whose subbases the page lists as well; 0: none.
  int m_nSbTable = 0;
  // The database the page lists (1: the main database).
  int m_nDbId = 1;
  // Options of the page; 0: none.
  int m_nFlags = 0;
  // Receives the name the person chose; owned by the table that added the
  // page, which keeps it alive while the dialog runs. Null: the dialog keeps
  // the choice to itself.
  std::string* m_pSelection = nullptr;
  // Whether the list shows the objects' icons (1) or only their names (0).
  int m_bShowIcons = 0;
  // Rows the list shows without scrolling.
  int m_nListRows = 8;
  // The page's tab title.
  std::string m_strTitle;
  // Help topic of the page; 0: none.
  unsigned m_nHelpId = 0;
};

// What the host's open and save dialogs are built from: the pages the
// tables append, in the order they were appended.
class COrvSaveLoadData {
 public:
  std::vector<COrvSaveLoadPageData> m_pages;
  // The page shown first.
  int m_nCurPage = 0;
};

}  // namespace BLASTSEARCH_EXPORT
