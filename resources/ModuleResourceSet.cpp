#include "resources/ModuleResourceSet.h"

#include "resources/ResourceParts.h"

const CResourceSet& ModuleResourceSet() {
  static const CResourceSet set{"blastsearch", ModuleStrings(), ModuleDialogLayouts(),
                                ModuleMenus(), ModuleBitmaps()};
  return set;
}

namespace {

// Registers the module's resources for as long as the library is loaded.
struct CModuleResourceRegistration {
  CModuleResourceRegistration() { AddResourceSet(ModuleResourceSet()); }
  ~CModuleResourceRegistration() { RemoveResourceSet(ModuleResourceSet()); }
  CModuleResourceRegistration(const CModuleResourceRegistration&) = delete;
  CModuleResourceRegistration& operator=(const CModuleResourceRegistration&) = delete;
};

const CModuleResourceRegistration s_registration;

}  // namespace
