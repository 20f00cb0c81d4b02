#include "viewer/ViewerScreenshot.h"

#include <QApplication>
#include <QPixmap>
#include <filesystem>

#include "viewer/ResultViewer.h"

std::string WriteViewerScreenshot(const CBlastSearchEntry& entry, const std::string& path,
                                  const std::string& title) {
  const std::filesystem::path file(path);
  if (file.has_parent_path()) {
    std::error_code error;
    std::filesystem::create_directories(file.parent_path(), error);
  }
  CResultViewer viewer(entry, title);
  viewer.resize(1040, 820);
  viewer.show();
  for (int i = 0; i < 4; ++i) QApplication::processEvents();
  const QPixmap picture = viewer.grab();
  viewer.hide();
  if (picture.isNull() || !picture.save(QString::fromStdString(path), "PNG")) {
    return "cannot write " + path;
  }
  return "";
}
