#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "platform/Export.h"
#include "run/RemoteRequests.h"
#include "run/SearchRun.h"

namespace blastsearch BLASTSEARCH_EXPORT {

class CHttpClient;
class CRunClock;

// NCBI's BLAST URL API.
inline constexpr const char* kNcbiBlastUrl = "https://blast.ncbi.nlm.nih.gov/Blast.cgi";

// How the client talks to the service, within NCBI's usage rules.
struct CNcbiSettings {
  std::string m_strUrl = kNcbiBlastUrl;
  std::string m_strTool = "blastsearch";  // the `tool` parameter of every request
  std::string m_strEmail;                 // the `email` parameter; required
  double m_dRequestGap = 10;              // seconds at least between two requests
  double m_dPollGap = 60;           // seconds at least between two contacts about one request ID
  int m_nRetries = 2;               // lost connections tolerated in a row while polling or fetching
  double m_dMaxWait = 12 * 3600.0;  // seconds of waiting for a result before giving up
  std::size_t m_nMaxPage = 1 << 20;  // the most bytes of a submission or status page
};

// A client of NCBI's BLAST URL API that keeps its usage rules: no two
// requests closer than the request gap, one request ID contacted at most
// once per poll gap (its submission counts), the tool and email parameters
// with every request. The answers are read by the QBlast analysers. One
// client per search; the HTTP client and the clock must outlive it.
class CNcbiBlastClient {
 public:
  CNcbiBlastClient(CHttpClient& http, CRunClock& clock, CNcbiSettings settings,
                   const volatile int* stop);

  // CMD=Put: submits `fasta` for `request`'s program and database with its
  // E value, hit count and NAME=VALUE parameters. True with the request ID
  // and NCBI's estimate of the seconds it takes (0 when not given); false
  // with `error` (the service's own words where it gave some).
  bool Submit(const CBlastSearchRequest& request, const std::string& fasta, std::string& rid,
              int& estimate, std::string& error);

  enum Status { kReady, kWaiting, kUnknown, kFailed, kError, kLost, kStopped };
  // One CMD=Get&FORMAT_OBJECT=SearchInfo request about `rid`, waiting first as
  // the rules require. kError with the service's error or warning line,
  // kLost with the connection's failure.
  Status Poll(const std::string& rid, std::string& error);
  // Polls until the search is ready (true) or failed, unknown, lost more
  // than the retries allow, stopped or waited for too long (false with
  // `error`; `last` is the status that ended the waiting: kWaiting when it
  // was too long). `status` (may be empty) hears each state.
  bool WaitReady(const std::string& rid, int estimate,
                 const std::function<void(const std::string&)>& status, std::string& error,
                 Status& last);
  // CMD=Get&FORMAT_TYPE=XML (no poll: only the request gap is kept): writes the results of `rid` to
  // the file `path` (made anew). False with `error` on a lost connection (after the retries), a
  // file that cannot be written, a stop, or an answer that is not a BLAST XML report (the service's
  // error line where it gave one).
  bool Fetch(const std::string& rid, int maxHits, const std::string& path, std::string& error,
             bool& stopped);

  // Requests made so far.
  std::size_t GetRequestCount() const { return m_nRequests; }

 private:
  // Waits for the gaps (for a poll, `aboutRid`, also the poll gap), then
  // posts `form` (the tool and email added). False
  // with `error` when the connection failed, or `stopped` set.
  bool Request(std::string form, bool aboutRid, const std::function<bool(std::string_view)>& sink,
               std::string& error, bool& stopped);
  bool RequestPage(std::string form, bool aboutRid, std::string& page, std::string& error,
                   bool& stopped);

  CHttpClient& m_http;
  CRunClock& m_clock;
  CNcbiSettings m_settings;
  const volatile int* m_pStop;
  std::size_t m_nRequests = 0;
  double m_dLastRequest = 0;
  double m_dLastContact = 0;  // the last poll of the request ID (or its submission)
  bool m_bContacted = false;
  bool m_bAnyRequest = false;
};

// Runs `request` at NCBI (or resumes the search `rid` when it is not empty)
// and stores each query's result as RunLocalSearch does: submits, keeps the
// request ID in `requestsFile` at once (see RemoteRequests.h), polls within
// the rules, fetches the results as BLAST+ XML into a file in `workDir`,
// stores them, then forgets the request and the file. A search cut short
// (stopped, a lost connection) keeps its request ID for a resume
// (outcome.m_bResumable); one that NCBI failed or does not know is
// forgotten. Results stored
// before a resume are skipped when it stores them again. Never throws but
// for memory.
CBlastRunOutcome RunRemoteSearch(const CBlastSearchRequest& request, const std::string& rid,
                                 CNcbiBlastClient& client, const std::string& requestsFile,
                                 const std::string& workDir, const CSearchRunHooks& hooks);
// The same, keeping the request ID in `requests` (a server database's own
// table, say) instead of a file.
CBlastRunOutcome RunRemoteSearch(const CBlastSearchRequest& request, const std::string& rid,
                                 CNcbiBlastClient& client, CRemoteRequestStore& requests,
                                 const std::string& workDir, const CSearchRunHooks& hooks);

}  // namespace BLASTSEARCH_EXPORT
