// Dialogs built from the module's layouts at the system's font and at a font
// twice its size: every text shown whole in its control, and a list view's
// text as its column header.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTreeWidget>
#include <QWidget>
#include <string>

#include "platform/qt/DialogBuilder.h"
#include "resources/ResourceParts.h"

namespace blastsearch {

namespace {

// The room a push button's face leaves for its text.
int ButtonTextRoom(const QPushButton& button) {
  QStyleOptionButton option;
  option.initFrom(&button);
  option.rect = button.rect();
  option.text = button.text();
  return button.style()->subElementRect(QStyle::SE_PushButtonContents, &option, &button).width();
}

// What of `control`'s text is cut off ("" when it shows whole).
std::string Clipping(const QWidget& control) {
  const QSize size = control.size();
  auto complain = [&](const QString& text, int needed, int room) {
    return "\"" + text.toStdString() + "\" needs " + std::to_string(needed) + " pixels, has " +
           std::to_string(room);
  };
  if (const auto* label = qobject_cast<const QLabel*>(&control)) {
    if (label->text().isEmpty()) return "";
    if (label->wordWrap()) {
      const int height = label->heightForWidth(size.width());
      return height <= size.height() ? "" : complain(label->text(), height, size.height());
    }
    const QSize hint = label->sizeHint();
    if (hint.width() > size.width()) return complain(label->text(), hint.width(), size.width());
    if (hint.height() > size.height()) return complain(label->text(), hint.height(), size.height());
    return "";
  }
  if (const auto* box = qobject_cast<const QCheckBox*>(&control)) {
    const int width = box->sizeHint().width();
    return width <= size.width() ? "" : complain(box->text(), width, size.width());
  }
  if (const auto* button = qobject_cast<const QPushButton*>(&control)) {
    const int width = button->fontMetrics().horizontalAdvance(button->text().remove('&'));
    const int room = ButtonTextRoom(*button);
    return width <= room ? "" : complain(button->text(), width, room);
  }
  if (const auto* group = qobject_cast<const QGroupBox*>(&control)) {
    const int width = group->minimumSizeHint().width();
    return width <= size.width() ? "" : complain(group->title(), width, size.width());
  }
  return "";
}

struct CFontCase {
  const char* m_pszName;
  double m_scale;  // of the application's font size
};

class DialogFit : public ::testing::TestWithParam<CFontCase> {};

TEST_P(DialogFit, EveryTextOfEveryLayoutShowsWhole) {
  QFont font = QApplication::font();
  font.setPointSizeF(font.pointSizeF() * GetParam().m_scale);
  for (const CDialogLayout& layout : ModuleDialogLayouts()) {
    QWidget page;
    page.setFont(font);
    BuildDialogControls(&page, layout);
    const QRect area = page.rect();
    for (QWidget* control : page.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
      if (control->isHidden()) continue;
      const std::string where = "layout " + std::to_string(layout.m_nId) + ", control " +
                                std::to_string(GetDlgCtrlID(control));
      EXPECT_EQ(Clipping(*control), "") << where;
      EXPECT_TRUE(area.contains(control->geometry())) << where << " lies outside its dialog";
    }
  }
}

TEST_P(DialogFit, ListViewsShowTheirTextAsTheirHeader) {
  QFont font = QApplication::font();
  font.setPointSizeF(font.pointSizeF() * GetParam().m_scale);
  int views = 0;
  for (const CDialogLayout& layout : ModuleDialogLayouts()) {
    QWidget page;
    page.setFont(font);
    BuildDialogControls(&page, layout);
    for (int i = 0; i < layout.m_nControls; ++i) {
      const CControlLayout& control = layout.m_pControls[i];
      if (control.m_kind != EControlKind::kListView) continue;
      auto* view = qobject_cast<QTreeWidget*>(GetDlgItem(&page, control.m_nId));
      ASSERT_NE(view, nullptr) << control.m_nId;
      ASSERT_EQ(view->columnCount(), 1);
      EXPECT_EQ(view->headerItem()->text(0), QString::fromUtf8(control.m_pszText));
      ++views;
    }
  }
  EXPECT_GT(views, 0);
}

// A text across a group box's top edge hides the edge as a title would;
// others leave what is behind them (a tab's face) showing.
TEST(DialogFitTitles, OnlyTextsOnAGroupEdgeFillTheirBackground) {
  struct CCase {
    int m_nLayout;
    const char* m_pszText;
    bool m_bFilled;
  };
  const CCase cases[] = {
      {5000, " Citation type ", true}, {5000, "Affiliation", false},    {5000, "Title", false},
      {5001, "Look in:", false},       {5004, "New substring:", false},
  };
  for (const CCase& test : cases) {
    const CDialogLayout* layout = FindDialogLayout(test.m_nLayout);
    ASSERT_NE(layout, nullptr) << test.m_nLayout;
    QWidget page;
    BuildDialogControls(&page, *layout);
    const QLabel* found = nullptr;
    for (const QLabel* label : page.findChildren<QLabel*>()) {
      if (label->text() == test.m_pszText) found = label;
    }
    ASSERT_NE(found, nullptr) << test.m_pszText;
    EXPECT_EQ(found->autoFillBackground(), test.m_bFilled) << test.m_pszText;
  }
}

INSTANTIATE_TEST_SUITE_P(Fonts, DialogFit,
                         ::testing::Values(CFontCase{"SystemFont", 1.0},
                                           CFontCase{"TwiceTheSize", 2.0},
                                           CFontCase{"ThreeQuarters", 0.75}),
                         [](const auto& tested) { return std::string(tested.param.m_pszName); });

}  // namespace

}  // namespace blastsearch
