#pragma once

#include <cstddef>
#include <span>
#include <string_view>

#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

// Searches over length-delimited text that look at many bytes at a time,
// for the scans of large reports. None of them reads outside [from, end).

// The first occurrence of `marker` that lies whole inside [from, end), or
// null when there is none. An empty marker is found at `from`. Candidates
// are the places where the marker's first character and its character at
// `probe` (the last when out of range) both stand: a probe at a character
// that is rare in the text makes the search fast.
const char* FindText(const char* from, const char* end, std::string_view marker,
                     std::size_t probe = static_cast<std::size_t>(-1));

// FindText of up to kMostTexts markers in one pass over the text: `found`
// receives the first occurrence of each (null for none), as FindText would
// give it; markers, probes and places beyond the fewest given are ignored.
// For markers that a text may not hold at all, each of which would
// otherwise cost a pass to the text's end. Probes as FindText's.
inline constexpr std::size_t kMostTexts = 4;
void FindTexts(const char* from, const char* end, std::span<const std::string_view> markers,
               std::span<const std::size_t> probes, std::span<const char*> found);

// The first carriage return or zero byte in [from, end), or `end` when there
// is none: where a text first needs its line endings or zero bytes mended.
const char* FindCarriageReturnOrZero(const char* from, const char* end);

// The first character in [from, end) that is one of the one to eight
// characters of `set`, or `end` when there is none (or `set` is empty or
// longer).
const char* FindAnyOf(const char* from, const char* end, std::string_view set);

// For tests: with `narrow`, the searches use only the 16-byte instructions
// that every x86-64 processor has, else the widest the processor offers (the
// default). Not thread-safe. Returns the previous setting.
bool SetNarrowSearches(bool narrow);

}  // namespace BLASTSEARCH_EXPORT
