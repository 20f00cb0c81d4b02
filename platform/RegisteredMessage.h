#pragma once

#include <string>

#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

// Window messages registered by name, as the system's registered messages:
// the first call for a name hands out a new number, every later call for
// that name (from any module, any thread) the same number, for the whole
// process. Numbers lie from 0xC000 to 0xFFFF, which the window layer also
// uses as its event types. Safe to call from static initialisers.

// The number of the message `name`; 0 when all 16384 numbers are taken.
int RegisterWindowMessage(const std::string& name);

// The number of the message `name` when it is registered, else 0 (nothing
// is registered).
int FindWindowMessage(const std::string& name);

}  // namespace BLASTSEARCH_EXPORT
