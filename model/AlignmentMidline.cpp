// The one place that includes SeqAn (heavy to compile): its BLOSUM and PAM
// matrices score the residue pairs of the middle line. SeqAn 2 rather than
// 3, whose headers refuse clang (the fuzz build's compiler).
#include "model/AlignmentMidline.h"

#include <seqan/score.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <utility>
#include <vector>

#include "model/BlastSearchEntry.h"
#include "model/ResultInfo.h"

namespace blastsearch {

namespace {

bool IsResidue(int c) { return std::isupper(c) != 0 || c == '*'; }

// Scores of every pair of upper-case ASCII letters and '*' under one
// matrix; pairs of other bytes score below 0.
class CScoreTable {
 public:
  template <class Spec>
  static CScoreTable Of() {
    CScoreTable table;
    const seqan::Score<int, seqan::ScoreMatrix<seqan::AminoAcid, Spec>> scheme;
    for (int a = 0; a < 128; ++a) {
      if (!IsResidue(a)) continue;
      for (int b = 0; b < 128; ++b) {
        if (!IsResidue(b)) continue;
        const seqan::AminoAcid x = static_cast<char>(a);
        const seqan::AminoAcid y = static_cast<char>(b);
        table.m_scores[static_cast<std::size_t>(a * 128 + b)] =
            static_cast<std::int8_t>(score(scheme, x, y));
      }
    }
    return table;
  }
  int Score(unsigned char a, unsigned char b) const {
    return a < 128 && b < 128 ? m_scores[static_cast<std::size_t>(a * 128 + b)] : -128;
  }

 private:
  CScoreTable() { m_scores.fill(-128); }
  std::array<std::int8_t, 128 * 128> m_scores{};
};

// The matrices at hand, by the names the reports give them.
constexpr std::string_view kMatrixNames[] = {"BLOSUM30", "BLOSUM45", "BLOSUM62", "BLOSUM80",
                                             "PAM40",    "PAM120",   "PAM200",   "PAM250"};
constexpr std::size_t kBlosum62 = 2;

// The first BLAST+ release that rounds percentages (2.2.22 cut them off;
// 2.2.26 rounds; a version not given is taken for a recent one).
constexpr std::array<int, 3> kFirstRounding = {2, 2, 23};
// The first older release whose positives percentage is taken whole (2.2.2
// and before add the identities' and the other positives' shares; 2.2.16
// takes them whole; a version not given is taken for an old one).
constexpr std::array<int, 3> kFirstWholePositives = {2, 2, 16};

std::string UpperCase(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return upper;
}

// The table of `name` (a matrix at hand, else BLOSUM62), made once.
const CScoreTable& TableOf(std::string_view name) {
  static const std::vector<CScoreTable> tables = {
      CScoreTable::Of<seqan::ScoreSpecBlosum30>(), CScoreTable::Of<seqan::ScoreSpecBlosum45>(),
      CScoreTable::Of<seqan::ScoreSpecBlosum62>(), CScoreTable::Of<seqan::ScoreSpecBlosum80>(),
      CScoreTable::Of<seqan::ScoreSpecPam40>(),    CScoreTable::Of<seqan::ScoreSpecPam120>(),
      CScoreTable::Of<seqan::ScoreSpecPam200>(),   CScoreTable::Of<seqan::ScoreSpecPam250>()};
  const std::string upper = UpperCase(name);
  for (std::size_t i = 0; i < std::size(kMatrixNames); ++i) {
    if (kMatrixNames[i] == upper) return tables[i];
  }
  return tables[kBlosum62];
}

bool IsNucleotideCode(char c) {
  switch (std::toupper(static_cast<unsigned char>(c))) {
    case 'A':
    case 'C':
    case 'G':
    case 'T':
    case 'U':
    case 'N':
    case '-':
      return true;
    default:
      return false;
  }
}

// Without a program: nucleotide when no pair is translated (no frame) and
// the rows of the first pairs hold only nucleotide codes.
bool RowsLookNucleotide(const CBlastSearchEntry& entry) {
  int looked = 0;
  for (const auto& hit : entry.m_Hits.m_HitList) {
    if (!hit) continue;
    for (const auto& element : hit->m_ElementList) {
      if (!element) continue;
      if (element->m_nFrame != 0) return false;
      for (const std::string* row : {&element->m_Query.m_strSeq, &element->m_Subject.m_strSeq}) {
        if (!std::all_of(row->begin(), row->end(), IsNucleotideCode)) return false;
      }
      if (++looked == 20) return true;
    }
  }
  return looked > 0;
}

// Whether the version in `version` ("BLASTX 2.2.22+", "BLASTP 2.0.10")
// comes before `release`; `unknown` when it holds no version.
bool VersionBefore(const std::string& version, const std::array<int, 3>& release, bool unknown) {
  const std::size_t digit = version.find_first_of("0123456789");
  if (digit == std::string::npos) return unknown;
  std::array<int, 3> numbers = {0, 0, 0};
  std::size_t at = digit;
  for (int& number : numbers) {
    char* end = nullptr;
    number = static_cast<int>(std::strtol(version.c_str() + at, &end, 10));
    at = static_cast<std::size_t>(end - version.c_str());
    if (at >= version.size() || version[at] != '.') break;
    ++at;
  }
  return numbers < release;
}

}  // namespace

bool IsKnownMatrix(std::string_view name) {
  const std::string upper = UpperCase(name);
  return std::find(std::begin(kMatrixNames), std::end(kMatrixNames), upper) !=
         std::end(kMatrixNames);
}

CAlignmentStyle AlignmentStyleOf(const CBlastSearchEntry& entry) {
  CAlignmentStyle style;
  const std::string program = GetResultInfo(entry, result_info::kProgram);
  int queryType = 0;
  int hitType = 0;
  if (MoleculeTypesOfProgram(program, queryType, hitType)) {
    style.m_bNucleotide = program == "blastn" || program == "megablast";
  } else {
    style.m_bNucleotide = RowsLookNucleotide(entry);
  }
  const std::string matrix = GetResultInfo(entry, result_info::kMatrix);
  if (IsKnownMatrix(matrix)) style.m_strMatrix = UpperCase(matrix);
  const std::string layout = GetResultInfo(entry, result_info::kLayout);
  const bool blastPlus = layout.rfind("BLAST+", 0) == 0;
  const std::string version =
      GetResultInfo(entry, blastPlus ? result_info::kVersion : result_info::kOlderVersion);
  style.m_bRoundPercent = blastPlus && !VersionBefore(version, kFirstRounding, false);
  style.m_bAlwaysGaps = blastPlus;
  style.m_bPositivesInParts = !blastPlus && VersionBefore(version, kFirstWholePositives, true);
  return style;
}

std::string GetMidline(const CBlastSearchHitElement& element, const CAlignmentStyle& style) {
  const std::string& query = element.m_Query.m_strSeq;
  const std::string& subject = element.m_Subject.m_strSeq;
  std::string midline(query.size(), ' ');
  const std::size_t shared = std::min(query.size(), subject.size());
  if (style.m_bNucleotide) {
    for (std::size_t i = 0; i < shared; ++i) {
      const int q = std::toupper(static_cast<unsigned char>(query[i]));
      const int s = std::toupper(static_cast<unsigned char>(subject[i]));
      if (q == s && q != '-' && std::isgraph(q) != 0) midline[i] = '|';
    }
    return midline;
  }
  const CScoreTable& table = TableOf(style.m_strMatrix);
  for (std::size_t i = 0; i < shared; ++i) {
    const auto q = static_cast<unsigned char>(std::toupper(static_cast<unsigned char>(query[i])));
    const auto s = static_cast<unsigned char>(std::toupper(static_cast<unsigned char>(subject[i])));
    if (table.Score(q, s) <= 0) continue;
    midline[i] = q == s ? query[i] : '+';
  }
  return midline;
}

int PercentOf(long long count, long long length, const CAlignmentStyle& style) {
  if (length <= 0) return 0;
  if (!style.m_bRoundPercent) return static_cast<int>(count * 100 / length);
  if (count == length) return 100;
  const int rounded =
      static_cast<int>(0.5 + 100.0 * static_cast<double>(count) / static_cast<double>(length));
  return std::min(rounded, 99);
}

int PositivesPercentOf(long long identities, long long positives, long long length,
                       const CAlignmentStyle& style) {
  if (!style.m_bPositivesInParts || identities < 0 || identities > positives) {
    return PercentOf(positives, length, style);
  }
  return PercentOf(identities, length, style) + PercentOf(positives - identities, length, style);
}

int QueryCoverOf(const CBlastSearchHit& hit, long long queryLength) {
  if (queryLength <= 0) return -1;
  std::vector<std::pair<long long, long long>> ranges;
  for (const auto& element : hit.m_ElementList) {
    if (!element) continue;
    const long long a = element->m_Query.m_nStart;
    const long long b = element->m_Query.m_nEnd;
    if (a <= 0 && b <= 0) continue;  // no range given
    ranges.emplace_back(std::min(a, b), std::max(a, b));
  }
  std::sort(ranges.begin(), ranges.end());
  long long covered = 0;
  long long reach = 0;  // the last position counted so far
  for (const auto& [from, to] : ranges) {
    const long long start = std::max(from, reach + 1);
    if (to >= start) covered += to - start + 1;
    reach = std::max(reach, to);
  }
  covered = std::min(covered, queryLength);
  return static_cast<int>(0.5 +
                          100.0 * static_cast<double>(covered) / static_cast<double>(queryLength));
}

double PercentIdentityOf(const CBlastSearchHit& hit) {
  long long identities = 0;
  long long length = 0;
  for (const auto& element : hit.m_ElementList) {
    if (!element || element->m_nAlignLength <= 0) continue;
    identities += element->m_nIdentities;
    length += element->m_nAlignLength;
  }
  if (length <= 0) return -1.0;
  return std::round(10000.0 * static_cast<double>(identities) / static_cast<double>(length)) /
         100.0;
}

bool IsTranslatedRow(const CBlastSearchSeqComponent& row) {
  const long long residues =
      std::count_if(row.m_strSeq.begin(), row.m_strSeq.end(), [](char c) { return c != '-'; });
  const long long span = std::llabs(static_cast<long long>(row.m_nEnd) - row.m_nStart) + 1;
  return residues > 0 && std::llabs(span - 3 * residues) < std::llabs(span - residues);
}

}  // namespace blastsearch
