// The BLAST+ programs, the options a run sets itself, and how a run is told.

#include "run/BlastPrograms.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>

namespace blastsearch {

const std::vector<std::string>& BlastProgramNames() {
  static const std::vector<std::string> names = {"blastn",  "blastp",  "blastx",
                                                 "tblastn", "tblastx", "psiblast"};
  return names;
}

bool IsBlastProgram(std::string_view name) {
  const auto& names = BlastProgramNames();
  return std::find(names.begin(), names.end(), name) != names.end();
}

std::string RefusedBlastOption(const std::vector<std::string>& options) {
  static const std::string_view refused[] = {"-query",
                                             "-db",
                                             "-out",
                                             "-outfmt",
                                             "-html",
                                             "-remote",
                                             "-subject",
                                             "-subject_loc",
                                             "-import_search_strategy",
                                             "-export_search_strategy",
                                             "-out_pssm",
                                             "-out_ascii_pssm",
                                             "-archive"};
  for (const std::string& option : options) {
    // BLAST+ takes "-name value" only; a "-name=value" form is refused by it.
    const std::string_view name = std::string_view(option).substr(0, option.find('='));
    if (std::find(std::begin(refused), std::end(refused), name) != std::end(refused)) {
      return option;
    }
  }
  return {};
}

namespace {

bool IsRunnable(const std::string& path) { return ::access(path.c_str(), X_OK) == 0; }

std::string Quoted(const std::string& word) {
  if (!word.empty() && word.find_first_of(" \t'\"\\") == std::string::npos) return word;
  std::string text = "'";
  for (const char c : word) {
    if (c == '\'') {
      text += "'\\''";
    } else {
      text += c;
    }
  }
  return text + "'";
}

}  // namespace

std::string FindBlastExecutable(const std::string& program, const std::string& binDir) {
  if (!binDir.empty()) {
    const std::string path = binDir + "/" + program;
    return IsRunnable(path) ? path : std::string();
  }
  const char* pathList = std::getenv("PATH");
  const std::string folders = pathList != nullptr ? pathList : "/usr/local/bin:/usr/bin:/bin";
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = folders.find(':', start);
    std::string folder = folders.substr(start, end == std::string::npos ? end : end - start);
    if (folder.empty()) folder = ".";
    if (const std::string path = folder + "/" + program; IsRunnable(path)) return path;
    if (end == std::string::npos) return {};
    start = end + 1;
  }
}

std::string DescribeSearchRun(std::string_view where, const std::string& program,
                              const std::string& database,
                              const std::vector<std::string>& options) {
  std::string line = std::string(where) + ": " + program + " -db " + Quoted(database);
  for (const std::string& option : options) line += " " + Quoted(option);
  return line;
}

}  // namespace blastsearch
