#pragma once

#include "model/BlastSearchEntry.h"
#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

class COrvTextFile;

// The result's field in an object's record: the host's separator for
// `fieldNumber`, the archive form of `entry` as raw bytes (without the query
// molecule record's extra data; `entry` itself is not touched), then "\n".
// `extra` is unused. Throws CFileException or CKaArchiveException.
void WriteField(int fieldNumber, const CBlastSearchEntry& entry, COrvTextFile& file,
                unsigned long extra);

// Reads the archive form at `file`'s position into `entry` (replacing its
// content), then repairs its rows (CheckData). Consumes exactly the archive
// data; the newline after it stays in the file. `keyword` and `extra` are
// unused. Truncated or malformed data raises CKaArchiveException; the
// entry may then hold part of the data.
void ReadField(const char* keyword, CBlastSearchEntry& entry, COrvTextFile& file,
               unsigned long extra);

}  // namespace BLASTSEARCH_EXPORT
