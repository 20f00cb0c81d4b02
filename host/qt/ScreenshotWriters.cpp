#include "host/qt/ScreenshotWriters.h"

#include <algorithm>
#include <filesystem>
#include <vector>

namespace blastsearch {

namespace {

// Made on first use (by a module's start-up), so it goes after the modules
// that registered with it.
std::vector<ScreenshotWriter>& Writers() {
  static std::vector<ScreenshotWriter> writers;
  return writers;
}

}  // namespace

void RegisterScreenshotWriter(ScreenshotWriter writer) {
  auto& writers = Writers();
  if (writer != nullptr && std::find(writers.begin(), writers.end(), writer) == writers.end()) {
    writers.push_back(writer);
  }
}

void UnregisterScreenshotWriter(ScreenshotWriter writer) { std::erase(Writers(), writer); }

std::string WriteRegisteredScreenshots(const std::string& dir) {
  if (Writers().empty()) return "no window of a loaded extension library to take pictures of";
  std::error_code error;
  std::filesystem::create_directories(dir, error);
  for (ScreenshotWriter writer : std::vector<ScreenshotWriter>(Writers())) {
    const std::string failure = writer(dir);
    if (!failure.empty()) return failure;
  }
  return "";
}

}  // namespace blastsearch
