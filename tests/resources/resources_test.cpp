// The program's resources as the windows look them up.
#include <gtest/gtest.h>

#include <string>

#include "platform/DialogLayout.h"
#include "platform/StringTable.h"

namespace {

TEST(Resources, StringsAndLayoutsByIdentifier) {
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

}  // namespace
