#pragma once

#include <cstddef>

#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

// Readies the allocator's heap for about `bytes` of small allocations to
// come (the result tree of a large report: many rows and names): the heap
// grows by that much at once, and that part is backed by huge pages where
// the system offers them on request, so that filling it costs one page
// fault per 2 MiB instead of one per 4 KiB. Only address room is taken:
// memory is used as it is touched, and what is not touched costs nothing.
// The heap then keeps the room when the tree is freed (for the next one)
// instead of giving it back piece by piece. Does nothing below
// kHeapReserveFrom, and at most kHeapReserveMost is readied; nothing
// happens either when the allocator is not glibc's or the heap cannot grow
// (the allocations then go on as before). Returns the bytes readied.
// Process-wide: for programs (the command line's parse), not for libraries.
std::size_t ReserveHeapForResults(std::size_t bytes);

inline constexpr std::size_t kHeapReserveFrom = std::size_t{16} << 20;
inline constexpr std::size_t kHeapReserveMost = std::size_t{1} << 30;

}  // namespace BLASTSEARCH_EXPORT
