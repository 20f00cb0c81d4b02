// Reads any bytes as BLAST+ tabular output until the reader says there is no
// more: as commented tabular when they open with '#', else as CSV when their
// first line has a comma and no tab, else as tabular; the input's length
// chooses every round or the last, the program named and the columns. A fault
// shows as a crash or a sanitizer report; CReportError is the expected answer
// to damaged input.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "model/BlastSearchEntry.h"
#include "parse/BlastTabularReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::string_view first = bytes.substr(0, bytes.find('\n'));
  ReportLayout layout = ReportLayout::Tabular;
  if (bytes.starts_with('#'))
    layout = ReportLayout::CommentedTabular;
  else if (first.find(',') != std::string_view::npos && first.find('\t') == std::string_view::npos)
    layout = ReportLayout::Csv;
  static constexpr const char* kPrograms[] = {"", "blastn", "blastx", "tblastx", "psiblast"};
  CResultReadOptions options;
  options.bEveryRound = (size & 1) != 0;
  options.strTabularProgram = kPrograms[(size >> 1) % 5];
  if ((size & 16) != 0)
    options.strTabularColumns =
        "qseqid sseqid stitle evalue bitscore score nident pident "
        "length mismatch frames qstart qend sstart send qseq sseq";
  options.nMaxWholeReport = std::uint64_t{1} << 20;
  CViewReportSource source(bytes, "fuzz");
  try {
    auto reader = MakeBlastTabularReader(source, options, layout);
    for (;;) {
      CBlastSearchEntry entry;
      if (reader->ReadNext(entry) == 0) break;
    }
  } catch (const CReportError&) {
  }
  return 0;
}
