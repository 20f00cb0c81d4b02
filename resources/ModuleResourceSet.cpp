#include "resources/ModuleResourceSet.h"

#include "resources/ResourceParts.h"

namespace blastsearch {

const CResourceSet& ModuleResourceSet() {
  static const CResourceSet set{"blastsearch", ModuleStrings(), ModuleDialogLayouts(),
                                ModuleMenus(), ModuleBitmaps()};
  return set;
}

}  // namespace blastsearch
