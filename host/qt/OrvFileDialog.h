#pragma once

#include <QFileDialog>
#include <memory>
#include <string>
#include <vector>

#include "platform/Export.h"

class QListWidget;
class QPushButton;
class QTabWidget;

namespace blastsearch BLASTSEARCH_EXPORT {

class COrvSaveLoadData;
struct COrvSaveLoadPageData;

// What the person chose in the host's open or save dialog.
struct COrvFileChoice {
  // The files chosen (several only when opening); empty when a stored
  // object was chosen instead of a file.
  std::vector<std::string> m_paths;
  // The object table of the page shown when the dialog ended: where the
  // files are read into, or what is saved from; 0 when there were no pages.
  int m_nObjTable = 0;
  // The names of the stored objects chosen on that page, in list order:
  // when opening, the one object to open instead of a file; when saving,
  // the objects written into the file.
  std::vector<std::string> m_objects;
};

// The host's file open and save dialog: Qt's own file dialog (never the
// desktop's, so that it carries widgets) with the host's page area below
// it, a tab per page that a table contributes (COrvSaveLoadPageData). A
// page lists the stored objects of its table in its database (with the
// table's icon when the page asks for icons, as many rows high as it
// asks), in the host's order (letter case ignored), and is titled with
// the page's title. A page's subbase table, options and help topic are not
// shown: no table asks for them.
//
// Opening: the files chosen are read into the table of the page shown; or
// the person opens a stored object of that page instead (double-click or
// the page's "Open Stored" button), and no file is chosen. Saving: the
// file receives the objects selected on the page shown, as that table's
// archive (the filter and default extension follow the page); saving with
// nothing selected is refused with a message and the dialog stays open.
//
// When the dialog ends with OK, the chosen object names (joined by line
// ends) are also written into the page's m_pSelection, if it has one; the
// buffer must live while the dialog runs. Needs a QApplication; the tables
// must stay registered while the dialog is shown.
class COrvFileDialog : public QFileDialog {
 public:
  enum EMode { kOpen, kSave };

  // An empty dialog (no pages yet) over `parent` (may be null), titled
  // "Open" or "Save As".
  explicit COrvFileDialog(EMode mode, QWidget* parent = nullptr);
  ~COrvFileDialog() override;
  COrvFileDialog(const COrvFileDialog&) = delete;
  COrvFileDialog& operator=(const COrvFileDialog&) = delete;

  // Asks every table the engine has for its page (AppendPageToOpenDialog
  // or AppendPageToSaveDialog by the mode) and shows them: the number of
  // pages shown. A table that throws contributes nothing.
  int AddTablePages();
  // Shows the pages of `pages` after those shown already, its m_nCurPage
  // first; a page whose object table the engine does not have is left
  // out. The number of pages shown.
  int AddPages(const COrvSaveLoadData& pages);

  // The page area; its tabs are the pages. Owned by the dialog.
  QTabWidget* PageArea() const { return m_pPages; }
  // The list of stored objects on the page of `objTable`, or null.
  QListWidget* PageList(int objTable) const;
  // Shows the page of `objTable` with the objects `names` selected (those
  // it lists; when opening, the first of them): false when there is no
  // such page.
  bool ShowPage(int objTable, const std::vector<std::string>& names = {});

  // Runs the dialog modally: IDOK with Choice() filled, or IDCANCEL with
  // Choice() empty.
  int DoModal();
  // What was chosen; empty until the dialog ended with OK.
  const COrvFileChoice& Choice() const { return m_choice; }

  // Ends the open dialog opening the object selected on the page shown;
  // nothing when saving or when no object is selected.
  void OpenStoredObject();

 protected:
  // Saving: refuses (with a message) when no object is selected on the
  // page shown, or there is no page; else Qt's checks (overwrite
  // question) and OK.
  void accept() override;

 private:
  struct CPage;
  void MakePageArea();
  void AddPage(const COrvSaveLoadPageData& record);
  void OnPageShown(int index);
  void TakeChoice();
  CPage* CurrentPage() const;

  EMode m_mode;
  QTabWidget* m_pPages = nullptr;
  std::vector<std::unique_ptr<CPage>> m_pageList;  // by tab index
  COrvFileChoice m_choice;
  bool m_bStoredChosen = false;  // a stored object was opened instead of a file
};

}  // namespace BLASTSEARCH_EXPORT
