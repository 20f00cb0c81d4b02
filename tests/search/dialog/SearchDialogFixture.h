#pragma once

// A real scratch database with three results (hit counts 5, 50 and 150,
// keywords, a user-defined field) and the search dialog over it, its
// filters reset as after the library's load, and every message recorded.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLineEdit>
#include <QPushButton>
#include <memory>

#include "QtTestHelpers.h"
#include "controls/CheckPropPageButton.h"
#include "controls/CoolPropertySheet.h"
#include "host/db/DBEngine.h"
#include "host/db/DBStorage.h"
#include "host/qt/IconTextListBox.h"
#include "model/BlastSearchHit.h"
#include "platform/UserInteraction.h"
#include "platform/qt/DialogBuilder.h"
#include "search/SearchFilters.h"
#include "search/TableSearch.h"
#include "search/dialog/SearchForObjects.h"
#include "support/TempDatabase.h"
#include "table/BlastSearchObject.h"
#include "table/BlastSearchTable.h"

namespace blastsearch {

inline void ResetSearchFilters() {
  MakeSearchFilters();
  TextSearchFilter() = CContextFilter();
  KeywordSearchFilter() = CKeywordFilter();
  AttribSearchFilter() = CAttribFilter();
}

class SearchDialogFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetSearchFilters();
    Store("alpha kinase", 5, {"kinase"});
    Store("beta kinase", 50, {"kinase", "tri"});
    Store("gamma", 150, {});
    EXPECT_EQ(blastSearch().AddKeyword(1, "kinase"), 1);
    EXPECT_EQ(blastSearch().AddKeyword(1, "tri"), 1);
    CUDFieldDef lab;
    lab.m_strName = "Lab";
    engine().Storage(1)->PutUDFieldDef(lab);
  }
  void TearDown() override { ResetSearchFilters(); }

  static void Store(const std::string& name, int hits, std::vector<std::string> keywords) {
    CBlastSearchObject object;
    object.m_name = name;
    object.m_keywords = std::move(keywords);
    for (int i = 0; i < hits; ++i) {
      object.Entry().m_Hits.m_HitList.push_back(std::make_unique<CBlastSearchHit>());
    }
    std::string subbase;
    ASSERT_EQ(blastSearch().AddNewObject(&object, "MAIN", subbase, 1), 1) << name;
  }

  // Makes the dialog's window and shows it on `tab`.
  void Open(int tab = 0) {
    m_set = std::make_unique<CSearchDialogSet>(blastSearch().tableobjtype(), 1);
    Dialog().Create();
    Dialog().show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&Dialog()));
    ShowTab(tab);
  }
  void ShowTab(int tab) {
    Sheet().SetActivePage(tab);
    Settle();
  }
  CTableSearch& Dialog() { return m_set->m_dialog; }
  CCoolPropertySheet& Sheet() { return *Dialog().m_pSheet; }
  // Ticks or unticks the tab box of `tab` with the mouse (selecting the tab
  // first when it is not the active one).
  void ClickTabBox(int tab) {
    for (int i = 0; i < 2; ++i) {
      CCheckPropPageButton* box = Sheet().GetCheckButton(tab);
      ASSERT_TRUE(box != nullptr && box->isVisible());
      const bool wasActive = Sheet().GetActiveIndex() == tab;
      QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
      Settle();
      if (wasActive) return;
    }
  }
  template <typename T>
  T* Control(QWidget* parent, int id) {
    return dynamic_cast<T*>(GetDlgItem(parent, id));
  }
  std::vector<std::string> Texts() const {
    std::vector<std::string> texts;
    for (const auto& m : m_ui.Messages()) texts.push_back(m.strText);
    return texts;
  }
  static std::vector<std::string> Items(const CIconTextListBox& box) {
    std::vector<std::string> items;
    for (int i = 0; i < box.GetCount(); ++i) items.push_back(box.GetText(i));
    return items;
  }
  static std::vector<std::string> SubbaseNames(const std::string& subbase) {
    std::vector<std::string> names;
    blastSearch().SubbaseObjectNames(1, subbase, names);
    return names;
  }

  CTempDatabase m_db;
  CScriptedUserInteraction m_ui;
  std::unique_ptr<CSearchDialogSet> m_set;
};

}  // namespace blastsearch
