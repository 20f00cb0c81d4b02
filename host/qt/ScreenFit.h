#pragma once

#include "platform/Export.h"

class QWidget;

namespace blastsearch BLASTSEARCH_EXPORT {

// Shrinks `window` (a top-level widget) to at most nine tenths of the
// available part of the screen it is on (the primary screen before it is
// shown), so that a large scale factor never opens it larger than the
// screen, and moves it onto that part when its corner is off it.
void FitToScreen(QWidget* window);

}  // namespace BLASTSEARCH_EXPORT
