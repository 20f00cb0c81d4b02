#pragma once

#include <QDialog>
#include <string>
#include <utility>
#include <vector>

#include "platform/Export.h"

class QTableWidget;

namespace blastsearch BLASTSEARCH_EXPORT {

// A small read-only dialog of named values (an object's list values, a
// subbase's figures): one row per value, name then value, and a Close
// button.
class CPropertiesDialog : public QDialog {
 public:
  using Rows = std::vector<std::pair<std::string, std::string>>;

  // The dialog titled `title` over `parent`, holding `rows` in order.
  CPropertiesDialog(const QString& title, const Rows& rows, QWidget* parent);

  QTableWidget* m_pValues;
};

}  // namespace BLASTSEARCH_EXPORT
