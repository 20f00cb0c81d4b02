#pragma once

#include "platform/Export.h"
#include "platform/ExtensionModule.h"

namespace blastsearch BLASTSEARCH_EXPORT {

// The module's entry point, as the platform calls it when the library is
// loaded (kModuleAttach, after its static objects are made) and unloaded
// (kModuleDetach, before they go). `instance` is an address in the library.
// On attach: joins the host's window framework (AfxInitExtensionModule, then
// a CDynLinkLibrary, which makes the module's resources visible to the
// host); 0 when that fails (the module is then not in the framework and
// the host's loader reports the load as failed), else 1. On detach: leaves
// the framework (AfxTermExtensionModule); 1.
inline constexpr int kModuleDetach = 0;
inline constexpr int kModuleAttach = 1;
int BlastSearchModuleEntry(HINSTANCE instance, int reason);

}  // namespace BLASTSEARCH_EXPORT
