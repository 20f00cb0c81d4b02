#pragma once

// Builds archive bytes by hand, in the archive's own layout
// (host/KaArchiveFormat.h), for tests that need data no writer produces.

#include <bit>
#include <cstdint>
#include <string>
#include <string_view>

#include "host/KaArchiveFormat.h"

namespace blastsearch {

struct Bytes {
  std::string s;

  Bytes& U32(std::uint32_t v) {
    char b[ka_archive_format::kLengthSize];
    ka_archive_format::EncodeFixed32(b, v);
    s.append(b, sizeof b);
    return *this;
  }
  Bytes& Int(int v) { return U32(static_cast<std::uint32_t>(v)); }
  Bytes& Dbl(double v) {
    char b[ka_archive_format::kDoubleSize];
    ka_archive_format::EncodeFixed64(b, std::bit_cast<std::uint64_t>(v));
    s.append(b, sizeof b);
    return *this;
  }
  Bytes& Str(std::string_view t) {
    U32(static_cast<std::uint32_t>(t.size()));
    s.append(t);
    return *this;
  }
  Bytes& Raw(const Bytes& other) {
    s += other.s;
    return *this;
  }
  // A frame is a name string followed by a data string.
  Bytes& Frame(std::string_view name, const Bytes& data) { return Str(name).Str(data.s); }
};

}  // namespace blastsearch
