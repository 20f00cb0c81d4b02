#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace blastsearch {

// Bodies of the fuzz targets, shared by the libFuzzer programs and by the
// test that replays every input the fuzzers ever found.  Each takes any bytes;
// a fault shows as a crash, a sanitizer report or a trap.

class CBlastSearchEntry;

// Reads the bytes as a QBlast report through its analyser; the result must
// survive its archive form.
void FuzzQBlastPage(const std::uint8_t* data, std::size_t size);
// Reads the bytes as a classic BLAST page through the classic analyser; the
// result must survive its archive form.
void FuzzClassicPage(const std::uint8_t* data, std::size_t size);
// The first look at a page: the layout recognition (also of its first half),
// the submission identifier and the readiness check of the service's answers.
void FuzzReportLayout(const std::uint8_t* data, std::size_t size);
// Loads the bytes as a transfer file; what loads must store and reload to the
// same bytes.
void FuzzTransferFile(const std::uint8_t* data, std::size_t size);
// Reads the bytes as a stored record of a BLAST search object through the
// table's object reader; an object that reads must write a record that reads
// back and writes again to the same bytes.
void FuzzObjectRecord(const std::uint8_t* data, std::size_t size);
// Reads the bytes after the first as the text of one field of a stored
// record (the first byte chooses which: name, creation time, record
// identifier, sheet kind, local flags, author, original author, description,
// keyword, user-defined field, result, a field no version knows); the object
// read must write a record that reads back to the same fields and bytes.
void FuzzRecordField(const std::uint8_t* data, std::size_t size);
// Imports the bytes after the first into a fresh database kept in memory's
// file system (the first byte chooses: bit 0 the bytes as they are, else
// records, each ending with its end mark, made into the table's archive with
// the heads they need; bit 1 the file import of reports, else the table's
// archive import; bit 2 every PSI-BLAST round). An archive that imports must
// export to bytes that another database imports and exports the same; a file
// import stores as many objects as it says.
void FuzzTableImport(const std::uint8_t* data, std::size_t size);

// Reads the bytes after the first as BLAST+ pairwise text (as its HTML form
// when the first byte's lowest bit is set, every PSI-BLAST round when its
// next bit is); every result read must survive its archive form.
void FuzzBlastPlusText(const std::uint8_t* data, std::size_t size);

// Reads the bytes after the first as a BLAST+ XML report (XML2 when the
// first byte's lowest bit is set, every PSI-BLAST round when its next bit
// is), pulled from the source in pieces whose size the first byte also
// chooses; every result read must hold rows as long as it says and survive
// its archive form.
void FuzzBlastXml(const std::uint8_t* data, std::size_t size);

// Stores `entry` in its archive form, loads that and stores it again; traps
// when the two differ. Throws as storing and loading do.
void CheckArchiveRoundTrip(CBlastSearchEntry& entry);

// The stored record of a BLAST search object holding the result of the
// transfer file `transfer` (seeds for the record fuzzer). Throws when the
// transfer file cannot be read.
std::string ObjectRecordOfTransferFile(const std::string& transfer);

}  // namespace blastsearch
