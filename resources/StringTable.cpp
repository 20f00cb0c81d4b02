#include "platform/StringTable.h"

#include <algorithm>
#include <iterator>

namespace {

struct CStringResource {
  unsigned m_nId;
  const char* m_pszText;
};

// Sorted by identifier.
constexpr CStringResource kStrings[] = {
    {32775, "Imports items from a Quillon Archive"},
};

}  // namespace

int LoadString(unsigned id, std::string& text) {
  const auto* found = std::lower_bound(
      std::begin(kStrings), std::end(kStrings), id,
      [](const CStringResource& entry, unsigned wanted) { return entry.m_nId < wanted; });
  if (found == std::end(kStrings) || found->m_nId != id) return 0;
  text = found->m_pszText;
  return 1;
}
