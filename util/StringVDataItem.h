#pragma once

#include <string>

#include "platform/Export.h"
#include "platform/Object.h"

namespace blastsearch BLASTSEARCH_EXPORT {

// One named text value in tag notation: the element "<key>value</key>".
// Nothing is escaped; keys compare byte for byte. A value that contains
// "</" cannot be read back whole (Separate cuts it there).
class CStringVDataItem : public CObject {
 public:
  CStringVDataItem() = default;
  CStringVDataItem(std::string key, std::string value)
      : m_strKey(std::move(key)), m_strValue(std::move(value)) {}
  CStringVDataItem(const CStringVDataItem&) = default;
  CStringVDataItem& operator=(const CStringVDataItem&) = default;
  ~CStringVDataItem() override = default;

  // The element of this item: "<key>value</key>".
  std::string Assemble() const;

  // Takes key and value from an element. The key is named by the first "</"
  // of `text` (not at its start) up to the next '>'; the value runs from just
  // after the first "<key>" of the text up to that "</" (empty when the "</"
  // comes first). Returns 1 on success, 0 on failure; when the "</key>" is
  // found but "<key>" is not, the key is taken and the value left unchanged.
  int Separate(std::string text);

  std::string m_strKey;    // the key; empty by default
  std::string m_strValue;  // the value; empty by default
};

}  // namespace BLASTSEARCH_EXPORT
