#include "search/dialog/SearchScreenshots.h"

#include <QApplication>
#include <QPixmap>
#include <QTabBar>
#include <algorithm>
#include <filesystem>

#include "controls/CoolPropertySheet.h"
#include "search/dialog/SearchForObjects.h"
#include "table/BlastSearchTable.h"

namespace blastsearch {

namespace {

void Settle() {
  for (int i = 0; i < 3; ++i) QApplication::processEvents();
}

std::string Save(const QPixmap& picture, const std::string& dir, const char* name) {
  const std::string path = (std::filesystem::path(dir) / name).string();
  return picture.save(QString::fromStdString(path), "PNG") ? "" : "cannot write " + path;
}

// The sheet's tab strip with the first tab active and its box ticked, at
// twice its size (each pixel a 2 x 2 square, so that the active tab's
// hatched frame stays visible).
QPixmap TabStrip(CCoolPropertySheet& sheet) {
  sheet.SetActivePage(0);
  const int checked = sheet.GetPageCheck(0);
  sheet.SetPageCheck(0, 1);
  Settle();
  const QTabBar* tabs = sheet.GetTabControl();
  const int right =
      tabs->count() > 0 ? tabs->x() + tabs->tabRect(tabs->count() - 1).right() + 8 : sheet.width();
  const QRect strip(QPoint(0, 0),
                    QSize(std::min(sheet.width(), right), tabs->geometry().bottom() + 3));
  const QPixmap picture = sheet.grab(strip);
  sheet.SetPageCheck(0, checked);
  return picture.scaled(picture.size() * 2, Qt::IgnoreAspectRatio, Qt::FastTransformation);
}

}  // namespace

std::string WriteSearchScreenshots(const std::string& dir) {
  CSearchDialogSet set(blastSearch().tableobjtype(), 1);
  set.m_dialog.Create();
  set.m_dialog.show();
  const char* names[] = {"search-attributes.png", "search-text.png", "search-keywords.png"};
  for (int tab = 0; tab < 3; ++tab) {
    set.m_dialog.m_pSheet->SetActivePage(tab);
    Settle();
    if (std::string failure = Save(set.m_dialog.grab(), dir, names[tab]); !failure.empty()) {
      return failure;
    }
  }
  if (set.m_dialog.m_pSheet == nullptr || set.m_dialog.m_pSheet->GetTabControl() == nullptr) {
    return "the search dialog has no tab strip to picture";
  }
  std::string failure = Save(TabStrip(*set.m_dialog.m_pSheet), dir, "search-tabs.png");
  set.m_dialog.hide();
  return failure;
}

}  // namespace blastsearch
