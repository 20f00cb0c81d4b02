#pragma once

#include <QDialog>
#include <memory>
#include <vector>

#include "platform/Export.h"

class QTabWidget;

namespace blastsearch BLASTSEARCH_EXPORT {

class CEditorPropSheet;

// The object editor as a window: the sheet's title, a tab per page
// (General, with the extra page of the object's table as a tab of its own
// built from its dialog layout; User Fields; Comments; Keywords; any other
// page from its layout), OK and Cancel. The tabs show the pages' members;
// OK checks what was typed and writes it back into the members, Cancel
// leaves them as they were. The sheet and its pages must outlive the
// dialog.
class CEditorSheetDialog : public QDialog {
 public:
  // Builds the window for `sheet`, showing its first page, over `parent`;
  // it opens with room for each tab's whole face, within the screen.
  explicit CEditorSheetDialog(CEditorPropSheet& sheet, QWidget* parent = nullptr);
  ~CEditorSheetDialog() override;

  // The tabs (named "editorTabs").
  QTabWidget* Tabs() const { return m_pTabs; }

  // One tab's editing of a page's members; defined with the dialog.
  class CFace;

 protected:
  // Checks every tab (showing the first one whose text is refused, with a
  // message), then writes them into the pages and ends with IDOK.
  void accept() override;
  // Ends with IDCANCEL, the pages untouched.
  void reject() override;
  // Enter in a line edit stays with that box (a new keyword is added, a
  // field's value kept) instead of pressing OK.
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void AddFace(std::unique_ptr<CFace> face, const QString& title);

  CEditorPropSheet& m_sheet;
  QTabWidget* m_pTabs = nullptr;
  std::vector<std::unique_ptr<CFace>> m_faces;
};

// Makes the Qt editor window the sheet runner of OrvDoModal for the rest of
// the process (it replaces any other). Needs a QApplication when a sheet
// is run. Repeating it does nothing more.
void InstallEditorSheetRunner();

}  // namespace BLASTSEARCH_EXPORT
