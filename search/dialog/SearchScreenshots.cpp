#include "search/dialog/SearchScreenshots.h"

#include <QApplication>
#include <QPixmap>
#include <filesystem>

#include "controls/CoolPropertySheet.h"
#include "search/dialog/SearchForObjects.h"
#include "table/BlastSearchTable.h"

namespace blastsearch {

std::string WriteSearchScreenshots(const std::string& dir) {
  CSearchDialogSet set(blastSearch().tableobjtype(), 1);
  set.m_dialog.Create();
  set.m_dialog.show();
  const char* names[] = {"search-attributes.png", "search-text.png", "search-keywords.png"};
  for (int tab = 0; tab < 3; ++tab) {
    set.m_dialog.m_pSheet->SetActivePage(tab);
    for (int i = 0; i < 3; ++i) QApplication::processEvents();
    const std::string path = (std::filesystem::path(dir) / names[tab]).string();
    if (!set.m_dialog.grab().save(QString::fromStdString(path), "PNG")) {
      return "cannot write " + path;
    }
  }
  set.m_dialog.hide();
  return "";
}

}  // namespace blastsearch
