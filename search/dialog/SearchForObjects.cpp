#include "search/dialog/SearchForObjects.h"

#include <QApplication>

#include "search/SearchFilters.h"
#include "search/TableSearch.h"

namespace blastsearch {

namespace {

int MakeFiltersFirst() {
  MakeSearchFilters();
  return 0;
}

}  // namespace

CSearchDialogSet::CSearchDialogSet(int objType, int dbId, QWidget* parent)
    : m_textPage((MakeFiltersFirst(), &TextSearchFilter()), objType, dbId),
      m_keywordPage(&KeywordSearchFilter(), objType, dbId),
      m_attribPage(&AttribSearchFilter(), objType, dbId),
      m_dialog(objType, dbId, parent) {
  m_dialog.AddFilterPage(&AttribSearchFilter(), &m_attribPage);
  m_dialog.AddFilterPage(&TextSearchFilter(), &m_textPage);
  m_dialog.AddFilterPage(&KeywordSearchFilter(), &m_keywordPage);
}

int RunSearchDialog(CSearchRun& run) {
  CSearchDialogSet set(run.m_objType, run.m_dbId, QApplication::activeWindow());
  set.m_dialog.m_lookInSubbase = run.m_lookInSubbase;  // the caller's subbase first
  const int result = set.m_dialog.DoModal();
  run.m_resultSubbase = set.m_dialog.m_resultSubbase;
  return result;
}

void InstallSearchDialog() { SetSearchDialogRunner(&RunSearchDialog); }

}  // namespace blastsearch
