#pragma once

#include <QRect>

#include "platform/DialogLayout.h"
#include "platform/Export.h"

class QFont;
class QWidget;

namespace blastsearch BLASTSEARCH_EXPORT {

// Builds dialogs from their layouts (platform/DialogLayout.h) and finds
// their controls by the identifiers the layouts give them.

// Makes the widget of a control of `kind` for a layout entry; the window
// layer makes Qt's own widgets, the host installs its list and combo boxes.
using ControlFactory = QWidget* (*)(QWidget* parent, const CControlLayout& control);
// Installs `factory` for `kind` (null: Qt's plain widget again).
void SetControlFactory(EControlKind kind, ControlFactory factory);

// The rectangle in pixels of a rectangle in dialog units of `font`: across
// a quarter of the font's average character width, down an eighth of its
// height per unit (fractions kept, edges rounded).
QRect DialogUnitsToPixels(const QFont& font, int x, int y, int cx, int cy);

// Makes every control of `layout` as a child of `parent` (which gets the
// layout's size, not its caption), in layout order, which is also the focus
// order. Controls are owned by `parent`. The dialog units are those of
// `parent`'s font, widened across or down (by half at most) where a
// control's text would not fit its box in that font; the whole dialog
// grows with them. A list view's text heads its one column; a text lying
// across a group box's top edge hides that edge, as a title does.
void BuildDialogControls(QWidget* parent, const CDialogLayout& layout);

// The control of `parent` whose identifier is `id`: a child first, else
// any descendant; null when there is none (always for -1).
QWidget* GetDlgItem(const QWidget* parent, int id);
// A control's identifier (-1 when it has none) and setting it.
int GetDlgCtrlID(const QWidget* control);
void SetDlgCtrlID(QWidget* control, int id);

}  // namespace BLASTSEARCH_EXPORT
