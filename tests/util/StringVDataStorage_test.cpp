#include "util/StringVDataStorage.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "host/KaArchive.h"
#include "host/RttiLink.h"
#include "platform/File.h"

namespace blastsearch {

namespace {

using Items = std::vector<std::pair<std::string, std::string>>;

Items ItemsOf(const CStringVDataStorage& storage) {
  Items items;
  for (int i = 0; i < storage.GetCount(); ++i) {
    CStringVDataItem item = storage.GetItem(i);
    items.emplace_back(item.m_strKey, item.m_strValue);
  }
  return items;
}

TEST(StringVDataStorage, SetKeepsKeysUniqueAndInPlace) {
  CStringVDataStorage storage;
  storage.Set("a", "1");
  storage.Set("b", "2");
  storage.Set("a", "3");
  storage.Set("A", "4");  // letter case counts
  EXPECT_EQ(ItemsOf(storage), (Items{{"a", "3"}, {"b", "2"}, {"A", "4"}}));

  std::string value = "kept";
  int index = -1;
  EXPECT_EQ(storage.Lookup("b", value, &index), 1);
  EXPECT_EQ(value, "2");
  EXPECT_EQ(index, 1);
  EXPECT_EQ(storage.Lookup("A", value, nullptr), 1);
  EXPECT_EQ(value, "4");
  value = "kept";
  EXPECT_EQ(storage.Lookup("c", value, &index), 0);
  EXPECT_EQ(value, "kept");
  EXPECT_EQ(index, 1);
}

TEST(StringVDataStorage, IndexOutOfRangeLeavesOutputsAlone) {
  CStringVDataStorage storage;
  storage.Set("k", "v");
  for (int index : {-1, 1, 1000}) {
    std::string key = "key";
    std::string value = "value";
    EXPECT_EQ(storage.Get(index, key, value), 0) << index;
    EXPECT_EQ(key, "key");
    EXPECT_EQ(value, "value");
    CStringVDataItem item = storage.GetItem(index);
    EXPECT_EQ(item.m_strKey, "");
    EXPECT_EQ(item.m_strValue, "");
  }
  std::string key;
  std::string value;
  EXPECT_EQ(storage.Get(0, key, value), 1);
  EXPECT_EQ(key, "k");
  EXPECT_EQ(value, "v");
}

TEST(StringVDataStorage, AssignmentReplacesAllItems) {
  CStringVDataStorage source;
  source.Set("a", "1");
  source.Set("b", "2");
  CStringVDataStorage target;
  target.Set("old", "x");
  target = source;
  EXPECT_EQ(ItemsOf(target), ItemsOf(source));
  CStringVDataStorage copy(source);
  source.RemoveAll();
  EXPECT_EQ(source.GetCount(), 0);
  EXPECT_EQ(ItemsOf(copy), (Items{{"a", "1"}, {"b", "2"}}));
}

TEST(StringVDataStorage, LinkCreatesTheClassByName) {
  const UX_RTTI_LINK* link = UX_RTTI_LINK::FromName("~Data~");
  ASSERT_NE(link, nullptr);
  EXPECT_EQ(link->GetClass(), RUNTIME_CLASS(CStringVDataStorage));
  EXPECT_EQ(link->GetCreateFunction(), nullptr);
  EXPECT_EQ(link->GetOtherClass(), nullptr);
  EXPECT_EQ(CRuntimeClass::FromName("CStringVDataStorage"), RUNTIME_CLASS(CStringVDataStorage));
  std::unique_ptr<CObject> created(link->GetClass()->CreateObject());
  ASSERT_NE(created, nullptr);
  EXPECT_TRUE(created->IsKindOf(RUNTIME_CLASS(CStringVDataStorage)));
}

TEST(StringVDataStorage, StoresOneElementPerItemWithoutCount) {
  CStringVDataStorage storage;
  storage.Set("a", "1");
  storage.Set("key", "two words");
  CMemFile file;
  {
    CKaArchive out(&file, 0);
    storage.Serialize(out);
  }
  file.Seek(0, CFile::begin);
  CKaArchive in(&file, 1);
  std::vector<std::string> strings;
  while (!in.AtEnd()) {
    std::string s;
    in(s);
    strings.push_back(s);
  }
  EXPECT_EQ(strings, (std::vector<std::string>{"<a>1</a>", "<key>two words</key>"}));
}

TEST(StringVDataStorage, LoadingSkipsStringsThatAreNotElements) {
  CMemFile file;
  {
    CKaArchive out(&file, 0);
    for (std::string s : {"<a>1</a>", "no tags", "", "</x>", "<b>2</b>", "<a>again</a>"}) out(s);
  }
  file.Seek(0, CFile::begin);
  CStringVDataStorage storage;
  storage.Set("stale", "gone");
  CKaArchive in(&file, 1);
  storage.Serialize(in);
  // Stored duplicates are kept as they are; Lookup finds the first.
  EXPECT_EQ(ItemsOf(storage), (Items{{"a", "1"}, {"b", "2"}, {"a", "again"}}));
  std::string value;
  EXPECT_EQ(storage.Lookup("a", value, nullptr), 1);
  EXPECT_EQ(value, "1");
}

TEST(StringVDataStorage, EmbeddedRecordEndsWithItsObject) {
  CStringVDataStorage storage;
  storage.Set("a", "1");
  storage.Set("b", "");
  CStringVDataStorage empty;
  CMemFile file;
  {
    CKaArchive out(&file, 0);
    out.XData(nullptr, &storage, 1);
    out.XData(nullptr, &empty, 1);
    int after = 42;
    out(after);
  }
  file.Seek(0, CFile::begin);
  CKaArchive in(&file, 1);
  CStringVDataStorage loaded;
  loaded.Set("stale", "x");
  CStringVDataStorage loadedEmpty;
  loadedEmpty.Set("stale", "x");
  in.XData(nullptr, &loaded, 1);
  in.XData(nullptr, &loadedEmpty, 1);
  int after = 0;
  in(after);
  EXPECT_EQ(ItemsOf(loaded), ItemsOf(storage));
  EXPECT_EQ(loadedEmpty.GetCount(), 0);
  EXPECT_EQ(after, 42);
  EXPECT_NE(in.AtEnd(), 0);
}

TEST(StringVDataStorage, TruncatedDataRaisesAndKeepsWhatWasRead) {
  CMemFile whole;
  {
    CKaArchive out(&whole, 0);
    for (std::string s : {"<a>1</a>", "<b>2</b>"}) out(s);
  }
  CMemFile cut(whole.Data().substr(0, whole.Data().size() - 3));
  CKaArchive in(&cut, 1);
  CStringVDataStorage storage;
  EXPECT_THROW(storage.Serialize(in), CKaArchiveException);
  EXPECT_EQ(ItemsOf(storage), (Items{{"a", "1"}}));
}

}  // namespace

}  // namespace blastsearch
