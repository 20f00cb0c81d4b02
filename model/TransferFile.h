#pragma once

#include <string_view>

#include "model/BlastSearchEntry.h"
#include "platform/Export.h"
#include "platform/File.h"

namespace blastsearch BLASTSEARCH_EXPORT {

// Transfer files: the archive form of one result handed between modules of
// the suite. A transfer file holds the entry's record itself, with no object
// frame around it: the embedded query molecule record, the embedded hit
// collection, then the link type and link database.

// Writes `entry`'s record at `file`'s current position; the data is in the
// file when the call returns. Throws CKaArchiveException or CFileException.
void StoreTransferFile(CBlastSearchEntry& entry, CFile& file);

// Reads one record from `file`'s current position to its end into `entry`,
// which should be freshly constructed (loaded hits are appended). Throws
// CKaArchiveException for truncated or malformed data, also when bytes remain
// after the record, and CFileException when the file fails; what was loaded
// before the failure stays in `entry` for the caller to discard.
void LoadTransferFile(CFile& file, CBlastSearchEntry& entry);

// True when `head`, the first bytes of a file, opens as a transfer file does
// (the frame of the query molecule record), so a program can tell a transfer
// file from a text report. Needs at least the first 11 bytes.
bool IsTransferFileData(std::string_view head);

}  // namespace BLASTSEARCH_EXPORT
