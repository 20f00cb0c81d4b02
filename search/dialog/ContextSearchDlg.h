#pragma once

#include <string>

#include "platform/Export.h"
#include "search/dialog/SearchPropPage.h"

class QLineEdit;
class QPushButton;

namespace blastsearch BLASTSEARCH_EXPORT {

class CContextFilter;
class CIconTextListBox;

// The text page: the substrings to look for, the fields to look in and the
// letter-case switch of the text filter.
class CContextSearchDlg : public CSearchPropPage {
 public:
  // A page editing `filter` (not owned; outlives the page).
  CContextSearchDlg(CContextFilter* filter, int objType, int dbId);

  int UpdateFilter() override;
  // Switched on, the text page needs a text to look for and a field ticked
  // to look in.
  std::string Incomplete() const override;
  // Also switches the filter; enabling brings the buttons back to their
  // state-dependent enabling.
  void EnablePage(int enable) override;
  // "< Add": adds the new substring unless it is empty, listed already or
  // refused (forbidden characters, with a message).
  void OnAdd();
  // "> Remove" and a double click: removes every selected substring.
  void OnRemove();

  QLineEdit* m_newSubstringEdit = nullptr;
  QPushButton* m_removeButton = nullptr;
  QPushButton* m_addButton = nullptr;
  std::string m_strNewSubstring;
  CContextFilter* m_pFilter;
  CIconTextListBox* m_substringList = nullptr;
  CIconTextListBox* m_fieldList = nullptr;

 protected:
  int OnInitDialog() override;
  void DoDataExchange(CDataExchange& dx) override;

 private:
  void FillFieldList();
  void RestoreFieldSelection();
};

}  // namespace BLASTSEARCH_EXPORT
