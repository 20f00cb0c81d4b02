#pragma once

#include <string>
#include <vector>

#include "app/CommandContext.h"

namespace CLI {
class App;
}

namespace blastsearch {

// What a `blastsearch subbase` command was asked to do.
struct CSubbaseOptions {
  std::string m_strAction;             // list, new, rename, dismiss, clear, delete-contents,
                                       // add, remove
  std::string m_strName;               // the subbase
  std::string m_strNewName;            // rename: its new name
  std::vector<std::string> m_objects;  // results (names or UIDs) for new, add, remove
  bool m_bReplace = false;             // new: refill a subbase that exists
  bool m_bYes = false;                 // delete-contents: MAIN (every result) is meant
};

// Adds `subbase` and its commands to `app`; choosing one sets context.m_run.
void AddSubbaseCommands(CLI::App& app, CCommandContext& context);

// Runs one subbase command through the table, with its messages: list
// writes one line per subbase (its name and number of results); the others
// change the database in one transaction each and write one line. 0; 1 when
// the table refused (its message says why).
int RunSubbase(const CSubbaseOptions& options, CCommandContext& context);

}  // namespace blastsearch
