#include "host/db/PostgresStorage.h"

#include <libpq-fe.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <limits>
#include <string_view>
#include <vector>

#include "host/db/DBException.h"
#include "host/db/DBRecordText.h"
#include "host/db/DatabaseDirectory.h"
#include "host/db/SearchTerms.h"

namespace blastsearch {

namespace {

constexpr const char* kApplication = "blastsearch object database";

// Every writer takes this transaction-level advisory lock first, so writers
// follow one another as on SQLite and every check made in a change holds
// until it commits; readers never wait for it.
constexpr std::int64_t kWriteLockKey = 0x51444231;

// Text columns compare byte by byte (COLLATE "C"), as SQLite compares them.
constexpr const char* kSchema = R"sql(
CREATE TABLE bs_meta(key text PRIMARY KEY, value text NOT NULL);
CREATE TABLE bs_changes(one int PRIMARY KEY CHECK (one = 1), n bigint NOT NULL);
CREATE TABLE bs_objects(
  tbl int NOT NULL, id bigint NOT NULL, name text COLLATE "C" NOT NULL, type int NOT NULL,
  created bigint NOT NULL, tnum int NOT NULL, ttext text NOT NULL, author text NOT NULL,
  PRIMARY KEY (tbl, id), UNIQUE (tbl, name));
CREATE TABLE bs_records(
  tbl int NOT NULL, id bigint NOT NULL, data bytea NOT NULL, crc bigint NOT NULL,
  PRIMARY KEY (tbl, id));
CREATE TABLE bs_subbases(
  id bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY, tbl int NOT NULL,
  name text COLLATE "C" NOT NULL, UNIQUE (tbl, name));
CREATE TABLE bs_members(
  sb bigint NOT NULL REFERENCES bs_subbases(id) ON DELETE CASCADE, obj bigint NOT NULL,
  PRIMARY KEY (sb, obj));
CREATE INDEX bs_members_obj ON bs_members(obj);
CREATE TABLE bs_keywords(
  tbl int NOT NULL, keyword text COLLATE "C" NOT NULL, PRIMARY KEY (tbl, keyword));
CREATE TABLE bs_fieldvalues(
  tbl int NOT NULL, id bigint NOT NULL, field int NOT NULL, seq int NOT NULL,
  value text NOT NULL, PRIMARY KEY (tbl, id, field, seq));
CREATE TABLE bs_udfdefs(
  name text COLLATE "C" PRIMARY KEY, field int NOT NULL UNIQUE, kind int NOT NULL,
  objtype int NOT NULL);
CREATE TABLE bs_creators(login text COLLATE "C" PRIMARY KEY, record text NOT NULL);
CREATE TABLE bs_objectkeys(
  tbl int NOT NULL, key text COLLATE "C" NOT NULL, id bigint NOT NULL,
  PRIMARY KEY (tbl, key, id));
CREATE INDEX bs_objectkeys_obj ON bs_objectkeys(tbl, id);
INSERT INTO bs_changes VALUES (1, 0);
)sql";

// Added for narrowing searches (made when an open database lacks it, in
// one transaction that reads the terms of every stored record): each
// object's keywords, and the text of its user-defined fields and
// description for substrings (a trigram index when the pg_trgm extension can
// be had, else read whole); objects whose terms cannot be indexed are
// candidates of every search; the hit counts in an index.
constexpr const char* kSearchIndexSchema = R"sql(
CREATE TABLE IF NOT EXISTS bs_objectwords(
  tbl int NOT NULL, word text COLLATE "C" NOT NULL, id bigint NOT NULL,
  PRIMARY KEY (tbl, word, id));
CREATE INDEX IF NOT EXISTS bs_objectwords_obj ON bs_objectwords(tbl, id);
CREATE TABLE IF NOT EXISTS bs_objecttext(
  tbl int NOT NULL, id bigint NOT NULL, text text NOT NULL, PRIMARY KEY (tbl, id));
CREATE TABLE IF NOT EXISTS bs_objectsunread(
  tbl int NOT NULL, id bigint NOT NULL, PRIMARY KEY (tbl, id));
CREATE INDEX IF NOT EXISTS bs_objects_hits ON bs_objects(tbl, tnum);
CREATE TABLE IF NOT EXISTS bs_commentindex(
  tbl int NOT NULL, id bigint NOT NULL, size bigint NOT NULL, mtime bigint NOT NULL,
  readable boolean NOT NULL, text text NOT NULL, PRIMARY KEY (tbl, id));
)sql";

// The trigram index of the searchable text: substrings found through it.
constexpr const char* kTrigramSchema = R"sql(
CREATE EXTENSION IF NOT EXISTS pg_trgm;
CREATE INDEX IF NOT EXISTS bs_objecttext_trgm ON bs_objecttext USING gin (text gin_trgm_ops);
CREATE INDEX IF NOT EXISTS bs_commentindex_trgm ON bs_commentindex USING gin (text gin_trgm_ops);
CREATE INDEX IF NOT EXISTS bs_comments_trgm ON bs_comments USING gin (body gin_trgm_ops);
)sql";
// What the database keeps that a folder keeps beside a SQLite file: the
// objects' comments (their lines joined by newlines) and the request IDs of
// remote searches not yet stored. Made with the schema,
// and added to a database made before it on the first open that may write.
constexpr const char* kKeptInDatabase = R"sql(
CREATE TABLE IF NOT EXISTS bs_comments(
  tbl int NOT NULL, id bigint NOT NULL, body text NOT NULL, PRIMARY KEY (tbl, id));
CREATE TABLE IF NOT EXISTS bs_requests(
  rid text COLLATE "C" PRIMARY KEY, submitted bigint NOT NULL, program text NOT NULL,
  dbname text NOT NULL, search text NOT NULL);
)sql";

// The channel on which every commit tells the other connections that the
// database changed.
constexpr const char* kChangeChannel = "bs_changed";

struct CPgResultFree {
  void operator()(PGresult* result) const { PQclear(result); }
};
using CPgResult = std::unique_ptr<PGresult, CPgResultFree>;

struct CPgConnFree {
  void operator()(PGconn* conn) const { PQfinish(conn); }
};

// The parameters of one statement, as text, or as raw bytes for bytea.
class CPgParams {
 public:
  CPgParams& Text(std::string_view text) {
    m_values.emplace_back(text);
    m_formats.push_back(0);
    return *this;
  }
  CPgParams& Int(std::int64_t value) { return Text(std::to_string(value)); }
  CPgParams& Bytes(std::string_view bytes) {
    m_values.emplace_back(bytes);
    m_formats.push_back(1);
    return *this;
  }
  int Count() const { return static_cast<int>(m_values.size()); }
  std::vector<const char*> Values() const {
    std::vector<const char*> values;
    for (const std::string& value : m_values) values.push_back(value.c_str());
    return values;
  }
  std::vector<int> Lengths() const {
    std::vector<int> lengths;
    for (const std::string& value : m_values) lengths.push_back(static_cast<int>(value.size()));
    return lengths;
  }
  const std::vector<int>& Formats() const { return m_formats; }

 private:
  std::vector<std::string> m_values;
  std::vector<int> m_formats;
};

std::string_view Cell(const PGresult* result, int row, int column) {
  return {PQgetvalue(result, row, column),
          static_cast<std::size_t>(PQgetlength(result, row, column))};
}

std::int64_t IntCell(const PGresult* result, int row, int column) {
  return std::strtoll(PQgetvalue(result, row, column), nullptr, 10);
}

// A message of the server or of libpq as one line, its blanks folded.
std::string OneLine(const char* text) {
  std::string line = text != nullptr ? text : "";
  std::string folded;
  for (char c : line) {
    if (c == '\n' || c == '\r' || c == '\t') c = ' ';
    if (c == ' ' && (folded.empty() || folded.back() == ' ')) continue;
    folded += c;
  }
  while (!folded.empty() && folded.back() == ' ') folded.pop_back();
  return folded;
}

std::string SequenceOf(int table) {
  return "bs_ids_" + (table < 0 ? "m" + std::to_string(-static_cast<std::int64_t>(table))
                                : std::to_string(table));
}

class CPostgresStorage : public CDBStorage {
 public:
  CPostgresStorage(const std::string& conninfo, bool* created, int busyTimeoutMs);

  const std::string& GetPath() const override { return m_strName; }

  void BeginWrite() override;
  void Commit() override;
  void Rollback() noexcept override {
    if (!m_bInTransaction) return;
    m_bInTransaction = false;
    PQclear(PQexec(m_pConn.get(), "ROLLBACK"));
  }
  bool InTransaction() const override { return m_bInTransaction; }
  void SetDeferredSync(bool deferred) override;
  std::uint64_t DataVersion() override;

  unsigned long ReserveRecordId(int table) override;
  unsigned long PeekRecordId(int table) override;
  void NoteRecordId(int table, unsigned long recordId) override;
  void ForEachObject(int table, const std::function<void(const CStoredObject&)>& row) override;
  void AppendObjectInfos(int table, CObjInfoList::Items& items) override;
  std::size_t CountObjects(int table) override;
  bool FindObjectByName(int table, std::string_view name, CStoredObject* row) override;
  bool FindObjectById(int table, unsigned long recordId, CStoredObject* row) override;
  std::vector<std::string> NamesWithPrefix(int table, std::string_view prefix) override;
  unsigned long HighestNameNumber(int table, std::string_view prefix) override;
  bool ReadRecord(int table, unsigned long recordId, std::string& record) override;
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

  // The server's work is not counted here: always 0.
  std::uint64_t StatementSteps() override { return 0; }
  std::string IntegrityCheck() override;
  void CopyTo(const std::string& path) override;
  void RestoreFrom(const std::string& path) override;

  bool KeepsComments() const override { return true; }
  std::vector<std::string> CommentLines(int table, unsigned long recordId) override;
  void SetCommentLines(int table, unsigned long recordId,
                       const std::vector<std::string>& lines) override;

  bool KeepsRemoteRequests() const override { return true; }
  std::vector<CStoredRemoteRequest> RemoteRequests() override;
  void PutRemoteRequest(const CStoredRemoteRequest& request) override;
  bool DeleteRemoteRequest(std::string_view rid) override;

  std::string BackendName() const override { return "postgresql"; }
  int SchemaVersion() override {
    return static_cast<int>(QueryInt("SELECT value::int FROM bs_meta WHERE key = 'schema_version'",
                                     {}, "read the schema version"));
  }
  std::uint64_t SizeInBytes() override {
    return static_cast<std::uint64_t>(
        QueryInt("SELECT pg_database_size(current_database())", {}, "read the database's size"));
  }
  bool IsReadOnly() const override { return m_bReadOnly; }
  std::vector<std::string> CreatorLogins() override {
    return Texts("SELECT login FROM bs_creators ORDER BY login", {}, "read the creator records");
  }

 private:
  // Runs `sql` with `params`; raises CDBException naming `what` when the
  // server refuses it. `binary` asks for the result columns as raw bytes.
  CPgResult Exec(const char* sql, const CPgParams& params, const std::string& what,
                 bool binary = false);
  // Runs several statements without parameters.
  void ExecScript(const char* sql, const std::string& what);
  [[noreturn]] void Fail(const PGresult* result, const std::string& what);
  std::int64_t QueryInt(const char* sql, const CPgParams& params, const std::string& what) {
    const CPgResult result = Exec(sql, params, what);
    return PQntuples(result.get()) > 0 && !PQgetisnull(result.get(), 0, 0)
               ? IntCell(result.get(), 0, 0)
               : 0;
  }
  template <class Change>
  auto Changing(Change change) {
    if (m_bInTransaction) return change();
    CDBWriteTransaction transaction(*this);
    auto result = change();
    transaction.Commit();
    return result;
  }
  // A change of one statement: Exec in the open transaction, or in one of
  // its own.
  void Change(const char* sql, const CPgParams& params, const std::string& what) {
    Changing([&] {
      Exec(sql, params, what);
      return 0;
    });
  }
  // A change of one statement to subbase `subbase` of `table`, refused
  // (CDBException) when there is no such subbase.
  void ChangeSubbase(int table, unsigned long subbase, const char* sql, const CPgParams& params,
                     const std::string& what) {
    Changing([&] {
      CheckSubbase(table, subbase);
      Exec(sql, params, what);
      return 0;
    });
  }
  void Connect(const std::string& conninfo, int busyTimeoutMs);
  // Checks the schema (refusing a foreign or newer one) and makes it in an
  // empty database; true when made now.
  bool PrepareSchema();
  bool HasSequence(int table);
  void EnsureSequence(int table);
  void CheckSubbase(int table, unsigned long subbase);
  // Refuses `name` when a row of `rows` ("bs_objects" or "bs_subbases") of
  // `table` other than `id` has it. Checked under the write lock before the
  // statement, so that a refused step leaves the change usable (a failed
  // statement would end the server's transaction); the unique constraints
  // hold in any case.
  void CheckNameFree(const char* rows, int table, unsigned long id, std::string_view name,
                     const char* what);
  std::vector<CStoredObject> Rows(const char* sql, const CPgParams& params);
  std::vector<std::string> Texts(const char* sql, const CPgParams& params, const std::string& what);
  std::vector<unsigned long> Ids(const char* sql, const CPgParams& params, const std::string& what);

  // ---- the index of search terms ----
  // Makes the index in a database made before it, reading every record's
  // terms, in one transaction; the trigram index only where the server
  // lets this role make it.
  void AddSearchIndex();
  // Replaces the terms of the object `recordId` with those of `record`
  // (null: the object is gone), inside the open write transaction.
  void IndexRecordTerms(int table, std::int64_t recordId, const std::string_view* record);
  void AppendUnread(int table, std::vector<unsigned long>& ids);
  bool TextCandidates(int table, const std::vector<std::string>& texts, bool comments,
                      std::vector<unsigned long>& ids);
  std::vector<unsigned long> ColumnCandidates(int table, const CCandidateQuery& query,
                                              const std::vector<unsigned long>* within);

  bool m_bSearchIndex = false;  // the database has the index of search terms
  std::unique_ptr<PGconn, CPgConnFree> m_pConn;
  std::string m_strName;  // postgresql://host:port/dbname, for messages
  bool m_bInTransaction = false;
  bool m_bReadOnly = false;
  bool m_bWaitForLock = true;          // false: a busy database is refused at once
  std::uint64_t m_uOthersChanges = 0;  // other connections' commits heard of
};

CPostgresStorage::CPostgresStorage(const std::string& conninfo, bool* created, int busyTimeoutMs)
    : m_strName(DescribeServerDatabase(conninfo)) {
  Connect(conninfo, busyTimeoutMs);
  const bool made = PrepareSchema();
  m_bReadOnly = QueryInt(
                    "SELECT CASE WHEN has_table_privilege('bs_objects', 'INSERT') AND "
                    "current_setting('transaction_read_only') = 'off' THEN 0 ELSE 1 END",
                    {}, "check the role's rights") != 0;
  if (!m_bReadOnly && QueryInt("SELECT CASE WHEN to_regclass('bs_comments') IS NULL OR "
                               "to_regclass('bs_requests') IS NULL THEN 1 ELSE 0 END",
                               {}, "read the schema") != 0) {
    // Under the write lock: of two programs adding it at once, the second
    // finds it there.
    CDBWriteTransaction transaction(*this);
    ExecScript(kKeptInDatabase, "add the tables of what a folder keeps in files");
    transaction.Commit();
  }
  if (!m_bReadOnly) AddSearchIndex();
  m_bSearchIndex =
      QueryInt("SELECT CASE WHEN to_regclass('bs_commentindex') IS NULL THEN 0 ELSE 1 END", {},
               "read the schema") != 0;
  // Every commit of another connection is heard of as a notification, read
  // from the connection without asking the server (DataVersion).
  ExecScript((std::string("LISTEN ") + kChangeChannel).c_str(), "follow the changes");
  if (created != nullptr) *created = made;
}

std::uint64_t CPostgresStorage::DataVersion() {
  PGconn* conn = m_pConn.get();
  // Reads what the server has sent (notifications) without waiting.
  if (PQconsumeInput(conn) == 0) {
    throw CDBException(m_strName + ": the connection to the server was lost (cannot follow the " +
                       "changes): " + OneLine(PQerrorMessage(conn)));
  }
  const int own = PQbackendPID(conn);
  while (PGnotify* note = PQnotifies(conn)) {
    if (note->be_pid != own) ++m_uOthersChanges;
    PQfreemem(note);
  }
  return m_uOthersChanges;
}

void CPostgresStorage::Connect(const std::string& conninfo, int busyTimeoutMs) {
  // libpq reads the string itself: addresses, keyword=value strings, service
  // files, the password file and the PG* variables, sslmode.
  m_pConn.reset(PQconnectdb(conninfo.c_str()));
  if (m_pConn == nullptr) throw CDBException(m_strName + ": cannot connect (out of memory)");
  if (PQstatus(m_pConn.get()) != CONNECTION_OK) {
    throw CDBException(m_strName + ": cannot connect: " + OneLine(PQerrorMessage(m_pConn.get())));
  }
  // The server's notices (warnings of a shutdown and the like) are not
  // written to standard error behind the program's back; its failures come
  // with the statement that failed.
  PQsetNoticeProcessor(
      m_pConn.get(), [](void*, const char*) {}, nullptr);
  const char* host = PQhost(m_pConn.get());
  const char* port = PQport(m_pConn.get());
  const char* dbname = PQdb(m_pConn.get());
  m_strName = std::string("postgresql://") + (host != nullptr ? host : "") +
              (port != nullptr && *port != '\0' ? std::string(":") + port : "") + "/" +
              (dbname != nullptr ? dbname : "");
  m_bWaitForLock = busyTimeoutMs > 0;
  const std::string settings = "SET client_min_messages = warning; SET lock_timeout = " +
                               std::to_string(std::max(busyTimeoutMs, 1)) +
                               "; SET statement_timeout = 0";
  ExecScript(settings.c_str(), "set up the connection");
}

bool CPostgresStorage::PrepareSchema() {
  for (int attempt = 0; attempt < 2; ++attempt) {
    if (QueryInt("SELECT CASE WHEN to_regclass('bs_meta') IS NULL THEN 0 ELSE 1 END", {},
                 "read the schema") != 0) {
      const CPgResult meta = Exec("SELECT key, value FROM bs_meta", {}, "read the schema");
      std::string application;
      std::int64_t version = 0;
      for (int i = 0; i < PQntuples(meta.get()); ++i) {
        const std::string_view key = Cell(meta.get(), i, 0);
        if (key == "application") application = std::string(Cell(meta.get(), i, 1));
        if (key == "schema_version") version = IntCell(meta.get(), i, 1);
      }
      if (application != kApplication) {
        throw CDBException(m_strName +
                           ": not an object database of blastsearch (another "
                           "program's tables; nothing was changed)");
      }
      if (version > kPostgresSchemaVersion) {
        throw CDBException(m_strName +
                           ": made by a newer version of blastsearch (database "
                           "version " +
                           std::to_string(version) + "; this version reads up to " +
                           std::to_string(kPostgresSchemaVersion) + "; nothing was changed)");
      }
      return false;
    }
    if (attempt > 0) break;
    // Made under the write lock: of two programs making it at once, the
    // second finds it made.
    ExecScript("BEGIN", "make the schema");
    m_bInTransaction = true;
    try {
      Exec("SELECT pg_advisory_xact_lock($1)", CPgParams().Int(kWriteLockKey), "make the schema");
      if (QueryInt("SELECT CASE WHEN to_regclass('bs_meta') IS NULL THEN 0 ELSE 1 END", {},
                   "read the schema") == 0) {
        if (QueryInt("SELECT count(*) FROM pg_class c JOIN pg_namespace n ON n.oid = "
                     "c.relnamespace WHERE n.nspname = current_schema() AND c.relkind IN "
                     "('r', 'p', 'v', 'm', 'f')",
                     {}, "read the schema") != 0) {
          throw CDBException(m_strName +
                             ": not an object database of blastsearch (the database holds other "
                             "tables; give an empty database; nothing was changed)");
        }
        ExecScript(kSchema, "make the schema");
        Exec("INSERT INTO bs_meta VALUES ('application', $1), ('schema_version', $2)",
             CPgParams().Text(kApplication).Int(kPostgresSchemaVersion), "make the schema");
        ExecScript("COMMIT", "make the schema");
        m_bInTransaction = false;
        return true;
      }
      Rollback();
    } catch (...) {
      Rollback();
      throw;
    }
  }
  return false;
}

CPgResult CPostgresStorage::Exec(const char* sql, const CPgParams& params, const std::string& what,
                                 bool binary) {
  const std::vector<const char*> values = params.Values();
  const std::vector<int> lengths = params.Lengths();
  CPgResult result(PQexecParams(m_pConn.get(), sql, params.Count(), nullptr, values.data(),
                                lengths.data(), params.Formats().data(), binary ? 1 : 0));
  const ExecStatusType status = result ? PQresultStatus(result.get()) : PGRES_FATAL_ERROR;
  if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) Fail(result.get(), what);
  return result;
}

void CPostgresStorage::ExecScript(const char* sql, const std::string& what) {
  CPgResult result(PQexec(m_pConn.get(), sql));
  const ExecStatusType status = result ? PQresultStatus(result.get()) : PGRES_FATAL_ERROR;
  if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) Fail(result.get(), what);
}

void CPostgresStorage::Fail(const PGresult* result, const std::string& what) {
  const char* state = result != nullptr ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
  const std::string code = state != nullptr ? state : "";
  if (code == "25006" || code == "42501") {
    throw CDBException(m_strName + ": the database is read-only for this connection (cannot " +
                       what + "); nothing was changed");
  }
  // Errors without a server code are libpq's own: the connection failed.
  if (PQstatus(m_pConn.get()) == CONNECTION_BAD || code.empty() || code.compare(0, 2, "08") == 0 ||
      code.compare(0, 3, "57P") == 0) {
    throw CDBException(m_strName + ": the connection to the server was lost (cannot " + what +
                       "): " + OneLine(PQerrorMessage(m_pConn.get())));
  }
  if (code == "55P03") {
    throw CDBException(m_strName +
                       ": another program is changing the database; gave up waiting "
                       "(cannot " +
                       what + ")");
  }
  const char* primary =
      result != nullptr ? PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY) : nullptr;
  throw CDBException(m_strName + ": cannot " + what + ": " +
                     OneLine(primary != nullptr ? primary : PQerrorMessage(m_pConn.get())));
}

void CPostgresStorage::BeginWrite() {
  if (m_bInTransaction) throw CDBException(m_strName + ": a change is already under way");
  if (m_bReadOnly) {
    throw CDBException(m_strName +
                       ": the database is read-only for this role (it may only read); nothing "
                       "was changed");
  }
  ExecScript("BEGIN ISOLATION LEVEL READ COMMITTED", "start a change");
  m_bInTransaction = true;
  try {
    if (m_bWaitForLock) {
      Exec("SELECT pg_advisory_xact_lock($1)", CPgParams().Int(kWriteLockKey), "start a change");
    } else if (QueryInt("SELECT CASE WHEN pg_try_advisory_xact_lock($1) THEN 1 ELSE 0 END",
                        CPgParams().Int(kWriteLockKey), "start a change") == 0) {
      throw CDBException(m_strName + ": another program is changing the database");
    }
  } catch (...) {
    Rollback();
    throw;
  }
}

void CPostgresStorage::Commit() {
  if (!m_bInTransaction) throw CDBException(m_strName + ": no change is under way");
  try {
    ExecScript("UPDATE bs_changes SET n = n + 1", "count the change");
    // Sent to the listeners when the change commits, never when it fails.
    ExecScript((std::string("NOTIFY ") + kChangeChannel).c_str(), "announce the change");
    CPgResult result(PQexec(m_pConn.get(), "COMMIT"));
    m_bInTransaction = false;
    if (!result || PQresultStatus(result.get()) != PGRES_COMMAND_OK) {
      Fail(result.get(), "store the change");
    }
    // A transaction in which a statement failed ends in a rollback, which
    // the server reports as a successful COMMIT: it stored nothing.
    if (std::strcmp(PQcmdStatus(result.get()), "COMMIT") != 0) {
      throw CDBException(m_strName + ": the change was not stored (a step of it failed)");
    }
  } catch (...) {
    Rollback();
    throw;
  }
}

void CPostgresStorage::SetDeferredSync(bool deferred) {
  if (deferred) {
    ExecScript("SET synchronous_commit = off", "defer syncing");
    return;
  }
  ExecScript("SET synchronous_commit = on", "sync the changes");
  if (m_bReadOnly || m_bInTransaction) return;
  // A synced commit writes the server's journal through to the disk up to
  // itself, with every deferred commit before it.
  ExecScript("BEGIN; SELECT txid_current(); COMMIT", "sync the changes");
}

bool CPostgresStorage::HasSequence(int table) {
  return QueryInt("SELECT CASE WHEN to_regclass($1) IS NULL THEN 0 ELSE 1 END",
                  CPgParams().Text(SequenceOf(table)), "read the identifiers") != 0;
}

void CPostgresStorage::EnsureSequence(int table) {
  if (HasSequence(table)) return;
  const std::string sql =
      "CREATE SEQUENCE IF NOT EXISTS " + SequenceOf(table) + " MINVALUE 0 START WITH 1";
  ExecScript(sql.c_str(), "make the identifiers of table " + std::to_string(table));
}

unsigned long CPostgresStorage::PeekRecordId(int table) {
  std::string sql =
      "SELECT greatest(coalesce((SELECT max(id) FROM bs_objects WHERE tbl = $1), "
      "0) + 1";
  if (HasSequence(table)) {
    sql += ", (SELECT CASE WHEN is_called THEN last_value + 1 ELSE last_value END FROM " +
           SequenceOf(table) + ")";
  }
  sql += ")";
  return static_cast<unsigned long>(
      QueryInt(sql.c_str(), CPgParams().Int(table), "read the identifiers"));
}

unsigned long CPostgresStorage::ReserveRecordId(int table) {
  return Changing([&] {
    EnsureSequence(table);
    const unsigned long next = PeekRecordId(table);
    // Sequences are not rolled back: an identifier handed out stays taken.
    const std::string sql = "SELECT setval('" + SequenceOf(table) + "', $1, true)";
    Exec(sql.c_str(), CPgParams().Int(static_cast<std::int64_t>(next)), "reserve an identifier");
    return next;
  });
}

void CPostgresStorage::NoteRecordId(int table, unsigned long recordId) {
  Changing([&] {
    EnsureSequence(table);
    const std::string sql = "SELECT setval('" + SequenceOf(table) +
                            "', greatest($1::bigint, (SELECT CASE WHEN is_called THEN last_value "
                            "ELSE last_value - 1 END FROM " +
                            SequenceOf(table) + ")), true)";
    Exec(sql.c_str(), CPgParams().Int(static_cast<std::int64_t>(recordId)), "note an identifier");
    return 0;
  });
}

std::vector<CStoredObject> CPostgresStorage::Rows(const char* sql, const CPgParams& params) {
  const CPgResult result = Exec(sql, params, "read the list");
  std::vector<CStoredObject> rows(static_cast<std::size_t>(PQntuples(result.get())));
  for (int i = 0; i < PQntuples(result.get()); ++i) {
    CStoredObject& row = rows[static_cast<std::size_t>(i)];
    row.m_recordId = static_cast<unsigned long>(IntCell(result.get(), i, 0));
    row.m_name.assign(Cell(result.get(), i, 1));
    row.m_objType = static_cast<int>(IntCell(result.get(), i, 2));
    row.m_creationTime = static_cast<long>(IntCell(result.get(), i, 3));
    row.m_tableNumber = static_cast<int>(IntCell(result.get(), i, 4));
    row.m_tableText.assign(Cell(result.get(), i, 5));
    row.m_author.assign(Cell(result.get(), i, 6));
  }
  return rows;
}

std::vector<std::string> CPostgresStorage::Texts(const char* sql, const CPgParams& params,
                                                 const std::string& what) {
  const CPgResult result = Exec(sql, params, what);
  std::vector<std::string> texts;
  for (int i = 0; i < PQntuples(result.get()); ++i) texts.emplace_back(Cell(result.get(), i, 0));
  return texts;
}

std::vector<unsigned long> CPostgresStorage::Ids(const char* sql, const CPgParams& params,
                                                 const std::string& what) {
  const CPgResult result = Exec(sql, params, what);
  std::vector<unsigned long> ids;
  for (int i = 0; i < PQntuples(result.get()); ++i) {
    ids.push_back(static_cast<unsigned long>(IntCell(result.get(), i, 0)));
  }
  return ids;
}

constexpr const char* kRowColumns = "SELECT id, name, type, created, tnum, ttext, author ";

void CPostgresStorage::ForEachObject(int table,
                                     const std::function<void(const CStoredObject&)>& row) {
  const std::string sql = std::string(kRowColumns) + "FROM bs_objects WHERE tbl = $1 ORDER BY id";
  for (const CStoredObject& object : Rows(sql.c_str(), CPgParams().Int(table))) row(object);
}

void CPostgresStorage::AppendObjectInfos(int table, CObjInfoList::Items& items) {
  ForEachObject(table, [&items](const CStoredObject& row) {
    auto info = std::make_unique<CObjInfo>(row.m_objType, row.m_recordId, row.m_name);
    info->m_creationTime = row.m_creationTime;
    info->m_tableNumber = row.m_tableNumber;
    info->m_tableText = row.m_tableText;
    info->m_strAuthor = row.m_author;
    items.push_back(std::move(info));
  });
}

std::size_t CPostgresStorage::CountObjects(int table) {
  return static_cast<std::size_t>(QueryInt("SELECT count(*) FROM bs_objects WHERE tbl = $1",
                                           CPgParams().Int(table), "count the objects"));
}

bool CPostgresStorage::FindObjectByName(int table, std::string_view name, CStoredObject* row) {
  const std::string sql = std::string(kRowColumns) + "FROM bs_objects WHERE tbl = $1 AND name = $2";
  std::vector<CStoredObject> rows = Rows(sql.c_str(), CPgParams().Int(table).Text(name));
  if (rows.empty()) return false;
  if (row != nullptr) *row = std::move(rows.front());
  return true;
}

bool CPostgresStorage::FindObjectById(int table, unsigned long recordId, CStoredObject* row) {
  const std::string sql = std::string(kRowColumns) + "FROM bs_objects WHERE tbl = $1 AND id = $2";
  std::vector<CStoredObject> rows =
      Rows(sql.c_str(), CPgParams().Int(table).Int(static_cast<std::int64_t>(recordId)));
  if (rows.empty()) return false;
  if (row != nullptr) *row = std::move(rows.front());
  return true;
}

std::vector<std::string> CPostgresStorage::NamesWithPrefix(int table, std::string_view prefix) {
  return Texts(
      "SELECT name FROM bs_objects WHERE tbl = $1 AND left(name, length($2)) = $2 ORDER BY name",
      CPgParams().Int(table).Text(prefix), "read the names");
}

unsigned long CPostgresStorage::HighestNameNumber(int table, std::string_view prefix) {
  // The largest number that 1 to 9 digits after the prefix make, in one
  // statement on the server.
  const std::vector<std::string> highest = Texts(
      "SELECT coalesce(max(substring(name from length($2) + 1)::bigint), 0)::text "
      "FROM bs_objects WHERE tbl = $1 AND left(name, length($2)) = $2 "
      "AND substring(name from length($2) + 1) ~ '^[0-9]{1,9}$'",
      CPgParams().Int(table).Text(prefix), "read the numbered names");
  return highest.empty() ? 0 : std::stoul(highest.front());
}

bool CPostgresStorage::ReadRecord(int table, unsigned long recordId, std::string& record) {
  const CPgResult result =
      Exec("SELECT data, crc::text FROM bs_records WHERE tbl = $1 AND id = $2",
           CPgParams().Int(table).Int(static_cast<std::int64_t>(recordId)), "read a record", true);
  if (PQntuples(result.get()) == 0) return false;
  record.assign(Cell(result.get(), 0, 0));
  const std::string crc(Cell(result.get(), 0, 1));
  // A record whose bytes changed reads as empty: named damaged, never shown
  // changed.
  if (std::strtoull(crc.c_str(), nullptr, 10) != RecordCrc32(record)) record.clear();
  return true;
}

void CPostgresStorage::PutObject(int table, const CStoredObject& row, std::string_view record) {
  Changing([&] {
    const auto id = static_cast<std::int64_t>(row.m_recordId);
    CheckNameFree("bs_objects", table, row.m_recordId, row.m_name, "an object");
    Exec(
        "INSERT INTO bs_objects(tbl, id, name, type, created, tnum, ttext, author) "
        "VALUES ($1, $2, $3, $4, $5, $6, $7, $8) ON CONFLICT (tbl, id) DO UPDATE SET "
        "name = excluded.name, type = excluded.type, created = excluded.created, "
        "tnum = excluded.tnum, ttext = excluded.ttext, author = excluded.author",
        CPgParams()
            .Int(table)
            .Int(id)
            .Text(row.m_name)
            .Int(row.m_objType)
            .Int(row.m_creationTime)
            .Int(row.m_tableNumber)
            .Text(row.m_tableText)
            .Text(row.m_author),
        "store an object");
    Exec(
        "INSERT INTO bs_records(tbl, id, data, crc) VALUES ($1, $2, $3, $4) "
        "ON CONFLICT (tbl, id) DO UPDATE SET data = excluded.data, crc = excluded.crc",
        CPgParams().Int(table).Int(id).Bytes(record).Int(RecordCrc32(record)), "store a record");
    IndexRecordTerms(table, id, &record);
    return 0;
  });
}

void CPostgresStorage::RenameObject(int table, unsigned long recordId, std::string_view name) {
  Changing([&] {
    CheckNameFree("bs_objects", table, recordId, name, "an object");
    Exec("UPDATE bs_objects SET name = $3 WHERE tbl = $1 AND id = $2",
         CPgParams().Int(table).Int(static_cast<std::int64_t>(recordId)).Text(name),
         "rename an object");
    return 0;
  });
}

bool CPostgresStorage::DeleteObject(int table, unsigned long recordId) {
  return Changing([&] {
    const CPgParams key = CPgParams().Int(table).Int(static_cast<std::int64_t>(recordId));
    const CPgResult gone =
        Exec("DELETE FROM bs_objects WHERE tbl = $1 AND id = $2", key, "delete an object");
    const bool found = std::strcmp(PQcmdTuples(gone.get()), "0") != 0;
    Exec("DELETE FROM bs_records WHERE tbl = $1 AND id = $2", key, "delete an object");
    Exec(
        "DELETE FROM bs_members WHERE obj = $2 AND sb IN (SELECT id FROM bs_subbases WHERE "
        "tbl = $1)",
        key, "delete an object");
    Exec("DELETE FROM bs_fieldvalues WHERE tbl = $1 AND id = $2", key, "delete an object");
    Exec("DELETE FROM bs_objectkeys WHERE tbl = $1 AND id = $2", key, "delete an object");
    IndexRecordTerms(table, static_cast<std::int64_t>(recordId), nullptr);
    Exec("DELETE FROM bs_comments WHERE tbl = $1 AND id = $2", key, "delete an object");
    if (found) NoteRecordId(table, recordId);  // never handed out again
    return found;
  });
}

void CPostgresStorage::SetObjectKeys(int table, unsigned long recordId,
                                     const std::vector<std::string>& keys) {
  Changing([&] {
    const auto id = static_cast<std::int64_t>(recordId);
    Exec("DELETE FROM bs_objectkeys WHERE tbl = $1 AND id = $2", CPgParams().Int(table).Int(id),
         "store the keys of an object");
    for (const std::string& key : keys) {
      Exec("INSERT INTO bs_objectkeys(tbl, key, id) VALUES ($1, $2, $3) ON CONFLICT DO NOTHING",
           CPgParams().Int(table).Text(key).Int(id), "store the keys of an object");
    }
    return 0;
  });
}

std::vector<unsigned long> CPostgresStorage::ObjectsWithKey(int table, std::string_view key) {
  return Ids("SELECT id FROM bs_objectkeys WHERE tbl = $1 AND key = $2 ORDER BY id",
             CPgParams().Int(table).Text(key), "read the keys of objects");
}

void CPostgresStorage::ForEachObjectKey(
    int table, std::string_view prefix,
    const std::function<void(unsigned long, std::string_view)>& row) {
  if (prefix.empty()) return;
  const CPgResult result = Exec(
      "SELECT id, key FROM bs_objectkeys WHERE tbl = $1 AND left(key, length($2)) = $2 "
      "ORDER BY key, id",
      CPgParams().Int(table).Text(prefix), "read the keys of objects");
  for (int i = 0; i < PQntuples(result.get()); ++i) {
    row(static_cast<unsigned long>(IntCell(result.get(), i, 0)), Cell(result.get(), i, 1));
  }
}

void CPostgresStorage::ForEachKeyOfObjects(
    int table, unsigned long first, unsigned long last,
    const std::function<void(unsigned long, std::string_view)>& row) {
  if (first > last) return;
  const CPgResult result = Exec(
      "SELECT id, key FROM bs_objectkeys WHERE tbl = $1 AND id BETWEEN $2 AND $3 "
      "ORDER BY id, key",
      CPgParams()
          .Int(table)
          .Int(static_cast<std::int64_t>(first))
          .Int(static_cast<std::int64_t>(last)),
      "read the keys of objects");
  for (int i = 0; i < PQntuples(result.get()); ++i) {
    row(static_cast<unsigned long>(IntCell(result.get(), i, 0)), Cell(result.get(), i, 1));
  }
}

std::vector<CStoredSubbase> CPostgresStorage::Subbases(int table) {
  const CPgResult result = Exec("SELECT id, name FROM bs_subbases WHERE tbl = $1 ORDER BY id",
                                CPgParams().Int(table), "read the subbases");
  std::vector<CStoredSubbase> subbases;
  for (int i = 0; i < PQntuples(result.get()); ++i) {
    subbases.push_back({static_cast<unsigned long>(IntCell(result.get(), i, 0)),
                        std::string(Cell(result.get(), i, 1))});
  }
  return subbases;
}

unsigned long CPostgresStorage::FindSubbase(int table, std::string_view name) {
  return static_cast<unsigned long>(
      QueryInt("SELECT id FROM bs_subbases WHERE tbl = $1 AND name = $2",
               CPgParams().Int(table).Text(name), "read the subbases"));
}

unsigned long CPostgresStorage::CreateSubbase(int table, std::string_view name) {
  return Changing([&] {
    CheckNameFree("bs_subbases", table, 0, name, "a subbase");
    return static_cast<unsigned long>(
        QueryInt("INSERT INTO bs_subbases(tbl, name) VALUES ($1, $2) RETURNING id",
                 CPgParams().Int(table).Text(name), "make a subbase"));
  });
}

void CPostgresStorage::CheckNameFree(const char* rows, int table, unsigned long id,
                                     std::string_view name, const char* what) {
  const std::string sql =
      std::string("SELECT count(*) FROM ") + rows + " WHERE tbl = $1 AND name = $2 AND id <> $3";
  if (QueryInt(sql.c_str(), CPgParams().Int(table).Text(name).Int(static_cast<std::int64_t>(id)),
               "check a name") != 0) {
    throw CDBException(m_strName + ": " + what + " named \"" + std::string(name) +
                       "\" already exists");
  }
}

void CPostgresStorage::CheckSubbase(int table, unsigned long subbase) {
  if (QueryInt("SELECT count(*) FROM bs_subbases WHERE tbl = $1 AND id = $2",
               CPgParams().Int(table).Int(static_cast<std::int64_t>(subbase)),
               "read the subbases") == 0) {
    throw CDBException(m_strName + ": no subbase " + std::to_string(subbase));
  }
}

void CPostgresStorage::RenameSubbase(int table, unsigned long subbase, std::string_view name) {
  Changing([&] {
    CheckSubbase(table, subbase);
    CheckNameFree("bs_subbases", table, subbase, name, "a subbase");
    Exec("UPDATE bs_subbases SET name = $2 WHERE id = $1",
         CPgParams().Int(static_cast<std::int64_t>(subbase)).Text(name), "rename a subbase");
    return 0;
  });
}

void CPostgresStorage::DeleteSubbase(int table, unsigned long subbase) {
  ChangeSubbase(table, subbase, "DELETE FROM bs_subbases WHERE id = $1",
                CPgParams().Int(static_cast<std::int64_t>(subbase)), "delete a subbase");
}

void CPostgresStorage::ClearSubbase(int table, unsigned long subbase) {
  ChangeSubbase(table, subbase, "DELETE FROM bs_members WHERE sb = $1",
                CPgParams().Int(static_cast<std::int64_t>(subbase)), "empty a subbase");
}

void CPostgresStorage::AddToSubbase(int table, unsigned long subbase, unsigned long recordId) {
  ChangeSubbase(
      table, subbase, "INSERT INTO bs_members(sb, obj) VALUES ($1, $2) ON CONFLICT DO NOTHING",
      CPgParams().Int(static_cast<std::int64_t>(subbase)).Int(static_cast<std::int64_t>(recordId)),
      "add to a subbase");
}

void CPostgresStorage::RemoveFromSubbase(int table, unsigned long subbase, unsigned long recordId) {
  ChangeSubbase(
      table, subbase, "DELETE FROM bs_members WHERE sb = $1 AND obj = $2",
      CPgParams().Int(static_cast<std::int64_t>(subbase)).Int(static_cast<std::int64_t>(recordId)),
      "remove from a subbase");
}

std::vector<unsigned long> CPostgresStorage::SubbaseMembers(int table, unsigned long subbase) {
  CheckSubbase(table, subbase);
  return Ids("SELECT obj FROM bs_members WHERE sb = $1 ORDER BY obj",
             CPgParams().Int(static_cast<std::int64_t>(subbase)), "read a subbase");
}

std::vector<std::string> CPostgresStorage::Keywords(int table) {
  return Texts("SELECT keyword FROM bs_keywords WHERE tbl = $1 ORDER BY keyword",
               CPgParams().Int(table), "read the keywords");
}

void CPostgresStorage::AddKeyword(int table, std::string_view keyword) {
  Change("INSERT INTO bs_keywords(tbl, keyword) VALUES ($1, $2) ON CONFLICT DO NOTHING",
         CPgParams().Int(table).Text(keyword), "add a keyword");
}

void CPostgresStorage::SetFieldValues(int table, unsigned long recordId, int field,
                                      const std::vector<std::string>& values) {
  Changing([&] {
    const auto id = static_cast<std::int64_t>(recordId);
    Exec("DELETE FROM bs_fieldvalues WHERE tbl = $1 AND id = $2 AND field = $3",
         CPgParams().Int(table).Int(id).Int(field), "store field values");
    for (std::size_t i = 0; i < values.size(); ++i) {
      Exec("INSERT INTO bs_fieldvalues(tbl, id, field, seq, value) VALUES ($1, $2, $3, $4, $5)",
           CPgParams()
               .Int(table)
               .Int(id)
               .Int(field)
               .Int(static_cast<std::int64_t>(i))
               .Text(values[i]),
           "store field values");
    }
    return 0;
  });
}

std::vector<std::string> CPostgresStorage::FieldValues(int table, unsigned long recordId,
                                                       int field) {
  return Texts(
      "SELECT value FROM bs_fieldvalues WHERE tbl = $1 AND id = $2 AND field = $3 ORDER BY seq",
      CPgParams().Int(table).Int(static_cast<std::int64_t>(recordId)).Int(field),
      "read field values");
}

void CPostgresStorage::ClearFieldValues(int table, unsigned long recordId) {
  Change("DELETE FROM bs_fieldvalues WHERE tbl = $1 AND id = $2",
         CPgParams().Int(table).Int(static_cast<std::int64_t>(recordId)), "remove field values");
}

std::vector<CUDFieldDef> CPostgresStorage::UDFieldDefs() {
  const CPgResult result = Exec("SELECT name, field, kind, objtype FROM bs_udfdefs ORDER BY field",
                                {}, "read the field definitions");
  std::vector<CUDFieldDef> defs;
  for (int i = 0; i < PQntuples(result.get()); ++i) {
    CUDFieldDef def;
    def.m_strName.assign(Cell(result.get(), i, 0));
    def.m_fieldId = static_cast<int>(IntCell(result.get(), i, 1));
    def.m_valueKind = static_cast<int>(IntCell(result.get(), i, 2));
    def.m_objType = static_cast<int>(IntCell(result.get(), i, 3));
    defs.push_back(std::move(def));
  }
  return defs;
}

int CPostgresStorage::PutUDFieldDef(const CUDFieldDef& def) {
  return Changing([&] {
    int field = def.m_fieldId;
    if (field == 0) {
      field =
          static_cast<int>(QueryInt("SELECT field FROM bs_udfdefs WHERE name = $1",
                                    CPgParams().Text(def.m_strName), "read the field definitions"));
    }
    if (field == 0) {
      const auto top = QueryInt("SELECT coalesce(max(field), 0) FROM bs_udfdefs", {},
                                "read the field definitions");
      field = std::max<int>(kFirstUDFieldId, static_cast<int>(top) + 1);
    }
    Exec("DELETE FROM bs_udfdefs WHERE name = $1 OR field = $2",
         CPgParams().Text(def.m_strName).Int(field), "store a field definition");
    Exec("INSERT INTO bs_udfdefs(name, field, kind, objtype) VALUES ($1, $2, $3, $4)",
         CPgParams().Text(def.m_strName).Int(field).Int(def.m_valueKind).Int(def.m_objType),
         "store a field definition");
    return field;
  });
}

bool CPostgresStorage::DeleteUDFieldDef(std::string_view name) {
  return Changing([&] {
    const CPgResult result = Exec("DELETE FROM bs_udfdefs WHERE name = $1", CPgParams().Text(name),
                                  "delete a field definition");
    return std::strcmp(PQcmdTuples(result.get()), "0") != 0;
  });
}

bool CPostgresStorage::LoadCreator(std::string_view login, std::string& record) {
  const CPgResult result = Exec("SELECT record FROM bs_creators WHERE login = $1",
                                CPgParams().Text(login), "read a creator record");
  if (PQntuples(result.get()) == 0) return false;
  record.assign(Cell(result.get(), 0, 0));
  return true;
}

void CPostgresStorage::SaveCreator(std::string_view login, std::string_view record) {
  Change(
      "INSERT INTO bs_creators(login, record) VALUES ($1, $2) "
      "ON CONFLICT (login) DO UPDATE SET record = excluded.record",
      CPgParams().Text(login).Text(record), "store a creator record");
}

std::string CPostgresStorage::IntegrityCheck() {
  // Every list entry has its record and every record its list entry.
  const std::int64_t orphans = QueryInt(
      "SELECT (SELECT count(*) FROM bs_objects o WHERE NOT EXISTS (SELECT 1 FROM bs_records r "
      "WHERE r.tbl = o.tbl AND r.id = o.id)) + (SELECT count(*) FROM bs_records r WHERE NOT "
      "EXISTS (SELECT 1 FROM bs_objects o WHERE r.tbl = o.tbl AND r.id = o.id))",
      {}, "check the database");
  if (orphans != 0) {
    return std::to_string(orphans) + " objects without their record or records without objects";
  }
  return "ok";
}

void CPostgresStorage::CopyTo(const std::string&) {
  throw CDBException(m_strName +
                     ": a server database is not copied to a file; use the server's own "
                     "backups (pg_dump)");
}

void CPostgresStorage::RestoreFrom(const std::string&) {
  throw CDBException(m_strName +
                     ": a server database is not restored from a file; use the server's own "
                     "backups (pg_restore)");
}

// ---- candidate narrowing and paging ----

void CPostgresStorage::AddSearchIndex() {
  if (QueryInt("SELECT CASE WHEN to_regclass('bs_commentindex') IS NULL THEN 0 ELSE 1 END", {},
               "read the schema") != 0) {
    return;
  }
  CDBWriteTransaction transaction(*this);
  if (QueryInt("SELECT CASE WHEN to_regclass('bs_commentindex') IS NULL THEN 0 ELSE 1 END", {},
               "read the schema") != 0) {
    return;  // another program made it while this one waited
  }
  ExecScript(kSearchIndexSchema, "make the search index");
  // Without the extension (not installed, or not this role's to make) the
  // text is read whole at each search: slower, the same answers.
  ExecScript("SAVEPOINT bs_trgm", "make the search index");
  try {
    ExecScript(kTrigramSchema, "make the trigram index");
    ExecScript("RELEASE SAVEPOINT bs_trgm", "make the search index");
  } catch (const CDBException&) {
    ExecScript("ROLLBACK TO SAVEPOINT bs_trgm", "make the search index");
  }
  // The terms of the records stored before, a batch at a time.
  std::int64_t lastTable = std::numeric_limits<std::int32_t>::min();
  std::int64_t lastId = -1;
  while (true) {
    const CPgResult batch = Exec(
        "SELECT tbl, id, data FROM bs_records WHERE (tbl, id) > ($1, $2) "
        "ORDER BY tbl, id LIMIT 1000",
        CPgParams().Int(lastTable).Int(lastId), "index the stored records", true);
    const int count = PQntuples(batch.get());
    if (count == 0) break;
    for (int i = 0; i < count; ++i) {
      // Binary columns: integers in network byte order.
      const auto bigEndian = [&](int column) {
        std::uint64_t value = 0;
        for (const char c : Cell(batch.get(), i, column)) {
          value = (value << 8) | static_cast<unsigned char>(c);
        }
        return value;
      };
      lastTable = static_cast<std::int32_t>(static_cast<std::uint32_t>(bigEndian(0)));
      lastId = static_cast<std::int64_t>(bigEndian(1));
      const std::string_view record = Cell(batch.get(), i, 2);
      IndexRecordTerms(static_cast<int>(lastTable), lastId, &record);
    }
  }
  transaction.Commit();
}

void CPostgresStorage::IndexRecordTerms(int table, std::int64_t recordId,
                                        const std::string_view* record) {
  const CPgParams key = CPgParams().Int(table).Int(recordId);
  Exec("DELETE FROM bs_objectwords WHERE tbl = $1 AND id = $2", key, "index an object");
  Exec("DELETE FROM bs_objecttext WHERE tbl = $1 AND id = $2", key, "index an object");
  Exec("DELETE FROM bs_objectsunread WHERE tbl = $1 AND id = $2", key, "index an object");
  if (record == nullptr) return;
  const CSearchTerms terms = ExtractSearchTerms(*record);
  bool readable = !terms.m_bUnreadable && IsValidUtf8(terms.m_text);
  for (const std::string& word : terms.m_keywords) readable = readable && IsValidUtf8(word);
  if (!readable) {
    Exec("INSERT INTO bs_objectsunread(tbl, id) VALUES ($1, $2) ON CONFLICT DO NOTHING", key,
         "index an object");
    return;
  }
  for (const std::string& word : terms.m_keywords) {
    Exec("INSERT INTO bs_objectwords(tbl, word, id) VALUES ($1, $2, $3) ON CONFLICT DO NOTHING",
         CPgParams().Int(table).Text(word).Int(recordId), "index an object");
  }
  if (!terms.m_text.empty()) {
    Exec("INSERT INTO bs_objecttext(tbl, id, text) VALUES ($1, $2, $3)",
         CPgParams().Int(table).Int(recordId).Text(terms.m_text), "index an object");
  }
}

void CPostgresStorage::ReadObjectPage(int table, EObjectOrder order, unsigned long subbase,
                                      const CStoredObject* after, std::size_t limit,
                                      std::vector<CStoredObject>& rows) {
  rows.clear();
  if (limit == 0) return;
  const bool byName = order != EObjectOrder::kById;
  const bool down = order == EObjectOrder::kByNameDescending;
  std::string sql = "SELECT o.id, o.name, o.type, o.created, o.tnum, o.ttext, o.author FROM ";
  sql += subbase != 0 ? "bs_objects o JOIN bs_members m ON m.sb = $5 AND m.obj = o.id "
                      : "bs_objects o ";
  sql += "WHERE o.tbl = $1 ";
  if (after != nullptr) {
    // The key (name, id) after ($2, $3) as a range on the name index.
    sql += !byName ? "AND o.id > $3 "
           : down  ? "AND o.name <= $2 AND (o.name < $2 OR o.id < $3) "
                   : "AND o.name >= $2 AND (o.name > $2 OR o.id > $3) ";
  }
  sql += !byName ? "ORDER BY o.id LIMIT $4"
         : down  ? "ORDER BY o.name DESC, o.id DESC LIMIT $4"
                 : "ORDER BY o.name, o.id LIMIT $4";
  // Every parameter is passed, used or not, each cast where it is unused so
  // that the server can tell its type.
  sql = "WITH unused AS (SELECT $2::text, $3::bigint, $5::bigint) " + sql;
  CPgParams params;
  params.Int(table).Text(after != nullptr ? after->m_name : std::string());
  params.Int(static_cast<std::int64_t>(after != nullptr ? after->m_recordId : 0));
  params.Int(static_cast<std::int64_t>(std::min<std::size_t>(limit, INT64_MAX)));
  params.Int(static_cast<std::int64_t>(subbase));
  rows = Rows(sql.c_str(), params);
}

void CPostgresStorage::AppendUnread(int table, std::vector<unsigned long>& ids) {
  for (const unsigned long id : Ids("SELECT id FROM bs_objectsunread WHERE tbl = $1",
                                    CPgParams().Int(table), "read the search index")) {
    ids.push_back(id);
  }
  std::sort(ids.begin(), ids.end());
  ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
}

std::string IdArray(const std::vector<unsigned long>& ids, std::size_t start, std::size_t end);

// `text` as a LIKE pattern that finds it anywhere: its own wildcards and
// escapes escaped.
std::string ContainsPattern(std::string_view text) {
  std::string pattern = "%";
  for (const char c : text) {
    if (c == '%' || c == '_' || c == '\\') pattern += '\\';
    pattern += c;
  }
  return pattern + '%';
}

bool CPostgresStorage::TextCandidates(int table, const std::vector<std::string>& texts,
                                      bool comments, std::vector<unsigned long>& ids) {
  // The trigram index finds substrings of three characters and more; a
  // shorter one (or one that is no UTF-8) leaves the text unnarrowed.
  for (const std::string& text : texts) {
    if (!IsValidUtf8(text) || Utf8Length(text) < 3) return false;
  }
  for (const std::string& text : texts) {
    for (const unsigned long id :
         Ids("SELECT id FROM bs_objecttext WHERE tbl = $1 AND text ILIKE $2",
             CPgParams().Int(table).Text(ContainsPattern(text)), "search the text index")) {
      ids.push_back(id);
    }
    if (!comments) continue;
    // The comments are kept in the database itself: they are their own index.
    for (const unsigned long id :
         Ids("SELECT id FROM bs_comments WHERE tbl = $1 AND body ILIKE $2",
             CPgParams().Int(table).Text(ContainsPattern(text)), "search the comments")) {
      ids.push_back(id);
    }
  }
  if (comments && !KeepsComments()) {
    for (const unsigned long id :
         Ids("SELECT id FROM bs_commentindex WHERE tbl = $1 AND NOT readable",
             CPgParams().Int(table), "search the comment index")) {
      ids.push_back(id);
    }
  }
  AppendUnread(table, ids);
  return true;
}

std::vector<unsigned long> CPostgresStorage::ColumnCandidates(
    int table, const CCandidateQuery& query, const std::vector<unsigned long>* within) {
  std::string sql = "SELECT id FROM bs_objects WHERE tbl = $1 AND strpos(name, $2) > 0";
  CPgParams params;
  params.Int(table).Text(query.m_nameSubstring);
  if (!query.m_hitCountRanges.empty()) {
    sql += " AND (";
    int n = 3;
    // The column is an int: the bounds are kept within its range.
    const auto bound = [](long value) {
      return std::clamp<long>(value, std::numeric_limits<std::int32_t>::min(),
                              std::numeric_limits<std::int32_t>::max());
    };
    for (const auto& [low, high] : query.m_hitCountRanges) {
      sql += (n > 3 ? " OR tnum BETWEEN $" : "tnum BETWEEN $") + std::to_string(n) + " AND $" +
             std::to_string(n + 1);
      params.Int(bound(low)).Int(bound(high));
      n += 2;
    }
    sql += ")";
  }
  std::vector<unsigned long> ids;
  if (within == nullptr) return Ids((sql + " ORDER BY id").c_str(), params, "search the list");
  // Only the candidates found already, a batch of identifiers at a time.
  const std::size_t next = static_cast<std::size_t>(params.Count()) + 1;
  sql += " AND id = ANY($" + std::to_string(next) + "::bigint[]) ORDER BY id";
  for (std::size_t start = 0; start < within->size(); start += 10000) {
    CPgParams batch = params;
    batch.Text(IdArray(*within, start, std::min(within->size(), start + 10000)));
    for (const unsigned long id : Ids(sql.c_str(), batch, "search the list")) ids.push_back(id);
  }
  return ids;
}

bool CPostgresStorage::CandidateIds(int table, const CCandidateQuery& query,
                                    std::vector<unsigned long>& ids) {
  ids.clear();
  if (!m_bSearchIndex) return false;  // made by an older program, opened only to read
  bool narrowed = false;
  const auto intersect = [&](std::vector<unsigned long> found) {
    NarrowCandidateIds(ids, std::move(found), narrowed);
  };
  if (!query.m_keywords.empty()) {
    std::vector<unsigned long> found;
    for (const std::string& word : query.m_keywords) {
      for (const unsigned long id :
           Ids("SELECT id FROM bs_objectwords WHERE tbl = $1 AND word = $2",
               CPgParams().Int(table).Text(word), "search the keywords")) {
        found.push_back(id);
      }
    }
    AppendUnread(table, found);
    intersect(std::move(found));
  }
  std::vector<unsigned long> texts;
  if (!query.m_textSubstrings.empty() &&
      TextCandidates(table, query.m_textSubstrings, query.m_bTextInComments, texts)) {
    intersect(std::move(texts));
  }
  const bool columns = !query.m_hitCountRanges.empty() || !query.m_nameSubstring.empty();
  if (columns) intersect(ColumnCandidates(table, query, narrowed ? &ids : nullptr));
  return narrowed;
}

// `ids` [start, end) as a text array literal for "= ANY($n::bigint[])".
std::string IdArray(const std::vector<unsigned long>& ids, std::size_t start, std::size_t end) {
  std::string array = "{";
  for (std::size_t i = start; i < end; ++i) {
    if (i > start) array += ',';
    array += std::to_string(ids[i]);
  }
  return array + '}';
}

void CPostgresStorage::ForEachKeyOfObjects(
    int table, const std::vector<unsigned long>& ids, std::string_view prefix,
    const std::function<void(unsigned long, std::string_view)>& row) {
  if (prefix.empty()) return;
  constexpr std::size_t kBatch = 10000;
  for (std::size_t start = 0; start < ids.size(); start += kBatch) {
    const std::size_t end = std::min(ids.size(), start + kBatch);
    const CPgResult result = Exec(
        "SELECT id, key FROM bs_objectkeys WHERE tbl = $1 AND id = ANY($2::bigint[]) "
        "AND left(key, length($3)) = $3 ORDER BY id, key",
        CPgParams().Int(table).Text(IdArray(ids, start, end)).Text(prefix),
        "read the keys of objects");
    for (int i = 0; i < PQntuples(result.get()); ++i) {
      row(static_cast<unsigned long>(IntCell(result.get(), i, 0)), Cell(result.get(), i, 1));
    }
  }
}

void CPostgresStorage::ReadObjectsById(int table, const std::vector<unsigned long>& ids,
                                       std::vector<CStoredObject>& rows) {
  rows.clear();
  constexpr std::size_t kBatch = 10000;
  for (std::size_t start = 0; start < ids.size(); start += kBatch) {
    const std::size_t end = std::min(ids.size(), start + kBatch);
    for (CStoredObject& row :
         Rows("SELECT id, name, type, created, tnum, ttext, author FROM bs_objects "
              "WHERE tbl = $1 AND id = ANY($2::bigint[]) ORDER BY id",
              CPgParams().Int(table).Text(IdArray(ids, start, end)))) {
      rows.push_back(std::move(row));
    }
  }
}

std::vector<CCommentStamp> CPostgresStorage::CommentStamps(int table) {
  std::vector<CCommentStamp> stamps;
  if (!m_bSearchIndex) return stamps;
  const CPgResult result = Exec("SELECT id, size, mtime FROM bs_commentindex WHERE tbl = $1",
                                CPgParams().Int(table), "read the comment index");
  for (int i = 0; i < PQntuples(result.get()); ++i) {
    stamps.push_back({static_cast<unsigned long>(IntCell(result.get(), i, 0)),
                      IntCell(result.get(), i, 1), IntCell(result.get(), i, 2)});
  }
  return stamps;
}

void CPostgresStorage::IndexComment(int table, const CCommentStamp& stamp,
                                    const std::string* text) {
  Changing([&] {
    const auto id = static_cast<std::int64_t>(stamp.m_recordId);
    Exec("DELETE FROM bs_commentindex WHERE tbl = $1 AND id = $2", CPgParams().Int(table).Int(id),
         "index a comment");
    if (text == nullptr) return 0;
    const bool readable = IsValidUtf8(*text);
    Exec(
        "INSERT INTO bs_commentindex(tbl, id, size, mtime, readable, text) "
        "VALUES ($1, $2, $3, $4, $5, $6)",
        CPgParams()
            .Int(table)
            .Int(id)
            .Int(stamp.m_size)
            .Int(stamp.m_mtime)
            .Text(readable ? "true" : "false")
            .Text(readable ? std::string_view(*text) : std::string_view()),
        "index a comment");
    return 0;
  });
}

std::vector<std::string> CPostgresStorage::CommentLines(int table, unsigned long recordId) {
  const std::vector<std::string> bodies =
      Texts("SELECT body FROM bs_comments WHERE tbl = $1 AND id = $2",
            CPgParams().Int(table).Int(static_cast<std::int64_t>(recordId)), "read a comment");
  // The lines as a comment file holds them: each ends with a newline.
  std::vector<std::string> lines;
  if (bodies.empty()) return lines;
  const std::string& body = bodies.front();
  for (std::size_t start = 0; start < body.size();) {
    std::size_t end = body.find('\n', start);
    if (end == std::string::npos) end = body.size();
    lines.push_back(body.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

void CPostgresStorage::SetCommentLines(int table, unsigned long recordId,
                                       const std::vector<std::string>& lines) {
  const CPgParams key = CPgParams().Int(table).Int(static_cast<std::int64_t>(recordId));
  if (lines.empty()) {
    Change("DELETE FROM bs_comments WHERE tbl = $1 AND id = $2", key, "remove a comment");
    return;
  }
  std::string body;
  for (const std::string& line : lines) body += line + '\n';
  Change(
      "INSERT INTO bs_comments(tbl, id, body) VALUES ($1, $2, $3) "
      "ON CONFLICT (tbl, id) DO UPDATE SET body = excluded.body",
      CPgParams().Int(table).Int(static_cast<std::int64_t>(recordId)).Text(body),
      "store a comment");
}

std::vector<CStoredRemoteRequest> CPostgresStorage::RemoteRequests() {
  std::vector<CStoredRemoteRequest> requests;
  // A database made before the table, opened by a role that may not add
  // it, has kept none.
  if (QueryInt("SELECT CASE WHEN to_regclass('bs_requests') IS NULL THEN 1 ELSE 0 END", {},
               "read the schema") != 0) {
    return requests;
  }
  const CPgResult result = Exec(
      "SELECT rid, submitted, program, dbname, search FROM bs_requests ORDER BY submitted, rid",
      {}, "read the remote requests");
  for (int i = 0; i < PQntuples(result.get()); ++i) {
    requests.push_back({std::string(Cell(result.get(), i, 0)), IntCell(result.get(), i, 1),
                        std::string(Cell(result.get(), i, 2)),
                        std::string(Cell(result.get(), i, 3)),
                        std::string(Cell(result.get(), i, 4))});
  }
  return requests;
}

void CPostgresStorage::PutRemoteRequest(const CStoredRemoteRequest& request) {
  if (request.m_strRid.empty()) {
    throw CDBException(m_strName + ": a remote request without a request ID is not kept");
  }
  Change(
      "INSERT INTO bs_requests(rid, submitted, program, dbname, search) VALUES ($1, $2, $3, $4, "
      "$5) ON CONFLICT (rid) DO UPDATE SET submitted = excluded.submitted, program = "
      "excluded.program, dbname = excluded.dbname, search = excluded.search",
      CPgParams()
          .Text(request.m_strRid)
          .Int(request.m_nSubmitted)
          .Text(request.m_strProgram)
          .Text(request.m_strDatabase)
          .Text(request.m_strSearchLine),
      "keep a remote request");
}

bool CPostgresStorage::DeleteRemoteRequest(std::string_view rid) {
  return Changing([&] {
    const CPgResult result = Exec("DELETE FROM bs_requests WHERE rid = $1",
                                  CPgParams().Text(rid), "forget a remote request");
    return std::strcmp(PQcmdTuples(result.get()), "0") != 0;
  });
}

}  // namespace

std::unique_ptr<CDBStorage> OpenPostgresStorage(const std::string& conninfo, bool* created,
                                                int busyTimeoutMs) {
  return std::make_unique<CPostgresStorage>(conninfo, created, busyTimeoutMs);
}

}  // namespace blastsearch

// The entry the engine finds by name when it loads this library for a
// server database (the programs do not link libpq): the storage, or null
// with the failure's message in `failure`.
extern "C" __attribute__((visibility("default"))) blastsearch::CDBStorage*
blastsearch_open_postgres_storage(const char* conninfo, bool* created, int busyTimeoutMs,
                                  std::string* failure) {
  try {
    return blastsearch::OpenPostgresStorage(conninfo, created, busyTimeoutMs).release();
  } catch (const std::exception& e) {
    *failure = e.what();
    return nullptr;
  }
}
