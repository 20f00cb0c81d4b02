#pragma once

#include <QComboBox>
#include <QIcon>
#include <map>
#include <string>

#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

// The host's table combo box: "MAIN" and the subbases of one table, each
// with the icon registered for the table's object type.
class CXTableComboBox : public QComboBox {
 public:
  explicit CXTableComboBox(QWidget* parent);

  // Shows `icon` for items of tables of `objType`.
  void RegisterItemIcon(int objType, const QIcon& icon);
  // Lists "MAIN" and the subbases of the table of `objType` in database
  // `dbId` and selects `subbase` ("MAIN" in any letter case, or a subbase
  // by its exact name; "MAIN" when it is not listed). Quiet when the type
  // has no table or the database is not open: "MAIN" alone.
  void ResetFromTable(int objType, int dbId, const std::string& subbase);
  // The selected subbase's name ("" when nothing is selected).
  std::string GetCurSubbase() const;

 private:
  std::map<int, QIcon> m_icons;
};

}  // namespace BLASTSEARCH_EXPORT
