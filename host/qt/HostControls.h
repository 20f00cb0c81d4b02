#pragma once

#include <QIcon>
#include <string>

#include "platform/Export.h"

class QLineEdit;

namespace blastsearch BLASTSEARCH_EXPORT {

class CDBTableBase;

// Makes dialogs built from layouts use the host's controls: the icon list
// box for list boxes and the table combo box for drop-down lists. Called by
// the host's dialog bases; repeating it does nothing.
void InstallHostControls();

// The icon the host shows for `table` in lists and combo boxes: the table's
// small context icon, or a folder when it has none.
QIcon HostTableIcon(CDBTableBase* table);

// Checks a text the person typed into `edit` before it is used: when it
// holds one of `forbidden`'s characters, or is no acceptable stored text
// (check_string_value), says why in a message box (stop icon), puts the
// focus back on the edit with its text selected, and answers 0; else 1.
// `edit` may be null.
int check_string_value(const std::string& text, QLineEdit* edit, const char* forbidden);

}  // namespace BLASTSEARCH_EXPORT
