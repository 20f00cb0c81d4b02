#include "platform/RegisteredMessage.h"

#include <map>
#include <mutex>

#include "platform/RegistrationLog.h"

namespace blastsearch {

namespace {

constexpr int kFirstMessage = 0xC000;
constexpr int kLastMessage = 0xFFFF;

struct CMessageNames {
  std::mutex m_mutex;
  std::map<std::string, int> m_numbers;
};

// Made on first use and never destroyed: numbers stay valid while the
// process ends.
CMessageNames& Names() {
  static CMessageNames* names = new CMessageNames;
  return *names;
}

}  // namespace

int FindWindowMessage(const std::string& name) {
  CMessageNames& names = Names();
  std::lock_guard<std::mutex> lock(names.m_mutex);
  const auto found = names.m_numbers.find(name);
  return found != names.m_numbers.end() ? found->second : 0;
}

int RegisterWindowMessage(const std::string& name) {
  CMessageNames& names = Names();
  std::lock_guard<std::mutex> lock(names.m_mutex);
  const auto found = names.m_numbers.find(name);
  if (found != names.m_numbers.end()) return found->second;
  const int number = kFirstMessage + static_cast<int>(names.m_numbers.size());
  if (number > kLastMessage) return 0;
  names.m_numbers.emplace(name, number);
  NoteRegistration("window message " + name);
  return number;
}

}  // namespace blastsearch
