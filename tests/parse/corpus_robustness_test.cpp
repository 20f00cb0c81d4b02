// Robustness of the report readers: every real report through both readers,
// every report cut short at many places, stop requests at each hit boundary,
// and small reports with the odd shapes that real pages have. What is checked
// is what any parse must leave, whatever its input: no crash or hang, a sound
// tree, and what was read kept as the full parse reads it.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "model/BlastSearchEntry.h"
#include "parse/ReportRounds.h"
#include "support/Corpus.h"
#include "support/ReportParse.h"

namespace blastsearch {

namespace {

using std::chrono::seconds;

// Far above what any honest parse of these inputs takes, also with
// sanitizers; the watchdog only turns a hang into a failure with a name.
constexpr seconds kHangLimit{30};

const std::vector<std::string> kFolders{"text", "html-classic", "html-qblast", "blastplus-text"};
const ReportReader kReaders[] = {ReportReader::QBlast, ReportReader::Classic};

std::vector<const CBlastSearchHit*> Hits(const CBlastSearchEntry& entry) {
  std::vector<const CBlastSearchHit*> hits;
  for (const auto& hit : entry.m_Hits.m_HitList) hits.push_back(hit.get());
  return hits;
}

std::vector<const CBlastSearchHitElement*> Elements(const CBlastSearchHit& hit) {
  std::vector<const CBlastSearchHitElement*> elements;
  for (const auto& element : hit.m_ElementList) elements.push_back(element.get());
  return elements;
}

// What every finished element and hit must satisfy: no null entries, rows
// upper-cased, both rows' lengths the length of the query row text, and the
// hit at least as long as each of its alignments. Empty when all holds, else
// the first problem found.
std::string TreeProblem(const CBlastSearchEntry& entry) {
  size_t hitIndex = 0;
  for (const CBlastSearchHit* hit : Hits(entry)) {
    const std::string where = "hit " + std::to_string(hitIndex++) + ": ";
    if (hit == nullptr) return where + "null entry";
    for (const CBlastSearchHitElement* element : Elements(*hit)) {
      if (element == nullptr) return where + "null element";
      const int columns = static_cast<int>(element->m_Query.m_strSeq.size());
      if (element->m_Query.m_nLength != columns || element->m_Subject.m_nLength != columns) {
        return where + "row lengths " + std::to_string(element->m_Query.m_nLength) + "/" +
               std::to_string(element->m_Subject.m_nLength) + " for " + std::to_string(columns) +
               " columns";
      }
      if (hit->m_nLength < columns) return where + "hit shorter than its alignment";
      for (const std::string* row : {&element->m_Query.m_strSeq, &element->m_Subject.m_strSeq}) {
        if (std::any_of(row->begin(), row->end(),
                        [](char c) { return std::islower(static_cast<unsigned char>(c)); })) {
          return where + "row not upper-cased: " + *row;
        }
      }
    }
  }
  return "";
}

struct Parsed {
  int result = 0;
  int progress = -1;
  bool hung = false;
  CBlastSearchEntry entry;
};

// Parses under the watchdog; the watchdog's flag is the parse's stop flag.
void GuardedParse(CParseWatchdog& watchdog, ReportReader reader, const std::string& text,
                  Parsed& parsed) {
  int* stop = watchdog.Arm();
  parsed.result = ParseReport(reader, text, parsed.entry, &parsed.progress, stop);
  parsed.hung = watchdog.Disarm();
}

// Empty when `part`, read from a text cut short or a parse stopped early,
// keeps what `full` holds up to where reading ended: every hit but the last
// equal, and the last one's elements equal but for its last, which the cut or
// stop may have ended anywhere.
std::string PrefixProblem(const CBlastSearchEntry& part, const CBlastSearchEntry& full) {
  const auto partHits = Hits(part);
  const auto fullHits = Hits(full);
  if (partHits.size() > fullHits.size()) {
    return std::to_string(partHits.size()) + " hits, more than the full parse's " +
           std::to_string(fullHits.size());
  }
  if (partHits.empty()) return "";
  for (size_t i = 0; i + 1 < partHits.size(); ++i) {
    if (HitText(*partHits[i]) != HitText(*fullHits[i])) {
      return "hit " + std::to_string(i) + " differs:\n" + HitText(*partHits[i]) + "instead of\n" +
             HitText(*fullHits[i]);
    }
  }
  const size_t last = partHits.size() - 1;
  const CBlastSearchHit& partHit = *partHits[last];
  const CBlastSearchHit& fullHit = *fullHits[last];
  const auto partElements = Elements(partHit);
  const auto fullElements = Elements(fullHit);
  if (partElements.size() > fullElements.size()) {
    return "last hit has more elements than in the full parse";
  }
  for (size_t j = 0; j + 1 < partElements.size(); ++j) {
    if (ElementText(*partElements[j]) != ElementText(*fullElements[j])) {
      return "last hit's element " + std::to_string(j) + " differs";
    }
  }
  return "";
}

// A few problems of many runs, so that one fault does not flood the output.
class CProblems {
 public:
  void Add(const std::string& where, const std::string& problem) {
    if (problem.empty()) return;
    if (m_nCount++ < 8) m_strText += where + ": " + problem + "\n";
  }
  size_t Count() const { return m_nCount; }
  const std::string& Text() const { return m_strText; }

 private:
  size_t m_nCount = 0;
  std::string m_strText;
};

std::string Label(const std::filesystem::path& path, ReportReader reader) {
  return path.parent_path().filename().string() + "/" + path.filename().string() + " (" +
         ReaderName(reader) + ")";
}

// Parses under the watchdog and notes what any parse must not do: hang, fail,
// or leave an unsound tree.
void CheckedParse(CParseWatchdog& watchdog, ReportReader reader, const std::string& text,
                  const std::string& where, CProblems& problems, Parsed& parsed) {
  GuardedParse(watchdog, reader, text, parsed);
  if (parsed.hung) problems.Add(where, "did not finish; ended through the stop flag");
  if (parsed.result != 1) problems.Add(where, "result " + std::to_string(parsed.result));
  problems.Add(where, TreeProblem(parsed.entry));
}

// Calls `visit` with every corpus report and each of the two readers.
void ForEachReportAndReader(
    const std::function<void(const std::string& folder, const std::filesystem::path& path,
                             const std::string& text, ReportReader)>& visit) {
  for (const std::string& folder : kFolders) {
    for (const auto& path : CorpusFiles(folder)) {
      const std::string text = ReadWholeFile(path);
      for (ReportReader reader : kReaders) visit(folder, path, text, reader);
    }
  }
}

TEST(CorpusRobustness, EveryReportThroughBothReaders) {
  SKIP_WITHOUT_CORPUS();
  CParseWatchdog watchdog(kHangLimit);
  CProblems problems;
  size_t parses = 0;
  ForEachReportAndReader([&](const std::string&, const std::filesystem::path& path,
                             const std::string& text, ReportReader reader) {
    Parsed parsed;
    CheckedParse(watchdog, reader, text, Label(path, reader), problems, parsed);
    ++parses;
  });
  EXPECT_EQ(parses, 2u * (53 + 17 + 5 + 21));
  EXPECT_EQ(problems.Count(), 0u) << problems.Text();
}

// Whether what a cut report keeps can be compared with the full parse. It can
// where each hit's reading stays inside its own block, as it does for the
// layout each reader is made for: the QBlast reader on legacy text reports and
// QBlast pages, the classic reader on classic pages. Elsewhere the unbounded
// searches legitimately reach past a block, and so past a cut: BLAST+ writes
// "Strand=Plus/Minus", whose '/' is consumed with the first word, so the
// second word is searched for in a later hit; the QBlast pages list further
// database entries of a hit as anchored lines before its length, which the
// classic reader takes for hits of their own once the length line is cut off.
bool KeepsBlocksApart(const std::string& folder, ReportReader reader) {
  if (reader == ReportReader::QBlast) return folder == "text" || folder == "html-qblast";
  return folder == "html-classic";
}

// Each report cut at 50 evenly spread places, through both readers: no hang,
// a sound tree, and where the layout fits the reader, no hit gained and what
// lies before the cut read as in the full report.
TEST(CorpusRobustness, CutReportsKeepWhatWasRead) {
  SKIP_WITHOUT_CORPUS();
  constexpr size_t kCuts = 50;
  CParseWatchdog watchdog(kHangLimit);
  CProblems problems;
  size_t parses = 0;
  ForEachReportAndReader([&](const std::string& folder, const std::filesystem::path& path,
                             const std::string& text, ReportReader reader) {
    Parsed full;
    GuardedParse(watchdog, reader, text, full);
    for (size_t k = 1; k <= kCuts; ++k) {
      const size_t cut = text.size() * k / (kCuts + 1);
      const std::string where = Label(path, reader) + " cut at " + std::to_string(cut);
      Parsed part;
      CheckedParse(watchdog, reader, text.substr(0, cut), where, problems, part);
      ++parses;
      if (!KeepsBlocksApart(folder, reader)) continue;
      // A PSI-BLAST report cut inside a round reads that round, the last it
      // has: it is compared with the same round of the whole report.
      int round = 0;
      KeepReportRound(text.substr(0, cut), kLastRound, round);
      if (reader == ReportReader::QBlast && round > 0) {
        int kept = 0;
        Parsed sameRound;
        GuardedParse(watchdog, reader, KeepReportRound(text, round, kept), sameRound);
        problems.Add(where, PrefixProblem(part.entry, sameRound.entry));
      } else {
        problems.Add(where, PrefixProblem(part.entry, full.entry));
      }
    }
  });
  EXPECT_EQ(parses, kCuts * 2 * (53 + 17 + 5 + 21));
  EXPECT_EQ(problems.Count(), 0u) << problems.Text();
}

struct StopCase {
  const char* file;
  ReportReader reader;
  size_t hits;  // of the full parse
};

std::ostream& operator<<(std::ostream& out, const StopCase& stopCase) {
  return out << stopCase.file << " (" << ReaderName(stopCase.reader) << ")";
}

class StopAtHitBoundary : public ::testing::TestWithParam<StopCase> {};

// For every k, a second thread sets the stop flag as soon as the progress
// counter reaches k (for k = 0 before the parse starts). The k hits appended
// before the counter showed k are complete and equal to the full parse's; the
// parse may have run on into further hits before it saw the flag, but only the
// last hit may be incomplete, and its elements but the last are whole.
TEST_P(StopAtHitBoundary, KeepsEverythingParsedSoFar) {
  SKIP_WITHOUT_CORPUS();
  const StopCase& stopCase = GetParam();
  const std::string text = ReadWholeFile(CorpusDir() / stopCase.file);
  CBlastSearchEntry full;
  ASSERT_EQ(ParseReport(stopCase.reader, text, full), 1);
  ASSERT_EQ(full.m_Hits.m_HitList.size(), stopCase.hits);

  for (size_t k = 0; k <= stopCase.hits; ++k) {
    SCOPED_TRACE("stop at hit " + std::to_string(k));
    int progress = -1;
    int stop = k == 0 ? 1 : 0;
    std::atomic<bool> done{false};
    std::thread stopper([&] {
      while (!done.load() && k != 0) {
        if (std::atomic_ref<int>(progress).load() >= static_cast<int>(k)) {
          std::atomic_ref<int>(stop).store(1);
          return;
        }
        std::this_thread::yield();
      }
    });
    CBlastSearchEntry entry;
    const int result = ParseReport(stopCase.reader, text, entry, &progress, &stop);
    done.store(true);
    stopper.join();

    EXPECT_EQ(result, 1);
    const size_t hits = entry.m_Hits.m_HitList.size();
    if (k == 0) {
      EXPECT_EQ(hits, 0u);
      EXPECT_EQ(progress, 0);
      continue;
    }
    EXPECT_GE(hits, k);
    EXPECT_LE(hits, stopCase.hits);
    EXPECT_TRUE(progress == static_cast<int>(hits) || progress == static_cast<int>(hits) - 1)
        << "progress " << progress << " with " << hits << " hits";
    EXPECT_EQ(TreeProblem(entry), "");
    EXPECT_EQ(PrefixProblem(entry, full), "");
    if (hits == 0) continue;
    // The last hit's own lines were read before any further stop check.
    const CBlastSearchHit& last = *entry.m_Hits.m_HitList.back();
    const CBlastSearchHit& same = **std::next(full.m_Hits.m_HitList.begin(), hits - 1);
    EXPECT_EQ(last.m_strName, same.m_strName);
    EXPECT_EQ(last.m_strID, same.m_strID);
    EXPECT_EQ(last.m_strDescription, same.m_strDescription);
    EXPECT_LE(last.m_nLength, same.m_nLength);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Reports, StopAtHitBoundary,
    ::testing::Values(StopCase{"text/text_2010L_tblastx_001.txt", ReportReader::QBlast, 19},
                      StopCase{"html-qblast/bt100.html", ReportReader::QBlast, 100},
                      StopCase{"html-classic/bt037.html", ReportReader::Classic, 14},
                      StopCase{"html-qblast/bt066.html", ReportReader::Classic, 12}),
    [](const ::testing::TestParamInfo<StopCase>& tested) {
      return TestName(tested.param.reader, tested.param.file);
    });

// ---- Small reports with odd shapes ----

// A report in the legacy text layout around `body` (hit blocks).
std::string TextReport(const std::string& body) {
  return "BLASTP 2.0.10 [Aug-26-1999]\n\nQuery= synthetic query\n         (120 letters)\n\n"
         "Database: test\n\n                                                     Score     E\n"
         "Sequences producing significant alignments:                (bits)  Value\n\n" +
         body;
}

// A classic web page around `body` (anchored hit blocks).
std::string ClassicPage(const std::string& body) {
  return "<HTML><BODY><PRE>\n<b>BLASTP 2.0.10</b>\n<b>Query=</b> synthetic query\n"
         "         (120 letters)\n\n<PRE>\n" +
         body + "</PRE>\n</BODY></HTML>\n";
}

// One hit block of the text layout: definition line, length, score lines and
// the given rows.
std::string TextHit(const std::string& defline, int length, const std::string& rows) {
  return ">" + defline + "\n          Length = " + std::to_string(length) +
         "\n\n Score = 40.0 bits (90), Expect = 1e-05\n Identities = 10/12 (83%), "
         "Positives = 11/12 (91%)\n\n" +
         rows + "\n\n";
}

// The same block in the classic layout, anchored with `id` and linked as `name`.
std::string ClassicHit(const std::string& id, const std::string& name, int length,
                       const std::string& rows) {
  return "<a name = " + id + "></a><a href=\"http://x/?uid=" + id + "\">" + name +
         "</a> synthetic hit\n          Length = " + std::to_string(length) +
         "\n\n Score = 40.0 bits (90), Expect = 1e-05\n Identities = 10/12 (83%), "
         "Positives = 11/12 (91%)\n\n" +
         rows + "\n</PRE>\n\n<PRE>\n";
}

std::string Rows(int queryStart, const std::string& query, int queryEnd, int subjectStart,
                 const std::string& subject, int subjectEnd) {
  return "Query: " + std::to_string(queryStart) + "   " + query + " " + std::to_string(queryEnd) +
         "\n           " + std::string(query.size(), '|') +
         "\nSbjct: " + std::to_string(subjectStart) + "   " + subject + " " +
         std::to_string(subjectEnd);
}

struct OddReport {
  const char* name;
  ReportReader reader;
  std::function<std::string()> make;
  // Further checks on the parsed entry and the text it came from.
  std::function<void(const CBlastSearchEntry&, const std::string&)> check;
};

std::ostream& operator<<(std::ostream& out, const OddReport& report) { return out << report.name; }

const CBlastSearchHitElement& OnlyElement(const CBlastSearchEntry& entry) {
  static const CBlastSearchHitElement none;
  if (entry.m_Hits.m_HitList.empty()) return none;
  const CBlastSearchHit& hit = *entry.m_Hits.m_HitList.front();
  return hit.m_ElementList.empty() ? none : *hit.m_ElementList.front();
}

void ExpectGapOnlyQueryRow(const CBlastSearchEntry& entry, const std::string&) {
  ASSERT_EQ(entry.m_Hits.m_HitList.size(), 1u);
  const CBlastSearchHitElement& element = OnlyElement(entry);
  EXPECT_EQ(element.m_Query.m_strSeq, "------------");
  EXPECT_EQ(element.m_Query.m_nStart, 5);
  EXPECT_EQ(element.m_Query.m_nEnd, 4);
  EXPECT_EQ(element.m_Subject.m_strSeq, "ACDEFGHIKLMN");
  EXPECT_EQ(element.m_Subject.m_nStart, 7);
  EXPECT_EQ(element.m_Subject.m_nEnd, 18);
  EXPECT_EQ(element.m_Query.m_nLength, 12);
}

const std::string kLongRow = [] {
  std::string row;
  const char residues[] = "ACDEFGHIKLMNPQRSTVWY";
  for (int i = 0; i < 100000; ++i) row += residues[(i * 7) % 20];
  return row;
}();

void ExpectLongRow(const CBlastSearchEntry& entry, const std::string&) {
  ASSERT_EQ(entry.m_Hits.m_HitList.size(), 1u);
  const CBlastSearchHitElement& element = OnlyElement(entry);
  EXPECT_EQ(element.m_Query.m_strSeq, kLongRow);
  EXPECT_EQ(element.m_Subject.m_strSeq, kLongRow);
  EXPECT_EQ(element.m_Query.m_nEnd, 100000);
  EXPECT_EQ(element.m_Subject.m_nEnd, 100003);
  // "Length = 500" is raised to the alignment's 100,000 columns.
  EXPECT_EQ(entry.m_Hits.m_HitList.front()->m_nLength, 100000);
}

// Whatever a number in place of residues makes of a row, it must not cost
// more memory than the text can justify.
void ExpectRowsBoundedByText(const CBlastSearchEntry& entry, const std::string& text) {
  for (const CBlastSearchHit* hit : Hits(entry)) {
    for (const CBlastSearchHitElement* element : Elements(*hit)) {
      EXPECT_LE(element->m_Query.m_strSeq.size(), text.size());
      EXPECT_LE(element->m_Subject.m_strSeq.size(), text.size());
    }
  }
}

// The hits before an odd block are read as if it were not there.
void ExpectFirstHitIntact(const CBlastSearchEntry& entry, const std::string&) {
  ASSERT_GE(entry.m_Hits.m_HitList.size(), 1u);
  const CBlastSearchHit& first = *entry.m_Hits.m_HitList.front();
  EXPECT_EQ(first.m_strID, "101");
  ASSERT_EQ(first.m_ElementList.size(), 1u);
  EXPECT_EQ(first.m_ElementList.front()->m_Query.m_strSeq, "ACDEFGHIKLMN");
  EXPECT_EQ(first.m_ElementList.front()->m_Subject.m_strSeq, "ACDEFGHIKLMQ");
}

void ExpectFirstHitIntactAndRowsBounded(const CBlastSearchEntry& entry, const std::string& text) {
  ExpectFirstHitIntact(entry, text);
  ExpectRowsBoundedByText(entry, text);
}

const std::string kPlainRows = Rows(1, "ACDEFGHIKLMN", 12, 3, "ACDEFGHIKLMQ", 14);

// A text report whose first hit (gi 101) is plain, followed by `blocks`.
std::string AfterFirstHit(const std::string& blocks) {
  return TextReport(TextHit("gi|101|ref|ONE| first", 40, kPlainRows) + blocks);
}

const OddReport kOddReports[] = {
    {"GapOnlyQueryRowText", ReportReader::QBlast,
     [] {
       return TextReport(TextHit("gi|11|ref|AB1| gap row", 30,
                                 Rows(5, "------------", 4, 7, "ACDEFGHIKLMN", 18)));
     },
     ExpectGapOnlyQueryRow},
    {"GapOnlyQueryRowClassic", ReportReader::Classic,
     [] {
       return ClassicPage(ClassicHit("11", "gi|11|ref|AB1|", 30,
                                     Rows(5, "------------", 4, 7, "ACDEFGHIKLMN", 18)));
     },
     ExpectGapOnlyQueryRow},
    {"HundredThousandResidueRowText", ReportReader::QBlast,
     [] {
       return TextReport(
           TextHit("gi|12|ref|LONG| long", 500, Rows(1, kLongRow, 100000, 4, kLongRow, 100003)));
     },
     ExpectLongRow},
    {"HundredThousandResidueRowClassic", ReportReader::Classic,
     [] {
       return ClassicPage(ClassicHit("12", "gi|12|ref|LONG|", 500,
                                     Rows(1, kLongRow, 100000, 4, kLongRow, 100003)));
     },
     ExpectLongRow},
    // A definition line that is only an identifier (as local databases
    // write them): the name ends at the line break, the description is
    // empty, and the block keeps its own length and alignment instead of
    // running on into the next hit's.
    {"DefinitionLineWithoutBlank", ReportReader::QBlast,
     [] {
       return AfterFirstHit(TextHit("gi|21|ref|NOBLANK|", 41, kPlainRows) +
                            TextHit("gi|22|ref|TWO| third", 45, kPlainRows));
     },
     [](const CBlastSearchEntry& entry, const std::string& text) {
       ExpectFirstHitIntact(entry, text);
       ASSERT_EQ(entry.m_Hits.m_HitList.size(), 3u);
       const CBlastSearchHit& bare = **std::next(entry.m_Hits.m_HitList.begin());
       EXPECT_EQ(bare.m_strName, "gi|21|ref|NOBLANK|");
       EXPECT_EQ(bare.m_strID, "21");
       EXPECT_EQ(bare.m_strDescription, "");
       EXPECT_EQ(bare.m_nLength, 41);
       EXPECT_EQ(bare.m_ElementList.size(), 1u);
       EXPECT_EQ(entry.m_Hits.m_HitList.back()->m_strID, "22");
       EXPECT_EQ(entry.m_Hits.m_HitList.back()->m_nLength, 45);
     }},
    // A hit block without any alignment between two complete ones.
    {"HitBlockWithoutAlignmentText", ReportReader::QBlast,
     [] {
       return AfterFirstHit(">gi|102|ref|BARE| no alignment\n          Length = 50\n\n" +
                            TextHit("gi|103|ref|THREE| third", 45, kPlainRows));
     },
     [](const CBlastSearchEntry& entry, const std::string& text) {
       ExpectFirstHitIntact(entry, text);
       EXPECT_LE(entry.m_Hits.m_HitList.size(), 3u);
     }},
    {"HitBlockWithoutAlignmentClassic", ReportReader::Classic,
     [] {
       return ClassicPage(ClassicHit("101", "gi|101|ref|ONE|", 40, kPlainRows) +
                          "<a name = 102></a><a href=\"http://x/\">gi|102|ref|BARE|</a> bare\n"
                          "          Length = 50\n</PRE>\n\n<PRE>\n" +
                          ClassicHit("103", "gi|103|ref|THREE|", 45, kPlainRows));
     },
     [](const CBlastSearchEntry& entry, const std::string& text) {
       ExpectFirstHitIntact(entry, text);
       EXPECT_LE(entry.m_Hits.m_HitList.size(), 3u);
     }},
    // The last hit block has no alignment, only the report's footer follows:
    // the hit is kept with one element that holds nothing.
    {"LastHitBlockWithoutAlignment", ReportReader::QBlast,
     [] {
       return AfterFirstHit(
           ">gi|102|ref|BARE| no alignment\n          Length = 50\n\n"
           "  Database: test\n  Number of letters in database: 1,000\n");
     },
     [](const CBlastSearchEntry& entry, const std::string& text) {
       ExpectFirstHitIntact(entry, text);
       ASSERT_EQ(entry.m_Hits.m_HitList.size(), 2u);
       const CBlastSearchHit& bare = *entry.m_Hits.m_HitList.back();
       EXPECT_EQ(bare.m_strID, "102");
       EXPECT_EQ(bare.m_nLength, 50);
       ASSERT_EQ(bare.m_ElementList.size(), 1u);
       EXPECT_EQ(bare.m_ElementList.front()->m_Query.m_strSeq, "");
       EXPECT_EQ(bare.m_ElementList.front()->m_dBitScore, 0.0);
     }},
    // The text ends right after a hit's length line: that hit is dropped.
    {"TextEndsAfterLengthLine", ReportReader::QBlast,
     [] { return AfterFirstHit(">gi|102|ref|CUT| cut\n          Length = 50\n"); },
     [](const CBlastSearchEntry& entry, const std::string& text) {
       ExpectFirstHitIntact(entry, text);
       EXPECT_EQ(entry.m_Hits.m_HitList.size(), 1u);
     }},
    // The text ends right after a score value: nothing follows to end the
    // number, yet "Score = " lies ahead of the cursor.
    {"TextEndsAfterScoreValue", ReportReader::QBlast,
     [] { return AfterFirstHit(">gi|102|ref|CUT| cut\n          Length = 50\n\n Score = 42.4"); },
     ExpectFirstHitIntact},
    {"PageEndsAfterScoreValue", ReportReader::Classic,
     [] {
       return ClassicPage(ClassicHit("101", "gi|101|ref|ONE|", 40, kPlainRows)) +
              "<a name = 102></a><a href=\"http://x/\">gi|102|ref|CUT|</a> cut\n"
              "          Length = 50\n\n Score = 42.4";
     },
     ExpectFirstHitIntact},
    // The text ends inside the residues of a row.
    {"TextEndsInsideRow", ReportReader::QBlast,
     [] {
       return AfterFirstHit(
           ">gi|102|ref|CUT| cut\n          Length = 50\n\n Score = 42.4 bits (99), "
           "Expect = 1e-05\n\nQuery: 10  ACDEF");
     },
     ExpectFirstHitIntact},
    // Numbers where the residues belong, one of them beyond any int.
    {"NumberInPlaceOfResidues", ReportReader::QBlast,
     [] {
       return AfterFirstHit(TextHit("gi|102|ref|NUM| number", 50,
                                    "Query: 1   99999999\nSbjct: 1   ACGT 4\n\nQuery: 5   "
                                    "99999999999999999999999\nSbjct: 5   ACGT 8"));
     },
     ExpectFirstHitIntactAndRowsBounded},
    {"NumberInPlaceOfResiduesAtTextEnd", ReportReader::QBlast,
     [] {
       return AfterFirstHit(
           ">gi|102|ref|NUM| number\n          Length = 50\n\n Score = 42.4 bits "
           "(99), Expect = 1e-05\n\nQuery: 2147483647   ACDE");
     },
     ExpectFirstHitIntactAndRowsBounded},
};

class OddReports : public ::testing::TestWithParam<OddReport> {};

TEST_P(OddReports, ParseSoundly) {
  const OddReport& odd = GetParam();
  const std::string text = odd.make();
  CParseWatchdog watchdog(kHangLimit);
  Parsed parsed;
  GuardedParse(watchdog, odd.reader, text, parsed);
  ASSERT_FALSE(parsed.hung) << "did not finish; ended through the stop flag";
  EXPECT_EQ(parsed.result, 1);
  EXPECT_EQ(TreeProblem(parsed.entry), "");
  odd.check(parsed.entry, text);
}

INSTANTIATE_TEST_SUITE_P(Shapes, OddReports, ::testing::ValuesIn(kOddReports),
                         [](const ::testing::TestParamInfo<OddReport>& tested) {
                           return std::string(tested.param.name);
                         });

}  // namespace

}  // namespace blastsearch
