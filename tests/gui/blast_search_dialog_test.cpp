// "New BLAST Search...": the dialog filled as a person would, a local search
// whose results arrive one by one, a second one cancelled, failures shown,
// and the command in the database window's File menu and tool bar.
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QToolBar>
#include <chrono>
#include <csignal>
#include <fstream>
#include <sstream>

#include "QtTestHelpers.h"
#include "gui/BlastSearchDialog.h"
#include "gui/DatabaseWindow.h"
#include "host/db/DBEngine.h"
#include "platform/UserInteraction.h"
#include "run/RemoteRequests.h"
#include "support/BlastTestData.h"
#include "support/LoopbackHttpServer.h"
#include "support/ScopedEnvironment.h"
#include "support/StorageBackends.h"
#include "support/TempDatabase.h"
#include "table/BlastSearchTable.h"

namespace blastsearch {

namespace {

// Lets the dialog's events happen until `done` holds or `seconds` pass.
template <typename Condition>
bool WaitUntil(Condition done, int seconds = 60) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    QTest::qWait(20);
  }
  return true;
}

std::string ReadAll(const std::string& path) {
  std::ifstream file(path);
  std::stringstream bytes;
  bytes << file.rdbuf();
  return bytes.str();
}

class BlastSearchDialogTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { s_pData = new CBlastTestData(); }
  static void TearDownTestSuite() {
    delete s_pData;
    s_pData = nullptr;
  }
  QString Settings() const {
    return QString::fromStdString((m_db.Dir() / "settings.ini").string());
  }
  std::unique_ptr<CBlastSearchDialog> MakeDialog() {
    auto dialog =
        std::make_unique<CBlastSearchDialog>(m_db.Dir().string(), "MAIN", nullptr, Settings());
    dialog->SetStoredHandler([this](const std::string& name) { m_stored.push_back(name); });
    return dialog;
  }
  std::size_t Stored() { return blastSearch().getobjlist(1).GetCount(); }

  static CBlastTestData* s_pData;
  CScriptedUserInteraction m_ui;
  CTempDatabase m_db;
  std::vector<std::string> m_stored;
};

CBlastTestData* BlastSearchDialogTest::s_pData = nullptr;

TEST_F(BlastSearchDialogTest, APastedSearchStoresEachQueryAsItArrivesAndIsRemembered) {
  SKIP_WITHOUT_BLAST(*s_pData);
  auto dialog = MakeDialog();
  dialog->show();
  dialog->m_pProgram->setCurrentText("blastp");
  dialog->m_pQueryText->setPlainText(
      QString::fromStdString(ReadAll(s_pData->Path("prot_queries.fa"))));
  QTest::mouseClick(dialog->m_pLocal, Qt::LeftButton);
  QTest::keyClicks(dialog->m_pLocalDb, QString::fromStdString(s_pData->Path("protdb")));
  dialog->m_pEvalue->clear();
  QTest::keyClicks(dialog->m_pEvalue, "1e-3");
  QTest::mouseClick(dialog->m_pStart, Qt::LeftButton);
  EXPECT_FALSE(dialog->m_pStart->isEnabled());
  ASSERT_TRUE(WaitUntil([&] { return !dialog->IsRunning(); }));
  EXPECT_EQ(dialog->LastOutcome().m_status, CBlastRunOutcome::kDone)
      << dialog->LastOutcome().m_strError;
  ASSERT_EQ(m_stored.size(), 3u);
  EXPECT_EQ(m_stored[1], "query_p2 two families fused");
  EXPECT_EQ(dialog->m_pResults->count(), 3);
  EXPECT_EQ(Stored(), 3u);
  EXPECT_TRUE(m_ui.Messages().empty());
  EXPECT_TRUE(dialog->m_pStart->isEnabled());
  // The choices are there again in the next dialog.
  auto next = MakeDialog();
  EXPECT_EQ(next->m_pLocalDb->text().toStdString(), s_pData->Path("protdb"));
  EXPECT_EQ(next->m_pEvalue->text(), "1e-3");
  EXPECT_TRUE(next->m_pLocal->isChecked());
}

TEST_F(BlastSearchDialogTest, CancelStopsASearchAndKeepsWhatWasStored) {
  // A BLAST+ that writes its first query's result and then works on.
  const std::filesystem::path bin = m_db.Dir() / "bin";
  std::filesystem::create_directories(bin);
  {
    std::ofstream script(bin / "blastp");
    script << "#!/bin/sh\necho $$ > '" << (m_db.Dir() / "pid").string() << "'\nsed -n '1,179p' '"
           << BLASTSEARCH_SOURCE_DIR << "/tests/data/blastplus/blastp.xml'\nexec sleep 120\n";
  }
  std::filesystem::permissions(bin / "blastp", std::filesystem::perms::owner_all);
  std::ofstream(m_db.Dir() / "q.fa") << ">q\nMKV\n";
  auto dialog = MakeDialog();
  dialog->show();
  dialog->SetBlastBin(bin.string());
  dialog->m_pProgram->setCurrentText("blastp");
  dialog->m_pQueryFile->setText(QString::fromStdString((m_db.Dir() / "q.fa").string()));
  dialog->m_pLocal->setChecked(true);
  dialog->m_pLocalDb->setText("anything");
  QTest::mouseClick(dialog->m_pStart, Qt::LeftButton);
  ASSERT_TRUE(WaitUntil([&] { return m_stored.size() == 1; }))
      << ReadAll((m_db.Dir() / "pid").string());
  EXPECT_EQ(dialog->m_pCancel->text(), "Cancel");
  QTest::mouseClick(dialog->m_pCancel, Qt::LeftButton);
  ASSERT_TRUE(WaitUntil([&] { return !dialog->IsRunning(); }, 10));
  EXPECT_EQ(dialog->LastOutcome().m_status, CBlastRunOutcome::kStopped);
  EXPECT_TRUE(dialog->isVisible());  // cancelling the search leaves the dialog open
  EXPECT_EQ(dialog->m_pCancel->text(), "Close");
  EXPECT_EQ(Stored(), 1u);
  EXPECT_TRUE(m_ui.Messages().empty());
  const pid_t blast = std::atoi(ReadAll((m_db.Dir() / "pid").string()).c_str());
  ASSERT_GT(blast, 0);
  EXPECT_TRUE(WaitUntil([&] { return ::kill(blast, 0) != 0; }, 5)) << "BLAST+ still runs";
}

TEST_F(BlastSearchDialogTest, WhatIsMissingOrFailsIsShownNamingTheCause) {
  struct Case {
    const char* name;
    std::function<void(CBlastSearchDialog&)> fill;
    const char* said;
    unsigned style;
  };
  const std::string queries = s_pData->Path("prot_queries.fa");
  const std::vector<Case> cases = {
      {"no queries", [](CBlastSearchDialog& d) { d.m_pLocalDb->setText("db"); },
       "Paste the queries", MB_ICONEXCLAMATION},
      {"no database",
       [](CBlastSearchDialog& d) {
         d.m_pQueryText->setPlainText(">q\nMKV");
         d.m_pLocalDb->clear();
       },
       "Choose a local BLAST+ database", MB_ICONEXCLAMATION},
      {"bad E value",
       [](CBlastSearchDialog& d) {
         d.m_pQueryText->setPlainText(">q\nMKV");
         d.m_pLocalDb->setText("db");
         d.m_pEvalue->setText("small");
       },
       "not a number", MB_ICONEXCLAMATION},
      {"remote without email",
       [](CBlastSearchDialog& d) {
         d.m_pQueryText->setPlainText(">q\nMKV");
         d.m_pRemote->setChecked(true);
         d.m_pEmail->clear();
       },
       "email address", MB_ICONEXCLAMATION},
      {"BLAST+ fails",
       [&](CBlastSearchDialog& d) {
         d.m_pQueryFile->setText(QString::fromStdString(queries));
         d.m_pLocal->setChecked(true);
         d.m_pLocalDb->setText(QString::fromStdString(s_pData->Path("no_such_db")));
       },
       "BLAST Database error", MB_ICONSTOP},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.style == MB_ICONSTOP && !s_pData->Missing().empty()) continue;
    const std::size_t before = m_ui.Messages().size();
    auto dialog = MakeDialog();
    dialog->m_pEvalue->setText("10");
    c.fill(*dialog);
    dialog->Start();
    ASSERT_TRUE(WaitUntil([&] { return !dialog->IsRunning(); }));
    ASSERT_EQ(m_ui.Messages().size(), before + 1);
    const auto& message = m_ui.Messages().back();
    EXPECT_NE(message.strText.find(c.said), std::string::npos) << message.strText;
    EXPECT_EQ(message.nStyle & 0xF0, c.style);
    EXPECT_EQ(Stored(), 0u);
  }
}

TEST_F(BlastSearchDialogTest, TheDatabaseWindowOffersItInTheFileMenuAndTheToolBar) {
  CDatabaseWindow window;
  auto* action = window.findChild<QAction*>("newBlastSearch");
  ASSERT_NE(action, nullptr);
  EXPECT_EQ(action->text(), "New &BLAST Search...");
  QMenu* file = window.menuBar()->actions().front()->menu();
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(file->actions().front(), action);
  auto* bar = window.findChild<QToolBar*>("commands");
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(bar->actions().front(), action);
  action->trigger();
  auto* dialog = window.findChild<CBlastSearchDialog*>();
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(dialog->isVisible());
  dialog->close();
}

// A remote search stopped while NCBI works keeps its request ID where every
// client of the database finds it: the server database's own table, or a
// folder's file (the worker asks the window's thread, which owns the
// database).
class BlastSearchDialogRemoteTest : public ::testing::TestWithParam<std::string> {};

TEST_P(BlastSearchDialogRemoteTest, AStoppedSearchKeepsItsRequestIdInTheDatabase) {
  CTempDatabase db(1, "remote", GetParam());
  if (!db.SkipReason().empty()) GTEST_SKIP() << db.SkipReason();
  CScriptedUserInteraction ui;
  const std::string info = "<html><body>\n<!--QBlastInfoBegin\n";
  CLoopbackServer ncbi({Page(info + "    RID = DIALOGRID7\n    RTOE = 30\nQBlastInfoEnd\n-->")});
  CScopedEnvironment url("BLASTSEARCH_NCBI_URL", ncbi.Url());
  CBlastSearchDialog dialog(db.Dir().string(), "MAIN", nullptr,
                            QString::fromStdString((db.Dir() / "settings.ini").string()));
  dialog.m_pProgram->setCurrentText("blastp");
  dialog.m_pQueryText->setPlainText(">q\nMKVLAAGIVALLLA");
  dialog.m_pRemote->setChecked(true);
  dialog.m_pEmail->setText("someone@example.org");
  dialog.m_pEvalue->setText("10");
  ASSERT_TRUE(dialog.Start());
  std::string warning, error;
  const auto requests = OpenRemoteRequests(*engine().Storage(1), db.Dir().string(), warning);
  const auto kept = [&] {
    const std::vector<CRemoteRequest> all = requests->Read(error);
    return all.size() == 1 && all.front().m_strRid == "DIALOGRID7";
  };
  ASSERT_TRUE(WaitUntil(kept, 20)) << error;
  dialog.Stop();
  ASSERT_TRUE(WaitUntil([&] { return !dialog.IsRunning(); }));
  EXPECT_TRUE(dialog.LastOutcome().m_bResumable) << dialog.LastOutcome().m_strError;
  EXPECT_TRUE(kept()) << "the request ID is kept for a resume";
  EXPECT_EQ(std::filesystem::exists(RemoteRequestsFile(db.Dir().string())), GetParam() == "sqlite");
}

INSTANTIATE_TEST_SUITE_P(Backends, BlastSearchDialogRemoteTest,
                         ::testing::ValuesIn(StorageBackendNames()), BackendTestName);

}  // namespace

}  // namespace blastsearch
