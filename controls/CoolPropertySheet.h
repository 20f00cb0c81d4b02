#pragma once

#include <QString>
#include <vector>

#include "controls/CheckPropPageButton.h"
#include "host/qt/OrvPropertySheet.h"
#include "platform/Export.h"
#include "platform/Object.h"
#include "platform/qt/WindowMessage.h"

namespace blastsearch BLASTSEARCH_EXPORT {

class CCheckTabCtrl;

// A property sheet whose tabs can carry a check box each. Ask for a page's
// box with EnablePageCheck after adding the page and before Create; set the
// first states with SetPageCheck after Create. The page hears of every
// change through the check-notify message and reads the state with
// GetPageCheck. The sheet owns its boxes; pages stay their makers'.
// Dynamically creatable: CRuntimeClass::FromName("CCoolPropertySheet") makes
// an empty sheet (caption "", no parent, first page 0) owned by the caller.
class CCoolPropertySheet : public COrvPropertySheet, public CCheckTabSheet, public CObject {
  DECLARE_DYNCREATE(CCoolPropertySheet)

  CCoolPropertySheet();
  // A sheet captioned with the string `captionId` of the loaded modules'
  // string tables (an empty caption when no table has it).
  CCoolPropertySheet(unsigned captionId, QWidget* parent, int firstPage);
  CCoolPropertySheet(const QString& caption, QWidget* parent, int firstPage);
  ~CCoolPropertySheet() override;

  // Asks for a check box on the tab of `index`: 1.
  int EnablePageCheck(int index);
  // Sets the box of `index` (0 or 1); nothing when the page has no box.
  void SetPageCheck(int index, int state);
  // The state of the box of `index` (0 or 1), or -1 when it has none.
  int GetPageCheck(int index) const;
  // Makes the box of `index`, ticked when `initial` is set, and widens the
  // tab's label for it: 1; 0 (the page keeps no box) without a tab strip.
  int CreateCheckButton(int index, int initial);
  // Appends spaces to the tab label of `index` until it is more than 20
  // pixels wider than it was, measured with the sheet's font.
  void PadTabText(int index);
  // The box of `index`, or null.
  CCheckPropPageButton* GetCheckButton(int index) const override;
  // The number of pages (GetPageCount), for the tab strip.
  int CheckTabCount() const override { return GetPageCount(); }

  // Draws the tab item `index` (rectangle `item` on the tab strip): its
  // label, or the page's box placed on it; the active tab gets a hatched
  // frame. Called by the tab strip for every item it paints.
  void OnDrawItem(QPainter& painter, int index, const QRect& item) override;
  // Space pressed or released on the tab strip: the active page's box gets
  // it. True when a box took it.
  bool OnTabKey(int key, bool press) override;

 protected:
  int OnInitDialog() override;
  QTabBar* MakeTabBar() override;
  bool event(QEvent* event) override;

 private:
  struct CEntry {
    bool m_bRequested = false;
    CCheckPropPageButton* m_pButton = nullptr;
  };
  LRESULT OnCheckNotify(WPARAM wParam, LPARAM lParam);
  LRESULT OnSetPageCheck(WPARAM wParam, LPARAM lParam);
  QRect ClipItem(const QRect& item) const;

  CCheckTabCtrl* m_tabCtrl = nullptr;
  std::vector<CEntry> m_checkButtons;
};

}  // namespace BLASTSEARCH_EXPORT
