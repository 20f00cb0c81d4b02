#pragma once

#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

class CDBStorage;

// Brings the storage's index of comment texts up to date with the comment
// files of the objects of type `objType` (table `objTable`) in database
// `dbId`: files added, changed (by size or modification time) or removed
// since the index last saw them are read again or dropped, in one write
// transaction; unchanged files are only looked at (one directory listing
// and one status each). True when the index now matches the files; false
// when it cannot be brought up to date (a read-only database, a change
// under way, a failure), and comment searches must then read every file.
// A storage that keeps the comments itself (a server database) needs no
// index of files: true at once.
// Throws nothing.
bool RefreshCommentIndex(CDBStorage& storage, int objTable, int objType, int dbId);

}  // namespace BLASTSEARCH_EXPORT
