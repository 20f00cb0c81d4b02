#pragma once

#include <cstdlib>
#include <optional>
#include <string>

namespace blastsearch {

// Sets an environment variable (or unsets it, for nullopt) for its lifetime
// and restores the former state when it ends.
class CScopedEnvironment {
 public:
  CScopedEnvironment(std::string name, const std::optional<std::string>& value)
      : m_strName(std::move(name)) {
    if (const char* old = std::getenv(m_strName.c_str()); old != nullptr) m_former = old;
    if (value) {
      ::setenv(m_strName.c_str(), value->c_str(), 1);
    } else {
      ::unsetenv(m_strName.c_str());
    }
  }
  CScopedEnvironment(const CScopedEnvironment&) = delete;
  CScopedEnvironment& operator=(const CScopedEnvironment&) = delete;
  ~CScopedEnvironment() {
    if (m_former) {
      ::setenv(m_strName.c_str(), m_former->c_str(), 1);
    } else {
      ::unsetenv(m_strName.c_str());
    }
  }

 private:
  std::string m_strName;
  std::optional<std::string> m_former;
};

}  // namespace blastsearch
