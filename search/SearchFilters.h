#pragma once

#include "platform/Export.h"
#include "search/AttribFilter.h"
#include "search/ContextFilter.h"
#include "search/KeywordFilter.h"

namespace blastsearch BLASTSEARCH_EXPORT {

// The table search's three filters. They are made the first time a search
// asks for them (text, keyword, attribute, in that order) and live until the
// library unloads, so their settings carry over from one search to the
// next. Whoever uses them owns nothing of them.
CContextFilter& TextSearchFilter();
CKeywordFilter& KeywordSearchFilter();
CAttribFilter& AttribSearchFilter();

// Makes the three filters (in their order) if they are not made yet.
void MakeSearchFilters();

}  // namespace BLASTSEARCH_EXPORT
