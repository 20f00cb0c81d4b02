// The module's resources as the windows look them up: strings, dialog
// layouts and bitmaps by identifier.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/Bitmap.h"
#include "platform/DialogLayout.h"
#include "platform/ModuleResources.h"
#include "platform/StringTable.h"
#include "resources/ModuleResourceSet.h"

namespace blastsearch {

namespace {

// The module's resources registered, as its loading does (a second
// registration keeps one entry).
class Resources : public ::testing::Test {
 protected:
  void SetUp() override { AddResourceSet(ModuleResourceSet()); }
};

TEST_F(Resources, StringsAndLayoutsByIdentifier) {
  std::string text = "unchanged";
  EXPECT_EQ(LoadString(32774, text), 0);
  EXPECT_EQ(LoadString(99999, text), 0);
  EXPECT_EQ(text, "unchanged");
  ASSERT_EQ(LoadString(32775, text), 1);
  EXPECT_EQ(text, "Imports items from a Quillon Archive");

  for (int id : {5001, 5002, 5003, 5004}) {
    const CDialogLayout* layout = FindDialogLayout(id);
    ASSERT_NE(layout, nullptr) << id;
    EXPECT_EQ(layout->m_nId, id);
  }
  EXPECT_EQ(FindDialogLayout(4999), nullptr);
}

TEST_F(Resources, BitmapsAreSixteenColourFilesOfTheirSizes) {
  const struct {
    unsigned id;
    int cx, cy;
  } sizes[] = {{1004, 16, 16}, {1005, 32, 32}, {1006, 64, 16}, {1007, 128, 32}};
  for (const auto& size : sizes) {
    const std::unique_ptr<CBitmap> bitmap = LoadBitmap(size.id);
    ASSERT_NE(bitmap, nullptr) << size.id;
    EXPECT_EQ(bitmap->GetWidth(), size.cx) << size.id;
    EXPECT_EQ(bitmap->GetHeight(), size.cy) << size.id;
    EXPECT_LE(bitmap->GetPalette().size(), 16u);
    EXPECT_EQ(bitmap->GetPixel(0, 0), (CRgb{255, 0, 0})) << size.id;  // a transparent corner
  }
}

}  // namespace

}  // namespace blastsearch
