#pragma once

#include <QWidget>

class QLabel;
class QListWidget;
class QPushButton;

// The host's smallest window: the objects of the BLAST search table in
// database 1, listed by name, and a Search button that runs the table's
// search command and shows the subbase it filled.
class CHostWindow : public QWidget {
 public:
  CHostWindow();

  // Lists the table's objects again.
  void Refill();
  // The table's search command (the search dialog); then Refill.
  void OnSearch();

  QListWidget* m_pObjects;
  QPushButton* m_pSearch;
  QLabel* m_pStatus;
};
