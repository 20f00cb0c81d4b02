#pragma once

#include <iosfwd>
#include <string>
#include <vector>

class CObjInfo;

// The database directory a command works on: `option` (--db) when given,
// else $BLASTSEARCH_DB, else $XDG_DATA_HOME/blastsearch, else
// ~/.local/share/blastsearch.
std::string ChooseDatabaseDir(const std::string& option);

// Database 1 opened for one command and closed when the command ends.
class CCommandDatabase {
 public:
  CCommandDatabase() = default;
  CCommandDatabase(const CCommandDatabase&) = delete;
  CCommandDatabase& operator=(const CCommandDatabase&) = delete;
  // Closes the database if Open succeeded.
  ~CCommandDatabase();

  // Opens (creating when absent) the database in `dir`: true, or false
  // with a message naming the directory and the reason on `err`.
  bool Open(const std::string& dir, std::ostream& err);

 private:
  bool m_bOpen = false;
};

// The stored BLAST result named `ref`, or with record identifier `ref` when
// no object has that name and `ref` is a number; null when there is none.
// The record belongs to the table's list.
CObjInfo* FindObjectByRef(const std::string& ref);

// Writes `objects` as a JSON array of {"uid","name","hits","query_name",
// "created"} (creation time in ISO 8601, UTC), then a line end.
void WriteObjectListJson(const std::vector<const CObjInfo*>& objects, std::ostream& out);
// Writes one line per object: UID, name, hit count and query name,
// tab-separated.
void WriteObjectListText(const std::vector<const CObjInfo*>& objects, std::ostream& out);
