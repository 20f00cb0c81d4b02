#pragma once

#include <string>

#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

// Writes pictures of the database window into `dir`: window.png (the window
// over a scratch database holding a few reports of the folder `corpus`),
// menu.png (the window with an object's context menu open), open-dialog.png
// (the open dialog on that folder with the table's page), and of the
// result with the most hits viewer.png (the result viewer) and editor.png
// (the editor, opened through the table's edit command). Database 1 is
// the scratch database while the pictures are made and is closed after;
// the scratch folder is removed. Returns "" on success, else what failed.
std::string WriteWindowScreenshots(const std::string& dir, const std::string& corpus);

}  // namespace BLASTSEARCH_EXPORT
