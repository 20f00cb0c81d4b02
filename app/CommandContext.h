#pragma once

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

#include "host/db/DatabaseDirectory.h"
#include "output/CommandMessages.h"

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
