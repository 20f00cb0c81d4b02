#include "host/db/SqliteStorage.h"

#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <system_error>

#include "host/db/DBException.h"
#include "host/db/DBRecordText.h"
#include "host/db/SearchTerms.h"
#include "host/db/Sqlite.h"
#include "platform/ReplacingFile.h"

namespace blastsearch {

namespace {

// 'QDB1': marks the file as this program's object database.
constexpr std::int64_t kApplicationId = 0x51444231;

constexpr const char* kSchema = R"sql(
CREATE TABLE IF NOT EXISTS objects(
  tbl INTEGER NOT NULL, id INTEGER NOT NULL, name TEXT NOT NULL, type INTEGER NOT NULL,
  created INTEGER NOT NULL, tnum INTEGER NOT NULL, ttext TEXT NOT NULL, author TEXT NOT NULL,
  PRIMARY KEY(tbl, id), UNIQUE(tbl, name)) WITHOUT ROWID;
CREATE TABLE IF NOT EXISTS records(key INTEGER PRIMARY KEY, data BLOB NOT NULL, crc INTEGER);
CREATE TABLE IF NOT EXISTS counters(tbl INTEGER PRIMARY KEY, next_id INTEGER NOT NULL);
CREATE TABLE IF NOT EXISTS subbases(
  id INTEGER PRIMARY KEY, tbl INTEGER NOT NULL, name TEXT NOT NULL, UNIQUE(tbl, name));
CREATE TABLE IF NOT EXISTS members(
  sb INTEGER NOT NULL, obj INTEGER NOT NULL, PRIMARY KEY(sb, obj)) WITHOUT ROWID;
CREATE INDEX IF NOT EXISTS members_obj ON members(obj);
CREATE TABLE IF NOT EXISTS keywords(
  tbl INTEGER NOT NULL, keyword TEXT NOT NULL, PRIMARY KEY(tbl, keyword)) WITHOUT ROWID;
CREATE TABLE IF NOT EXISTS fieldvalues(
  tbl INTEGER NOT NULL, id INTEGER NOT NULL, field INTEGER NOT NULL, seq INTEGER NOT NULL,
  value TEXT NOT NULL, PRIMARY KEY(tbl, id, field, seq)) WITHOUT ROWID;
CREATE TABLE IF NOT EXISTS udfdefs(
  name TEXT PRIMARY KEY, field INTEGER NOT NULL UNIQUE, kind INTEGER NOT NULL,
  objtype INTEGER NOT NULL);
CREATE TABLE IF NOT EXISTS creators(login TEXT PRIMARY KEY, record TEXT NOT NULL);
)sql";

// Added after the first databases were made: created when an open database
// lacks it (older programs ignore it; its rows name objects that may be gone).
constexpr const char* kObjectKeysSchema = R"sql(
CREATE TABLE IF NOT EXISTS objectkeys(
  tbl INTEGER NOT NULL, key TEXT NOT NULL, id INTEGER NOT NULL,
  PRIMARY KEY(tbl, key, id)) WITHOUT ROWID;
CREATE INDEX IF NOT EXISTS objectkeys_obj ON objectkeys(tbl, id);
)sql";

// Added later (made when an open database lacks it): the objects by their
// name without its trailing digits, then its length, so that the highest
// number given to a name ("name_12") is found without reading every such
// name. Older programs keep it up to date as any index.
constexpr const char* kNumberedNamesSchema =
    "CREATE INDEX IF NOT EXISTS objects_numbered ON objects("
    "tbl, rtrim(name, '0123456789'), length(name), name)";

// Added for narrowing searches (made in one transaction when an open
// database lacks it, its terms read from every record then): each object's
// keywords, and the text of its user-defined fields and description in a
// trigram index (rowid: the record key) for substrings; objects whose terms
// cannot be indexed are candidates of every search. The triggers note every
// record written or removed, by this program or by an older one that knows
// nothing of the index, so that the index is brought up to date from the
// records themselves before it is used; older programs run them as any
// trigger.
constexpr const char* kSearchIndexSchema = R"sql(
CREATE TABLE IF NOT EXISTS objectwords(
  tbl INTEGER NOT NULL, word TEXT NOT NULL, id INTEGER NOT NULL,
  PRIMARY KEY(tbl, word, id)) WITHOUT ROWID;
CREATE INDEX IF NOT EXISTS objectwords_obj ON objectwords(tbl, id);
CREATE VIRTUAL TABLE IF NOT EXISTS objecttext USING fts5(text, tokenize = 'trigram');
CREATE TABLE IF NOT EXISTS objectsunread(key INTEGER PRIMARY KEY);
CREATE TABLE IF NOT EXISTS termsdirty(key INTEGER PRIMARY KEY);
CREATE TRIGGER IF NOT EXISTS records_terms_put AFTER INSERT ON records BEGIN
  INSERT OR IGNORE INTO termsdirty(key) VALUES(new.key); END;
CREATE TRIGGER IF NOT EXISTS records_terms_change AFTER UPDATE ON records BEGIN
  INSERT OR IGNORE INTO termsdirty(key) VALUES(old.key);
  INSERT OR IGNORE INTO termsdirty(key) VALUES(new.key); END;
CREATE TRIGGER IF NOT EXISTS records_terms_drop AFTER DELETE ON records BEGIN
  INSERT OR IGNORE INTO termsdirty(key) VALUES(old.key); END;
CREATE INDEX IF NOT EXISTS objects_hits ON objects(tbl, tnum);
CREATE TABLE IF NOT EXISTS commentindex(
  key INTEGER PRIMARY KEY, size INTEGER NOT NULL, mtime INTEGER NOT NULL,
  readable INTEGER NOT NULL);
CREATE VIRTUAL TABLE IF NOT EXISTS commenttext USING fts5(text, tokenize = 'trigram');
INSERT OR IGNORE INTO termsdirty(key) SELECT key FROM records;
)sql";

// A record or subbase identifier as the database stores it.
std::int64_t IdOf(unsigned long id) { return static_cast<std::int64_t>(id); }

// The first text after every text that begins with `prefix`: the prefix with
// its last byte raised (a 0xFF byte is no UTF-8); empty when there is none.
std::string TextAfterPrefix(std::string_view prefix) {
  std::string upper(prefix);
  while (!upper.empty() && static_cast<unsigned char>(upper.back()) == 0xFF) upper.pop_back();
  if (!upper.empty()) upper.back() = static_cast<char>(upper.back() + 1);
  return upper;
}

std::int64_t RecordKey(int table, unsigned long recordId) {
  return (static_cast<std::int64_t>(table) << 32) | static_cast<std::int64_t>(recordId);
}

class CSqliteStorage : public CDBStorage {
 public:
  CSqliteStorage(const std::string& path, bool* created, int busyTimeoutMs);

  const std::string& GetPath() const override { return m_db.GetPath(); }

  void BeginWrite() override {
    if (m_bInTransaction) throw CDBException(GetPath() + ": a change is already under way");
    if (m_bReadOnly) {
      throw CDBException(GetPath() +
                         ": the database is read-only (its file or folder cannot be written); "
                         "nothing was changed");
    }
    RunCached("BEGIN IMMEDIATE");
    m_bInTransaction = true;
  }
  void Commit() override {
    RunCached("COMMIT");
    m_bInTransaction = false;
  }
  void Rollback() noexcept override {
    if (!m_bInTransaction) return;
    m_bInTransaction = false;
    sqlite3_exec(m_db.Handle(), "ROLLBACK", nullptr, nullptr, nullptr);
  }
  bool InTransaction() const override { return m_bInTransaction; }
  void SetDeferredSync(bool deferred) override;
  std::uint64_t DataVersion() override {
    CSqliteStmt stmt(m_db, "PRAGMA data_version");
    return stmt.Step() ? static_cast<std::uint64_t>(stmt.Int(0)) : 0;
  }

  unsigned long ReserveRecordId(int table) override;
  unsigned long PeekRecordId(int table) override;
  void NoteRecordId(int table, unsigned long recordId) override;
  void ForEachObject(int table, const std::function<void(const CStoredObject&)>& row) override;
  void AppendObjectInfos(int table, CObjInfoList::Items& items) override;
  std::size_t CountObjects(int table) override;
  bool FindObjectByName(int table, std::string_view name, CStoredObject* row) override;
  bool FindObjectById(int table, unsigned long recordId, CStoredObject* row) override;
  bool ReadRecord(int table, unsigned long recordId, std::string& record) override;
  std::vector<std::string> NamesWithPrefix(int table, std::string_view prefix) override;
  unsigned long HighestNameNumber(int table, std::string_view prefix) override;
  void PutObject(int table, const CStoredObject& row, std::string_view record) override;
  void RenameObject(int table, unsigned long recordId, std::string_view name) override;
  bool DeleteObject(int table, unsigned long recordId) override;
  void SetObjectKeys(int table, unsigned long recordId,
                     const std::vector<std::string>& keys) override;
  std::vector<unsigned long> ObjectsWithKey(int table, std::string_view key) override;
  void ForEachObjectKey(int table, std::string_view prefix,
                        const std::function<void(unsigned long, std::string_view)>& row) override;
  void ForEachKeyOfObjects(
      int table, unsigned long first, unsigned long last,
      const std::function<void(unsigned long, std::string_view)>& row) override;

  std::vector<CStoredSubbase> Subbases(int table) override;
  unsigned long FindSubbase(int table, std::string_view name) override;
  unsigned long CreateSubbase(int table, std::string_view name) override;
  void RenameSubbase(int table, unsigned long subbase, std::string_view name) override;
  void DeleteSubbase(int table, unsigned long subbase) override;
  void ClearSubbase(int table, unsigned long subbase) override;
  void AddToSubbase(int table, unsigned long subbase, unsigned long recordId) override;
  void RemoveFromSubbase(int table, unsigned long subbase, unsigned long recordId) override;
  std::vector<unsigned long> SubbaseMembers(int table, unsigned long subbase) override;

  std::vector<std::string> Keywords(int table) override;
  void AddKeyword(int table, std::string_view keyword) override;

  void SetFieldValues(int table, unsigned long recordId, int field,
                      const std::vector<std::string>& values) override;
  std::vector<std::string> FieldValues(int table, unsigned long recordId, int field) override;
  void ClearFieldValues(int table, unsigned long recordId) override;

  std::vector<CUDFieldDef> UDFieldDefs() override;
  int PutUDFieldDef(const CUDFieldDef& def) override;
  bool DeleteUDFieldDef(std::string_view name) override;

  bool LoadCreator(std::string_view login, std::string& record) override;
  void SaveCreator(std::string_view login, std::string_view record) override;

  void ReadObjectPage(int table, EObjectOrder order, unsigned long subbase,
                      const CStoredObject* after, std::size_t limit,
                      std::vector<CStoredObject>& rows) override;
  bool CandidateIds(int table, const CCandidateQuery& query,
                    std::vector<unsigned long>& ids) override;
  void ReadObjectsById(int table, const std::vector<unsigned long>& ids,
                       std::vector<CStoredObject>& rows) override;
  void ForEachKeyOfObjects(
      int table, const std::vector<unsigned long>& ids, std::string_view prefix,
      const std::function<void(unsigned long, std::string_view)>& row) override;
  std::vector<CCommentStamp> CommentStamps(int table) override;
  void IndexComment(int table, const CCommentStamp& stamp, const std::string* text) override;

  std::uint64_t StatementSteps() override;
  std::string IntegrityCheck() override;
  void CopyTo(const std::string& path) override;
  void RestoreFrom(const std::string& path) override;

  // ---- what the database is ----
  std::string BackendName() const override { return "sqlite"; }
  std::vector<std::string> CreatorLogins() override {
    std::vector<std::string> logins;
    CSqliteStmt stmt(m_db, "SELECT login FROM creators ORDER BY login");
    while (stmt.Step()) logins.emplace_back(stmt.Text(0));
    return logins;
  }
  int SchemaVersion() override { return static_cast<int>(m_db.QueryInt("PRAGMA user_version")); }
  std::uint64_t SizeInBytes() override {
    return static_cast<std::uint64_t>(m_db.QueryInt("PRAGMA page_count")) *
           static_cast<std::uint64_t>(m_db.QueryInt("PRAGMA page_size"));
  }

 private:
  // Runs `change` in the open transaction, or in one of its own.
  template <class Change>
  auto Changing(Change change) {
    if (m_bInTransaction) return change();
    CDBWriteTransaction transaction(*this);
    auto result = change();
    transaction.Commit();
    return result;
  }
  // Runs the statement `sql` to its end with `values` bound in order.
  template <class... Values>
  void RunStatement(const char* sql, const Values&... values) {
    CSqliteStmt stmt(m_db, sql);
    int index = 0;
    (stmt.Bind(++index, values), ...);
    stmt.Run();
  }
  // A change of one statement: RunStatement in the open transaction, or in
  // one of its own.
  template <class... Values>
  void Change(const char* sql, const Values&... values) {
    Changing([&] {
      RunStatement(sql, values...);
      return 0;
    });
  }
  // A change of one statement to subbase `subbase` of `table`, refused
  // (CDBException) when there is no such subbase.
  template <class... Values>
  void ChangeSubbase(int table, unsigned long subbase, const char* sql, const Values&... values) {
    Changing([&] {
      CheckSubbase(table, subbase);
      RunStatement(sql, values...);
      return 0;
    });
  }
  // Runs `sql` (a literal: BEGIN, COMMIT) from the connection's cache of
  // prepared statements, parsed once per connection instead of at every
  // transaction; fails as Exec does, naming the statement.
  void RunCached(const char* sql) {
    try {
      CSqliteStmt(m_db, sql).Run();
    } catch (const CDBException&) {
      m_db.Fail(sqlite3_extended_errcode(m_db.Handle()), std::string("cannot run \"") + sql + "\"");
    }
  }
  void CheckSubbase(int table, unsigned long subbase);
  // True when the records table has its checksum column; AddRecordChecksums
  // adds it to a database made before it existed (records stored earlier
  // keep no checksum; the programs that made them read the column's
  // database as before).
  bool HasRecordChecksums();
  void AddRecordChecksums();
  static void FillRow(const CSqliteStmt& stmt, CStoredObject& row);
  // ---- the index of search terms ----
  // Makes the index in a database made before it (one transaction).
  void AddSearchIndex();
  // Brings the index up to date with every record written or removed since
  // it last was (inside the open write transaction).
  void CatchUpTerms();
  void IndexRecordTerms(std::int64_t key);
  // True when no record waits to be indexed; on a writable database not in a
  // change, brings the index up to date first.
  bool TermsCurrent();
  // The candidates of one kind of condition, ascending.
  std::vector<unsigned long> KeywordCandidates(int table, const std::vector<std::string>& words);
  bool TextCandidates(int table, const std::vector<std::string>& texts, bool comments,
                      std::vector<unsigned long>& ids);
  void UnreadCandidates(int table, std::vector<unsigned long>& ids);
  // Keeps of `ids` those whose list columns meet the hit-count and name
  // conditions of `query`.
  void FilterByColumns(int table, const CCandidateQuery& query, std::vector<unsigned long>& ids);
  std::vector<unsigned long> ColumnCandidates(int table, const CCandidateQuery& query);

  std::unique_ptr<CSqliteDb> m_pDb;
  CSqliteDb& m_db;
  bool m_bInTransaction = false;
  bool m_bReadOnly = false;
  bool m_bRecordCrc = false;  // the records carry their checksum column
};

void PrepareFile(const std::string& path, bool& exists) {
  std::error_code error;
  exists = std::filesystem::exists(path, error);
  if (exists) return;
  std::filesystem::path dir = std::filesystem::path(path).parent_path();
  if (!dir.empty()) std::filesystem::create_directories(dir, error);
  if (error) {
    throw CDBException(dir.string() + ": cannot create the database folder: " + error.message());
  }
}

// True when the database file `path` exists but it or its folder (where the
// journal files go) cannot be written: the database is then opened for
// reading only.
bool IsReadOnlyFile(const std::string& path) {
  const std::filesystem::path dir = std::filesystem::path(path).parent_path();
  return ::access(path.c_str(), W_OK) != 0 || ::access(dir.empty() ? "." : dir.c_str(), W_OK) != 0;
}

int OpenFlags(const std::string& path) {
  bool exists = false;
  PrepareFile(path, exists);
  if (exists && IsReadOnlyFile(path)) return SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX;
  return SQLITE_OPEN_READWRITE | (exists ? 0 : SQLITE_OPEN_CREATE) | SQLITE_OPEN_NOMUTEX;
}

// `path` as a "file:" URI that opens it immutable: for a database that no
// one can write (its folder is read-only) and that has no write-ahead
// journal left, so that every committed change is in the file itself.
std::string ImmutableUri(const std::string& path) {
  std::string uri = "file:";
  for (char c : std::filesystem::absolute(path).string()) {
    if (c == '%' || c == '?' || c == '#') {
      static const char kHex[] = "0123456789ABCDEF";
      uri += '%';
      uri += kHex[(static_cast<unsigned char>(c) >> 4) & 0xF];
      uri += kHex[static_cast<unsigned char>(c) & 0xF];
    } else {
      uri += c;
    }
  }
  return uri + "?immutable=1";
}

// The connection to `path`. A database that can only be read, whose journal
// files cannot be made beside it, is read as an immutable file when no
// write-ahead journal holds changes yet to be copied into it.
std::unique_ptr<CSqliteDb> OpenConnection(const std::string& path) {
  const int flags = OpenFlags(path);
  auto db = std::make_unique<CSqliteDb>(path, flags);
  if ((flags & SQLITE_OPEN_READONLY) == 0) return db;
  if (sqlite3_exec(db->Handle(), "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr) ==
      SQLITE_OK) {
    return db;
  }
  std::error_code error;
  const std::uintmax_t journal = std::filesystem::file_size(path + "-wal", error);
  if (!error && journal > 0) return db;  // its failure is reported as it is
  return std::make_unique<CSqliteDb>(path, flags, ImmutableUri(path));
}

CSqliteStorage::CSqliteStorage(const std::string& path, bool* created, int busyTimeoutMs)
    : m_pDb(OpenConnection(path)), m_db(*m_pDb) {
  m_bReadOnly = sqlite3_db_readonly(m_db.Handle(), "main") == 1;
  sqlite3_busy_timeout(m_db.Handle(), busyTimeoutMs);
  std::int64_t appId = 0;
  std::int64_t version = 0;
  std::int64_t tables = 0;
  try {
    // One read transaction: another process may be creating the database.
    m_db.Exec("BEGIN");
    appId = m_db.QueryInt("PRAGMA application_id");
    version = m_db.QueryInt("PRAGMA user_version");
    tables = m_db.QueryInt("SELECT count(*) FROM sqlite_master");
    m_db.Exec("COMMIT");
  } catch (const CDBException& e) {
    sqlite3_exec(m_db.Handle(), "ROLLBACK", nullptr, nullptr, nullptr);
    throw CDBException(path + ": not an object database of blastsearch (" + e.what() + ")");
  }
  if (appId != 0 && appId != kApplicationId) {
    throw CDBException(path + ": not an object database of blastsearch (another program's)");
  }
  if (version > kDatabaseSchemaVersion) {
    throw CDBException(path + ": made by a newer version of blastsearch (database version " +
                       std::to_string(version) + "; this version reads up to " +
                       std::to_string(kDatabaseSchemaVersion) + ")");
  }
  if (appId == 0 && tables != 0) {
    throw CDBException(path +
                       ": not an object database of blastsearch (an unknown SQLite database)");
  }
  if (m_bReadOnly) {
    if (appId == 0) throw CDBException(path + ": the database is read-only and not yet made");
    m_bRecordCrc = HasRecordChecksums();
    if (created != nullptr) *created = false;
    return;
  }
  bool made = false;
  if (appId == 0) {
    CDBWriteTransaction transaction(*this);
    if (m_db.QueryInt("PRAGMA application_id") == 0) {
      m_db.Exec(kSchema);
      m_db.Exec(("PRAGMA application_id = " + std::to_string(kApplicationId)).c_str());
      m_db.Exec(("PRAGMA user_version = " + std::to_string(kDatabaseSchemaVersion)).c_str());
      made = true;
    }
    transaction.Commit();
  }
  if (m_db.QueryInt("SELECT count(*) FROM sqlite_master WHERE name = 'objectkeys'") == 0) {
    CDBWriteTransaction transaction(*this);
    m_db.Exec(kObjectKeysSchema);
    transaction.Commit();
  }
  if (m_db.QueryInt("SELECT count(*) FROM sqlite_master WHERE name = 'objects_numbered'") == 0) {
    CDBWriteTransaction transaction(*this);
    m_db.Exec(kNumberedNamesSchema);
    transaction.Commit();
  }
  AddRecordChecksums();
  AddSearchIndex();
  m_db.Exec("PRAGMA journal_mode = WAL");
  // A change reported done survives a power cut, not only a killed process:
  // in write-ahead mode FULL syncs the journal at every commit (NORMAL would
  // leave the last commits to the next checkpoint).
  m_db.Exec("PRAGMA synchronous = FULL");
  if (created != nullptr) *created = made;
}

void CSqliteStorage::SetDeferredSync(bool deferred) {
  if (m_bReadOnly) return;
  m_db.Exec(deferred ? "PRAGMA synchronous = NORMAL" : "PRAGMA synchronous = FULL");
  if (deferred) return;
  // The write-ahead journal holds every commit not yet copied into the
  // database file (which a copy syncs): syncing it makes them all durable.
  sqlite3_file* journal = nullptr;
  const int found =
      sqlite3_file_control(m_db.Handle(), "main", SQLITE_FCNTL_JOURNAL_POINTER, &journal);
  if (found != SQLITE_OK || journal == nullptr || journal->pMethods == nullptr) return;
  const int rc = journal->pMethods->xSync(journal, SQLITE_SYNC_FULL);
  if (rc != SQLITE_OK) m_db.Fail(rc, "cannot write the changes through to the disk");
}

bool CSqliteStorage::HasRecordChecksums() {
  return m_db.QueryInt("SELECT count(*) FROM pragma_table_info('records') WHERE name = 'crc'") != 0;
}

void CSqliteStorage::AddRecordChecksums() {
  m_bRecordCrc = HasRecordChecksums();
  if (m_bRecordCrc) return;
  CDBWriteTransaction transaction(*this);
  if (!HasRecordChecksums()) m_db.Exec("ALTER TABLE records ADD COLUMN crc INTEGER");
  transaction.Commit();
  m_bRecordCrc = true;
}

unsigned long CSqliteStorage::PeekRecordId(int table) {
  // One statement, so one look at the database outside a transaction: the
  // counter, or above the highest stored identifier.
  CSqliteStmt stmt(m_db,
                   "SELECT max(coalesce((SELECT next_id FROM counters WHERE tbl = ?1), 1), "
                   "coalesce((SELECT max(id) FROM objects WHERE tbl = ?1), 0) + 1)");
  return stmt.Bind(1, table).Step() ? static_cast<unsigned long>(stmt.Int(0)) : 1;
}

unsigned long CSqliteStorage::ReserveRecordId(int table) {
  return Changing([&] {
    const unsigned long next = PeekRecordId(table);
    RunStatement("INSERT OR REPLACE INTO counters(tbl, next_id) VALUES(?, ?)", table,
                 IdOf(next) + 1);
    return next;
  });
}

void CSqliteStorage::NoteRecordId(int table, unsigned long recordId) {
  Change(
      "INSERT INTO counters(tbl, next_id) VALUES(?1, ?2) ON CONFLICT(tbl) "
      "DO UPDATE SET next_id = max(next_id, ?2)",
      table, IdOf(recordId) + 1);
}

void CSqliteStorage::FillRow(const CSqliteStmt& stmt, CStoredObject& row) {
  row.m_recordId = static_cast<unsigned long>(stmt.Int(0));
  row.m_name.assign(stmt.Text(1));
  row.m_objType = static_cast<int>(stmt.Int(2));
  row.m_creationTime = static_cast<long>(stmt.Int(3));
  row.m_tableNumber = static_cast<int>(stmt.Int(4));
  row.m_tableText.assign(stmt.Text(5));
  row.m_author.assign(stmt.Text(6));
}

void CSqliteStorage::ForEachObject(int table,
                                   const std::function<void(const CStoredObject&)>& row) {
  CSqliteStmt stmt(m_db,
                   "SELECT id, name, type, created, tnum, ttext, author FROM objects "
                   "WHERE tbl = ? ORDER BY id");
  stmt.Bind(1, table);
  CStoredObject current;
  while (stmt.Step()) {
    FillRow(stmt, current);
    row(current);
  }
}

void CSqliteStorage::AppendObjectInfos(int table, CObjInfoList::Items& items) {
  CSqliteStmt stmt(m_db,
                   "SELECT id, name, type, created, tnum, ttext, author FROM objects "
                   "WHERE tbl = ? ORDER BY id");
  stmt.Bind(1, table);
  while (stmt.Step()) {
    // Straight from the statement into the record: no row in between.
    auto info = std::make_unique<CObjInfo>(static_cast<int>(stmt.Int(2)),
                                           static_cast<unsigned long>(stmt.Int(0)),
                                           std::string(stmt.Text(1)));
    info->m_creationTime = static_cast<long>(stmt.Int(3));
    info->m_tableNumber = static_cast<int>(stmt.Int(4));
    // Made in place rather than assigned over the empty strings.
    if (const std::string_view text = stmt.Text(5); !text.empty()) {
      info->m_tableText = std::string(text);
    }
    if (const std::string_view author = stmt.Text(6); !author.empty()) {
      info->m_strAuthor = std::string(author);
    }
    items.push_back(std::move(info));
  }
}

std::size_t CSqliteStorage::CountObjects(int table) {
  CSqliteStmt stmt(m_db, "SELECT count(*) FROM objects WHERE tbl = ?");
  return stmt.Bind(1, table).Step() ? static_cast<std::size_t>(stmt.Int(0)) : 0;
}

bool CSqliteStorage::FindObjectByName(int table, std::string_view name, CStoredObject* row) {
  CSqliteStmt stmt(m_db,
                   "SELECT id, name, type, created, tnum, ttext, author FROM objects "
                   "WHERE tbl = ? AND name = ?");
  if (!stmt.Bind(1, table).Bind(2, name).Step()) return false;
  if (row != nullptr) FillRow(stmt, *row);
  return true;
}

bool CSqliteStorage::FindObjectById(int table, unsigned long recordId, CStoredObject* row) {
  CSqliteStmt stmt(m_db,
                   "SELECT id, name, type, created, tnum, ttext, author FROM objects "
                   "WHERE tbl = ? AND id = ?");
  if (!stmt.Bind(1, table).Bind(2, static_cast<std::int64_t>(recordId)).Step()) return false;
  if (row != nullptr) FillRow(stmt, *row);
  return true;
}

std::vector<std::string> CSqliteStorage::NamesWithPrefix(int table, std::string_view prefix) {
  std::vector<std::string> names;
  // Names from the prefix up to the first text above every name it begins.
  const std::string upper = TextAfterPrefix(prefix);
  CSqliteStmt stmt(m_db,
                   "SELECT name FROM objects WHERE tbl = ?1 AND name >= ?2 AND "
                   "(?3 = '' OR name < ?3) AND substr(name, 1, length(?2)) = ?2 ORDER BY name");
  stmt.Bind(1, table).Bind(2, prefix).Bind(3, upper);
  while (stmt.Step()) names.emplace_back(stmt.Text(0));
  return names;
}

unsigned long CSqliteStorage::HighestNameNumber(int table, std::string_view prefix) {
  const auto digits = [&](std::string_view name) { return name.substr(prefix.size()); };
  const auto value = [](std::string_view text) {
    unsigned long n = 0;
    for (char c : text) n = n * 10 + static_cast<unsigned long>(c - '0');
    return n;
  };
  if (prefix.empty() || (prefix.back() >= '0' && prefix.back() <= '9')) {
    // The index keys names without their trailing digits: no help here.
    unsigned long highest = 0;
    for (const std::string& name : NamesWithPrefix(table, prefix)) {
      const std::string_view d = digits(name);
      if (!d.empty() && d.size() <= 9 && d.find_first_not_of("0123456789") == d.npos) {
        highest = std::max(highest, value(d));
      }
    }
    return highest;
  }
  // The longest such name, greatest among those as long: its number is the
  // highest unless it starts with a zero (then so do all of its length, and
  // the next shorter length is looked at). At most nine steps.
  unsigned long highest = 0;
  for (std::int64_t most = 9; most > 0;) {
    CSqliteStmt stmt(m_db,
                     "SELECT name FROM objects WHERE tbl = ?1 AND rtrim(name, '0123456789') = ?2 "
                     "AND length(name) > length(?2) AND length(name) <= length(?2) + ?3 "
                     "ORDER BY length(name) DESC, name DESC LIMIT 1");
    if (!stmt.Bind(1, table).Bind(2, prefix).Bind(3, most).Step()) break;
    const std::string_view d = digits(stmt.Text(0));
    highest = std::max(highest, value(d));
    if (d.empty() || d.front() != '0') break;
    most = static_cast<std::int64_t>(d.size()) - 1;
  }
  return highest;
}

void CSqliteStorage::SetObjectKeys(int table, unsigned long recordId,
                                   const std::vector<std::string>& keys) {
  Changing([&] {
    const std::int64_t id = IdOf(recordId);
    RunStatement("DELETE FROM objectkeys WHERE tbl = ? AND id = ?", table, id);
    for (const std::string& key : keys) {
      RunStatement("INSERT OR IGNORE INTO objectkeys(tbl, key, id) VALUES(?, ?, ?)", table,
                   std::string_view(key), id);
    }
    return 0;
  });
}

std::vector<unsigned long> CSqliteStorage::ObjectsWithKey(int table, std::string_view key) {
  std::vector<unsigned long> ids;
  CSqliteStmt stmt(m_db, "SELECT id FROM objectkeys WHERE tbl = ? AND key = ? ORDER BY id");
  stmt.Bind(1, table).Bind(2, key);
  while (stmt.Step()) ids.push_back(static_cast<unsigned long>(stmt.Int(0)));
  return ids;
}

void CSqliteStorage::ForEachObjectKey(
    int table, std::string_view prefix,
    const std::function<void(unsigned long, std::string_view)>& row) {
  if (prefix.empty()) return;
  // The keys from `prefix` up to the first text after every one that begins
  // with it.
  const std::string upper = TextAfterPrefix(prefix);
  CSqliteStmt stmt(m_db,
                   "SELECT id, key FROM objectkeys WHERE tbl = ?1 AND key >= ?2 AND "
                   "(?3 = '' OR key < ?3) ORDER BY key");
  stmt.Bind(1, table).Bind(2, prefix).Bind(3, upper);
  while (stmt.Step()) row(static_cast<unsigned long>(stmt.Int(0)), stmt.Text(1));
}

void CSqliteStorage::ForEachKeyOfObjects(
    int table, unsigned long first, unsigned long last,
    const std::function<void(unsigned long, std::string_view)>& row) {
  if (first > last) return;
  CSqliteStmt stmt(m_db,
                   "SELECT id, key FROM objectkeys WHERE tbl = ?1 AND id BETWEEN ?2 AND ?3 "
                   "ORDER BY id, key");
  stmt.Bind(1, table).Bind(2, IdOf(first)).Bind(3, IdOf(last));
  while (stmt.Step()) row(static_cast<unsigned long>(stmt.Int(0)), stmt.Text(1));
}

bool CSqliteStorage::ReadRecord(int table, unsigned long recordId, std::string& record) {
  if (!m_bRecordCrc) {
    CSqliteStmt stmt(m_db, "SELECT data FROM records WHERE key = ?");
    if (!stmt.Bind(1, RecordKey(table, recordId)).Step()) return false;
    record.assign(stmt.Text(0));
    return true;
  }
  CSqliteStmt stmt(m_db, "SELECT data, crc FROM records WHERE key = ?");
  if (!stmt.Bind(1, RecordKey(table, recordId)).Step()) return false;
  record.assign(stmt.Text(0));
  // A record stored by a version that kept no checksum has none to check;
  // one whose bytes changed reads as empty, which no reader takes for a
  // record: it is named damaged, never shown changed.
  if (!stmt.IsNull(1) && static_cast<std::uint32_t>(stmt.Int(1)) != RecordCrc32(record)) {
    record.clear();
  }
  return true;
}

void CSqliteStorage::PutObject(int table, const CStoredObject& row, std::string_view record) {
  Changing([&] {
    const auto id = static_cast<std::int64_t>(row.m_recordId);
    // The object of the same identifier is replaced; the name's uniqueness
    // refuses the change when another object has the name.
    CSqliteStmt put(m_db,
                    "INSERT INTO objects(tbl, id, name, type, created, tnum, ttext, author) "
                    "VALUES(?, ?, ?, ?, ?, ?, ?, ?) ON CONFLICT(tbl, id) DO UPDATE SET "
                    "name = excluded.name, type = excluded.type, created = excluded.created, "
                    "tnum = excluded.tnum, ttext = excluded.ttext, author = excluded.author");
    put.Bind(1, table).Bind(2, id).Bind(3, row.m_name).Bind(4, row.m_objType);
    put.Bind(5, static_cast<std::int64_t>(row.m_creationTime)).Bind(6, row.m_tableNumber);
    put.Bind(7, row.m_tableText).Bind(8, row.m_author);
    if (!put.RunUnlessDuplicate()) {
      throw CDBException(GetPath() + ": an object named \"" + row.m_name + "\" already exists");
    }
    if (m_bRecordCrc) {
      CSqliteStmt data(m_db, "INSERT OR REPLACE INTO records(key, data, crc) VALUES(?, ?, ?)");
      data.Bind(1, RecordKey(table, row.m_recordId)).BindBlob(2, record);
      data.Bind(3, static_cast<std::int64_t>(RecordCrc32(record))).Run();
    } else {
      CSqliteStmt data(m_db, "INSERT OR REPLACE INTO records(key, data) VALUES(?, ?)");
      data.Bind(1, RecordKey(table, row.m_recordId)).BindBlob(2, record).Run();
    }
    CatchUpTerms();
    return 0;
  });
}

void CSqliteStorage::RenameObject(int table, unsigned long recordId, std::string_view name) {
  Change("UPDATE objects SET name = ? WHERE tbl = ? AND id = ?", name, table, IdOf(recordId));
}

bool CSqliteStorage::DeleteObject(int table, unsigned long recordId) {
  return Changing([&] {
    const std::int64_t id = IdOf(recordId);
    RunStatement("DELETE FROM objects WHERE tbl = ? AND id = ?", table, id);
    const bool found = sqlite3_changes(m_db.Handle()) > 0;
    RunStatement("DELETE FROM records WHERE key = ?", RecordKey(table, recordId));
    RunStatement(
        "DELETE FROM members WHERE obj = ? AND sb IN (SELECT id FROM subbases WHERE tbl = ?)", id,
        table);
    RunStatement("DELETE FROM fieldvalues WHERE tbl = ? AND id = ?", table, id);
    RunStatement("DELETE FROM objectkeys WHERE tbl = ? AND id = ?", table, id);
    CatchUpTerms();
    if (found) NoteRecordId(table, recordId);  // never handed out again
    return found;
  });
}

std::vector<CStoredSubbase> CSqliteStorage::Subbases(int table) {
  std::vector<CStoredSubbase> subbases;
  CSqliteStmt stmt(m_db, "SELECT id, name FROM subbases WHERE tbl = ? ORDER BY id");
  stmt.Bind(1, table);
  while (stmt.Step()) {
    subbases.push_back({static_cast<unsigned long>(stmt.Int(0)), std::string(stmt.Text(1))});
  }
  return subbases;
}

unsigned long CSqliteStorage::FindSubbase(int table, std::string_view name) {
  CSqliteStmt stmt(m_db, "SELECT id FROM subbases WHERE tbl = ? AND name = ?");
  return stmt.Bind(1, table).Bind(2, name).Step() ? static_cast<unsigned long>(stmt.Int(0)) : 0;
}

unsigned long CSqliteStorage::CreateSubbase(int table, std::string_view name) {
  return Changing([&] {
    RunStatement("INSERT INTO subbases(tbl, name) VALUES(?, ?)", table, name);
    return static_cast<unsigned long>(sqlite3_last_insert_rowid(m_db.Handle()));
  });
}

void CSqliteStorage::CheckSubbase(int table, unsigned long subbase) {
  CSqliteStmt stmt(m_db, "SELECT 1 FROM subbases WHERE tbl = ? AND id = ?");
  if (!stmt.Bind(1, table).Bind(2, static_cast<std::int64_t>(subbase)).Step()) {
    throw CDBException(GetPath() + ": no subbase " + std::to_string(subbase));
  }
}

void CSqliteStorage::RenameSubbase(int table, unsigned long subbase, std::string_view name) {
  ChangeSubbase(table, subbase, "UPDATE subbases SET name = ? WHERE id = ?", name, IdOf(subbase));
}

void CSqliteStorage::DeleteSubbase(int table, unsigned long subbase) {
  Changing([&] {
    CheckSubbase(table, subbase);
    RunStatement("DELETE FROM members WHERE sb = ?", IdOf(subbase));
    RunStatement("DELETE FROM subbases WHERE id = ?", IdOf(subbase));
    return 0;
  });
}

void CSqliteStorage::ClearSubbase(int table, unsigned long subbase) {
  ChangeSubbase(table, subbase, "DELETE FROM members WHERE sb = ?", IdOf(subbase));
}

void CSqliteStorage::AddToSubbase(int table, unsigned long subbase, unsigned long recordId) {
  ChangeSubbase(table, subbase, "INSERT OR IGNORE INTO members(sb, obj) VALUES(?, ?)",
                IdOf(subbase), IdOf(recordId));
}

void CSqliteStorage::RemoveFromSubbase(int table, unsigned long subbase, unsigned long recordId) {
  ChangeSubbase(table, subbase, "DELETE FROM members WHERE sb = ? AND obj = ?", IdOf(subbase),
                IdOf(recordId));
}

std::vector<unsigned long> CSqliteStorage::SubbaseMembers(int table, unsigned long subbase) {
  CheckSubbase(table, subbase);
  std::vector<unsigned long> members;
  CSqliteStmt stmt(m_db, "SELECT obj FROM members WHERE sb = ? ORDER BY obj");
  stmt.Bind(1, static_cast<std::int64_t>(subbase));
  while (stmt.Step()) members.push_back(static_cast<unsigned long>(stmt.Int(0)));
  return members;
}

std::vector<std::string> CSqliteStorage::Keywords(int table) {
  std::vector<std::string> keywords;
  CSqliteStmt stmt(m_db, "SELECT keyword FROM keywords WHERE tbl = ? ORDER BY keyword");
  stmt.Bind(1, table);
  while (stmt.Step()) keywords.emplace_back(stmt.Text(0));
  return keywords;
}

void CSqliteStorage::AddKeyword(int table, std::string_view keyword) {
  Change("INSERT OR IGNORE INTO keywords(tbl, keyword) VALUES(?, ?)", table, keyword);
}

void CSqliteStorage::SetFieldValues(int table, unsigned long recordId, int field,
                                    const std::vector<std::string>& values) {
  Changing([&] {
    const std::int64_t id = IdOf(recordId);
    RunStatement("DELETE FROM fieldvalues WHERE tbl = ? AND id = ? AND field = ?", table, id,
                 field);
    for (std::size_t i = 0; i < values.size(); ++i) {
      RunStatement("INSERT INTO fieldvalues(tbl, id, field, seq, value) VALUES(?, ?, ?, ?, ?)",
                   table, id, field, static_cast<std::int64_t>(i), std::string_view(values[i]));
    }
    return 0;
  });
}

std::vector<std::string> CSqliteStorage::FieldValues(int table, unsigned long recordId, int field) {
  std::vector<std::string> values;
  CSqliteStmt stmt(m_db,
                   "SELECT value FROM fieldvalues WHERE tbl = ? AND id = ? AND field = ? "
                   "ORDER BY seq");
  stmt.Bind(1, table).Bind(2, static_cast<std::int64_t>(recordId)).Bind(3, field);
  while (stmt.Step()) values.emplace_back(stmt.Text(0));
  return values;
}

void CSqliteStorage::ClearFieldValues(int table, unsigned long recordId) {
  Change("DELETE FROM fieldvalues WHERE tbl = ? AND id = ?", table, IdOf(recordId));
}

std::vector<CUDFieldDef> CSqliteStorage::UDFieldDefs() {
  std::vector<CUDFieldDef> defs;
  CSqliteStmt stmt(m_db, "SELECT name, field, kind, objtype FROM udfdefs ORDER BY field");
  while (stmt.Step()) {
    CUDFieldDef def;
    def.m_strName.assign(stmt.Text(0));
    def.m_fieldId = static_cast<int>(stmt.Int(1));
    def.m_valueKind = static_cast<int>(stmt.Int(2));
    def.m_objType = static_cast<int>(stmt.Int(3));
    defs.push_back(std::move(def));
  }
  return defs;
}

int CSqliteStorage::PutUDFieldDef(const CUDFieldDef& def) {
  return Changing([&] {
    int field = def.m_fieldId;
    if (field == 0) {
      CSqliteStmt same(m_db, "SELECT field FROM udfdefs WHERE name = ?");
      if (same.Bind(1, def.m_strName).Step()) field = static_cast<int>(same.Int(0));
    }
    if (field == 0) {
      CSqliteStmt top(m_db, "SELECT coalesce(max(field), 0) FROM udfdefs");
      top.Step();
      field = std::max<int>(kFirstUDFieldId, static_cast<int>(top.Int(0)) + 1);
    }
    const std::string_view name = def.m_strName;
    RunStatement("DELETE FROM udfdefs WHERE name = ? OR field = ?", name, field);
    RunStatement("INSERT INTO udfdefs(name, field, kind, objtype) VALUES(?, ?, ?, ?)", name, field,
                 def.m_valueKind, def.m_objType);
    return field;
  });
}

bool CSqliteStorage::DeleteUDFieldDef(std::string_view name) {
  return Changing([&] {
    RunStatement("DELETE FROM udfdefs WHERE name = ?", name);
    return sqlite3_changes(m_db.Handle()) > 0;
  });
}

bool CSqliteStorage::LoadCreator(std::string_view login, std::string& record) {
  CSqliteStmt stmt(m_db, "SELECT record FROM creators WHERE login = ?");
  if (!stmt.Bind(1, login).Step()) return false;
  record.assign(stmt.Text(0));
  return true;
}

void CSqliteStorage::SaveCreator(std::string_view login, std::string_view record) {
  Change("INSERT OR REPLACE INTO creators(login, record) VALUES(?, ?)", login, record);
}

std::uint64_t CSqliteStorage::StatementSteps() {
  // Every statement of the storage stays prepared in its cache, so the sum
  // over the prepared ones is the work done since the opening.
  std::uint64_t steps = 0;
  for (sqlite3_stmt* stmt = sqlite3_next_stmt(m_db.Handle(), nullptr); stmt != nullptr;
       stmt = sqlite3_next_stmt(m_db.Handle(), stmt)) {
    steps += static_cast<std::uint64_t>(sqlite3_stmt_status(stmt, SQLITE_STMTSTATUS_VM_STEP, 0));
  }
  return steps;
}

std::string CSqliteStorage::IntegrityCheck() {
  std::string result;
  sqlite3_stmt* stmt = nullptr;
  int rc = sqlite3_prepare_v2(m_db.Handle(), "PRAGMA integrity_check", -1, &stmt, nullptr);
  if (rc != SQLITE_OK) m_db.Fail(rc, "cannot check the database");
  while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
    if (!result.empty()) result += '\n';
    result += reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
  }
  sqlite3_finalize(stmt);
  if (rc != SQLITE_DONE) m_db.Fail(rc, "cannot check the database");
  // Every list entry has its record and every record its list entry.
  std::int64_t orphans = m_db.QueryInt(
      "SELECT (SELECT count(*) FROM objects o WHERE NOT EXISTS "
      "(SELECT 1 FROM records r WHERE r.key = (o.tbl << 32) | o.id)) + "
      "(SELECT count(*) FROM records r WHERE NOT EXISTS "
      "(SELECT 1 FROM objects o WHERE r.key = (o.tbl << 32) | o.id))");
  if (orphans != 0 && result == "ok") {
    result = std::to_string(orphans) + " objects without their record or records without objects";
  }
  return result;
}

void CSqliteStorage::CopyTo(const std::string& path) {
  std::error_code error;
  std::filesystem::remove(path, error);
  CSqliteStmt stmt(m_db, "VACUUM INTO ?");
  stmt.Bind(1, path).Run();
}

void CSqliteStorage::RestoreFrom(const std::string& path) {
  CSqliteDb source(path, SQLITE_OPEN_READONLY);
  if (source.QueryInt("PRAGMA application_id") != kApplicationId) {
    throw CDBException(path + ": not a copy of an object database of blastsearch");
  }
  sqlite3_backup* backup = sqlite3_backup_init(m_db.Handle(), "main", source.Handle(), "main");
  if (backup == nullptr) m_db.Fail(sqlite3_errcode(m_db.Handle()), "cannot restore " + path);
  int rc = sqlite3_backup_step(backup, -1);
  sqlite3_backup_finish(backup);
  if (rc != SQLITE_DONE) m_db.Fail(rc, "cannot restore " + path);
  // A copy made before the search index gets it, as an opened file does.
  AddSearchIndex();
}

// ---- candidate narrowing and paging ----

void CSqliteStorage::AddSearchIndex() {
  // Every part of it, so that a file where some were lost gets them again.
  constexpr const char* kParts =
      "SELECT count(*) FROM sqlite_master WHERE name IN ('objectwords', 'objectwords_obj', "
      "'objecttext', 'objectsunread', 'termsdirty', 'records_terms_put', 'records_terms_change', "
      "'records_terms_drop', 'objects_hits', 'commentindex', 'commenttext')";
  if (m_db.QueryInt(kParts) == 11) return;
  CDBWriteTransaction transaction(*this);
  m_db.Exec(kSearchIndexSchema);
  CatchUpTerms();
  transaction.Commit();
}

void CSqliteStorage::CatchUpTerms() {
  std::vector<std::int64_t> keys;
  {
    CSqliteStmt stmt(m_db, "SELECT key FROM termsdirty ORDER BY key");
    while (stmt.Step()) keys.push_back(stmt.Int(0));
  }
  if (keys.empty()) return;
  for (const std::int64_t key : keys) IndexRecordTerms(key);
  RunStatement("DELETE FROM termsdirty");
}

void CSqliteStorage::IndexRecordTerms(std::int64_t key) {
  const std::int64_t table = key >> 32;
  const std::int64_t id = key & 0xFFFFFFFF;
  RunStatement("DELETE FROM objectwords WHERE tbl = ? AND id = ?", table, id);
  RunStatement("DELETE FROM objecttext WHERE rowid = ?", key);
  RunStatement("DELETE FROM objectsunread WHERE key = ?", key);
  CSqliteStmt data(m_db, "SELECT data FROM records WHERE key = ?");
  if (!data.Bind(1, key).Step()) return;  // removed: nothing to index
  const CSearchTerms terms = ExtractSearchTerms(data.Text(0));
  bool readable = !terms.m_bUnreadable && IsValidUtf8(terms.m_text);
  for (const std::string& word : terms.m_keywords) readable = readable && IsValidUtf8(word);
  if (!readable) {
    RunStatement("INSERT OR IGNORE INTO objectsunread(key) VALUES(?)", key);
    return;
  }
  for (const std::string& word : terms.m_keywords) {
    RunStatement("INSERT OR IGNORE INTO objectwords(tbl, word, id) VALUES(?, ?, ?)", table,
                 std::string_view(word), id);
  }
  if (!terms.m_text.empty()) {
    RunStatement("INSERT INTO objecttext(rowid, text) VALUES(?, ?)", key,
                 std::string_view(terms.m_text));
  }
}

bool CSqliteStorage::TermsCurrent() {
  if (m_db.QueryInt("SELECT count(*) FROM sqlite_master WHERE name = 'termsdirty'") == 0) {
    return false;  // a database no writable program has opened since the index came
  }
  if (m_db.QueryInt("SELECT EXISTS(SELECT 1 FROM termsdirty)") == 0) return true;
  if (m_bReadOnly || m_bInTransaction) return false;
  // An older program changed records: their terms are read again now.
  CDBWriteTransaction transaction(*this);
  CatchUpTerms();
  transaction.Commit();
  return true;
}

// The statements of ReadObjectPage, literal (the statement cache keys them
// by their text's address): [by identifier, by name, by name downwards][in
// a subbase][after a row]. The bound values: table, the last row's name and
// identifier, the subbase, the page's length (unused numbers are left
// unbound). The key (name, id) after (?2, ?3) is written as a range on the
// name index, so that a page far into the table costs what the first does.
#define BS_PAGE_COLUMNS "SELECT o.id, o.name, o.type, o.created, o.tnum, o.ttext, o.author "
#define BS_PAGE_ALL BS_PAGE_COLUMNS "FROM objects o WHERE o.tbl = ?1 "
#define BS_PAGE_MEMBERS \
  BS_PAGE_COLUMNS "FROM objects o JOIN members m ON m.sb = ?4 AND m.obj = o.id WHERE o.tbl = ?1 "
#define BS_PAGE_UP "AND o.name >= ?2 AND (o.name > ?2 OR o.id > ?3) "
#define BS_PAGE_DOWN "AND o.name <= ?2 AND (o.name < ?2 OR o.id < ?3) "
#define BS_PAGE_BY_NAME "ORDER BY o.name, o.id LIMIT ?5"
#define BS_PAGE_BY_NAME_DOWN "ORDER BY o.name DESC, o.id DESC LIMIT ?5"
constexpr const char* kPageStatements[3][2][2] = {
    {{"SELECT id, name, type, created, tnum, ttext, author FROM objects "
      "WHERE tbl = ?1 ORDER BY id LIMIT ?5",
      "SELECT id, name, type, created, tnum, ttext, author FROM objects "
      "WHERE tbl = ?1 AND id > ?3 ORDER BY id LIMIT ?5"},
     {"SELECT o.id, o.name, o.type, o.created, o.tnum, o.ttext, o.author "
      "FROM members m JOIN objects o ON o.tbl = ?1 AND o.id = m.obj "
      "WHERE m.sb = ?4 ORDER BY m.obj LIMIT ?5",
      "SELECT o.id, o.name, o.type, o.created, o.tnum, o.ttext, o.author "
      "FROM members m JOIN objects o ON o.tbl = ?1 AND o.id = m.obj "
      "WHERE m.sb = ?4 AND m.obj > ?3 ORDER BY m.obj LIMIT ?5"}},
    {{BS_PAGE_ALL BS_PAGE_BY_NAME, BS_PAGE_ALL BS_PAGE_UP BS_PAGE_BY_NAME},
     {BS_PAGE_MEMBERS BS_PAGE_BY_NAME, BS_PAGE_MEMBERS BS_PAGE_UP BS_PAGE_BY_NAME}},
    {{BS_PAGE_ALL BS_PAGE_BY_NAME_DOWN, BS_PAGE_ALL BS_PAGE_DOWN BS_PAGE_BY_NAME_DOWN},
     {BS_PAGE_MEMBERS BS_PAGE_BY_NAME_DOWN, BS_PAGE_MEMBERS BS_PAGE_DOWN BS_PAGE_BY_NAME_DOWN}}};
#undef BS_PAGE_COLUMNS
#undef BS_PAGE_ALL
#undef BS_PAGE_MEMBERS
#undef BS_PAGE_UP
#undef BS_PAGE_DOWN
#undef BS_PAGE_BY_NAME
#undef BS_PAGE_BY_NAME_DOWN

void CSqliteStorage::ReadObjectPage(int table, EObjectOrder order, unsigned long subbase,
                                    const CStoredObject* after, std::size_t limit,
                                    std::vector<CStoredObject>& rows) {
  rows.clear();
  if (limit == 0) return;
  const int byName = order == EObjectOrder::kByName ? 1 : order == EObjectOrder::kById ? 0 : 2;
  CSqliteStmt stmt(m_db, kPageStatements[byName][subbase != 0 ? 1 : 0][after != nullptr ? 1 : 0]);
  stmt.Bind(1, table);
  if (after != nullptr) {
    // Never a null text, which would compare with nothing.
    stmt.Bind(2, std::string_view(after->m_name.c_str(), after->m_name.size()));
  }
  stmt.Bind(3, IdOf(after != nullptr ? after->m_recordId : 0)).Bind(4, IdOf(subbase));
  stmt.Bind(5, static_cast<std::int64_t>(std::min<std::size_t>(limit, INT64_MAX)));
  while (stmt.Step()) {
    rows.emplace_back();
    FillRow(stmt, rows.back());
  }
}

std::vector<unsigned long> CSqliteStorage::KeywordCandidates(
    int table, const std::vector<std::string>& words) {
  std::vector<unsigned long> ids;
  for (const std::string& word : words) {
    CSqliteStmt stmt(m_db, "SELECT id FROM objectwords WHERE tbl = ? AND word = ?");
    stmt.Bind(1, table).Bind(2, std::string_view(word));
    while (stmt.Step()) ids.push_back(static_cast<unsigned long>(stmt.Int(0)));
  }
  UnreadCandidates(table, ids);
  return ids;
}

// `text` as one FTS5 phrase: in double quotes, its own doubled.
std::string FtsPhrase(std::string_view text) {
  std::string phrase = "\"";
  for (char c : text) {
    phrase += c;
    if (c == '"') phrase += '"';
  }
  return phrase + '"';
}

bool CSqliteStorage::TextCandidates(int table, const std::vector<std::string>& texts, bool comments,
                                    std::vector<unsigned long>& ids) {
  // The trigram index finds substrings of three characters and more; a
  // shorter one (or one that is no UTF-8) leaves the text unnarrowed.
  std::string query;
  for (const std::string& text : texts) {
    if (!IsValidUtf8(text) || Utf8Length(text) < 3) return false;
    query += query.empty() ? FtsPhrase(text) : " OR " + FtsPhrase(text);
  }
  if (query.empty()) return false;
  CSqliteStmt stmt(m_db, "SELECT rowid FROM objecttext WHERE objecttext MATCH ?");
  stmt.Bind(1, std::string_view(query));
  while (stmt.Step()) {
    const std::int64_t key = stmt.Int(0);
    if ((key >> 32) == table) ids.push_back(static_cast<unsigned long>(key & 0xFFFFFFFF));
  }
  if (comments) {
    CSqliteStmt inComments(m_db, "SELECT rowid FROM commenttext WHERE commenttext MATCH ?");
    inComments.Bind(1, std::string_view(query));
    while (inComments.Step()) {
      const std::int64_t key = inComments.Int(0);
      if ((key >> 32) == table) ids.push_back(static_cast<unsigned long>(key & 0xFFFFFFFF));
    }
    CSqliteStmt unread(m_db,
                       "SELECT key FROM commentindex WHERE readable = 0 AND key >= ? AND key < ?");
    unread.Bind(1, RecordKey(table, 0)).Bind(2, RecordKey(table + 1, 0));
    while (unread.Step()) ids.push_back(static_cast<unsigned long>(unread.Int(0) & 0xFFFFFFFF));
  }
  UnreadCandidates(table, ids);
  return true;
}

void CSqliteStorage::UnreadCandidates(int table, std::vector<unsigned long>& ids) {
  CSqliteStmt stmt(m_db, "SELECT key FROM objectsunread WHERE key >= ? AND key < ?");
  stmt.Bind(1, RecordKey(table, 0)).Bind(2, RecordKey(table + 1, 0));
  while (stmt.Step()) ids.push_back(static_cast<unsigned long>(stmt.Int(0) & 0xFFFFFFFF));
  std::sort(ids.begin(), ids.end());
  ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
}

// True when `tnum` lies in a range of `query` (or it has none).
bool InHitRanges(const CCandidateQuery& query, std::int64_t tnum) {
  if (query.m_hitCountRanges.empty()) return true;
  for (const auto& [low, high] : query.m_hitCountRanges) {
    if (tnum >= low && tnum <= high) return true;
  }
  return false;
}

void CSqliteStorage::FilterByColumns(int table, const CCandidateQuery& query,
                                     std::vector<unsigned long>& ids) {
  if (query.m_hitCountRanges.empty() && query.m_nameSubstring.empty()) return;
  std::vector<unsigned long> kept;
  for (const unsigned long id : ids) {
    CSqliteStmt stmt(m_db, "SELECT tnum, name FROM objects WHERE tbl = ? AND id = ?");
    if (!stmt.Bind(1, table).Bind(2, IdOf(id)).Step()) continue;
    if (InHitRanges(query, stmt.Int(0)) &&
        stmt.Text(1).find(query.m_nameSubstring) != std::string_view::npos) {
      kept.push_back(id);
    }
  }
  ids.swap(kept);
}

std::vector<unsigned long> CSqliteStorage::ColumnCandidates(int table,
                                                            const CCandidateQuery& query) {
  std::vector<unsigned long> ids;
  if (!query.m_hitCountRanges.empty()) {
    for (const auto& [low, high] : query.m_hitCountRanges) {
      CSqliteStmt stmt(m_db, "SELECT id, name FROM objects WHERE tbl = ? AND tnum BETWEEN ? AND ?");
      stmt.Bind(1, table).Bind(2, std::int64_t{low}).Bind(3, std::int64_t{high});
      while (stmt.Step()) {
        if (stmt.Text(1).find(query.m_nameSubstring) != std::string_view::npos) {
          ids.push_back(static_cast<unsigned long>(stmt.Int(0)));
        }
      }
    }
    std::sort(ids.begin(), ids.end());
    ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
    return ids;
  }
  // A name substring alone: one pass over the names, no record read.
  CSqliteStmt stmt(m_db, "SELECT id FROM objects WHERE tbl = ? AND instr(name, ?) > 0 ORDER BY id");
  stmt.Bind(1, table).Bind(2, std::string_view(query.m_nameSubstring));
  while (stmt.Step()) ids.push_back(static_cast<unsigned long>(stmt.Int(0)));
  return ids;
}

bool CSqliteStorage::CandidateIds(int table, const CCandidateQuery& query,
                                  std::vector<unsigned long>& ids) {
  ids.clear();
  const bool terms = !query.m_keywords.empty() || !query.m_textSubstrings.empty();
  const bool current = terms && TermsCurrent();
  bool narrowed = false;
  const auto intersect = [&](std::vector<unsigned long> found) {
    NarrowCandidateIds(ids, std::move(found), narrowed);
  };
  if (current && !query.m_keywords.empty()) intersect(KeywordCandidates(table, query.m_keywords));
  std::vector<unsigned long> texts;
  if (current && !query.m_textSubstrings.empty() &&
      TextCandidates(table, query.m_textSubstrings, query.m_bTextInComments, texts)) {
    intersect(std::move(texts));
  }
  if (narrowed) {
    FilterByColumns(table, query, ids);
    return true;
  }
  if (query.m_hitCountRanges.empty() && query.m_nameSubstring.empty()) return false;
  ids = ColumnCandidates(table, query);
  return true;
}

void CSqliteStorage::ForEachKeyOfObjects(
    int table, const std::vector<unsigned long>& ids, std::string_view prefix,
    const std::function<void(unsigned long, std::string_view)>& row) {
  if (prefix.empty()) return;
  const std::string upper = TextAfterPrefix(prefix);
  for (const unsigned long id : ids) {
    CSqliteStmt stmt(m_db,
                     "SELECT key FROM objectkeys WHERE tbl = ?1 AND id = ?2 AND key >= ?3 AND "
                     "(?4 = '' OR key < ?4) ORDER BY key");
    stmt.Bind(1, table).Bind(2, IdOf(id)).Bind(3, prefix).Bind(4, upper);
    while (stmt.Step()) row(id, stmt.Text(0));
  }
}

void CSqliteStorage::ReadObjectsById(int table, const std::vector<unsigned long>& ids,
                                     std::vector<CStoredObject>& rows) {
  rows.clear();
  CStoredObject row;
  for (const unsigned long id : ids) {
    if (FindObjectById(table, id, &row)) rows.push_back(row);
  }
}

std::vector<CCommentStamp> CSqliteStorage::CommentStamps(int table) {
  std::vector<CCommentStamp> stamps;
  if (m_db.QueryInt("SELECT count(*) FROM sqlite_master WHERE name = 'commentindex'") == 0) {
    return stamps;
  }
  CSqliteStmt stmt(m_db, "SELECT key, size, mtime FROM commentindex WHERE key >= ? AND key < ?");
  stmt.Bind(1, RecordKey(table, 0)).Bind(2, RecordKey(table + 1, 0));
  while (stmt.Step()) {
    stamps.push_back(
        {static_cast<unsigned long>(stmt.Int(0) & 0xFFFFFFFF), stmt.Int(1), stmt.Int(2)});
  }
  return stamps;
}

void CSqliteStorage::IndexComment(int table, const CCommentStamp& stamp, const std::string* text) {
  Changing([&] {
    const std::int64_t key = RecordKey(table, stamp.m_recordId);
    RunStatement("DELETE FROM commenttext WHERE rowid = ?", key);
    RunStatement("DELETE FROM commentindex WHERE key = ?", key);
    if (text == nullptr) return 0;
    const bool readable = IsValidUtf8(*text);
    RunStatement("INSERT INTO commentindex(key, size, mtime, readable) VALUES(?, ?, ?, ?)", key,
                 stamp.m_size, stamp.m_mtime, std::int64_t{readable ? 1 : 0});
    if (readable && !text->empty()) {
      RunStatement("INSERT INTO commenttext(rowid, text) VALUES(?, ?)", key,
                   std::string_view(*text));
    }
    return 0;
  });
}

// "an object database of blastsearch" when `path` is one (its header says
// so), or the write-ahead journal or shared memory file of one; else empty.
std::string DatabaseFileKind(const std::string& path) {
  for (const char* suffix : {"-wal", "-shm"}) {
    const std::size_t length = std::strlen(suffix);
    if (path.size() > length && path.compare(path.size() - length, length, suffix) == 0 &&
        !DatabaseFileKind(path.substr(0, path.size() - length)).empty()) {
      return "a journal file of an object database of blastsearch";
    }
  }
  char header[72] = {};
  std::ifstream file(path, std::ios::binary);
  if (!file.read(header, sizeof header)) return {};
  const auto byte = [&](int i) {
    return static_cast<std::int64_t>(static_cast<unsigned char>(header[i]));
  };
  const std::int64_t appId = (byte(68) << 24) | (byte(69) << 16) | (byte(70) << 8) | byte(71);
  if (std::memcmp(header, "SQLite format 3", 16) != 0 || appId != kApplicationId) return {};
  return "an object database of blastsearch";
}

// Outputs of every command refuse to write over a database, open or not.
const bool g_guarded = (AddReplacingGuard("object database", DatabaseFileKind), true);

}  // namespace

std::unique_ptr<CDBStorage> OpenSqliteStorage(const std::string& path, bool* created,
                                              int busyTimeoutMs) {
  return std::make_unique<CSqliteStorage>(path, created, busyTimeoutMs);
}

}  // namespace blastsearch
