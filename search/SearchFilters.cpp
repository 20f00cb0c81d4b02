#include "search/SearchFilters.h"

namespace blastsearch {

namespace {

struct CFilterSet {
  CContextFilter m_text;
  CKeywordFilter m_keyword;
  CAttribFilter m_attrib;
};

CFilterSet& Filters() {
  static CFilterSet filters;
  return filters;
}

}  // namespace

CContextFilter& TextSearchFilter() { return Filters().m_text; }
CKeywordFilter& KeywordSearchFilter() { return Filters().m_keyword; }
CAttribFilter& AttribSearchFilter() { return Filters().m_attrib; }
void MakeSearchFilters() { Filters(); }

}  // namespace blastsearch
