#include "platform/RegistrationLog.h"

#include <deque>
#include <mutex>

namespace blastsearch {

namespace {

constexpr std::size_t kKeptNotes = 4096;

struct CLog {
  std::mutex m_mutex;
  unsigned long m_nLast = 0;
  std::deque<CRegistrationNote> m_notes;
};

// Made on first use, so that modules may note from their static objects;
// never destroyed, so that notes made while the process ends still land.
CLog& Log() {
  static CLog* log = new CLog;
  return *log;
}

}  // namespace

unsigned long NoteRegistration(const std::string& what) noexcept {
  CLog& log = Log();
  std::lock_guard<std::mutex> lock(log.m_mutex);
  const unsigned long stamp = ++log.m_nLast;
  try {
    if (log.m_notes.size() == kKeptNotes) log.m_notes.pop_front();
    log.m_notes.push_back({stamp, what});
  } catch (...) {
    // The note is lost; the stamp still counts it.
  }
  return stamp;
}

unsigned long LastRegistrationStamp() {
  CLog& log = Log();
  std::lock_guard<std::mutex> lock(log.m_mutex);
  return log.m_nLast;
}

std::vector<CRegistrationNote> RegistrationsSince(unsigned long stamp) {
  CLog& log = Log();
  std::lock_guard<std::mutex> lock(log.m_mutex);
  std::vector<CRegistrationNote> notes;
  for (const CRegistrationNote& note : log.m_notes) {
    if (note.m_nStamp > stamp) notes.push_back(note);
  }
  return notes;
}

}  // namespace blastsearch
