#pragma once

#include <QIcon>
#include <QPixmap>

#include "platform/Export.h"

class QMenu;
class QWidget;

namespace blastsearch BLASTSEARCH_EXPORT {

class CIcon;
class CMenu;

// The window layer's forms of the plain window data (platform/Menu.h,
// platform/ImageList.h), made at the widget.

// The icon / picture of `icon`, its transparent pixels transparent. An empty
// icon gives a null QIcon / QPixmap.
QIcon ToQIcon(const CIcon& icon);
QPixmap ToQPixmap(const CIcon& icon);

// A new QMenu (owned by `parent`, or by the caller when `parent` is null)
// holding `menu`'s items in order: separators, submenus (titled by their
// popup item) and actions whose data() is the command identifier, whose
// statusTip is the command's prompt in the string table and whose toolTip
// is the prompt's tooltip part (after "\n") where there is one. The
// help-justified flag has no effect in a popup menu.
QMenu* BuildQMenu(const CMenu& menu, QWidget* parent);

}  // namespace BLASTSEARCH_EXPORT
