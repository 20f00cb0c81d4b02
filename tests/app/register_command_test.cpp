// `blastsearch register`: the module in the registry and its file types on
// the desktop, reported line by line.
#include <gtest/gtest.h>

#include <filesystem>

#include "CommandRun.h"
#include "host/ModuleLoader.h"
#include "support/ScopedEnvironment.h"
#include "support/TempDatabase.h"

namespace blastsearch {

TEST(RegisterCommand, EntersTheLibraryAndTheFileTypesAndSaysWhere) {
  CTempDir dir("register_command");
  CScopedEnvironment config("XDG_CONFIG_HOME", (dir.Path() / "config").string());
  CScopedEnvironment data("XDG_DATA_HOME", (dir.Path() / "data").string());
  CScopedEnvironment path("PATH", (dir.Path() / "no-tools").string());
  const CCommandRun run = RunCommand({"register"});
  EXPECT_EQ(run.m_nStatus, 0) << run.m_strErr;
  EXPECT_EQ(run.m_strErr, "");
  const std::string registry = (dir.Path() / "config" / "quillon" / "registry").string();
  EXPECT_NE(run.m_strOut.find("registered libblastsearch.so in " + registry +
                              " (Libraries=libblastsearch.so)\n"),
            std::string::npos)
      << run.m_strOut;
  EXPECT_NE(
      run.m_strOut.find(
          "wrote " +
          (dir.Path() / "data" / "applications" / "quillon-qlonblastsearch.desktop").string()),
      std::string::npos)
      << run.m_strOut;
  EXPECT_EQ(RegisteredLibraries(), std::vector<std::string>{"libblastsearch.so"});

  // Without a data folder the file types fail, and the exit status says so.
  CScopedEnvironment noData("XDG_DATA_HOME",
                            (dir.Path() / "config" / "quillon" / "registry").string());
  const CCommandRun failed = RunCommand({"register"});
  EXPECT_EQ(failed.m_nStatus, 1);
  EXPECT_NE(failed.m_strErr.find("blastsearch: file types: "), std::string::npos)
      << failed.m_strErr;
}

}  // namespace blastsearch
