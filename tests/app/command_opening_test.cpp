// Every command of the database opens it the same way: a database that
// cannot be opened stops the command before it does anything, with one
// failure line naming the file, status 1, nothing on standard output, and the
// file left as it was.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/CommandRun.h"
#include "host/db/SqliteStorage.h"
#include "support/Corpus.h"
#include "support/TempDatabase.h"

namespace blastsearch {

namespace {

namespace fs = std::filesystem;

TEST(CommandOpening, EveryCommandStopsAtADatabaseItCannotOpen) {
  CTempDir scratch("command_opening");
  const fs::path foreign = scratch.Path() / "foreign";
  fs::create_directories(foreign);
  const std::string notes = "these are somebody's notes\n";
  std::ofstream(foreign / kDatabaseFileName, std::ios::binary) << notes;
  const std::string file = (scratch.Path() / "a.ba6").string();
  const std::vector<std::vector<std::string>> commands = {
      {"list"},
      {"summary"},
      {"show", "1"},
      {"export", "1"},
      {"rm", "1"},
      {"rename", "1", "other"},
      {"duplicate", "1"},
      {"check"},
      {"search", "--name", "x"},
      {"import", file},
      {"archive", "export", file},
      {"archive", "import", file},
      {"subbase", "list"},
      {"subbase", "new", "group"},
      {"keyword", "add", "1", "k"},
      {"keyword", "list"},
      {"comment", "show", "1"},
      {"field", "define", "Lab", "text"},
      {"author", "set", "--name", "Ann"},
      {"blast", "blastn", "--query", file, "--blast-db", "db"},
      {"db", "info"},
      {"db", "copy", "--to", (scratch.Path() / "copy").string()},
  };
  for (const std::vector<std::string>& command : commands) {
    std::string line;
    for (const std::string& word : command) line += word + " ";
    SCOPED_TRACE(line);
    const CCommandRun run = RunOnDatabase(foreign.string(), command);
    EXPECT_EQ(run.m_nStatus, 1);
    EXPECT_EQ(run.m_strOut, "");
    EXPECT_EQ(run.m_strErr.rfind("blastsearch: ", 0), 0u) << run.m_strErr;
    EXPECT_NE(run.m_strErr.find(kDatabaseFileName), std::string::npos) << run.m_strErr;
    EXPECT_EQ(std::count(run.m_strErr.begin(), run.m_strErr.end(), '\n'), 1) << run.m_strErr;
  }
  EXPECT_EQ(ReadWholeFile(foreign / kDatabaseFileName), notes);
  EXPECT_FALSE(fs::exists(file));
  EXPECT_FALSE(fs::exists(scratch.Path() / "copy"));
}

}  // namespace

}  // namespace blastsearch
