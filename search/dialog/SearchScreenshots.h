#pragma once

#include <string>

#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

// Writes pictures of the search dialog on each of its tabs into `dir` (which
// must exist): search-attributes.png, search-text.png and
// search-keywords.png, and of its tab strip at twice its size,
// search-tabs.png. Returns "" on success, else what failed (naming the
// file). Needs a QApplication.
std::string WriteSearchScreenshots(const std::string& dir);

}  // namespace BLASTSEARCH_EXPORT
