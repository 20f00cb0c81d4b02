#pragma once

#include <string>

#include "platform/Export.h"

class QWidget;

namespace blastsearch BLASTSEARCH_EXPORT {

// One transfer between a dialog's controls and its members: from the
// controls into the members when m_bSaveAndValidate is true ("transfer data
// in"), else from the members into the controls ("transfer data out").
// Lives for one UpdateData.
class CDataExchange {
 public:
  CDataExchange(QWidget* dialog, bool saveAndValidate)
      : m_pDlgWnd(dialog), m_bSaveAndValidate(saveAndValidate) {}

  QWidget* m_pDlgWnd;  // not owned
  bool m_bSaveAndValidate;
};

// Exchanges the text of the edit or static `id` with `value` (UTF-8). A
// missing control exchanges nothing.
void DDX_Text(CDataExchange& dx, int id, std::string& value);
// Exchanges the state of the check box `id` with `value` (0 or 1).
void DDX_Check(CDataExchange& dx, int id, int& value);

}  // namespace BLASTSEARCH_EXPORT
