#include "platform/TickCount.h"

#include <ctime>

namespace blastsearch {

namespace {

std::uint32_t SystemTicks() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  const auto ms = static_cast<std::uint64_t>(now.tv_sec) * 1000u +
                  static_cast<std::uint64_t>(now.tv_nsec) / 1000000u;
  return static_cast<std::uint32_t>(ms);
}

TickSource g_source = nullptr;

}  // namespace

std::uint32_t GetTickCount() { return g_source != nullptr ? g_source() : SystemTicks(); }

TickSource SetTickSource(TickSource source) {
  TickSource previous = g_source;
  g_source = source;
  return previous;
}

}  // namespace blastsearch
