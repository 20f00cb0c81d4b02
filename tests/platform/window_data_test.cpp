// Plain window data: bitmaps read from .bmp bytes, image lists with masks,
// menus built from resources, and the search of the modules' resources.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Bitmap.h"
#include "platform/ImageList.h"
#include "platform/Menu.h"
#include "platform/ModuleResources.h"

namespace blastsearch {

namespace {

constexpr CRgb kRed{255, 0, 0};

void PutU32(std::vector<unsigned char>& bytes, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<unsigned char>(value >> (8 * i));
}

// A 16-colour .bmp file of `rows` (top row first, one palette index a
// character '0'-'9', 'a'-'f'), stored bottom-up; palette entry i is
// (16 i, 255 - 16 i, i), entry 1 pure red.
std::vector<unsigned char> MakeBmp(const std::vector<std::string>& rows) {
  const int width = static_cast<int>(rows[0].size());
  const int height = static_cast<int>(rows.size());
  const int stride = (width * 4 + 31) / 32 * 4;
  const std::size_t offset = 14 + 40 + 64;
  std::vector<unsigned char> bytes(offset + static_cast<std::size_t>(stride) * height);
  bytes[0] = 'B';
  bytes[1] = 'M';
  PutU32(bytes, 2, static_cast<std::uint32_t>(bytes.size()));
  PutU32(bytes, 10, offset);
  PutU32(bytes, 14, 40);
  PutU32(bytes, 18, static_cast<std::uint32_t>(width));
  PutU32(bytes, 22, static_cast<std::uint32_t>(height));
  bytes[26] = 1;
  bytes[28] = 4;
  for (int i = 0; i < 16; ++i) {
    const CRgb colour =
        i == 1 ? kRed : CRgb{std::uint8_t(16 * i), std::uint8_t(255 - 16 * i), std::uint8_t(i)};
    bytes[54 + 4 * i] = colour.m_b;
    bytes[55 + 4 * i] = colour.m_g;
    bytes[56 + 4 * i] = colour.m_r;
  }
  for (int y = 0; y < height; ++y) {
    const std::size_t row = offset + static_cast<std::size_t>(height - 1 - y) * stride;
    for (int x = 0; x < width; ++x) {
      const char c = rows[y][x];
      const int index = c <= '9' ? c - '0' : c - 'a' + 10;
      bytes[row + x / 2] |= static_cast<unsigned char>(x % 2 == 0 ? index << 4 : index);
    }
  }
  return bytes;
}

TEST(Bitmap, ReadsRowsBottomUpWithPaddedOddWidths) {
  const std::vector<std::string> rows = {"01234", "56789", "abcde"};
  CBitmap bitmap;
  ASSERT_TRUE(bitmap.LoadFromBytes(MakeBmp(rows)));
  ASSERT_EQ(bitmap.GetWidth(), 5);
  ASSERT_EQ(bitmap.GetHeight(), 3);
  EXPECT_EQ(bitmap.GetPalette().size(), 16u);
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 5; ++x) EXPECT_EQ(bitmap.GetPixelIndex(x, y), y * 5 + x) << x << "," << y;
  }
  EXPECT_EQ(bitmap.GetPixel(1, 0), kRed);
  EXPECT_EQ(bitmap.GetPixel(4, 2), (CRgb{224, 31, 14}));
  EXPECT_EQ(bitmap.GetPixel(5, 0), CRgb{});  // outside

  // A negative height stores the rows top-down.
  std::vector<unsigned char> topDown = MakeBmp({"12", "34"});
  PutU32(topDown, 22, static_cast<std::uint32_t>(-2));
  ASSERT_TRUE(bitmap.LoadFromBytes(topDown));
  EXPECT_EQ(bitmap.GetPixelIndex(0, 0), 3);
  EXPECT_EQ(bitmap.GetPixelIndex(1, 1), 2);
}

TEST(Bitmap, RefusesDamagedFilesWithoutReadingPastThem) {
  const std::vector<unsigned char> sound = MakeBmp({"0123", "4567", "89ab", "cdef"});
  CBitmap bitmap;
  std::string error;
  // Every cut of the file is refused; the sanitizer build catches any read
  // beyond the bytes handed over.
  for (std::size_t size = 0; size < sound.size(); ++size) {
    const std::vector<unsigned char> cut(sound.begin(), sound.begin() + size);
    EXPECT_FALSE(bitmap.LoadFromBytes(cut, &error)) << size;
    EXPECT_TRUE(bitmap.IsEmpty());
  }
  struct CLie {
    const char* what;
    std::size_t at;
    std::uint32_t value;
  };
  const CLie lies[] = {
      {"file size beyond the bytes", 2, 10000},
      {"pixels beyond the bytes", 10, 200},
      {"pixels over the palette", 10, 60},
      {"header size beyond the bytes", 14, 0xFFFFFFF0},
      {"header size too small", 14, 12},
      {"huge width", 18, 0x7FFFFFFF},
      {"width that needs more rows than there are", 18, 40},
      {"negative width", 18, 0xFFFFFFFC},
      {"zero height", 22, 0},
      {"lowest height", 22, 0x80000000},
      {"eight bits a pixel", 28, 8},
      {"compressed", 30, 2},
      {"image size too small", 34, 4},
      {"palette of 17 colours", 46, 17},
      {"pixels naming colours beyond a palette of 3", 46, 3},
  };
  for (const CLie& lie : lies) {
    std::vector<unsigned char> bytes = sound;
    PutU32(bytes, lie.at, lie.value);
    error.clear();
    EXPECT_FALSE(bitmap.LoadFromBytes(bytes, &error)) << lie.what;
    EXPECT_FALSE(error.empty()) << lie.what;
    EXPECT_TRUE(bitmap.IsEmpty()) << lie.what;
  }
  std::vector<unsigned char> notBmp = sound;
  notBmp[1] = 'X';
  EXPECT_FALSE(bitmap.LoadFromBytes(notBmp, &error));
  EXPECT_TRUE(bitmap.LoadFromBytes(sound));  // the untouched file still reads
}

TEST(ImageList, CutsBitmapsIntoMaskedImagesAndGrows) {
  CBitmap strip;
  ASSERT_TRUE(strip.LoadFromBytes(MakeBmp({"1221333", "2112333"})));
  CImageList list;
  EXPECT_FALSE(list.SetImageCount(3));  // not made yet
  EXPECT_FALSE(list.Create(0, 2, 1));
  EXPECT_FALSE(list.Create(2, CImageList::kMaxSide + 1, 1));
  ASSERT_TRUE(list.Create(2, 2, 1));
  EXPECT_EQ(list.Add(strip, kRed), 0);  // three images; the seventh column is left over
  ASSERT_EQ(list.GetImageCount(), 3);
  const CIcon* first = list.GetImage(0);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->GetPixel(0, 0).m_a, 0);  // red: transparent
  EXPECT_EQ(first->GetPixel(1, 0), (CRgba{32, 223, 2, 255}));
  EXPECT_EQ(first->GetPixel(1, 1).m_a, 0);
  EXPECT_EQ(list.GetImage(1)->GetPixel(0, 0).m_a, 255);

  CBitmap low;
  ASSERT_TRUE(low.LoadFromBytes(MakeBmp({"1111"})));
  EXPECT_EQ(list.Add(low, kRed), -1);  // lower than an image
  ASSERT_TRUE(list.SetImageCount(5));
  EXPECT_EQ(list.GetImage(4)->GetPixels(), CIcon(2, 2).GetPixels());  // blank, transparent
  EXPECT_FALSE(list.SetImageCount(CImageList::kMaxImages + 1));
  EXPECT_EQ(list.GetImageCount(), 5);

  // Replacing keeps the mask and scales a larger icon down.
  CIcon big(4, 4);
  big.SetPixel(0, 0, CRgba{1, 2, 3, 255});
  ASSERT_TRUE(list.Replace(4, big));
  const std::unique_ptr<CIcon> copy = list.ExtractIcon(4);
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->GetWidth(), 2);
  EXPECT_EQ(copy->GetPixel(0, 0), (CRgba{1, 2, 3, 255}));
  EXPECT_EQ(copy->GetPixel(1, 1).m_a, 0);
  EXPECT_FALSE(list.Replace(5, big));
  EXPECT_FALSE(list.Replace(0, CIcon()));
  EXPECT_EQ(list.ExtractIcon(-1), nullptr);
  EXPECT_EQ(list.ExtractIcon(5), nullptr);
}

constexpr CMenuResourceItem kMenuItems[] = {
    {MF_POPUP, 0, "&File"},          {0, 100, "&Open"},       {MF_SEPARATOR, 0, ""},
    {MF_POPUP, 0, "&Recent"},        {MF_END, 101, "One"},    {MF_HELP | MF_END, 102, "&Quit"},
    {MF_POPUP | MF_END, 0, "&Help"}, {MF_END, 103, "&About"},
};

TEST(Menu, BuildsTreesFromResourcesAndHandsOutPopups) {
  std::unique_ptr<CMenu> menu = BuildMenu({1, kMenuItems, 8});
  ASSERT_NE(menu, nullptr);
  ASSERT_EQ(menu->GetMenuItemCount(), 2);
  CMenu* file = menu->GetSubMenu(0);
  ASSERT_NE(file, nullptr);
  ASSERT_EQ(file->GetMenuItemCount(), 4);
  EXPECT_EQ(file->GetMenuItemID(0), 100u);
  EXPECT_EQ(file->GetItem(1).m_nFlags, unsigned{MF_SEPARATOR});
  ASSERT_NE(file->GetSubMenu(2), nullptr);
  EXPECT_EQ(file->GetSubMenu(2)->GetMenuString(0), "One");
  EXPECT_EQ(file->GetItem(3).m_nFlags, unsigned{MF_HELP});  // MF_END is the resource's only
  EXPECT_NE(menu->GetSubMenu(1), nullptr);
  EXPECT_EQ(menu->GetItem(7).m_strText, "");  // outside: an empty item
  EXPECT_EQ(menu->RemovePopup(5), nullptr);
  EXPECT_EQ(file->RemovePopup(0), nullptr);  // not a popup: stays
  EXPECT_EQ(file->GetMenuItemCount(), 4);

  std::unique_ptr<CMenu> help = menu->RemovePopup(1);
  ASSERT_NE(help, nullptr);
  EXPECT_EQ(help->GetMenuString(0), "&About");
  EXPECT_EQ(menu->GetMenuItemCount(), 1);
  menu.reset();  // the popup taken out lives on
  EXPECT_EQ(help->GetMenuItemID(0), 103u);

  // Items without their ends, or left over after the top level's end.
  EXPECT_EQ(BuildMenu({1, kMenuItems, 7}), nullptr);
  EXPECT_EQ(BuildMenu({1, kMenuItems, 2}), nullptr);
  constexpr CMenuResourceItem kLeftOver[] = {{MF_END, 1, "a"}, {MF_END, 2, "b"}};
  EXPECT_EQ(BuildMenu({1, kLeftOver, 2}), nullptr);
  std::vector<CMenuResourceItem> deep(40, CMenuResourceItem{MF_POPUP, 0, "x"});
  for (int i = 0; i < 40; ++i) deep.push_back({MF_END, 1, "y"});
  EXPECT_EQ(BuildMenu({1, deep.data(), static_cast<int>(deep.size())}), nullptr);
}

TEST(ModuleResources, SearchesSetsInRegistrationOrder) {
  const std::vector<unsigned char> bmp = MakeBmp({"12", "21"});
  const std::vector<unsigned char> damaged(bmp.begin(), bmp.begin() + 60);
  static const CStringResource kFirstStrings[] = {{900001, "first"}};
  static const CStringResource kSecondStrings[] = {{900001, "second"}, {900002, "only second"}};
  static const CMenuResource kMenus[] = {{900003, kMenuItems, 8}};
  const CBitmapResource bitmaps[] = {{900004, bmp.data(), bmp.size()},
                                     {900005, damaged.data(), damaged.size()}};
  const CResourceSet first{"first", kFirstStrings, {}, kMenus, bitmaps};
  const CResourceSet second{"second", kSecondStrings, {}, {}, {}};
  AddResourceSet(first);
  AddResourceSet(second);
  AddResourceSet(first);  // once only
  std::string text;
  ASSERT_EQ(LoadString(900001, text), 1);
  EXPECT_EQ(text, "first");
  ASSERT_EQ(LoadString(900002, text), 1);
  EXPECT_EQ(text, "only second");
  EXPECT_NE(LoadMenu(900003), nullptr);
  const std::unique_ptr<CBitmap> bitmap = LoadBitmap(900004);
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(bitmap->GetWidth(), 2);
  EXPECT_EQ(LoadBitmap(900005), nullptr);

  RemoveResourceSet(first);
  EXPECT_FALSE(IsResourceSetRegistered(first));
  ASSERT_EQ(LoadString(900001, text), 1);
  EXPECT_EQ(text, "second");
  EXPECT_EQ(LoadMenu(900003), nullptr);
  RemoveResourceSet(second);
  EXPECT_EQ(LoadString(900002, text), 0);
  EXPECT_EQ(LoadBitmap(900004), nullptr);
}

}  // namespace

}  // namespace blastsearch
