#pragma once

#include <cstdint>

#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

// Milliseconds since the system started, wrapping at 2^32, as the system's
// tick count.
std::uint32_t GetTickCount();

// Replaces the source of GetTickCount (null restores the system's) and
// returns the one it replaces; for tests that need two calls in one
// millisecond. Not thread-safe.
using TickSource = std::uint32_t (*)();
TickSource SetTickSource(TickSource source);

}  // namespace BLASTSEARCH_EXPORT
