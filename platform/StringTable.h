#pragma once

#include <string>

#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

// The program's string table: texts of its resources by identifier (status-bar
// prompts and tooltips of commands, and other texts that windows show).
// Texts are constants of the modules' resources (platform/ModuleResources.h).

// Sets `text` to the string `id` of the resources of the loaded modules; 1 when it
// exists, 0 (`text` unchanged) otherwise.
int LoadString(unsigned id, std::string& text);

}  // namespace BLASTSEARCH_EXPORT
