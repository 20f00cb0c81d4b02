#pragma once

#include "platform/Export.h"
#include "search/dialog/AttribSearchDlg.h"
#include "search/dialog/ContextSearchDlg.h"
#include "search/dialog/KeywordsSearchDlg.h"
#include "search/dialog/TableSearchDlg.h"

namespace blastsearch BLASTSEARCH_EXPORT {

class CSearchRun;

// The search dialog with its pages, made as the table's search command
// makes them: the three filters (on first use), then the text, keyword and
// attribute pages, then the dialog, with the pairs registered in the order
// attribute, text, keyword (the tab order and the order filters are tried).
// The dialog goes before its pages.
class CSearchDialogSet {
 public:
  // For objects of `objType` in database `dbId`, the dialog over `parent`
  // (centred on it; may be null); the window is not made.
  CSearchDialogSet(int objType, int dbId, QWidget* parent = nullptr);

  CContextSearchDlg m_textPage;
  CKeywordsSearchDlg m_keywordPage;
  CAttribSearchDlg m_attribPage;
  CTableSearch m_dialog;
};

// Runs the search dialog modally for `run` (the table's search command),
// over the application's active window; the last subbase filled goes into
// run.m_resultSubbase. The dialog's answer (1 OK).
int RunSearchDialog(CSearchRun& run);

// Makes the table's search command show the dialog (RunSearchDialog).
void InstallSearchDialog();

}  // namespace BLASTSEARCH_EXPORT
