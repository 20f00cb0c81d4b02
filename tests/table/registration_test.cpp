// Installing the module: its entry in the host's list of extension
// libraries, and its file types on the desktop.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "host/ModuleLoader.h"
#include "host/OrvShellFileTypes.h"
#include "platform/Registry.h"
#include "support/LibrariesValue.h"
#include "support/ScopedEnvironment.h"
#include "support/TempDatabase.h"
#include "table/BlastSearchFileTypes.h"
#include "table/BlastSearchRegistration.h"

namespace blastsearch {

namespace {

const std::string kName = "libblastsearch.so";

// The value "Libraries"; nullopt when it does not exist.
std::optional<std::string> Libraries() {
  HKEY key = nullptr;
  if (RegOpenKeyEx(HKEY_CURRENT_USER, kOrvExtensionsKey, &key) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  DWORD size = 0;
  std::optional<std::string> list;
  if (RegQueryValueEx(key, kOrvLibrariesValue, nullptr, nullptr, &size) == ERROR_SUCCESS) {
    list.emplace(size, '\0');
    RegQueryValueEx(key, kOrvLibrariesValue, nullptr, reinterpret_cast<BYTE*>(list->data()), &size);
  }
  RegCloseKey(key);
  return list;
}

std::string ReadAll(const std::filesystem::path& path) {
  std::ifstream in(path);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

}  // namespace

TEST(DllRegisterServer, EntersTheLibraryOnceWhateverTheListHolds) {
  ASSERT_EQ(BlastSearchModuleFileName(), kName);
  struct Case {
    const char* what;
    std::optional<std::string> before;  // nullopt: no value
    unsigned faults;
    HRESULT result;
    std::optional<std::string> after;
  };
  const std::string bad = "libA.so";
  const Case cases[] = {
      {"no value", std::nullopt, 0, S_OK, kName},
      {"empty value", "", 0, S_OK, kName},
      {"two names", "libA.so,libB.so", 0, S_OK, "libA.so,libB.so," + kName},
      {"another letter case", "LIBBLASTSEARCH.SO", 0, S_OK, "LIBBLASTSEARCH.SO," + kName},
      {"part of a longer name", "libA.so,libblastsearch.so.1", 0, S_OK,
       "libA.so,libblastsearch.so.1"},
      {"already there", kName, 0, S_OK, kName},
      {"key fails", bad, kRegistryFailCreate, SELFREG_E_CLASS, bad},
      {"key fails, no value", std::nullopt, kRegistryFailCreate, SELFREG_E_CLASS, std::nullopt},
      {"read fails", bad, kRegistryFailRead, SELFREG_E_CLASS, bad},
      {"write fails", bad, kRegistryFailSet, SELFREG_E_CLASS, bad},
      {"write fails, no value", std::nullopt, kRegistryFailSet, SELFREG_E_CLASS, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    CTempDir dir("register");
    CScopedEnvironment config("XDG_CONFIG_HOME", dir.Path().string());
    if (c.before) SetLibraries(*c.before);
    const unsigned former = SetRegistryFaults(c.faults);
    const HRESULT result = DllRegisterServer();
    SetRegistryFaults(former);
    EXPECT_EQ(result, c.result);
    EXPECT_EQ(Libraries(), c.after);
  }
}

TEST(DllRegisterServer, TwiceLeavesOneEntryAndAnUnreadableListIsNeverOverwritten) {
  CTempDir dir("register_twice");
  CScopedEnvironment config("XDG_CONFIG_HOME", dir.Path().string());
  EXPECT_EQ(DllRegisterServer(), S_OK);
  EXPECT_EQ(DllRegisterServer(), S_OK);
  EXPECT_EQ(Libraries(), kName);
  EXPECT_EQ(RegisteredLibraries(), std::vector<std::string>{kName});

  // A registry whose file cannot be read fails without a write.
  CTempDir other("register_unreadable");
  const auto file = other.Path() / "quillon" / "registry";
  std::filesystem::create_directories(file);  // a folder where the file belongs
  CScopedEnvironment unreadable("XDG_CONFIG_HOME", other.Path().string());
  EXPECT_EQ(DllRegisterServer(), SELFREG_E_CLASS);
  EXPECT_TRUE(std::filesystem::is_directory(file));
}

TEST(RegisterBlastSearchFileTypes, WritesAMimePackageAndADesktopEntryAndRunsTheTools) {
  CTempDir dir("shell_types");
  const auto data = dir.Path() / "data";
  const auto tools = dir.Path() / "bin";
  std::filesystem::create_directories(tools);
  // Stand-ins for the desktop's tools that note how they were called.
  for (const char* tool : {"update-mime-database", "update-desktop-database"}) {
    const auto script = tools / tool;
    std::ofstream(script) << "#!/bin/sh\necho \"$0 $*\" >> '" << (dir.Path() / "ran").string()
                          << "'\n";
    ::chmod(script.c_str(), 0755);
  }
  CScopedEnvironment dataHome("XDG_DATA_HOME", data.string());
  CScopedEnvironment path("PATH", tools.string());
  const std::string formerProgram = OrvShellProgram();
  SetOrvShellProgram("/opt/my apps/blastsearch-gui");
  RegisterBlastSearchFileTypes();
  SetOrvShellProgram(formerProgram);

  const COrvShellRegistration outcome = LastOrvShellRegistration();
  EXPECT_EQ(outcome.m_strError, "");
  const auto package = data / "mime" / "packages" / "quillon-qlonblastsearch.xml";
  const auto entry = data / "applications" / "quillon-qlonblastsearch.desktop";
  EXPECT_EQ(outcome.m_written, (std::vector<std::string>{package.string(), entry.string()}));
  const std::string xml = ReadAll(package);
  for (const char* expected :
       {"<mime-type type=\"application/x-qlonblastsearch\">",
        "<comment>Quillon BLAST Search Object</comment>", "<glob pattern=\"*.bso\"/>",
        "<mime-type type=\"application/x-qlonblastsearcharc\">", "<glob pattern=\"*.ba6\"/>",
        "<glob pattern=\"*.bq\"/>", "<mime-type type=\"application/x-qlonblastsearchtmp\">",
        "<glob pattern=\"*.bss\"/>"}) {
    EXPECT_NE(xml.find(expected), std::string::npos) << expected << "\n" << xml;
  }
  const std::string desktop = ReadAll(entry);
  EXPECT_NE(desktop.find("\nExec=\"/opt/my apps/blastsearch-gui\" %f\n"), std::string::npos)
      << desktop;
  EXPECT_NE(desktop.find("\nMimeType=application/x-qlonblastsearch;application/x-"
                         "qlonblastsearcharc;application/x-qlonblastsearchlink;application/x-"
                         "qlonblastsearchtmp;\n"),
            std::string::npos)
      << desktop;
  ASSERT_EQ(outcome.m_ran.size(), 2u);
  const std::string ran = ReadAll(dir.Path() / "ran");
  EXPECT_NE(ran.find("update-mime-database " + (data / "mime").string()), std::string::npos) << ran;
  EXPECT_NE(ran.find("update-desktop-database " + (data / "applications").string()),
            std::string::npos)
      << ran;
}

}  // namespace blastsearch
