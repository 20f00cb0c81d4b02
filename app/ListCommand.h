#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "app/CommandContext.h"

namespace CLI {
class App;
}

namespace blastsearch {

class CObjInfo;

// What `blastsearch list` and `blastsearch summary` were asked to do.
struct CListOptions {
  std::string m_strSubbase = "MAIN";  // the subbase to list; "MAIN": every result
  bool m_bJson = false;               // a JSON array instead of columns
};

// Adds `list` and `summary` to `app`; choosing one sets context.m_run.
void AddListCommands(CLI::App& app, CCommandContext& context);

// Lists the results of a subbase from the table's list records only (no
// stored result is read): name, creation time and the table's columns in the
// order the table names them, through the table's field values; or, as JSON,
// one object per result with "uid", "name", "hits", "query_name" and
// "created". 0; 1 when the subbase does not exist or the output fails.
int RunList(const CListOptions& options, CCommandContext& context);

// Writes the table's text summary of a subbase. 0; 1 as RunList.
int RunSummary(const CListOptions& options, CCommandContext& context);

// `seconds` since 1970 as ISO 8601 in UTC: "2026-12-07T10:18:54Z".
// (The host's AppendIsoTime appends the same text, for callers that format
// many times.)
std::string FormatIsoTime(long seconds);

// Writes the list of `infos` in the form `json` asks for; the table's field
// values come from database 1. Used by RunList.
void WriteObjectList(const std::vector<CObjInfo*>& infos, bool json, std::ostream& out);

}  // namespace blastsearch
