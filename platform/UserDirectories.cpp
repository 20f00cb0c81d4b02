#include "platform/UserDirectories.h"

#include <cstdlib>

namespace blastsearch {

namespace {

// `variable` when it holds an absolute path, else HOME followed by
// `underHome`; "" when there is no usable HOME either.
std::string BaseDirectory(const char* variable, const char* underHome) {
  const char* value = std::getenv(variable);
  if (value != nullptr && value[0] == '/') return value;
  const char* home = std::getenv("HOME");
  if (home == nullptr || home[0] == '\0') return "";
  return std::string(home) + underHome;
}

}  // namespace

std::string UserDataDirectory() { return BaseDirectory("XDG_DATA_HOME", "/.local/share"); }

std::string UserConfigDirectory() { return BaseDirectory("XDG_CONFIG_HOME", "/.config"); }

}  // namespace blastsearch
