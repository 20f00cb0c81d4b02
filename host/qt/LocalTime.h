#pragma once

#include <QString>

#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

// The one way the windows write a time: local time, ISO-like
// ("2026-12-07 21:09:01"); "" for 0 (unknown).
QString LocalTimeText(long seconds);

}  // namespace BLASTSEARCH_EXPORT
