#pragma once

#include <span>

#include "platform/Export.h"
#include "platform/ModuleResources.h"

namespace blastsearch BLASTSEARCH_EXPORT {

// The parts of the module's resource set, each kept in its own file of
// resources/. Constant data that lives for the whole process.

std::span<const CStringResource> ModuleStrings();
std::span<const CDialogLayout> ModuleDialogLayouts();
std::span<const CMenuResource> ModuleMenus();
std::span<const CBitmapResource> ModuleBitmaps();

}  // namespace BLASTSEARCH_EXPORT
