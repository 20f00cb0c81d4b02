#pragma once

#include <string>

#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

// The user's own folders, as the desktop's base-directory rules name them.
// Each is read from the environment at every call; a variable that is unset,
// empty or not an absolute path is ignored.

// $XDG_DATA_HOME, else ~/.local/share; "" when neither is known (no HOME).
std::string UserDataDirectory();

// $XDG_CONFIG_HOME, else ~/.config; "" when neither is known (no HOME).
std::string UserConfigDirectory();

}  // namespace BLASTSEARCH_EXPORT
