#pragma once

#include <QCheckBox>

#include "platform/Export.h"

class QPainter;
class QRect;

namespace blastsearch BLASTSEARCH_EXPORT {

class CCheckPropPageButton;

// The check-notify message, registered once by name when the library loads:
// a tab's check box tells its sheet (and the sheet its page) that it changed.
// wParam: 5 after a double click, else 0; lParam: low word the box's control
// number (page index + 1), high word the low 16 bits of the box's address.
int CheckNotifyMessage();

// What the tab strip and its check boxes ask of the sheet they belong to.
// The sheet (CCoolPropertySheet) implements it and owns them; they know it
// by this interface only.
class CCheckTabSheet {
 public:
  virtual ~CCheckTabSheet() = default;
  // The number of tabs.
  virtual int CheckTabCount() const = 0;
  // The box of tab `index`, or null.
  virtual CCheckPropPageButton* GetCheckButton(int index) const = 0;
  // Draws the tab item `index` (rectangle `item` on the tab strip).
  virtual void OnDrawItem(QPainter& painter, int index, const QRect& item) = 0;
  // Space pressed or released on the tab strip: true when a box took it.
  virtual bool OnTabKey(int key, bool press) = 0;
};

// The check box on a tab of a CCoolPropertySheet, a child of its tab strip.
// A first click on the box of an inactive tab only selects the tab; a click
// on the active tab's box toggles it. Every release of the mouse on it, a
// key release that changed it, and a double click (wParam 5) tell the sheet
// through the check-notify message. Arrow keys move between the tabs.
class CCheckPropPageButton : public QCheckBox {
 public:
  // A hidden box numbered `id` on `tabStrip` (its owner).
  CCheckPropPageButton(QWidget* tabStrip, int id);

  // Sends the check-notify message with `code` to the sheet when the strip
  // and the sheet exist.
  void NotifySheet(int code);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
};

}  // namespace BLASTSEARCH_EXPORT
