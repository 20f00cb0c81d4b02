#pragma once

namespace blastsearch {

// Resident memory of the benchmark's own process, for the memory counters.

// The process's peak resident size in bytes.
double PeakResidentBytes();
// The process's current resident size in bytes.
double ResidentBytes();
// Resets the peak resident size to the current one, so that the next peak is
// the measured work's own; false where the kernel does not allow it. Free
// heap memory is handed back first, so that the work cannot hide in memory
// that earlier work left resident.
bool ResetPeakResident();

}  // namespace blastsearch
