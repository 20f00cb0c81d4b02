// blastsearch-gui as a process: the pictures of the search dialog, and a
// failure to write them.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "QtTestHelpers.h"
#include "support/Corpus.h"
#include "support/LibrariesValue.h"
#include "support/ScopedEnvironment.h"
#include "support/TempDatabase.h"

namespace blastsearch {

namespace {

const std::string kProgram = std::string(BLASTSEARCH_BINARY_DIR) + "/gui/blastsearch-gui";

// Runs the program with `args`; its exit status, and its standard error.
int RunGui(const std::string& args, std::string* err = nullptr) {
  const std::string command = kProgram + " " + args + " 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return -1;
  std::string out;
  char buffer[512];
  while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) out += buffer;
  const int status = pclose(pipe);
  if (err != nullptr) *err = out;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The program loads the extension that a scratch registry lists.
class GuiProgramTest : public ::testing::Test {
 protected:
  void SetUp() override { SetLibraries("libblastsearch.so"); }

  CTempDir m_config{"gui-config"};
  CScopedEnvironment m_configHome{"XDG_CONFIG_HOME", m_config.Path().string()};
};

TEST_F(GuiProgramTest, ScreenshotWritesTheDialogOnEachTabAndTheWindow) {
  CTempDir dir("gui");
  const auto shots = dir.Path() / "shots";
  ASSERT_EQ(RunGui("--db " + (dir.Path() / "db").string() + " --screenshot " + shots.string()), 0);
  std::vector<std::string> names = {"search-attributes.png",
                                    "search-text.png",
                                    "search-keywords.png",
                                    "window.png",
                                    "menu.png",
                                    "filter.png"};
  // The pictures of a result need results, made of the corpus's reports.
  if (!CorpusDir().empty()) names.insert(names.end(), {"viewer.png", "editor.png", "open-dialog.png"});
  for (const std::string& name : names) {
    std::ifstream file(shots / name, std::ios::binary);
    char magic[8] = {};
    file.read(magic, sizeof magic);
    EXPECT_EQ(std::string(magic + 1, 3), "PNG") << name;
    EXPECT_GT(std::filesystem::file_size(shots / name), 1000u) << name;
  }
}

TEST_F(GuiProgramTest, UnwritablePicturesAndBadArgumentsFail) {
  CTempDir dir("gui");
  std::ofstream(dir.Path() / "file") << "x";
  std::string err;
  EXPECT_EQ(RunGui("--db " + (dir.Path() / "db").string() + " --screenshot " +
                       (dir.Path() / "file").string(),
                   &err),
            1);
  EXPECT_NE(err.find("search-attributes.png"), std::string::npos) << err;
  EXPECT_EQ(RunGui("--frobnicate", &err), 2);
}

// The command line alone: help, version and the ones that are not a command
// line, each with its exit status and a word of what it wrote. None of them
// opens a window (no display is needed).
TEST_F(GuiProgramTest, CommandLineHelpVersionAndErrors) {
  const struct {
    const char* args;
    int status;
    const char* said;
  } cases[] = {
      {"--help", 0, "--screenshot <DIR>"},
      {"-h", 0, "Usage: blastsearch-gui"},
      {"--version", 0, "blastsearch-gui 0."},
      {"--frobnicate", 2, "blastsearch-gui: Unknown option 'frobnicate'"},
      {"--db", 2, "Missing value after '--db'"},
      {"-platform offscreen", 2, "Unknown option"},
      {"--screenshot", 2, "Usage: blastsearch-gui [options] [FILE...]"},
  };
  for (const auto& c : cases) {
    std::string out;
    EXPECT_EQ(RunGui(std::string(c.args) + " </dev/null", &out), c.status) << c.args;
    EXPECT_NE(out.find(c.said), std::string::npos) << c.args << ": " << out;
  }
}

}  // namespace

}  // namespace blastsearch
