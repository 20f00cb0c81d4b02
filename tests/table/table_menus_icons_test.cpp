// The table's context menus, icons and open/save dialog page, and the
// module's resources behind them.
#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>

#include "host/db/OrvSaveLoadData.h"
#include "platform/ImageList.h"
#include "platform/ModuleResources.h"
#include "resources/ModuleResourceSet.h"
#include "table/BlastSearchTable.h"

namespace blastsearch {

namespace {

// A menu as text: items joined by "|"; a command as its text and identifier,
// a separator as "-", a submenu as its text and its items in braces;
// help-justified items end in " help".
std::string Dump(const CMenu& menu) {
  std::string out;
  for (int pos = 0; pos < menu.GetMenuItemCount(); ++pos) {
    const CMenuItem& item = menu.GetItem(pos);
    if (pos > 0) out += "|";
    if ((item.m_nFlags & MF_SEPARATOR) != 0) {
      out += "-";
    } else if (item.m_pPopup != nullptr) {
      out += item.m_strText + "{" + Dump(*item.m_pPopup) + "}";
    } else {
      out += item.m_strText + " " + std::to_string(item.m_nID);
    }
    if ((item.m_nFlags & MF_HELP) != 0) out += " help";
  }
  return out;
}

struct CPopupCase {
  bool full;
  bool tableMenu;
  const char* title;
  const char* dump;
};

const CPopupCase kPopups[] = {
    {true, true, "&Table",
     "Type 1 33057|Type 2 33058|Type 3 33059|Type 4 33060|Type 5 33061|Type 6 33062|"
     "Type 7 33063|Type 8 33064|-|"
     "&New{&Subbase 33055|Subbase (&Using Subbase Editor)... 33065}|"
     "&Import from Archive... 33068|&Export Subbase into Archive...  33067|-|"
     "&Edit Subbase... 33066|&Rename Subbase 33049|&Dismiss Subbase 33054 help|"
     "C&lear Subbase 33089 help|Delete &Contents from Database 33053|-|"
     "Subbase S&ummary... 33069|&Properties... 33048|-|&Close 33043"},
    {true, false, "&Blast Search",
     "&Open 33052|&Edit... 33072|-|"
     "&New{&Subbase for Selection 33055|-|&BLASTResult from NCB-html response ... 33070}|"
     "&Import from Archive... 33068|Export into &Archive...  33103|-|"
     "E&xclude from Subbase 33051|&Delete from Database 33050|&Rename 33049|"
     "D&uplicate 33113|-|Set System &Attributes... 33115|&Properties... 33048|-|"
     "&Close 33043"},
    {false, true, "&Table",
     "&Explore 33074|Edi&t... 33066|-|Export into &Archive...  33067|-|"
     "&Dismiss 33054 help|C&lear 33089 help|Delete &Contents 33053|&Rename 33049|-|"
     "&Properties... 33048|S&ummary... 33069"},
    {false, false, "&Blast Search",
     "&Open 33052|&Edit... 33072|-|&Copy 33094|Export into &Archive...  33103|-|"
     "E&xclude from Subbase 33051|&Delete from Database 33050|D&uplicate 33113|"
     "&Rename 33049|-|Set System &Attributes... 33115|&Properties... 33048"},
};

std::unique_ptr<CMenu> ContextMenu(bool full, bool tableMenu, std::string& title) {
  return std::unique_ptr<CMenu>(blastSearch().GetContextMenu(full, tableMenu, title));
}

TEST(TableMenus, EveryPopupOfTheContextMenu) {
  for (const CPopupCase& popup : kPopups) {
    std::string title = "stale";
    const std::unique_ptr<CMenu> menu = ContextMenu(popup.full, popup.tableMenu, title);
    ASSERT_NE(menu, nullptr) << popup.full << popup.tableMenu;
    EXPECT_EQ(title, popup.title);
    EXPECT_EQ(Dump(*menu), popup.dump) << popup.full << popup.tableMenu;
  }
}

TEST(TableMenus, ShortObjectMenuOpensCopiesAndDoesNotClose) {
  std::string title;
  const std::unique_ptr<CMenu> menu = ContextMenu(false, false, title);
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(menu->GetMenuString(0), "&Open");
  bool copy = false;
  for (int pos = 0; pos < menu->GetMenuItemCount(); ++pos) {
    copy = copy || menu->GetMenuString(pos) == "&Copy";
    EXPECT_NE(menu->GetMenuString(pos), "&Close");
  }
  EXPECT_TRUE(copy);
}

TEST(TableMenus, WithoutTheModulesResourcesThereIsNoMenuOrIcon) {
  RemoveResourceSet(ModuleResourceSet());
  std::string title = "stale";
  EXPECT_EQ(ContextMenu(true, true, title), nullptr);
  EXPECT_EQ(title, "");
  EXPECT_EQ(std::unique_ptr<CIcon>(blastSearch().GetContextIcon(1)), nullptr);
  CImageList list;
  ASSERT_TRUE(list.Create(16, 16, 1));
  blastSearch().UpdateImageListIcons(&list);
  EXPECT_EQ(list.GetImageCount(), 46);  // grown, but no pictures to put in
  AddResourceSet(ModuleResourceSet());
  EXPECT_NE(ContextMenu(true, true, title), nullptr);
}

// Collects the command identifiers of `menu` and its submenus.
void Commands(const CMenu& menu, std::set<unsigned>& ids) {
  for (int pos = 0; pos < menu.GetMenuItemCount(); ++pos) {
    const CMenuItem& item = menu.GetItem(pos);
    if (item.m_pPopup != nullptr) Commands(*item.m_pPopup, ids);
    if (item.m_nID != 0) ids.insert(item.m_nID);
  }
}

TEST(TableMenus, PromptsOfTheCommands) {
  std::set<unsigned> ids;
  for (const CPopupCase& popup : kPopups) {
    std::string title;
    const auto menu = ContextMenu(popup.full, popup.tableMenu, title);
    ASSERT_NE(menu, nullptr) << popup.full << popup.tableMenu;
    Commands(*menu, ids);
  }
  EXPECT_EQ(ids.size(), 30u);
  std::string prompt;
  for (unsigned id : ids) {
    if (id == 33068) continue;  // the import from an archive has no prompt
    prompt.clear();
    EXPECT_EQ(LoadString(id, prompt), 1) << id;
    EXPECT_FALSE(prompt.empty()) << id;
  }
  EXPECT_EQ(LoadString(33068, prompt), 0);
  ASSERT_EQ(LoadString(33094, prompt), 1);
  EXPECT_EQ(prompt,
            "Copies the selected items to the Clipboard. Use Paste to put them in the new "
            "location.\nCopy");
  ASSERT_EQ(LoadString(33061, prompt), 1);
  EXPECT_EQ(prompt, "Displays the contents of the database table");
  ASSERT_EQ(LoadString(32775, prompt), 1);
  EXPECT_EQ(prompt, "Imports items from a Quillon Archive");
}

// Whether `icon` is the first `icon.GetWidth()`-square image of `bitmap` at
// column `left`, red pixels transparent and all others opaque.
::testing::AssertionResult IsMaskedImage(const CIcon& icon, const CBitmap& bitmap, int left) {
  for (int y = 0; y < icon.GetHeight(); ++y) {
    for (int x = 0; x < icon.GetWidth(); ++x) {
      const CRgb colour = bitmap.GetPixel(left + x, y);
      const CRgba pixel = icon.GetPixel(x, y);
      const bool red = colour == CRgb{255, 0, 0};
      if (red ? pixel.m_a != 0 : pixel != CRgba{colour.m_r, colour.m_g, colour.m_b, 255}) {
        return ::testing::AssertionFailure() << "pixel " << x << "," << y;
      }
    }
  }
  return ::testing::AssertionSuccess();
}

TEST(TableIcons, ContextIconsOfSixteenAndThirtyTwoPixels) {
  for (int size : {1, 2, 0}) {
    const std::unique_ptr<CIcon> icon(blastSearch().GetContextIcon(size));
    ASSERT_NE(icon, nullptr) << size;
    const int side = size == 1 ? 16 : 32;
    EXPECT_EQ(icon->GetWidth(), side);
    EXPECT_EQ(icon->GetHeight(), side);
    EXPECT_EQ(icon->GetPixel(0, 0).m_a, 0);
    EXPECT_EQ(icon->GetPixel(side / 2, side / 2).m_a, 255);
    const std::unique_ptr<CBitmap> bitmap = LoadBitmap(size == 1 ? 1004 : 1005);
    ASSERT_NE(bitmap, nullptr) << size;
    EXPECT_TRUE(IsMaskedImage(*icon, *bitmap, 0));
  }
  CObjInfo info;
  EXPECT_EQ(blastSearch().GetObjectIconIndex(&info), 41);
  EXPECT_EQ(blastSearch().GetObjectIconIndex(nullptr), 41);
}

TEST(TableIcons, HostImageListsGetTheFourObjectIcons) {
  const struct {
    int side;
    int count;
    int expected;
    unsigned bitmap;
  } cases[] = {{16, 10, 46, 1006},
               {16, 46, 46, 1006},
               {32, 60, 60, 1007},
               {32, 0, 46, 1007},
               {24, 47, 47, 1006}};
  for (const auto& c : cases) {
    CImageList list;
    ASSERT_TRUE(list.Create(c.side, c.side, 4));
    ASSERT_TRUE(list.SetImageCount(c.count));
    if (c.count > 0) {
      CIcon marked(c.side, c.side);
      marked.SetPixel(1, 1, CRgba{9, 9, 9, 255});
      list.Replace(0, marked);
    }
    blastSearch().UpdateImageListIcons(&list);
    ASSERT_EQ(list.GetImageCount(), c.expected) << c.count;
    if (c.count > 0) {
      EXPECT_EQ(list.GetImage(0)->GetPixel(1, 1).m_r, 9);  // untouched
    }
    EXPECT_EQ(list.GetImage(41)->GetPixels(), CIcon(c.side, c.side).GetPixels());
    const std::unique_ptr<CBitmap> strip = LoadBitmap(c.bitmap);
    const int image = c.bitmap == 1006 ? 16 : 32;
    for (int i = 0; i < 4; ++i) {
      const CIcon* icon = list.GetImage(42 + i);
      ASSERT_NE(icon, nullptr);
      if (c.side == image) {
        EXPECT_TRUE(IsMaskedImage(*icon, *strip, i * image)) << c.count << " image " << i;
      }
      EXPECT_EQ(icon->GetPixel(0, 0).m_a, 0);
      EXPECT_EQ(icon->GetPixel(c.side / 2, c.side / 2).m_a, 255);
    }
  }
  blastSearch().UpdateImageListIcons(nullptr);  // nothing to do
}

TEST(TableDialogPages, OpenAndSavePagesWithAnEmptiedTextBuffer) {
  COrvSaveLoadData data;
  data.m_pages.emplace_back();  // another table's page stays first
  blastSearch().AppendPageToOpenDialog(data);
  ASSERT_EQ(data.m_pages.size(), 2u);
  const COrvSaveLoadPageData& page = data.m_pages[1];
  EXPECT_EQ(page.m_nObjTable, 201);
  EXPECT_EQ(page.m_nSbTable, 0);
  EXPECT_EQ(page.m_nDbId, COrvSaveLoadPageData().m_nDbId);
  EXPECT_EQ(page.m_nFlags, 0);
  ASSERT_NE(page.m_pSelection, nullptr);
  EXPECT_EQ(page.m_bShowIcons, 1);
  EXPECT_EQ(page.m_nListRows, 10);
  EXPECT_EQ(page.m_strTitle, "BLAST Search Objects");
  EXPECT_EQ(page.m_nHelpId, 0u);

  *page.m_pSelection = "chosen earlier";
  blastSearch().AppendPageToSaveDialog(data);
  ASSERT_EQ(data.m_pages.size(), 3u);
  EXPECT_EQ(data.m_pages[2].m_pSelection, data.m_pages[1].m_pSelection);  // one buffer
  EXPECT_EQ(*data.m_pages[2].m_pSelection, "");
  EXPECT_EQ(data.m_pages[2].m_strTitle, "BLAST Search Objects");
}

TEST(TableDialogPages, EditorPageLayout) {
  const CDialogLayout* layout = FindDialogLayout(5000);
  ASSERT_NE(layout, nullptr);
  EXPECT_STREQ(layout->m_pszCaption, "Dialog");
  EXPECT_EQ(layout->m_cx, 290);
  EXPECT_EQ(layout->m_cy, 190);
  std::string order;
  for (int i = 0; i < layout->m_nControls; ++i) {
    order += std::to_string(layout->m_pControls[i].m_nId) + " ";
  }
  EXPECT_EQ(order, "-1 495 2459 2461 2462 2463 2511 -1 2493 -1 -1 -1 ");
  EXPECT_STREQ(layout->m_pControls[8].m_pszItems, "Journal article\nBook\nMeeting proceedings");
  EXPECT_EQ(layout->m_pControls[2].m_kind, EControlKind::kListView);
}

}  // namespace

}  // namespace blastsearch
