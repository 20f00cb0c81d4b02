#pragma once

// What the tests of the blastsearch program share: running its commands in
// the test's own process, and a scratch folder.

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/Commands.h"

namespace blastsearch {

struct CommandRun {
  int status;
  std::string out;
  std::string err;
};

// Runs blastsearch with `args` in this process.
inline CommandRun Blastsearch(std::vector<std::string> args) {
  std::ostringstream out, err;
  int status = RunBlastSearch(args, out, err);
  return {status, out.str(), err.str()};
}

inline int Lines(const std::string& text) {
  return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

// A folder of the test's own in the temporary folder, removed with its files.
class TempDir {
 public:
  explicit TempDir(const std::string& tag = "app")
      : m_path(std::filesystem::temp_directory_path() /
               ("blastsearch_" + tag + "_" + std::to_string(::getpid()))) {
    std::filesystem::create_directories(m_path);
  }
  ~TempDir() { std::filesystem::remove_all(m_path); }
  std::filesystem::path File(const std::string& name, const std::string& content) const {
    std::ofstream(m_path / name, std::ios::binary) << content;
    return m_path / name;
  }
  std::filesystem::path Path(const std::string& name) const { return m_path / name; }
  // The names of the files in the folder, sorted.
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(m_path)) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

 private:
  std::filesystem::path m_path;
};

}  // namespace blastsearch
