#include "util/HeapReserve.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

#if defined(__GLIBC__)
#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace blastsearch {

namespace {

#if defined(__GLIBC__)
constexpr std::uintptr_t kHugePage = std::uintptr_t{2} << 20;
// glibc's own top pad, given back once the heap has grown.
constexpr int kDefaultTopPad = 128 << 10;
// Small enough to come from the heap, never from a mapping of its own.
constexpr std::size_t kProbe = std::size_t{32} << 10;
constexpr std::size_t kProbes = 16;
#endif

}  // namespace

std::size_t ReserveHeapForResults(std::size_t bytes) {
#if defined(__GLIBC__)
  if (bytes < kHeapReserveFrom) return 0;
  bytes = std::min(bytes, kHeapReserveMost);
  auto* const before = static_cast<char*>(::sbrk(0));
  if (before == reinterpret_cast<char*>(-1)) return 0;
  // The heap keeps the room when the tree is freed: trimming it back would
  // undo the growth at the first free.
  if (::mallopt(M_TRIM_THRESHOLD, static_cast<int>(bytes + kHugePage)) == 0) return 0;
  ::mallopt(M_TOP_PAD, static_cast<int>(bytes));
  // Small blocks until the heap has to grow (by the top pad): the room
  // free at its top is less than the default top pad and the trim
  // threshold, which kProbes blocks exceed.
  void* probes[kProbes] = {};
  char* after = before;
  for (std::size_t i = 0; i < kProbes && after == before; ++i) {
    probes[i] = std::malloc(kProbe);
    after = static_cast<char*>(::sbrk(0));
  }
  ::mallopt(M_TOP_PAD, kDefaultTopPad);
  for (void* probe : probes) std::free(probe);
  if (after == reinterpret_cast<char*>(-1) || after <= before) return 0;
  // Whole huge pages inside the grown part only: the heap's other pages
  // stay as they were.
  const auto from = (reinterpret_cast<std::uintptr_t>(before) + kHugePage - 1) & ~(kHugePage - 1);
  const auto to = reinterpret_cast<std::uintptr_t>(after) & ~(kHugePage - 1);
  if (to > from) ::madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);
  return static_cast<std::size_t>(after - before);
#else
  (void)bytes;
  return 0;
#endif
}

}  // namespace blastsearch
