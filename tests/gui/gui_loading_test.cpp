// blastsearch-gui links no extension: it loads what the current user's
// registry lists, says so when that is nothing, and never writes the
// registry while taking pictures or under a test.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "support/LibrariesValue.h"
#include "support/ScopedEnvironment.h"
#include "support/TempDatabase.h"

namespace blastsearch {

namespace {

const std::string kProgram = std::string(BLASTSEARCH_BINARY_DIR) + "/gui/blastsearch-gui";

// Runs the program with `env` and `args` (standard error joined to its
// output); the exit status (124 when `timeout` ended it) and what it said.
int RunGui(const std::string& env, const std::string& args, std::string& said) {
  const std::string command =
      "env -u BLASTSEARCH_NO_REGISTER " + env + " " + kProgram + " " + args + " </dev/null 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return -1;
  said.clear();
  char buffer[512];
  while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) said += buffer;
  const int status = pclose(pipe);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

struct SLoadCase {
  const char* m_szName;
  std::optional<std::string> m_libraries;  // the registry's list; none: no value
  bool m_bScreenshot;                      // else a plain start, as under a test
  int m_nStatus;
  std::vector<std::string> m_said;      // what the program says
  std::vector<std::string> m_pictures;  // pictures it writes (what it loaded takes them)
};

const std::vector<SLoadCase> kCases = {
    {"the extension listed", "libblastsearch.so", true, 0, {}, {"window.png", "search-text.png"}},
    {"its windows library listed", "libblastsearch_windows.so", true, 0, {}, {"window.png"}},
    {"nothing listed, pictures",
     std::nullopt,
     true,
     1,
     {"no extension library is loaded", "lists none", "blastsearch register"},
     {}},
    {"an empty list", "", true, 1, {"no extension library is loaded", "lists none"}, {}},
    {"a library that does not load",
     "libnosuch.so",
     true,
     1,
     {"libnosuch.so could not be loaded", "names none that loads"},
     {}},
    {"nothing listed, under a test",
     std::nullopt,
     false,
     1,
     {"no extension library is loaded"},
     {}},
};

}  // namespace

TEST(GuiLoading, LoadsWhatTheRegistryListsAndNeverWritesIt) {
  for (const SLoadCase& c : kCases) {
    SCOPED_TRACE(c.m_szName);
    CTempDir dir("gui-load");
    const auto config = dir.Path() / "config";
    const auto registry = config / "quillon" / "registry";
    std::filesystem::create_directories(config);
    if (c.m_libraries) {
      CScopedEnvironment home("XDG_CONFIG_HOME", config.string());
      SetLibraries(*c.m_libraries);
    }
    const bool had = std::filesystem::exists(registry);
    const auto written =
        had ? std::filesystem::last_write_time(registry) : std::filesystem::file_time_type{};
    // No corpus: the pictures of the window alone, quickly.
    std::string env = "XDG_CONFIG_HOME=" + config.string() +
                      " BLASTSEARCH_CORPUS_DIR=" + (dir.Path() / "none").string();
    if (!c.m_bScreenshot) env += " BLASTSEARCH_NO_REGISTER=1";
    const auto shots = dir.Path() / "shots";
    std::string args = "--db " + (dir.Path() / "db").string();
    if (c.m_bScreenshot) args += " --screenshot " + shots.string();
    std::string said;
    EXPECT_EQ(RunGui(env, args, said), c.m_nStatus) << said;
    for (const std::string& text : c.m_said) EXPECT_NE(said.find(text), std::string::npos) << said;
    for (const std::string& picture : c.m_pictures) {
      EXPECT_TRUE(std::filesystem::exists(shots / picture)) << picture << "\n" << said;
    }
    EXPECT_EQ(std::filesystem::exists(registry), had) << "the registry was written";
    if (had) {
      EXPECT_EQ(std::filesystem::last_write_time(registry), written);
    }
  }
}

// A person's first start (no list yet, no test) enters the extension
// beside the program, then shows the window, which the test ends.
TEST(GuiLoading, AFirstStartEntersTheExtension) {
  CTempDir dir("gui-first");
  const auto config = dir.Path() / "config";
  std::string said;
  EXPECT_EQ(RunGui("XDG_CONFIG_HOME=" + config.string() + " timeout 6",
                   "--db " + (dir.Path() / "db").string(), said),
            124)
      << said;
  CScopedEnvironment home("XDG_CONFIG_HOME", config.string());
  bool listed = false;
  EXPECT_EQ(RegisteredLibraries(&listed), std::vector<std::string>{"libblastsearch.so"}) << said;
  EXPECT_TRUE(listed);
}

}  // namespace blastsearch
