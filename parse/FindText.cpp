#include "parse/FindText.h"

#include <algorithm>
#include <cstring>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace blastsearch {

namespace {

// True when the `count` bytes at `a` and `b` are the same: the rest of a
// candidate, mostly a few bytes that match, compared in place instead of by
// a call of the library's.
inline bool SameBytes(const char* a, const char* b, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    if (a[i] != b[i]) return false;
  }
  return true;
}

// The plain search, for the tail of a text and for machines without vectors.
const char* FindTextPlain(const char* from, const char* end, std::string_view marker) {
  const std::size_t length = marker.size();
  for (const char* at = from; static_cast<std::size_t>(end - at) >= length; ++at) {
    at = static_cast<const char*>(std::memchr(at, marker[0], static_cast<std::size_t>(end - at)));
    if (at == nullptr || static_cast<std::size_t>(end - at) < length) return nullptr;
    if (std::memcmp(at + 1, marker.data() + 1, length - 1) == 0) return at;
  }
  return nullptr;
}

#if defined(__x86_64__)
// The candidates of FindText, 32 starting positions at a time; `at` moves
// past the positions looked at. A match, or null when none starts before
// `at`.
__attribute__((target("avx2"))) const char* FindTextWide(const char*& at, const char* end,
                                                         std::string_view marker,
                                                         std::size_t probe) {
  const std::size_t length = marker.size();
  const __m256i first = _mm256_set1_epi8(marker.front());
  const __m256i second = _mm256_set1_epi8(marker[probe]);
  for (; end - at >= static_cast<std::ptrdiff_t>(length - 1 + 32); at += 32) {
    const __m256i heads = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at));
    const __m256i probes = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at + probe));
    auto mask = static_cast<unsigned>(_mm256_movemask_epi8(
        _mm256_and_si256(_mm256_cmpeq_epi8(heads, first), _mm256_cmpeq_epi8(probes, second))));
    while (mask != 0) {
      const int bit = __builtin_ctz(mask);
      if (SameBytes(at + bit + 1, marker.data() + 1, length - 1)) return at + bit;
      mask &= mask - 1;
    }
  }
  return nullptr;
}

// The same, 16 positions at a time, on every x86-64 processor.
const char* FindTextNarrow(const char*& at, const char* end, std::string_view marker,
                           std::size_t probe) {
  const std::size_t length = marker.size();
  const __m128i first = _mm_set1_epi8(marker.front());
  const __m128i second = _mm_set1_epi8(marker[probe]);
  for (; end - at >= static_cast<std::ptrdiff_t>(length - 1 + 16); at += 16) {
    const __m128i heads = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
    const __m128i probes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + probe));
    auto mask = static_cast<unsigned>(_mm_movemask_epi8(
        _mm_and_si128(_mm_cmpeq_epi8(heads, first), _mm_cmpeq_epi8(probes, second))));
    while (mask != 0) {
      const int bit = __builtin_ctz(mask);
      if (SameBytes(at + bit + 1, marker.data() + 1, length - 1)) return at + bit;
      mask &= mask - 1;
    }
  }
  return nullptr;
}

// True when the processor has the 32-byte instructions; asked once, on
// first use (which may come before or during the constructors of others).
bool g_bNarrow = false;  // SetNarrowSearches

bool IsWide() {
  static const bool wide = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") != 0;
  }();
  return wide && !g_bNarrow;
}
#endif

}  // namespace

bool SetNarrowSearches(bool narrow) {
#if defined(__x86_64__)
  const bool previous = g_bNarrow;
  g_bNarrow = narrow;
  return previous;
#else
  return narrow;
#endif
}

const char* FindText(const char* from, const char* end, std::string_view marker,
                     std::size_t probe) {
  const std::size_t length = marker.size();
  if (length == 0) return from;
  if (from >= end || static_cast<std::size_t>(end - from) < length) return nullptr;
  if (length == 1) {
    return static_cast<const char*>(
        std::memchr(from, marker[0], static_cast<std::size_t>(end - from)));
  }
  if (probe == 0 || probe >= length) probe = length - 1;
  const char* at = from;
#if defined(__x86_64__)
  // Positions where both the marker's first and its probe character stand
  // are compared in full. Reports are mostly residue rows, where such a
  // pair is rare for every marker.
  const char* found =
      IsWide() ? FindTextWide(at, end, marker, probe) : FindTextNarrow(at, end, marker, probe);
  if (found != nullptr) return found;
#endif
  return FindTextPlain(at, end, marker);
}

#if defined(__x86_64__)
namespace {

// The candidates of N markers, 32 starting positions at a time, each block
// loaded once for all; `at` moves past the blocks that hold none of them.
// Returns the index of a marker whose first occurrence the block at `at`
// holds (written to `found`), or -1 when none starts before `at`.
template <std::size_t N>
__attribute__((target("avx2"))) int FindTextsWide(const char*& at, const char* end,
                                                  const std::string_view* markers,
                                                  const std::size_t* probes, const char** found) {
  std::size_t longest = 0;
  __m256i first[N], second[N];
  for (std::size_t m = 0; m < N; ++m) {
    longest = std::max(longest, markers[m].size());
    first[m] = _mm256_set1_epi8(markers[m].front());
    second[m] = _mm256_set1_epi8(markers[m][probes[m]]);
  }
  for (; end - at >= static_cast<std::ptrdiff_t>(longest - 1 + 32); at += 32) {
    const __m256i heads = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at));
    unsigned masks[N];
    unsigned any = 0;
    for (std::size_t m = 0; m < N; ++m) {
      const __m256i probed = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at + probes[m]));
      masks[m] = static_cast<unsigned>(_mm256_movemask_epi8(_mm256_and_si256(
          _mm256_cmpeq_epi8(heads, first[m]), _mm256_cmpeq_epi8(probed, second[m]))));
      any |= masks[m];
    }
    if (any == 0) continue;
    for (std::size_t m = 0; m < N; ++m) {
      for (unsigned mask = masks[m]; mask != 0; mask &= mask - 1) {
        const int bit = __builtin_ctz(mask);
        if (SameBytes(at + bit + 1, markers[m].data() + 1, markers[m].size() - 1)) {
          found[m] = at + bit;
          return static_cast<int>(m);
        }
      }
    }
  }
  return -1;
}

}  // namespace
#endif

void FindTexts(const char* from, const char* end, std::span<const std::string_view> markers,
               std::span<const std::size_t> probes, std::span<const char*> found) {
  const std::size_t count = std::min({markers.size(), probes.size(), found.size(), kMostTexts});
  for (std::size_t m = 0; m < count; ++m) found[m] = nullptr;
  // The markers not found yet, by their places in `markers`.
  std::size_t open[kMostTexts];
  std::size_t left = count;
  for (std::size_t m = 0; m < count; ++m) open[m] = m;
  const char* at = from;
#if defined(__x86_64__)
  // Markers of two characters and more, wide searches only; the rest, and
  // those no block settled, by FindText from where no block held them.
  bool all = count > 0;
  for (std::size_t m = 0; m < count; ++m) all = all && markers[m].size() >= 2;
  while (IsWide() && all && left > 0) {
    std::string_view some[kMostTexts];
    std::size_t probe[kMostTexts];
    const char* hit[kMostTexts] = {};
    for (std::size_t i = 0; i < left; ++i) {
      some[i] = markers[open[i]];
      const std::size_t p = probes[open[i]];
      probe[i] = p == 0 || p >= some[i].size() ? some[i].size() - 1 : p;
    }
    int first = -1;
    switch (left) {
      case 1: first = FindTextsWide<1>(at, end, some, probe, hit); break;
      case 2: first = FindTextsWide<2>(at, end, some, probe, hit); break;
      case 3: first = FindTextsWide<3>(at, end, some, probe, hit); break;
      default: first = FindTextsWide<4>(at, end, some, probe, hit); break;
    }
    if (first < 0) break;
    // The others may start in the same block: looked for again from it.
    found[open[first]] = hit[first];
    std::copy(open + first + 1, open + left, open + first);
    --left;
  }
#endif
  for (std::size_t i = 0; i < left; ++i) {
    found[open[i]] = FindText(at, end, markers[open[i]], probes[open[i]]);
  }
}

#if defined(__x86_64__)
namespace {

__attribute__((target("avx2"))) const char* FindOddWide(const char*& at, const char* end) {
  const __m256i cr = _mm256_set1_epi8('\r');
  const __m256i zero = _mm256_setzero_si256();
  for (; end - at >= 32; at += 32) {
    const __m256i block = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at));
    const auto mask = static_cast<unsigned>(_mm256_movemask_epi8(
        _mm256_or_si256(_mm256_cmpeq_epi8(block, cr), _mm256_cmpeq_epi8(block, zero))));
    if (mask != 0) return at + __builtin_ctz(mask);
  }
  return nullptr;
}

}  // namespace
#endif

const char* FindCarriageReturnOrZero(const char* from, const char* end) {
  const char* at = from;
#if defined(__x86_64__)
  if (IsWide()) {
    if (const char* found = FindOddWide(at, end)) return found;
  } else {
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i zero = _mm_setzero_si128();
    for (; end - at >= 16; at += 16) {
      const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
      const auto mask = static_cast<unsigned>(
          _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(block, cr), _mm_cmpeq_epi8(block, zero))));
      if (mask != 0) return at + __builtin_ctz(mask);
    }
  }
#endif
  for (; at < end; ++at) {
    if (*at == '\r' || *at == '\0') return at;
  }
  return end;
}

#if defined(__x86_64__)
namespace {

__attribute__((target("avx2"))) const char* FindAnyOfWide(const char*& at, const char* end,
                                                          std::string_view set) {
  // A set of fewer than eight characters repeats its first.
  __m256i members[8];
  for (std::size_t i = 0; i < 8; ++i) members[i] = _mm256_set1_epi8(set[i < set.size() ? i : 0]);
  const std::size_t count = set.size() > 4 ? 8 : 4;
  for (; end - at >= 32; at += 32) {
    const __m256i block = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at));
    __m256i hits = _mm256_cmpeq_epi8(block, members[0]);
    for (std::size_t i = 1; i < count; ++i)
      hits = _mm256_or_si256(hits, _mm256_cmpeq_epi8(block, members[i]));
    const auto mask = static_cast<unsigned>(_mm256_movemask_epi8(hits));
    if (mask != 0) return at + __builtin_ctz(mask);
  }
  return nullptr;
}

}  // namespace
#endif

const char* FindAnyOf(const char* from, const char* end, std::string_view set) {
  if (set.empty() || set.size() > 8) return end;
  const char* at = from;
#if defined(__x86_64__)
  if (IsWide()) {
    if (const char* found = FindAnyOfWide(at, end, set)) return found;
  }
#endif
  for (; at < end; ++at) {
    if (set.find(*at) != std::string_view::npos) return at;
  }
  return end;
}

}  // namespace blastsearch
