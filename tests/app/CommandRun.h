#pragma once

#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "app/Commands.h"

namespace blastsearch {

// What one in-process run of blastsearch gave.
struct CCommandRun {
  int m_nStatus;
  std::string m_strOut;
  std::string m_strErr;
};

// Runs blastsearch in this process with `args`.
inline CCommandRun RunCommand(const std::vector<std::string>& args) {
  std::ostringstream out, err;
  const int status = RunBlastSearch(args, out, err);
  return {status, out.str(), err.str()};
}

// Runs blastsearch on the database in `dir`: "--db DIR" then `args`.
inline CCommandRun RunOnDatabase(const std::string& dir, std::vector<std::string> args) {
  args.insert(args.begin(), {"--db", dir});
  return RunCommand(args);
}

// The file and stored name of every result that import output reports
// stored: "FILE: The item "NAME" has been added to the database" for a file
// of one result, "N results from FILE: "A", "B"...; ..." for others (names
// without '"'; at most the ten listed).
inline std::vector<std::pair<std::string, std::string>> StoredByImport(const std::string& out) {
  static const std::regex line(R"re((.*): The item "(.*)" has been added to the database)re");
  static const std::regex many(
      R"re((?:blastsearch: )?\d+ results? from (.*?): ((?:"[^"]*"(?:, )?)+).*)re");
  static const std::regex name(R"re("([^"]*)")re");
  std::vector<std::pair<std::string, std::string>> stored;
  std::istringstream lines(out);
  std::string text;
  std::smatch match;
  while (std::getline(lines, text)) {
    if (std::regex_match(text, match, line)) {
      stored.emplace_back(match[1], match[2]);
    } else if (std::regex_match(text, match, many)) {
      const std::string file = match[1];
      const std::string names = match[2];
      for (auto it = std::sregex_iterator(names.begin(), names.end(), name);
           it != std::sregex_iterator(); ++it) {
        stored.emplace_back(file, (*it)[1]);
      }
    }
  }
  return stored;
}

}  // namespace blastsearch
