#pragma once

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

#include "host/db/DatabaseDirectory.h"
#include "output/CommandMessages.h"

namespace CLI {
class App;
}

namespace blastsearch {

// What every database command shares: the streams, the database folder asked
// for on the command line, and the driver of the command chosen. Owned by
// RunBlastSearch for one run.
struct CCommandContext {
  std::ostream& m_out;         // results and the table's information messages
  std::ostream& m_err;         // failures
  std::string m_strDb;         // --db DIR, or BLASTSEARCH_DB; empty: the default folder
  std::function<int()> m_run;  // set by the command chosen; null when none was
};

// Database 1 of the engine, open for one command: opens (creating the folder
// and the database on first use) at construction and closes at destruction.
// Open() reports a database that cannot be opened through `messages`.
class CCommandDatabase {
 public:
  CCommandDatabase() = default;
  CCommandDatabase(const CCommandDatabase&) = delete;
  CCommandDatabase& operator=(const CCommandDatabase&) = delete;
  ~CCommandDatabase();

  // Opens the database in DatabaseDirectory(`asked`): true; false with a
  // failure line naming the folder or file and what was wrong.
  [[nodiscard]] bool Open(const std::string& asked, CCommandMessages& messages);

 private:
  bool m_bOpen = false;
};

// The one opening path of every database command: opens database 1 of the
// folder asked for in `context` for the life of `body`, runs it and returns
// its exit status. When the database cannot be opened, `body` does not run: a
// failure line goes through `messages` and the status is 1.
int WithDatabase(const CCommandContext& context, CCommandMessages& messages,
                 const std::function<int()>& body);

// WithDatabase with the table's messages on the context's streams for a
// command that answers whether it succeeded: the status is CommandStatus of
// that answer after standard output was flushed.
int WithDatabase(CCommandContext& context, const std::function<bool(CCommandMessages&)>& body);

// "" when database `dbId` may be changed; else the reason a change of it
// failed, as a clause to append to the failure: ": DB: the database is
// read-only for this role; nothing was changed".
std::string ReadOnlyNote(int dbId);

// Adds to `app` the command `name` whose subcommands do the work: exactly one
// of them must be given, and the options of `app` are taken after them. Owned
// by `app`.
CLI::App* AddCommandGroup(CLI::App& app, const char* name, const char* description);

}  // namespace blastsearch
