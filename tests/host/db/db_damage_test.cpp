// The object database damaged on purpose: an archive whose checksum or
// record bytes changed, a stored record changed behind the database's back,
// a list row that no longer matches its record. Each case checks what the
// user is told and that nothing damaged passes for sound data.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <memory>
#include <string>

#include "host/OrvTextFile.h"
#include "host/db/DBEngine.h"
#include "host/db/DBFunctions.h"
#include "host/db/NoteTable.h"
#include "platform/File.h"
#include "platform/UserInteraction.h"
#include "support/Corpus.h"
#include "support/TempDatabase.h"

namespace blastsearch {

namespace {

class DBDamageTest : public ::testing::Test {
 public:  // the cases' lambdas use the helper verbs
  void SetUp() override {
    for (const char* text : {"first note", "second note", "third note"}) {
      CNoteObject note;
      note.m_name = std::string(text).substr(0, std::string(text).find(' '));
      note.m_text.SetText(text);
      note.m_creationTime = 1000;
      std::string subbase;
      ASSERT_EQ(m_table.InsertObject(0, &note, 2, subbase, 1), 1) << LastMessage();
    }
    ASSERT_EQ(m_table.WriteObjectsToArchive({}, COrvFileSpec(ArchivePath()), "", 1, nullptr, 0), 1)
        << LastMessage();
    m_archive = ReadWholeFile(ArchivePath());
  }

  std::string ArchivePath() const { return (m_db.Dir() / "notes.ar").string(); }
  std::string LastMessage() const {
    return m_ui.Messages().empty() ? "" : m_ui.Messages().back().strText;
  }

  // Where the heading of archive object `number` (from 1) begins.
  std::size_t ObjectHeading(int number) const {
    std::size_t at = m_archive.find("\nobject ");
    for (int i = 1; i < number && at != std::string::npos; ++i) {
      at = m_archive.find("\nobject ", at + 1);
    }
    return at == std::string::npos ? at : at + 1;
  }
  // Changes one hex digit of the checksum in object `number`'s heading.
  void CorruptArchiveChecksum(int number) {
    const std::size_t lineEnd = m_archive.find('\n', ObjectHeading(number));
    char& digit = m_archive[lineEnd - 1];
    digit = digit == '0' ? '1' : '0';
  }
  // Changes `from` to `to` (of the same length) inside the archive's
  // records, so that each record still reads as a record.
  void CorruptArchiveRecord(const std::string& from, const std::string& to) {
    const std::size_t at = m_archive.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    ASSERT_EQ(from.size(), to.size());
    m_archive.replace(at, from.size(), to);
  }
  // Imports the (damaged) archive into a fresh database 2; the table's answer.
  int ImportArchive() {
    std::filesystem::remove(ArchivePath());
    CFile out(ArchivePath(), CFile::modeWrite | CFile::modeCreate);
    out.Write(m_archive.data(), m_archive.size());
    out.Close();
    return m_table.ReadObjectsFromArchive(COrvFileSpec(ArchivePath()), "in", 2, nullptr, 0);
  }

  // Runs `sql` on database 1's file through a connection of its own.
  void RawSql(const std::string& sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(m_db.File().string().c_str(), &db), SQLITE_OK);
    char* error = nullptr;
    const int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error);
    const std::string message = error != nullptr ? error : "";
    sqlite3_free(error);
    sqlite3_close(db);
    ASSERT_EQ(rc, SQLITE_OK) << message;
  }
  std::string RecordKey(const std::string& name) {
    return std::to_string((static_cast<long long>(CNoteTable::kTable) << 32) |
                          static_cast<long long>(m_table.GetObjId(name.c_str(), 1)));
  }
  // Changes a byte of `name`'s stored record, leaving its checksum as it was.
  void CorruptStoredRecord(const std::string& name) {
    RawSql("UPDATE records SET data = replace(data, 'note', 'nose') WHERE key = " +
           RecordKey(name));
  }
  // Sets `column` of `name`'s row in the object list to `value` (SQL).
  void CorruptListRow(const std::string& name, const std::string& column,
                      const std::string& value) {
    RawSql("UPDATE objects SET " + column + " = " + value +
           " WHERE tbl = " + std::to_string(CNoteTable::kTable) + " AND name = '" + name + "'");
  }
  std::string StoredText(const std::string& name, int dbId = 1) {
    std::unique_ptr<CDBObjectBase> object(m_table.GetObjectData(name.c_str(), dbId));
    auto* note = dynamic_cast<CNoteObject*>(object.get());
    return note == nullptr ? "<unreadable>" : note->m_text.GetText();
  }

  CScriptedUserInteraction m_ui;
  CTempDatabase m_db;
  CTempDatabase m_target{2, "target"};
  CNoteTable& m_table = Notes();
  std::string m_archive;
};

TEST_F(DBDamageTest, AnArchiveWhoseBytesDifferFromTheirChecksumStoresNothing) {
  const struct {
    const char* what;
    void (*corrupt)(DBDamageTest&);
    int object;
  } cases[] = {
      {"a checksum digit of the second object",
       [](DBDamageTest& t) { t.CorruptArchiveChecksum(2); }, 2},
      {"a checksum digit of the last object", [](DBDamageTest& t) { t.CorruptArchiveChecksum(3); },
       3},
      {"a letter of the second record's text",
       [](DBDamageTest& t) { t.CorruptArchiveRecord("second note", "second nose"); }, 2},
      {"a letter of the first record's name",
       [](DBDamageTest& t) { t.CorruptArchiveRecord("first note", "firsT note"); }, 1},
  };
  const std::string intact = m_archive;
  for (const auto& c : cases) {
    m_archive = intact;
    const std::size_t heading = ObjectHeading(c.object);
    c.corrupt(*this);
    EXPECT_EQ(ImportArchive(), 0) << c.what;
    const std::string said = LastMessage();
    EXPECT_NE(said.find(ArchivePath() + ": object " + std::to_string(c.object) + " at byte " +
                        std::to_string(heading) + " is damaged: its bytes differ"),
              std::string::npos)
        << c.what << ": " << said;
    EXPECT_NE(said.find("nothing of it was stored"), std::string::npos) << c.what << ": " << said;
    EXPECT_EQ(m_table.getobjlist(2).GetCount(), 0u) << c.what;
    EXPECT_EQ(m_table.getsblist(2).GetCount(), 0u) << c.what;
  }
  m_archive = intact;
  EXPECT_EQ(ImportArchive(), 1) << LastMessage();
  EXPECT_EQ(StoredText("second", 2), "second note");
}

TEST_F(DBDamageTest, AStoredRecordChangedBehindTheDatabaseIsNamedDamagedNeverShown) {
  CorruptStoredRecord("second");
  EXPECT_EQ(StoredText("second"), "<unreadable>");
  EXPECT_EQ(StoredText("first"), "first note");
  EXPECT_EQ(m_table.getobjlist(1).GetCount(), 3u);  // the list still names it

  struct {
    const char* what;
    int (*act)(DBDamageTest&);
    std::string said;
  } const cases[] = {
      {"archiving it",
       [](DBDamageTest& t) {
         return t.m_table.WriteObjectsToArchive(
             {"first", "second"}, COrvFileSpec(t.ArchivePath() + "2"), "", 1, nullptr, 0);
       },
       "The item \"second\" is damaged and can't be archived"},
      {"copying it",
       [](DBDamageTest& t) {
         std::vector<std::string> names;
         return t.m_table.DuplicateObjectInSubbase(
             1, "", FindObject(CNoteObject::kType, 1, "second"), names);
       },
       "The item \"second\" can't be read from the database"},
      {"adding a keyword to it",
       [](DBDamageTest& t) {
         CDBField keyword;
         keyword.m_fieldId = kFieldKeyword;
         keyword.m_strValue = "kw";
         return t.m_table.InsertDBValue(1, FindObject(CNoteObject::kType, 1, "second"), keyword, 0);
       },
       "The record of \"second\" is damaged"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.act(*this), 0) << c.what;
    EXPECT_EQ(LastMessage(), c.said) << c.what;
  }
  EXPECT_FALSE(std::filesystem::exists(ArchivePath() + "2"));
  EXPECT_EQ(m_table.getobjlist(1).GetCount(), 3u);
}

TEST_F(DBDamageTest, AListRowPointingAtNoRecordReadsAsNothingAndIsNotArchived) {
  CorruptListRow("first", "id", "id + 1000");
  EXPECT_EQ(m_table.getobjlist(1).GetCount(), 3u);  // another connection's change, read again
  EXPECT_EQ(StoredText("first"), "<unreadable>");
  EXPECT_EQ(StoredText("third"), "third note");
  EXPECT_EQ(m_table.WriteObjectsToArchive({"third", "first"}, COrvFileSpec(ArchivePath() + "2"), "",
                                          1, nullptr, 0),
            0);
  EXPECT_EQ(LastMessage(), "The item \"first\" is not in the database");
  EXPECT_FALSE(std::filesystem::exists(ArchivePath() + "2"));
}

// An archive that can't be written is said to be so, naming the file and
// the system's reason; no file is left behind and the database is as it was.
TEST_F(DBDamageTest, AnArchiveThatCannotBeWrittenNamesTheFileAndWhy) {
  const std::string folder = (m_db.Dir() / "a folder").string();
  std::filesystem::create_directory(folder);
  const struct {
    std::string path;
    std::string reason;
  } cases[] = {
      {(m_db.Dir() / "missing" / "notes.ar").string(), "No such file or directory"},
      {folder, "Is a directory"},
      {"/dev/full", "No space left on device"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(m_table.WriteObjectsToArchive({}, COrvFileSpec(c.path), "", 1, nullptr, 0), 0)
        << c.path;
    const std::string said = LastMessage();
    EXPECT_EQ(said.rfind("The archive can't be written:\n", 0), 0u) << said;
    EXPECT_NE(said.find(c.path), std::string::npos) << said;
    EXPECT_NE(said.find(c.reason), std::string::npos) << said;
  }
  EXPECT_FALSE(std::filesystem::exists(m_db.Dir() / "missing"));
  EXPECT_TRUE(std::filesystem::is_empty(folder));
  EXPECT_EQ(m_table.getobjlist(1).GetCount(), 3u);
}

}  // namespace

}  // namespace blastsearch
