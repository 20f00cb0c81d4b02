// Writes a generated legacy-text BLAST report of a given size to standard
// output, for trying blastsearch on large reports by hand:
//   make_report MEGABYTES [blastp|blastn|blastx] > report.txt

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "ReportGenerator.h"

int main(int argc, char** argv) {
  using namespace blastsearch;
  if (argc < 2 || std::atoi(argv[1]) < 1) {
    std::fprintf(stderr, "usage: make_report MEGABYTES [blastp|blastn|blastx] > report.txt\n");
    return 2;
  }
  ReportSpec spec;
  if (argc > 2 && std::strcmp(argv[2], "blastn") == 0) spec.flavour = ReportFlavour::Blastn;
  if (argc > 2 && std::strcmp(argv[2], "blastx") == 0) spec.flavour = ReportFlavour::Blastx;
  std::string report = GenerateReportOfSize(spec, std::size_t(std::atoi(argv[1])) << 20);
  return std::fwrite(report.data(), 1, report.size(), stdout) == report.size() ? 0 : 1;
}
