// Storing and loading the archive form of a large result (500 hits of three
// segment pairs each), in memory and through a file on disk.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "model/BlastSearchEntry.h"
#include "model/TransferFile.h"

namespace blastsearch {

namespace {

const CBlastSearchEntry& LargeEntry() {
  static const CBlastSearchEntry entry = [] {
    CBlastSearchEntry e;
    e.m_Mol.m_strName = "query";
    e.m_Mol.m_strSequence = std::string(1000, 'A');
    for (int h = 0; h < 500; ++h) {
      auto hit = std::make_unique<CBlastSearchHit>();
      hit->m_strID = std::to_string(100000 + h);
      hit->m_strName = "gi|" + hit->m_strID + "|ref|NM_" + std::to_string(h);
      hit->m_strDescription = "Homo sapiens hypothetical protein, mRNA";
      for (int i = 0; i < 3; ++i) {
        auto element = std::make_unique<CBlastSearchHitElement>();
        element->m_Query.m_strSeq = std::string(120, 'C');
        element->m_Subject.m_strSeq = std::string(120, 'G');
        element->m_dExpect = 1e-30;
        hit->m_ElementList.push_back(std::move(element));
      }
      e.m_Hits.m_HitList.push_back(std::move(hit));
    }
    return e;
  }();
  return entry;
}

std::string StoredBytes() {
  CBlastSearchEntry entry(LargeEntry());
  CMemFile file;
  StoreTransferFile(entry, file);
  return file.Data();
}

void BM_StoreInMemory(benchmark::State& state) {
  CBlastSearchEntry entry(LargeEntry());
  std::size_t bytes = 0;
  for (auto _ : state) {
    CMemFile file;
    StoreTransferFile(entry, file);
    bytes = file.Data().size();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_StoreInMemory);

void BM_LoadFromMemory(benchmark::State& state) {
  const std::string bytes = StoredBytes();
  for (auto _ : state) {
    CMemFile file(bytes);
    CBlastSearchEntry entry;
    LoadTransferFile(file, entry);
    benchmark::DoNotOptimize(entry.GetHitsCount());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_LoadFromMemory);

void BM_LoadFromDisk(benchmark::State& state) {
  const std::string bytes = StoredBytes();
  const auto path = std::filesystem::temp_directory_path() /
                    ("blastsearch_archive_bench_" + std::to_string(::getpid()) + ".bin");
  {
    CFile out(path.string(), CFile::modeWrite | CFile::modeCreate);
    out.Write(bytes.data(), bytes.size());
  }
  for (auto _ : state) {
    CFile file(path.string(), CFile::modeRead);
    CBlastSearchEntry entry;
    LoadTransferFile(file, entry);
    benchmark::DoNotOptimize(entry.GetHitsCount());
  }
  std::filesystem::remove(path);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_LoadFromDisk);

}  // namespace

}  // namespace blastsearch

BENCHMARK_MAIN();
