// Changes of stored objects under the write lock, subbase names cut whole,
// and comment files left behind by killed writers.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>

#include "host/db/DBEngine.h"
#include "host/db/DBException.h"
#include "host/db/NoteTable.h"
#include "host/db/SqliteStorage.h"
#include "platform/UserInteraction.h"
#include "support/TempDatabase.h"

namespace blastsearch {

CNoteTable& Notes();

namespace {

namespace fs = std::filesystem;

class DBChangeTest : public ::testing::Test {
 protected:
  CObjInfo* Store(const std::string& name) {
    CNoteObject note;
    note.m_name = name;
    std::string none;
    if (m_table.InsertObject(0, &note, 2, none, 1) == 0) return nullptr;
    return m_table.getobjlist(1).FindById(note.m_recordId);
  }

  CScriptedUserInteraction m_ui;
  CTempDatabase m_db;
  CNoteTable& m_table = Notes();
};

// The object a change sees is read under the write lock: no other connection
// can write until the change is stored, and an object gone meanwhile is not
// stored again.
TEST_F(DBChangeTest, AChangeHoldsTheWriteLockFromItsReadingToItsStoring) {
  CObjInfo* info = Store("locked");
  ASSERT_NE(info, nullptr);
  const unsigned long id = info->m_objId;
  auto other = OpenSqliteStorage(m_db.File().string(), nullptr, 0);
  bool otherWrote = true;
  ASSERT_EQ(m_table.ChangeStoredObject(1, id, "locked",
                                       [&](CDBObjectBase& object) {
                                         try {
                                           CDBWriteTransaction write(*other);
                                           write.Commit();
                                         } catch (const CDBException&) {
                                           otherWrote = false;
                                         }
                                         object.m_keywords.push_back("mine");
                                         return EObjectChange::kStore;
                                       }),
            1);
  EXPECT_FALSE(otherWrote);

  struct Case {
    EObjectChange verdict;
    int result;
  };
  for (const Case& c : {Case{EObjectChange::kUnchanged, 1}, Case{EObjectChange::kRefuse, 0}}) {
    EXPECT_EQ(m_table.ChangeStoredObject(1, id, "locked",
                                         [&](CDBObjectBase& object) {
                                           object.m_keywords.push_back("dropped");
                                           return c.verdict;
                                         }),
              c.result);
  }
  std::unique_ptr<CDBObjectBase> stored(m_table.GetObjectData(id, nullptr, 1));
  ASSERT_NE(stored, nullptr);
  EXPECT_EQ(stored->m_keywords, std::vector<std::string>{"mine"});

  ASSERT_TRUE(other->DeleteObject(CNoteTable::kTable, id));
  EXPECT_EQ(m_table.ChangeStoredObject(1, id, "locked",
                                       [](CDBObjectBase&) { return EObjectChange::kStore; }),
            0);
  EXPECT_NE(m_ui.Messages().back().strText.find("no longer in the database"), std::string::npos);
  EXPECT_EQ(other->CountObjects(CNoteTable::kTable), 0u);
}

// Long subbase names are cut at a character's start, and the same long name
// finds the subbase again.
TEST_F(DBChangeTest, LongSubbaseNamesAreCutWholeAndFoundByTheSameName) {
  ASSERT_NE(Store("member"), nullptr);
  struct Case {
    std::string name;
    std::size_t stored;
  };
  const std::vector<Case> cases = {
      {std::string(300, 'a'), 250},
      {"b" +
           [] {
             std::string text;
             for (int i = 0; i < 150; ++i) text += "\xC3\xA9";  // é, two bytes
             return text;
           }(),
       249},
      {std::string(250, 'c'), 250},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name.substr(0, 4));
    ASSERT_EQ(m_table.NewSubbase(1, c.name, {"member"}, 0), 1);
    EXPECT_EQ(SubbaseNameOf(c.name).size(), c.stored);
    std::vector<std::string> names;
    EXPECT_TRUE(m_table.SubbaseObjectNames(1, c.name, names));
    EXPECT_EQ(names, std::vector<std::string>{"member"});
    EXPECT_EQ(m_table.ClearSubbase(1, c.name), 1);
  }
}

// Cleanup removes the new comment files of writers that are gone, and keeps
// those of a running writer and every comment of a stored object.
TEST_F(DBChangeTest, CleanupRemovesNewFilesOfWritersThatAreGone) {
  CObjInfo* info = Store("commented");
  ASSERT_NE(info, nullptr);
  const fs::path comment =
      engine().MakeCommentFileName(CNoteObject::kType, info->m_objId, 1).GetPath();
  fs::create_directories(comment.parent_path());
  std::ofstream(comment) << "kept\n";
  const pid_t gone = ::fork();
  if (gone == 0) ::_exit(0);
  ::waitpid(gone, nullptr, 0);
  const std::string base = "." + comment.filename().string() + ".tmp-";
  const fs::path dead = comment.parent_path() / (base + std::to_string(gone) + "-0");
  const fs::path live = comment.parent_path() / (base + std::to_string(::getpid()) + "-0");
  const fs::path odd = comment.parent_path() / (base + "x-0");
  for (const fs::path& path : {dead, live, odd}) std::ofstream(path) << "part";
  std::vector<std::string> removed;
  EXPECT_TRUE(m_table.Cleanup(1, nullptr, 0, removed, 0, 0));
  EXPECT_EQ(removed, std::vector<std::string>{dead.string()});
  EXPECT_TRUE(fs::exists(comment));
  EXPECT_TRUE(fs::exists(live));
}

}  // namespace

}  // namespace blastsearch
