#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

// What the storages index of a stored record for narrowing searches: its
// keywords (exact) and its searchable text (the user-defined field values
// and the description, one value a line).
struct CSearchTerms {
  std::vector<std::string> m_keywords;
  std::string m_text;
  // The record's common fields could not all be read (a damaged or foreign
  // record): the object must stay a candidate of every search.
  bool m_bUnreadable = false;
};

// The terms of `record`, read from its common fields, which a record holds
// before its table's values (one "@field:text" line each). Never throws; a
// record that does not read comes back m_bUnreadable.
CSearchTerms ExtractSearchTerms(std::string_view record);

// True when `text` is valid UTF-8 (what the text indexes take as it is).
bool IsValidUtf8(std::string_view text);

// The number of characters of valid UTF-8 `text`.
std::size_t Utf8Length(std::string_view text);

}  // namespace BLASTSEARCH_EXPORT
