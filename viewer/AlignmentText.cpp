#include "viewer/AlignmentText.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "model/BlastSearchHit.h"
#include "model/NumberFormat.h"
#include "model/ResultInfo.h"

namespace blastsearch {

namespace {

// "80/120 (67%)"; the percentage is left out when the length is 0.
std::string CountOf(int count, int length, const CAlignmentStyle& style) {
  std::string text = std::to_string(count) + "/" + std::to_string(length);
  if (length > 0) text += " (" + std::to_string(PercentOf(count, length, style)) + "%)";
  return text;
}

CAlignmentStyle StyleOf(bool protein) {
  CAlignmentStyle style;
  style.m_bNucleotide = !protein;
  return style;
}

bool IsGap(char c) { return c == '-'; }

// Where a row's residues lie in its sequence: the position of its first
// residue, the direction and the positions per residue.
struct CRowScale {
  long long m_nStart = 0;
  int m_nDirection = 1;
  int m_nStep = 1;
};

CRowScale ScaleOf(const CBlastSearchSeqComponent& row) {
  CRowScale scale;
  scale.m_nStart = row.m_nStart;
  scale.m_nDirection = row.m_nEnd < row.m_nStart ? -1 : 1;
  scale.m_nStep = IsTranslatedRow(row) ? 3 : 1;
  return scale;
}

// The positions at the ends of a block that holds `count` residues after
// `before` residues of the row.
std::pair<long long, long long> BlockEnds(const CRowScale& scale, long long before,
                                          long long count) {
  const long long step = scale.m_nStep;
  const long long dir = scale.m_nDirection;
  if (count == 0) {
    const long long last = before > 0 ? scale.m_nStart + dir * (step * before - 1) : scale.m_nStart;
    return {last, last};
  }
  return {scale.m_nStart + dir * step * before,
          scale.m_nStart + dir * (step * (before + count) - 1)};
}

std::string PadRight(const std::string& text, std::size_t width) {
  return text.size() >= width ? text : text + std::string(width - text.size(), ' ');
}

}  // namespace

bool BestScores(const CBlastSearchHit& hit, double& bitScore, double& expect) {
  bool any = false;
  for (const auto& element : hit.m_ElementList) {
    if (!element) continue;
    if (!any || element->m_dBitScore > bitScore) bitScore = element->m_dBitScore;
    if (!any || element->m_dExpect < expect) expect = element->m_dExpect;
    any = true;
  }
  return any;
}

std::vector<std::string> ScoreLines(const CBlastSearchHitElement& element, bool protein) {
  return ScoreLines(element, StyleOf(protein));
}

std::vector<std::string> ScoreLines(const CBlastSearchHitElement& element,
                                    const CAlignmentStyle& style) {
  const bool protein = !style.m_bNucleotide;
  std::vector<std::string> lines;
  // "Expect(2)": the expect value of a sum of two segment pairs.
  const int expectCount = GetExpectCount(element);
  const std::string expect =
      expectCount > 0 ? "Expect(" + std::to_string(expectCount) + ")" : std::string("Expect");
  lines.push_back("Score = " + FormatNumber(element.m_dBitScore, ENumberStyle::kReportBits) +
                  " bits (" + std::to_string(element.m_nScore) + "),  " + expect + " = " +
                  FormatNumber(element.m_dExpect, ENumberStyle::kReportExpect));
  const int length = element.m_nAlignLength > 0 ? element.m_nAlignLength
                                                : static_cast<int>(element.m_Query.m_strSeq.size());
  std::string counts = "Identities = " + CountOf(element.m_nIdentities, length, style);
  if (protein || element.m_nFrame != 0) {
    counts +=
        ",  Positives = " + std::to_string(element.m_nPositives) + "/" + std::to_string(length);
    if (length > 0) {
      counts += " (" +
                std::to_string(PositivesPercentOf(element.m_nIdentities, element.m_nPositives,
                                                  length, style)) +
                "%)";
    }
  }
  if (element.m_nGaps > 0 || (style.m_bAlwaysGaps && length > 0)) {
    counts += ",  Gaps = " + CountOf(element.m_nGaps, length, style);
  }
  lines.push_back(counts);
  if (element.m_nFrame != 0) {
    const auto frameText = [](int frame) { return (frame > 0 ? "+" : "") + std::to_string(frame); };
    // Both frames where the report gives two (tblastx: "+2/-1").
    const int subjectFrame = GetSubjectFrame(element);
    lines.push_back("Frame = " + frameText(element.m_nFrame) +
                    (subjectFrame != 0 ? "/" + frameText(subjectFrame) : std::string()));
  } else if (!protein) {
    lines.push_back(std::string("Strand = ") + (element.m_Query.m_bMinusStrand ? "Minus" : "Plus") +
                    " / " + (element.m_Subject.m_bMinusStrand ? "Minus" : "Plus"));
  }
  return lines;
}

std::vector<CAlignmentBlock> AlignmentBlocks(const CBlastSearchHitElement& element, int columns) {
  return AlignmentBlocks(element, CAlignmentStyle(), columns);
}

std::vector<CAlignmentBlock> AlignmentBlocks(const CBlastSearchHitElement& element,
                                             const CAlignmentStyle& style, int columns) {
  if (columns < 1) columns = 60;
  const std::string& query = element.m_Query.m_strSeq;
  const std::string& subject = element.m_Subject.m_strSeq;
  const std::string consensus = GetMidline(element, style);
  const std::size_t length = std::max(query.size(), subject.size());
  const CRowScale queryScale = ScaleOf(element.m_Query);
  const CRowScale subjectScale = ScaleOf(element.m_Subject);

  // First pass: the positions of every block, for the width of the numbers.
  struct CEnds {
    std::pair<long long, long long> m_query, m_subject;
  };
  std::vector<CEnds> ends;
  long long queryBefore = 0;
  long long subjectBefore = 0;
  std::size_t numberWidth = 1;
  const auto residuesIn = [](const std::string& row, std::size_t from, std::size_t count) {
    if (from >= row.size()) return 0LL;
    const auto begin = row.begin() + static_cast<std::ptrdiff_t>(from);
    const auto end = row.begin() + static_cast<std::ptrdiff_t>(std::min(row.size(), from + count));
    return static_cast<long long>(std::count_if(begin, end, [](char c) { return !IsGap(c); }));
  };
  for (std::size_t from = 0; from < length; from += static_cast<std::size_t>(columns)) {
    const long long q = residuesIn(query, from, static_cast<std::size_t>(columns));
    const long long s = residuesIn(subject, from, static_cast<std::size_t>(columns));
    CEnds block{BlockEnds(queryScale, queryBefore, q), BlockEnds(subjectScale, subjectBefore, s)};
    queryBefore += q;
    subjectBefore += s;
    for (long long n : {block.m_query.first, block.m_subject.first}) {
      numberWidth = std::max(numberWidth, std::to_string(n).size());
    }
    ends.push_back(block);
  }

  std::vector<CAlignmentBlock> blocks;
  const auto cut = [&](const std::string& row, std::size_t from) {
    return from < row.size() ? row.substr(from, static_cast<std::size_t>(columns)) : std::string();
  };
  for (std::size_t i = 0; i < ends.size(); ++i) {
    const std::size_t from = i * static_cast<std::size_t>(columns);
    const std::size_t width = std::min(length - from, static_cast<std::size_t>(columns));
    CAlignmentBlock block;
    block.m_nTextColumn = 7 + numberWidth + 2;
    block.m_nTextWidth = width;
    block.m_strQuery = "Query  " + PadRight(std::to_string(ends[i].m_query.first), numberWidth) +
                       "  " + PadRight(cut(query, from), width) + "  " +
                       std::to_string(ends[i].m_query.second);
    block.m_strConsensus = std::string(7 + numberWidth + 2, ' ') + cut(consensus, from);
    block.m_strSubject =
        "Sbjct  " + PadRight(std::to_string(ends[i].m_subject.first), numberWidth) + "  " +
        PadRight(cut(subject, from), width) + "  " + std::to_string(ends[i].m_subject.second);
    blocks.push_back(std::move(block));
  }
  return blocks;
}

std::string HitAlignmentText(const CBlastSearchHit& hit, const CAlignmentStyle& style) {
  const std::string& identifier = hit.m_strName.empty() ? hit.m_strID : hit.m_strName;
  std::string text = ">" + identifier;
  if (!hit.m_strDescription.empty()) text += " " + hit.m_strDescription;
  text += "\nLength = " + std::to_string(hit.m_nLength) + "\n";
  for (const auto& element : hit.m_ElementList) {
    if (!element) continue;
    text += "\n";
    for (const std::string& line : ScoreLines(*element, style)) text += " " + line + "\n";
    for (const CAlignmentBlock& block : AlignmentBlocks(*element, style, 60)) {
      text +=
          "\n" + block.m_strQuery + "\n" + block.m_strConsensus + "\n" + block.m_strSubject + "\n";
    }
  }
  return text;
}

}  // namespace blastsearch
