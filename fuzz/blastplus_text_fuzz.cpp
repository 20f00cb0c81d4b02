// Reads any bytes as BLAST+ pairwise text and as its HTML form, result by
// result until the reader has no more. A report the reader refuses ends with
// a CException; anything else (a crash, a sanitizer report, a hang, memory
// beyond the fuzzer's limit) is a finding.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "model/BlastSearchEntry.h"
#include "parse/BlastPlusTextReader.h"
#include "platform/Exception.h"

namespace {

void ReadEveryResult(std::string_view bytes, bool html, bool everyRound) {
  CViewReportSource source(bytes, "fuzz input");
  CResultReadOptions options;
  options.bEveryRound = everyRound;
  try {
    auto reader = MakeBlastPlusTextReader(source, options, html);
    for (;;) {
      CBlastSearchEntry entry;
      if (!reader->ReadNext(entry)) break;
    }
  } catch (const CException&) {
    // A refused report: the reader said why.
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  ReadEveryResult(bytes, false, false);
  ReadEveryResult(bytes, true, true);
  return 0;
}
