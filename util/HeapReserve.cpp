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
// glibc's own top pad and mapping threshold, given back once the heap has
// grown.
constexpr int kDefaultTopPad = 128 << 10;
constexpr int kDefaultMmapThreshold = 128 << 10;
// The block that makes the heap grow: more than the free room at its top.
// glibc takes blocks from the heap up to a threshold of at most 32 MiB.
constexpr std::size_t kProbe = std::size_t{64} << 10;
constexpr std::size_t kMostProbe = std::size_t{24} << 20;
void* volatile g_pProbe = nullptr;
#endif

}  // namespace

std::size_t ReserveHeapForResults(std::size_t bytes) {
#if defined(__GLIBC__)
  if (bytes < kHeapReserveFrom) return 0;
  bytes = std::min(bytes, kHeapReserveMost);
  auto* const before = static_cast<char*>(::sbrk(0));
  if (before == reinterpret_cast<char*>(-1)) return 0;
  // The room free at the heap's top already (left by an earlier tree)
  // counts; only the rest is grown.
  const std::size_t kept = ::mallinfo2().keepcost;
  char* after = before;
  if (kept < bytes && kept + kProbe <= kMostProbe) {
    // The heap keeps the room when the tree is freed: trimming it back
    // would undo the growth at the first free.
    if (::mallopt(M_TRIM_THRESHOLD, static_cast<int>(bytes + kHugePage)) == 0) return 0;
    // One block larger than the free room, taken from the heap (not a
    // mapping of its own): the heap grows by it and the top pad.
    ::mallopt(M_TOP_PAD, static_cast<int>(bytes - kept));
    ::mallopt(M_MMAP_THRESHOLD, static_cast<int>(kept + 2 * kProbe));
    void* const probe = std::malloc(kept + kProbe);
    // Seen from outside, so that the compiler keeps the block it is made for.
    g_pProbe = probe;
    ::mallopt(M_MMAP_THRESHOLD, kDefaultMmapThreshold);
    ::mallopt(M_TOP_PAD, kDefaultTopPad);
    after = static_cast<char*>(::sbrk(0));
    std::free(probe);
    g_pProbe = nullptr;
    if (after == reinterpret_cast<char*>(-1) || after < before) return 0;
  }
  // Whole huge pages of the free room at the top only: the heap's pages in
  // use stay as they were.
  char* const room = before - kept;
  const auto from = (reinterpret_cast<std::uintptr_t>(room) + kHugePage - 1) & ~(kHugePage - 1);
  const auto to = reinterpret_cast<std::uintptr_t>(after) & ~(kHugePage - 1);
  if (to > from) ::madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);
  return static_cast<std::size_t>(after - room);
#else
  (void)bytes;
  return 0;
#endif
}

}  // namespace blastsearch
