#pragma once

#include <QTabBar>

#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

class CCheckTabSheet;

// The tab strip of a CCoolPropertySheet: it draws every tab item through the
// sheet, hides the check boxes whenever the selection changes or the tabs
// scroll (painting shows them again at their new places), hands the space
// key to the sheet and moves between tabs with all four arrow keys.
class CCheckTabCtrl : public QTabBar {
 public:
  // A strip for `sheet` (not owned; the sheet owns the strip).
  explicit CCheckTabCtrl(CCheckTabSheet* sheet);

  // Hides every page's check box.
  void HideCheckButtons();
  // The sheet is going away: draw plain tabs from now on.
  void DetachSheet() { m_pSheet = nullptr; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;

 private:
  void OnDeltaPos();
  CCheckTabSheet* m_pSheet;
};

}  // namespace BLASTSEARCH_EXPORT
