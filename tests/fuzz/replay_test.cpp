#include <gtest/gtest.h>

#include <filesystem>

#include "fuzz/FuzzTargets.h"
#include "support/Corpus.h"

namespace {

namespace fs = std::filesystem;

using Target = void (*)(const std::uint8_t*, std::size_t);

void Replay(const std::string& target, Target body) {
  fs::path dir = fs::path(BLASTSEARCH_SOURCE_DIR) / "tests" / "fuzz" / "crashers" / target;
  std::error_code ec;
  if (!fs::is_directory(dir, ec)) return;
  for (const auto& item : fs::directory_iterator(dir)) {
    SCOPED_TRACE(item.path().string());
    std::string bytes = ReadWholeFile(item.path());
    body(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
  }
}

// Every input a fuzzer ever found to crash, hang or leak, replayed.
TEST(FuzzFindings, ReplayWithoutFault) {
  Replay("qblast", FuzzQBlastPage);
  Replay("classic", FuzzClassicPage);
  Replay("archive", FuzzTransferFile);
  Replay("record", FuzzObjectRecord);
  Replay("blastxml", FuzzBlastXml);
}

// The fuzz bodies themselves stay sound on the real reports.
TEST(FuzzFindings, RealReportsGoThroughEveryBody) {
  SKIP_WITHOUT_CORPUS();
  for (const char* folder : {"text", "html-classic", "html-qblast", "blastplus-text"}) {
    for (const fs::path& report : CorpusFiles(folder)) {
      std::string bytes = ReadWholeFile(report);
      auto data = reinterpret_cast<const std::uint8_t*>(bytes.data());
      FuzzQBlastPage(data, bytes.size());
      FuzzClassicPage(data, bytes.size());
      FuzzTransferFile(data, bytes.size());
      FuzzObjectRecord(data, bytes.size());
    }
  }
}

}  // namespace
