#include "ReportGenerator.h"

#include <algorithm>
#include <cstdio>
#include <string_view>

namespace blastsearch {

namespace {

constexpr int kRowWidth = 60;
constexpr std::string_view kAminoAcids = "ACDEFGHIKLMNPQRSTVWY";
constexpr std::string_view kNucleotides = "acgt";

// splitmix64: small, fast and the same on every platform.
class CRandom {
 public:
  explicit CRandom(std::uint64_t seed) : m_state(seed) {}
  std::uint64_t Next() {
    std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // A number in [0, bound).
  int Below(int bound) { return static_cast<int>(Next() % static_cast<std::uint64_t>(bound)); }

 private:
  std::uint64_t m_state;
};

void AppendFormat(std::string& out, const char* format, auto... values) {
  char line[256];
  const int length = std::snprintf(line, sizeof line, format, values...);
  out.append(line, static_cast<std::size_t>(std::min<int>(length, sizeof line - 1)));
}

bool IsNucleotide(ReportFlavour flavour) { return flavour == ReportFlavour::Blastn; }

const char* ProgramName(ReportFlavour flavour) {
  switch (flavour) {
    case ReportFlavour::Blastn:
      return "BLASTN";
    case ReportFlavour::Blastx:
      return "BLASTX";
    case ReportFlavour::Blastp:
      break;
  }
  return "BLASTP";
}

// A number with thousands separators, as the query and database lines write it.
std::string Grouped(long long value) {
  const std::string digits = std::to_string(value);
  std::string grouped;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) grouped += ',';
    grouped += digits[i];
  }
  return grouped;
}

struct Pair {
  std::string query, subject, match;
  int identities = 0, positives = 0, gaps = 0;
};

// One aligned pair of rows `columns` long: the subject mostly copies the
// query, with substitutions and a few short gaps.
Pair MakePair(CRandom& random, ReportFlavour flavour, int columns) {
  const std::string_view alphabet = IsNucleotide(flavour) ? kNucleotides : kAminoAcids;
  Pair pair;
  pair.query.reserve(columns);
  pair.subject.reserve(columns);
  pair.match.reserve(columns);
  for (int i = 0; i < columns; ++i) {
    const int roll = random.Below(100);
    char q = alphabet[random.Below(static_cast<int>(alphabet.size()))];
    char s = q;
    if (roll < 3) {
      (random.Below(2) == 0 ? q : s) = '-';
      ++pair.gaps;
    } else if (roll < 20) {
      s = alphabet[random.Below(static_cast<int>(alphabet.size()))];
    }
    pair.query += q;
    pair.subject += s;
    if (q == s) {
      ++pair.identities;
      ++pair.positives;
      pair.match += IsNucleotide(flavour) ? '|' : q;
    } else if (!IsNucleotide(flavour) && q != '-' && s != '-' && roll % 2 == 0) {
      ++pair.positives;
      pair.match += '+';
    } else {
      pair.match += ' ';
    }
  }
  return pair;
}

int Residues(std::string_view row) {
  return static_cast<int>(row.size() -
                          static_cast<std::size_t>(std::count(row.begin(), row.end(), '-')));
}

// The rows of one segment pair, `kRowWidth` columns a line.
void AppendRows(std::string& out, const Pair& pair, ReportFlavour flavour, int queryStart,
                int subjectStart, bool subjectMinus) {
  // In blastx the query counts nucleotides, three to a residue.
  const int queryStep = flavour == ReportFlavour::Blastx ? 3 : 1;
  int q = queryStart;
  int s = subjectStart;
  for (std::size_t at = 0; at < pair.query.size(); at += kRowWidth) {
    const std::string_view query = std::string_view(pair.query).substr(at, kRowWidth);
    const std::string_view subject = std::string_view(pair.subject).substr(at, kRowWidth);
    const std::string_view match = std::string_view(pair.match).substr(at, kRowWidth);
    const int qEnd = q + Residues(query) * queryStep - 1;
    const int sSpan = Residues(subject);
    const int sEnd = subjectMinus ? s - sSpan + 1 : s + sSpan - 1;
    AppendFormat(out, "Query: %-4d", q);
    out.append(query).append(" ").append(std::to_string(qEnd)).append("\n           ");
    out.append(match).append("\n");
    AppendFormat(out, "Sbjct: %-4d", s);
    out.append(subject).append(" ").append(std::to_string(sEnd)).append("\n\n");
    q = qEnd + 1;
    s = subjectMinus ? sEnd - 1 : sEnd + 1;
  }
}

void AppendHit(std::string& out, CRandom& random, const ReportSpec& spec, int index) {
  const int gi = 100000 + index * 7;
  const int rows = std::max(1, spec.rowsPerPair);
  const int pairs = std::max(1, spec.pairsPerHit);
  const int length = pairs * rows * kRowWidth + 200 + random.Below(2000);
  AppendFormat(out, ">gi|%d|ref|NP_%06d.1| synthetic %s %d [Homo sapiens]\n", gi, index,
               IsNucleotide(spec.flavour) ? "clone" : "protein", index);
  AppendFormat(out, "          Length = %d\n\n", length);
  for (int p = 0; p < pairs; ++p) {
    // The last row of a pair is shorter, as real alignments end anywhere.
    const int columns = (rows - 1) * kRowWidth + 10 + random.Below(kRowWidth - 10);
    const Pair pair = MakePair(random, spec.flavour, columns);
    const int raw = pair.identities * 5 - (columns - pair.identities) * 2 + 40;
    const double bits = raw * 0.45 + 5.0;
    const int exponent = 1 + random.Below(150);
    AppendFormat(out, " Score = %.1f bits (%d), Expect = %de-%02d\n", bits, raw,
                 1 + random.Below(9), exponent);
    if (IsNucleotide(spec.flavour)) {
      AppendFormat(out, " Identities = %d/%d (%d%%)", pair.identities, columns,
                   pair.identities * 100 / columns);
    } else {
      AppendFormat(out, " Identities = %d/%d (%d%%), Positives = %d/%d (%d%%)", pair.identities,
                   columns, pair.identities * 100 / columns, pair.positives, columns,
                   pair.positives * 100 / columns);
    }
    if (pair.gaps > 0) {
      AppendFormat(out, ", Gaps = %d/%d (%d%%)", pair.gaps, columns, pair.gaps * 100 / columns);
    }
    out += '\n';
    bool subjectMinus = false;
    if (spec.flavour == ReportFlavour::Blastn) {
      subjectMinus = random.Below(2) == 1;
      out += subjectMinus ? " Strand = Plus / Minus\n" : " Strand = Plus / Plus\n";
    } else if (spec.flavour == ReportFlavour::Blastx) {
      const int frame = 1 + random.Below(3);
      AppendFormat(out, " Frame = %c%d\n", random.Below(2) == 0 ? '+' : '-', frame);
    }
    out += '\n';
    const int queryStart = 1 + random.Below(400);
    const int subjectStart = subjectMinus ? length - random.Below(100) : 1 + random.Below(200);
    AppendRows(out, pair, spec.flavour, queryStart, subjectStart, subjectMinus);
    out += '\n';
  }
}

void AppendHeader(std::string& out, const ReportSpec& spec, int hits, int queryLength) {
  AppendFormat(out, "%s 2.2.10 [Oct-19-2004]\n\n\n", ProgramName(spec.flavour));
  out +=
      "Reference: Altschul, Stephen F., Thomas L. Madden, Alejandro A. Schaffer, \n"
      "Jinghui Zhang, Zheng Zhang, Webb Miller, and David J. Lipman (1997), \n"
      "\"Gapped BLAST and PSI-BLAST: a new generation of protein database search\n"
      "programs\",  Nucleic Acids Res. 25:3389-3402.\n\n";
  out += "Query= gi|4959044|gb|AAD34209.1| synthetic query sequence\n";
  out += "         (" + Grouped(queryLength) + " letters)\n\n";
  out += "Database: synthetic\n           " + Grouped(hits * 10LL) + " sequences; " +
         Grouped(hits * 12345LL) + " total letters\n\n";
  out += "Searching..................................................done\n\n\n";
  out += "                                                                 Score    E\n";
  out += "Sequences producing significant alignments:                      (bits) Value\n\n";
}

void AppendSummary(std::string& out, CRandom& random, const ReportSpec& spec, int hits) {
  for (int i = 0; i < hits; ++i) {
    AppendFormat(out, "gi|%d|ref|NP_%06d.1| synthetic %s %d [Homo sapiens]%*s%4d   %de-%02d\n",
                 100000 + i * 7, i, IsNucleotide(spec.flavour) ? "clone" : "protein", i,
                 i < 10      ? 9
                 : i < 100   ? 8
                 : i < 1000  ? 7
                 : i < 10000 ? 6
                             : 5,
                 "", 40 + random.Below(900), 1 + random.Below(9), 1 + random.Below(150));
  }
  out += '\n';
}

void AppendFooter(std::string& out, int hits) {
  out += "  Database: synthetic\n    Posted date:  Oct 19, 2004  5:52 PM\n";
  out += "  Number of letters in database: " + Grouped(hits * 12345LL) + "\n";
  out += "  Number of sequences in database:  " + Grouped(hits * 10LL) + "\n\n";
  out +=
      "Lambda     K      H\n   0.321    0.138    0.390 \n\nGapped\nLambda     K      H\n"
      "   0.267   0.0410    0.140 \n\n\nMatrix: BLOSUM62\n"
      "Gap Penalties: Existence: 11, Extension: 1\n";
}

std::string Generate(const ReportSpec& spec, int hits, std::size_t reserve) {
  CRandom random(spec.seed);
  const int queryLength = 600 + random.Below(2000);
  std::string out;
  out.reserve(reserve);
  AppendHeader(out, spec, hits, queryLength);
  AppendSummary(out, random, spec, hits);
  for (int i = 0; i < hits; ++i) AppendHit(out, random, spec, i);
  AppendFooter(out, hits);
  return out;
}

}  // namespace

std::string GenerateReport(const ReportSpec& spec) {
  return Generate(spec, std::max(1, spec.hits), 0);
}

std::string GenerateReportOfSize(ReportSpec spec, std::size_t bytes, int* hits) {
  // Size the hit count from a small report's bytes per hit, correct it once
  // from the first full report (hit sizes vary), then add hits until the
  // target is met.
  const std::string small = Generate(spec, 16, 0);
  const std::size_t perHit = std::max<std::size_t>(1, small.size() / 16);
  int count = static_cast<int>(std::max<std::size_t>(1, bytes / perHit));
  std::string report = Generate(spec, count, bytes + bytes / 8);
  count = static_cast<int>(static_cast<double>(count) * static_cast<double>(bytes) /
                           static_cast<double>(report.size())) +
          1;
  report = Generate(spec, count, bytes + bytes / 8);
  while (report.size() < bytes) {
    count += std::max(1, count / 200);
    report = Generate(spec, count, bytes + bytes / 8);
  }
  if (hits != nullptr) *hits = count;
  return report;
}

}  // namespace blastsearch
