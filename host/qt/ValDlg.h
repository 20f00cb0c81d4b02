#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "platform/Export.h"

class QListWidget;
class QLineEdit;

namespace blastsearch BLASTSEARCH_EXPORT {

// The host's value-picking dialog: every value to choose from in a list
// with check boxes, the values chosen so far checked, and an edit to add a
// value that is not listed yet. On OK, GetValues() holds the checked values:
// those chosen before in their order, then the newly checked in list order.
class CValDlg : public QDialog {
 public:
  // `title` heads the dialog; `chosen` are checked at first; `all` are the
  // values to choose from (the chosen are listed too when missing).
  CValDlg(const std::string& title, const std::vector<std::string>& chosen,
          const std::vector<std::string>& all, QWidget* parent);

  // Runs the dialog: 1 for OK, 2 for cancel.
  int DoModal();
  // The chosen values after OK.
  const std::vector<std::string>& GetValues() const { return m_values; }

  // The list and the new-value edit, for the person (and tests).
  QListWidget* ValueList() const { return m_pList; }
  QLineEdit* NewValueEdit() const { return m_pEdit; }
  // Adds the text of the edit as a checked value (when it is acceptable).
  void OnAddValue();

 private:
  void OnOK();
  int AddValue(const std::string& value, bool checked);

  std::vector<std::string> m_chosenBefore;
  std::vector<std::string> m_values;
  QListWidget* m_pList;
  QLineEdit* m_pEdit;
};

}  // namespace BLASTSEARCH_EXPORT
