#include "search/TableSearch.h"

#include "search/SearchFilters.h"
#include "search/SearchRun.h"
#include "table/BlastSearchTable.h"
#include "table/SearchHook.h"

namespace blastsearch {

namespace {

SearchDialogRunner g_runner = nullptr;

// Hands the table's search command to this subsystem when the library loads.
struct CSearchHandlerRegistration {
  CSearchHandlerRegistration() { SetTableSearchHandler(&SearchBlastSearchTable); }
} s_searchHandlerRegistration;

}  // namespace

SearchDialogRunner SetSearchDialogRunner(SearchDialogRunner runner) {
  SearchDialogRunner previous = g_runner;
  g_runner = runner;
  return previous;
}

void AddTableSearchFilters(CSearchRun& run) {
  MakeSearchFilters();
  run.AddFilter(&AttribSearchFilter());
  run.AddFilter(&TextSearchFilter());
  run.AddFilter(&KeywordSearchFilter());
}

int SearchBlastSearchTable(int dbId, const std::string& subbase, std::string& resultSubbase) {
  resultSubbase.clear();
  MakeSearchFilters();
  CSearchRun run(blastSearch().tableobjtype(), dbId);
  if (!subbase.empty()) run.m_lookInSubbase = subbase;
  AddTableSearchFilters(run);
  const int result = g_runner != nullptr ? g_runner(run) : 0;
  resultSubbase = run.m_resultSubbase;
  return result == 1 ? 1 : 0;
}

}  // namespace blastsearch
