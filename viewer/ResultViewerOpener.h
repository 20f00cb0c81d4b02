#pragma once

#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

class CObjInfo;

// Opens the stored BLAST result that `info` names in a new result-viewer
// window (which deletes itself when closed): 1 when shown. When the object
// cannot be read from database 1 (no record, a damaged one, no database),
// tells the person so, naming the object, and returns 0. Also 0 for a null
// `info`, and with a message in a program without a QApplication. The
// extension registers this as the viewer of its objects while it is loaded.
int OpenResultViewer(CObjInfo* info);

}  // namespace BLASTSEARCH_EXPORT
