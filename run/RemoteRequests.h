#pragma once

#include <string>
#include <vector>

#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

// A remote search submitted to NCBI and not yet stored: kept in a small file
// beside the database from its submission on, so that a search cut short
// (Ctrl-C, a lost connection, a closed window) can be resumed by its request
// ID.
struct CRemoteRequest {
  std::string m_strRid;         // NCBI's request ID
  long long m_nSubmitted = 0;   // when it was submitted (seconds since 1970)
  std::string m_strProgram;     // blastp, ...
  std::string m_strDatabase;    // NCBI's database name
  std::string m_strSearchLine;  // what each result keeps of the run (result_info::kSearch)
};

// The file of the remote requests of the database in `databaseDir`.
std::string RemoteRequestsFile(const std::string& databaseDir);

// The requests in `path`, oldest first; none when the file is missing. Lines
// that are not requests are passed over. Never throws but for memory.
std::vector<CRemoteRequest> ReadRemoteRequests(const std::string& path);

// Adds (or replaces, by request ID) `request` in `path`, writing a new file
// beside it and putting it in place. False with `error` (naming the file)
// when it cannot be written. Never throws but for memory.
[[nodiscard]] bool SaveRemoteRequest(const std::string& path, const CRemoteRequest& request,
                                     std::string& error);

// Removes the request `rid` from `path` (harmless when it is not there). False
// with `error` when the file cannot be written.
bool ForgetRemoteRequest(const std::string& path, const std::string& rid, std::string& error);

}  // namespace BLASTSEARCH_EXPORT
