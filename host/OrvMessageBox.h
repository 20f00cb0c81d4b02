#pragma once

#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

// The host's modal message box: shows `text` (null shows an empty text) with
// `style` (MB_ICONSTOP, MB_ICONINFORMATION or 0, platform/UserInteraction.h)
// through the user-interaction service and returns its answer (IDOK...).
// `helpId` names a help topic; the system always passes 0 and it is unused.
int OrvMessageBox(const char* text, unsigned style, unsigned helpId);

}  // namespace BLASTSEARCH_EXPORT
