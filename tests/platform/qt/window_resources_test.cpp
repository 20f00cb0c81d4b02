// The window layer's forms of menus and icons, and the editor page's face
// built from its layout.
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QImage>
#include <QMenu>
#include <QTreeWidget>
#include <QWidget>
#include <memory>

#include "platform/ImageList.h"
#include "platform/Menu.h"
#include "platform/qt/DialogBuilder.h"
#include "platform/qt/WindowResources.h"
#include "table/BlastSearchTable.h"

namespace blastsearch {

namespace {

TEST(WindowResources, IconsKeepTheirColoursAndTransparency) {
  const std::unique_ptr<CIcon> icon(blastSearch().GetContextIcon(2));
  ASSERT_NE(icon, nullptr);
  const QImage image = ToQPixmap(*icon).toImage().convertToFormat(QImage::Format_RGBA8888);
  ASSERT_EQ(image.size(), QSize(32, 32));
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 32; ++x) {
      const CRgba pixel = icon->GetPixel(x, y);
      const QColor colour = image.pixelColor(x, y);
      ASSERT_EQ(colour.alpha(), pixel.m_a) << x << "," << y;
      if (pixel.m_a != 0) {
        ASSERT_EQ(colour, QColor(pixel.m_r, pixel.m_g, pixel.m_b)) << x << "," << y;
      }
    }
  }
  const QIcon qicon = ToQIcon(*icon);
  EXPECT_FALSE(qicon.isNull());
  EXPECT_EQ(qicon.availableSizes().value(0), QSize(32, 32));
  EXPECT_TRUE(ToQIcon(CIcon()).isNull());
  EXPECT_TRUE(ToQPixmap(CIcon()).isNull());
}

TEST(WindowResources, MenusCarryCommandsPromptsAndSubmenus) {
  std::string title;
  const std::unique_ptr<CMenu> popup(blastSearch().GetContextMenu(true, false, title));
  ASSERT_NE(popup, nullptr);
  QWidget parent;
  QMenu* menu = BuildQMenu(*popup, &parent);
  ASSERT_EQ(menu->parent(), &parent);
  const QList<QAction*> actions = menu->actions();
  ASSERT_EQ(actions.size(), popup->GetMenuItemCount());
  EXPECT_EQ(actions[0]->text(), "&Open");
  EXPECT_EQ(actions[0]->data().toUInt(), 33052u);
  EXPECT_EQ(actions[0]->statusTip(), "Opens the selected items");
  EXPECT_EQ(actions[1]->statusTip(), "Edits the selected item");
  EXPECT_EQ(actions[1]->toolTip(), "Edit");
  EXPECT_TRUE(actions[2]->isSeparator());

  QMenu* created = actions[3]->menu();
  ASSERT_NE(created, nullptr);
  EXPECT_EQ(actions[3]->text(), "&New");
  const QList<QAction*> inner = created->actions();
  ASSERT_EQ(inner.size(), 3);
  EXPECT_EQ(inner[0]->data().toUInt(), 33055u);
  EXPECT_EQ(inner[0]->toolTip(), "New Subbase");
  EXPECT_TRUE(inner[1]->isSeparator());
  EXPECT_EQ(inner[2]->statusTip(), "Creates a new result from NCBI html-response file");

  EXPECT_EQ(actions[4]->data().toUInt(), 33068u);  // no prompt
  EXPECT_TRUE(actions[4]->statusTip().isEmpty());
  EXPECT_EQ(actions.last()->text(), "&Close");
}

TEST(WindowResources, EditorPageFaceHasItsControlsAndCitationTypes) {
  const CDialogLayout* layout = FindDialogLayout(5000);
  ASSERT_NE(layout, nullptr);
  QWidget page;
  BuildDialogControls(&page, *layout);
  auto* types = qobject_cast<QComboBox*>(GetDlgItem(&page, 2493));
  ASSERT_NE(types, nullptr);
  ASSERT_EQ(types->count(), 3);
  EXPECT_EQ(types->itemText(0), "Journal article");
  EXPECT_EQ(types->itemText(1), "Book");
  EXPECT_EQ(types->itemText(2), "Meeting proceedings");
  EXPECT_FALSE(types->isEditable());
  auto* authors = qobject_cast<QTreeWidget*>(GetDlgItem(&page, 2459));
  ASSERT_NE(authors, nullptr);
  EXPECT_EQ(authors->selectionMode(), QAbstractItemView::SingleSelection);
  EXPECT_FALSE(authors->isHeaderHidden());
  for (int id : {495, 2461, 2462, 2463, 2511}) EXPECT_NE(GetDlgItem(&page, id), nullptr) << id;
}

}  // namespace

}  // namespace blastsearch
