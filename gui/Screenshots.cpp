#include "gui/Screenshots.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTreeView>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <set>

#include "gui/DatabaseWindow.h"
#include "host/db/DBEngine.h"
#include "host/db/DBField.h"
#include "host/db/DBTableBase.h"
#include "host/db/ObjInfo.h"
#include "host/editor/EditorPropSheet.h"
#include "host/qt/EditorSheetDialog.h"
#include "host/qt/OrvFileDialog.h"
#include "platform/UserInteraction.h"
#include "table/BlastSearchObject.h"
#include "table/BlastSearchTable.h"
#include "viewer/ViewerScreenshot.h"

namespace blastsearch {

namespace {

// The report pages of `corpus` that make a good picture: every NCBI page,
// then some plain-text reports.
QStringList PicturePages(const std::string& corpus) {
  QStringList pages;
  for (const char* folder : {"html-qblast", "html-classic", "text"}) {
    QDir dir(QString::fromStdString(corpus + "/" + folder));
    const QStringList names = dir.entryList({"*.htm", "*.html", "*.txt"}, QDir::Files, QDir::Name);
    for (int i = 0; i < names.size() && i < 4; ++i) pages << dir.filePath(names[i]);
  }
  return pages;
}

// A name a person would give the result: its query's description after the
// last "|", the words after the first in lower case ("GUN_BACS1
// endoglucanase precursor"); "" when the query says too little.
std::string PictureName(CDBTableBase& table, const CObjInfo& info) {
  CDBFieldDef def;
  std::string query;
  if (table.GetObjFieldDef(1, "QueryName", def) == 0 ||
      table.GetFieldValue(1, &info, &def, query) == 0) {
    return "";
  }
  QString text = QString::fromStdString(query.substr(query.rfind('|') + 1)).simplified();
  const int space = text.indexOf(' ');
  if (space < 0) return text.isEmpty() ? "" : "Query " + text.toStdString();
  text = text.left(space) + text.mid(space).toLower();
  return text.left(48).toStdString();
}

std::string Save(const QPixmap& picture, const std::string& dir, const char* name) {
  const std::string path = (std::filesystem::path(dir) / name).string();
  return picture.save(QString::fromStdString(path), "PNG") ? "" : "cannot write " + path;
}

// The window with `menu` drawn where it is open over it.
QPixmap WindowWithMenu(QWidget& window, QMenu& menu) {
  QPixmap picture = window.grab();
  QPainter painter(&picture);
  painter.drawPixmap(window.mapFromGlobal(menu.pos()), menu.grab());
  return picture;
}

// A sheet runner that takes a picture of the editor window instead of
// letting a person edit, and cancels.
class CPictureSheetRunner : public CScopedEditorSheetRunner {
 public:
  explicit CPictureSheetRunner(std::string path) : m_strPath(std::move(path)) {}

  int RunSheet(CEditorPropSheet& sheet) override {
    CEditorSheetDialog dialog(sheet);
    dialog.resize(dialog.sizeHint().expandedTo(QSize(560, 460)));
    dialog.show();
    for (int i = 0; i < 4; ++i) QApplication::processEvents();
    if (!dialog.grab().save(QString::fromStdString(m_strPath), "PNG")) {
      m_strFailure = "cannot write " + m_strPath;
    }
    if (m_strFailure.empty()) m_strFailure = SaveLayoutPage(dialog);
    dialog.hide();
    m_bRan = true;
    return IDCANCEL;
  }
  // The tab built from the table's page layout, as editor-page.png beside
  // the editor's picture ("" when written or when there is no such tab).
  std::string SaveLayoutPage(CEditorSheetDialog& dialog) const {
    QTabWidget* tabs = dialog.Tabs();
    for (int i = 0; i < tabs->count(); ++i) {
      if (tabs->widget(i)->findChild<QWidget*>("layoutFace") == nullptr) continue;
      tabs->setCurrentIndex(i);
      for (int n = 0; n < 4; ++n) QApplication::processEvents();
      const std::string path =
          (std::filesystem::path(m_strPath).parent_path() / "editor-page.png").string();
      return dialog.grab().save(QString::fromStdString(path), "PNG") ? "" : "cannot write " + path;
    }
    return "";
  }
  // What failed ("" when the picture was written or no sheet ran).
  std::string Failure() const {
    return m_bRan || !m_strFailure.empty() ? m_strFailure : "the editor did not open";
  }

 private:
  std::string m_strPath;
  std::string m_strFailure;
  bool m_bRan = false;
};

// The stored result of `table` with the most hits, or null.
CObjInfo* RichestResult(CDBTableBase& table) {
  CDBFieldDef def;
  if (table.GetObjFieldDef(1, "Hits Count", def) == 0) return nullptr;
  CObjInfo* best = nullptr;
  long most = -1;
  for (const auto& info : table.getobjlist(1)) {
    std::string hits;
    table.GetFieldValue(1, info.get(), &def, hits);
    const long count = std::atol(hits.c_str());
    if (count > most) {
      most = count;
      best = info.get();
    }
  }
  return best;
}

// viewer.png and editor.png of the result with the most hits, given a few
// keywords and a comment first.
std::string WriteResultPictures(CDBTableBase& table, const std::string& dir) {
  CObjInfo* info = RichestResult(table);
  if (info == nullptr) return "";
  for (const char* keyword : {"cellulase", "Bacillus", "reviewed"}) {
    CDBField field;
    field.m_fieldId = kFieldKeyword;
    field.m_strValue = keyword;
    if (table.InsertDBValue(1, info, field, 0) == 0) {
      return std::string("cannot add the keyword ") + keyword + " to " + info->m_name;
    }
  }
  std::unique_ptr<CDBObjectBase> object(
      table.GetObjectData(info->m_objId, info->m_name.c_str(), 1));
  auto* result = dynamic_cast<CBlastSearchObject*>(object.get());
  if (result == nullptr) return "cannot read " + info->m_name;
  const std::string viewer = (std::filesystem::path(dir) / "viewer.png").string();
  if (std::string failure = WriteViewerScreenshot(result->Entry(), viewer, info->m_name);
      !failure.empty()) {
    return failure;
  }
  const std::string menu = (std::filesystem::path(dir) / "viewer-menu.png").string();
  if (std::string failure = WriteViewerMenuScreenshot(result->Entry(), menu, info->m_name);
      !failure.empty()) {
    return failure;
  }
  CPictureSheetRunner runner((std::filesystem::path(dir) / "editor.png").string());
  table.EditLocalObject(info);
  return runner.Failure();
}

// The window with a word typed in its filter box: the word of four letters
// or more that most names hold without all holding it, as a person
// narrowing the list types it.
std::string WriteFilterPicture(CDatabaseWindow& window, const std::vector<std::string>& names,
                               const std::string& dir) {
  std::map<QString, std::size_t> counts;
  for (const std::string& name : names) {
    std::set<QString> words;
    for (const QString& part : QString::fromStdString(name).toLower().split(
             QRegularExpression(QStringLiteral("[^a-z0-9]+")), Qt::SkipEmptyParts)) {
      if (part.size() >= 4) words.insert(part);
    }
    for (const QString& word : words) ++counts[word];
  }
  QString word;
  std::size_t most = 0;
  for (const auto& [text, count] : counts) {
    if (count > most && count < names.size()) {
      most = count;
      word = text;
    }
  }
  window.m_pObjects->clearSelection();
  window.m_pFilter->setFocus();
  window.SetFilter(word);
  window.statusBar()->clearMessage();
  for (int i = 0; i < 4; ++i) QApplication::processEvents();
  std::string failure = Save(window.grab(), dir, "filter.png");
  window.SetFilter(QString());
  return failure;
}

// The open dialog over `window` on the text reports of `corpus`, its BLAST page
// below with the result `chosen` selected, as open-dialog.png.
std::string WriteOpenDialogPicture(CDatabaseWindow& window, const std::string& chosen,
                                   const std::string& corpus, const std::string& dir) {
  COrvFileDialog dialog(COrvFileDialog::kOpen, &window);
  dialog.setNameFilter(QStringLiteral("BLAST reports (*.txt *.html *.htm *.xml *.json *.ba6)"));
  const QDir reports(QString::fromStdString(corpus + "/text"));
  dialog.setDirectory(reports.exists() ? reports.path() : QString::fromStdString(corpus));
  if (dialog.AddTablePages() == 0) return "the open dialog shows no table's page";
  if (CDBTableBase* table = window.CurrentTable()) dialog.ShowPage(table->objtable(), {chosen});
  dialog.resize(880, 620);
  dialog.show();
  for (int i = 0; i < 8; ++i) QApplication::processEvents();
  std::string failure = Save(dialog.grab(), dir, "open-dialog.png");
  dialog.hide();
  return failure;
}

std::string WriteWindowPictures(const std::string& dir, const std::string& corpus) {
  CScriptedUserInteraction quiet;  // the imports' messages are not shown
  CDatabaseWindow window;
  window.ImportFiles(PicturePages(corpus));
  CDBTableBase* table = window.CurrentTable();
  if (table == nullptr) return "no table to show";
  std::vector<std::string> names;
  for (const auto& info : table->getobjlist(1)) {
    std::string name = PictureName(*table, *info);
    for (int n = 2; !name.empty() && table->getobjlist(1).FindByName(name) != nullptr; ++n) {
      name = PictureName(*table, *info) + " (" + std::to_string(n) + ")";
    }
    int changed = 0;
    if (!name.empty() && table->RenameObj(1, info.get(), name, changed) == 0) {
      return "cannot rename " + info->m_name + " to " + name;
    }
    names.push_back(info->m_name);
  }
  if (names.size() > 3) {
    if (table->NewSubbase(1, "Kinase candidates", {names[0], names[2]}, 0) == 0 ||
        table->NewSubbase(1, "Reviewed", {names[1]}, 0) == 0) {
      return "cannot make the subbases shown";
    }
  }
  window.Refill();
  window.resize(1040, 560);
  window.show();
  if (!names.empty()) window.SelectObjects({names[names.size() / 2]});
  for (int i = 0; i < 4; ++i) QApplication::processEvents();
  if (std::string failure = Save(window.grab(), dir, "window.png"); !failure.empty()) {
    return failure;
  }
  std::unique_ptr<QMenu> menu(window.MakeContextMenu(true, false));
  if (!menu) return "";  // the table has no context menu to show
  const QModelIndex item = window.m_pObjects->model()->index(1, 0);
  QPoint at = window.m_pObjects->viewport()->rect().center();
  if (item.isValid()) {
    window.SelectObjects({item.data().toString().toStdString()});
    const QRect row = window.m_pObjects->visualRect(item);
    at = row.center() - QPoint(row.width() / 4, 0);
  }
  menu->popup(window.m_pObjects->viewport()->mapToGlobal(at));
  for (int i = 0; i < 4; ++i) QApplication::processEvents();
  QAction* hovered = nullptr;
  for (QAction* action : menu->actions()) {
    if (!action->isSeparator() && action->isEnabled() && hovered == nullptr) hovered = action;
  }
  if (hovered != nullptr) {
    menu->setActiveAction(hovered);
    window.statusBar()->showMessage(hovered->statusTip());
  }
  for (int i = 0; i < 4; ++i) QApplication::processEvents();
  std::string failure = Save(WindowWithMenu(window, *menu), dir, "menu.png");
  menu->hide();
  if (failure.empty()) failure = WriteFilterPicture(window, names, dir);
  if (failure.empty() && !names.empty()) {
    failure = WriteOpenDialogPicture(window, names[names.size() / 2], corpus, dir);
  }
  window.hide();
  return failure.empty() ? WriteResultPictures(*table, dir) : failure;
}

}  // namespace

std::string WriteWindowScreenshots(const std::string& dir, const std::string& corpus) {
  std::error_code error;
  std::filesystem::create_directories(dir, error);
  QTemporaryDir scratch;
  if (!scratch.isValid()) return "cannot make a scratch database folder";
  try {
    engine().OpenDatabase(scratch.path().toStdString(), 1);
  } catch (const std::exception& e) {
    return e.what();
  }
  const std::string failure = WriteWindowPictures(dir, corpus);
  engine().CloseDatabase(1);
  return failure;
}

}  // namespace blastsearch
