#pragma once

#include <string>
#include <vector>

#include "platform/Export.h"

class QWidget;

namespace blastsearch BLASTSEARCH_EXPORT {

class CDBTableBase;

// What an import of files stored and what it said.
struct CFileImportResult {
  int m_nStored = 0;                    // files stored (an archive counts once)
  std::vector<std::string> m_lines;     // the table's information lines, one per file
  std::vector<std::string> m_failures;  // why files were not stored, each naming its file
  std::vector<std::string> m_newNames;  // names of the objects that are new, in list order
  bool m_bCancelled = false;            // the person stopped the import
};

// Imports `paths` into `subbase` of database `dbId`, one file at a time:
// archives of `table` (its archive file type) whole through
// ReadObjectsFromArchive, its object files through ImportObject, and reports
// and transfer files as the command line's import stores them (one result
// per query, named after it; files without a report that is read refused;
// results stored already skipped and said). The messages are collected
// instead of shown. A progress window over `parent` (for several files, or
// one that takes a while) can stop the import after the result being
// stored. Never throws.
CFileImportResult ImportFilesIntoTable(CDBTableBase& table, int dbId, const std::string& subbase,
                                       const std::vector<std::string>& paths, QWidget* parent);

}  // namespace BLASTSEARCH_EXPORT
