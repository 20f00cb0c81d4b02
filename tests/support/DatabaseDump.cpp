#include "support/DatabaseDump.h"

#include <sqlite3.h>

#include <fstream>
#include <sstream>
#include <vector>

#include "host/db/SqliteStorage.h"

namespace blastsearch {

std::string DatabaseDump(const std::filesystem::path& dir) {
  namespace fs = std::filesystem;
  std::string dump;
  sqlite3* db = nullptr;
  const std::string file = (dir / kDatabaseFileName).string();
  if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
    sqlite3_close(db);
    return "cannot open";
  }
  const auto rows = [&](const std::string& sql, const auto& row) {
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) {
      dump += "cannot read: " + sql + "\n";
      return;
    }
    while (sqlite3_step(stmt) == SQLITE_ROW) row(stmt);
    sqlite3_finalize(stmt);
  };
  const auto text = [](sqlite3_stmt* stmt, int column) {
    const unsigned char* value = sqlite3_column_text(stmt, column);
    return value != nullptr ? std::string(reinterpret_cast<const char*>(value)) : std::string();
  };
  std::vector<std::string> tables;
  rows("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name",
       [&](sqlite3_stmt* stmt) { tables.push_back(text(stmt, 0)); });
  for (const std::string& table : tables) {
    dump += "[" + table + "]\n";
    if (table == "records") {
      // The record without its times (creation, the authors' dates) and so
      // without its checksum.
      rows("SELECT key, data FROM records ORDER BY key", [&](sqlite3_stmt* stmt) {
        std::string record(static_cast<const char*>(sqlite3_column_blob(stmt, 1)),
                           static_cast<std::size_t>(sqlite3_column_bytes(stmt, 1)));
        const std::size_t time = record.find("\n@2:");
        if (time != std::string::npos) record.erase(time, record.find('\n', time + 1) - time);
        for (const char* author : {"\n@255:", "\n@256:"}) {
          const std::size_t line = record.find(author);
          if (line == std::string::npos) continue;
          const std::size_t end = record.find('\n', line + 1);
          const std::size_t date = record.rfind('\t', end);
          if (date > line) record.erase(date, end - date);
        }
        dump += text(stmt, 0) + ": " + record + "\n";
      });
      continue;
    }
    std::string columns;
    rows("SELECT name FROM pragma_table_info('" + table + "') WHERE name != 'created'",
         [&](sqlite3_stmt* stmt) {
           columns += (columns.empty() ? "quote(" : " || ',' || quote(") + text(stmt, 0) + ")";
         });
    rows("SELECT " + columns + " FROM " + table + " ORDER BY 1",
         [&](sqlite3_stmt* stmt) { dump += text(stmt, 0) + "\n"; });
  }
  sqlite3_close(db);
  for (const auto& entry : fs::recursive_directory_iterator(dir)) {
    const std::string name = entry.path().filename().string();
    if (!entry.is_regular_file() || name.rfind(kDatabaseFileName, 0) == 0) continue;
    std::ifstream in(entry.path(), std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    dump += "[" + fs::relative(entry.path(), dir).string() + "]\n" + bytes.str() + "\n";
  }
  return dump;
}

}  // namespace blastsearch
