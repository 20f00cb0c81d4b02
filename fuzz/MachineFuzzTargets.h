#pragma once

#include <cstddef>
#include <cstdint>

namespace blastsearch {

// Bodies of the fuzz targets of the BLAST+ JSON and tabular readers, shared by
// the libFuzzer programs and by the test that replays what they found. Each
// takes any bytes and reads them to the end; a fault shows as a crash or a
// sanitizer report, a CReportError is the expected answer to damaged input.

// Reads the bytes as single-file JSON; their length chooses every round or
// the last.
void FuzzBlastJson(const std::uint8_t* data, std::size_t size);
// Reads the bytes as commented tabular when they open with '#', else as CSV
// when their first line has a comma and no tab, else as tabular; their length
// chooses every round or the last, the program named and the columns.
void FuzzBlastTabular(const std::uint8_t* data, std::size_t size);

}  // namespace blastsearch
