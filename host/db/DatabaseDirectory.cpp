#include "host/db/DatabaseDirectory.h"

#include "platform/UserDirectories.h"

std::string DatabaseDirectory(const std::string& asked) {
  if (!asked.empty()) return asked;
  const std::string data = UserDataDirectory();
  return data.empty() ? "" : data + "/blastsearch";
}
