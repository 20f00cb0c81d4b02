#pragma once

#include <string>

#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

class CBlastSearchEntry;

// Writes a picture (PNG) of a result-viewer window showing `entry` with its
// first hit selected into `path`, making the file's folder when missing.
// Needs a QApplication. Returns "" on success, else what failed (naming the
// file).
std::string WriteViewerScreenshot(const CBlastSearchEntry& entry, const std::string& path,
                                  const std::string& title = {});

// Writes a picture (PNG) of the viewer with its context menu open over the
// hit table, the first two hits selected, into `path` (the menu drawn where
// it pops up). Same needs and result as WriteViewerScreenshot.
std::string WriteViewerMenuScreenshot(const CBlastSearchEntry& entry, const std::string& path,
                                      const std::string& title = {});

}  // namespace BLASTSEARCH_EXPORT
