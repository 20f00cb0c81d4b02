// The checkable-tab property sheet driven as a person would: clicks on the
// tab boxes, the space and arrow keys, double clicks, the labels' padding
// and the boxes hidden and shown again around selection changes.
#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QImage>
#include <QTabBar>
#include <QToolButton>
#include <memory>
#include <vector>

#include "QtTestHelpers.h"
#include "controls/CheckPropPageButton.h"
#include "controls/CoolPropertySheet.h"
#include "host/qt/OrvDialog.h"
#include "platform/ModuleResources.h"

namespace blastsearch {

namespace {

// A page that records the check-notify messages the sheet passes on.
class CProbePage : public COrvPropertyPage {
 public:
  explicit CProbePage(int layoutId) : COrvPropertyPage(layoutId) {}
  struct Notify {
    WPARAM wParam;
    LPARAM lParam;
  };
  std::vector<Notify> m_notes;

 protected:
  bool event(QEvent* event) override {
    if (static_cast<int>(event->type()) == CheckNotifyMessage()) {
      auto* message = static_cast<CWindowMessage*>(event);
      m_notes.push_back({message->m_wParam, message->m_lParam});
      return true;
    }
    return COrvPropertyPage::event(event);
  }
};

class CoolPropertySheetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_host.resize(520, 360);
    m_sheet = new CCoolPropertySheet(QStringLiteral("Sheet"), &m_host, 0);
    for (auto& page : m_pages) m_sheet->AddPage(page.get());
    m_sheet->EnablePageCheck(0);
    m_sheet->EnablePageCheck(1);  // the third page has no box
    ASSERT_EQ(m_sheet->Create(&m_host), 1);
    m_sheet->setGeometry(0, 0, 520, 360);
    m_host.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_host));
    Settle();
  }
  QTabBar* Tabs() const { return m_sheet->GetTabControl(); }
  CCheckPropPageButton* Box(int index) const { return m_sheet->GetCheckButton(index); }
  void Click(int index) {
    ASSERT_TRUE(Box(index)->isVisible()) << "box " << index;
    QTest::mouseClick(Box(index), Qt::LeftButton, {}, QPoint(6, Box(index)->height() / 2));
    Settle();
  }

  std::vector<std::unique_ptr<CProbePage>> m_pages = [] {
    std::vector<std::unique_ptr<CProbePage>> pages;
    for (int id : {5003, 5004, 5002}) pages.push_back(std::make_unique<CProbePage>(id));
    return pages;
  }();
  QWidget m_host;
  CCoolPropertySheet* m_sheet = nullptr;  // owned by m_host
};

TEST_F(CoolPropertySheetTest, LabelsArePaddedForTheirBoxesAndBoxesShowThemTrimmed) {
  const QFontMetrics metrics(m_sheet->font());
  const QString captions[] = {"Attributes", "Text Search", "Keywords"};
  for (int i = 0; i < 2; ++i) {
    SCOPED_TRACE(i);
    const QString padded = Tabs()->tabText(i);
    ASSERT_TRUE(padded.startsWith(captions[i] + QLatin1Char(' ')));
    EXPECT_EQ(padded.trimmed(), captions[i]);
    const int width = metrics.horizontalAdvance(captions[i]);
    EXPECT_GT(metrics.horizontalAdvance(padded), width + 20);
    EXPECT_LE(metrics.horizontalAdvance(padded.chopped(1)), width + 20) << "one space too many";
    EXPECT_EQ(Box(i)->text(), captions[i] + QLatin1Char(' '));
    EXPECT_TRUE(Box(i)->isVisible());
    EXPECT_EQ(m_sheet->GetPageCheck(i), 0);
  }
  EXPECT_EQ(Tabs()->tabText(2), captions[2]);
  EXPECT_EQ(Box(2), nullptr);
  EXPECT_EQ(m_sheet->GetPageCheck(2), -1);
  EXPECT_EQ(m_sheet->GetPageCheck(7), -1);
}

TEST_F(CoolPropertySheetTest, FirstClickOnAnInactiveTabsBoxSelectsItTheSecondToggles) {
  Click(1);
  EXPECT_EQ(Tabs()->currentIndex(), 1);
  EXPECT_EQ(m_sheet->GetPageCheck(1), 0);
  Click(1);
  EXPECT_EQ(m_sheet->GetPageCheck(1), 1);
  ASSERT_FALSE(m_pages[1]->m_notes.empty());
  const auto& note = m_pages[1]->m_notes.back();
  EXPECT_EQ(note.wParam, 0u);
  EXPECT_EQ(LoWord(note.lParam), 2u);  // page index + 1
  EXPECT_EQ(HiWord(note.lParam), reinterpret_cast<std::uintptr_t>(Box(1)) & 0xFFFFu);
  Click(1);
  EXPECT_EQ(m_sheet->GetPageCheck(1), 0);
  EXPECT_TRUE(m_pages[0]->m_notes.empty());
}

TEST_F(CoolPropertySheetTest, SpaceOnTheTabStripTogglesTheActiveBox) {
  Tabs()->setFocus();
  QTest::keyClick(Tabs(), Qt::Key_Space);
  Settle();
  EXPECT_EQ(m_sheet->GetPageCheck(0), 1);
  ASSERT_EQ(m_pages[0]->m_notes.size(), 1u);
  EXPECT_EQ(m_pages[0]->m_notes[0].wParam, 0u);
  QTest::keyClick(Tabs(), Qt::Key_Space);
  EXPECT_EQ(m_sheet->GetPageCheck(0), 0);
  EXPECT_EQ(m_sheet->GetPageCheck(1), 0);
  m_sheet->SetActivePage(2);  // no box there: the space does nothing
  QTest::keyClick(Tabs(), Qt::Key_Space);
  EXPECT_EQ(m_sheet->GetPageCheck(0), 0);
}

TEST_F(CoolPropertySheetTest, ArrowKeysOnABoxMoveBetweenTabs) {
  struct Step {
    int from;
    Qt::Key key;
    int tab;
  } steps[] = {{0, Qt::Key_Right, 1},
               {1, Qt::Key_Down, 2},
               {1, Qt::Key_Left, 0},
               {1, Qt::Key_Up, 0},
               {0, Qt::Key_Down, 1}};
  for (const Step& step : steps) {
    m_sheet->SetActivePage(step.from);
    Settle();
    CCheckPropPageButton* box = Box(step.from);
    box->setFocus();
    QTest::keyClick(box, step.key);
    Settle();
    EXPECT_EQ(Tabs()->currentIndex(), step.tab) << step.key;
    EXPECT_TRUE(Tabs()->hasFocus());
  }
  EXPECT_EQ(m_sheet->GetPageCheck(0), 0);
}

TEST_F(CoolPropertySheetTest, DoubleClickTellsThePageWithFive) {
  QTest::mouseDClick(Box(0), Qt::LeftButton, {}, QPoint(6, Box(0)->height() / 2));
  Settle();
  bool five = false;
  for (const auto& note : m_pages[0]->m_notes) {
    five = five || (note.wParam == 5u && LoWord(note.lParam) == 1u);
  }
  EXPECT_TRUE(five);
}

TEST_F(CoolPropertySheetTest, BoxesHideOnSelectionChangeAndComeBackWhereTheirTabsAreDrawn) {
  m_sheet->SetActivePage(1);
  EXPECT_FALSE(Box(0)->isVisible());
  EXPECT_FALSE(Box(1)->isVisible());
  Settle();
  ASSERT_TRUE(Box(0)->isVisible());
  ASSERT_TRUE(Box(1)->isVisible());
  const QRect active = Tabs()->tabRect(1);
  EXPECT_EQ(Box(1)->geometry(), active.adjusted(6, 4, -4, -4));
  const QRect inactive = Tabs()->tabRect(0);
  EXPECT_EQ(Box(0)->geometry(), inactive.adjusted(4, 4, 0, 0));
}

TEST_F(CoolPropertySheetTest, ScrollingTheTabsHidesTheBoxes) {
  m_sheet->setGeometry(0, 0, 150, 200);
  Settle();
  QToolButton* arrow = nullptr;
  for (QToolButton* button : Tabs()->findChildren<QToolButton*>()) {
    if (button->isVisible() && button->isEnabled()) arrow = button;
  }
  ASSERT_NE(arrow, nullptr) << "no scroll arrow on a narrow sheet";
  QTest::mouseClick(arrow, Qt::LeftButton);
  EXPECT_FALSE(Box(0)->isVisible());
  EXPECT_FALSE(Box(1)->isVisible());
}

TEST_F(CoolPropertySheetTest, SetCheckMessageSetsTheBoxOfAPageOfTheSheetOnly) {
  CProbePage stranger(5003);
  EXPECT_EQ(SendMessage(m_sheet, BmSetCheckMessage(), 1, 0), 0);
  EXPECT_EQ(SendMessage(m_sheet, BmSetCheckMessage(), 1, reinterpret_cast<LPARAM>(&stranger)), 0);
  EXPECT_EQ(
      SendMessage(m_sheet, BmSetCheckMessage(), 1, reinterpret_cast<LPARAM>(m_pages[1].get())), 1);
  EXPECT_EQ(m_sheet->GetPageCheck(1), 1);
  EXPECT_EQ(m_sheet->GetPageCheck(0), 0);
  EXPECT_EQ(
      SendMessage(m_sheet, BmSetCheckMessage(), 1, reinterpret_cast<LPARAM>(m_pages[2].get())),
      1);  // a page without a box: answered, nothing set
  EXPECT_EQ(m_sheet->GetPageCheck(2), -1);
}

// The share of the pixels of row `y` from `left` to `right` of `image` that are dark.
double DarkShareOfRow(const QImage& image, int y, int left, int right) {
  int dark = 0;
  for (int x = left; x <= right; ++x) dark += qGray(image.pixel(x, y)) < 96 ? 1 : 0;
  return static_cast<double>(dark) / (right - left + 1);
}

TEST_F(CoolPropertySheetTest, TheActiveTabsHatchedFrameHasWholeTopAndBottomRows) {
  for (int active : {0, 1, 2}) {  // tabs with a box and the tab without one
    SCOPED_TRACE(active);
    m_sheet->SetActivePage(active);
    Settle();
    const QImage image = m_host.grab().toImage();
    ASSERT_EQ(image.devicePixelRatio(), 1.0);
    const QRect frame = Tabs()->tabRect(active).translated(Tabs()->mapTo(&m_host, QPoint(0, 0)));
    EXPECT_GE(DarkShareOfRow(image, frame.top(), frame.left(), frame.right()), 0.95);
    EXPECT_GE(DarkShareOfRow(image, frame.bottom(), frame.left(), frame.right()), 0.95);
  }
}

const CStringResource kCaptions[] = {{910001, "Search Options"}, {910002, ""}};
const CResourceSet kCaptionSet{"sheet test", kCaptions, {}, {}, {}};

TEST(CoolPropertySheetCreationTest, CaptionComesFromTheStringTable) {
  AddResourceSet(kCaptionSet);
  struct Case {
    unsigned id;
    const char* caption;
  } cases[] = {{910001, "Search Options"}, {910002, ""}, {910099, ""}};
  for (const Case& c : cases) {
    QWidget parent;
    CCoolPropertySheet sheet(c.id, &parent, 1);
    EXPECT_EQ(sheet.windowTitle().toStdString(), c.caption) << c.id;
    EXPECT_EQ(sheet.parentWidget(), &parent);
  }
  RemoveResourceSet(kCaptionSet);
}

TEST(CoolPropertySheetCreationTest, IsMadeByNameThroughItsRunTimeClass) {
  CProbePage page(5003);  // outlives the sheet, as pages must
  const CRuntimeClass* cls = CRuntimeClass::FromName("CCoolPropertySheet");
  ASSERT_NE(cls, nullptr);
  EXPECT_EQ(cls, RUNTIME_CLASS(CCoolPropertySheet));
  EXPECT_TRUE(cls->IsDerivedFrom(RUNTIME_CLASS(CObject)));
  std::unique_ptr<CObject> made(cls->CreateObject());
  auto* sheet = dynamic_cast<CCoolPropertySheet*>(made.get());
  ASSERT_NE(sheet, nullptr);
  EXPECT_TRUE(sheet->windowTitle().isEmpty());
  sheet->AddPage(&page);  // and it works as one made in code
  EXPECT_EQ(sheet->EnablePageCheck(0), 1);
  ASSERT_EQ(sheet->Create(nullptr), 1);
  EXPECT_EQ(sheet->GetPageCheck(0), 0);
}

TEST(CheckNotifyMessageTest, IsTheMessageRegisteredUnderItsName) {
  EXPECT_EQ(RegisterWindowMessage("CCoolPropertySheet check notify msg"), CheckNotifyMessage());
}

}  // namespace

}  // namespace blastsearch
