#pragma once

#include <QString>
#include <QWidget>
#include <vector>

#include "platform/Export.h"

class QTabBar;
class QTabWidget;
class QPushButton;

namespace blastsearch BLASTSEARCH_EXPORT {

class COrvPropertyPage;

// The host's property sheet: a tab strip over the pages and the buttons OK
// (numbered 1) and Cancel (2). Pages are added before Create and owned by
// whoever made them; the sheet builds a page's controls when its tab is
// first shown, and gives its pages back (unparented) when it is destroyed.
class COrvPropertySheet : public QWidget {
 public:
  COrvPropertySheet();
  // A sheet with `caption`, shown over `parent`, opening on `firstPage`.
  COrvPropertySheet(const QString& caption, QWidget* parent, int firstPage);
  ~COrvPropertySheet() override;

  // Adds `page` (not owned; must outlive the sheet's use of it) as the last
  // tab. Before Create only.
  void AddPage(COrvPropertyPage* page);
  int GetPageCount() const { return static_cast<int>(m_pages.size()); }
  // The page of `index`, or null.
  COrvPropertyPage* GetPage(int index) const;
  // The index of `page`, or -1 when it is not a page of the sheet.
  int GetPageIndex(const COrvPropertyPage* page) const;
  // The index of the page shown (-1 before Create).
  int GetActiveIndex() const;
  // Shows the page of `index` (building it when first shown): 1, 0 when
  // there is no such page.
  int SetActivePage(int index);
  // The tab strip, or null before Create.
  QTabBar* GetTabControl() const { return m_pTabBar; }

  // Makes the sheet's window as a child of `parent` (null: a window of its
  // own): the tab strip, the buttons, OnInitDialog, then the first page.
  // 1; 0 when it was made already.
  int Create(QWidget* parent);
  // True once Create has run.
  bool HasWindow() const { return m_pTabs != nullptr; }

 protected:
  // After the window is made, before the first page is shown; 1.
  virtual int OnInitDialog();
  // Makes the tab strip; the base makes Qt's.
  virtual QTabBar* MakeTabBar();

 private:
  void OnCurrentChanged(int index);

  std::vector<COrvPropertyPage*> m_pages;
  QTabWidget* m_pTabs = nullptr;
  QTabBar* m_pTabBar = nullptr;
  int m_nFirstPage = 0;
};

}  // namespace BLASTSEARCH_EXPORT
