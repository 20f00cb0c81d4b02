// The one place that includes seqan3 (heavy to compile): its BLOSUM
// matrices score the residue pairs of the middle line.
#include "model/AlignmentMidline.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <seqan3/alignment/scoring/aminoacid_scoring_scheme.hpp>
#include <utility>
#include <vector>

#include "model/BlastSearchEntry.h"
#include "model/ResultInfo.h"

namespace {

// Scores of every pair of printable ASCII letters and '*' under one
// matrix; pairs of other bytes score below 0.
class CScoreTable {
 public:
  explicit CScoreTable(seqan3::aminoacid_similarity_matrix matrix) {
    m_scores.fill(-128);
    const seqan3::aminoacid_scoring_scheme<std::int8_t> scheme{matrix};
    for (int a = 0; a < 128; ++a) {
      if (!IsResidue(a)) continue;
      for (int b = 0; b < 128; ++b) {
        if (!IsResidue(b)) continue;
        seqan3::aa27 x;
        seqan3::aa27 y;
        x.assign_char(static_cast<char>(a));
        y.assign_char(static_cast<char>(b));
        m_scores[static_cast<std::size_t>(a * 128 + b)] = scheme.score(x, y);
      }
    }
  }
  int Score(unsigned char a, unsigned char b) const {
    return a < 128 && b < 128 ? m_scores[static_cast<std::size_t>(a * 128 + b)] : -128;
  }

 private:
  static bool IsResidue(int c) { return std::isupper(c) != 0 || c == '*'; }
  std::array<std::int8_t, 128 * 128> m_scores{};
};

// The last BLAST+ release that cut percentages off instead of rounding.
constexpr int kLastCutting[3] = {2, 2, 22};

struct CKnownMatrix {
  std::string_view m_name;
  seqan3::aminoacid_similarity_matrix m_matrix;
};
constexpr CKnownMatrix kMatrices[] = {
    {"BLOSUM30", seqan3::aminoacid_similarity_matrix::blosum30},
    {"BLOSUM45", seqan3::aminoacid_similarity_matrix::blosum45},
    {"BLOSUM62", seqan3::aminoacid_similarity_matrix::blosum62},
    {"BLOSUM80", seqan3::aminoacid_similarity_matrix::blosum80},
};

std::string UpperCase(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return upper;
}

// The table of `name` (a known matrix, else BLOSUM62), made once.
const CScoreTable& TableOf(std::string_view name) {
  static const std::vector<CScoreTable> tables = [] {
    std::vector<CScoreTable> made;
    for (const CKnownMatrix& known : kMatrices) made.emplace_back(known.m_matrix);
    return made;
  }();
  const std::string upper = UpperCase(name);
  for (std::size_t i = 0; i < std::size(kMatrices); ++i) {
    if (kMatrices[i].m_name == upper) return tables[i];
  }
  return tables[2];
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

// Whether BLAST+ `version` ("BLASTX 2.2.22+") rounds percentages: the
// releases after 2.2.22 do; 2.2.22 and before cut the fraction off. A
// version not given or not understood is taken for a recent one.
bool RoundsPercentages(const std::string& version) {
  const std::size_t digit = version.find_first_of("0123456789");
  if (digit == std::string::npos) return true;
  int numbers[3] = {0, 0, 0};
  std::size_t at = digit;
  for (int& number : numbers) {
    char* end = nullptr;
    number = static_cast<int>(std::strtol(version.c_str() + at, &end, 10));
    at = static_cast<std::size_t>(end - version.c_str());
    if (at >= version.size() || version[at] != '.') break;
    ++at;
  }
  return std::lexicographical_compare(std::begin(kLastCutting), std::end(kLastCutting),
                                      std::begin(numbers), std::end(numbers));
}

}  // namespace

bool IsKnownMatrix(std::string_view name) {
  const std::string upper = UpperCase(name);
  return std::any_of(std::begin(kMatrices), std::end(kMatrices),
                     [&](const CKnownMatrix& known) { return known.m_name == upper; });
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
  style.m_bRoundPercent =
      blastPlus && RoundsPercentages(GetResultInfo(entry, result_info::kVersion));
  style.m_bAlwaysGaps = blastPlus;
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
