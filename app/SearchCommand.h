#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace CLI {
class App;
}

// What `blastsearch search` was asked.
struct SearchOptions {
  std::string strDb;                      // --db
  std::string strIn;                      // --in: subbase to search ("" or MAIN: all)
  std::vector<std::string> texts;         // --text
  std::vector<std::string> fields;        // --field
  bool bMatchCase = false;                // --match-case
  std::vector<std::string> keywords;      // --keyword
  std::string strName;                    // --name
  bool bNameGiven = false;
  std::vector<std::string> hits;          // --hits: "1-10", "11-100", "101-"
  std::string strInto;                    // --into
  bool bIntoGiven = false;
  bool bJson = false;                     // --json
  bool bMayAsk = false;                   // the subbase name may be asked for
};

// Sets the search filters from `options` as the search dialog's pages would
// and runs the table search. The run's messages go to `err`; the matching
// objects to `out` (text lines or, with bJson, the JSON of `list --json`).
// Exit status: 0 matches found (stored in a subbase when named), or no
// condition given; 1 nothing found, nothing to search or the subbase could
// not be stored; 2 bad options or the database cannot be opened.
int RunSearch(const SearchOptions& options, std::ostream& out, std::ostream& err);

// Adds the `search` command to `app`; when it runs, its exit status goes to
// `status`. The streams must outlive `app`.
void AddSearchCommand(CLI::App& app, std::ostream& out, std::ostream& err, int& status);
