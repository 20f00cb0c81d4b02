#include <gtest/gtest.h>
#include <sqlite3.h>

#include <chrono>
#include <ctime>
#include <memory>
#include <thread>

#include "host/OrvMessageBox.h"
#include "host/OrvTextFile.h"
#include "host/db/DBEngine.h"
#include "host/db/DBException.h"
#include "host/db/DBFunctions.h"
#include "host/db/NoteTable.h"
#include "host/db/SqliteStorage.h"
#include "platform/File.h"
#include "platform/UserInteraction.h"
#include "support/Corpus.h"
#include "support/StorageBackends.h"
#include "support/TempDatabase.h"

namespace blastsearch {

CNoteTable& Notes() {
  static CNoteTable table;
  return table;
}

namespace {

// Registered before any database opens, so that new databases prepare it.
const CNoteTable& g_registered = Notes();

void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
  CFile out(path.string(), CFile::modeWrite | CFile::modeCreate);
  out.Write(bytes.data(), bytes.size());
}

// Runs `sql` on the database file through a connection of its own.
void RawSql(const std::filesystem::path& file, const std::string& sql) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(file.string().c_str(), &db), SQLITE_OK);
  char* error = nullptr;
  const int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error);
  std::string message = error != nullptr ? error : "";
  sqlite3_free(error);
  sqlite3_close(db);
  ASSERT_EQ(rc, SQLITE_OK) << message;
}

// The engine over each backend: a folder's database, and one on the tests'
// PostgreSQL server (what concerns a folder's files only runs on SQLite).
// Whether `holds` comes true within five seconds.
template <class Condition>
bool Eventually(Condition holds) {
  for (int i = 0; i < 500; ++i) {
    if (holds()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return holds();
}

class DBTest : public ::testing::TestWithParam<std::string> {
 protected:
  DBTest() : m_db(1, "db", GetParam()) {}
  void SetUp() override {
    if (!m_db.SkipReason().empty()) GTEST_SKIP() << m_db.SkipReason();
  }
  bool IsServer() const { return GetParam() != "sqlite"; }
  // Stores a new note; its list record, or null.
  CObjInfo* Store(const std::string& name, const std::string& text = "",
                  const std::string& subbase = "", int dbId = 1) {
    CNoteObject note;
    note.m_name = name;
    note.m_text.SetText(text);
    note.m_creationTime = 1000;
    std::string target = subbase;
    if (m_table.InsertObject(0, &note, 2, target, dbId) == 0) return nullptr;
    return m_table.getobjlist(dbId).FindById(note.m_recordId);
  }
  std::unique_ptr<CNoteObject> Read(const std::string& name, int dbId = 1) {
    CDBObjectBase* object = m_table.GetObjectData(name.c_str(), dbId);
    return std::unique_ptr<CNoteObject>(dynamic_cast<CNoteObject*>(object));
  }
  std::vector<std::string> Names(const std::string& subbase = "MAIN", int dbId = 1) {
    std::vector<std::string> names;
    m_table.SubbaseObjectNames(dbId, subbase, names);
    return names;
  }
  std::string LastMessage() const {
    return m_ui.Messages().empty() ? "" : m_ui.Messages().back().strText;
  }
  std::string Record(const std::string& name) {
    std::string record;
    // None stored: an empty record.
    (void)engine().Storage(1)->ReadRecord(CNoteTable::kTable, m_table.GetObjId(name.c_str(), 1),
                                          record);
    return record;
  }

  CScriptedUserInteraction m_ui;
  CTempDatabase m_db;
  CNoteTable& m_table = Notes();
};

INSTANTIATE_TEST_SUITE_P(Backends, DBTest, ::testing::ValuesIn(StorageBackendNames()),
                         BackendTestName);

TEST_P(DBTest, EveryCommonFieldSurvivesTheStoredRecord) {
  CUDFieldDef lab;
  lab.m_strName = "Lab";
  lab.m_objType = CNoteObject::kType;
  const int labId = engine().Storage(1)->PutUDFieldDef(lab);
  CNoteObject note;
  note.m_name = "tab\there, back\\slash\nnew line";
  note.m_creationTime = 1700000000;
  note.m_sheetKind = 3;
  note.m_localFlags = 1;
  note.m_creator.m_strName = "Ada";
  note.m_creator.m_strEmail = "ada@example.org";
  note.m_originalAuthor.m_strName = "Charles\tB.";
  note.m_description = "two\nlines";
  note.m_keywords = {"alpha", "beta"};
  note.m_udfValues = {CUDFieldValue{"Lab", {"A", "B"}}};
  note.m_text.SetText("@1:not a field\n");
  std::string subbase;
  ASSERT_EQ(m_table.InsertObject(0, &note, 2, subbase, 1), 1);

  auto back = Read(note.m_name);
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->m_name, note.m_name);
  EXPECT_EQ(back->m_recordId, note.m_recordId);
  EXPECT_EQ(back->m_creationTime, note.m_creationTime);
  EXPECT_EQ(back->m_sheetKind, 3);
  EXPECT_EQ(back->m_localFlags, 1);
  EXPECT_EQ(back->m_creator, note.m_creator);
  EXPECT_EQ(back->m_originalAuthor, note.m_originalAuthor);
  EXPECT_EQ(back->m_description, note.m_description);
  EXPECT_EQ(back->m_keywords, note.m_keywords);
  ASSERT_EQ(back->m_udfValues.size(), 1u);
  EXPECT_EQ(back->m_udfValues[0].m_values, (std::vector<std::string>{"A", "B"}));
  EXPECT_EQ(back->m_text.GetText(), "@1:not a field\n");

  // The stored form is exactly what the table writes for the object.
  COrvTextFile file{COrvFileSpec("memory")};
  file.OpenMemoryOutput();
  m_table.WriteObject(back.get(), file, 0);
  EXPECT_EQ(Record(note.m_name), file.MemoryData());

  // Field values come from the list columns and stored values.
  const CObjInfo* info = FindObject(CNoteObject::kType, 1, note.m_name);
  ASSERT_NE(info, nullptr);
  struct {
    int field;
    std::string value;
  } const cases[] = {{kFieldName, note.m_name},
                     {kFieldUID, std::to_string(note.m_recordId)},
                     {kFieldCreationTime, "2023-11-14T22:13:20Z"},
                     {kFieldAuthorName, "Ada"},
                     {labId, "A; B"}};
  for (const auto& c : cases) {
    CDBFieldDef def;
    def.m_fieldId = c.field;
    std::string value;
    EXPECT_EQ(m_table.GetFieldValue(1, info, &def, value), 1) << c.field;
    EXPECT_EQ(value, c.value) << c.field;
  }
  EXPECT_EQ(m_table.getkwlist(1), (std::vector<std::string>{"alpha", "beta"}));
}

TEST_P(DBTest, StoredNamesAreUniqueInTheTable) {
  ASSERT_NE(Store("Ticks-0000002A", "one"), nullptr);
  ASSERT_NE(Store("Ticks-0000002A", "two"), nullptr);
  ASSERT_NE(Store("Ticks-0000002A", "three"), nullptr);
  EXPECT_EQ(Names(),
            (std::vector<std::string>{"Ticks-0000002A", "Ticks-0000002A_2", "Ticks-0000002A_3"}));
  const auto readSecond = Read("Ticks-0000002A_2");
  ASSERT_NE(readSecond, nullptr);
  EXPECT_EQ(readSecond->m_text.GetText(), "two");

  // Identifiers handed out are never handed out again, and the name offered
  // is already made unique.
  std::string name = "Ticks-0000002A";
  unsigned long first = 0;
  unsigned long second = 0;
  ASSERT_EQ(GetSaveObjIdFromTable(CNoteTable::kTable, nullptr, name, first, 2, 1, nullptr, 1), 1);
  EXPECT_EQ(name, "Ticks-0000002A_4");
  ASSERT_EQ(GetSaveObjIdFromTable(CNoteTable::kTable, nullptr, name, second, 2, 1, nullptr, 1), 1);
  EXPECT_GT(second, first);

  // Storing under the identifier of a stored object replaces it, name kept.
  auto stored = Read("Ticks-0000002A");
  stored->m_text.SetText("changed");
  std::string none;
  ASSERT_EQ(m_table.InsertObject(stored->m_recordId, stored.get(), 2, none, 1), 1);
  EXPECT_EQ(stored->m_name, "Ticks-0000002A");
  EXPECT_EQ(m_table.getobjlist(1).GetCount(), 3u);
  const auto changed = Read("Ticks-0000002A");
  ASSERT_NE(changed, nullptr);
  EXPECT_EQ(changed->m_text.GetText(), "changed");

  // Underneath, the storage refuses a second object of a name, inside a
  // transaction too, and replaces the list columns of the same identifier.
  CDBStorage& storage = *engine().Storage(1);
  CStoredObject row;
  ASSERT_TRUE(storage.FindObjectByName(CNoteTable::kTable, "Ticks-0000002A_2", &row));
  CStoredObject other = row;
  other.m_recordId = second + 1;
  EXPECT_THROW(storage.PutObject(CNoteTable::kTable, other, "record"), CDBException);
  storage.BeginWrite();
  EXPECT_THROW(storage.PutObject(CNoteTable::kTable, other, "record"), CDBException);
  storage.Rollback();
  EXPECT_FALSE(storage.FindObjectById(CNoteTable::kTable, other.m_recordId, nullptr));
  row.m_tableText = "new list text";
  storage.PutObject(CNoteTable::kTable, row, "its record");
  CStoredObject back;
  ASSERT_TRUE(storage.FindObjectById(CNoteTable::kTable, row.m_recordId, &back));
  EXPECT_EQ(back.m_name, "Ticks-0000002A_2");
  EXPECT_EQ(back.m_tableText, "new list text");
  EXPECT_EQ(storage.CountObjects(CNoteTable::kTable), 3u);
}

TEST_P(DBTest, AnotherConnectionsChangesReachTheListsAndNamesStayUnique) {
  engine().OpenDatabase(m_db.Address(), 2);
  CObjInfo* kept = Store("kept");
  ASSERT_NE(kept, nullptr);
  ASSERT_NE(Store("x", "from two", "", 2), nullptr);
  // A server tells of another connection's commit a moment after it.
  ASSERT_TRUE(Eventually([&] { return m_table.getobjlist(1).GetCount() == 2u; }));
  EXPECT_EQ(m_table.getobjlist(1).FindById(kept->m_objId), kept);  // the record stayed
  CObjInfo* second = Store("x", "from one");
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(second->m_name, "x_2");
  EXPECT_TRUE(Eventually([] { return FindObject(CNoteObject::kType, 2, "x_2") != nullptr; }));

  // Both connections are offered the same identifier; the one that stores
  // second gets another, and nothing of the first is replaced.
  CNoteObject one;
  CNoteObject two;
  one.m_name = "one";
  two.m_name = "two";
  unsigned long idOne = 0;
  unsigned long idTwo = 0;
  ASSERT_EQ(GetSaveObjIdFromTable(CNoteTable::kTable, nullptr, one.m_name, idOne, 2, 1, nullptr, 1),
            1);
  ASSERT_EQ(GetSaveObjIdFromTable(CNoteTable::kTable, nullptr, two.m_name, idTwo, 2, 2, nullptr, 1),
            1);
  EXPECT_EQ(idOne, idTwo);
  std::string none;
  ASSERT_EQ(m_table.InsertObject(idTwo, &two, 2, none, 2), 1);
  ASSERT_EQ(m_table.InsertObject(idOne, &one, 2, none, 1), 1);
  EXPECT_EQ(two.m_recordId, idTwo);
  EXPECT_NE(one.m_recordId, idTwo);
  EXPECT_TRUE(Eventually([] { return FindObject(CNoteObject::kType, 1, "two") != nullptr; }));
  const auto readTwo = Read("two"), readOne = Read("one");
  ASSERT_NE(readTwo, nullptr);
  ASSERT_NE(readOne, nullptr);
  EXPECT_EQ(readTwo->m_recordId, idTwo);
  EXPECT_EQ(readOne->m_recordId, one.m_recordId);

  std::string name = "x";
  EXPECT_EQ(m_table.DeleteObject(name, 2, 0), 1);
  EXPECT_TRUE(Eventually([] { return FindObject(CNoteObject::kType, 1, "x") == nullptr; }));
  EXPECT_EQ(m_table.getobjlist(1).GetCount(), 4u);
  engine().CloseDatabase(2);
}

TEST_P(DBTest, DeleteRenameAndDuplicate) {
  CObjInfo* a = Store("a", "text of a", "sub");
  ASSERT_NE(Store("b"), nullptr);
  auto note = Read("a");
  note->m_comments = {"a comment"};
  ASSERT_EQ(note->InsertComment(1), 1);

  int changed = 0;
  EXPECT_EQ(m_table.RenameObj(1, a, "b", changed), 0);
  EXPECT_EQ(changed, 0);
  EXPECT_EQ(LastMessage(), "An item named \"b\" already exists");
  EXPECT_EQ(m_table.RenameObj(1, a, "", changed), 0);
  ASSERT_EQ(m_table.RenameObj(1, a, "renamed", changed), 1);
  EXPECT_EQ(changed, 1);
  EXPECT_EQ(a->m_name, "renamed");
  EXPECT_NE(Record("renamed").find("@1:renamed\n"), std::string::npos);
  EXPECT_EQ(Names("sub"), std::vector<std::string>{"renamed"});

  std::vector<std::string> made;
  ASSERT_EQ(m_table.DuplicateObjectInSubbase(1, "sub", a, made), 1);
  ASSERT_EQ(made, std::vector<std::string>{"renamed copy"});
  auto copy = Read("renamed copy");
  EXPECT_EQ(copy->m_text.GetText(), "text of a");
  EXPECT_NE(copy->m_recordId, a->m_objId);
  EXPECT_EQ(copy->LoadComment(1), 1);
  EXPECT_EQ(copy->m_comments, std::vector<std::string>{"a comment"});
  EXPECT_EQ(Names("sub"), (std::vector<std::string>{"renamed", "renamed copy"}));

  // The comment goes with the object: its file, or its row on a server.
  const std::string comments = m_table.MakeCommentFileName(a->m_objId, 1).GetPath();
  ASSERT_EQ(std::filesystem::exists(comments), !IsServer());
  std::string name = "renamed";
  const std::size_t messages = m_ui.Messages().size();
  const unsigned long deleted = a->m_objId;
  ASSERT_EQ(m_table.DeleteObject(name, 1, 0), 1);
  EXPECT_FALSE(std::filesystem::exists(comments));
  std::vector<std::string> gone;
  EXPECT_FALSE(ReadObjectComment(CNoteObject::kType, deleted, 1, gone));
  EXPECT_EQ(Names("sub"), std::vector<std::string>{"renamed copy"});
  EXPECT_EQ(m_table.DeleteObject(name, 1, 0), 0);  // quietly: nothing to delete
  EXPECT_EQ(m_ui.Messages().size(), messages);
  EXPECT_EQ(engine().Storage(1)->IntegrityCheck(), "ok");
}

TEST_P(DBTest, SubbasesSelectObjects) {
  for (const char* name : {"a", "b", "c"}) ASSERT_NE(Store(name), nullptr);
  ASSERT_EQ(m_table.NewSubbase(1, "s", {"a", "c", "missing"}, 0), 1);
  EXPECT_EQ(Names("s"), (std::vector<std::string>{"a", "c"}));
  EXPECT_EQ(Names("main"), (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(m_table.NewSubbase(1, "s", {"b"}, 0), 0);
  EXPECT_EQ(LastMessage(), "A subbase named \"s\" already exists");
  for (const char* refused : {"", "MAIN", "Main"}) {
    EXPECT_EQ(m_table.NewSubbase(1, refused, {}, 0), 0) << refused;
  }
  ASSERT_EQ(replace_subbase(302, "s", {"b"}, nullptr, 1), 1);
  EXPECT_EQ(Names("s"), std::vector<std::string>{"b"});
  ASSERT_EQ(m_table.IncludeInSubbase(1, "s", {"c"}), 1);
  ASSERT_EQ(m_table.ExcludeFromSubbase(1, "s", {"b"}), 1);
  EXPECT_EQ(Names("s"), std::vector<std::string>{"c"});
  ASSERT_EQ(m_table.RenameSubbase(1, "s", "t"), 1);
  std::vector<std::string> names;
  EXPECT_FALSE(m_table.SubbaseObjectNames(1, "s", names));
  EXPECT_EQ(fill_in_names(CNoteTable::kTable, names, nullptr, nullptr, "t", 2, 1), 1);

  const std::string longName(300, 'n');
  ASSERT_EQ(m_table.NewSubbase(1, longName, {"a"}, 0), 1);
  ASSERT_EQ(m_table.getsblist(1).GetCount(), 2u);
  EXPECT_NE(m_table.getsblist(1).FindByName(longName.substr(0, 250)), nullptr);

  ASSERT_EQ(m_table.ClearSubbase(1, "t"), 1);
  EXPECT_TRUE(Names("t").empty());
  ASSERT_EQ(m_table.DismissSubbase(1, "t"), 1);
  EXPECT_EQ(m_table.DismissSubbase(1, "t"), 0);
  EXPECT_EQ(LastMessage(), "The subbase \"t\" doesn't exist");
  EXPECT_EQ(Names(), (std::vector<std::string>{"a", "b", "c"}));
  ASSERT_EQ(m_table.DeleteSubbaseContents(1, longName.substr(0, 250)), 1);
  EXPECT_EQ(Names(), (std::vector<std::string>{"b", "c"}));
  std::vector<CObjInfo*> subset;
  EXPECT_FALSE(GetObjSubset(CNoteTable::kTable, "t", 1, subset));
  EXPECT_TRUE(GetObjSubset(CNoteTable::kTable, "", 1, subset));
  EXPECT_EQ(subset.size(), 2u);
}

// A subbase change given record identifiers changes nothing when one of
// them names no stored object, and says which.
TEST_P(DBTest, SubbaseChangesByIdRefuseAGoneObjectWhole) {
  CObjInfo* a = Store("a");
  CObjInfo* b = Store("b");
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  const unsigned long idA = a->m_objId, idB = b->m_objId, gone = idB + 100;
  ASSERT_EQ(m_table.NewSubbaseOfIds(1, "s", {idA}, 0), 1);
  const struct {
    const char* what;
    int (*change)(CNoteTable&, const std::vector<unsigned long>&);
  } cases[] = {
      {"new", [](CNoteTable& t, const auto& ids) { return t.NewSubbaseOfIds(1, "n", ids, 0); }},
      {"replace", [](CNoteTable& t, const auto& ids) { return t.NewSubbaseOfIds(1, "s", ids, 1); }},
      {"include",
       [](CNoteTable& t, const auto& ids) { return t.IncludeIdsInSubbase(1, "s", ids); }},
      {"exclude",
       [](CNoteTable& t, const auto& ids) { return t.ExcludeIdsFromSubbase(1, "s", ids); }},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.change(m_table, {idB, gone}), 0) << c.what;
    EXPECT_EQ(LastMessage(),
              "The item with UID " + std::to_string(gone) + " is no longer in the database")
        << c.what;
    EXPECT_EQ(Names("s"), std::vector<std::string>{"a"}) << c.what;
    EXPECT_EQ(m_table.getsblist(1).GetCount(), 1u) << c.what;
  }
}

TEST_P(DBTest, ArchivesCarryObjectsIntoAnotherDatabase) {
  for (const char* name : {"a", "gone", "b", "c"}) ASSERT_NE(Store(name, name), nullptr);
  std::string gone = "gone";
  ASSERT_EQ(m_table.DeleteObject(gone, 1, 0), 1);
  const std::string archive = (m_db.Dir() / "notes.ar").string();
  ASSERT_EQ(m_table.WriteObjectsToArchive({}, COrvFileSpec(archive), "MAIN", 1, nullptr, 0), 1);

  CTempDatabase other(2, "other");
  ASSERT_EQ(m_table.ReadObjectsFromArchive(COrvFileSpec(archive), "in", 2, nullptr, 0), 1);
  const CObjInfoList& copied = m_table.getobjlist(2);
  ASSERT_EQ(copied.GetCount(), 3u);
  for (const auto& info : m_table.getobjlist(1)) {
    const CObjInfo* twin = copied.FindById(info->m_objId);  // identifiers kept
    ASSERT_NE(twin, nullptr);
    EXPECT_EQ(twin->m_name, info->m_name);
    EXPECT_EQ(twin->m_creationTime, info->m_creationTime);
    const auto read = Read(info->m_name, 2);
    ASSERT_NE(read, nullptr) << info->m_name;
    EXPECT_EQ(read->m_text.GetText(), info->m_name);
  }
  EXPECT_EQ(Names("in", 2), (std::vector<std::string>{"a", "b", "c"}));

  // Again: the names are taken now, so the copies get new names and ids.
  ASSERT_EQ(m_table.ReadObjectsFromArchive(COrvFileSpec(archive), "in", 2, nullptr, 0), 1);
  EXPECT_EQ(Names("in", 2), (std::vector<std::string>{"a", "b", "c", "a_2", "b_2", "c_2"}));

  CDBObjectList extracted;
  ASSERT_EQ(m_table.ExtractObjectsFromArchive(COrvFileSpec(archive), extracted), 1);
  EXPECT_EQ(extracted.size(), 3u);
  EXPECT_EQ(m_table.ExtractObjectsFromArchive(COrvFileSpec(archive + ".none"), extracted), 0);
  EXPECT_TRUE(extracted.empty());
}

TEST_P(DBTest, ADamagedArchiveStoresNothingAndSaysWhere) {
  for (const char* name : {"a", "b", "c"}) ASSERT_NE(Store(name, std::string(200, *name)), nullptr);
  const std::string archive = (m_db.Dir() / "notes.ar").string();
  ASSERT_EQ(m_table.WriteObjectsToArchive({}, COrvFileSpec(archive), "", 1, nullptr, 0), 1);
  const std::string good = ReadWholeFile(archive);
  const std::size_t second = good.find("object ", good.find("object ") + 1);
  ASSERT_NE(second, std::string::npos);

  struct {
    const char* what;
    std::string bytes;
    std::string said;
  } const cases[] = {
      {"cut inside the second object", good.substr(0, second + 60),
       "object 2 at byte " + std::to_string(second) + " is cut short"},
      {"a byte of the second object changed",
       good.substr(0, second + 40) + "#" + good.substr(second + 41),
       "object 2 at byte " + std::to_string(second) + " is damaged"},
      {"a heading garbled", good.substr(0, second) + "objet" + good.substr(second + 5),
       "object 2 at byte " + std::to_string(second) + " is damaged: its heading"},
      {"no signature", good.substr(1), "does not begin with \"@NOTE@\""},
      {"empty file", "", "does not begin with"},
  };
  for (const auto& c : cases) {
    CTempDatabase target(2, "target");
    WriteBytes(archive, c.bytes);
    EXPECT_EQ(m_table.ReadObjectsFromArchive(COrvFileSpec(archive), "s", 2, nullptr, 0), 0)
        << c.what;
    EXPECT_NE(LastMessage().find(c.said), std::string::npos) << c.what << ": " << LastMessage();
    EXPECT_EQ(m_table.getobjlist(2).GetCount(), 0u) << c.what;
    EXPECT_EQ(m_table.getsblist(2).GetCount(), 0u) << c.what;
  }
}

TEST_P(DBTest, ADamagedRecordReadsAsNothingAndSparesTheRest) {
  if (IsServer()) GTEST_SKIP() << "damages the SQLite file";
  ASSERT_NE(Store("good", "fine"), nullptr);
  CObjInfo* bad = Store("bad", "soon broken");
  ASSERT_NE(bad, nullptr);
  RawSql(m_db.File(), "UPDATE records SET data = substr(data, 1, 12) WHERE key = " +
                          std::to_string((301LL << 32) | static_cast<long long>(bad->m_objId)));
  EXPECT_EQ(Read("bad"), nullptr);
  const auto good = Read("good");
  ASSERT_NE(good, nullptr);
  EXPECT_EQ(good->m_text.GetText(), "fine");
  EXPECT_EQ(m_table.getobjlist(1).GetCount(), 2u);
  int changed = 0;
  EXPECT_EQ(m_table.RenameObj(1, FindObject(CNoteObject::kType, 1, "bad"), "worse", changed), 1);
  const std::string archive = (m_db.Dir() / "notes.ar").string();
  EXPECT_EQ(m_table.WriteObjectsToArchive({}, COrvFileSpec(archive), "", 1, nullptr, 0), 0);
  EXPECT_EQ(LastMessage(), "The item \"worse\" is damaged and can't be archived");
  EXPECT_FALSE(std::filesystem::exists(archive));
  EXPECT_EQ(engine().Storage(1)->IntegrityCheck(), "ok");
}

TEST_P(DBTest, RecordsCutShortOrWithTrailingBytesAreRefused) {
  CNoteObject note;
  note.m_name = "n";
  note.m_keywords = {"k"};
  note.m_text.SetText("text");
  COrvTextFile out{COrvFileSpec("memory")};
  out.OpenMemoryOutput();
  m_table.WriteObject(&note, out, 0);
  const std::string record = out.MemoryData();
  for (std::size_t cut = 0; cut + 1 < record.size(); ++cut) {
    COrvTextFile in{COrvFileSpec("memory")};
    in.OpenMemoryInput(record.substr(0, cut));
    std::unique_ptr<CDBObjectBase> read(m_table.ReadObject(in, 0, 0));
    EXPECT_EQ(read, nullptr) << "cut at " << cut;
  }
  for (const std::string& bad :
       std::vector<std::string>{record + "x", "@2:not a number\n@0:\n", "plain text\n"}) {
    COrvTextFile in{COrvFileSpec("memory")};
    in.OpenMemoryInput(bad);
    std::unique_ptr<CDBObjectBase> read(m_table.ReadObject(in, 0, 0));
    EXPECT_EQ(read, nullptr) << bad;
  }
}

TEST_P(DBTest, AFailedStoreLeavesNothingBehind) {
  CNoteValue::s_bFailWrites = true;
  CObjInfo* info = Store("never", "x", "new subbase");
  CNoteValue::s_bFailWrites = false;
  EXPECT_EQ(info, nullptr);
  EXPECT_NE(LastMessage().find("The item \"never\" can't be stored"), std::string::npos);
  EXPECT_EQ(m_table.getobjlist(1).GetCount(), 0u);
  EXPECT_EQ(m_table.getsblist(1).GetCount(), 0u);
  m_db.Reopen();
  EXPECT_EQ(engine().Storage(1)->CountObjects(CNoteTable::kTable), 0u);
  EXPECT_EQ(engine().Storage(1)->IntegrityCheck(), "ok");
}

TEST_P(DBTest, ForeignFilesAreRefusedAndLeftAlone) {
  if (IsServer()) GTEST_SKIP() << "files of other programs";
  CTempDir dir("foreign");
  const std::filesystem::path file = dir.Path() / kDatabaseFileName;
  struct {
    const char* what;
    std::string sql;  // run on a fresh SQLite file; empty: text bytes instead
    std::string said;
  } const cases[] = {
      {"text", "", "not an object database"},
      {"another program's database", "CREATE TABLE t(x);", "an unknown SQLite database"},
      {"another application id", "PRAGMA application_id = 7;", "another program's"},
      {"a newer version", "", "made by a newer version"},
  };
  for (const auto& c : cases) {
    std::filesystem::remove(file);
    if (std::string(c.what) == "a newer version") {
      {
        CTempDatabase made(4, "newer");
        std::filesystem::copy_file(made.File(), file);
      }
      RawSql(file, "PRAGMA user_version = 99;");
    } else if (c.sql.empty()) {
      WriteBytes(file, "This is plain text, not a database file; it is long enough.\n");
    } else {
      RawSql(file, c.sql);
    }
    const std::string before = ReadWholeFile(file);
    try {
      engine().OpenDatabase(dir.Path().string(), 3);
      ADD_FAILURE() << c.what << " was opened";
    } catch (const CDBException& e) {
      EXPECT_NE(std::string(e.what()).find(file.string()), std::string::npos) << e.what();
      EXPECT_NE(std::string(e.what()).find(c.said), std::string::npos) << e.what();
    }
    EXPECT_EQ(ReadWholeFile(file), before) << c.what;
    EXPECT_EQ(engine().Storage(3), nullptr);
  }
}

TEST_P(DBTest, CommentsLiveInTheirFileOrInTheServersDatabase) {
  CObjInfo* info = Store("commented");
  auto note = Read("commented");
  note->m_comments = {"first line", "second line"};
  ASSERT_EQ(note->InsertComment(1), 1);
  // A folder keeps it in a comment file; a server in its database, where
  // every client sees it.
  if (IsServer()) {
    EXPECT_FALSE(engine().MakeCommentFileName(CNoteObject::kType, info->m_objId, 1).IsSpecSet());
    EXPECT_EQ(engine().Storage(1)->CommentLines(CNoteTable::kTable, info->m_objId),
              note->m_comments);
  } else {
    COrvTextFile file(engine().MakeCommentFileName(CNoteObject::kType, info->m_objId, 1));
    ASSERT_TRUE(file.OpenInput(0));
    std::vector<std::string> lines;
    ReadCommentData(file, &lines);
    EXPECT_EQ(lines, note->m_comments);
  }
  auto again = Read("commented");
  EXPECT_EQ(again->LoadComment(1), 1);
  EXPECT_EQ(again->m_comments, note->m_comments);
  again->m_comments.clear();
  ASSERT_EQ(again->InsertComment(1), 1);
  EXPECT_EQ(again->LoadComment(1), 0);
  CNoteObject unstored;
  unstored.m_comments = {"x"};
  EXPECT_EQ(unstored.InsertComment(1), 0);
}

TEST_P(DBTest, KeywordsAndUserFieldValuesOfStoredObjects) {
  CObjInfo* info = Store("n");
  CUDFieldDef lab;
  lab.m_strName = "Lab";
  lab.m_objType = CNoteObject::kType;
  engine().Storage(1)->PutUDFieldDef(lab);
  std::vector<std::string> fields;
  m_table.GetObjRealFieldNames(1, &fields);
  EXPECT_EQ(fields, std::vector<std::string>{"Lab"});
  CDBFieldDef def;
  ASSERT_EQ(m_table.GetObjFieldDef(1, "Lab", def), 1);
  EXPECT_GE(def.m_fieldId, kFirstUDFieldId);

  CDBField keyword;
  keyword.m_fieldId = kFieldKeyword;
  keyword.m_strValue = "kw";
  ASSERT_EQ(m_table.InsertDBValue(1, info, keyword, 0), 1);
  ASSERT_EQ(m_table.InsertDBValue(1, info, keyword, 0), 1);  // already there: kept once
  ASSERT_NE(Read("n"), nullptr);
  EXPECT_EQ(Read("n")->m_keywords, std::vector<std::string>{"kw"});
  CDBField value;
  value.m_fieldId = def.m_fieldId;
  value.m_strName = "Lab";
  value.m_strValue = "A";
  ASSERT_EQ(m_table.InsertDBValue(1, info, value, 0), 1);
  value.m_strValue = "B";
  ASSERT_EQ(m_table.InsertDBValue(1, info, value, 0), 1);
  std::string shown;
  EXPECT_EQ(m_table.GetFieldValue(1, info, &def, shown), 1);
  EXPECT_EQ(shown, "A; B");
  ASSERT_NE(Read("n"), nullptr);
  EXPECT_EQ(Read("n")->m_keywords, std::vector<std::string>{"kw"});
  EXPECT_EQ(m_table.getkwlist(1), std::vector<std::string>{"kw"});

  value.m_strValue = "A";
  ASSERT_EQ(m_table.DeleteDBValue(1, info, value), 1);
  ASSERT_EQ(m_table.DeleteDBValue(1, info, keyword), 1);
  EXPECT_EQ(m_table.DeleteDBValue(1, info, keyword), 0);
  m_table.GetFieldValue(1, info, &def, shown);
  EXPECT_EQ(shown, "B");
  ASSERT_NE(Read("n"), nullptr);
  EXPECT_TRUE(Read("n")->m_keywords.empty());
}

TEST_P(DBTest, CreatorRecordsOfTheCurrentUser) {
  CCreatorData system;
  system.LoadCreatorData();
  EXPECT_FALSE(system.IsEmpty());
  CCreatorData saved;
  saved.m_strName = "Ada Lovelace";
  saved.m_strOrganization = "Analytical\tEngines";
  ASSERT_EQ(saved.SaveCreatorData(), 1);
  CCreatorData loaded;
  loaded.LoadCreatorData();
  EXPECT_EQ(loaded, saved);
  int flags = 0;
  CCreatorData creator;
  MakeLocal(flags, creator);
  EXPECT_EQ(flags & 1, 1);
  EXPECT_EQ(creator.m_strName, "Ada Lovelace");
  EXPECT_EQ(CheckCreatorContext(creator, {"engines"}, 0), 1);
  EXPECT_EQ(CheckCreatorContext(creator, {"engines"}, 1), 0);
}

TEST_P(DBTest, AListLoadedAfreshHoldsWhatTheProcessListed) {
  CNoteObject note;
  note.m_name = "by Ada";
  note.m_creationTime = -86401;  // before 1970
  note.m_creator.m_strName = "Ada Lovelace, Countess of Lovelace";
  std::string none;
  ASSERT_EQ(m_table.InsertObject(0, &note, 2, none, 1), 1);
  ASSERT_NE(Store("plain"), nullptr);
  std::vector<CObjInfo> before;
  for (const auto& info : m_table.getobjlist(1)) before.push_back(*info);

  m_db.Reopen();
  const CObjInfoList& after = m_table.getobjlist(1);
  ASSERT_EQ(after.GetCount(), before.size());
  auto it = after.begin();
  for (const CObjInfo& info : before) {
    const CObjInfo& fresh = **it++;
    EXPECT_EQ(fresh.m_objId, info.m_objId);
    EXPECT_EQ(fresh.m_name, info.m_name);
    EXPECT_EQ(fresh.GetObjType(), info.GetObjType());
    EXPECT_EQ(fresh.m_creationTime, info.m_creationTime);
    EXPECT_EQ(fresh.m_strAuthor, info.m_strAuthor);
    EXPECT_EQ(fresh.m_tableNumber, info.m_tableNumber);
    EXPECT_EQ(fresh.m_tableText, info.m_tableText);
  }
}

TEST_P(DBTest, CreationTimesReadAsTheCLibraryWritesThem) {
  CDBFieldDef def;
  def.m_fieldId = kFieldCreationTime;
  CObjInfo info(CNoteObject::kType, 1, "t");
  for (long seconds : {0L, -1L, -86401L, 951782400L, 951868799L, 4107542399L, -30610224001L,
                       253402300799L, 253402300800L, -62135596800L, 1700000000L}) {
    info.m_creationTime = seconds;
    std::time_t t = static_cast<std::time_t>(seconds);
    std::tm parts{};
    gmtime_r(&t, &parts);
    char expected[64];
    std::strftime(expected, sizeof expected, "%Y-%m-%dT%H:%M:%SZ", &parts);
    std::string value;
    EXPECT_EQ(m_table.GetFieldValue(1, &info, &def, value), 1);
    EXPECT_EQ(value, expected) << seconds;
  }
}

TEST_P(DBTest, SummaryBackupAndRestore) {
  if (IsServer()) GTEST_SKIP() << "a server database is backed up by the server's tools";
  ASSERT_NE(Store("a"), nullptr);
  ASSERT_NE(Store("b", "", "s"), nullptr);
  const std::filesystem::path summary = m_db.Dir() / "summary.txt";
  {
    COrvTextFile file{COrvFileSpec(summary.string())};
    ASSERT_TRUE(file.OpenOutput(0));
    ASSERT_EQ(m_table.WriteObjectSummary("MAIN", 1, file), 1);
    EXPECT_EQ(m_table.WriteObjectSummary("none", 1, file), 0);
  }
  const std::string text = ReadWholeFile(summary);
  EXPECT_EQ(text.substr(0, text.find('\n')), "Notes of subbase MAIN: 2");
  EXPECT_NE(text.find("\na\t1970-01-01T00:16:40Z\n"), std::string::npos) << text;

  ASSERT_TRUE(m_table.Backup(1, nullptr));
  std::string name = "a";
  ASSERT_EQ(m_table.DeleteObject(name, 1, 0), 1);
  ASSERT_TRUE(m_table.Restore(1, nullptr));
  EXPECT_EQ(Names(), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(Names("s"), std::vector<std::string>{"b"});
}

}  // namespace

}  // namespace blastsearch
