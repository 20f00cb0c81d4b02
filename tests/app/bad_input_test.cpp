// Bad input to every command that changes the database or writes a file:
// each is refused with a message that shows the input printably and short,
// the exit is 1 or 2, and the database is as it was, byte for byte of what
// it holds.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/CommandRun.h"
#include "support/DatabaseDump.h"
#include "support/TempDatabase.h"

namespace blastsearch {

namespace {

namespace fs = std::filesystem;

const fs::path kReports = fs::path(BLASTSEARCH_SOURCE_DIR) / "tests" / "data" / "blastplus";

class BadInput : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"import", (kReports / "blastn.txt").string()},
                                               {"field", "define", "lab", "text"},
                                               {"subbase", "new", "S", "1"},
                                               {"keyword", "add", "1", "kept"}}) {
      ASSERT_EQ(RunOnDatabase(Dir(), args).m_nStatus, 0) << args[0];
    }
    m_strBefore = DatabaseDump(Dir());
  }

  std::string Dir() const { return (m_scratch.Path() / "db").string(); }

  // Runs `args`: a failing exit of 1 or 2, a message free of the control
  // characters typed and far shorter than a long input, nothing changed.
  void ExpectRefused(const std::vector<std::string>& args) {
    CCommandRun run = RunOnDatabase(Dir(), args);
    EXPECT_TRUE(run.m_nStatus == 1 || run.m_nStatus == 2) << run.m_nStatus << run.m_strOut;
    EXPECT_NE(run.m_strErr, "");
    EXPECT_LT(run.m_strErr.size(), 2000u);
    EXPECT_EQ(run.m_strErr.find_first_of(std::string("\t\x1b\0", 3)), std::string::npos)
        << run.m_strErr;
    EXPECT_EQ(DatabaseDump(Dir()), m_strBefore);
  }

  CTempDir m_scratch{"badinput"};
  std::string m_strBefore;
};

// Text a user may type that no name, keyword, field or author may hold.
const std::vector<std::pair<const char*, std::string>> kBadTexts = {
    {"line end", "two\nlines"},           {"tab", "tab\there"},
    {"escape", "title\x1b]0;x\x07"},      {"NUL", std::string("nul\0byte", 8)},
    {"invalid UTF-8", "bad\xff\xfe"},     {"UTF-8 surrogate", "half \xed\xa0\x80"},
    {"100 KB", std::string(100000, 'n')}, {"empty", ""},
};

TEST_F(BadInput, TextsNoNameKeywordFieldOrAuthorMayHold) {
  for (const auto& [what, text] : kBadTexts) {
    SCOPED_TRACE(what);
    const std::vector<std::vector<std::string>> commands = {
        {"rename", "1", text},
        {"keyword", "add", "1", text},
        {"keyword", "add", "1", "good", text},
        {"field", "define", text, "text"},
        {"field", "set", "1", "lab", text},
        {"subbase", "new", text, "1"},
        {"subbase", "rename", "S", text},
        {"author", "set", "1", "--name", text},
        {"author", "set", "--organization", text},
    };
    for (const auto& args : commands) {
      SCOPED_TRACE(args[0] + " " + args[1]);
      ExpectRefused(args);
    }
  }
}

TEST_F(BadInput, CommentsThatAreNotText) {
  const fs::path nul = m_scratch.Path() / "nul.txt";
  std::ofstream(nul, std::ios::binary) << std::string("a\0b\n", 4);
  const fs::path latin1 = m_scratch.Path() / "latin1.txt";
  std::ofstream(latin1, std::ios::binary) << "caf\xe9\n";
  const std::vector<std::vector<std::string>> commands = {
      {"comment", "set", "1", std::string("a\0b", 3)},
      {"comment", "set", "1", "caf\xe9"},
      {"comment", "set", "1", "--file", nul.string()},
      {"comment", "set", "1", "--file", latin1.string()},
      {"comment", "set", "1", "--file", m_scratch.Path().string()},
      {"comment", "set", "1", "--file", (m_scratch.Path() / "absent").string()},
  };
  for (const auto& args : commands) {
    SCOPED_TRACE(args.back().substr(0, 40));
    ExpectRefused(args);
  }
  // Line ends and tabs are a comment's own.
  EXPECT_EQ(RunOnDatabase(Dir(), {"comment", "set", "1", "a\tb\nc"}).m_nStatus, 0);
  EXPECT_EQ(RunOnDatabase(Dir(), {"comment", "show", "1"}).m_strOut, "a\tb\nc\n");
}

// Every command that writes a file, at targets it must not write.
TEST_F(BadInput, OutputTargetsThatCannotTakeTheOutput) {
  const fs::path database = fs::path(Dir()) / "quillon.db";
  const fs::path folder = m_scratch.Path() / "folder";
  fs::create_directory(folder);
  const std::string report = (kReports / "blastn.txt").string();
  for (const fs::path& target : {folder, fs::path("/dev/full"), database}) {
    SCOPED_TRACE(target.string());
    const std::vector<std::vector<std::string>> commands = {
        {"export", "1", "-o", target.string()},
        {"export", "1", "--format", "tsv", "-o", target.string()},
        {"archive", "export", target.string()},
        {"parse", report, "--query", "1", "--save", target.string()},
    };
    for (const auto& args : commands) {
      SCOPED_TRACE(args[0]);
      ExpectRefused(args);
    }
  }
  EXPECT_TRUE(fs::is_empty(folder));
}

// A result is named by its name or by its UID; an unknown one is refused
// saying whether the text could also have been a UID (plain digits, up to
// eighteen of them, every digit counted).
TEST_F(BadInput, UnknownResultsAreNamedAsNameOrUid) {
  const struct {
    std::string given;
    bool uid;
  } cases[] = {
      {"19", true},
      {"90", true},
      {"4", true},
      {"1234567890", true},
      {std::string(18, '9'), true},
      {std::string(19, '9'), false},
      {"0", false},
      {"9x", false},
      {"x9", false},
      {"-9", false},
      {" 9", false},
  };
  for (const auto& c : cases) {
    const CCommandRun run = RunOnDatabase(Dir(), {"show", c.given});
    EXPECT_EQ(run.m_nStatus, 1) << c.given;
    const std::string said = "no stored result named \"" + c.given + "\"";
    EXPECT_NE(run.m_strErr.find(said + (c.uid ? " or with that UID" : "\n")), std::string::npos)
        << c.given << ": " << run.m_strErr;
  }
  for (const char* uid : {"1", "2", "3"}) {
    EXPECT_EQ(RunOnDatabase(Dir(), {"show", "--summary", uid}).m_nStatus, 0) << uid;
  }
  EXPECT_EQ(DatabaseDump(Dir()), m_strBefore);
}

}  // namespace

}  // namespace blastsearch
