#pragma once

#include <memory>
#include <string>
#include <vector>

#include "host/db/DBStorage.h"
#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

// A remote search submitted to NCBI and not yet stored: kept from its
// submission on (in the database of a server, else in a small file beside
// the database), so that a search cut short (Ctrl-C, a lost connection, a
// closed window) can be resumed by its request ID.
using CRemoteRequest = CStoredRemoteRequest;

// Where the request IDs of remote searches are kept. Used from one thread.
class CRemoteRequestStore {
 public:
  virtual ~CRemoteRequestStore() = default;
  // The requests kept, oldest first; none when they cannot be read (with
  // `error` naming where and why). Never throws but for memory.
  virtual std::vector<CRemoteRequest> Read(std::string& error) = 0;
  // Keeps `request` (replacing one of the same request ID). False with
  // `error` when it cannot be kept. Never throws but for memory.
  [[nodiscard]] virtual bool Save(const CRemoteRequest& request, std::string& error) = 0;
  // Forgets the request `rid` (harmless when it is not kept). False with
  // `error` when that cannot be written. Never throws but for memory.
  virtual bool Forget(const std::string& rid, std::string& error) = 0;
};

// The requests kept in the file `path` (see RemoteRequestsFile).
std::unique_ptr<CRemoteRequestStore> MakeRemoteRequestFile(const std::string& path);
// The requests kept in `storage` (which keeps them: KeepsRemoteRequests),
// seen by every client of that database; `storage` must outlive the store.
std::unique_ptr<CRemoteRequestStore> MakeRemoteRequestTable(CDBStorage& storage);

// Moves the requests of the file `path` (kept by a version that kept a
// server database's requests in a local folder) into `store`, then removes
// the file, so that none is lost and none is taken over twice. True when
// there was no file or every request was moved; false with `error` (the
// file then stays, to be taken over by a later run).
bool TakeOverRemoteRequestFile(const std::string& path, CRemoteRequestStore& store,
                               std::string& error);

// The requests of the database `storage`, whose work folder is `workDir`:
// its table when the storage keeps them (first taking over the file an
// older version left in `workDir`, unless the database is read-only; a
// take-over that fails sets `warning` and keeps the file), else the file
// in `workDir`. `storage` must outlive the store; use it on the storage's
// thread.
std::unique_ptr<CRemoteRequestStore> OpenRemoteRequests(CDBStorage& storage,
                                                        const std::string& workDir,
                                                        std::string& warning);

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
