#include "resources/ModuleResourceSet.h"

#include "resources/ResourceParts.h"

const CResourceSet& ModuleResourceSet() {
  static const CResourceSet set{"blastsearch", ModuleStrings(), ModuleDialogLayouts(),
                                ModuleMenus(), ModuleBitmaps()};
  return set;
}
