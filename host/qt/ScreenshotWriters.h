#pragma once

#include <string>

#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

// Writers of pictures for a host program's --screenshot option: a loaded
// module registers one for its own windows and removes it when it goes.
// Each writes its PNG files into a folder and answers "" or what failed
// (naming the file). Used from the window thread.
using ScreenshotWriter = std::string (*)(const std::string& dir);

// Adds `writer` (once) after those registered before.
void RegisterScreenshotWriter(ScreenshotWriter writer);
// Removes `writer`; nothing when it is not registered.
void UnregisterScreenshotWriter(ScreenshotWriter writer);

// Makes `dir` and runs every registered writer in order: "" when all
// succeeded, else the first failure (the later writers do not run); a
// failure too when no writer is registered.
std::string WriteRegisteredScreenshots(const std::string& dir);

}  // namespace BLASTSEARCH_EXPORT
