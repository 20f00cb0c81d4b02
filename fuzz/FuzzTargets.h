#pragma once

#include <cstddef>
#include <cstdint>

// Bodies of the fuzz targets, shared by the libFuzzer programs and by the
// test that replays every input the fuzzers ever found.  Each takes any bytes;
// a fault shows as a crash, a sanitizer report or a trap.

// Reads the bytes as a QBlast page: identifier, readiness and the report parser.
void FuzzQBlastPage(const std::uint8_t* data, std::size_t size);
// Reads the bytes as a classic BLAST page through the classic analyser.
void FuzzClassicPage(const std::uint8_t* data, std::size_t size);
// Loads the bytes as a transfer file; what loads must store and reload to the
// same bytes.
void FuzzTransferFile(const std::uint8_t* data, std::size_t size);
