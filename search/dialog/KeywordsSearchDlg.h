#pragma once

#include "platform/Export.h"
#include "search/dialog/SearchPropPage.h"

class QPushButton;

namespace blastsearch BLASTSEARCH_EXPORT {

class CKeywordFilter;
class CIconTextListBox;

// The keyword page: the keywords of the keyword filter, chosen from the
// table's keywords with the host's value dialog.
class CKeywordsSearchDlg : public CSearchPropPage {
 public:
  // A page editing `filter` (not owned; outlives the page).
  CKeywordsSearchDlg(CKeywordFilter* filter, int objType, int dbId);

  int UpdateFilter() override;
  void EnablePage(int enable) override;
  // "< Add ...": the value dialog over the table's keywords; OK replaces
  // the filter's keywords with the chosen ones.
  void OnAddKeywords();
  // "> Remove": the selected keywords leave the filter; ">> Remove All": all.
  void OnRemove();
  void OnRemoveAll();

  QPushButton* m_removeButton = nullptr;
  QPushButton* m_removeAllButton = nullptr;
  QPushButton* m_addButton = nullptr;
  CIconTextListBox* m_keywordList = nullptr;
  CKeywordFilter* m_pFilter;

 protected:
  int OnInitDialog() override;
  void DoDataExchange(CDataExchange& dx) override;

 private:
  void FillKeywordList();
};

}  // namespace BLASTSEARCH_EXPORT
