#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/db/DBEngine.h"
#include "host/db/ObjInfo.h"

namespace blastsearch {

namespace {

// Puts the engine's openers back as they were found (empty here: the tests
// of this program install none elsewhere).
class ObjectViewerTest : public ::testing::Test {
 protected:
  void TearDown() override {
    engine().SetObjectOpener({});
    for (int type : {7, 8, 9}) engine().SetObjectViewer(type, {});
  }
  std::vector<std::string> m_calls;
};

TEST_F(ObjectViewerTest, ObjectsOpenInTheirTypesViewerOrElseTheGeneralOpener) {
  engine().SetObjectOpener([this](CObjInfo* info) {
    m_calls.push_back("opener " + info->m_name);
    return 5;
  });
  engine().SetObjectViewer(7, [this](CObjInfo* info) {
    m_calls.push_back("viewer7 " + info->m_name);
    return 1;
  });
  engine().SetObjectViewer(8, [this](CObjInfo* info) {
    m_calls.push_back("viewer8 " + info->m_name);
    return 0;
  });
  CObjInfo seven(7, 1, "a");
  CObjInfo eight(8, 2, "b");
  CObjInfo nine(9, 3, "c");
  EXPECT_EQ(engine().OpenObject(&seven), 1);
  EXPECT_EQ(engine().OpenObject(&eight), 0);  // the viewer's answer, no fallback
  EXPECT_EQ(engine().OpenObject(&nine), 5);
  EXPECT_EQ(m_calls, (std::vector<std::string>{"viewer7 a", "viewer8 b", "opener c"}));
  EXPECT_EQ(engine().HasObjectViewer(7), 1);
  EXPECT_EQ(engine().HasObjectViewer(9), 0);

  // Replacing and removing viewers.
  engine().SetObjectViewer(7, [](CObjInfo*) { return 3; });
  EXPECT_EQ(engine().OpenObject(&seven), 3);
  engine().SetObjectViewer(7, {});
  EXPECT_EQ(engine().HasObjectViewer(7), 0);
  EXPECT_EQ(engine().OpenObject(&seven), 5);
}

TEST_F(ObjectViewerTest, NothingOpensWithoutViewerOrOpenerOrObject) {
  CObjInfo seven(7, 1, "a");
  EXPECT_EQ(engine().OpenObject(&seven), 0);
  engine().SetObjectViewer(7, [](CObjInfo*) { return 1; });
  engine().SetObjectOpener([](CObjInfo*) { return 1; });
  EXPECT_EQ(engine().OpenObject(nullptr), 0);
}

}  // namespace

}  // namespace blastsearch
