// Writes, for each transfer file given, the stored record of a BLAST search
// object holding its result, as OUTDIR/<name>.rec: the seeds of the record
// fuzzer.
//   make_record_seeds OUTDIR TRANSFER...

#include <filesystem>
#include <fstream>
#include <iostream>

#include "fuzz/FuzzTargets.h"

int main(int argc, char** argv) {
  using namespace blastsearch;
  if (argc < 2) {
    std::cerr << "usage: make_record_seeds OUTDIR TRANSFER...\n";
    return 2;
  }
  const std::filesystem::path dir = argv[1];
  int failed = 0;
  for (int i = 2; i < argc; ++i) {
    const std::filesystem::path out =
        dir / (std::filesystem::path(argv[i]).filename().string() + ".rec");
    try {
      std::ofstream file(out, std::ios::binary);
      file << ObjectRecordOfTransferFile(argv[i]);
      if (!file.flush()) throw std::runtime_error("cannot write " + out.string());
    } catch (const std::exception& e) {
      std::cerr << argv[i] << ": " << e.what() << '\n';
      failed = 1;
    }
  }
  return failed;
}
