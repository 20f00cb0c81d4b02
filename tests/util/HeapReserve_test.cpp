// The heap readied for a large result tree: the small allocations of the
// tree come from the room readied, whatever the size asked for.

#include "util/HeapReserve.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <vector>

namespace blastsearch {

namespace {

struct CFree {
  void operator()(void* p) const { std::free(p); }
};

TEST(HeapReserve, SmallAllocationsOfTheTreeComeFromTheRoomReadied) {
  // Below the threshold nothing is done; an absurd size is capped.
  EXPECT_EQ(ReserveHeapForResults(0), 0u);
  EXPECT_EQ(ReserveHeapForResults(kHeapReserveFrom - 1), 0u);
  // A first tree, a larger one after it, a smaller one in the room left.
  for (const std::size_t asked :
       {kHeapReserveFrom, std::size_t{48} << 20, std::size_t{20} << 20, SIZE_MAX}) {
    const std::size_t readied = ReserveHeapForResults(asked);
    // Another allocator (a sanitizer's) readies nothing, and nothing breaks.
    if (readied == 0) continue;
    if (asked != SIZE_MAX) {
      EXPECT_GE(readied, asked);
    }
    EXPECT_LE(readied, kHeapReserveMost + (std::size_t{4} << 20)) << asked;
    // Rows and names of half the room: the heap does not grow for them, and
    // every block can be written whole.
    const void* const top = ::sbrk(0);
    std::vector<std::unique_ptr<char, CFree>> blocks;
    for (std::size_t used = 0; used < kHeapReserveFrom / 2; used += 240) {
      blocks.emplace_back(static_cast<char*>(std::malloc(240)));
      ASSERT_NE(blocks.back(), nullptr);
      blocks.back().get()[239] = 'x';
    }
    EXPECT_EQ(::sbrk(0), top) << asked;
  }
}

}  // namespace

}  // namespace blastsearch
