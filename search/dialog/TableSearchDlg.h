#pragma once

#include <string>
#include <vector>

#include "host/qt/OrvDialog.h"
#include "platform/Export.h"
#include "search/SearchRun.h"

namespace blastsearch BLASTSEARCH_EXPORT {

class CCoolPropertySheet;
class CSearchFilter;
class CSearchPropPage;
class CXTableComboBox;

// The search dialog: where to look (the look-in box), the pages of the
// filters on a sheet whose tabs switch them on and off, Start Search, and
// Close, which ends the dialog with OK once a search has filled a subbase.
// Filters and pages are registered with AddFilterPage before the window is
// made and are owned by the caller; the dialog owns its sheet.
class CTableSearch : public COrvDialog {
 public:
  // A dialog for objects of `objType` in database `dbId`.
  CTableSearch(int objType, int dbId, QWidget* parent);
  ~CTableSearch() override;

  // 1 when a filter is active.
  int HasActiveFilter() const;
  // Adds `filter` and its `page` (neither owned) as the next tab.
  void AddFilterPage(CSearchFilter* filter, CSearchPropPage* page);
  // Start Search: the pages into the filters, then the search run; a page
  // switched on that cannot be searched with (Incomplete) is shown with its
  // message instead, and nothing is searched.
  void OnStartSearch();
  // The look-in box's choice becomes the subbase to search.
  void OnSubbaseSelected();

  std::string m_lookInSubbase = "MAIN";
  std::string m_resultSubbase;
  int m_dbId;
  int m_objType;
  CCoolPropertySheet* m_pSheet = nullptr;
  CXTableComboBox* m_subbaseCombo = nullptr;
  std::vector<CSearchFilter*> m_filters;
  std::vector<CSearchPropPage*> m_pages;

 protected:
  // Ends early (0) when the sheet gets no window: the dialog then shows no
  // pages and its look-in box stays empty; otherwise centres the dialog on
  // its parent (on the screen without one).
  int OnInitDialog() override;
  // Makes the sheet's window as a child of the dialog (the sheet's Create);
  // the sheet's HasWindow tells whether it was made.
  virtual int CreateSheetWindow();

 private:
  // The search run with the dialog's hooks.
  class CDialogRun : public CSearchRun {
   public:
    CDialogRun(CTableSearch& dialog, int objType, int dbId)
        : CSearchRun(objType, dbId), m_dialog(dialog) {}

   protected:
    void UpdateFilters() override;
    void OnSubbaseFilled(const std::string& name) override;

   private:
    CTableSearch& m_dialog;
  };

  void FillLookIn();
  // Puts the sheet where control 2552 was: false when its window was not made.
  bool PlaceSheet();
  void CentreOnParent();

  CDialogRun m_run;
};

}  // namespace BLASTSEARCH_EXPORT
