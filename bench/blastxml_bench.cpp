// Throughput of the BLAST+ XML and XML2 readers on reports of about 64 MB
// made by repeating the queries of tests/data/blastplus/blastp.xml (and
// .xml2), beside a plain memchr scan for line ends over the same bytes, and
// the read's peak memory (the reader holds one result at a time).
//
// Figures: build with -DCMAKE_BUILD_TYPE=Release and run
//   build-release/bench/blastxml_bench --benchmark_counters_tabular=true

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>

#include "BlastPlusBenchInput.h"
#include "ResidentMemory.h"
#include "model/BlastSearchEntry.h"
#include "parse/BlastXmlReader.h"

namespace blastsearch {

namespace {

constexpr std::size_t kMegabyte = 1u << 20;
constexpr std::size_t kReportSize = 64 * kMegabyte;

// The report `name` with the elements from the first `open` tag to the end
// of the last `close` tag repeated until it holds kReportSize bytes.
std::string Repeated(const std::string& name, const std::string& open, const std::string& close) {
  const std::string bytes = BlastPlusBenchFile(name);
  const std::size_t first = bytes.find(open);
  const std::size_t last = bytes.rfind(close) + close.size();
  const std::string body = bytes.substr(first, last - first);
  std::string report = bytes.substr(0, first);
  while (report.size() < kReportSize) report += body;
  report += bytes.substr(last);
  return report;
}

const std::string& Report(bool xml2) {
  static const std::string xml = Repeated("blastp.xml", "<Iteration>", "</Iteration>");
  static const std::string xml2Report =
      Repeated("blastp.xml2", "<BlastOutput2>", "</BlastOutput2>");
  return xml2 ? xml2Report : xml;
}

void ReadReport(benchmark::State& state, bool xml2) {
  const std::string& report = Report(xml2);
  const bool reset = ResetPeakResident();
  const double before = ResidentBytes();
  std::size_t results = 0;
  for (auto _ : state) {
    CViewReportSource source(report, "bench");
    std::unique_ptr<CResultReader> reader = MakeBlastXmlReader(source, {}, xml2);
    results = 0;
    for (;;) {
      CBlastSearchEntry entry;
      if (reader->ReadNext(entry) == 0) break;
      ++results;
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(report.size()));
  state.counters["results"] = static_cast<double>(results);
  state.counters["report_MB"] = static_cast<double>(report.size()) / kMegabyte;
  state.counters["read_peak_MB"] =
      reset ? (PeakResidentBytes() - before) / static_cast<double>(kMegabyte) : -1.0;
}

void BM_ReadXml(benchmark::State& state) { ReadReport(state, false); }
void BM_ReadXml2(benchmark::State& state) { ReadReport(state, true); }
BENCHMARK(BM_ReadXml)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadXml2)->Unit(benchmark::kMillisecond);

// The floor: one pass over the same bytes finding every line end.
void MemchrLineEnds(benchmark::State& state, bool xml2) {
  const std::string& text = Report(xml2);
  MeasureNewlineFloor(state, text);
}
void BM_MemchrXml(benchmark::State& state) { MemchrLineEnds(state, false); }
void BM_MemchrXml2(benchmark::State& state) { MemchrLineEnds(state, true); }
BENCHMARK(BM_MemchrXml)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MemchrXml2)->Unit(benchmark::kMillisecond);

}  // namespace

}  // namespace blastsearch

BENCHMARK_MAIN();
