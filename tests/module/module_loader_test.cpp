// The host's loader of extension libraries, with the real extension.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "host/ModuleLoader.h"
#include "host/db/DBEngine.h"
#include "platform/ExtensionModule.h"
#include "platform/Registry.h"
#include "platform/UserInteraction.h"
#include "support/LibrariesValue.h"
#include "support/ScopedEnvironment.h"

namespace blastsearch {

namespace {

const std::string kModuleName = std::filesystem::path(BLASTSEARCH_MODULE_FILE).filename().string();

// A scratch configuration folder for the test's lifetime.
class CScratchConfig {
 public:
  CScratchConfig() : m_dir(MakeDir()), m_config("XDG_CONFIG_HOME", m_dir.string()) {}
  CScratchConfig(const CScratchConfig&) = delete;
  CScratchConfig& operator=(const CScratchConfig&) = delete;
  ~CScratchConfig() {
    std::error_code error;
    std::filesystem::remove_all(m_dir, error);
  }

 private:
  static std::filesystem::path MakeDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "loader_test_XXXXXX").string();
    return ::mkdtemp(pattern.data());
  }
  std::filesystem::path m_dir;
  CScopedEnvironment m_config;
};

}  // namespace

TEST(ModuleLoader, LoadsTheListedLibrariesReportsTheOthersAndUnloadsAtTheEnd) {
  CScratchConfig config;
  SetLibraries(" libnothere.so ," + kModuleName + ",,libm.so.6");
  bool exists = false;
  EXPECT_EQ(RegisteredLibraries(&exists),
            (std::vector<std::string>{"libnothere.so", kModuleName, "libm.so.6"}));
  EXPECT_TRUE(exists);
  CScriptedUserInteraction interaction;
  {
    COrvModuleLoader loader;
    EXPECT_EQ(loader.LoadRegisteredModules(), 1);
    ASSERT_NE(engine().TableByID(201), nullptr);
    ASSERT_EQ(loader.LoadedPaths().size(), 1u);
    // Found beside the host library.
    EXPECT_EQ(std::filesystem::path(loader.LoadedPaths()[0]).parent_path(),
              std::filesystem::path(HostLibraryDirectory()));
    ASSERT_EQ(interaction.Messages().size(), 2u);
    EXPECT_NE(interaction.Messages()[0].strText.find("libnothere.so"), std::string::npos);
    EXPECT_NE(interaction.Messages()[0].strText.find("cannot open shared object file"),
              std::string::npos)
        << "the system's reason is shown: " << interaction.Messages()[0].strText;
    EXPECT_NE(interaction.Messages()[1].strText.find("no extension library"), std::string::npos);
    // A second pass loads nothing new and reports only what still fails.
    EXPECT_EQ(loader.LoadRegisteredModules(), 0);
    EXPECT_EQ(loader.LoadedPaths().size(), 1u);
  }
  EXPECT_EQ(engine().TableByID(201), nullptr);
  EXPECT_TRUE(ExtensionModulePaths().empty());
}

TEST(ModuleLoader, RegistersTheShippedModuleWhenNoListExists) {
  CScratchConfig config;
  bool exists = true;
  EXPECT_TRUE(RegisteredLibraries(&exists).empty());
  EXPECT_FALSE(exists);
  CScriptedUserInteraction interaction;
  COrvModuleLoader loader;
  ASSERT_TRUE(loader.RegisterModule(kModuleName));
  EXPECT_EQ(RegisteredLibraries(&exists), std::vector<std::string>{kModuleName});
  EXPECT_TRUE(exists);
  EXPECT_EQ(loader.LoadRegisteredModules(), 0);  // loaded already
  EXPECT_NE(engine().TableByID(201), nullptr);
  EXPECT_FALSE(loader.RegisterModule("libm.so.6"));
  EXPECT_TRUE(interaction.Messages().size() == 1u);
  loader.UnloadModules();
  EXPECT_EQ(engine().TableByID(201), nullptr);
}

}  // namespace blastsearch
