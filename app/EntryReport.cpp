#include "app/EntryReport.h"

#include <algorithm>
#include <cstdio>
#include <ostream>
#include <string>

#include "model/AlignmentMidline.h"
#include "model/BlastSearchEntry.h"
#include "model/HitLink.h"
#include "model/NumberFormat.h"
#include "model/ResultInfo.h"
#include "output/EntryFacts.h"
#include "output/PrintableText.h"

namespace blastsearch {

namespace {

constexpr std::size_t kRowWidth = 60;

// The element with the highest bit score, or null for a hit without elements.
const CBlastSearchHitElement* BestElement(const CBlastSearchHit& hit) {
  const CBlastSearchHitElement* best = nullptr;
  for (const auto& element : hit.m_ElementList) {
    if (element && (best == nullptr || element->m_dBitScore > best->m_dBitScore)) {
      best = element.get();
    }
  }
  return best;
}

// `value` as text, or "-" when the layout did not carry it.
std::string Known(bool known, long long value) { return known ? std::to_string(value) : "-"; }

// A signed frame: "+2", "-1".
std::string FrameText(int frame) { return (frame > 0 ? "+" : "") + std::to_string(frame); }

// `text` made printable and cut to `width` characters.
std::string Clip(const std::string& text, std::size_t width) {
  std::string printable = PrintableText(text);
  return printable.size() <= width ? printable : printable.substr(0, width - 3) + "...";
}

void WriteHitTable(const CBlastSearchEntry& entry, const CEntryFacts& facts, std::ostream& out) {
  char line[512];
  std::snprintf(line, sizeof line, "%4s  %-12s %-28s %9s %8s %9s  %s\n", "#", "Identifier", "Name",
                "Length", "Bits", "Expect", "Description");
  out << line;
  int index = 0;
  for (const auto& hit : entry.m_Hits.m_HitList) {
    if (!hit) continue;
    const CBlastSearchHitElement* best = BestElement(*hit);
    std::snprintf(line, sizeof line, "%4d  %-12s %-28s %9s %8s %9s  %s\n", ++index,
                  Clip(hit->m_strID, 12).c_str(), Clip(hit->m_strName, 28).c_str(),
                  Known(facts.bHitLength, hit->m_nLength).c_str(),
                  best ? FormatNumber(best->m_dBitScore, ENumberStyle::kSummaryBits).c_str() : "-",
                  best ? FormatSignificant(best->m_dExpect, 2).c_str() : "-",
                  facts.bDescription ? Clip(hit->m_strDescription, 60).c_str() : "-");
    out << line;
  }
}

// The hit's record at NCBI as a web address; the stored link text where
// there is none (local links, local databases).
std::string HitLinkText(const CBlastSearchEntry& entry, const CBlastSearchHit& hit) {
  const std::string address = GetHitAddress(&entry, &hit);
  return address.empty() ? GetHitLink(&entry, &hit) : address;
}

const char* StrandWord(int minus) { return minus ? "Minus" : "Plus"; }

// The rows with the middle line between them as BLAST writes it (`style`).
void WriteRows(CBlastSearchHitElement& element, const CAlignmentStyle& style, std::ostream& out) {
  const std::string query = PrintableText(element.m_Query.m_strSeq);
  const std::string subject = PrintableText(element.m_Subject.m_strSeq);
  const std::string consensus = PrintableText(GetMidline(element, style));
  std::size_t columns = std::max(query.size(), subject.size());
  for (std::size_t at = 0; at < columns; at += kRowWidth) {
    auto piece = [&](const std::string& row) {
      return at < row.size() ? row.substr(at, kRowWidth) : std::string();
    };
    out << "    Query  " << piece(query) << '\n'
        << "           " << piece(consensus) << '\n'
        << "    Sbjct  " << piece(subject) << "\n\n";
  }
}

// "v/total", or "-" when the layout did not carry the count.
std::string Fraction(bool known, int value, int total) {
  return known ? std::to_string(value) + '/' + std::to_string(total) : "-";
}

void WriteElement(CBlastSearchHitElement& element, int number, const CEntryFacts& facts,
                  const CAlignmentStyle& style, std::ostream& out) {
  const int expectCount = GetExpectCount(element);
  out << "  Segment " << number
      << ": Score = " << FormatNumber(element.m_dBitScore, ENumberStyle::kSummaryBits) << " bits ("
      << Known(facts.bRawScore, element.m_nScore) << "), Expect";
  if (expectCount > 0) out << '(' << expectCount << ')';
  out << " = " << FormatSignificant(element.m_dExpect) << '\n'
      << "    Identities = "
      << Fraction(facts.bIdentities, element.m_nIdentities, element.m_nAlignLength)
      << ", Positives = "
      << Fraction(facts.bPositives, element.m_nPositives, element.m_nAlignLength)
      << ", Gaps = " << Fraction(facts.bGaps, element.m_nGaps, element.m_nAlignLength) << '\n';
  if (facts.bFrames && element.m_nFrame != 0) {
    out << "    Frame = " << FrameText(element.m_nFrame);
    if (GetSubjectFrame(element) != 0) out << '/' << FrameText(GetSubjectFrame(element));
    out << '\n';
  }
  // The tree keeps no strand for protein rows; a minus flag says there was one.
  if (facts.bFrames && (element.m_Query.m_bMinusStrand || element.m_Subject.m_bMinusStrand)) {
    out << "    Strand = " << StrandWord(element.m_Query.m_bMinusStrand) << " / "
        << StrandWord(element.m_Subject.m_bMinusStrand) << '\n';
  }
  out << "    Query " << element.m_Query.m_nStart << '-' << element.m_Query.m_nEnd << ", Sbjct "
      << element.m_Subject.m_nStart << '-' << element.m_Subject.m_nEnd << '\n';
  if (facts.bRows) {
    WriteRows(element, style, out);
  } else {
    out << "    (no aligned rows in this layout)\n\n";
  }
}

// The lines that say where the result came from: program, database, round,
// layout, and a cut-off report.
void WriteFormat(const CEntryFacts& facts, std::ostream& out) {
  const std::pair<const char*, const std::string*> fields[] = {{"Program", &facts.strProgram},
                                                               {"Version", &facts.strVersion},
                                                               {"Database", &facts.strDatabase},
                                                               {"Round", &facts.strRound},
                                                               {"Layout", &facts.strLayout}};
  const char* separator = "";
  for (const auto& [label, value] : fields) {
    if (value->empty()) continue;
    out << separator << label << ": " << PrintableText(*value);
    separator = "  ";
  }
  if (*separator != '\0') out << '\n';
  if (!facts.strSearch.empty()) out << "Search: " << PrintableText(facts.strSearch) << '\n';
  if (!facts.strPartial.empty()) {
    out << "Partial: the report is cut off (" << PrintableText(facts.strPartial) << ")\n";
  }
}

}  // namespace

void WriteEntryReport(CBlastSearchEntry& entry, std::ostream& out) {
  const CEntryFacts facts = GetEntryFacts(entry);
  const CUxMol& query = entry.m_Mol;
  out << "Query: " << (query.m_strName.empty() ? "(unnamed)" : PrintableText(query.m_strName))
      << "  (" << Known(facts.bQueryLength, query.m_nLength)
      << (facts.nQueryType == 2 ? " residues" : " letters") << ")\n";
  if (facts.bFormat) WriteFormat(facts, out);
  out << entry.GetHitsCount() << (entry.GetHitsCount() == 1 ? " hit" : " hits") << "\n\n";
  if (entry.IsEmpty()) return;
  WriteHitTable(entry, facts, out);
  out << '\n';
  const CAlignmentStyle style = AlignmentStyleOf(entry);
  for (const auto& hit : entry.m_Hits.m_HitList) {
    if (!hit) continue;
    out << '>' << PrintableText(hit->m_strName) << ' '
        << (facts.bDescription ? PrintableText(hit->m_strDescription) : "-") << '\n'
        << "  Length = " << Known(facts.bHitLength, hit->m_nLength)
        << "   Link: " << PrintableText(HitLinkText(entry, *hit)) << "\n\n";
    int number = 0;
    for (const auto& element : hit->m_ElementList) {
      if (element) WriteElement(*element, ++number, facts, style, out);
    }
  }
}

void WriteEntrySummary(const CBlastSearchEntry& entry, std::ostream& out) {
  const CEntryFacts facts = GetEntryFacts(entry);
  std::size_t elements = 0;
  for (const auto& hit : entry.m_Hits.m_HitList) {
    if (hit) elements += hit->m_ElementList.size();
  }
  out << "hits=" << entry.m_Hits.m_HitList.size() << " elements=" << elements
      << " query_length=" << Known(facts.bQueryLength, entry.m_Mol.m_nLength);
  if (!facts.strPartial.empty()) out << " partial";
  out << '\n';
}

}  // namespace blastsearch
