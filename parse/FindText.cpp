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

// The candidates of two markers, 32 starting positions at a time, each block
// loaded once for both; `at` moves past the positions looked at. Returns
// the index of the marker found first (its place in `found`), or -1 when
// neither starts before `at`.
__attribute__((target("avx2"))) int FindTextsWide(const char*& at, const char* end,
                                                  const std::string_view (&markers)[2],
                                                  const std::size_t (&probes)[2],
                                                  const char* (&found)[2]) {
  const std::size_t longest = std::max(markers[0].size(), markers[1].size());
  __m256i first[2], second[2];
  for (int m = 0; m < 2; ++m) {
    first[m] = _mm256_set1_epi8(markers[m].front());
    second[m] = _mm256_set1_epi8(markers[m][probes[m]]);
  }
  for (; end - at >= static_cast<std::ptrdiff_t>(longest - 1 + 32); at += 32) {
    const __m256i heads = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at));
    for (int m = 0; m < 2; ++m) {
      const __m256i probed = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at + probes[m]));
      auto mask = static_cast<unsigned>(_mm256_movemask_epi8(_mm256_and_si256(
          _mm256_cmpeq_epi8(heads, first[m]), _mm256_cmpeq_epi8(probed, second[m]))));
      const std::string_view marker = markers[m];
      while (mask != 0) {
        const int bit = __builtin_ctz(mask);
        if (SameBytes(at + bit + 1, marker.data() + 1, marker.size() - 1)) {
          found[m] = at + bit;
          return m;
        }
        mask &= mask - 1;
      }
    }
  }
  return -1;
}

}  // namespace
#endif

void FindTexts(const char* from, const char* end, const std::string_view (&markers)[2],
               const std::size_t (&probes)[2], const char* (&found)[2]) {
  found[0] = found[1] = nullptr;
  const char* at = from;
#if defined(__x86_64__)
  // Markers of two characters and more, wide searches only; the rest, and
  // the other marker once one is found, by FindText from where no block
  // held them.
  if (IsWide() && markers[0].size() >= 2 && markers[1].size() >= 2) {
    std::size_t probe[2];
    for (int m = 0; m < 2; ++m)
      probe[m] =
          probes[m] == 0 || probes[m] >= markers[m].size() ? markers[m].size() - 1 : probes[m];
    const int first = FindTextsWide(at, end, markers, probe, found);
    if (first >= 0) {
      const int other = 1 - first;
      found[other] = FindText(at, end, markers[other], probes[other]);
      return;
    }
  }
#endif
  for (int m = 0; m < 2; ++m) found[m] = FindText(at, end, markers[m], probes[m]);
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
