#pragma once

#include "host/FileTypesTable.h"
#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

// The module's four file types, as the host's file-type rows: 100 objects
// (".bso"), 101 archives (".ba6", also the initial archive), 102 links
// (".bq") and 103 temporary files (".bss"). Constant data of the module.
inline constexpr int kBlastSearchFileTypeCount = 4;
extern const FTTENTRY g_blastSearchFileTypes[kBlastSearchFileTypeCount];

// Registers the four file types with the desktop (RegisterOrvShellFileTypes).
// Exported for installation; reports nothing (what it wrote, or why not,
// RegisterOrvShellFileTypes answers to its other callers).
void RegisterBlastSearchFileTypes();

}  // namespace BLASTSEARCH_EXPORT
