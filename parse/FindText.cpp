#include "parse/FindText.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

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

}  // namespace

const char* FindText(const char* from, const char* end, std::string_view marker) {
  const std::size_t length = marker.size();
  if (length == 0) return from;
  if (from >= end || static_cast<std::size_t>(end - from) < length) return nullptr;
  if (length == 1) {
    return static_cast<const char*>(
        std::memchr(from, marker[0], static_cast<std::size_t>(end - from)));
  }
  const char* at = from;
#if defined(__SSE2__)
  // Sixteen starting positions at a time: those where both the marker's
  // first and its last character stand are compared in full. Reports are
  // mostly residue rows, where that pair is rare for every marker.
  const __m128i first = _mm_set1_epi8(marker.front());
  const __m128i last = _mm_set1_epi8(marker.back());
  // Blocks while the load of the last characters still fits in the text.
  for (; end - at >= static_cast<std::ptrdiff_t>(length - 1 + 16); at += 16) {
    const __m128i heads = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
    const __m128i tails = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + length - 1));
    auto mask = static_cast<unsigned>(_mm_movemask_epi8(
        _mm_and_si128(_mm_cmpeq_epi8(heads, first), _mm_cmpeq_epi8(tails, last))));
    while (mask != 0) {
      const int bit = __builtin_ctz(mask);
      if (std::memcmp(at + bit + 1, marker.data() + 1, length - 2) == 0) return at + bit;
      mask &= mask - 1;
    }
  }
#endif
  return FindTextPlain(at, end, marker);
}

const char* FindCarriageReturnOrZero(const char* from, const char* end) {
  const char* at = from;
#if defined(__SSE2__)
  const __m128i cr = _mm_set1_epi8('\r');
  const __m128i zero = _mm_setzero_si128();
  for (; end - at >= 16; at += 16) {
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
    const auto mask = static_cast<unsigned>(
        _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(block, cr), _mm_cmpeq_epi8(block, zero))));
    if (mask != 0) return at + __builtin_ctz(mask);
  }
#endif
  for (; at < end; ++at) {
    if (*at == '\r' || *at == '\0') return at;
  }
  return end;
}
