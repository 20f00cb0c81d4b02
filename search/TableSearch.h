#pragma once

#include <string>

#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

class CSearchRun;

// Shows the search dialog modally over `run`, whose filters are registered
// (attribute, text, keyword) and whose look-in subbase is "MAIN"; the
// dialog's Start Search calls run.OnStartSearch. Answers the dialog's result
// (1 for OK). Installed by the window layer.
using SearchDialogRunner = int (*)(CSearchRun& run);

// Installs `runner` (null: none) and returns the one it replaces.
SearchDialogRunner SetSearchDialogRunner(SearchDialogRunner runner);

// Makes the three filters on first use and registers them with `run` in
// the order they are tried: attribute, text, keyword.
void AddTableSearchFilters(CSearchRun& run);

// The BLAST search table's search command (its SearchForObjects, installed
// as the table's search handler when the library loads): makes the three
// filters on first use, registers them with a search run of the table's
// object type in database `dbId` and runs the dialog, which looks in
// `subbase` first ("" or MAIN: every object). `resultSubbase` gets
// the last subbase a search filled ("" if none); answers 1 when the dialog
// ended with OK, else 0 (also when no dialog is installed). Never throws.
int SearchBlastSearchTable(int dbId, const std::string& subbase, std::string& resultSubbase);

}  // namespace BLASTSEARCH_EXPORT
