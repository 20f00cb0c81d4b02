#pragma once

#include <filesystem>
#include <string>

namespace blastsearch {

// Small BLAST+ databases for tests that run BLAST+: the generated sequences
// of tests/data/blastplus (written by its make_sequences.py into a scratch
// folder) made into a protein database "protdb" and a nucleotide database
// "nucldb" with makeblastdb, beside the query files prot_queries.fa,
// nucl_queries.fa and nucl_coding_queries.fa (three queries each, the third
// without hits). The folder is removed at destruction.
class CBlastTestData {
 public:
  CBlastTestData();
  ~CBlastTestData();
  CBlastTestData(const CBlastTestData&) = delete;
  CBlastTestData& operator=(const CBlastTestData&) = delete;

  // Empty when the databases were made; else why not (BLAST+ or python3
  // missing), for a skip message.
  const std::string& Missing() const { return m_strMissing; }
  const std::filesystem::path& Dir() const { return m_dir; }
  // The path of a file or database in the folder.
  std::string Path(const std::string& name) const { return (m_dir / name).string(); }

 private:
  std::filesystem::path m_dir;
  std::string m_strMissing;
};

}  // namespace blastsearch

// Skips the current test when `data` could not be made.
#define SKIP_WITHOUT_BLAST(data) \
  if (!(data).Missing().empty()) GTEST_SKIP() << (data).Missing()
