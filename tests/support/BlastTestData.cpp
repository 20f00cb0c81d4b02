#include "support/BlastTestData.h"

#include <unistd.h>

#include <cstdlib>
#include <random>

namespace blastsearch {

CBlastTestData::CBlastTestData() {
  std::random_device random;
  m_dir = std::filesystem::temp_directory_path() /
          ("blastsearch-blastdb-" + std::to_string(::getpid()) + "-" + std::to_string(random()));
  std::filesystem::create_directories(m_dir);
  const std::string dir = m_dir.string();
  const std::string script =
      std::string(BLASTSEARCH_SOURCE_DIR) + "/tests/data/blastplus/make_sequences.py";
  if (std::system(("python3 '" + script + "' '" + dir + "'").c_str()) != 0) {
    m_strMissing = "python3 could not write the test sequences";
    return;
  }
  const std::string make =
      "cd '" + dir +
      "' && makeblastdb -in prot_db.fa -dbtype prot -out protdb -parse_seqids "
      "-title 'generated proteins' >/dev/null && makeblastdb -in nucl_db.fa -dbtype nucl -out "
      "nucldb -parse_seqids -title 'generated nucleotides' >/dev/null";
  if (std::system(make.c_str()) != 0) {
    m_strMissing =
        "makeblastdb (Debian's ncbi-blast+) is not there; tools/install-deps.sh installs it";
  }
}

CBlastTestData::~CBlastTestData() {
  std::error_code ignored;
  std::filesystem::remove_all(m_dir, ignored);
}

}  // namespace blastsearch
