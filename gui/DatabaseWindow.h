#pragma once

#include <QMainWindow>
#include <QMenu>
#include <QPointer>
#include <QStringList>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/Export.h"

class QAction;
class QLabel;
class QLineEdit;
class QSplitter;
class QTimer;
class QModelIndex;
class QTreeView;
class QTreeWidget;
class QTreeWidgetItem;
class QUndoStack;

namespace blastsearch BLASTSEARCH_EXPORT {

class CDBTableBase;
class CObjInfo;
class CObjectIcons;
class CObjectListModel;
class CDBFieldDef;

// The host's database window over database `dbId`: on the left every table
// the engine has, each with its subbases ("MAIN" first); on the right the
// objects of the chosen subbase with the table's columns and icons, sortable
// by any column; a status bar that shows the prompts of the commands; a menu
// bar and tool bar of the common commands. Right-clicking a subbase or
// objects shows the table's context menu; the window carries out the chosen
// command by its identifier through the table's operations. Dropping files
// imports them. Knows tables only through the engine. Talks to the person
// through the user-interaction service.
//
// The object list reads its rows from the storage a page at a time as it
// scrolls (CObjectListModel), never the whole table: name order is the
// storage's; other columns sort over every object's value of the column
// once. The window follows the database: what another process changes shows
// within a second (the storage's data version, looked at by a timer), the
// rows read again and the selection kept. A filter box narrows the list as
// one types, confirming rows as they are read. Size,
// splitter, sort and column widths are kept between starts (QSettings).
// Deletes and edits made in the window can be undone (Ctrl+Z) while it is
// open.
class CDatabaseWindow : public QMainWindow {
 public:
  explicit CDatabaseWindow(int dbId = 1, QWidget* parent = nullptr);
  ~CDatabaseWindow() override;

  // ---- what is shown ----
  // Lists the tables, subbases and objects again, keeping the choice of
  // subbase and the selected objects where they still exist.
  void Refill();
  // The table and subbase chosen on the left (null and "" when none).
  CDBTableBase* CurrentTable() const;
  std::string CurrentSubbase() const;
  // Chooses the subbase `name` of `table` on the left: false when it has no
  // such subbase.
  bool SelectSubbase(CDBTableBase* table, const std::string& name);
  // The list records of the selected objects, in list order (owned by the
  // table's list, valid until the next change of the database).
  std::vector<CObjInfo*> SelectedObjects() const;
  // Selects the objects named `names` (exact names) and only those, reading
  // the list further (up to kSeekRows rows) for names not read yet; the
  // number found.
  int SelectObjects(const std::vector<std::string>& names);
  // The row (its first column) of the object `name` in the object list,
  // reading the list further as SelectObjects does; invalid when it is not
  // shown.
  QModelIndex ObjectIndex(const std::string& name) const;
  // The text the list shows for the object `name` in the column titled
  // `column`; "" when either is not shown.
  QString CellText(const std::string& name, const QString& column) const;
  // The column titled `label` of the object list, or -1.
  int ColumnOf(const QString& label) const;
  // The names of the rows shown (read so far), in list order.
  std::vector<std::string> VisibleNames() const;

  // ---- following the database ----
  // Looks whether another process changed the database since the last
  // look; when it did, lists everything again (Refill). True when it
  // refilled. The timer calls it twice a second while no command runs.
  bool FollowDatabase();
  // The Refresh command (F5): reads the lists again and shows them.
  void RefreshNow();

  // ---- filter ----
  // Shows only the objects whose name, query name or a keyword holds
  // `text` (letter case ignored; words separated by blanks must all be
  // found); "" shows all. Also sets the filter box.
  void SetFilter(const QString& text);

  // ---- export ----
  // Writes the selected results into a file chosen with the file dialog in
  // `format` ("tsv", "fasta", "json" as the command line writes them, or
  // "archive"): 1 written, 0 cancelled or failed (a message names the file
  // and why).
  int ExportSelectedAs(const std::string& format);

  // ---- commands ----
  // Carries out the command `id` of a context menu of the subbases
  // (`tableMenu`) or of the objects: 1 when it was carried out, 0 when it
  // failed, was cancelled or does not apply (the table's or the service's
  // messages say why).
  int OnCommand(unsigned id, bool tableMenu);
  // Whether the command applies now (enables its menu items).
  bool IsCommandEnabled(unsigned id, bool tableMenu) const;
  // The current table's context menu for the subbases (`tableMenu`) or the
  // objects, full or short, as the table returns it, with its actions
  // connected to OnCommand and its prompts shown in the status bar. Null
  // when the table has none. Owned by the caller (parented to the window).
  QMenu* MakeContextMenu(bool full, bool tableMenu);
  // The table's search (SearchForObjects) over the current subbase; then
  // shows the subbase it filled. 1 when the search ended with OK.
  int OnSearch();

  // ---- files ----
  // Imports `paths` into the current subbase (archives whole, reports and
  // transfer files as new objects, object files), with a progress window for
  // more than one file; then shows what was stored, selected. Failures are
  // shown once at the end, one line per file. The number of files stored.
  int ImportFiles(const QStringList& paths);
  // Opens files given on the command line: imports them, and opens the one
  // new object in the viewer when a single file made exactly one.
  int OpenFiles(const QStringList& paths);
  // File > Open...: the host's open dialog with every table's page. Files
  // chosen are stored in the table of the page shown (into its MAIN when
  // that is not the table shown here) as OpenFiles stores them; a stored
  // object chosen on the page instead is selected and opened. 1 when
  // something was stored or opened, 0 when cancelled or nothing was.
  int OpenWithDialog();
  // File > Save As...: the host's save dialog with every table's page, the
  // current table's page shown with the selection chosen on it; writes the
  // objects chosen there into the file as that table's archive. 1 written,
  // 0 cancelled or failed (the table's message says why).
  int SaveAsWithDialog();

  QTreeWidget* m_pSubbases;    // tables and their subbases
  QTreeView* m_pObjects;       // the objects of the chosen subbase
  CObjectListModel* m_pModel;  // the rows of m_pObjects
  QLabel* m_pCount;            // the status bar's count of objects
  QLineEdit* m_pFilter;        // the filter box over the object list
  QUndoStack* m_pUndo;         // deletes and edits of this session
  QAction* m_pUndoAction;      // Edit > Undo (Ctrl+Z)
  QAction* m_pRedoAction;      // Edit > Redo

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void MakeWidgets();
  // Size and place from the settings, fitted to the screen; the splitter
  // and the list's header as they were left.
  void RestoreLayout();
  void SaveLayout() const;
  void MakeEditMenu();
  void ApplyFilter();
  // The status bar's count of objects (and of those the filter found).
  void ShowCount();
  // The selected rows of the object list.
  std::size_t SelectedRowCount() const;
  // The row of the object `name`, reading the list further (up to
  // kSeekRows rows) when it is not read yet; -1 when not found.
  int SeekName(const std::string& name) const;
  // The list record of `item`'s object; null, after saying so and listing
  // again, when the object is no longer in the database.
  CObjInfo* InfoOfRow(const QModelIndex& index);
  void OpenRow(const QModelIndex& index);
  // The header as kept between starts (once), else the sort on
  // `sortColumn` (-1: the first column, ascending).
  void RestoreHeader(int sortColumn, Qt::SortOrder order);

  void MakeMenus();
  // The current table's full menus in the menu bar, made again when the
  // table changes.
  void MakeTableMenus();
  // Shows `menu` (taken) at `at`, deleting the popup shown before.
  void ShowPopup(QMenu* menu, const QPoint& at);
  void MakeToolBar();
  QAction* AddCommandAction(QWidget* owner, const QIcon& icon, const QString& text, unsigned id,
                            bool tableMenu);
  void ConnectMenu(QMenu* menu, bool tableMenu);
  void FillSubbases();
  void FillObjects();
  // The list's column titles and the table's field definitions of the
  // columns after Name and Created.
  void FillColumns(CDBTableBase& table, QStringList& labels, std::vector<CDBFieldDef>& defs);
  void OnSubbaseChosen();
  void OnObjectsContextMenu(const QPoint& pos);
  void OnSubbasesContextMenu(const QPoint& pos);
  void UpdateActions();
  void ShowStatus(const QString& text);
  QString ObjectsText() const;
  std::vector<std::string> SelectedNames() const;

  // The commands, each through the table's operations.
  int OpenSelected();
  int EditSelected();
  int NewSubbase();
  int ImportArchive();
  int ExportArchive(bool selectedOnly);
  int ImportReports();
  int ExcludeSelected();
  int DeleteSelected();
  int RenameSelected();
  int RenameSubbase();
  int DuplicateSelected();
  int ShowProperties(bool tableMenu);
  int WriteSummary();
  int ChangeSubbase(unsigned id);
  int ShowTableOfCommand(unsigned id);
  int CopySelected();

  // What the object list shows: the storage, table and subbase (0: MAIN).
  struct CListed {
    const void* m_pStorage = nullptr;
    int m_nTable = 0;
    unsigned long m_subbase = 0;
    bool operator==(const CListed&) const = default;
  };
  // How many rows the window reads at most to find objects it is asked to
  // select or show that the list has not read yet.
  static constexpr std::size_t kSeekRows = 100000;

  int m_nDbId;
  CListed m_listed;  // the list the model shows
  std::unique_ptr<CObjectIcons> m_pIcons;
  std::vector<std::string> m_columns;  // field names of the object list after "Name"
  std::vector<bool> m_numeric;         // per column of the list: sorts by number
  int m_nFactColumn = 0;     // the first of the program, database, best E, best identity columns
  int m_nCreatedColumn = 1;  // the creation time's column
  QSplitter* m_pSplitter = nullptr;
  QTimer* m_pWatch = nullptr;              // looks at the database's data version
  std::uint64_t m_nSeenVersion = 0;        // the data version last shown
  int m_nBusy = 0;                         // commands running: no refill meanwhile
  bool m_bHeaderRestored = false;          // the list's header took the saved state (or had none)
  bool m_bSizeColumns = false;             // the columns are fitted to the first rows filled
  std::vector<QAction*> m_commandActions;  // the menu bar's and tool bar's commands
  std::vector<QMenu*> m_tableMenus;        // the table's menus in the menu bar
  CDBTableBase* m_pMenuTable = nullptr;    // whose menus those are
  QPointer<QMenu> m_pPopup;                // the context menu shown last
};

}  // namespace BLASTSEARCH_EXPORT
