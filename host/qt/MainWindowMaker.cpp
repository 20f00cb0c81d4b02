#include "host/qt/MainWindowMaker.h"

#include <algorithm>
#include <vector>

namespace blastsearch {

namespace {

// Made on first use (by a module's start-up), so it goes after the modules
// that registered with it.
std::vector<MainWindowMaker>& Makers() {
  static std::vector<MainWindowMaker> makers;
  return makers;
}

}  // namespace

void RegisterMainWindowMaker(MainWindowMaker maker) {
  auto& makers = Makers();
  if (maker != nullptr && std::find(makers.begin(), makers.end(), maker) == makers.end()) {
    makers.push_back(maker);
  }
}

void UnregisterMainWindowMaker(MainWindowMaker maker) { std::erase(Makers(), maker); }

MainWindowMaker RegisteredMainWindowMaker() {
  const auto& makers = Makers();
  return makers.empty() ? nullptr : makers.back();
}

}  // namespace blastsearch
