#include "app/ListCommand.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <memory>
#include <nlohmann/json.hpp>
#include <ostream>

#include "host/OrvTextFile.h"
#include "host/db/DBFunctions.h"
#include "host/db/ObjInfo.h"
#include "table/BlastSearchTable.h"

namespace {

using Json = nlohmann::ordered_json;

// One column of the list: its heading and the field the table answers for it.
struct CColumn {
  std::string m_strHeading;
  CDBFieldDef m_def;
  bool m_bKnown = false;  // the table knows the field
};

CColumn ColumnOf(const std::string& name) {
  CColumn column;
  column.m_strHeading = name;
  column.m_bKnown = blastSearch().GetObjFieldDef(1, name, column.m_def) != 0;
  return column;
}

// Name and creation time, then the table's listed fields in its order.
std::vector<CColumn> ListColumns() {
  std::vector<CColumn> columns{ColumnOf("Name"), ColumnOf("Created")};
  std::vector<std::string> names;
  blastSearch().GetObjRealFieldNames(1, &names);
  for (const std::string& name : names) columns.push_back(ColumnOf(name));
  return columns;
}

std::string ValueOf(const CColumn& column, const CObjInfo& info) {
  std::string value;
  if (column.m_bKnown) blastSearch().GetFieldValue(1, &info, &column.m_def, value);
  return value;
}

// Columns padded to their widest value, two blanks apart; the last one is
// not padded, so long query names do not widen every line.
void WriteColumns(const std::vector<CObjInfo*>& infos, std::ostream& out) {
  const std::vector<CColumn> columns = ListColumns();
  std::vector<std::size_t> widths;
  for (const CColumn& column : columns) widths.push_back(column.m_strHeading.size());
  for (const CObjInfo* info : infos) {
    for (std::size_t c = 0; c + 1 < columns.size(); ++c) {
      widths[c] = std::max(widths[c], ValueOf(columns[c], *info).size());
    }
  }
  std::string line;
  auto writeRow = [&](auto&& cell) {
    line.clear();
    for (std::size_t c = 0; c < columns.size(); ++c) {
      const std::string text = cell(c);
      line += text;
      if (c + 1 < columns.size()) line.append(widths[c] - std::min(widths[c], text.size()) + 2, ' ');
    }
    while (!line.empty() && line.back() == ' ') line.pop_back();
    line += '\n';
    out << line;
  };
  writeRow([&](std::size_t c) { return columns[c].m_strHeading; });
  for (const CObjInfo* info : infos) {
    writeRow([&](std::size_t c) { return ValueOf(columns[c], *info); });
  }
}

// A field value read as a number; 0 when it is not one.
long long NumberOf(const std::string& text) {
  try {
    return text.empty() ? 0 : std::stoll(text);
  } catch (const std::exception&) {
    return 0;
  }
}

// One JSON object per line inside the array, written as each is made, so
// that memory does not grow with the number of results.
void WriteJson(const std::vector<CObjInfo*>& infos, std::ostream& out) {
  const CColumn uid = ColumnOf("UID");
  const CColumn name = ColumnOf("Name");
  const CColumn hits = ColumnOf("Hits Count");
  const CColumn query = ColumnOf("QueryName");
  const CColumn created = ColumnOf("Created");
  out << '[';
  bool first = true;
  for (const CObjInfo* info : infos) {
    Json item{{"uid", NumberOf(ValueOf(uid, *info))},
              {"name", ValueOf(name, *info)},
              {"hits", NumberOf(ValueOf(hits, *info))},
              {"query_name", ValueOf(query, *info)},
              {"created", ValueOf(created, *info)}};
    out << (first ? "\n" : ",\n") << item.dump(-1, ' ', false, Json::error_handler_t::replace);
    first = false;
  }
  out << (first ? "]\n" : "\n]\n");
}

// The list records of `subbase`; false with a failure line when it does not
// exist.
bool SubsetOf(const std::string& subbase, std::vector<CObjInfo*>& infos,
              CCommandMessages& messages) {
  if (GetObjSubset(blastSearch().objtable(), subbase, 1, infos)) return true;
  messages.Fail("no subbase named \"" + subbase + "\"");
  return false;
}

void AddSubbaseOption(CLI::App& command, CListOptions& options) {
  command.add_option("--subbase", options.m_strSubbase, "the subbase; MAIN: every result")
      ->capture_default_str();
  command.fallthrough();
}

}  // namespace

void WriteObjectList(const std::vector<CObjInfo*>& infos, bool json, std::ostream& out) {
  if (json) {
    WriteJson(infos, out);
  } else {
    WriteColumns(infos, out);
  }
}

void AddListCommands(CLI::App& app, CCommandContext& context) {
  auto list = std::make_shared<CListOptions>();
  CLI::App* command = app.add_subcommand(
      "list", "List the stored results: name, creation time, UID, hit count and query name.");
  AddSubbaseOption(*command, *list);
  command->add_flag("--json", list->m_bJson,
                    "a JSON array of {uid, name, hits, query_name, created}");
  command->callback([list, &context] {
    context.m_run = [list, &context] { return RunList(*list, context); };
  });

  auto summary = std::make_shared<CListOptions>();
  command = app.add_subcommand("summary",
                               "Write the table's text summary of the stored results.");
  AddSubbaseOption(*command, *summary);
  command->callback([summary, &context] {
    context.m_run = [summary, &context] { return RunSummary(*summary, context); };
  });
}

int RunList(const CListOptions& options, CCommandContext& context) {
  CCommandMessages messages(context.m_out, context.m_err);
  CCommandDatabase database;
  if (!database.Open(context.m_strDb, messages)) return 1;
  std::vector<CObjInfo*> infos;
  if (!SubsetOf(options.m_strSubbase, infos, messages)) return 1;
  WriteObjectList(infos, options.m_bJson, context.m_out);
  return CommandStatus(FlushOutput(context.m_out, messages), messages);
}

int RunSummary(const CListOptions& options, CCommandContext& context) {
  CCommandMessages messages(context.m_out, context.m_err);
  CCommandDatabase database;
  if (!database.Open(context.m_strDb, messages)) return 1;
  COrvTextFile file(COrvFileSpec("summary"));
  file.OpenMemoryOutput();
  if (blastSearch().WriteObjectSummary(options.m_strSubbase, 1, file) == 0) {
    messages.Fail("no subbase named \"" + options.m_strSubbase + "\"");
    return 1;
  }
  context.m_out << file.MemoryData();
  return CommandStatus(FlushOutput(context.m_out, messages), messages);
}
