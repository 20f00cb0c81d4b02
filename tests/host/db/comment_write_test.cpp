// A copy's comment that cannot be written is reported, never passed over.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "host/db/DBEngine.h"
#include "host/db/NoteTable.h"
#include "host/db/ObjInfo.h"
#include "platform/UserInteraction.h"
#include "support/TempDatabase.h"

namespace blastsearch {

namespace {

struct CopyCase {
  const char* what;
  bool blocked;         // a folder stands where the copy's comment file goes
  int expected;         // DuplicateObjectInSubbase's answer
  const char* message;  // the last message shown; "" none
};

TEST(CommentWriteTest, DuplicateTellsWhetherItsCommentWasWritten) {
  const std::vector<CopyCase> cases = {
      {"written", false, 1, ""},
      {"blocked", true, 0, "The comment of \"a copy\" can't be written; the copy was stored"},
  };
  for (const CopyCase& c : cases) {
    CScriptedUserInteraction ui;
    CTempDatabase db;
    CNoteTable& table = Notes();
    CNoteObject note;
    note.m_name = "a";
    std::string subbase;
    ASSERT_EQ(table.InsertObject(0, &note, 2, subbase, 1), 1) << c.what;
    note.m_comments = {"a comment"};
    ASSERT_EQ(note.InsertComment(1), 1) << c.what;
    CObjInfo* info = table.getobjlist(1).FindById(note.m_recordId);
    ASSERT_NE(info, nullptr) << c.what;
    // Record identifiers are handed out in turn: the copy gets the next one.
    const std::filesystem::path copyComment =
        engine().MakeCommentFileName(CNoteObject::kType, note.m_recordId + 1, 1).GetPath();
    if (c.blocked) std::filesystem::create_directories(copyComment / "in the way");

    std::vector<std::string> made;
    EXPECT_EQ(table.DuplicateObjectInSubbase(1, "MAIN", info, made), c.expected) << c.what;
    EXPECT_EQ(made, std::vector<std::string>{"a copy"}) << c.what;  // stored either way
    const std::string last = ui.Messages().empty() ? "" : ui.Messages().back().strText;
    EXPECT_EQ(last, c.message) << c.what;
    EXPECT_EQ(std::filesystem::is_regular_file(copyComment), !c.blocked) << c.what;
  }
}

}  // namespace

}  // namespace blastsearch
