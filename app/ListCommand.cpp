#include "app/ListCommand.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <memory>
#include <nlohmann/json.hpp>
#include <ostream>
#include <utility>

#include "host/OrvTextFile.h"
#include "host/db/DBEngine.h"
#include "host/db/DBFunctions.h"
#include "host/db/DBStorage.h"
#include "host/db/DBTableBase.h"
#include "host/db/ObjInfo.h"
#include "output/PrintableText.h"
#include "table/BlastSearchTable.h"

namespace blastsearch {

namespace {

using Json = nlohmann::ordered_json;

// One column of the list: its heading and the field the table answers for it.
// The name and creation time come from the list record itself; the table's
// fields through its field values.
enum class CColumnKind { Name, Created, Field };

struct CColumn {
  std::string m_strHeading;
  CColumnKind m_kind = CColumnKind::Field;
  CDBFieldDef m_def;
  bool m_bKnown = false;  // the table knows the field
};

CColumn ColumnOf(const std::string& name, CColumnKind kind = CColumnKind::Field) {
  CColumn column;
  column.m_strHeading = name;
  column.m_kind = kind;
  column.m_bKnown =
      kind != CColumnKind::Field || blastSearch().GetObjFieldDef(1, name, column.m_def) != 0;
  return column;
}

// Name and creation time, then the table's listed fields in its order.
std::vector<CColumn> ListColumns() {
  std::vector<CColumn> columns{ColumnOf("Name", CColumnKind::Name),
                               ColumnOf("Created", CColumnKind::Created)};
  std::vector<std::string> names;
  blastSearch().GetObjRealFieldNames(1, &names);
  for (const std::string& name : names) columns.push_back(ColumnOf(name));
  return columns;
}

// True when `text` is plain printable ASCII, which a terminal shows as it is.
bool IsPlainText(const std::string& text) {
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte >= 0x7F) return false;
  }
  return true;
}

// `text` as it may reach a terminal: itself, or `scratch` filled with its
// printable form (control characters escaped, so that a name with a line end
// or an escape sequence keeps to its row and leaves the terminal alone).
const std::string& Printable(const std::string& text, std::string& scratch) {
  if (IsPlainText(text)) return text;
  scratch = PrintableText(text);
  return scratch;
}

// The value of `column` for `info`: the list record's own name, or `scratch`
// filled with the value (reused from row to row, so that no row allocates).
const std::string& ValueOf(const CColumn& column, const CObjInfo& info, std::string& scratch) {
  switch (column.m_kind) {
    case CColumnKind::Name:
      return Printable(info.m_name, scratch);
    case CColumnKind::Created:
      scratch.clear();
      AppendIsoTime(info.m_creationTime, scratch);
      return scratch;
    case CColumnKind::Field:
      break;
  }
  scratch.clear();
  if (column.m_bKnown) blastSearch().GetFieldValue(1, &info, &column.m_def, scratch);
  if (!IsPlainText(scratch)) scratch = PrintableText(scratch);
  return scratch;
}

// The summary's text with the control characters of its values escaped; its
// own tabs and line ends stay.
std::string PrintableSummary(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t end = std::min(text.find_first_of("\t\n", start), text.size());
    out += PrintableText(std::string_view(text).substr(start, end - start));
    if (end == text.size()) break;
    out += text[end];
    start = end + 1;
  }
  return out;
}

// Columns are padded to the widest value among the first rows (a list of
// many results is written as it is read, each value asked for once), two
// blanks apart; a wider value later on only shifts its own line. The last
// column is not padded, so long query names do not widen every line.
constexpr std::size_t kRowsMeasured = 1000;
// No column is padded wider than this: a longer value only shifts its own
// line (a name of 100 KB does not pad every row to 100 KB).
constexpr std::size_t kWidestPadding = 80;
// Lines are gathered up to this many bytes before they are written.
constexpr std::size_t kOutputChunk = 64 * 1024;

// Writes `chunk` to `out` once it is full (or `last`), then empties it.
void Drain(std::string& chunk, std::ostream& out, bool last) {
  if (chunk.size() < kOutputChunk && !last) return;
  out.write(chunk.data(), static_cast<std::streamsize>(chunk.size()));
  chunk.clear();
}

void WriteColumns(const CRowFeed& feed, std::ostream& out) {
  const std::vector<CColumn> columns = ListColumns();
  std::vector<std::size_t> widths;
  for (const CColumn& column : columns) widths.push_back(column.m_strHeading.size());
  // The first rows (at least kRowsMeasured of them when there are so many),
  // kept to be measured before anything is written.
  std::vector<CObjInfo> head;
  std::vector<const CObjInfo*> batch;
  bool more = true;
  while (head.size() < kRowsMeasured && (more = feed(batch))) {
    for (const CObjInfo* info : batch) head.push_back(*info);
  }
  const std::size_t measured = std::min(head.size(), kRowsMeasured);
  std::vector<std::string> early;  // the cells of the measured rows, row by row
  early.reserve(measured * columns.size());
  std::string value;
  for (std::size_t row = 0; row < measured; ++row) {
    for (std::size_t c = 0; c < columns.size(); ++c) {
      early.push_back(ValueOf(columns[c], head[row], value));
      widths[c] = std::max(widths[c], std::min(early.back().size(), kWidestPadding));
    }
  }
  // Rows are put together in place in one buffer: each cell copied, then
  // blanks up to the next column.
  std::string line;
  std::size_t used = 0;
  auto writeRow = [&](auto&& cell) {
    const std::size_t start = used;
    for (std::size_t c = 0; c < columns.size(); ++c) {
      const std::string& text = cell(c);
      const std::size_t pad =
          c + 1 < columns.size() ? widths[c] - std::min(widths[c], text.size()) + 2 : 0;
      if (used + text.size() + pad + 1 > line.size()) {
        line.resize(std::max(2 * line.size(), used + text.size() + pad + kOutputChunk));
      }
      std::memcpy(line.data() + used, text.data(), text.size());
      used += text.size();
      std::memset(line.data() + used, ' ', pad);
      used += pad;
    }
    while (used > start && line[used - 1] == ' ') --used;
    line[used++] = '\n';
    if (used >= kOutputChunk) {
      out.write(line.data(), static_cast<std::streamsize>(used));
      used = 0;
    }
  };
  writeRow([&](std::size_t c) -> const std::string& { return columns[c].m_strHeading; });
  for (std::size_t row = 0; row < head.size(); ++row) {
    writeRow([&](std::size_t c) -> const std::string& {
      if (row < measured) return early[row * columns.size() + c];
      return ValueOf(columns[c], head[row], value);
    });
  }
  while (more && (more = feed(batch))) {
    for (const CObjInfo* info : batch) {
      writeRow(
          [&](std::size_t c) -> const std::string& { return ValueOf(columns[c], *info, value); });
    }
  }
  out.write(line.data(), static_cast<std::streamsize>(used));
}

// `text` as a JSON string; printable ASCII is copied as it is, anything else
// goes through the JSON library (which replaces bytes that are not UTF-8).
void AppendJsonString(std::string& json, const std::string& text) {
  for (char c : text) {
    if (c < 0x20 || c > 0x7E || c == '"' || c == '\\') {
      json += Json(text).dump(-1, ' ', false, Json::error_handler_t::replace);
      return;
    }
  }
  json += '"';
  json += text;
  json += '"';
}

// A field value read as a number; 0 when it is not one.
long long NumberOf(const std::string& text) {
  long long number = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  return error == std::errc() && end == text.data() + text.size() ? number : 0;
}

// One JSON object per line inside the array, written as each is made, so
// that memory does not grow with the number of results.
void WriteJson(const CRowFeed& feed, std::ostream& out) {
  const CColumn uid = ColumnOf("UID");
  const CColumn name = ColumnOf("Name", CColumnKind::Name);
  const CColumn hits = ColumnOf("Hits Count");
  const CColumn query = ColumnOf("QueryName");
  const CColumn created = ColumnOf("Created", CColumnKind::Created);
  std::string item = "[";
  item.reserve(kOutputChunk + 4096);
  std::string value;
  bool first = true;
  std::vector<const CObjInfo*> batch;
  while (feed(batch)) {
    for (const CObjInfo* info : batch) {
      item += first ? "\n{\"uid\":" : ",\n{\"uid\":";
      item += std::to_string(NumberOf(ValueOf(uid, *info, value)));
      item += ",\"name\":";
      AppendJsonString(item, ValueOf(name, *info, value));
      item += ",\"hits\":";
      item += std::to_string(NumberOf(ValueOf(hits, *info, value)));
      item += ",\"query_name\":";
      AppendJsonString(item, ValueOf(query, *info, value));
      item += ",\"created\":";
      AppendJsonString(item, ValueOf(created, *info, value));
      item += '}';
      Drain(item, out, false);
      first = false;
    }
  }
  item += first ? "]\n" : "\n]\n";
  Drain(item, out, true);
}

// The rows of a subbase (or of the whole table) read from the storage a
// page at a time, in identifier order or by name: only one page is held.
class CStoragePages {
 public:
  CStoragePages(CDBStorage& storage, int table, unsigned long subbase, const CListOptions& options)
      : m_storage(storage), m_table(table), m_subbase(subbase) {
    if (options.m_bPaged) {
      m_order = EObjectOrder::kByName;
      m_remaining = options.m_nLimit;
      if (!options.m_strAfter.empty()) {
        // After every row of that name: names are unique, so the greatest
        // identifier stands for all of them.
        m_last.m_name = options.m_strAfter;
        m_last.m_recordId = static_cast<unsigned long>(INT64_MAX);
        m_bStarted = true;
      }
    }
  }

  // The next page's records, valid until the next call; false at the end.
  bool Next(std::vector<const CObjInfo*>& batch) {
    batch.clear();
    if (m_remaining == 0) return false;
    m_storage.ReadObjectPage(m_table, m_order, m_subbase, m_bStarted ? &m_last : nullptr,
                             std::min(m_remaining, kPageRows), m_rows);
    if (m_rows.empty()) return false;
    m_remaining -= m_rows.size();
    m_last = m_rows.back();
    m_bStarted = true;
    m_infos.clear();
    for (const CStoredObject& row : m_rows) {
      CObjInfo& info = m_infos.emplace_back(row.m_objType, row.m_recordId, row.m_name);
      info.m_creationTime = row.m_creationTime;
      info.m_tableNumber = row.m_tableNumber;
      info.m_tableText = row.m_tableText;
      info.m_strAuthor = row.m_author;
    }
    for (const CObjInfo& info : m_infos) batch.push_back(&info);
    return true;
  }

 private:
  static constexpr std::size_t kPageRows = 1000;
  CDBStorage& m_storage;
  int m_table;
  unsigned long m_subbase;
  EObjectOrder m_order = EObjectOrder::kById;
  std::size_t m_remaining = SIZE_MAX;
  CStoredObject m_last;
  bool m_bStarted = false;
  std::vector<CStoredObject> m_rows;
  std::vector<CObjInfo> m_infos;
};

// The identifier of the subbase to list: 0 for the whole table; false with
// a failure line when it does not exist.
bool SubbaseToList(CDBStorage& storage, int table, const std::string& subbase, unsigned long& id,
                   CCommandMessages& messages) {
  id = 0;
  if (IsMainSubbase(subbase)) return true;
  id = storage.FindSubbase(table, SubbaseNameOf(subbase));
  if (id != 0) return true;
  messages.Fail("no subbase named \"" + subbase + "\"");
  return false;
}

void AddSubbaseOption(CLI::App& command, CListOptions& options) {
  command.add_option("--subbase", options.m_strSubbase, "the subbase; MAIN: every result")
      ->capture_default_str();
  command.fallthrough();
}

}  // namespace

std::string FormatIsoTime(long seconds) {
  std::string text;
  AppendIsoTime(seconds, text);
  return text;
}

void WriteObjectList(const std::vector<CObjInfo*>& infos, bool json, std::ostream& out) {
  bool given = false;
  WriteObjectRows(
      [&](std::vector<const CObjInfo*>& batch) {
        batch.assign(infos.begin(), infos.end());
        return !std::exchange(given, true) && !batch.empty();
      },
      json, out);
}

void WriteObjectRows(const CRowFeed& feed, bool json, std::ostream& out) {
  if (json) {
    WriteJson(feed, out);
  } else {
    WriteColumns(feed, out);
  }
}

void AddListCommands(CLI::App& app, CCommandContext& context) {
  auto list = std::make_shared<CListOptions>();
  CLI::App* command = app.add_subcommand(
      "list", "List the stored results: name, creation time, UID, hit count and query name.");
  AddSubbaseOption(*command, *list);
  command->add_flag("--json", list->m_bJson,
                    "a JSON array of {uid, name, hits, query_name, created}");
  command
      ->add_option("--limit", list->m_nLimit,
                   "at most this many results, sorted by name (a page; see --after)")
      ->check(CLI::Validator(
          [](std::string& text) {
            std::size_t rows = 0;
            const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), rows);
            return error == std::errc() && end == text.data() + text.size() && rows > 0
                       ? std::string()
                       : "a number of rows, 1 or more, is needed, not \"" + text + "\"";
          },
          "ROWS"));
  command->add_option("--after", list->m_strAfter,
                      "only results whose name sorts after this one (byte order), sorted by "
                      "name: the last name of a page gives the next page");
  command->callback([command, list, &context] {
    list->m_bPaged = command->count("--limit") > 0 || command->count("--after") > 0;
    context.m_run = [list, &context] { return RunList(*list, context); };
  });

  auto summary = std::make_shared<CListOptions>();
  command = app.add_subcommand("summary", "Write the table's text summary of the stored results.");
  AddSubbaseOption(*command, *summary);
  command->callback([summary, &context] {
    context.m_run = [summary, &context] { return RunSummary(*summary, context); };
  });
}

int RunList(const CListOptions& options, CCommandContext& context) {
  CCommandMessages messages(context.m_out, context.m_err);
  return WithDatabase(context, messages, [&] {
    CDBStorage* storage = engine().Storage(1);
    if (storage == nullptr) {
      messages.Fail("the database is not open");
      return 1;
    }
    const int table = blastSearch().objtable();
    try {
      unsigned long subbase = 0;
      if (!SubbaseToList(*storage, table, options.m_strSubbase, subbase, messages)) return 1;
      CStoragePages pages(*storage, table, subbase, options);
      WriteObjectRows([&](std::vector<const CObjInfo*>& batch) { return pages.Next(batch); },
                      options.m_bJson, context.m_out);
    } catch (const std::exception& e) {
      // A list that could not be read is no empty list.
      messages.Fail(e.what());
      static_cast<void>(FlushOutput(context.m_out, messages));
      return 1;
    }
    if (messages.Failed()) return 1;
    return CommandStatus(FlushOutput(context.m_out, messages), messages);
  });
}

int RunSummary(const CListOptions& options, CCommandContext& context) {
  CCommandMessages messages(context.m_out, context.m_err);
  return WithDatabase(context, messages, [&] {
    COrvTextFile file(COrvFileSpec("summary"));
    file.OpenMemoryOutput();
    if (blastSearch().WriteObjectSummary(options.m_strSubbase, 1, file) == 0) {
      if (!messages.Failed()) messages.Fail("no subbase named \"" + options.m_strSubbase + "\"");
      return 1;
    }
    if (messages.Failed()) return 1;
    context.m_out << PrintableSummary(file.MemoryData());
    return CommandStatus(FlushOutput(context.m_out, messages), messages);
  });
}

}  // namespace blastsearch
