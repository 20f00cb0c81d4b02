#pragma once

#include <cstddef>

#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

// Readies the allocator's heap for about `bytes` of small allocations to
// come (the result tree of a large report: many rows and names): the free
// room at the heap's top (what an earlier tree left) is grown to that much
// at once, and backed by huge pages where the system offers them on
// request, so that filling it costs one page fault per 2 MiB instead of one
// per 4 KiB. Only address room is taken: memory is used as it is touched.
// The heap then keeps the room when the tree is freed (for the next one)
// instead of giving it back piece by piece. Does nothing below
// kHeapReserveFrom; at most kHeapReserveMost is asked for. Returns the bytes
// of free room readied at the heap's top: less than asked when the heap
// cannot grow from where it stands (a large free room that is scattered),
// 0 when the allocator is not glibc's or its heap cannot grow (the
// allocations then go on as before). Process-wide: for programs (the
// command line's parse), not for libraries.
std::size_t ReserveHeapForResults(std::size_t bytes);

inline constexpr std::size_t kHeapReserveFrom = std::size_t{4} << 20;
inline constexpr std::size_t kHeapReserveMost = std::size_t{1} << 30;

}  // namespace BLASTSEARCH_EXPORT
