#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "fuzz/FuzzTargets.h"
#include "support/Corpus.h"

namespace blastsearch {

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
  const struct {
    const char* target;
    Target body;
  } targets[] = {{"qblast", FuzzQBlastPage},   {"classic", FuzzClassicPage},
                 {"layout", FuzzReportLayout}, {"archive", FuzzTransferFile},
                 {"record", FuzzObjectRecord}, {"fields", FuzzRecordField},
                 {"import", FuzzTableImport},  {"blastplus_text", FuzzBlastPlusText},
                 {"blastxml", FuzzBlastXml}};
  for (const auto& target : targets) Replay(target.target, target.body);
}

// The fuzz bodies themselves stay sound on the real reports.
TEST(FuzzFindings, RealReportsGoThroughEveryBody) {
  SKIP_WITHOUT_CORPUS();
  for (const char* folder : {"text", "html-classic", "html-qblast", "blastplus-text"}) {
    for (const fs::path& report : CorpusFiles(folder)) {
      std::string bytes = ReadWholeFile(report);
      auto data = reinterpret_cast<const std::uint8_t*>(bytes.data());
      FuzzReportLayout(data, bytes.size());
      FuzzQBlastPage(data, bytes.size());
      FuzzClassicPage(data, bytes.size());
      FuzzTransferFile(data, bytes.size());
      FuzzObjectRecord(data, bytes.size());
    }
  }
}

}  // namespace

namespace {

// BLAST+'s own reports pass the round trips of the bodies that read them
// (the first byte chooses the mode), and import whole into a fresh database.
TEST(FuzzFindings, BlastPlusReportsPassTheirBodiesChecks) {
  const struct {
    const char* extension;
    Target body;
    std::vector<std::uint8_t> modes;
  } cases[] = {{".txt", FuzzBlastPlusText, {0, 2}}, {".html", FuzzBlastPlusText, {1, 3}},
               {".xml", FuzzBlastXml, {0, 2}},      {".xml2", FuzzBlastXml, {1, 3}},
               {".tsv", FuzzTableImport, {3}},      {".txt", FuzzTableImport, {3, 7}},
               {".json", FuzzTableImport, {3}}};
  const fs::path dir = fs::path(BLASTSEARCH_SOURCE_DIR) / "tests" / "data" / "blastplus";
  for (const auto& item : fs::directory_iterator(dir)) {
    const std::string report = ReadWholeFile(item.path());
    for (const auto& c : cases) {
      if (item.path().extension() != c.extension) continue;
      for (std::uint8_t mode : c.modes) {
        SCOPED_TRACE(item.path().string() + " mode " + std::to_string(mode));
        const std::string bytes = static_cast<char>(mode) + report;
        c.body(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
        FuzzReportLayout(reinterpret_cast<const std::uint8_t*>(report.data()), report.size());
      }
    }
  }
}

}  // namespace

}  // namespace blastsearch
