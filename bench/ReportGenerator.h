#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace blastsearch {

// Generates large single-query BLAST reports in the legacy plain-text layout
// for benchmarks: header, query line with its length, summary header and one
// summary line per hit, then per hit a definition line (">gi|N|..."), its
// length and segment pairs (score, identities, strand or frame line, and rows
// of "Query:", match line and "Sbjct:"), and the footer. The output is
// deterministic: the same specification gives the same bytes.

enum class ReportFlavour { Blastp, Blastn, Blastx };

struct ReportSpec {
  ReportFlavour flavour = ReportFlavour::Blastp;
  int hits = 10;        // hit blocks
  int pairsPerHit = 2;  // segment pairs per hit
  int rowsPerPair = 4;  // row pairs per segment pair (the last one is shorter)
  std::uint64_t seed = 1;
};

// The whole report for `spec`. Counts below 1 are taken as 1.
std::string GenerateReport(const ReportSpec& spec);

// A report of `spec`'s shape with as many hits as it takes to reach at least
// `bytes` (the hit count of `spec` is ignored). `hits`, when given, receives
// the number of hit blocks written.
std::string GenerateReportOfSize(ReportSpec spec, std::size_t bytes, int* hits = nullptr);

}  // namespace blastsearch
