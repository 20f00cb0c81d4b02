#include "support/Corpus.h"

#include <algorithm>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace blastsearch {

std::filesystem::path CorpusDir() {
  const char* env = std::getenv("BLASTSEARCH_CORPUS_DIR");
  std::filesystem::path dir = env != nullptr && *env != '\0' ? env : BLASTSEARCH_CORPUS_DIR;
  std::error_code ec;
  return std::filesystem::is_directory(dir, ec) ? dir : std::filesystem::path();
}

std::vector<std::filesystem::path> CorpusFiles(const std::string& folder) {
  std::vector<std::filesystem::path> files;
  std::filesystem::path dir = CorpusDir();
  std::error_code ec;
  if (dir.empty() || !std::filesystem::is_directory(dir / folder, ec)) return files;
  for (const auto& item : std::filesystem::directory_iterator(dir / folder)) {
    if (item.is_regular_file() && item.path().filename() != "README.md")
      files.push_back(item.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

std::string ReadWholeFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot open " + path.string());
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace blastsearch
