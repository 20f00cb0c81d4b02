#pragma once

#include <QString>
#include <string>

#include "platform/Export.h"
#include "platform/UserInteraction.h"

class QWidget;

namespace blastsearch BLASTSEARCH_EXPORT {

// The user-interaction service of the window program: modal message boxes
// with the style's icon, Qt's file dialog, text prompts and a small progress
// window. Installs itself for its lifetime (CScopedUserInteraction). Needs a
// QApplication.
class CQtUserInteraction : public CScopedUserInteraction {
 public:
  // Dialogs are shown over `parent` (null: the active window).
  explicit CQtUserInteraction(QWidget* parent = nullptr) : m_pParent(parent) {}

  // A message box: information, question (Yes/No), exclamation or stop icon
  // by `style`; IDOK, IDYES or IDNO.
  int ShowMessage(const std::string& text, unsigned style) override;
  // The open or save dialog with the default extension, the initial name,
  // the filter ("Name|*.ext|..." pairs) and OFN_OVERWRITEPROMPT.
  int ChooseFile(const FileDialogRequest& request, std::string& path) override;
  int PromptText(const std::string& prompt, std::string& text) override;
  // The prompt with `text` proposed and selected.
  int EditText(const std::string& prompt, std::string& text) override;
  // A window with the title and the message, closed when destroyed.
  std::unique_ptr<CProgressDisplay> OpenProgress() override;

 private:
  QWidget* Parent() const;
  QWidget* m_pParent;
};

// A filter list of file dialogs ("Name|*.a;*.b|Other|*.c") as Qt's name
// filters ("Name (*.a *.b);;Other (*.c)"); pairs without a name are left out.
QString QtFileFilter(const std::string& filter);

// The message-box icon of a style: 1 information, 2 question, 3 exclamation,
// 4 stop, 0 none (QMessageBox::Icon's numbering).
int MessageIconOf(unsigned style);

}  // namespace BLASTSEARCH_EXPORT
