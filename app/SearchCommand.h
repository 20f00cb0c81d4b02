#pragma once

#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace blastsearch {

struct CCommandContext;

// What `blastsearch search` was asked.
struct SearchOptions {
  std::string strIn;                  // --in: subbase to search ("" or MAIN: all)
  std::vector<std::string> texts;     // --text
  std::vector<std::string> fields;    // --field
  bool bMatchCase = false;            // --match-case
  std::vector<std::string> keywords;  // --keyword
  std::string strName;                // --name
  bool bNameGiven = false;
  std::vector<std::string> hits;  // --hits: "1-10", "11-100", "101-"
  std::string strInto;            // --into
  bool bIntoGiven = false;
  bool bJson = false;    // --json
  bool bMayAsk = false;  // the subbase name may be asked for
};

// Sets the search filters from `options` as the search dialog's pages would
// and runs the table search on the database of `context`. The run's
// messages go to standard error; the matching objects to standard output
// (as `list` writes them, or its JSON with bJson). Exit status: 0 matches
// found (stored in a subbase when named), or no condition given; 1 nothing
// found, nothing to search, the database cannot be opened or the subbase
// not stored; 2 bad options.
int RunSearch(const SearchOptions& options, CCommandContext& context);

// Adds the `search` command to `app`; choosing it sets context.m_run.
void AddSearchCommand(CLI::App& app, CCommandContext& context);

}  // namespace blastsearch
