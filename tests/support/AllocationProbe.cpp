#include "support/AllocationProbe.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace blastsearch {

namespace {

std::atomic<bool> g_recording{false};
std::atomic<std::size_t> g_largest{0};

}  // namespace

AllocationProbe::AllocationProbe() {
  g_largest = 0;
  g_recording = true;
}

AllocationProbe::~AllocationProbe() { g_recording = false; }

std::size_t AllocationProbe::Largest() const { return g_largest; }

namespace {

void* Allocate(std::size_t size) noexcept {
  if (g_recording && size > g_largest) g_largest = size;
  return std::malloc(size != 0 ? size : 1);
}

}  // namespace

}  // namespace blastsearch

// Every unaligned form is replaced, so that each allocation and its release
// go through the same pair (the sanitizers check the pairing).
void* operator new(std::size_t size) {
  using namespace blastsearch;
  if (void* p = Allocate(size)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  using namespace blastsearch;
  return Allocate(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  using namespace blastsearch;
  return Allocate(size);
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
