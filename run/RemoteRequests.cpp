// The remote requests kept beside a database.

#include "run/RemoteRequests.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>

#include "host/db/DBException.h"

namespace blastsearch {

namespace {

std::string Clean(std::string value) {
  for (char& c : value) {
    if (c == '\t' || c == '\n' || c == '\r') c = ' ';
  }
  return value;
}

std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = line.find('\t', start);
    fields.push_back(line.substr(start, end == std::string::npos ? end : end - start));
    if (end == std::string::npos) return fields;
    start = end + 1;
  }
}

bool WriteAll(int fd, const std::string& text) {
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t put = ::write(fd, text.data() + done, text.size() - done);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    done += static_cast<std::size_t>(put);
  }
  return true;
}

bool WriteRequests(const std::string& path, const std::vector<CRemoteRequest>& requests,
                   std::string& error) {
  std::string text;
  for (const CRemoteRequest& request : requests) {
    text += Clean(request.m_strRid) + '\t' + std::to_string(request.m_nSubmitted) + '\t' +
            Clean(request.m_strProgram) + '\t' + Clean(request.m_strDatabase) + '\t' +
            Clean(request.m_strSearchLine) + '\n';
  }
  const std::string temporary = path + ".new";
  const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  bool ok = fd >= 0 && WriteAll(fd, text) && ::fsync(fd) == 0;
  const int writeError = errno;
  if (fd >= 0 && ::close(fd) != 0) ok = false;
  if (ok && ::rename(temporary.c_str(), path.c_str()) == 0) return true;
  error = path + ": cannot be written: " + std::strerror(ok ? errno : writeError);
  ::unlink(temporary.c_str());
  return false;
}

}  // namespace

std::string RemoteRequestsFile(const std::string& databaseDir) {
  return databaseDir + "/blast-requests.tsv";
}

std::vector<CRemoteRequest> ReadRemoteRequests(const std::string& path) {
  std::vector<CRemoteRequest> requests;
  std::ifstream file(path);
  std::string line;
  while (std::getline(file, line)) {
    const std::vector<std::string> fields = Fields(line);
    if (fields.size() != 5 || fields[0].empty()) continue;
    CRemoteRequest request;
    request.m_strRid = fields[0];
    request.m_nSubmitted = std::strtoll(fields[1].c_str(), nullptr, 10);
    request.m_strProgram = fields[2];
    request.m_strDatabase = fields[3];
    request.m_strSearchLine = fields[4];
    requests.push_back(std::move(request));
  }
  return requests;
}

bool SaveRemoteRequest(const std::string& path, const CRemoteRequest& request, std::string& error) {
  std::vector<CRemoteRequest> requests = ReadRemoteRequests(path);
  std::erase_if(requests, [&](const CRemoteRequest& r) { return r.m_strRid == request.m_strRid; });
  requests.push_back(request);
  return WriteRequests(path, requests, error);
}

bool ForgetRemoteRequest(const std::string& path, const std::string& rid, std::string& error) {
  std::vector<CRemoteRequest> requests = ReadRemoteRequests(path);
  const std::size_t before = requests.size();
  std::erase_if(requests, [&](const CRemoteRequest& r) { return r.m_strRid == rid; });
  if (requests.size() == before) return true;
  return WriteRequests(path, requests, error);
}

namespace {

class CRemoteRequestFile : public CRemoteRequestStore {
 public:
  explicit CRemoteRequestFile(std::string path) : m_strPath(std::move(path)) {}
  std::vector<CRemoteRequest> Read(std::string&) override { return ReadRemoteRequests(m_strPath); }
  bool Save(const CRemoteRequest& request, std::string& error) override {
    return SaveRemoteRequest(m_strPath, request, error);
  }
  bool Forget(const std::string& rid, std::string& error) override {
    return ForgetRemoteRequest(m_strPath, rid, error);
  }

 private:
  std::string m_strPath;
};

class CRemoteRequestTable : public CRemoteRequestStore {
 public:
  explicit CRemoteRequestTable(CDBStorage& storage) : m_storage(storage) {}
  std::vector<CRemoteRequest> Read(std::string& error) override {
    try {
      return m_storage.RemoteRequests();
    } catch (const CDBException& e) {
      error = e.what();
      return {};
    }
  }
  bool Save(const CRemoteRequest& request, std::string& error) override {
    try {
      m_storage.PutRemoteRequest(request);
      return true;
    } catch (const CDBException& e) {
      error = e.what();
      return false;
    }
  }
  bool Forget(const std::string& rid, std::string& error) override {
    try {
      (void)m_storage.DeleteRemoteRequest(rid);
      return true;
    } catch (const CDBException& e) {
      error = e.what();
      return false;
    }
  }

 private:
  CDBStorage& m_storage;
};

}  // namespace

std::unique_ptr<CRemoteRequestStore> MakeRemoteRequestFile(const std::string& path) {
  return std::make_unique<CRemoteRequestFile>(path);
}

std::unique_ptr<CRemoteRequestStore> MakeRemoteRequestTable(CDBStorage& storage) {
  return std::make_unique<CRemoteRequestTable>(storage);
}

bool TakeOverRemoteRequestFile(const std::string& path, CRemoteRequestStore& store,
                               std::string& error) {
  if (::access(path.c_str(), F_OK) != 0) return true;
  if (!std::ifstream(path).is_open()) {
    error = path + ": cannot be read: " + std::strerror(errno);
    return false;
  }
  for (const CRemoteRequest& request : ReadRemoteRequests(path)) {
    if (!store.Save(request, error)) return false;
  }
  if (::unlink(path.c_str()) != 0 && errno != ENOENT) {
    error = path + ": taken over, but cannot be removed: " + std::strerror(errno);
    return false;
  }
  return true;
}

std::unique_ptr<CRemoteRequestStore> OpenRemoteRequests(CDBStorage& storage,
                                                        const std::string& workDir,
                                                        std::string& warning) {
  if (!storage.KeepsRemoteRequests()) return MakeRemoteRequestFile(RemoteRequestsFile(workDir));
  std::unique_ptr<CRemoteRequestStore> table = MakeRemoteRequestTable(storage);
  if (!storage.IsReadOnly()) {
    (void)TakeOverRemoteRequestFile(RemoteRequestsFile(workDir), *table, warning);
  }
  return table;
}

}  // namespace blastsearch
