// The client of NCBI's BLAST URL API and the remote search run.

#include "run/NcbiBlast.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iterator>

#include "parse/NCBIAnalyserQ.h"
#include "parse/ReportLayout.h"
#include "parse/ResultReader.h"
#include "parse/ScanText.h"
#include "platform/File.h"
#include "run/BlastPrograms.h"
#include "run/HttpClient.h"
#include "run/RemoteRequests.h"
#include "run/RunClock.h"
#include "table/ReportImport.h"

namespace blastsearch {

namespace {

constexpr std::size_t kMaxQuery = 16 << 20;  // NCBI takes far less; more is surely a mistake

// The word after `marker` in the QBlast information block of `page`; empty
// when there is none.
std::string InfoWord(const std::string& page, const char* marker) {
  std::string text = page;  // GetString works on a terminated, writable text
  char* cursor = text.data();
  std::string value;
  if (GetString(&cursor, "QBlastInfoBegin", marker, " ", value, " \n\r", 0) != 1) return {};
  return value;
}

// The service's error or warning line in `page` (through the analyser);
// empty when it holds none.
std::string ServiceError(const std::string& page) {
  CNCBIAnalyserQ analyser;
  CMemFile file(page);
  return analyser.CheckReady(&file) == -1 ? analyser.GetError() : std::string();
}

// The parameters of the URL API that a request sets beyond program,
// database and query.
std::vector<std::string> RemoteParameters(const CBlastSearchRequest& request) {
  std::vector<std::string> parameters;
  if (!request.m_strEvalue.empty()) parameters.push_back("EXPECT=" + request.m_strEvalue);
  if (request.m_nMaxHits > 0) {
    parameters.push_back("HITLIST_SIZE=" + std::to_string(request.m_nMaxHits));
  }
  parameters.insert(parameters.end(), request.m_options.begin(), request.m_options.end());
  return parameters;
}

// The bytes of a file, read once for the reader; a stop ends the read.
class CFetchedSource : public CReportSource {
 public:
  CFetchedSource(std::string path, const volatile int* stop)
      : m_strName(std::move(path)), m_pStop(stop) {}
  ~CFetchedSource() override {
    if (m_fd >= 0) ::close(m_fd);
  }
  CFetchedSource(const CFetchedSource&) = delete;
  CFetchedSource& operator=(const CFetchedSource&) = delete;
  bool Open() { return (m_fd = ::open(m_strName.c_str(), O_RDONLY | O_CLOEXEC)) >= 0; }
  std::size_t Read(char* buffer, std::size_t size) override {
    if (m_pStop != nullptr && *m_pStop != 0) throw CFileException(m_strName, "stopped");
    for (;;) {
      const ssize_t got = ::read(m_fd, buffer, size);
      if (got >= 0) return static_cast<std::size_t>(got);
      if (errno != EINTR) throw CFileException(m_strName, std::strerror(errno));
    }
  }
  const std::string& GetName() const override { return m_strName; }

 private:
  std::string m_strName;
  const volatile int* m_pStop;
  int m_fd = -1;
};

// The first `size` bytes of the file `path`.
std::string HeadOfFile(const std::string& path, std::size_t size) {
  std::ifstream file(path, std::ios::binary);
  std::string head(size, '\0');
  file.read(head.data(), static_cast<std::streamsize>(size));
  head.resize(static_cast<std::size_t>(file.gcount()));
  return head;
}

// The FASTA text of the queries: the file, or standard input for "-".
bool ReadQuery(const std::string& path, std::string& fasta, std::string& error) {
  const int fd = path == "-" ? STDIN_FILENO : ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  const std::string name = path == "-" ? "standard input" : path;
  if (fd < 0) {
    error = name + ": the query file cannot be read: " + std::strerror(errno);
    return false;
  }
  char buffer[65536];
  bool ok = true;
  for (;;) {
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      error = name + ": " + std::strerror(errno);
      ok = false;
      break;
    }
    if (got == 0) break;
    if (fasta.size() + static_cast<std::size_t>(got) > kMaxQuery) {
      error = name + ": the queries hold more than 16 MiB, more than NCBI takes";
      ok = false;
      break;
    }
    fasta.append(buffer, static_cast<std::size_t>(got));
  }
  if (fd != STDIN_FILENO) ::close(fd);
  if (ok && fasta.find_first_not_of(" \t\r\n") == std::string::npos) {
    error = name + ": the query file is empty";
    ok = false;
  }
  return ok;
}

}  // namespace

CNcbiBlastClient::CNcbiBlastClient(CHttpClient& http, CRunClock& clock, CNcbiSettings settings,
                                   const volatile int* stop)
    : m_http(http), m_clock(clock), m_settings(std::move(settings)), m_pStop(stop) {}

bool CNcbiBlastClient::Request(std::string form, bool aboutRid,
                               const std::function<bool(std::string_view)>& sink,
                               std::string& error, bool& stopped) {
  stopped = false;
  if (m_settings.m_strEmail.empty()) {
    error =
        "NCBI asks for an email address with each search: give --email, or set "
        "BLASTSEARCH_EMAIL or EMAIL";
    return false;
  }
  double earliest = m_bAnyRequest ? m_dLastRequest + m_settings.m_dRequestGap : m_clock.Now();
  if (aboutRid && m_bContacted) {
    earliest = std::max(earliest, m_dLastContact + m_settings.m_dPollGap);
  }
  if (!m_clock.WaitUntil(earliest, m_pStop)) {
    stopped = true;
    error = "stopped";
    return false;
  }
  AddFormField(form, "tool", m_settings.m_strTool);
  AddFormField(form, "email", m_settings.m_strEmail);
  ++m_nRequests;
  m_bAnyRequest = true;
  m_dLastRequest = m_clock.Now();
  if (aboutRid) {
    m_dLastContact = m_dLastRequest;
    m_bContacted = true;
  }
  if (m_http.Post(m_settings.m_strUrl, form, sink, error)) return true;
  stopped = m_pStop != nullptr && *m_pStop != 0;
  return false;
}

bool CNcbiBlastClient::RequestPage(std::string form, bool aboutRid, std::string& page,
                                   std::string& error, bool& stopped) {
  page.clear();
  bool tooLong = false;
  const bool ok = Request(
      std::move(form), aboutRid,
      [&](std::string_view piece) {
        if (page.size() + piece.size() > m_settings.m_nMaxPage) {
          tooLong = true;
          return false;
        }
        page.append(piece);
        return true;
      },
      error, stopped);
  if (tooLong) error = "NCBI's answer is longer than a status page can be";
  return ok;
}

bool CNcbiBlastClient::Submit(const CBlastSearchRequest& request, const std::string& fasta,
                              std::string& rid, int& estimate, std::string& error) {
  rid.clear();
  estimate = 0;
  std::string form;
  AddFormField(form, "CMD", "Put");
  AddFormField(form, "PROGRAM",
               request.m_strProgram == "psiblast" ? "blastp" : request.m_strProgram);
  if (request.m_strProgram == "psiblast") AddFormField(form, "SERVICE", "psi");
  AddFormField(form, "DATABASE", request.m_strDatabase);
  AddFormField(form, "QUERY", fasta);
  for (const std::string& parameter : RemoteParameters(request)) {
    const std::size_t equals = parameter.find('=');
    AddFormField(form, parameter.substr(0, equals),
                 equals == std::string::npos ? std::string_view() : parameter.substr(equals + 1));
  }
  std::string page;
  bool stopped = false;
  if (!RequestPage(std::move(form), false, page, error, stopped)) {
    if (!stopped) error = "the search could not be sent to NCBI: " + error;
    return false;
  }
  CNCBIAnalyserQ analyser;
  CMemFile file(page);
  if (analyser.AnalyseSubmitID(&file, rid) != 1 || rid.empty()) {
    const std::string said = ServiceError(page);
    error = said.empty() ? "NCBI's answer to the search holds no request ID"
                         : "NCBI did not take the search: " + said;
    return false;
  }
  estimate = std::atoi(InfoWord(page, "RTOE = ").c_str());
  m_dLastContact = m_dLastRequest;  // the submission is the first contact about the ID
  m_bContacted = true;
  return true;
}

CNcbiBlastClient::Status CNcbiBlastClient::Poll(const std::string& rid, std::string& error) {
  std::string form;
  AddFormField(form, "CMD", "Get");
  AddFormField(form, "FORMAT_OBJECT", "SearchInfo");
  AddFormField(form, "RID", rid);
  std::string page;
  bool stopped = false;
  if (!RequestPage(std::move(form), true, page, error, stopped)) return stopped ? kStopped : kLost;
  CNCBIAnalyserQ analyser;
  CMemFile file(page);
  switch (analyser.CheckReady(&file)) {
    case 1:
      return kReady;
    case -1:
      error = analyser.GetError();
      return kError;
    default:
      break;
  }
  const std::string status = InfoWord(page, "Status=");
  if (status == "WAITING") return kWaiting;
  if (status == "UNKNOWN") return kUnknown;
  if (status == "FAILED") return kFailed;
  error = status.empty() ? "NCBI's answer holds no search status"
                         : "NCBI gave the unknown search status \"" + status + "\"";
  return kError;
}

bool CNcbiBlastClient::WaitReady(const std::string& rid, int estimate,
                                 const std::function<void(const std::string&)>& status,
                                 std::string& error, Status& last) {
  const double start = m_clock.Now();
  if (estimate > 0 && m_bContacted && !m_clock.WaitUntil(m_dLastContact + estimate, m_pStop)) {
    last = kStopped;
    error = "stopped";
    return false;
  }
  int lost = 0;
  for (;;) {
    std::string said;
    last = Poll(rid, said);
    switch (last) {
      case kReady:
        return true;
      case kWaiting:
        lost = 0;
        if (status) {
          status("waiting for NCBI (request ID " + rid + ", " +
                 std::to_string(static_cast<long>(m_clock.Now() - start)) + " s)");
        }
        break;
      case kUnknown:
        error = "NCBI does not know the request ID " + rid + " (it has expired or was never made)";
        return false;
      case kFailed:
        error = "NCBI reports that the search " + rid + " failed";
        return false;
      case kError:
        error = "NCBI: " + said;
        return false;
      case kStopped:
        error = "stopped";
        return false;
      case kLost:
        if (++lost > m_settings.m_nRetries) {
          error = "the connection to NCBI was lost: " + said;
          return false;
        }
        if (status) status("the connection to NCBI was lost (" + said + "); asking again");
        break;
    }
    if (m_clock.Now() - start > m_settings.m_dMaxWait) {
      last = kWaiting;
      error = "NCBI's search " + rid + " was not ready after " +
              std::to_string(static_cast<long>(m_settings.m_dMaxWait / 60)) + " minutes";
      return false;
    }
  }
}

bool CNcbiBlastClient::Fetch(const std::string& rid, int maxHits, const std::string& path,
                             std::string& error, bool& stopped) {
  std::string form;
  AddFormField(form, "CMD", "Get");
  AddFormField(form, "FORMAT_TYPE", "XML");
  AddFormField(form, "RID", rid);
  if (maxHits > 0) {
    AddFormField(form, "DESCRIPTIONS", std::to_string(maxHits));
    AddFormField(form, "ALIGNMENTS", std::to_string(maxHits));
  }
  for (int attempt = 0;; ++attempt) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
      error = path + ": cannot be written: " + std::strerror(errno);
      return false;
    }
    std::string writeError;
    const bool ok = Request(
        form, false,
        [&](std::string_view piece) {
          while (!piece.empty()) {
            const ssize_t put = ::write(fd, piece.data(), piece.size());
            if (put < 0 && errno == EINTR) continue;
            if (put <= 0) {
              writeError = path + ": cannot be written: " + std::strerror(errno);
              return false;
            }
            piece.remove_prefix(static_cast<std::size_t>(put));
          }
          return true;
        },
        error, stopped);
    if (::close(fd) != 0 && writeError.empty() && ok) {
      writeError = path + ": cannot be written: " + std::strerror(errno);
    }
    if (!writeError.empty()) {
      error = writeError;
      return false;
    }
    if (ok) break;
    if (stopped || attempt >= m_settings.m_nRetries) {
      if (!stopped) error = "the connection to NCBI was lost while the results came: " + error;
      return false;
    }
  }
  const std::string head = HeadOfFile(path, kReportHeadSize);
  if (RecogniseReportLayout(head) == ReportLayout::BlastXml) return true;
  const std::string said = ServiceError(head);
  error = said.empty() ? "NCBI's answer for the results of " + rid + " is not a BLAST XML report"
                       : "NCBI: " + said;
  return false;
}

CBlastRunOutcome RunRemoteSearch(const CBlastSearchRequest& request, const std::string& rid,
                                 CNcbiBlastClient& client, const std::string& requestsFile,
                                 const std::string& workDir, const CSearchRunHooks& hooks) {
  const std::unique_ptr<CRemoteRequestStore> requests = MakeRemoteRequestFile(requestsFile);
  return RunRemoteSearch(request, rid, client, *requests, workDir, hooks);
}

CBlastRunOutcome RunRemoteSearch(const CBlastSearchRequest& request, const std::string& rid,
                                 CNcbiBlastClient& client, CRemoteRequestStore& requests,
                                 const std::string& workDir, const CSearchRunHooks& hooks) {
  CBlastRunOutcome outcome;
  auto status = [&](const std::string& line) {
    if (hooks.m_status) hooks.m_status(line);
  };
  std::string searchLine;
  int estimate = 0;
  if (rid.empty()) {
    if (!IsBlastProgram(request.m_strProgram)) {
      outcome.m_strError = "\"" + request.m_strProgram + "\" is not a BLAST program";
      return outcome;
    }
    std::string fasta;
    if (!ReadQuery(request.m_strQuery, fasta, outcome.m_strError)) return outcome;
    status("sending the search to NCBI");
    if (!client.Submit(request, fasta, outcome.m_strRid, estimate, outcome.m_strError)) {
      if (hooks.m_pStop != nullptr && *hooks.m_pStop != 0)
        outcome.m_status = CBlastRunOutcome::kStopped;
      return outcome;
    }
    searchLine =
        DescribeSearchRun("NCBI BLAST, request ID " + outcome.m_strRid, request.m_strProgram,
                          request.m_strDatabase, RemoteParameters(request));
    CRemoteRequest kept{outcome.m_strRid, static_cast<long long>(std::time(nullptr)),
                        request.m_strProgram, request.m_strDatabase, searchLine};
    std::string error;
    if (!requests.Save(kept, error)) status("warning: " + error);
    status("submitted to NCBI: request ID " + outcome.m_strRid +
           (estimate > 0 ? ", ready in about " + std::to_string(estimate) + " s" : ""));
  } else {
    outcome.m_strRid = rid;
    std::string error;
    for (const CRemoteRequest& kept : requests.Read(error)) {
      if (kept.m_strRid == rid) searchLine = kept.m_strSearchLine;
    }
    if (searchLine.empty()) {
      searchLine = DescribeSearchRun("NCBI BLAST, request ID " + rid, request.m_strProgram,
                                     request.m_strDatabase, RemoteParameters(request));
    }
    status("resuming NCBI's search " + rid);
  }
  outcome.m_bResumable = true;
  CNcbiBlastClient::Status last = CNcbiBlastClient::kWaiting;
  if (!client.WaitReady(outcome.m_strRid, estimate, hooks.m_status, outcome.m_strError, last)) {
    if (last == CNcbiBlastClient::kStopped) outcome.m_status = CBlastRunOutcome::kStopped;
    if (last == CNcbiBlastClient::kUnknown || last == CNcbiBlastClient::kFailed ||
        last == CNcbiBlastClient::kError) {
      outcome.m_bResumable = false;  // nothing to come back to
      std::string error;
      requests.Forget(outcome.m_strRid, error);
    }
    return outcome;
  }
  bool stopped = false;
  status("NCBI's search " + outcome.m_strRid + " is ready; fetching the results");
  const std::string path = workDir + "/ncbi-" + outcome.m_strRid + ".xml";
  if (!client.Fetch(outcome.m_strRid, request.m_nMaxHits, path, outcome.m_strError, stopped)) {
    ::unlink(path.c_str());
    if (stopped) outcome.m_status = CBlastRunOutcome::kStopped;
    return outcome;
  }
  CFetchedSource source(path, hooks.m_pStop);
  if (!source.Open()) {
    outcome.m_strError = path + ": cannot be read: " + std::strerror(errno);
  } else {
    StoreSearchResults(source, ReportLayout::BlastXml,
                       DigestOfReportHead("NCBI BLAST request " + outcome.m_strRid), searchLine,
                       hooks, outcome);
  }
  ::unlink(path.c_str());
  if (outcome.m_status == CBlastRunOutcome::kDone) {
    outcome.m_bResumable = false;
    std::string error;
    if (!requests.Forget(outcome.m_strRid, error)) status("warning: " + error);
  }
  return outcome;
}

}  // namespace blastsearch
