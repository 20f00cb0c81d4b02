#include <gtest/gtest.h>

#include <filesystem>

#include "fuzz/MachineFuzzTargets.h"
#include "support/Corpus.h"

namespace blastsearch {

namespace {

namespace fs = std::filesystem;

// Every input that the BLAST+ JSON and tabular fuzzers found to crash, hang
// or leak, replayed; and BLAST+'s own reports through the same bodies.
TEST(MachineFuzzFindings, ReplayWithoutFault) {
  const fs::path root = fs::path(BLASTSEARCH_SOURCE_DIR) / "tests";
  const struct {
    const char* folder;
    void (*body)(const std::uint8_t*, std::size_t);
  } targets[] = {{"fuzz/crashers/blastjson", FuzzBlastJson},
                 {"fuzz/crashers/blasttabular", FuzzBlastTabular},
                 {"data/blastplus", FuzzBlastJson},
                 {"data/blastplus", FuzzBlastTabular}};
  for (const auto& target : targets) {
    std::error_code ec;
    if (!fs::is_directory(root / target.folder, ec)) continue;
    for (const auto& item : fs::directory_iterator(root / target.folder)) {
      SCOPED_TRACE(item.path().string());
      const std::string bytes = ReadWholeFile(item.path());
      target.body(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    }
  }
}

}  // namespace

}  // namespace blastsearch
