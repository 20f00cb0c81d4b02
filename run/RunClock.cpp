// The system's run clock.

#include "run/RunClock.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace blastsearch {

namespace {

class CSystemRunClock : public CRunClock {
 public:
  double Now() override {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
  }
  bool WaitUntil(double when, const volatile int* stop) override {
    for (;;) {
      if (stop != nullptr && *stop != 0) return false;
      const double left = when - Now();
      if (left <= 0) return true;
      std::this_thread::sleep_for(std::chrono::duration<double>(std::min(left, 0.1)));
    }
  }
};

}  // namespace

CRunClock& SystemRunClock() {
  static CSystemRunClock clock;
  return clock;
}

}  // namespace blastsearch
