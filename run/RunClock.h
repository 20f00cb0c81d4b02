#pragma once

#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

// The time a remote search keeps to space its requests, and its waiting:
// the system's steady clock, or a test's clock that waits without time
// passing.
class CRunClock {
 public:
  virtual ~CRunClock() = default;
  // Seconds since a fixed point of the clock's choosing.
  virtual double Now() = 0;
  // Waits until Now() >= `when`. False when `stop` (may be null) became
  // non-zero first.
  virtual bool WaitUntil(double when, const volatile int* stop) = 0;
};

// The steady clock; waits in steps of a tenth of a second, looking at the
// stop flag between them. Lives as long as the program.
CRunClock& SystemRunClock();

}  // namespace BLASTSEARCH_EXPORT
