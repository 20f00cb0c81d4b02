// The BLAST+ pairwise text reader over real BLAST+ 2.12 reports of every
// program (text and HTML), the older BLAST+ reports of the corpus, and the
// same reports damaged, cut off, re-wrapped and fed in small pieces.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "model/BlastSearchEntry.h"
#include "model/ResultInfo.h"
#include "parse/BlastPlusTextReader.h"
#include "support/Corpus.h"
#include "support/EntryDump.h"

namespace blastsearch {

namespace {

namespace fs = std::filesystem;

std::string DataFile(const std::string& name) {
  return ReadWholeFile(fs::path(BLASTSEARCH_SOURCE_DIR) / "tests/data/blastplus" / name);
}

// `prefix`, then `fill` repeated up to `total` bytes, made as it is read.
class CEndlessSource : public CReportSource {
 public:
  CEndlessSource(std::string prefix, char fill, std::size_t total)
      : m_strPrefix(std::move(prefix)), m_cFill(fill), m_nLeft(total) {}
  std::size_t Read(char* buffer, std::size_t size) override {
    std::size_t count = std::min(size, m_nLeft);
    std::memset(buffer, m_cFill, count);
    const std::size_t head =
        std::min(count, m_strPrefix.size() - std::min(m_nRead, m_strPrefix.size()));
    if (head > 0) std::memcpy(buffer, m_strPrefix.data() + m_nRead, head);
    m_nLeft -= count;
    m_nRead += count;
    return count;
  }
  const std::string& GetName() const override { return m_strName; }
  std::size_t BytesRead() const { return m_nRead; }

 private:
  std::string m_strPrefix;
  char m_cFill;
  std::size_t m_nLeft;
  std::size_t m_nRead = 0;
  std::string m_strName = "endless";
};

struct CReadOutcome {
  std::vector<std::unique_ptr<CBlastSearchEntry>> results;
  std::string error;  // the CReportError's message, if one ended the reading
};

CReadOutcome ReadAll(CReportSource& source, bool html, bool everyRound = false) {
  CResultReadOptions options;
  options.bEveryRound = everyRound;
  CReadOutcome outcome;
  auto reader = MakeBlastPlusTextReader(source, options, html);
  try {
    for (;;) {
      auto entry = std::make_unique<CBlastSearchEntry>();
      if (!reader->ReadNext(*entry)) break;
      outcome.results.push_back(std::move(entry));
    }
  } catch (const CReportError& error) {
    outcome.error = error.what();
  }
  return outcome;
}

CReadOutcome ReadBytes(std::string_view bytes, bool html, bool everyRound = false) {
  CViewReportSource source(bytes, "report");
  return ReadAll(source, html, everyRound);
}

// The whole tree and every info key but the layout, for comparing readings.
std::string FullDump(const CBlastSearchEntry& entry) {
  std::string info = entry.m_Hits.m_strInfo;
  const std::size_t layout = info.find("layout\t");
  if (layout != std::string::npos) info.erase(layout, info.find('\n', layout) + 1 - layout);
  return info + DumpEntry(entry);
}

std::string Number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

// One line for a result's query and what the info says of it.
std::string QueryLine(const CBlastSearchEntry& entry) {
  return "query " + entry.m_Mol.m_strID + " length=" + std::to_string(entry.m_Mol.m_nLength) +
         " hits=" + std::to_string(entry.GetHitsCount()) +
         " program=" + GetResultInfo(entry, result_info::kProgram) +
         " number=" + GetResultInfo(entry, result_info::kQueryNumber) +
         " round=" + GetResultInfo(entry, result_info::kRound) +
         " absent=" + GetResultInfo(entry, result_info::kAbsent) +
         " partial=" + GetResultInfo(entry, result_info::kPartial);
}

// The first hit and its first segment pair, compactly.
std::string FirstHitLines(const CBlastSearchEntry& entry) {
  if (entry.m_Hits.m_HitList.empty()) return "no hit";
  const CBlastSearchHit& hit = *entry.m_Hits.m_HitList.front();
  std::string text = "hit " + hit.m_strName + " id=" + hit.m_strID +
                     " length=" + std::to_string(hit.m_nLength) +
                     " pairs=" + std::to_string(hit.m_ElementList.size()) + "\n";
  const CBlastSearchHitElement& e = *hit.m_ElementList.front();
  text += "pair bits=" + Number(e.m_dBitScore) + " score=" + std::to_string(e.m_nScore) +
          " e=" + Number(e.m_dExpect) + "(" + std::to_string(GetExpectCount(e)) + ")" +
          " ident=" + std::to_string(e.m_nIdentities) + "/" + std::to_string(e.m_nAlignLength) +
          " pos=" + std::to_string(e.m_nPositives) + " gaps=" + std::to_string(e.m_nGaps) +
          " q=" + std::to_string(e.m_Query.m_nStart) + "-" + std::to_string(e.m_Query.m_nEnd) +
          " s=" + std::to_string(e.m_Subject.m_nStart) + "-" + std::to_string(e.m_Subject.m_nEnd) +
          " frames=" + std::to_string(e.m_nFrame) + "/" + std::to_string(GetSubjectFrame(e)) +
          " minus=" + std::to_string(e.m_Query.m_bMinusStrand) + "/" +
          std::to_string(e.m_Subject.m_bMinusStrand) +
          " cols=" + std::to_string(e.m_Query.m_nLength) + "/" +
          std::to_string(e.m_Subject.m_strSeq.size());
  return text;
}

struct CExpectedResult {
  const char* file;
  std::size_t result;
  const char* query;
  const char* firstHit;
};

// Values as the reports give them.
const CExpectedResult kExpected[] = {
    {"blastp.txt", 0,
     "query query_p1 length=159 hits=5 program=blastp number=1 round= absent= partial=",
     "hit P00000 id=P00000 length=159 pairs=1\n"
     "pair bits=254 score=650 e=1e-91(0) ident=129/158 pos=133 gaps=3 q=5-159 s=2-159 frames=0/0 "
     "minus=0/0 cols=158/158"},
    {"blastp.txt", 2,
     "query query_p3 length=90 hits=0 program=blastp number=3 round= absent= partial=", "no hit"},
    {"blastn.txt", 0,
     "query query_n1 length=669 hits=5 program=blastn number=1 round= absent=positives partial=",
     "hit AB30001.1 id=AB30001.1 length=672 pairs=1\n"
     "pair bits=1116 score=1237 e=0(0) ident=652/672 pos=0 gaps=3 q=1-669 s=1-672 frames=0/0 "
     "minus=0/0 cols=672/672"},
    {"megablast.txt", 0,
     "query query_n1 length=669 hits=1 program=blastn number=1 round= absent=positives partial=",
     "hit AB30001.1 id=AB30001.1 length=672 pairs=1\n"
     "pair bits=1127 score=610 e=0(0) ident=652/672 pos=0 gaps=3 q=1-669 s=1-672 frames=0/0 "
     "minus=0/0 cols=672/672"},
    {"blastx.txt", 0,
     "query query_x1 length=543 hits=5 program=blastx number=1 round= absent= partial=",
     "hit P50000 id=P50000 length=131 pairs=1\n"
     "pair bits=229 score=585 e=9e-82(0) ident=112/131 pos=117 gaps=0 q=91-483 s=1-131 "
     "frames=1/0 minus=0/0 cols=131/131"},
    {"tblastn.txt", 0,
     "query query_p1 length=159 hits=5 program=tblastn number=1 round= absent= partial=",
     "hit AB00000.1 id=AB00000.1 length=627 pairs=1\n"
     "pair bits=255 score=652 e=4e-91(0) ident=129/158 pos=133 gaps=3 q=5-159 s=94-567 "
     "frames=1/0 minus=0/0 cols=158/158"},
    {"tblastx.txt", 0,
     "query query_n1 length=669 hits=5 program=tblastx number=1 round= absent= partial=",
     "hit AB30001.1 id=AB30001.1 length=672 pairs=20\n"
     "pair bits=204 score=440 e=5e-145(3) ident=75/82 pos=76 gaps=0 q=424-669 s=427-672 "
     "frames=1/1 minus=0/0 cols=82/82"},
    {"psiblast.txt", 0,
     "query query_p1 length=159 hits=5 program=psiblast number=1 round=2 absent= partial=",
     "hit P00000 id=P00000 length=159 pairs=1\n"
     "pair bits=266 score=680 e=2e-96(0) ident=129/158 pos=133 gaps=3 q=5-159 s=2-159 "
     "frames=0/0 minus=0/0 cols=158/158"},
    {"blastp_noalign.txt", 0,
     "query query_p1 length=159 hits=5 program=blastp number=1 round= "
     "absent=alignments,hit_length,raw_score,identities,positives,gaps,rows,frames partial=",
     "hit P00000 id=P00000 length=0 pairs=1\n"
     "pair bits=254 score=0 e=1e-91(0) ident=0/0 pos=0 gaps=0 q=0-0 s=0-0 frames=0/0 minus=0/0 "
     "cols=0/0"},
};

TEST(BlastPlusText, ResultsHoldWhatTheReportsSay) {
  for (const CExpectedResult& expected : kExpected) {
    SCOPED_TRACE(std::string(expected.file) + " result " + std::to_string(expected.result));
    const std::string bytes = DataFile(expected.file);
    CReadOutcome outcome = ReadBytes(bytes, false);
    ASSERT_EQ(outcome.error, "");
    ASSERT_EQ(outcome.results.size(), 3u);
    const CBlastSearchEntry& entry = *outcome.results[expected.result];
    EXPECT_EQ(QueryLine(entry), expected.query);
    EXPECT_EQ(FirstHitLines(entry), expected.firstHit);
  }
}

TEST(BlastPlusText, HeadingAndDefinitionsAreJoined) {
  CReadOutcome outcome = ReadBytes(DataFile("blastp.txt"), false);
  ASSERT_EQ(outcome.results.size(), 3u);
  const CBlastSearchEntry& entry = *outcome.results[0];
  EXPECT_EQ(entry.m_Mol.m_strName,
            "query_p1 family 0 variant, a query whose definition is long enough to be wrapped "
            "over two lines by BLAST+");
  EXPECT_EQ(entry.m_Mol.m_nType, 2);
  EXPECT_EQ(GetResultInfo(entry, result_info::kVersion), "BLASTP 2.12.0+");
  EXPECT_EQ(GetResultInfo(entry, result_info::kDatabase), "generated proteins");
  EXPECT_EQ(GetResultInfo(entry, result_info::kLayout), "BLAST+ text");
  const CBlastSearchHit& hit = *entry.m_Hits.m_HitList.front();
  EXPECT_EQ(hit.m_strDescription,
            "family 0 member 0 protein of a generated organism with a long definition line that "
            "wraps");
  EXPECT_EQ(hit.m_nMolType, 2);
}

TEST(BlastPlusText, PsiBlastRoundsLastOrEvery) {
  const std::string bytes = DataFile("psiblast.txt");
  CReadOutcome last = ReadBytes(bytes, false);
  CReadOutcome every = ReadBytes(bytes, false, true);
  ASSERT_EQ(last.error + every.error, "");
  std::vector<std::string> lastRounds, everyRounds;
  for (const auto& entry : last.results)
    lastRounds.push_back(GetResultInfo(*entry, result_info::kQueryNumber) + ":" +
                         GetResultInfo(*entry, result_info::kRound));
  for (const auto& entry : every.results)
    everyRounds.push_back(GetResultInfo(*entry, result_info::kQueryNumber) + ":" +
                          GetResultInfo(*entry, result_info::kRound));
  EXPECT_EQ(lastRounds, (std::vector<std::string>{"1:2", "2:2", "3:1"}));
  EXPECT_EQ(everyRounds, (std::vector<std::string>{"1:1", "1:2", "2:1", "2:2", "3:1"}));
  // The last round read alone is the same as the last round read among every round.
  EXPECT_EQ(DumpEntry(*last.results[0]), DumpEntry(*every.results[1]));
  EXPECT_EQ(DumpEntry(*last.results[1]), DumpEntry(*every.results[3]));
  EXPECT_NE(DumpEntry(*every.results[0]), DumpEntry(*every.results[1]));
}

TEST(BlastPlusText, HtmlFormReadsAsTheText) {
  for (const char* program :
       {"blastn", "megablast", "blastp", "blastx", "tblastn", "tblastx", "psiblast"}) {
    SCOPED_TRACE(program);
    const std::string text = DataFile(std::string(program) + ".txt");
    const std::string html = DataFile(std::string(program) + ".html");
    for (bool every : {false, true}) {
      CReadOutcome fromText = ReadBytes(text, false, every);
      // Pieces of 7 bytes split tags and entities between reads.
      CViewReportSource trickle(html, "trickle", 7);
      CReadOutcome fromHtml = ReadAll(trickle, true, every);
      ASSERT_EQ(fromText.error + fromHtml.error, "");
      ASSERT_EQ(fromText.results.size(), fromHtml.results.size());
      for (std::size_t i = 0; i < fromText.results.size(); ++i)
        EXPECT_EQ(FullDump(*fromText.results[i]), FullDump(*fromHtml.results[i]));
      EXPECT_EQ(GetResultInfo(*fromHtml.results[0], result_info::kLayout), "BLAST+ HTML");
    }
  }
}

// Markup written into the first hit's definition line of a real page, and
// the description it must give.
const std::pair<const char*, const char*> kMarkup[] = {
    {"&lt;b&gt; &amp; &quot;x&quot;", "<b> & \"x\""},
    {"&#x41;&#66;&nbsp;Sch&auml;ffer",
     "AB Sch\xC3\xA4"
     "ffer"},
    {"&unknown; &#0; &#xD800; & a<=b", "&unknown; &#0; &#xD800; & a<=b"},
    {"<i\nclass=x>in</i>side", "inside"},
};

TEST(BlastPlusText, HtmlMarkupIsRemovedAndEntitiesDecoded) {
  const std::string page = DataFile("blastp.html");
  const std::string words = "family 0 member 0 protein";
  for (const auto& [markup, text] : kMarkup) {
    SCOPED_TRACE(markup);
    std::string bytes = page;
    bytes.replace(bytes.find(words, bytes.find("<a name=P00000>")), words.size(), markup);
    CViewReportSource source(bytes, "trickle", 5);
    CReadOutcome outcome = ReadAll(source, true);
    ASSERT_EQ(outcome.error, "");
    const CBlastSearchHit& hit = *outcome.results.at(0)->m_Hits.m_HitList.front();
    EXPECT_EQ(hit.m_strDescription, std::string(text) +
                                        " of a generated organism with a long definition line "
                                        "that wraps");
  }
}

std::string WithLineEnds(const std::string& text, const char* end) {
  std::string out;
  for (char c : text) {
    if (c == '\n')
      out += end;
    else
      out += c;
  }
  return out;
}

TEST(BlastPlusText, LineEndsAndChunkBoundariesDoNotMatter) {
  const std::string text = DataFile("tblastx.txt");
  CReadOutcome reference = ReadBytes(text, false);
  ASSERT_EQ(reference.results.size(), 3u);
  for (const char* end : {"\n", "\r\n", "\r"}) {
    const std::string variant = WithLineEnds(text, end);
    for (std::size_t piece : {1, 2, 3, 4096}) {
      SCOPED_TRACE(std::to_string(std::strlen(end)) + " byte line end, pieces of " +
                   std::to_string(piece));
      CViewReportSource source(variant, "trickle", piece);
      CReadOutcome outcome = ReadAll(source, false);
      ASSERT_EQ(outcome.error, "");
      ASSERT_EQ(outcome.results.size(), reference.results.size());
      for (std::size_t i = 0; i < outcome.results.size(); ++i)
        EXPECT_EQ(FullDump(*outcome.results[i]), FullDump(*reference.results[i]));
    }
  }
}

// A report cut anywhere gives whole results, then at most one result that
// either equals its whole reading or says it is partial, or a clean error.
TEST(BlastPlusText, CutOffReportsNeverPassForWhole) {
  for (const char* file : {"blastp.txt", "psiblast.txt", "blastp_noalign.txt", "tblastx.html"}) {
    const std::string bytes = DataFile(file);
    const bool html = std::string(file).ends_with(".html");
    for (bool every : {false, true}) {
      CReadOutcome whole = ReadBytes(bytes, html, every);
      ASSERT_EQ(whole.error, "");
      std::vector<std::string> wholeDumps;
      for (const auto& result : whole.results) wholeDumps.push_back(FullDump(*result));
      for (std::size_t cut = 0; cut < bytes.size(); cut += 23) {
        SCOPED_TRACE(std::string(file) + " cut at " + std::to_string(cut));
        CReadOutcome part = ReadBytes(std::string_view(bytes).substr(0, cut), html, every);
        ASSERT_LE(part.results.size(), whole.results.size());
        for (std::size_t i = 0; i < part.results.size(); ++i) {
          const CBlastSearchEntry& got = *part.results[i];
          const bool same = FullDump(got) == wholeDumps[i];
          if (i + 1 < part.results.size()) {
            ASSERT_TRUE(same);
          }
          if (!same) {
            ASSERT_NE(GetResultInfo(got, result_info::kPartial), "");
          }
        }
        if (!part.error.empty()) {
          EXPECT_EQ(part.error.rfind("line ", 0), 0u) << part.error;
        }
      }
    }
  }
}

struct CDamage {
  const char* file;
  const char* find;
  const char* replace;
  const char* what;
};

// Values that must be numbers and are not: a CReportError naming the line.
const CDamage kDamages[] = {
    {"blastp.txt", "Length=159", "Length=15x", "the length is not a number"},
    {"blastp.txt", "Score = 254 bits", "Score = 2x4 bits", "the bit score is not a number"},
    {"blastp.txt", "(650)", "(6s0)", "the raw score is not a number"},
    {"blastp.txt", "Expect = 1e-91,", "Expect = 1e-9z,", "the Expect value is not a number"},
    {"tblastx.txt", "Expect(3)", "Expect(x)", "the Expect count is not a number"},
    {"blastp.txt", "Identities = 129/158", "Identities = 129158", "are not a fraction"},
    {"blastx.txt", "Frame = +1", "Frame = +y", "the frame is not a number"},
    {"blastp.txt", "Query  5    FFF", "Query  x    FFF", "the row's start is not a number"},
    {"blastp.txt", "FFMLLDADYWMFVVIAHPQFHHIPYYSSKPFKYLKCEYEWGEAINETAPPDGDTSGAMSM  61", "61",
     "the row is not start, residues and end"},
    {"psiblast.txt", "Results from round 2", "Results from round X", "the round is not a number"},
    {"blastp_noalign.txt", "254     1e-91", "254     1e-9q", "a summary line without"},
};

TEST(BlastPlusText, DamagedValuesAreErrorsNamingTheLine) {
  for (const CDamage& damage : kDamages) {
    SCOPED_TRACE(std::string(damage.file) + ": " + damage.replace);
    std::string bytes = DataFile(damage.file);
    const std::size_t at = bytes.find(damage.find);
    ASSERT_NE(at, std::string::npos);
    bytes.replace(at, std::strlen(damage.find), damage.replace);
    const auto line = 1 + std::count(bytes.begin(), bytes.begin() + at, '\n');
    CReadOutcome outcome = ReadBytes(bytes, false);
    EXPECT_EQ(outcome.error.rfind("line " + std::to_string(line) + ": ", 0), 0u) << outcome.error;
    EXPECT_NE(outcome.error.find(damage.what), std::string::npos) << outcome.error;
  }
}

TEST(BlastPlusText, EndlessLineIsRefusedWithoutHoldingIt) {
  CEndlessSource text("BLASTP 2.12.0+\nQuery= x\n", 'A', std::size_t{64} << 20);
  CReadOutcome outcome = ReadAll(text, false);
  EXPECT_EQ(outcome.error.rfind("line 3 is longer than", 0), 0u) << outcome.error;
  EXPECT_LT(text.BytesRead(), std::size_t{4} << 20);
  // In the HTML form an endless tag is markup: dropped as it is read.
  CEndlessSource html("<PRE>BLASTP 2.12.0+\n<a href=", 'x', std::size_t{16} << 20);
  outcome = ReadAll(html, true);
  EXPECT_EQ(outcome.error, "line 1: the report ends before its first \"Query=\" line");
  EXPECT_TRUE(outcome.results.empty());
}

std::size_t CountLinesStarting(const std::string& text, std::string_view prefix) {
  std::size_t count = text.rfind(prefix, 0) == 0 ? 1 : 0;
  for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1))
    if (text.compare(at + 1, prefix.size(), prefix) == 0) ++count;
  return count;
}

// The older BLAST+ reports: one result a query, every hit and segment pair,
// nothing partial.
TEST(BlastPlusText, CorpusReportsReadWhole) {
  SKIP_WITHOUT_CORPUS();
  const auto files = CorpusFiles("blastplus-text");
  ASSERT_FALSE(files.empty());
  for (const fs::path& file : files) {
    SCOPED_TRACE(file.string());
    const std::string bytes = ReadWholeFile(file);
    CReadOutcome outcome = ReadBytes(bytes, false);
    ASSERT_EQ(outcome.error, "");
    ASSERT_EQ(outcome.results.size(), CountLinesStarting(bytes, "Query="));
    std::size_t hits = 0, pairs = 0;
    for (const auto& entry : outcome.results) {
      EXPECT_EQ(GetResultInfo(*entry, result_info::kPartial), "");
      EXPECT_GT(entry->m_Mol.m_nLength, 0);
      hits += entry->m_Hits.m_HitList.size();
      for (const auto& hit : entry->m_Hits.m_HitList) {
        pairs += hit->m_ElementList.size();
        for (const auto& element : hit->m_ElementList)
          EXPECT_EQ(element->m_Query.m_strSeq.size(), element->m_Subject.m_strSeq.size());
      }
    }
    EXPECT_EQ(hits, CountLinesStarting(bytes, ">"));
    EXPECT_EQ(pairs, CountLinesStarting(bytes, " Score ="));
  }
  // The first alignment of a BLAST+ 2.2.22 report, as the report gives it.
  CReadOutcome outcome =
      ReadBytes(ReadWholeFile(CorpusDir() / "blastplus-text/text_2222_blastx_001.txt"), false);
  ASSERT_EQ(outcome.results.size(), 7u);
  EXPECT_EQ(outcome.results[0]->m_Mol.m_nLength, 1002);
  EXPECT_EQ(FirstHitLines(*outcome.results[0]),
            "hit gb|ABR25402.1| id=ABR25402.1 length=26 pairs=1\n"
            "pair bits=54.3 score=129 e=2e-05(0) ident=24/26 pos=25 gaps=0 q=911-988 s=1-26 "
            "frames=2/0 minus=0/0 cols=26/26");
  EXPECT_EQ(GetResultInfo(*outcome.results[0], result_info::kDatabase),
            "All non-redundant GenBank CDS translations+PDB+SwissProt+PIR+PRF excluding "
            "environmental samples from WGS projects");
}

}  // namespace

}  // namespace blastsearch
