#include <gtest/gtest.h>
#include <sqlite3.h>

#include <memory>
#include <stdexcept>

#include "host/KaArchive.h"
#include "host/OrvTextFile.h"
#include "host/db/DBEngine.h"
#include "host/db/DBFunctions.h"
#include "host/db/DBRecordText.h"
#include "model/TransferFile.h"
#include "parse/ReportLayout.h"
#include "parse/ReportName.h"
#include "platform/File.h"
#include "platform/TickCount.h"
#include "platform/UserInteraction.h"
#include "support/Corpus.h"
#include "support/EntryDump.h"
#include "support/ReportParse.h"
#include "support/TempDatabase.h"
#include "table/BlastSearchField.h"
#include "table/BlastSearchTable.h"
#include "table/ReportImport.h"

namespace blastsearch {

namespace {

const std::string kAdded = "\"\nhas been added to the database";

void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
  CFile out(path.string(), CFile::modeWrite | CFile::modeCreate);
  out.Write(bytes.data(), bytes.size());
}

// What `blastsearch parse` reads from a report: the reader its layout calls
// for, and the query line's name where the reader left the name empty.
std::string ParsedDump(const std::filesystem::path& path) {
  const std::string text = ReadWholeFile(path);
  CBlastSearchEntry entry;
  ParseReport(RecogniseReportLayout(text) == ReportLayout::Classic ? ReportReader::Classic
                                                                   : ReportReader::QBlast,
              text, entry);
  if (entry.m_Mol.m_strName.empty()) entry.m_Mol.m_strName = QueryNameOfReport(text);
  return DumpEntry(entry);
}

// An archive of the BLAST search table holding `records` as they are.
std::string ArchiveOf(const std::vector<std::string>& records) {
  std::string archive = "@BLS@\n";
  for (const std::string& record : records) {
    char head[64];
    std::snprintf(head, sizeof head, "object %zu %08x\n", record.size(),
                  static_cast<unsigned>(RecordCrc32(record)));
    archive += head + record + "\n";
  }
  return archive;
}

std::string RecordOf(const CBlastSearchObject& object) {
  COrvTextFile file{COrvFileSpec("memory")};
  file.OpenMemoryOutput();
  blastSearch().WriteObject(&object, file, 0);
  return file.MemoryData();
}

std::unique_ptr<CBlastSearchObject> ObjectOf(const std::string& record) {
  COrvTextFile file{COrvFileSpec("memory")};
  file.OpenMemoryInput(record);
  return std::unique_ptr<CBlastSearchObject>(
      dynamic_cast<CBlastSearchObject*>(blastSearch().ReadObject(file, 0, 0)));
}

class TableTest : public ::testing::Test {
 protected:
  // Imports `path` through the interactive import, the file dialog
  // answered with it.
  int ImportPage(const std::filesystem::path& path, const std::string& subbase = "MAIN") {
    m_ui.QueueFile(path.string());
    m_info = nullptr;
    return m_table.CreateNewLocalObject(subbase, m_subbaseOut, m_info);
  }
  std::unique_ptr<CBlastSearchObject> Stored(const std::string& name, int dbId = 1) {
    return std::unique_ptr<CBlastSearchObject>(
        dynamic_cast<CBlastSearchObject*>(m_table.GetObjectData(name.c_str(), dbId)));
  }
  const CScriptedUserInteraction::Message* LastMessage() const {
    return m_ui.Messages().empty() ? nullptr : &m_ui.Messages().back();
  }

  CScriptedUserInteraction m_ui;
  CTempDatabase m_db;
  CBlastSearchTable& m_table = blastSearch();
  CObjInfo* m_info = nullptr;
  std::string m_subbaseOut;
};

TEST_F(TableTest, IdentityOfTheTable) {
  EXPECT_EQ(engine().TableByID(201), &m_table);
  EXPECT_EQ(engine().ObjtypeToObjtable(15), 201);
  EXPECT_EQ(engine().ObjtypeToSbtable(15), 202);
  EXPECT_EQ(engine().DescribeObjType(15, 5, 1), "BLAST Results");
  EXPECT_EQ(m_table.DescribeObjType(0, 0), "BLAST Result");
  const int numbers[][2] = {{m_table.objtable(), 201},
                            {m_table.sbtable(), 202},
                            {m_table.auxtable(), 203},
                            {m_table.tableobjtype(), 15},
                            {m_table.objftype(), 100},
                            {m_table.arcftype(), 101},
                            {m_table.flink(), 102},
                            {m_table.HasViewer(), 1},
                            {m_table.GetUDFIcon(), 15},
                            {static_cast<int>(m_table.GetMenuCommand()), 33063},
                            {CBlastSearchObject::objtype(), 15},
                            {CBlastSearchObject().GetObjectType(), 15}};
  for (const auto& [got, want] : numbers) EXPECT_EQ(got, want);
  EXPECT_EQ(m_table.arcsign(), "@BLS@");
  EXPECT_EQ(m_table.dir(7), "BLASTSearch");
  EXPECT_EQ(m_table.DescribeSubbaseType(), "BLASTSearch");
  EXPECT_EQ(OrvFileTypeExtension(101), ".ba6");
  EXPECT_EQ(OrvFileTypeExtension(103), ".bss");
}

TEST_F(TableTest, FieldsDefinitionsAndValues) {
  std::vector<std::string> names;
  m_table.GetObjRealFieldNames(1, &names);
  EXPECT_EQ(names, (std::vector<std::string>{"UID", "Hits Count", "QueryName"}));
  struct {
    const char* name;
    int result, field, kind;
  } const defs[] = {{"BlastAuthor", 1, 3050, 1},
                    {"QueryName", 1, 3051, 1},
                    {"Hits Count", 1, 3052, 7},
                    {"UID", 1, 3053, 7},
                    {"queryname", 0, -1, -1},
                    {"UID ", 0, -1, -1},
                    {"Name", 1, kFieldName, 1},
                    {"Created", 1, kFieldCreationTime, 7},
                    {"Keywords", 1, kFieldKeyword, 1},
                    {"Comment", 1, kFieldComment, 1},
                    {"Author", 1, kFieldAuthor, 1},
                    {"Original Author", 1, kFieldOriginalAuthor, 1},
                    {"Description", 1, kFieldDescription, 1},
                    {"author", 0, -1, -1}};
  for (const auto& d : defs) {
    CDBFieldDef def;
    def.m_fieldId = def.m_valueKind = -1;
    EXPECT_EQ(m_table.GetObjFieldDef(1, d.name, def), d.result) << d.name;
    EXPECT_EQ(def.m_fieldId, d.field) << d.name;
    EXPECT_EQ(def.m_valueKind, d.kind) << d.name;
  }

  CObjInfo info(15, 7, "n");
  info.m_tableText = "my query";
  info.m_strAuthor = "Ada";
  struct {
    int dbId, field, hits, type;
    unsigned long id;
    int result;
    const char* value;
  } const values[] = {{1, 3052, 0, 15, 7, 1, "0"},        {1, 3052, -3, 15, 7, 1, "-3"},
                      {1, 3051, 4, 15, 7, 1, "my query"}, {1, 3053, 4, 15, 7, 1, "7"},
                      {1, 3050, 4, 15, 7, 1, "Ada"},      {3, 3051, 4, 15, 7, 0, ""},
                      {1, 3051, 4, 0, 7, 0, ""},          {1, 3052, 4, 15, 0, 0, ""},
                      {1, kFieldName, 4, 15, 7, 1, "n"}};
  for (const auto& v : values) {
    info.m_tableNumber = v.hits;
    info.SetObjType(v.type);
    info.m_objId = v.id;
    CDBFieldDef def;
    def.m_fieldId = v.field;
    std::string out = "stale";
    EXPECT_EQ(m_table.GetFieldValue(v.dbId, &info, &def, out), v.result) << v.field;
    EXPECT_EQ(out, v.value) << v.field << " in database " << v.dbId;
  }
}

TEST_F(TableTest, IncrementalSaveParameters) {
  int count = -1, limit = -1, most = -1;
  int* counter = nullptr;
  std::string ext;
  EXPECT_EQ(m_table.GetTableIncrPars(203, 1, &count, &limit, &counter, &most, ext), 1);
  EXPECT_EQ(ext, "bs");
  EXPECT_EQ(count, -1);
  EXPECT_EQ(counter, nullptr);
  EXPECT_EQ(m_table.GetTableIncrPars(201, 1, &count, &limit, &counter, &most, ext), 1);
  EXPECT_EQ(ext, "bs");
  EXPECT_EQ(counter, &m_table.m_objChanges);
  EXPECT_EQ(most, NOF_OBJCHANGES);
  EXPECT_EQ(limit, OBJTBLSIZE_SMALLENOUGH);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(m_table.GetTableIncrPars(202, 1, &count, &limit, &counter, &most, ext), 1);
  EXPECT_EQ(ext, "bss");
  EXPECT_EQ(counter, &m_table.m_sbChanges);
  EXPECT_EQ(most, NOF_SBCHANGES);
  // Outputs the caller does not want may be null.
  EXPECT_EQ(m_table.GetTableIncrPars(201, 1, nullptr, nullptr, nullptr, nullptr, ext), 1);
  EXPECT_EQ(ext, "bs");
}

TEST_F(TableTest, ObjectsCopyDeepAndRecordsCarryTheResult) {
  CBlastSearchObject empty;
  auto emptyBack = ObjectOf(RecordOf(empty));
  ASSERT_NE(emptyBack, nullptr);
  EXPECT_EQ(DumpEntry(emptyBack->Entry()), DumpEntry(CBlastSearchEntry()));

  CBlastSearchObject object;
  object.m_name = "o";
  object.Entry().m_Mol.m_strName = "query";
  object.Entry().m_Mol.m_xData.SetData("extra bytes");
  auto hit = std::make_unique<CBlastSearchHit>();
  hit->m_strID = "h1";
  auto element = std::make_unique<CBlastSearchHitElement>();
  element->m_Query.m_strSeq = "ACGTACGT";
  element->m_Subject.m_strSeq = "ACGT";  // unequal rows: reading cuts the longer
  hit->m_ElementList.push_back(std::move(element));
  object.Entry().m_Hits.m_HitList.push_back(std::move(hit));

  const std::string record = RecordOf(object);
  EXPECT_EQ(object.Entry().m_Mol.m_xData.GetData(), "extra bytes");
  EXPECT_EQ(record.find("extra bytes"), std::string::npos);
  auto back = ObjectOf(record);
  ASSERT_NE(back, nullptr);
  EXPECT_TRUE(back->Entry().m_Mol.m_xData.IsEmpty());
  const auto& row = back->Entry().m_Hits.m_HitList.front()->m_ElementList.front();
  EXPECT_EQ(row->m_Query.m_strSeq, "ACGT");

  std::unique_ptr<CDBObjectBase> clone(object.Clone());
  auto* copy = dynamic_cast<CBlastSearchObject*>(clone.get());
  ASSERT_NE(copy, nullptr);
  copy->Entry().m_Hits.m_HitList.clear();
  copy->m_name = "other";
  EXPECT_EQ(object.Entry().GetHitsCount(), 1);
  EXPECT_EQ(object.m_name, "o");
  EXPECT_EQ(copy->m_valueContainer.Find(2008), &copy->m_resultValue);
  EXPECT_EQ(object.m_valueContainer.Find(2008), &object.m_resultValue);
}

TEST_F(TableTest, EveryCorpusReportImportsAsParseReadsIt) {
  SKIP_WITHOUT_CORPUS();
  int imported = 0;
  // The older layouts, which the page parsers read (BLAST+ text has a
  // reader of its own).
  for (const char* folder : {"html-qblast", "html-classic", "text"}) {
    for (const auto& path : CorpusFiles(folder)) {
      ASSERT_EQ(ImportPage(path), 1) << path;
      ASSERT_NE(m_info, nullptr);
      const auto* message = LastMessage();
      EXPECT_EQ(message->strText, "The item \"" + m_info->m_name + kAdded);
      EXPECT_EQ(message->nStyle, MB_ICONINFORMATION);
      auto stored = Stored(m_info->m_name);
      ASSERT_NE(stored, nullptr) << path;
      EXPECT_EQ(DumpEntry(stored->Entry()), ParsedDump(path)) << path;
      EXPECT_EQ(m_info->m_tableNumber, stored->Entry().GetHitsCount());
      EXPECT_EQ(m_info->m_tableText, stored->Entry().GetMolName());
      EXPECT_FALSE(m_info->m_tableText.empty()) << path;
      ++imported;
      // The same page handed over as bytes read already: the same result,
      // record and message, under a name of its own.
      const std::string page = ReadWholeFile(path);
      CObjInfo* info = nullptr;
      std::string out;
      ASSERT_EQ(
          m_table.ImportPage(path.string(), page, RecogniseReportLayout(page), "MAIN", out, info),
          1)
          << path;
      ASSERT_NE(info, nullptr);
      EXPECT_NE(info->m_name, m_info->m_name);
      EXPECT_EQ(LastMessage()->strText, "The item \"" + info->m_name + kAdded);
      auto again = Stored(info->m_name);
      ASSERT_NE(again, nullptr) << path;
      again->m_name = stored->m_name;
      again->m_creationTime = stored->m_creationTime;
      again->m_recordId = stored->m_recordId;
      EXPECT_EQ(RecordOf(*again), RecordOf(*stored)) << path;
      EXPECT_EQ(info->m_tableText, m_info->m_tableText);
      ++imported;
    }
  }
  EXPECT_EQ(m_table.getobjlist(1).GetCount(), static_cast<std::size_t>(imported));
  EXPECT_EQ(engine().Storage(1)->IntegrityCheck(), "ok");
}

TEST_F(TableTest, ImportAnswersAndMessages) {
  // Cancelled file dialog: nothing, quietly.
  CObjInfo* info = nullptr;
  std::string out;
  EXPECT_EQ(m_table.CreateNewLocalObject("MAIN", out, info), 0);
  EXPECT_TRUE(m_ui.Messages().empty());
  ASSERT_EQ(m_ui.FileRequests().size(), 1u);
  EXPECT_EQ(m_ui.FileRequests()[0].strDefExt, "htm");
  EXPECT_EQ(m_ui.FileRequests()[0].strFileName, "*.htm");
  EXPECT_EQ(m_ui.FileRequests()[0].nFlags, unsigned{OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT});

  struct {
    const char* what;
    std::filesystem::path path;
    int result;
    const char* message;
    unsigned style;
  } const cases[] = {
      {"missing file", m_db.Dir() / "missing.html", 0, "Data File can't be opened", MB_ICONSTOP},
      {"a file that cannot be read", "/proc/self/mem", 0, "Can't read Data File\nWrong format",
       MB_ICONSTOP},
      {"a page without a report", m_db.Dir() / "page.html", 0, "Can't read Data File\nWrong format",
       MB_ICONSTOP},
  };
  WriteBytes(m_db.Dir() / "page.html", "<html><body>no report here</body></html>");
  for (const auto& c : cases) {
    EXPECT_EQ(ImportPage(c.path), c.result) << c.what;
    ASSERT_NE(LastMessage(), nullptr);
    // The reason follows, naming the file.
    EXPECT_EQ(LastMessage()->strText.rfind(c.message, 0), 0u) << c.what;
    EXPECT_EQ(LastMessage()->nStyle, c.style) << c.what;
    EXPECT_EQ(m_info, nullptr) << c.what;
  }

  // Nothing of a page without a report is stored; a report without hits
  // is, in the subbase asked for, named after its query.
  EXPECT_EQ(m_table.getobjlist(1).GetCount(), 0u);
  WriteBytes(m_db.Dir() / "nohits.html", "<html>Query= my query\n(12 letters)\n</html>");
  ASSERT_EQ(ImportPage(m_db.Dir() / "nohits.html", "pages"), 1);
  ASSERT_NE(m_info, nullptr);
  EXPECT_EQ(m_info->m_name, "my query");
  EXPECT_EQ(m_info->m_tableNumber, 0);
  EXPECT_EQ(m_subbaseOut, "pages");
  std::vector<std::string> names;
  ASSERT_TRUE(m_table.SubbaseObjectNames(1, "pages", names));
  EXPECT_EQ(names, std::vector<std::string>{m_info->m_name});
  EXPECT_EQ(m_table.getobjlist(1).GetCount(), 1u);
  // Again: said, and not stored twice.
  EXPECT_EQ(ImportPage(m_db.Dir() / "nohits.html", "pages"), 0);
  EXPECT_NE(LastMessage()->strText.find("stored already (as \"my query\")"), std::string::npos)
      << LastMessage()->strText;
  EXPECT_EQ(m_table.getobjlist(1).GetCount(), 1u);
}

TEST_F(TableTest, ImportsOfOneQueryGetTheirOwnNames) {
  const TickSource previous = SetTickSource([]() -> std::uint32_t { return 0x2A; });
  WriteBytes(m_db.Dir() / "page.html", "<html>Query= same\n(4 letters)</html>");
  // Another result of the same query (another length).
  WriteBytes(m_db.Dir() / "other.html", "<html>Query= same\n(5 letters)</html>");
  EXPECT_EQ(ImportPage(m_db.Dir() / "page.html"), 1);
  EXPECT_EQ(m_info->m_name, "same");
  EXPECT_EQ(ImportPage(m_db.Dir() / "other.html"), 1);
  EXPECT_EQ(m_info->m_name, "same_2");
  EXPECT_EQ(LastMessage()->strText, "The item \"same_2" + kAdded);
  SetTickSource(previous);
  EXPECT_EQ(m_table.getobjlist(1).GetCount(), 2u);
  // The provisional name only for a result without query or file name.
  CBlastSearchEntry entry;
  EXPECT_EQ(NameOfImportedResult(entry, "dir/x.txt"), "x.txt");
  EXPECT_EQ(NameOfImportedResult(entry, "dir/").rfind("Ticks-", 0), 0u);
  entry.m_Mol.m_strName = "  \t ";
  EXPECT_EQ(NameOfImportedResult(entry, "y.htm"), "y.htm");
  entry.m_Mol.m_strName = " sp|P1| kinase\t1 ";
  EXPECT_EQ(NameOfImportedResult(entry, "y.htm"), "sp|P1| kinase 1");
}

TEST_F(TableTest, TransferFiles) {
  CBlastSearchObject source;
  source.Entry().m_Mol.m_strName = "transferred";
  source.Entry().m_Hits.m_HitList.push_back(std::make_unique<CBlastSearchHit>());
  const std::filesystem::path path = m_db.Dir() / "result.bqt";
  {
    CFile file(path.string(), CFile::modeWrite | CFile::modeCreate);
    StoreTransferFile(source.Entry(), file);
  }
  CObjInfo* info = nullptr;
  std::string out;
  ASSERT_EQ(m_table.CreateNewLocalObject(path.string(), "sub", out, info), 1);
  EXPECT_EQ(out, "sub");
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(info->m_tableText, "transferred");
  const auto stored = Stored(info->m_name);
  ASSERT_NE(stored, nullptr);
  EXPECT_EQ(DumpEntry(stored->Entry()), DumpEntry(source.Entry()));
  EXPECT_TRUE(m_ui.Messages().empty());

  WriteBytes(m_db.Dir() / "empty.bqt", "");
  info = nullptr;
  EXPECT_THROW(
      (void)m_table.CreateNewLocalObject((m_db.Dir() / "empty.bqt").string(), "MAIN", out, info),
      CKaArchiveException);
  EXPECT_TRUE(m_ui.Messages().empty());
  EXPECT_EQ(info, nullptr);
  EXPECT_EQ(m_table.CreateNewLocalObject((m_db.Dir() / "none.bqt").string(), "MAIN", out, info), 0);
  EXPECT_EQ(LastMessage()->strText, "Transfer file can't be opened");
  EXPECT_EQ(m_table.getobjlist(1).GetCount(), 1u);
}

TEST_F(TableTest, SeedingFromTheInitialArchive) {
  CBlastSearchObject first, second, third;
  first.m_name = "first";
  first.Entry().m_Mol.m_strName = "q1";
  third.m_name = "third";
  const std::string archive = ArchiveOf({RecordOf(first), RecordOf(second), RecordOf(third)});
  WriteBytes(m_db.Dir() / "DBInit.ba6", archive);
  EXPECT_EQ(m_table.InitializeTableData(), 0);  // the second has no name and can't be stored
  std::vector<std::string> names;
  m_table.SubbaseObjectNames(1, "MAIN", names);
  EXPECT_EQ(names, std::vector<std::string>{"first"});

  // A database made in a folder with an initial archive starts with its objects.
  CTempDir fresh("seeded");
  WriteBytes(fresh.Path() / "DBInit.ba6", ArchiveOf({RecordOf(first), RecordOf(third)}));
  engine().OpenDatabase(fresh.Path().string(), 1);
  names.clear();
  m_table.SubbaseObjectNames(1, "MAIN", names);
  EXPECT_EQ(names, (std::vector<std::string>{"first", "third"}));
  const auto storedFirst = Stored("first");
  ASSERT_NE(storedFirst, nullptr);
  EXPECT_EQ(storedFirst->Entry().GetMolName(), "q1");
  engine().OpenDatabase(m_db.Dir().string(), 1);
  MAINDIR.SetDir("");
  EXPECT_EQ(m_table.InitializeTableData(), 0);
}

TEST_F(TableTest, ACorruptResultReadsAsNothingAndSparesTheRest) {
  CBlastSearchObject object;
  object.m_name = "whole";
  object.Entry().m_Mol.m_strName = "q";
  std::string none;
  ASSERT_EQ(m_table.AddNewObject(&object, "MAIN", none, 1), 1);
  object.m_name = "broken";
  object.m_recordId = 0;
  ASSERT_EQ(m_table.AddNewObject(&object, "MAIN", none, 1), 1);
  std::string record;
  ASSERT_TRUE(engine().Storage(1)->ReadRecord(201, object.m_recordId, record));
  const std::size_t field = record.find("@2008:");
  ASSERT_NE(field, std::string::npos);
  for (std::size_t at = field + 6; at < record.size() - 5; at += 7) {
    std::string damaged = record;
    damaged.erase(at, 3);
    EXPECT_EQ(ObjectOf(damaged), nullptr) << at;
  }
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(m_db.File().string().c_str(), &db), SQLITE_OK);
  const std::string sql =
      "UPDATE records SET data = substr(data, 1, " + std::to_string(field + 20) +
      ") WHERE key = " + std::to_string((201LL << 32) | static_cast<long long>(object.m_recordId));
  ASSERT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
  sqlite3_close(db);
  EXPECT_EQ(Stored("broken"), nullptr);
  ASSERT_NE(Stored("whole"), nullptr);
  EXPECT_EQ(m_table.getobjlist(1).GetCount(), 2u);
}

TEST_F(TableTest, ArchivesOfResultsRoundTrip) {
  SKIP_WITHOUT_CORPUS();
  for (const auto& path : CorpusFiles("html-classic")) ASSERT_EQ(ImportPage(path), 1);
  const std::string archive = (m_db.Dir() / "all.ba6").string();
  ASSERT_EQ(m_table.WriteObjectsToArchive({}, COrvFileSpec(archive, 101), "MAIN", 1, nullptr, 0),
            1);
  CTempDatabase other(2, "copy");
  ASSERT_EQ(m_table.ReadObjectsFromArchive(COrvFileSpec(archive, 101), "MAIN", 2, nullptr, 0), 1);
  const CObjInfoList& copies = m_table.getobjlist(2);
  ASSERT_EQ(copies.GetCount(), m_table.getobjlist(1).GetCount());
  for (const auto& info : m_table.getobjlist(1)) {
    const CObjInfo* copy = copies.FindById(info->m_objId);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->m_name, info->m_name);
    EXPECT_EQ(copy->m_creationTime, info->m_creationTime);
    EXPECT_EQ(copy->m_tableNumber, info->m_tableNumber);
    EXPECT_EQ(copy->m_tableText, info->m_tableText);
    const auto copied = Stored(info->m_name, 2), original = Stored(info->m_name, 1);
    ASSERT_NE(copied, nullptr) << info->m_name;
    ASSERT_NE(original, nullptr) << info->m_name;
    EXPECT_EQ(DumpEntry(copied->Entry()), DumpEntry(original->Entry()));
  }
}

}  // namespace

// A viewer that fails must not carry its exception into the host's window:
// the table answers that nothing opened.
TEST(TableOpen, AViewerThatThrowsOpensNothing) {
  engine().SetObjectViewer(CBlastSearchObject::objtype(),
                           [](CObjInfo*) -> int { throw std::runtime_error("viewer failed"); });
  CObjInfo info(CBlastSearchObject::objtype(), 1, "a");
  EXPECT_EQ(blastSearch().OpenObject(&info), 0);
  EXPECT_EQ(blastSearch().DefaultAction(&info), 0);
  engine().SetObjectViewer(CBlastSearchObject::objtype(), {});
}

}  // namespace blastsearch
