#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

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
// Reads the bytes as a stored record of a BLAST search object through the
// table's object reader; an object that reads must write a record that reads
// back and writes again to the same bytes.
void FuzzObjectRecord(const std::uint8_t* data, std::size_t size);

// Reads the bytes after the first as a BLAST+ XML report (XML2 when the
// first byte's lowest bit is set, every PSI-BLAST round when its next bit
// is), pulled from the source in pieces whose size the first byte also
// chooses; every result read must hold rows as long as it says.
void FuzzBlastXml(const std::uint8_t* data, std::size_t size);

// The stored record of a BLAST search object holding the result of the
// transfer file `transfer` (seeds for the record fuzzer). Throws when the
// transfer file cannot be read.
std::string ObjectRecordOfTransferFile(const std::string& transfer);
