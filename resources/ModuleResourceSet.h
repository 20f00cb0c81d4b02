#pragma once

#include "platform/Export.h"
#include "platform/ModuleResources.h"

namespace blastsearch BLASTSEARCH_EXPORT {

// The module's resource set: its string table, dialog layouts, context menu
// and bitmaps. Constant; lives for the whole process. The module registers it
// (AddResourceSet) while it is loaded.
const CResourceSet& ModuleResourceSet();

}  // namespace BLASTSEARCH_EXPORT
