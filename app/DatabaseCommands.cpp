#include "app/DatabaseCommands.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <filesystem>
#include <functional>
#include <iomanip>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <ostream>
#include <sstream>

#include "app/ArchiveCommand.h"
#include "app/CheckCommand.h"
#include "app/ImportCommand.h"
#include "app/ListCommand.h"
#include "app/ObjectCommands.h"
#include "app/ShowCommand.h"
#include "app/SubbaseCommand.h"
#include "host/db/DBEngine.h"
#include "host/db/DBException.h"
#include "host/db/DBObjectBase.h"
#include "host/db/DBStorage.h"
#include "host/db/DBTableBase.h"
#include "run/RemoteRequests.h"

namespace blastsearch {

namespace {

// The results of one table copied in one transaction of the target.
constexpr std::size_t kCopyBatch = 200;

struct CDbOptions {
  std::string m_strTo;
  std::size_t m_nBatch = kCopyBatch;
  bool m_bJson = false;
};

// Database 2 of the engine, open for one copy, closed at destruction.
class CCopyTarget {
 public:
  CCopyTarget() = default;
  CCopyTarget(const CCopyTarget&) = delete;
  CCopyTarget& operator=(const CCopyTarget&) = delete;
  ~CCopyTarget() {
    if (m_pStorage != nullptr) engine().CloseDatabase(kTargetDb);
  }
  static constexpr int kTargetDb = 2;
  // Opens (or makes) the database `asked` names; throws as the engine does.
  CDBStorage& Open(const std::string& asked) {
    engine().OpenDatabase(DatabaseDirectory(asked), kTargetDb);
    m_pStorage = engine().Storage(kTargetDb);
    return *m_pStorage;
  }

 private:
  CDBStorage* m_pStorage = nullptr;
};

// The lookup keys of the objects of `page` (ascending identifiers), by
// identifier: one indexed read of the keys of the page's span.
std::map<unsigned long, std::vector<std::string>> KeysOfPage(
    CDBStorage& storage, int table, const std::vector<CStoredObject>& page) {
  std::map<unsigned long, std::vector<std::string>> keys;
  if (page.empty()) return keys;
  storage.ForEachKeyOfObjects(
      table, page.front().m_recordId, page.back().m_recordId,
      [&keys](unsigned long id, std::string_view key) { keys[id].emplace_back(key); });
  return keys;
}

// The rows of `page` the target does not have yet. One the target has under
// the same identifier and name was copied by an earlier run cut short; one
// of another name is refused.
std::vector<const CStoredObject*> RowsNotCopied(CDBStorage& target, int table,
                                                const std::vector<CStoredObject>& page) {
  std::vector<unsigned long> ids;
  ids.reserve(page.size());
  for (const CStoredObject& row : page) ids.push_back(row.m_recordId);
  std::vector<CStoredObject> there;
  target.ReadObjectsById(table, ids, there);
  std::vector<const CStoredObject*> fresh;
  auto found = there.begin();
  for (const CStoredObject& row : page) {
    while (found != there.end() && found->m_recordId < row.m_recordId) ++found;
    if (found == there.end() || found->m_recordId != row.m_recordId) {
      fresh.push_back(&row);
      continue;
    }
    if (found->m_name != row.m_name) {
      throw CDBException(target.GetPath() + ": holds another result under the UID " +
                         std::to_string(row.m_recordId) + " (\"" + found->m_name +
                         "\"); copy into an empty database");
    }
  }
  return fresh;
}

// Copies the rows `fresh` of a page with their keys, field values and
// comments in one transaction of the target; the number copied.
std::size_t CopyPage(CDBStorage& source, CDBStorage& target, int table, int objType,
                     const std::vector<const CStoredObject*>& fresh,
                     const std::map<unsigned long, std::vector<std::string>>& keys,
                     const std::vector<CUDFieldDef>& defs) {
  // The comment files of a folder target are written before the rows
  // commit: a copy killed between leaves only files that the next run
  // writes again (and the check's clean-up would remove).
  std::vector<std::vector<std::string>> comments(fresh.size());
  for (std::size_t k = 0; k < fresh.size(); ++k) {
    ReadObjectComment(objType, fresh[k]->m_recordId, 1, comments[k]);
    if (!target.KeepsComments() && !comments[k].empty()) {
      std::string failure;
      if (!WriteObjectComment(objType, fresh[k]->m_recordId, CCopyTarget::kTargetDb, comments[k],
                              &failure)) {
        throw CDBException(failure);
      }
    }
  }
  std::size_t copied = 0;
  CDBWriteTransaction transaction(target);
  std::string record;
  for (std::size_t k = 0; k < fresh.size(); ++k) {
    const CStoredObject& row = *fresh[k];
    if (!source.ReadRecord(table, row.m_recordId, record)) continue;  // deleted meanwhile
    // A damaged record is not carried on as if it had been read.
    if (record.empty()) {
      throw CDBException(source.GetPath() + ": the stored record of UID " +
                         std::to_string(row.m_recordId) +
                         " is damaged (see `blastsearch check`); nothing of its batch was "
                         "copied");
    }
    target.PutObject(table, row, record);
    ++copied;
    target.NoteRecordId(table, row.m_recordId);
    if (auto found = keys.find(row.m_recordId); found != keys.end()) {
      target.SetObjectKeys(table, row.m_recordId, found->second);
    }
    for (const CUDFieldDef& def : defs) {
      std::vector<std::string> values = source.FieldValues(table, row.m_recordId, def.m_fieldId);
      if (!values.empty()) target.SetFieldValues(table, row.m_recordId, def.m_fieldId, values);
    }
    if (target.KeepsComments() && !comments[k].empty()) {
      target.SetCommentLines(table, row.m_recordId, comments[k]);
    }
  }
  transaction.Commit();
  return copied;
}

// Copies the objects of `table` (of type `objType`) with their keys, field
// values and comments, a page of `batch` at a time read in identifier order
// and stored in one transaction each: what it holds at once is bounded by
// the page, however large the table. Objects the target has already (an
// earlier run cut short) are passed over.
std::size_t CopyObjects(CDBStorage& source, CDBStorage& target, int table, int objType,
                        std::size_t batch, const std::vector<CUDFieldDef>& defs,
                        const std::function<void(std::size_t, std::size_t)>& progress) {
  const std::size_t all = source.CountObjects(table);
  std::size_t copied = 0;
  std::size_t done = 0;
  CStoredObject after;
  std::vector<CStoredObject> page;
  for (bool first = true;; first = false) {
    source.ReadObjectPage(table, EObjectOrder::kById, 0, first ? nullptr : &after, batch, page);
    if (page.empty()) break;
    const std::vector<const CStoredObject*> fresh = RowsNotCopied(target, table, page);
    if (!fresh.empty()) {
      copied +=
          CopyPage(source, target, table, objType, fresh, KeysOfPage(source, table, page), defs);
    }
    done += page.size();
    progress(done, std::max(all, done));
    after = page.back();
    if (page.size() < batch) break;
  }
  return copied;
}

// Adds to the target's subbase `into` the members of the source's subbase
// `from` that the target has, a page of `batch` at a time, one transaction
// each.
void CopySubbaseMembers(CDBStorage& source, CDBStorage& target, int table, unsigned long from,
                        unsigned long into, std::size_t batch) {
  CStoredObject after;
  std::vector<CStoredObject> page;
  std::vector<unsigned long> ids;
  std::vector<CStoredObject> there;
  for (bool first = true;; first = false) {
    source.ReadObjectPage(table, EObjectOrder::kById, from, first ? nullptr : &after, batch, page);
    if (page.empty()) break;
    ids.clear();
    for (const CStoredObject& row : page) ids.push_back(row.m_recordId);
    target.ReadObjectsById(table, ids, there);
    CDBWriteTransaction transaction(target);
    for (const CStoredObject& row : there) target.AddToSubbase(table, into, row.m_recordId);
    transaction.Commit();
    after = page.back();
    if (page.size() < batch) break;
  }
}

// Copies what is not an object: field definitions and creator records (one
// transaction), then each subbase with its members (a page at a time),
// keywords.
void CopyTheRest(CDBStorage& source, CDBStorage& target, const std::vector<int>& tables,
                 std::size_t batch) {
  {
    CDBWriteTransaction transaction(target);
    for (const CUDFieldDef& def : source.UDFieldDefs()) target.PutUDFieldDef(def);
    std::string record;
    for (const std::string& login : source.CreatorLogins()) {
      if (source.LoadCreator(login, record)) target.SaveCreator(login, record);
    }
    for (int table : tables) {
      for (const std::string& keyword : source.Keywords(table)) target.AddKeyword(table, keyword);
    }
    transaction.Commit();
  }
  for (int table : tables) {
    for (const CStoredSubbase& subbase : source.Subbases(table)) {
      unsigned long id = target.FindSubbase(table, subbase.m_name);
      if (id == 0) id = target.CreateSubbase(table, subbase.m_name);
      CopySubbaseMembers(source, target, table, subbase.m_id, id, batch);
    }
  }
}

// The request IDs of remote searches that database `dbId` (of `storage`)
// keeps: in itself, or in a file of its folder.
std::vector<CRemoteRequest> KeptRequests(CDBStorage& storage, int dbId) {
  if (storage.KeepsRemoteRequests()) return storage.RemoteRequests();
  const std::string dir = engine().DatabaseDir(dbId);
  return dir.empty() ? std::vector<CRemoteRequest>() : ReadRemoteRequests(RemoteRequestsFile(dir));
}

// Carries the request IDs of the source's remote searches over, so that a
// search cut short can still be resumed from the copy.
void CopyRemoteRequests(CDBStorage& source, CDBStorage& target) {
  const std::vector<CRemoteRequest> requests = KeptRequests(source, 1);
  if (requests.empty()) return;
  if (target.KeepsRemoteRequests()) {
    CDBWriteTransaction transaction(target);
    for (const CRemoteRequest& request : requests) target.PutRemoteRequest(request);
    transaction.Commit();
    return;
  }
  const std::string file = RemoteRequestsFile(engine().DatabaseDir(CCopyTarget::kTargetDb));
  std::string error;
  for (const CRemoteRequest& request : requests) {
    if (!SaveRemoteRequest(file, request, error)) throw CDBException(error);
  }
}

// The object tables of the registered tables with their object types.
std::vector<std::pair<int, int>> ObjectTables() {
  std::vector<std::pair<int, int>> tables;
  for (CDBTableBase* table : engine().get_tables()) {
    tables.emplace_back(table->objtable(), table->tableobjtype());
  }
  return tables;
}

std::string SameDatabase(const std::string& a, const std::string& b) {
  if (IsServerDatabase(a) || IsServerDatabase(b)) {
    return IsServerDatabase(a) && IsServerDatabase(b) &&
                   DescribeServerDatabase(a) == DescribeServerDatabase(b)
               ? DescribeServerDatabase(a)
               : "";
  }
  std::error_code error;
  return std::filesystem::equivalent(a, b, error) ? a : "";
}

int RunCopy(const CDbOptions& options, CCommandContext& context) {
  return WithDatabase(context, [&](CCommandMessages& messages) {
    const std::string from = DatabaseDirectory(context.m_strDb);
    if (const std::string same = SameDatabase(from, options.m_strTo); !same.empty()) {
      messages.Fail(same + ": a database is not copied onto itself");
      return false;
    }
    CDBStorage& source = *engine().Storage(1);
    CCopyTarget guard;
    try {
      CDBStorage& target = guard.Open(options.m_strTo);
      if (target.IsReadOnly()) {
        messages.Fail(target.GetPath() +
                      ": the database is read-only for this role (it may only read); nothing "
                      "was copied");
        return false;
      }
      const std::vector<std::pair<int, int>> tables = ObjectTables();
      std::vector<int> ids;
      for (const auto& [table, objType] : tables) ids.push_back(table);
      const std::vector<CUDFieldDef> defs = source.UDFieldDefs();
      std::size_t copied = 0;
      for (const auto& [table, objType] : tables) {
        copied += CopyObjects(
            source, target, table, objType, std::max<std::size_t>(1, options.m_nBatch), defs,
            [&](std::size_t done, std::size_t all) {
              context.m_err << "blastsearch: copied " << done << " of " << all << " results\n";
              context.m_err.flush();
            });
      }
      CopyTheRest(source, target, ids, std::max<std::size_t>(1, options.m_nBatch));
      CopyRemoteRequests(source, target);
      messages.Inform("Copied " + std::to_string(copied) + (copied == 1 ? " result" : " results") +
                      " from " + engine().DatabaseName(1) + " to " +
                      engine().DatabaseName(CCopyTarget::kTargetDb));
    } catch (const std::exception& e) {
      messages.Fail(std::string(e.what()) +
                    " (what was copied stays; run the copy again to go on)");
      return false;
    }
    return true;
  });
}

std::string Bytes(std::uint64_t bytes) {
  const char* units[] = {"bytes", "KiB", "MiB", "GiB", "TiB"};
  double value = static_cast<double>(bytes);
  int unit = 0;
  while (value >= 1024 && unit < 4) {
    value /= 1024;
    ++unit;
  }
  std::ostringstream text;
  if (unit == 0) {
    text << bytes << " bytes";
  } else {
    text << std::fixed << std::setprecision(1) << value << ' ' << units[unit];
  }
  return text.str();
}

int RunInfo(const CDbOptions& options, CCommandContext& context) {
  return WithDatabase(context, [&](CCommandMessages& messages) {
    CDBStorage& storage = *engine().Storage(1);
    try {
      std::size_t results = 0;
      std::size_t subbases = 0;
      std::size_t keywords = 0;
      for (const auto& [table, objType] : ObjectTables()) {
        results += storage.CountObjects(table);
        subbases += storage.Subbases(table).size();
        keywords += storage.Keywords(table).size();
      }
      const std::uint64_t size = storage.SizeInBytes();
      const int version = storage.SchemaVersion();
      if (options.m_bJson) {
        nlohmann::ordered_json info{{"database", engine().DatabaseName(1)},
                                    {"backend", storage.BackendName()},
                                    {"schema_version", version},
                                    {"results", results},
                                    {"subbases", subbases},
                                    {"keywords", keywords},
                                    {"fields", storage.UDFieldDefs().size()},
                                    {"size_bytes", size},
                                    {"read_only", storage.IsReadOnly()}};
        context.m_out << info.dump() << '\n';
        return true;
      }
      context.m_out << "database: " << engine().DatabaseName(1) << '\n'
                    << "backend: " << storage.BackendName() << '\n'
                    << "schema version: " << version << '\n'
                    << "results: " << results << '\n'
                    << "subbases: " << subbases << '\n'
                    << "keywords: " << keywords << '\n'
                    << "fields: " << storage.UDFieldDefs().size() << '\n'
                    << "size: " << Bytes(size) << '\n'
                    << "access: " << (storage.IsReadOnly() ? "read-only" : "read and write")
                    << '\n';
    } catch (const std::exception& e) {
      messages.Fail(e.what());
      return false;
    }
    return true;
  });
}

void AddDbCommands(CLI::App& app, CCommandContext& context) {
  CLI::App* group =
      AddCommandGroup(app, "db", "The database itself: what it is, and copies of it.");
  auto options = std::make_shared<CDbOptions>();
  CLI::App* info = group->add_subcommand(
      "info", "Name the database's backend, schema version, counts and size.");
  info->add_flag("--json", options->m_bJson, "one JSON object");
  info->fallthrough();
  info->callback([options, &context] {
    context.m_run = [options, &context] { return RunInfo(*options, context); };
  });
  CLI::App* copy = group->add_subcommand(
      "copy",
      "Copy the whole database into another (a folder or a PostgreSQL server database), in "
      "batches of one transaction each; a copy cut short goes on where it stopped when run "
      "again. Progress goes to standard error.");
  copy->add_option("--to", options->m_strTo,
                   "the database to copy into: a folder, a postgresql:// address or a libpq "
                   "connection string (never put a password here: use ~/.pgpass or PGPASSFILE)")
      ->required()
      ->type_name("DB");
  copy->add_option("--batch", options->m_nBatch, "results per transaction")
      ->check(CLI::Range(1, 100000))
      ->capture_default_str();
  copy->fallthrough();
  copy->callback([options, &context] {
    context.m_run = [options, &context] { return RunCopy(*options, context); };
  });
}

}  // namespace

void AddDatabaseCommands(CLI::App& app, CCommandContext& context) {
  app.add_option(
         "--db", context.m_strDb,
         "the result database: a folder (created on first use), or a PostgreSQL database as a "
         "postgresql:// address or libpq connection string; default: "
         "$BLASTSEARCH_DB, else $XDG_DATA_HOME/blastsearch or "
         "~/.local/share/blastsearch")
      ->envname("BLASTSEARCH_DB")
      ->type_name("DB");
  AddImportCommand(app, context);
  AddListCommands(app, context);
  AddShowCommands(app, context);
  AddObjectCommands(app, context);
  AddSubbaseCommands(app, context);
  AddArchiveCommands(app, context);
  AddCheckCommand(app, context);
  AddDbCommands(app, context);
}

}  // namespace blastsearch
