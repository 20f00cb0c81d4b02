#include "output/ExportFormats.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <ostream>
#include <string_view>

#include "model/BlastSearchEntry.h"
#include "model/NumberFormat.h"
#include "model/SubjectFasta.h"
#include "output/EntryFacts.h"

namespace blastsearch {

namespace {

std::string QueryId(const CBlastSearchEntry& entry) {
  if (!entry.m_Mol.m_strID.empty()) return entry.m_Mol.m_strID;
  std::string word = FirstWordOf(entry.m_Mol.m_strName);
  return word.empty() ? "Query_1" : word;
}

std::string SubjectId(const CBlastSearchHit& hit) {
  std::string word = FirstWordOf(hit.m_strName);
  return word.empty() ? hit.m_strID : word;
}

// printf into a string, without the blanks that field widths put in front.
template <class... Args>
std::string Format(const char* format, Args... args) {
  char text[64];
  std::snprintf(text, sizeof text, format, args...);
  std::string result = text;
  result.erase(0, result.find_first_not_of(' '));
  return result;
}

bool IsGap(char c) { return c == '-'; }

std::string PercentIdentity(const CBlastSearchHitElement& element, const CEntryFacts& facts) {
  if (!facts.bIdentities) return "NA";
  if (element.m_nAlignLength <= 0) return "0.00";
  return Format("%.2f", 100.0 * element.m_nIdentities / element.m_nAlignLength);
}

}  // namespace

int CountMismatches(const CBlastSearchHitElement& element) {
  const std::string& query = element.m_Query.m_strSeq;
  const std::string& subject = element.m_Subject.m_strSeq;
  int mismatches = 0;
  for (std::size_t i = 0; i < query.size() && i < subject.size(); ++i) {
    if (IsGap(query[i]) || IsGap(subject[i])) continue;
    if (std::toupper(static_cast<unsigned char>(query[i])) !=
        std::toupper(static_cast<unsigned char>(subject[i]))) {
      ++mismatches;
    }
  }
  return mismatches;
}

int CountGapOpenings(const CBlastSearchHitElement& element) {
  int openings = 0;
  for (const std::string* row : {&element.m_Query.m_strSeq, &element.m_Subject.m_strSeq}) {
    for (std::size_t i = 0; i < row->size(); ++i) {
      if (IsGap((*row)[i]) && (i == 0 || !IsGap((*row)[i - 1]))) ++openings;
    }
  }
  return openings;
}

namespace {

// Mismatches and gap openings, counted on the rows; without rows,
// mismatches are what identities and gaps leave of the alignment, and gap
// openings are not known.
std::string MismatchText(const CBlastSearchHitElement& element, const CEntryFacts& facts) {
  if (facts.bRows) return std::to_string(CountMismatches(element));
  if (!facts.bIdentities || !facts.bGaps) return "NA";
  return std::to_string(
      std::max(0, element.m_nAlignLength - element.m_nIdentities - element.m_nGaps));
}

std::string GapOpeningText(const CBlastSearchHitElement& element, const CEntryFacts& facts) {
  return facts.bRows ? std::to_string(CountGapOpenings(element)) : "NA";
}

}  // namespace

void WriteEntryTabular(const CBlastSearchEntry& entry, std::ostream& out) {
  const CEntryFacts facts = GetEntryFacts(entry);
  const std::string query = QueryId(entry);
  std::string line;
  for (const auto& hit : entry.m_Hits.m_HitList) {
    if (!hit) continue;
    const std::string subject = SubjectId(*hit);
    for (const auto& element : hit->m_ElementList) {
      if (!element) continue;
      const CBlastSearchHitElement& e = *element;
      line = query + '\t' + subject + '\t' + PercentIdentity(e, facts) + '\t' +
             std::to_string(e.m_nAlignLength) + '\t' + MismatchText(e, facts) + '\t' +
             GapOpeningText(e, facts) + '\t' + std::to_string(e.m_Query.m_nStart) + '\t' +
             std::to_string(e.m_Query.m_nEnd) + '\t' + std::to_string(e.m_Subject.m_nStart) + '\t' +
             std::to_string(e.m_Subject.m_nEnd) + '\t' +
             FormatNumber(e.m_dExpect, ENumberStyle::kTabularExpect) + '\t' +
             FormatNumber(e.m_dBitScore, ENumberStyle::kTabularBits) + '\n';
      out << line;
    }
  }
}

bool WriteEntryFasta(const CBlastSearchEntry& entry, std::ostream& out) {
  bool written = false;
  for (const auto& hit : entry.m_Hits.m_HitList) {
    if (!hit) continue;
    const std::string records = SubjectFasta(*hit);
    out << records;
    written = written || !records.empty();
  }
  return written;
}

}  // namespace blastsearch
