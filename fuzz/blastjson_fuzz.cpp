// Reads any bytes as BLAST+ single-file JSON until the reader says there is
// no more; the input's length chooses every round or the last. A fault shows as
// a crash or a sanitizer report; CReportError is the expected answer to
// damaged input.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "model/BlastSearchEntry.h"
#include "parse/BlastJsonReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  CResultReadOptions options;
  options.bEveryRound = (size & 1) != 0;
  options.nMaxWholeReport = std::uint64_t{1} << 20;
  CViewReportSource source(std::string_view(reinterpret_cast<const char*>(data), size), "fuzz");
  try {
    auto reader = MakeBlastJsonReader(source, options);
    for (;;) {
      CBlastSearchEntry entry;
      if (reader->ReadNext(entry) == 0) break;
    }
  } catch (const CReportError&) {
  }
  return 0;
}
