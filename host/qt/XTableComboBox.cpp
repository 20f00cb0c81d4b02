#include "host/qt/XTableComboBox.h"

#include "host/db/DBEngine.h"
#include "host/db/DBFunctions.h"
#include "host/db/DBTableBase.h"

namespace blastsearch {

CXTableComboBox::CXTableComboBox(QWidget* parent) : QComboBox(parent) {}

void CXTableComboBox::RegisterItemIcon(int objType, const QIcon& icon) { m_icons[objType] = icon; }

void CXTableComboBox::ResetFromTable(int objType, int dbId, const std::string& subbase) {
  const auto found = m_icons.find(objType);
  const QIcon icon = found != m_icons.end() ? found->second : QIcon();
  clear();
  addItem(icon, QString::fromUtf8(kMainSubbase));
  int selected = 0;
  if (CDBTableBase* table = engine().TableByID(engine().ObjtypeToObjtable(objType));
      table != nullptr) {
    for (const auto& record : table->getsblist(dbId)) {
      addItem(icon, QString::fromStdString(record->m_name));
      if (!IsMainSubbase(subbase) && record->m_name == subbase) selected = count() - 1;
    }
  }
  setCurrentIndex(selected);
}

std::string CXTableComboBox::GetCurSubbase() const { return currentText().toStdString(); }

}  // namespace blastsearch
