#pragma once

#include <QCheckBox>

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
