#pragma once

#include <cstddef>

namespace blastsearch {

// Records the largest single request made to the global operator new while
// a probe lives (one probe at a time, single thread). Linking a program that
// uses it replaces the global operator new and delete with malloc-based
// ones that do the recording.
class AllocationProbe {
 public:
  AllocationProbe();
  ~AllocationProbe();
  AllocationProbe(const AllocationProbe&) = delete;
  AllocationProbe& operator=(const AllocationProbe&) = delete;

  // The largest single request, in bytes, since the probe was made.
  std::size_t Largest() const;
};

}  // namespace blastsearch
