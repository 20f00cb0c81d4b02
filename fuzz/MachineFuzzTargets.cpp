#include "fuzz/MachineFuzzTargets.h"

#include <string_view>

#include "fuzz/FuzzTargets.h"
#include "model/BlastSearchEntry.h"
#include "parse/BlastJsonReader.h"
#include "parse/BlastTabularReader.h"

namespace blastsearch {

namespace {

void ReadToTheEnd(CResultReader& reader) {
  for (;;) {
    CBlastSearchEntry entry;
    if (reader.ReadNext(entry) == 0) break;
    CheckArchiveRoundTrip(entry);
  }
}

}  // namespace

void FuzzBlastJson(const std::uint8_t* data, std::size_t size) {
  CResultReadOptions options;
  options.bEveryRound = (size & 1) != 0;
  options.nMaxWholeReport = std::uint64_t{1} << 20;
  CViewReportSource source(std::string_view(reinterpret_cast<const char*>(data), size), "fuzz");
  try {
    ReadToTheEnd(*MakeBlastJsonReader(source, options));
  } catch (const CReportError&) {
  }
}

void FuzzBlastTabular(const std::uint8_t* data, std::size_t size) {
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
    ReadToTheEnd(*MakeBlastTabularReader(source, options, layout));
  } catch (const CReportError&) {
  }
}

}  // namespace blastsearch
