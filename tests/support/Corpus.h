#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace blastsearch {

// The folder of real NCBI reports beside the project; empty when absent.
std::filesystem::path CorpusDir();

// The files of one corpus folder ("text", "html-classic", ...), sorted by
// name; empty when the folder is absent.
std::vector<std::filesystem::path> CorpusFiles(const std::string& folder);

// The whole content of `path`; throws std::runtime_error naming the file.
std::string ReadWholeFile(const std::filesystem::path& path);

}  // namespace blastsearch

// Skips the current test, with a message, when the corpus is absent.
#define SKIP_WITHOUT_CORPUS()                                                \
  do {                                                                       \
    if (CorpusDir().empty())                                                 \
      GTEST_SKIP() << "corpus folder not found: " << BLASTSEARCH_CORPUS_DIR; \
  } while (0)
