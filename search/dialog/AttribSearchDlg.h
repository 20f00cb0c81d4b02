#pragma once

#include "platform/Export.h"
#include "search/dialog/SearchPropPage.h"

namespace blastsearch BLASTSEARCH_EXPORT {

class CAttribFilter;

// The attribute page: the query-name substring and the three hit-count
// ranges of the attribute filter. The three range boxes are checked
// whenever the page is first shown.
class CAttribSearchDlg : public CSearchPropPage {
 public:
  // A page editing `filter` (not owned; outlives the page).
  CAttribSearchDlg(CAttribFilter* filter, int objType, int dbId);

  int UpdateFilter() override;
  void EnablePage(int enable) override;

  CAttribFilter* m_pFilter;

 protected:
  int OnInitDialog() override;
  void DoDataExchange(CDataExchange& dx) override;
};

}  // namespace BLASTSEARCH_EXPORT
