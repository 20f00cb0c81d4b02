#pragma once

#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "app/Commands.h"

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

// The file and stored name of every line of import output that reports a
// stored result ("FILE: The item "NAME" has been added to the database").
inline std::vector<std::pair<std::string, std::string>> StoredByImport(const std::string& out) {
  static const std::regex line(R"re((.*): The item "(.*)" has been added to the database)re");
  std::vector<std::pair<std::string, std::string>> stored;
  std::istringstream lines(out);
  std::string text;
  std::smatch match;
  while (std::getline(lines, text)) {
    if (std::regex_match(text, match, line)) stored.emplace_back(match[1], match[2]);
  }
  return stored;
}
