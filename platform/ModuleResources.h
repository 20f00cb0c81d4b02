#pragma once

#include <cstddef>
#include <span>

#include "platform/Bitmap.h"
#include "platform/DialogLayout.h"
#include "platform/Export.h"
#include "platform/Menu.h"
#include "platform/StringTable.h"

namespace blastsearch BLASTSEARCH_EXPORT {

// The resources of loaded modules. A module registers its resource set (its
// string table, dialog layouts, menus and bitmaps) while it is loaded and
// unregisters it when it unloads; LoadString, FindDialogLayout, LoadMenu and
// LoadBitmap search the registered sets in the order they were registered
// and answer from the first set that has the identifier.

// One string of a string table.
struct CStringResource {
  unsigned m_nId;
  const char* m_pszText;
};

// The bytes of one bitmap (a .bmp file).
struct CBitmapResource {
  unsigned m_nId;
  const unsigned char* m_pBytes;
  std::size_t m_nSize;
};

// A module's resources, kept as constant data that outlives its
// registration.
struct CResourceSet {
  const char* m_pszModule;  // the module's name, for messages
  std::span<const CStringResource> m_strings;
  std::span<const CDialogLayout> m_layouts;
  std::span<const CMenuResource> m_menus;
  std::span<const CBitmapResource> m_bitmaps;
};

// Registers `set` (not copied: it must stay alive until removed) after the
// sets registered before it. Registering a set twice keeps one entry.
void AddResourceSet(const CResourceSet& set);
// Unregisters `set`; nothing when it is not registered.
void RemoveResourceSet(const CResourceSet& set);
// Whether `set` is registered.
bool IsResourceSetRegistered(const CResourceSet& set);

}  // namespace BLASTSEARCH_EXPORT
