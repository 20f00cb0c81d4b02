#include "gui/Screenshots.h"

#include "host/qt/ScreenshotWriters.h"

std::string WriteWindowScreenshots(const std::string& dir) { return WriteRegisteredScreenshots(dir); }
