// Throughput of the text-scanning primitives on a large HTML-like report.

#include <benchmark/benchmark.h>

#include <string>

#include "parse/ScanText.h"

namespace blastsearch {

namespace {

// About 8 MB of alignment blocks in the style of a classic HTML report.
const std::string& LargeReport() {
  static const std::string text = [] {
    const std::string block =
        "<a name = 120291></a><a href=\"http://www.ncbi.nlm.nih.gov/entrez/"
        "query.fcgi?cmd=Retrieve&db=Protein&list_uids=120291\">gi|120291</a>|sp|P21297|"
        "FLBT_CAUCR FLBT PROTEIN.\n          Length = 141\n\n"
        " Score =  256 bits (647), Expect = 2e-68\n"
        " Identities = 127/141 (90%), Positives = 127/141 (90%)\n\n"
        "Query: 1   MPLKLSLKPGEKFVLNGAVVRNLGGEDLAHVHMLFREHSE KGRANVTLRLAKSANPGV 60\n"
        "           MPLKLSLKPGEKFVLNGAVVRNLGGEDLAHVHMLFREHSE KGRANVTLRLAKSANPGV\n"
        "Sbjct: 1   MPLKLSLKPGEKFVLNGAVVRNLGGEDLAHVHMLFREHSE KGRANVTLRLAKSANPGV 60\n\n";
    std::string all;
    while (all.size() < (8u << 20)) all += block;
    return all;
  }();
  return text;
}

// A '<' pattern that never occurs: every '<' of the report is tried.
void BM_StrStrTagMissing(benchmark::State& state) {
  std::string text = LargeReport();
  for (auto _ : state) benchmark::DoNotOptimize(StrStr(text.data(), "<form name=\"blastform\">"));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_StrStrTagMissing);

void BM_StrStrPlainMissing(benchmark::State& state) {
  std::string text = LargeReport();
  for (auto _ : state) benchmark::DoNotOptimize(StrStr(text.data(), "Database: none"));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_StrStrPlainMissing);

// Walks every hit anchor of the report, as the HTML reader does.
void BM_StrStrEveryAnchor(benchmark::State& state) {
  std::string text = LargeReport();
  for (auto _ : state) {
    int count = 0;
    for (char* p = StrStr(text.data(), "<A NAME"); p != nullptr; p = StrStr(p + 1, "<A NAME")) {
      ++count;
    }
    benchmark::DoNotOptimize(count);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_StrStrEveryAnchor);

// Takes every length value with a limited marker search, line after line.
void BM_GetStringEveryLine(benchmark::State& state) {
  std::string text = LargeReport();
  std::string value;
  for (auto _ : state) {
    int taken = 0;
    for (char* cursor = text.data(); *cursor != '\0'; SkipLine(&cursor, 1)) {
      taken += GetString(&cursor, "Length", nullptr, " =", value, "\n", 80);
    }
    benchmark::DoNotOptimize(taken);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_GetStringEveryLine);

}  // namespace

}  // namespace blastsearch

BENCHMARK_MAIN();
