#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
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
  // A page by name (--limit, --after): at most m_nLimit rows whose names
  // sort after m_strAfter ("" : from the first), in name order. Otherwise
  // every row in identifier order.
  bool m_bPaged = false;
  std::size_t m_nLimit = SIZE_MAX;
  std::string m_strAfter;
};

// Gives the rows of a list a batch at a time: fills `batch` (emptied first)
// with the next records, valid until the next call; false when none are
// left.
using CRowFeed = std::function<bool(std::vector<const CObjInfo*>& batch)>;

// Adds `list` and `summary` to `app`; choosing one sets context.m_run.
void AddListCommands(CLI::App& app, CCommandContext& context);

// Lists the results of a subbase from the table's list records only (no
// stored result is read), read from the storage a page at a time: name, creation time and the
// table's columns in the order the table names them, through the table's field values; or, as JSON,
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
// The same with the rows given by `feed`, written as they come (the column
// widths measured on the first 1000 rows), so that memory is bounded by a
// batch.
void WriteObjectRows(const CRowFeed& feed, bool json, std::ostream& out);

}  // namespace blastsearch
