#pragma once

#include <string>

#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

// The table's search command is carried out by the search subsystem, which
// registers its handler here when the library loads.
//
// The handler searches database `dbId` (`subbase` is the host's and
// ignored), sets `resultSubbase` to the last subbase a search filled ("" if
// none) and answers 1 when the person ended the search with OK, else 0.
using TableSearchHandler = int (*)(int dbId, const std::string& subbase,
                                   std::string& resultSubbase);

// Installs `handler` (null: none) and returns the one it replaces.
TableSearchHandler SetTableSearchHandler(TableSearchHandler handler);

// Runs the installed handler; without one, `resultSubbase` becomes "" and
// the answer is 0. Never throws.
int RunTableSearchHook(int dbId, const std::string& subbase, std::string& resultSubbase);

}  // namespace BLASTSEARCH_EXPORT
