#include "viewer/ViewerScreenshot.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QItemSelectionModel>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QTableWidget>
#include <filesystem>

#include "viewer/ResultViewer.h"

namespace blastsearch {

namespace {

void MakeFolderOf(const std::string& path) {
  const std::filesystem::path file(path);
  if (file.has_parent_path()) {
    std::error_code error;
    std::filesystem::create_directories(file.parent_path(), error);
  }
}

}  // namespace

std::string WriteViewerMenuScreenshot(const CBlastSearchEntry& entry, const std::string& path,
                                      const std::string& title) {
  MakeFolderOf(path);
  CResultViewer viewer(entry, title);
  viewer.resize(1040, 820);
  viewer.show();
  QTableWidget* table = viewer.HitTable();
  if (table->rowCount() > 1) {
    table->selectionModel()->select(table->model()->index(1, 0),
                                    QItemSelectionModel::Select | QItemSelectionModel::Rows);
  }
  for (int i = 0; i < 4; ++i) QApplication::processEvents();
  // A right click over the second row opens the menu.
  const QRect row = table->rowCount() > 1
                        ? table->visualItemRect(table->item(1, CResultViewer::kColumnDescription))
                        : QRect(40, 20, 1, 1);
  const QPoint at = row.center() - QPoint(row.width() / 4, 0);
  QContextMenuEvent click(QContextMenuEvent::Mouse, at, table->viewport()->mapToGlobal(at));
  QApplication::sendEvent(table->viewport(), &click);
  for (int i = 0; i < 4; ++i) QApplication::processEvents();
  QPixmap picture = viewer.grab();
  QMenu* menu = viewer.ContextMenu();
  if (menu->isVisible()) {
    QPainter painter(&picture);
    painter.drawPixmap(menu->mapToGlobal(QPoint(0, 0)) - viewer.mapToGlobal(QPoint(0, 0)),
                       menu->grab());
  }
  menu->hide();
  viewer.hide();
  if (picture.isNull() || !picture.save(QString::fromStdString(path), "PNG")) {
    return "cannot write " + path;
  }
  return "";
}

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

}  // namespace blastsearch
