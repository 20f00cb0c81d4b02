// The host's registry file: values kept byte for byte, the system's answers,
// failures, and writers that do not lose each other's changes.
#include "platform/Registry.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "support/ScopedEnvironment.h"
#include "support/TempDatabase.h"

namespace blastsearch {

namespace {

LONG Set(HKEY key, const std::string& name, const std::string& data, DWORD type = REG_SZ) {
  return RegSetValueEx(key, name, type, reinterpret_cast<const BYTE*>(data.data()),
                       static_cast<DWORD>(data.size()));
}

// The value's bytes read the two-step way; nullopt when a step fails.
std::optional<std::string> Get(HKEY key, const std::string& name) {
  DWORD size = 0;
  if (RegQueryValueEx(key, name, nullptr, nullptr, &size) != ERROR_SUCCESS) return std::nullopt;
  std::string data(size, '\0');
  if (RegQueryValueEx(key, name, nullptr, reinterpret_cast<BYTE*>(data.data()), &size) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  data.resize(size);
  return data;
}

class RegistryTest : public ::testing::Test {
 protected:
  CTempDir m_dir{"registry"};
  CScopedEnvironment m_config{"XDG_CONFIG_HOME", m_dir.Path().string()};
};

}  // namespace

TEST_F(RegistryTest, ValuesSurviveAsTheyWereWrittenWhateverTheirBytes) {
  EXPECT_EQ(RegistryFilePath(), (m_dir.Path() / "quillon" / "registry").string());
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Software\\A", &key), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(key, nullptr);
  ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, "Software\\A\\", &key), ERROR_SUCCESS);
  static const char kOdd[] = "tab\there\nline\\back\x01\x7f\0zero end";
  const std::string odd(kOdd, sizeof kOdd - 1);
  EXPECT_EQ(Set(key, "Odd", odd, REG_BINARY), ERROR_SUCCESS);
  EXPECT_EQ(Set(key, "Empty", ""), ERROR_SUCCESS);
  EXPECT_EQ(Set(key, "odd", odd + "!", REG_BINARY), ERROR_SUCCESS);  // names ignore case
  RegCloseKey(key);

  HKEY again = nullptr;
  ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "software\\a", &again), ERROR_SUCCESS);
  EXPECT_EQ(Get(again, "ODD"), odd + "!");
  EXPECT_EQ(Get(again, "Empty"), "");
  EXPECT_EQ(Get(again, "Missing"), std::nullopt);
  DWORD type = 0;
  DWORD size = 3;
  BYTE small[3];
  EXPECT_EQ(RegQueryValueEx(again, "Odd", &type, small, &size), ERROR_MORE_DATA);
  EXPECT_EQ(size, odd.size() + 1);
  EXPECT_EQ(type, REG_BINARY);
  RegCloseKey(again);
  EXPECT_EQ(RegCloseKey(nullptr), ERROR_INVALID_HANDLE);
}

TEST_F(RegistryTest, UnreadableLinesAreKeptAndAFolderInTheWayIsAFailure) {
  const auto file = m_dir.Path() / "quillon" / "registry";
  std::filesystem::create_directories(file.parent_path());
  // Backslashes of key names are escaped in the file.
  std::ofstream(file) << "Software\\\\B\tName\t1\tvalue\nnot\ta line of ours\nbad\\q\n";
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, "Software\\B", &key), ERROR_SUCCESS);
  EXPECT_EQ(Get(key, "Name"), "value");
  EXPECT_EQ(Set(key, "Other", "x"), ERROR_SUCCESS);
  RegCloseKey(key);
  std::ifstream in(file);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_NE(text.find("not\ta line of ours\n"), std::string::npos) << text;
  EXPECT_NE(text.find("bad\\q\n"), std::string::npos) << text;

  // A configuration "folder" that is a file: nothing can be made there.
  const auto plain = m_dir.Path() / "plain";
  std::ofstream(plain) << "x";
  CScopedEnvironment config("XDG_CONFIG_HOME", plain.string());
  EXPECT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, "Software\\B", &key), ERROR_ACCESS_DENIED);
  EXPECT_EQ(key, nullptr);
}

TEST_F(RegistryTest, WritersAtOnceLoseNothing) {
  constexpr int kWriters = 3;
  constexpr int kValues = 15;
  pid_t pids[kWriters];
  for (int w = 0; w < kWriters; ++w) {
    pids[w] = ::fork();
    ASSERT_GE(pids[w], 0);
    if (pids[w] == 0) {
      int failures = 0;
      for (int v = 0; v < kValues; ++v) {
        HKEY key = nullptr;
        failures += RegCreateKeyEx(HKEY_CURRENT_USER, "Software\\C", &key) != ERROR_SUCCESS;
        failures += Set(key, std::to_string(w) + "-" + std::to_string(v), "x") != ERROR_SUCCESS;
        RegCloseKey(key);
      }
      ::_exit(failures == 0 ? 0 : 1);
    }
  }
  for (pid_t pid : pids) {
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Software\\C", &key), ERROR_SUCCESS);
  for (int w = 0; w < kWriters; ++w) {
    for (int v = 0; v < kValues; ++v) {
      EXPECT_EQ(Get(key, std::to_string(w) + "-" + std::to_string(v)), "x") << w << " " << v;
    }
  }
  RegCloseKey(key);
}

}  // namespace blastsearch
