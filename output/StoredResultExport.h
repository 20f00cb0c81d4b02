#pragma once

#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

class CBlastSearchObject;
class CCommandMessages;

// What `blastsearch export` was asked to do.
struct CExportOptions {
  std::vector<std::string> m_objects;  // names or UIDs, in order
  std::string m_strFormat = "json";    // json, tsv, fasta or transfer
  std::string m_strOutput;             // file to write; empty: standard output
};

// The stored result `nameOrUid` (as LookUpStoredObject finds it) of database
// 1, read from its record; null with a failure line naming it when it is
// missing or its record cannot be read. The caller owns it.
[[nodiscard]] std::unique_ptr<CBlastSearchObject> ReadStoredObject(const std::string& nameOrUid,
                                                                   CCommandMessages& messages);

// RunExport's writing, over database 1 as it is open now (the window's
// export): the results named in `options` (names or UIDs) in its format into
// its output file (standard output `out` when empty), failures as lines on
// `err`. 0; 1 as RunExport.
int ExportStoredResults(const CExportOptions& options, std::ostream& out, std::ostream& err);

}  // namespace BLASTSEARCH_EXPORT
