#pragma once

#include <string>
#include <vector>

class CDBTableBase;
class QWidget;

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
// and transfer files as the command line's import stores them (the table's
// page import with its file question answered by the path). The table's
// messages are collected instead of shown. With more than one file a
// progress window over `parent` shows the file being read and can stop the
// import between files. Never throws.
CFileImportResult ImportFilesIntoTable(CDBTableBase& table, int dbId, const std::string& subbase,
                                       const std::vector<std::string>& paths, QWidget* parent);
