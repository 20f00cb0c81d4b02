// The database window over a real scratch database: its lists and columns,
// the commands carried out through the table, drops, and a whole session
// from import to delete.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <QAbstractButton>
#include <QDateTime>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSettings>
#include <QStatusBar>
#include <QTableWidget>
#include <QTimer>
#include <QTreeView>
#include <QTreeWidget>
#include <QUndoStack>
#include <QUrl>
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>

#include "QtTestHelpers.h"
#include "controls/CheckPropPageButton.h"
#include "controls/CoolPropertySheet.h"
#include "gui/DatabaseWindow.h"
#include "gui/HostCommands.h"
#include "gui/ObjectListModel.h"
#include "gui/PropertiesDialog.h"
#include "host/db/DBEngine.h"
#include "host/db/DBStorage.h"
#include "host/db/ObjInfo.h"
#include "host/editor/EditKeywordsPage.h"
#include "host/editor/ScriptedSheetRunner.h"
#include "host/qt/ValDlg.h"
#include "host/qt/XTableComboBox.h"
#include "model/BlastSearchHit.h"
#include "platform/UserInteraction.h"
#include "platform/qt/DialogBuilder.h"
#include "search/SearchFilters.h"
#include "search/SearchRun.h"
#include "search/TableSearch.h"
#include "search/dialog/ContextSearchDlg.h"
#include "search/dialog/SearchForObjects.h"
#include "support/Corpus.h"
#include "support/TempDatabase.h"
#include "table/BlastSearchObject.h"
#include "table/BlastSearchTable.h"
#include "viewer/ResultViewer.h"

namespace blastsearch {

namespace {

enum { kTextTab = 1, kKeywordTab = 2 };

const std::string kBlastPlus = std::string(BLASTSEARCH_SOURCE_DIR) + "/tests/data/blastplus/";
const std::string kCommand = std::string(BLASTSEARCH_BINARY_DIR) + "/app/blastsearch";

// Runs the command-line program as a second process; its exit status and
// its standard output.
int RunCommand(const std::string& args, std::string* out = nullptr) {
  FILE* pipe = popen((kCommand + " " + args + " 2>/dev/null").c_str(), "r");
  if (pipe == nullptr) return -1;
  std::string text;
  char buffer[4096];
  std::size_t read = 0;
  while ((read = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) text.append(buffer, read);
  const int status = pclose(pipe);
  if (out != nullptr) *out = text;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class DatabaseWindowTest : public ::testing::Test {
 protected:
  // The search dialog's conditions last for the process: each test starts
  // and ends without any.
  // The window keeps its layout in a settings file of a scratch folder.
  void SetUp() override {
    ResetSearchFilters();
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       QString::fromStdString(m_settings.Path().string()));
    QSettings().clear();
  }
  void TearDown() override { ResetSearchFilters(); }
  static void ResetSearchFilters() {
    MakeSearchFilters();
    TextSearchFilter() = CContextFilter();
    KeywordSearchFilter() = CKeywordFilter();
    AttribSearchFilter() = CAttribFilter();
  }
  // Stores a result named `name` with `hits` empty hits.
  static void Store(const std::string& name, int hits,
                    const std::vector<std::string>& keywords = {}) {
    CBlastSearchObject object;
    object.m_name = name;
    object.m_keywords = keywords;
    object.m_creationTime = 1700000000 + hits;
    for (int i = 0; i < hits; ++i) {
      object.Entry().m_Hits.m_HitList.push_back(std::make_unique<CBlastSearchHit>());
    }
    std::string subbase;
    ASSERT_EQ(blastSearch().AddNewObject(&object, "MAIN", subbase, 1), 1) << name;
  }
  CDatabaseWindow& Window() {
    if (!m_pWindow) m_pWindow = std::make_unique<CDatabaseWindow>();
    return *m_pWindow;
  }
  // The names in the object list, in the order shown.
  std::vector<std::string> Shown() {
    std::vector<std::string> names;
    for (int i = 0; i < Window().m_pObjects->model()->rowCount(); ++i) {
      names.push_back(Window().m_pObjects->model()->index(i, 0).data().toString().toStdString());
    }
    return names;
  }
  std::vector<std::string> Subbases() {
    std::vector<std::string> names;
    QTreeWidgetItem* top = Window().m_pSubbases->topLevelItem(0);
    for (int i = 0; top != nullptr && i < top->childCount(); ++i) {
      names.push_back(top->child(i)->text(0).toStdString());
    }
    return names;
  }
  int Column(const QString& label) { return Window().ColumnOf(label); }
  // Drops `paths` on the window as a file manager does.
  void Drop(const QStringList& paths) {
    QMimeData data;
    QList<QUrl> urls;
    for (const QString& path : paths) urls << QUrl::fromLocalFile(path);
    data.setUrls(urls);
    const QPoint at = Window().rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&Window(), &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&Window(), &drop);
  }

  // Right-clicks the object `name` (or the empty part of the list) as a
  // person does; the context menu that opens, or null.
  QMenu* RightClick(const std::string& name) {
    QTreeView* list = Window().m_pObjects;
    const QPoint at = name.empty() ? QPoint(5, list->viewport()->height() - 5)
                                   : list->visualRect(Window().ObjectIndex(name)).center();
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, list->viewport()->mapToGlobal(at));
    QApplication::sendEvent(list->viewport(), &event);
    Settle();
    return qobject_cast<QMenu*>(QApplication::activePopupWidget());
  }
  static QAction* ActionOf(QMenu* menu, unsigned id) {
    for (QAction* action : menu->actions()) {
      if (action->menu() != nullptr) {
        if (QAction* inner = ActionOf(action->menu(), id)) return inner;
      } else if (action->data().toUInt() == id) {
        return action;
      }
    }
    return nullptr;
  }
  // Chooses the item `id` of the open `menu` with the keyboard, having its
  // prompt shown on the way.
  void Choose(QMenu* menu, unsigned id) {
    QAction* action = ActionOf(menu, id);
    ASSERT_NE(action, nullptr) << id;
    menu->setActiveAction(action);
    Settle();
    QTest::keyClick(menu, Qt::Key_Return);
    Settle();
  }

  // Runs the window's search with the search dialog, driven as a person
  // does: the keyword tab ticked, `keyword` chosen from the table's
  // keywords, Start Search into the subbase `into`, then OK.
  void FindByKeyword(const std::string& keyword, const std::string& into) {
    InstallSearchDialog();
    QTimer::singleShot(0, [&] {
      auto* dialog = dynamic_cast<CTableSearch*>(QApplication::activeModalWidget());
      if (dialog == nullptr) return CloseModal();
      CCoolPropertySheet& sheet = *dialog->m_pSheet;
      sheet.SetActivePage(kKeywordTab);
      Settle();
      CCheckPropPageButton* box = sheet.GetCheckButton(kKeywordTab);
      QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
      auto* page = dynamic_cast<CKeywordsSearchDlg*>(sheet.GetPage(kKeywordTab));
      if (page == nullptr) return CloseModal();
      QTimer::singleShot(0, [&] {
        auto* values = dynamic_cast<CValDlg*>(QApplication::activeModalWidget());
        if (values == nullptr) return CloseModal();
        for (QListWidgetItem* item :
             values->ValueList()->findItems(QString::fromStdString(keyword), Qt::MatchExactly)) {
          item->setCheckState(Qt::Checked);
        }
        for (QPushButton* button : values->findChildren<QPushButton*>()) {
          if (button->text().remove('&') == "OK") QTest::mouseClick(button, Qt::LeftButton);
        }
      });
      QTest::mouseClick(page->m_addButton, Qt::LeftButton);
      m_ui.QueueText(into);
      QTest::mouseClick(dynamic_cast<QPushButton*>(GetDlgItem(dialog, 812)), Qt::LeftButton);
      QTest::mouseClick(dynamic_cast<QPushButton*>(GetDlgItem(dialog, 1)), Qt::LeftButton);
    });
    EXPECT_EQ(Window().OnSearch(), 1);
    SetSearchDialogRunner(nullptr);
  }
  // A script that did not find the dialog it expected fails the test and
  // closes what is open.
  static void CloseModal() {
    ADD_FAILURE() << "not the dialog expected";
    if (QWidget* modal = QApplication::activeModalWidget(); modal != nullptr) modal->close();
  }

  // The result viewers open now.
  static std::vector<CResultViewer*> Viewers() {
    std::vector<CResultViewer*> viewers;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      if (auto* viewer = dynamic_cast<CResultViewer*>(widget); viewer && viewer->isVisible()) {
        viewers.push_back(viewer);
      }
    }
    return viewers;
  }

  std::string Db() const { return m_db.Dir().string(); }

  CTempDir m_settings{"settings"};
  CTempDatabase m_db;
  CScriptedUserInteraction m_ui;
  std::unique_ptr<CDatabaseWindow> m_pWindow;
};

TEST_F(DatabaseWindowTest, ListsSubbasesAndObjectsWithTheTablesColumnsSortedByNumber) {
  Store("gamma", 150);
  Store("alpha", 5);
  Store("beta", 50);
  ASSERT_EQ(blastSearch().NewSubbase(1, "kinases", {"alpha", "gamma"}, 0), 1);
  EXPECT_EQ(Subbases(), (std::vector<std::string>{"MAIN", "kinases"}));
  EXPECT_EQ(Window().m_pSubbases->topLevelItem(0)->text(0).toStdString(),
            blastSearch().DescribeObjType(1, 0));
  EXPECT_EQ(Window().CurrentSubbase(), "MAIN");
  EXPECT_EQ(Window().CurrentTable(), engine().TableByID(201));
  std::vector<std::string> fields;
  blastSearch().GetObjRealFieldNames(1, &fields);
  for (const std::string& field : fields) {
    EXPECT_GE(Column(QString::fromStdString(field)), 1) << field;
  }
  EXPECT_EQ(Shown(), (std::vector<std::string>{"alpha", "beta", "gamma"}));
  const int hits = Column("Hits Count");
  Window().m_pObjects->sortByColumn(hits, Qt::DescendingOrder);
  EXPECT_EQ(Shown(), (std::vector<std::string>{"gamma", "beta", "alpha"})) << "150 > 50 > 5";
  EXPECT_EQ(Window().CellText("beta", "Hits Count"), "50");
  EXPECT_EQ(Window().ColumnOf("Hits Count"), hits);
  EXPECT_FALSE(Window().ObjectIndex("beta").data(Qt::DecorationRole).value<QIcon>().isNull());
  EXPECT_EQ(Window().m_pCount->text().toStdString(),
            "3 " + blastSearch().DescribeObjType(1, 0) + " in MAIN");

  ASSERT_TRUE(Window().SelectSubbase(&blastSearch(), "kinases"));
  EXPECT_EQ(Shown(), (std::vector<std::string>{"gamma", "alpha"}));
  EXPECT_FALSE(Window().SelectSubbase(&blastSearch(), "missing"));
}

TEST_F(DatabaseWindowTest, SubbaseCommandsGoThroughTheTable) {
  Store("alpha", 5);
  Store("beta", 50);
  Window().SelectObjects({"alpha"});
  m_ui.QueueText("picked");
  ASSERT_EQ(Window().OnCommand(ID_DB_NEW_SUBBASE, true), 1);
  EXPECT_EQ(Window().CurrentSubbase(), "picked");
  EXPECT_EQ(Shown(), std::vector<std::string>{"alpha"});
  EXPECT_FALSE(Window().IsCommandEnabled(ID_DB_EXCLUDE, false)) << "nothing selected";

  m_ui.QueueText("chosen");
  ASSERT_EQ(Window().OnCommand(ID_DB_RENAME, true), 1);
  EXPECT_EQ(Subbases(), (std::vector<std::string>{"MAIN", "chosen"}));
  EXPECT_EQ(Window().CurrentSubbase(), "chosen");

  Window().SelectObjects({"alpha"});
  ASSERT_EQ(Window().OnCommand(ID_DB_EXCLUDE, false), 1);
  EXPECT_TRUE(Shown().empty());
  ASSERT_EQ(Window().OnCommand(ID_DB_DISMISS_SUBBASE, true), 1);
  EXPECT_EQ(Subbases(), std::vector<std::string>{"MAIN"});
  EXPECT_EQ(Shown().size(), 2u) << "dismissing keeps the objects";
  EXPECT_FALSE(Window().IsCommandEnabled(ID_DB_DISMISS_SUBBASE, true)) << "MAIN stays";
  EXPECT_FALSE(Window().IsCommandEnabled(ID_DB_RENAME, true));
  EXPECT_EQ(Window().OnCommand(ID_DB_DISMISS_SUBBASE, true), 0);
}

TEST_F(DatabaseWindowTest, DeleteAsksFirstAndRenameProposesTheName) {
  Store("alpha", 5);
  Store("beta", 50);
  Window().SelectObjects({"alpha", "beta"});
  m_ui.QueueAnswer(IDNO);
  EXPECT_EQ(Window().OnCommand(ID_DB_DELETE, false), 0);
  EXPECT_EQ(Shown().size(), 2u);
  ASSERT_EQ(m_ui.Messages().size(), 1u);
  EXPECT_EQ(m_ui.Messages()[0].nStyle, static_cast<unsigned>(MB_ICONQUESTION));
  EXPECT_NE(m_ui.Messages()[0].strText.find("Delete the 2 selected"), std::string::npos);

  Window().SelectObjects({"beta"});
  m_ui.QueueText("beta kinase");
  ASSERT_EQ(Window().OnCommand(ID_DB_RENAME, false), 1);
  ASSERT_EQ(m_ui.Edits().size(), 1u);
  EXPECT_EQ(m_ui.Edits()[0].second, "beta");
  EXPECT_EQ(Shown(), (std::vector<std::string>{"alpha", "beta kinase"}));
  ASSERT_EQ(Window().SelectedObjects().size(), 1u);
  EXPECT_EQ(Window().SelectedObjects()[0]->m_name, "beta kinase");

  m_ui.QueueText("alpha");  // taken: the table says so and nothing changes
  EXPECT_EQ(Window().OnCommand(ID_DB_RENAME, false), 0);
  EXPECT_EQ(Shown(), (std::vector<std::string>{"alpha", "beta kinase"}));

  m_ui.QueueAnswer(IDYES);
  ASSERT_EQ(Window().OnCommand(ID_DB_DELETE, false), 1);
  EXPECT_EQ(Shown(), std::vector<std::string>{"alpha"});
  EXPECT_EQ(blastSearch().getobjlist(1).FindByName("beta kinase"), nullptr);
}

TEST_F(DatabaseWindowTest, ObjectContextMenuRenamesAndDeletesWithPromptsInTheStatusBar) {
  Store("alpha", 5);
  Store("beta", 50);
  Window().show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&Window()));
  QMenu* menu = RightClick("beta");
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(menu->actions().front()->text(), "&Open");
  ASSERT_EQ(Window().SelectedObjects().size(), 1u) << "the object clicked is selected";
  EXPECT_EQ(Window().SelectedObjects()[0]->m_name, "beta");
  EXPECT_FALSE(ActionOf(menu, ID_DB_EXCLUDE)->isEnabled()) << "nothing to exclude from MAIN";
  m_ui.QueueText("beta kinase");
  Choose(menu, ID_DB_RENAME);
  EXPECT_EQ(Window().statusBar()->currentMessage(), "Renames the selected item");
  EXPECT_EQ(Shown(), (std::vector<std::string>{"alpha", "beta kinase"}));

  menu = RightClick("alpha");
  ASSERT_NE(menu, nullptr);
  m_ui.QueueAnswer(IDYES);
  Choose(menu, ID_DB_DELETE);
  EXPECT_EQ(Shown(), std::vector<std::string>{"beta kinase"});

  menu = RightClick("");
  ASSERT_NE(menu, nullptr) << "the empty part of the list has the table's menu";
  EXPECT_NE(ActionOf(menu, ID_DB_SUMMARY), nullptr);
  menu->hide();
}

TEST_F(DatabaseWindowTest, ArchiveExportImportDuplicateAndSummary) {
  Store("alpha", 5);
  Store("beta", 50);
  CTempDir dir("dbwin");
  const std::string archive = (dir.Path() / "two.ba6").string();
  Window().SelectObjects({"alpha", "beta"});
  m_ui.QueueFile(archive);
  ASSERT_EQ(Window().OnCommand(ID_DB_EXPORT_SELECTED, false), 1);
  ASSERT_FALSE(m_ui.FileRequests().empty());
  EXPECT_FALSE(m_ui.FileRequests().back().bOpen);
  EXPECT_EQ(m_ui.FileRequests().back().strDefExt, "ba6");

  Window().SelectObjects({"alpha"});
  ASSERT_EQ(Window().OnCommand(ID_DB_DUPLICATE, false), 1);
  EXPECT_EQ(Shown(), (std::vector<std::string>{"alpha", "alpha copy", "beta"}));
  ASSERT_EQ(Window().SelectedObjects().size(), 1u);
  EXPECT_EQ(Window().SelectedObjects()[0]->m_name, "alpha copy");

  m_ui.QueueFile(archive);
  ASSERT_EQ(Window().OnCommand(ID_DB_IMPORT_ARCHIVE, true), 1);
  EXPECT_EQ(Shown().size(), 5u) << "names taken get new ones";
  EXPECT_EQ(Window().SelectedObjects().size(), 2u) << "what came in is selected";

  const std::string summary = (dir.Path() / "summary.txt").string();
  m_ui.QueueFile(summary);
  ASSERT_EQ(Window().OnCommand(ID_DB_SUMMARY, true), 1);
  const std::string text = ReadWholeFile(summary);
  EXPECT_NE(text.find("alpha copy"), std::string::npos) << text;
  m_ui.QueueFile((dir.Path() / "no such folder" / "x.txt").string());
  EXPECT_EQ(Window().OnCommand(ID_DB_SUMMARY, true), 0);
  EXPECT_EQ(m_ui.Messages().back().nStyle, static_cast<unsigned>(MB_ICONSTOP));
}

TEST_F(DatabaseWindowTest, PropertiesShowTheListValues) {
  Store("alpha", 7);
  Window().SelectObjects({"alpha"});
  std::vector<std::pair<QString, QString>> rows;
  WithModal<int>([&] { return Window().OnCommand(ID_DB_PROPERTIES, false); },
                 [&](QWidget* modal) {
                   auto* dialog = dynamic_cast<CPropertiesDialog*>(modal);
                   if (dialog == nullptr) return ADD_FAILURE() << "no properties dialog";
                   for (int row = 0; row < dialog->m_pValues->rowCount(); ++row) {
                     rows.emplace_back(dialog->m_pValues->item(row, 0)->text(),
                                       dialog->m_pValues->item(row, 1)->text());
                   }
                   dialog->reject();
                 });
  ASSERT_GE(rows.size(), 3u);
  EXPECT_EQ(rows[0], (std::pair<QString, QString>{"Name", "alpha"}));
  EXPECT_NE(std::find(rows.begin(), rows.end(), std::pair<QString, QString>{"Hits Count", "7"}),
            rows.end());
}

TEST_F(DatabaseWindowTest, DroppedReportsAndArchivesAreImportedAndFailuresNamed) {
  SKIP_WITHOUT_CORPUS();
  const auto pages = CorpusFiles("html-qblast");
  ASSERT_GE(pages.size(), 2u);
  CTempDir dir("dbwin");
  const std::string junk = (dir.Path() / "notes.txt").string();
  std::ofstream(junk) << "no report here\n";
  Drop({QString::fromStdString(pages[0].string()), QString::fromStdString(pages[1].string()),
        QString::fromStdString(junk)});
  EXPECT_EQ(Shown().size(), 2u);
  EXPECT_EQ(Window().SelectedObjects().size(), 2u);
  ASSERT_EQ(m_ui.Messages().size(), 1u) << "one message for the whole drop";
  EXPECT_NE(m_ui.Messages()[0].strText.find("notes.txt"), std::string::npos);
  EXPECT_EQ(m_ui.Messages()[0].strText.find(pages[0].filename().string()), std::string::npos);

  const std::string archive = (dir.Path() / "two.ba6").string();
  ASSERT_EQ(
      blastSearch().WriteObjectsToArchive({}, COrvFileSpec(archive, 101), "MAIN", 1, nullptr, 0),
      1);
  Drop({QString::fromStdString(archive)});
  EXPECT_EQ(Shown().size(), 4u);
}

// What holds no report is refused as the command line refuses it, and
// nothing of it is stored; a report stored already is said, not stored.
TEST_F(DatabaseWindowTest, DroppedFilesWithoutAReportAreRefusedAndNothingStored) {
  CTempDir dir("dbwin");
  struct Case {
    const char* name;
    const char* bytes;
  };
  const std::vector<Case> cases = {
      {"run.sh", "#!/bin/sh\necho hello\n"}, {"one.txt", "one line"}, {"empty.htm", ""}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = (dir.Path() / c.name).string();
    std::ofstream(path, std::ios::binary) << c.bytes;
    const std::size_t before = m_ui.Messages().size();
    Drop({QString::fromStdString(path)});
    EXPECT_TRUE(Shown().empty());
    ASSERT_EQ(m_ui.Messages().size(), before + 1);
    const std::string& text = m_ui.Messages().back().strText;
    EXPECT_NE(text.find(std::string(c.name) + ": no BLAST report"), std::string::npos) << text;
    EXPECT_EQ(m_ui.Messages().back().nStyle, static_cast<unsigned>(MB_ICONEXCLAMATION));
  }
  EXPECT_EQ(blastSearch().getobjlist(1).GetCount(), 0u);

  if (CorpusDir().empty()) return;
  const QString page = QString::fromStdString(CorpusFiles("html-qblast").front().string());
  Drop({page});
  ASSERT_EQ(Shown().size(), 1u);
  EXPECT_EQ(Shown()[0].rfind("Ticks-", 0), std::string::npos) << "named after its query";
  Drop({page});
  EXPECT_EQ(Shown().size(), 1u);
  EXPECT_NE(m_ui.Messages().back().strText.find("stored already"), std::string::npos);
}

TEST_F(DatabaseWindowTest, FilesNamedOnTheCommandLineAreStoredAndASingleNewResultOpened) {
  Store("alpha", 5);
  Store("beta", 50);
  CTempDir dir("dbwin");
  const std::string object = (dir.Path() / "alpha.bso").string();
  const std::string archive = (dir.Path() / "both.ba6").string();
  ASSERT_EQ(blastSearch().ExportObject(1, object, blastSearch().getobjlist(1).FindByName("alpha")),
            1);
  ASSERT_EQ(
      blastSearch().WriteObjectsToArchive({}, COrvFileSpec(archive, 101), "MAIN", 1, nullptr, 0),
      1);
  EXPECT_EQ(Window().OpenFiles({QString::fromStdString(object)}), 1);
  Settle();
  ASSERT_EQ(Viewers().size(), 1u) << "the one new result is opened";
  EXPECT_EQ(Window().SelectedObjects().size(), 1u);
  Viewers()[0]->close();
  EXPECT_EQ(Window().OpenFiles({QString::fromStdString(archive)}), 1);
  Settle();
  EXPECT_TRUE(Viewers().empty()) << "an archive of two opens none";
  EXPECT_EQ(Shown().size(), 5u);
  EXPECT_EQ(Window().OpenFiles({QString::fromStdString((dir.Path() / "gone.ba6").string())}), 0);
  EXPECT_EQ(m_ui.Messages().back().nStyle, static_cast<unsigned>(MB_ICONEXCLAMATION));
  EXPECT_NE(m_ui.Messages().back().strText.find("gone.ba6"), std::string::npos);
}

TEST_F(DatabaseWindowTest, SearchRunsTheTablesSearchAndShowsWhatItFilled) {
  Store("alpha", 5);
  static int s_calls = 0;
  SearchDialogRunner previous = SetSearchDialogRunner([](CSearchRun& run) {
    ++s_calls;
    EXPECT_EQ(blastSearch().NewSubbase(1, "found", {"alpha"}, 0), 1);
    run.m_resultSubbase = "found";
    return 1;
  });
  EXPECT_EQ(Window().OnSearch(), 1);
  SetSearchDialogRunner(previous);
  EXPECT_EQ(s_calls, 1);
  EXPECT_EQ(Window().CurrentSubbase(), "found");
  EXPECT_EQ(Shown(), std::vector<std::string>{"alpha"});
}

// A whole session as a person has it: an NCBI page imported through the
// import command, opened in the viewer, given a keyword in the editor, found
// with the search dialog and deleted.
TEST_F(DatabaseWindowTest, SessionImportsOpensFindsAndDeletesAPage) {
  SKIP_WITHOUT_CORPUS();
  const auto pages = CorpusFiles("html-qblast");
  ASSERT_FALSE(pages.empty());
  m_ui.QueueFile(pages[0].string());
  ASSERT_EQ(Window().OnCommand(ID_DB_NEW_OBJECT, false), 1);
  ASSERT_EQ(Shown().size(), 1u);
  ASSERT_EQ(Window().SelectedObjects().size(), 1u);
  const std::string name = Window().SelectedObjects()[0]->m_name;
  EXPECT_TRUE(m_ui.Messages().empty()) << "the status bar says what was imported";
  EXPECT_TRUE(Window().statusBar()->currentMessage().startsWith("1 of 1 files imported"));

  Window().show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&Window()));
  // The name column is as wide as the query's long name: click near its start.
  const QRect rect = Window().m_pObjects->visualRect(Window().ObjectIndex(name));
  const QPoint row(rect.left() + 8, rect.center().y());
  QTest::mouseClick(Window().m_pObjects->viewport(), Qt::LeftButton, {}, row);
  QTest::mouseDClick(Window().m_pObjects->viewport(), Qt::LeftButton, {}, row);
  Settle();
  const std::vector<CResultViewer*> viewers = Viewers();
  ASSERT_EQ(viewers.size(), 1u) << "double-click opens the result in the viewer";
  EXPECT_GT(viewers[0]->HitTable()->rowCount(), 0);
  viewers[0]->close();
  Settle();

  CScriptedSheetRunner editor;
  editor.Queue([](CEditorPropSheet& sheet) {
    CEditKeywordsPage* keywords = sheet.FindPage<CEditKeywordsPage>();
    if (keywords == nullptr) return IDCANCEL;
    keywords->AddKeyword("endoglucanase");
    return IDOK;
  });
  ASSERT_EQ(Window().OnCommand(ID_DB_EDIT, false), 1);
  EXPECT_EQ(editor.Runs(), 1);
  FindByKeyword("endoglucanase", "found");
  EXPECT_EQ(Window().CurrentSubbase(), "found");
  EXPECT_EQ(Shown(), std::vector<std::string>{name});

  Window().SelectObjects({name});
  m_ui.QueueAnswer(IDYES);
  ASSERT_EQ(Window().OnCommand(ID_DB_DELETE, false), 1);
  EXPECT_TRUE(Shown().empty());
  EXPECT_EQ(blastSearch().getobjlist(1).GetCount(), 0u);
}

// Another process imports and deletes; the window follows within a second
// with the selection kept, and opening a result deleted elsewhere says so.
TEST_F(DatabaseWindowTest, FollowsChangesOfAnotherProcessKeepingTheSelection) {
  Store("alpha", 5);
  Store("beta", 50);
  Window().show();
  Window().SelectObjects({"beta"});
  ASSERT_EQ(RunCommand("--db " + Db() + " import " + kBlastPlus + "blastp.txt"), 0);
  // Two queries with hits and one without: three more (a QTRY macro would
  // leave the test on a timeout without failing it).
  for (int i = 0; i < 60 && Shown().size() != 5u; ++i) QTest::qWait(50);
  ASSERT_EQ(Shown().size(), 5u);
  ASSERT_EQ(Window().SelectedObjects().size(), 1u);
  EXPECT_EQ(Window().SelectedObjects()[0]->m_name, "beta") << "the selection is kept";
  EXPECT_EQ(Window().m_pObjects->currentIndex().row(), Window().ObjectIndex("beta").row());

  ASSERT_EQ(RunCommand("--db " + Db() + " rm beta"), 0);
  // Before the window looked again: the row is still there, the result not.
  ASSERT_TRUE(Window().ObjectIndex("beta").isValid());
  EXPECT_EQ(Window().OnCommand(ID_DB_OPEN, false), 0);
  ASSERT_FALSE(m_ui.Messages().empty());
  EXPECT_NE(m_ui.Messages().back().strText.find("\"beta\" is no longer in the database"),
            std::string::npos)
      << m_ui.Messages().back().strText;
  EXPECT_FALSE(Window().ObjectIndex("beta").isValid()) << "listed again";
  EXPECT_FALSE(Window().FollowDatabase()) << "nothing changed since";

  ASSERT_EQ(RunCommand("--db " + Db() + " rename alpha gamma"), 0);
  QTest::keyClick(Window().m_pObjects, Qt::Key_F5);
  Settle();
  EXPECT_TRUE(Window().ObjectIndex("gamma").isValid()) << "F5 lists again at once";
}

// The filter narrows the list as one types, over names, query names and
// keywords, letter case ignored, every word to be found.
TEST_F(DatabaseWindowTest, FilterBoxNarrowsTheListAsOneTypes) {
  Store("Kinase run 1", 1, {"membrane"});
  Store("kinase run 2", 2);
  Store("lysozyme", 3, {"Secreted", "enzyme"});
  struct Case {
    const char* typed;
    std::vector<std::string> shown;
  };
  const std::vector<Case> cases = {
      {"", {"Kinase run 1", "kinase run 2", "lysozyme"}},
      {"KIN", {"Kinase run 1", "kinase run 2"}},
      {"membrane", {"Kinase run 1"}},
      {"secreted", {"lysozyme"}},
      {"kinase 2", {"kinase run 2"}},
      {"zzz", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    Window().m_pFilter->clear();
    QTest::keyClicks(Window().m_pFilter, c.typed);
    EXPECT_EQ(Window().VisibleNames(), c.shown);
  }
  Window().SetFilter("kinase");
  EXPECT_EQ(Window().m_pCount->text().left(5), "2 of ");
  Store("kinase run 3", 1);
  Window().Refill();
  EXPECT_EQ(Window().VisibleNames().size(), 3u) << "the filter holds across a refill";
}

// Names sort in the storage's order (their bytes), either way; times are
// local.
TEST_F(DatabaseWindowTest, NamesSortInTheStoragesOrderBothWays) {
  for (const char* name : {"run 10", "Run 9", "alpha", "Beta", "run 100"}) Store(name, 1);
  const std::vector<std::string> up{"Beta", "Run 9", "alpha", "run 10", "run 100"};
  Window().m_pObjects->sortByColumn(0, Qt::DescendingOrder);
  EXPECT_EQ(Shown(), std::vector<std::string>(up.rbegin(), up.rend()));
  Window().m_pObjects->sortByColumn(0, Qt::AscendingOrder);
  EXPECT_EQ(Shown(), up);
  const QString created = Window().CellText("alpha", "Created");
  EXPECT_FALSE(created.endsWith('Z')) << created.toStdString();
  EXPECT_TRUE(QDateTime::fromString(created, "yyyy-MM-dd hh:mm:ss").isValid())
      << created.toStdString();
}

// A database of many results opens with one page of rows read; scrolling
// reads the next pages in order, the filter finds a row far past them, and
// a change by another process keeps the selection made deep in the list.
TEST_F(DatabaseWindowTest, ManyResultsAreReadAPageAtATimeAsTheListScrolls) {
  constexpr int kMany = 4000;
  CDBStorage& storage = *engine().Storage(1);
  storage.BeginWrite();
  for (int i = 0; i < kMany; ++i) {
    CStoredObject row;
    row.m_recordId = storage.ReserveRecordId(201);
    char name[32];
    std::snprintf(name, sizeof name, "result %04d%s", i, i == kMany - 3 ? " needle" : "");
    row.m_name = name;
    row.m_objType = 15;
    row.m_creationTime = 1700000000L + i;
    storage.PutObject(201, row, "record");
  }
  storage.Commit();
  Window().show();
  Settle();
  // The model's page, and one more that the view's own layout asks for.
  CObjectListModel& model = *Window().m_pModel;
  const int page = static_cast<int>(model.PageRows());
  EXPECT_LE(model.rowCount(), 2 * page) << "the first pages only";
  EXPECT_LE(model.RowsRead(), 2 * model.PageRows());
  EXPECT_TRUE(Window().m_pCount->text().startsWith(QString::number(kMany) + " "))
      << Window().m_pCount->text().toStdString();
  QScrollBar* bar = Window().m_pObjects->verticalScrollBar();
  for (int i = 0; i < 3; ++i) {
    bar->setValue(bar->maximum());
    Settle();
  }
  const int read = model.rowCount();
  EXPECT_GT(read, 2 * page) << "scrolling read further pages";
  EXPECT_LT(read, kMany);
  const std::vector<std::string> names = Shown();
  EXPECT_TRUE(std::is_sorted(names.begin(), names.end()));
  EXPECT_EQ(std::set<std::string>(names.begin(), names.end()).size(), names.size());

  const std::string deep = names[static_cast<std::size_t>(read - 5)];
  ASSERT_EQ(Window().SelectObjects({deep}), 1);
  ASSERT_EQ(RunCommand("--db " + Db() + " import " + kBlastPlus + "blastp.txt"), 0);

  const QString after = QString::number(kMany + 3) + " ";  // two results with hits, one without
  for (int i = 0; i < 100 && !Window().m_pCount->text().startsWith(after); ++i) QTest::qWait(50);
  EXPECT_TRUE(Window().m_pCount->text().startsWith(after))
      << Window().m_pCount->text().toStdString();
  ASSERT_EQ(Window().SelectedObjects().size(), 1u);
  EXPECT_EQ(Window().SelectedObjects()[0]->m_name, deep) << "the selection is kept";
  // Listing again, as each change of another process makes it, never
  // grows the rows held.
  Window().RefreshNow();
  Settle();
  const int held = model.rowCount();
  for (int i = 0; i < 5; ++i) {
    Window().RefreshNow();
    Settle();
  }
  EXPECT_LE(model.rowCount(), held);
  EXPECT_EQ(Window().SelectedObjects().size(), 1u);

  Window().SetFilter("NEEDLE");
  for (int i = 0; i < 100 && Window().VisibleNames().empty(); ++i) QTest::qWait(20);
  EXPECT_EQ(Window().VisibleNames(), std::vector<std::string>{"result 3997 needle"});
  Window().SetFilter("");
  EXPECT_LE(model.rowCount(), 2 * page);
}

// Imported BLAST+ results show their program, database, best E value and
// identity without being opened; Enter opens the selected one.
TEST_F(DatabaseWindowTest, ImportedResultsShowProgramDatabaseAndBestValues) {
  m_ui.QueueFile(kBlastPlus + "blastp.txt\n" + kBlastPlus + "blastn.xml\n" + kBlastPlus +
                 "tblastx.tab7");
  ASSERT_EQ(Window().OnCommand(ID_DB_NEW_OBJECT, false), 1);
  ASSERT_FALSE(m_ui.FileRequests().empty());
  EXPECT_NE(m_ui.FileRequests().back().nFlags & OFN_ALLOWMULTISELECT, 0u);
  for (const char* extension :
       {"*.txt", "*.html", "*.htm", "*.xml", "*.xml2", "*.json", "*.tsv", "*.csv", "*.tab"}) {
    EXPECT_NE(m_ui.FileRequests().back().strFilter.find(extension), std::string::npos) << extension;
  }
  EXPECT_TRUE(m_ui.Messages().empty()) << "a line in the status bar, no box";
  EXPECT_TRUE(Window().statusBar()->currentMessage().startsWith("3 of 3 files imported"))
      << Window().statusBar()->currentMessage().toStdString();
  std::set<std::string> programs;
  int withValues = 0;
  for (const std::string& name : Shown()) {
    programs.insert(Window().CellText(name, "Program").toStdString());
    if (!Window().CellText(name, "Best E value").isEmpty()) {
      ++withValues;
      bool ok = false;
      const double identity = Window().CellText(name, "Best identity %").toDouble(&ok);
      EXPECT_TRUE(ok && identity > 0 && identity <= 100) << name;
      EXPECT_FALSE(Window().CellText(name, "Database").isEmpty());
    }
  }
  for (const char* program : {"blastp", "blastn", "tblastx"})
    EXPECT_EQ(programs.count(program), 1u) << program;
  EXPECT_GE(withValues, 6);
  Window().m_pObjects->sortByColumn(Column("Best E value"), Qt::AscendingOrder);
  const QString best = Window().CellText(Shown().front(), "Best E value");
  EXPECT_FALSE(best.isEmpty()) << "blanks sort after values";

  Window().show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&Window()));
  Window().m_pObjects->setCurrentIndex(Window().m_pObjects->model()->index(0, 0));
  Window().m_pObjects->setFocus();
  QTest::keyClick(Window().m_pObjects, Qt::Key_Return);
  Settle();
  ASSERT_EQ(Viewers().size(), 1u) << "Enter opens";
  Viewers()[0]->close();
}

// The window's export writes what `blastsearch export` writes, byte for byte.
TEST_F(DatabaseWindowTest, ExportOfTheSelectionEqualsTheCommandLines) {
  Window().ImportFiles({QString::fromStdString(kBlastPlus + "blastx.txt")});
  std::vector<std::string> names;
  for (CObjInfo* info : Window().SelectedObjects()) names.push_back(info->m_name);
  ASSERT_GE(names.size(), 2u);
  CTempDir dir("export");
  for (const char* format : {"tsv", "fasta", "json"}) {
    SCOPED_TRACE(format);
    Window().SelectObjects({names[0], names[1]});
    const std::string path = (dir.Path() / (std::string("out.") + format)).string();
    m_ui.QueueFile(path);
    ASSERT_EQ(Window().ExportSelectedAs(format), 1);
    EXPECT_EQ(m_ui.FileRequests().back().strDefExt, format);
    // The selection goes in list order; the command line is given that order.
    std::string uids;
    for (CObjInfo* info : Window().SelectedObjects()) uids += " " + std::to_string(info->m_objId);
    std::string expected;
    ASSERT_EQ(RunCommand("--db " + Db() + " export" + uids + " --format " + format, &expected), 0);
    EXPECT_FALSE(expected.empty());
    EXPECT_EQ(ReadWholeFile(path), expected);
  }
  m_ui.QueueFile((dir.Path() / "no such folder" / "x.tsv").string());
  EXPECT_EQ(Window().ExportSelectedAs("tsv"), 0);
  EXPECT_NE(m_ui.Messages().back().strText.find("x.tsv"), std::string::npos);
}

// Delete and rename come back with Ctrl+Z, and go again with redo; a
// delete asks once for the whole selection.
TEST_F(DatabaseWindowTest, DeleteAndRenameAreUndone) {
  Store("alpha", 5, {"kinase"});
  Store("beta", 50);
  ASSERT_EQ(blastSearch().NewSubbase(1, "picked", {"alpha"}, 0), 1);
  Window().show();
  Window().SelectObjects({"alpha", "beta"});
  m_ui.QueueAnswer(IDYES);
  ASSERT_EQ(Window().OnCommand(ID_DB_DELETE, false), 1);
  EXPECT_EQ(m_ui.Messages().size(), 1u) << "one question";
  EXPECT_TRUE(Shown().empty());
  EXPECT_EQ(Window().m_pUndoAction->shortcut(), QKeySequence(QKeySequence::Undo));
  Window().m_pUndoAction->trigger();
  EXPECT_EQ(Shown(), (std::vector<std::string>{"alpha", "beta"}));
  Window().m_pRedoAction->trigger();
  EXPECT_TRUE(Shown().empty()) << "deleted again";
  Window().m_pUndo->undo();
  EXPECT_EQ(Shown(), (std::vector<std::string>{"alpha", "beta"}));
  ASSERT_TRUE(Window().SelectSubbase(&blastSearch(), "picked"));
  EXPECT_EQ(Shown(), std::vector<std::string>{"alpha"}) << "back in its subbase";
  Window().SetFilter("kinase");
  EXPECT_EQ(Window().VisibleNames(), std::vector<std::string>{"alpha"}) << "keywords kept";
  Window().SetFilter("");
  ASSERT_TRUE(Window().SelectSubbase(&blastSearch(), "MAIN"));

  Window().SelectObjects({"beta"});
  m_ui.QueueText("beta kinase");
  ASSERT_EQ(Window().OnCommand(ID_DB_RENAME, false), 1);
  EXPECT_EQ(Shown(), (std::vector<std::string>{"alpha", "beta kinase"}));
  Window().m_pUndoAction->trigger();
  EXPECT_EQ(Shown(), (std::vector<std::string>{"alpha", "beta"}));
  Window().m_pRedoAction->trigger();
  EXPECT_EQ(Shown(), (std::vector<std::string>{"alpha", "beta kinase"}));
  Window().m_pUndo->undo();
  EXPECT_EQ(Shown(), (std::vector<std::string>{"alpha", "beta"}));
  EXPECT_FALSE(Window().m_pUndo->canUndo()) << "the delete undone left the stack with the rename";
}

// With thousands of results stored, the commands on chosen results read
// those results only: opening one, renaming and deleting (and undoing
// both), opening a result gone meanwhile, and an import with its new names
// never read the table's whole object list.
TEST_F(DatabaseWindowTest, CommandsOnChosenResultsNeverReadTheWholeList) {
  Store("alpha", 5, {"kinase"});
  Store("beta", 50);
  Store("gamma", 7);
  ASSERT_EQ(blastSearch().NewSubbase(1, "picked", {"alpha"}, 0), 1);
  CDBStorage& storage = *engine().Storage(1);
  storage.BeginWrite();
  for (int i = 0; i < 3000; ++i) {
    CStoredObject row;
    row.m_recordId = storage.ReserveRecordId(201);
    row.m_name = "bulk " + std::to_string(i);
    row.m_objType = 15;
    storage.PutObject(201, row, "record");
  }
  storage.Commit();
  Window().show();
  Settle();
  const std::uint64_t loads = blastSearch().ObjectListLoads();

  ASSERT_EQ(Window().SelectObjects({"alpha"}), 1);
  ASSERT_EQ(Window().OnCommand(ID_DB_OPEN, false), 1);
  Settle();
  ASSERT_EQ(Viewers().size(), 1u);
  Viewers()[0]->close();

  Window().SelectObjects({"beta"});
  m_ui.QueueText("beta kinase");
  ASSERT_EQ(Window().OnCommand(ID_DB_RENAME, false), 1);
  Window().m_pUndo->undo();
  Window().m_pUndo->redo();
  EXPECT_NE(blastSearch().FindListRecordByName(1, "beta kinase"), nullptr);

  Window().SelectObjects({"alpha", "beta kinase"});
  m_ui.QueueAnswer(IDYES);
  ASSERT_EQ(Window().OnCommand(ID_DB_DELETE, false), 1);
  EXPECT_EQ(blastSearch().FindListRecordByName(1, "alpha"), nullptr);
  Window().m_pUndo->undo();
  std::vector<unsigned long> members;
  ASSERT_TRUE(blastSearch().SubbaseMemberIds(1, "picked", members));
  const CObjInfo* alpha = blastSearch().FindListRecordByName(1, "alpha");
  ASSERT_NE(alpha, nullptr) << "the delete undone";
  EXPECT_EQ(members, std::vector<unsigned long>{alpha->m_objId}) << "back in its subbase";

  // A result deleted by another process since the list was read is said
  // once, and the list is brought up to date.
  Window().SelectObjects({"gamma"});
  ASSERT_EQ(RunCommand("--db " + Db() + " rm gamma"), 0);
  const std::size_t said = m_ui.Messages().size();
  EXPECT_EQ(Window().OnCommand(ID_DB_OPEN, false), 0);
  ASSERT_EQ(m_ui.Messages().size(), said + 1);
  EXPECT_NE(m_ui.Messages().back().strText.find("gamma"), std::string::npos);
  EXPECT_TRUE(Viewers().empty());

  const unsigned long first = blastSearch().NextRecordId(1);
  EXPECT_EQ(Window().ImportFiles({QString::fromStdString(kBlastPlus + "blastp.txt")}), 1);
  std::vector<std::string> added;
  for (const CObjInfo* info : Window().SelectedObjects()) added.push_back(info->m_name);
  EXPECT_EQ(added.size(), 3u) << "the new results are chosen";
  for (const CObjInfo& info : blastSearch().ObjectsFrom(1, first)) {
    EXPECT_NE(std::find(added.begin(), added.end(), info.m_name), added.end()) << info.m_name;
  }
  EXPECT_EQ(blastSearch().ObjectListLoads(), loads) << "the whole list was read";
  // A record looked up is the list's own once the list is read.
  CObjInfo* kept = blastSearch().FindListRecordByName(1, "alpha");
  EXPECT_EQ(blastSearch().getobjlist(1).FindByName("alpha"), kept);
  EXPECT_EQ(blastSearch().getobjlist(1).GetCount(), 3000u + 2 + 3);
}

// Size, splitter, sort and column widths come back at the next start; a
// window never opens larger than the screen.
TEST_F(DatabaseWindowTest, LayoutIsKeptBetweenStartsAndFitsTheScreen) {
  Store("alpha", 5);
  Store("beta", 50);
  Window().resize(700, 420);
  const int hits = Column("Hits Count");
  Window().m_pObjects->sortByColumn(hits, Qt::DescendingOrder);
  Window().m_pObjects->setColumnWidth(0, 333);
  Window().close();
  m_pWindow.reset();
  EXPECT_EQ(Window().size(), QSize(700, 420));
  EXPECT_EQ(Window().m_pObjects->header()->sortIndicatorSection(), hits);
  EXPECT_EQ(Window().m_pObjects->header()->sortIndicatorOrder(), Qt::DescendingOrder);
  EXPECT_EQ(Window().m_pObjects->columnWidth(0), 333);
  EXPECT_EQ(Shown(), (std::vector<std::string>{"beta", "alpha"}));

  const QSize screen = QApplication::primaryScreen()->availableGeometry().size();
  Window().resize(screen * 3);
  Window().close();
  m_pWindow.reset();
  EXPECT_LE(Window().width(), screen.width());
  EXPECT_LE(Window().height(), screen.height());
}

// Defining a field adds its column, and the sort stays where it was.
TEST_F(DatabaseWindowTest, ANewFieldKeepsTheSortColumn) {
  Store("alpha", 5);
  Store("beta", 50);
  Window().m_pObjects->sortByColumn(Column("Hits Count"), Qt::DescendingOrder);
  CUDFieldDef lab;
  lab.m_strName = "Lab";
  engine().Storage(1)->PutUDFieldDef(lab);
  Window().Refill();
  ASSERT_GE(Column("Lab"), 0);
  EXPECT_EQ(Window().m_pObjects->header()->sortIndicatorSection(), Column("Hits Count"));
  EXPECT_EQ(Shown(), (std::vector<std::string>{"beta", "alpha"}));
}

// The search dialog starts at the window's subbase, and a Text page ticked
// without a field to look in is refused with a message.
TEST_F(DatabaseWindowTest, SearchStartsAtTheSubbaseAndRefusesTextWithoutAField) {
  Store("alpha", 5);
  ASSERT_EQ(blastSearch().NewSubbase(1, "kinases", {"alpha"}, 0), 1);
  ASSERT_TRUE(Window().SelectSubbase(&blastSearch(), "kinases"));
  InstallSearchDialog();
  std::string lookIn;
  std::string combo;
  bool refused = false;
  QTimer::singleShot(0, [&] {
    auto* dialog = dynamic_cast<CTableSearch*>(QApplication::activeModalWidget());
    if (dialog == nullptr) return CloseModal();
    lookIn = dialog->m_lookInSubbase;
    if (dialog->m_subbaseCombo != nullptr) combo = dialog->m_subbaseCombo->GetCurSubbase();
    CCoolPropertySheet& sheet = *dialog->m_pSheet;
    sheet.SetActivePage(kTextTab);
    Settle();
    CCheckPropPageButton* box = sheet.GetCheckButton(kTextTab);
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
    auto* page = dynamic_cast<CContextSearchDlg*>(sheet.GetPage(kTextTab));
    if (page == nullptr) return CloseModal();
    QTest::keyClicks(page->m_newSubstringEdit, "kinase");
    QTest::mouseClick(page->m_addButton, Qt::LeftButton);
    const std::size_t before = m_ui.Messages().size();
    QTest::mouseClick(dynamic_cast<QPushButton*>(GetDlgItem(dialog, 812)), Qt::LeftButton);
    refused = m_ui.Messages().size() == before + 1 &&
              m_ui.Messages().back().strText.find("tick at least one field") != std::string::npos;
    QTest::mouseClick(dynamic_cast<QPushButton*>(GetDlgItem(dialog, 2)), Qt::LeftButton);
  });
  EXPECT_EQ(Window().OnSearch(), 0);
  SetSearchDialogRunner(nullptr);
  EXPECT_EQ(lookIn, "kinases");
  EXPECT_EQ(combo, "kinases");
  EXPECT_TRUE(refused);
  for (const auto& message : m_ui.Messages()) {
    EXPECT_EQ(message.strText.find("All BLAST"), std::string::npos) << "nothing searched";
  }
}

}  // namespace

}  // namespace blastsearch
