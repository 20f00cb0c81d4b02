#pragma once

// Helpers of the tests of the JSON and tabular readers.

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "model/BlastSearchEntry.h"
#include "parse/ResultReader.h"
#include "support/Corpus.h"

namespace blastsearch {

// A BLAST+ report of tests/data/blastplus.
inline std::string BlastPlusFile(const std::string& name) {
  return ReadWholeFile(std::string(BLASTSEARCH_SOURCE_DIR) + "/tests/data/blastplus/" + name);
}

using ReaderFactory =
    std::function<std::unique_ptr<CResultReader>(CReportSource&, const CResultReadOptions&)>;

// What reading a whole report gave: its results, and the message of the
// CReportError that ended it (empty when it ended cleanly).
struct ReadOutcome {
  std::vector<std::unique_ptr<CBlastSearchEntry>> results;
  std::string strError;
};

inline ReadOutcome ReadAllResults(const ReaderFactory& make, CReportSource& source,
                                  const CResultReadOptions& options = {}) {
  ReadOutcome outcome;
  try {
    auto reader = make(source, options);
    for (int guard = 0; guard < 100000; ++guard) {
      auto entry = std::make_unique<CBlastSearchEntry>();
      if (reader->ReadNext(*entry) == 0) break;
      outcome.results.push_back(std::move(entry));
    }
  } catch (const CReportError& e) {
    outcome.strError = e.what();
  }
  return outcome;
}

inline ReadOutcome ReadAllResults(const ReaderFactory& make, const std::string& bytes,
                                  const CResultReadOptions& options = {}) {
  CViewReportSource source(bytes, "test");
  return ReadAllResults(make, source, options);
}

// A source that repeats `fill` without end after `head`, counting what it gave.
class CEndlessSource : public CReportSource {
 public:
  CEndlessSource(std::string head, char fill) : m_strHead(std::move(head)), m_cFill(fill) {}
  std::size_t Read(char* buffer, std::size_t size) override {
    std::size_t given = 0;
    if (m_nGiven < m_strHead.size()) {
      given = std::min(size, m_strHead.size() - m_nGiven);
      std::memcpy(buffer, m_strHead.data() + m_nGiven, given);
    }
    std::memset(buffer + given, m_cFill, size - given);
    m_nGiven += size;
    return size;
  }
  const std::string& GetName() const override { return m_strName; }
  std::size_t m_nGiven = 0;

 private:
  std::string m_strHead;
  char m_cFill;
  std::string m_strName = "endless";
};

}  // namespace blastsearch
