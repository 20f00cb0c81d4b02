#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

namespace blastsearch {

class CBlastSearchEntry;
class CBlastSearchHit;
class CBlastSearchHitElement;

// The two report readers, as the tests drive them: the QBlast parser through
// CNCBIAnalyserQ::ReadRequest, the classic HTML reader through
// CNCBIAnalyser::ReadRequest (which hands the page to CReadSampleData).
enum class ReportReader { QBlast, Classic };

// "QBlast" or "Classic", for test names and messages.
const char* ReaderName(ReportReader reader);

// A test name for a corpus file read by `reader`: the reader's name and the
// file's path with every character other than a letter or digit made '_'.
std::string TestName(ReportReader reader, const std::string& file);

// Parses `text` with `reader` into `entry` (appending to what it holds), as a
// file held in memory. `progress` and `stop` are handed to the analyser as
// they are (either may be null); the object types are set only when
// `queryType` is non-zero. Returns ReadRequest's result. Messages that the
// reader shows are recorded and dropped. Exceptions pass through.
int ParseReport(ReportReader reader, const std::string& text, CBlastSearchEntry& entry,
                int* progress = nullptr, int* stop = nullptr, int queryType = 0, int hitType = 0);

// Every field of `element` and its two rows, one line each.
std::string ElementText(const CBlastSearchHitElement& element);

// Every field of `hit`, its elements and rows, one line each; for comparing
// single hits of two trees.
std::string HitText(const CBlastSearchHit& hit);

// Guards parses against hangs without timing them: while armed, a watcher
// thread sets the stop flag once `limit` has passed, so a parse that runs on
// comes back through the flag and Fired() tells the test. The limit is far
// above any honest parse of the inputs used (seconds, not milliseconds).
class CParseWatchdog {
 public:
  explicit CParseWatchdog(std::chrono::seconds limit);
  ~CParseWatchdog();
  CParseWatchdog(const CParseWatchdog&) = delete;
  CParseWatchdog& operator=(const CParseWatchdog&) = delete;

  // Clears the flag and starts the clock; returns the flag to hand to the
  // parse. Valid while the watchdog lives.
  int* Arm();
  // Stops the clock; true when the limit passed while armed (the flag was set).
  bool Disarm();

 private:
  void Watch();

  std::chrono::seconds m_limit;
  int m_nStop = 0;
  bool m_bArmed = false;
  bool m_bFired = false;
  bool m_bQuit = false;
  std::chrono::steady_clock::time_point m_deadline;
  std::mutex m_mutex;
  std::condition_variable m_wake;
  std::thread m_thread;
};

}  // namespace blastsearch
