#include "parse/BlastXmlReader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "model/BlastSearchEntry.h"
#include "model/ResultInfo.h"
#include "support/Corpus.h"
#include "support/EntryDump.h"

namespace blastsearch {

namespace {

using Results = std::vector<std::unique_ptr<CBlastSearchEntry>>;

std::string Report(const std::string& name) {
  return ReadWholeFile(std::string(BLASTSEARCH_SOURCE_DIR) + "/tests/data/blastplus/" + name);
}

Results Read(std::string_view bytes, bool xml2, const CResultReadOptions& options = {}) {
  CViewReportSource source(bytes, "test");
  std::unique_ptr<CResultReader> reader = MakeBlastXmlReader(source, options, xml2);
  Results results;
  for (;;) {
    auto entry = std::make_unique<CBlastSearchEntry>();
    if (reader->ReadNext(*entry) == 0) return results;
    results.push_back(std::move(entry));
  }
}

// The message of the CReportError that reading `bytes` ends with; empty when
// it ends without one.
std::string ErrorOf(std::string_view bytes, bool xml2) {
  try {
    Read(bytes, xml2);
  } catch (const CReportError& error) {
    return error.what();
  }
  return "";
}

const CBlastSearchHitElement& PairAt(const CBlastSearchEntry& entry, int hit, int pair) {
  auto h = std::next(entry.m_Hits.m_HitList.begin(), hit - 1);
  return **std::next((*h)->m_ElementList.begin(), pair - 1);
}

const CBlastSearchHit& HitAt(const CBlastSearchEntry& entry, int hit) {
  return **std::next(entry.m_Hits.m_HitList.begin(), hit - 1);
}

// One segment pair as the pairwise text of the same search shows it.
struct PairCase {
  const char* program;
  int result, hit, pair;
  const char* queryId;
  const char* hitName;
  const char* hitId;
  int queryStart, queryEnd, queryMinus;
  int subjectStart, subjectEnd, subjectMinus;
  int frame, subjectFrame;
  double bits;
  int score, identities, positives, columns;
};

const PairCase kPairs[] = {
    {"blastp", 1,   1, 1, "query_p1", "P00000", "P00000", 5,   159, 0,
     2,        159, 0, 0, 0,          254.988,  650,      129, 133, 158},
    // the subject on the minus strand, numbered downwards
    {"blastn", 2, 1, 1, "query_n2", "AB40001.1", "AB40001.1", 1,   400, 0,
     400,      1, 1, 0, 0,          668.533,     740,         388, 388, 400},
    // a query translated in frame -1: numbered downwards
    {"blastx", 2,   1, 1,  "query_x2", "P10001", "P10001", 603, 61,  1,
     1,        181, 0, -1, 0,          349.362,  895,      165, 169, 181},
    {"tblastx", 1, 1, 4,  "query_n1", "AB30001.1", "AB30001.1", 246, 1,  1,
     246,       1, 1, -1, -1,         198.097,     426,         79,  79, 82},
    {"tblastn", 1,   1, 1, "query_p1", "AB00000.1", "AB00000.1", 5, 159, 0,
     94,        567, 0, 1, 0,          0,           0,           0, 0,   0},
};

TEST(BlastXmlReader, ReadsPairsAsTheTextShowsThem) {
  for (const PairCase& c : kPairs) {
    for (bool xml2 : {false, true}) {
      SCOPED_TRACE(std::string(c.program) + (xml2 ? ".xml2" : ".xml"));
      const Results results =
          Read(Report(std::string(c.program) + (xml2 ? ".xml2" : ".xml")), xml2);
      ASSERT_GE(results.size(), static_cast<std::size_t>(c.result));
      const CBlastSearchEntry& entry = *results[c.result - 1];
      EXPECT_EQ(entry.m_Mol.m_strID, c.queryId);
      EXPECT_EQ(HitAt(entry, c.hit).m_strName, c.hitName);
      EXPECT_EQ(HitAt(entry, c.hit).m_strID, c.hitId);
      const CBlastSearchHitElement& pair = PairAt(entry, c.hit, c.pair);
      EXPECT_EQ(pair.m_Query.m_nStart, c.queryStart);
      EXPECT_EQ(pair.m_Query.m_nEnd, c.queryEnd);
      EXPECT_EQ(pair.m_Query.m_bMinusStrand, c.queryMinus);
      EXPECT_EQ(pair.m_Subject.m_nStart, c.subjectStart);
      EXPECT_EQ(pair.m_Subject.m_nEnd, c.subjectEnd);
      EXPECT_EQ(pair.m_Subject.m_bMinusStrand, c.subjectMinus);
      EXPECT_EQ(pair.m_nFrame, c.frame);
      EXPECT_EQ(GetSubjectFrame(pair), c.subjectFrame);
      if (c.score == 0) continue;  // only the numbering is pinned
      EXPECT_DOUBLE_EQ(pair.m_dBitScore, c.bits);
      EXPECT_EQ(pair.m_nScore, c.score);
      EXPECT_EQ(pair.m_nIdentities, c.identities);
      EXPECT_EQ(pair.m_nPositives, c.positives);
      EXPECT_EQ(pair.m_nAlignLength, c.columns);
      EXPECT_EQ(pair.m_Query.m_nLength, c.columns);
      EXPECT_EQ(pair.m_Subject.m_nLength, c.columns);
      EXPECT_EQ(pair.m_Query.m_strSeq.size(), static_cast<std::size_t>(c.columns));
    }
  }
}

// The results of a report as "query/round/hits" each.
std::string Outline(const Results& results) {
  std::string out;
  for (const auto& entry : results)
    out += GetResultInfo(*entry, result_info::kQueryNumber) + "/" +
           GetResultInfo(*entry, result_info::kRound) + "/" +
           std::to_string(entry->m_Hits.m_HitList.size()) + " ";
  return out;
}

TEST(BlastXmlReader, GivesOneResultPerQueryOrEveryRound) {
  struct Case {
    const char* program;
    bool bEveryRound;
    const char* outline;
  };
  const Case cases[] = {
      {"blastp", false, "1//5 2//10 3//0 "},
      {"megablast", false, "1//1 2//1 3//0 "},
      {"psiblast", false, "1/2/5 2/2/10 3/1/0 "},
      {"psiblast", true, "1/1/5 1/2/5 2/1/10 2/2/10 3/1/0 "},
  };
  for (const Case& c : cases) {
    CResultReadOptions options;
    options.bEveryRound = c.bEveryRound;
    for (bool xml2 : {false, true}) {
      SCOPED_TRACE(std::string(c.program) + (xml2 ? ".xml2" : ".xml"));
      EXPECT_EQ(
          Outline(Read(Report(std::string(c.program) + (xml2 ? ".xml2" : ".xml")), xml2, options)),
          c.outline);
    }
  }
}

TEST(BlastXmlReader, SetsTheQueryAndTheReportInfo) {
  const Results results = Read(Report("blastx.xml"), false);
  ASSERT_EQ(results.size(), 3u);
  const CBlastSearchEntry& first = *results[0];
  EXPECT_EQ(GetResultInfo(first, result_info::kLayout), "BLAST+ XML");
  EXPECT_EQ(GetResultInfo(first, result_info::kProgram), "blastx");
  EXPECT_EQ(GetResultInfo(first, result_info::kVersion), "BLASTX 2.12.0+");
  EXPECT_NE(GetResultInfo(first, result_info::kDatabase).find("protdb"), std::string::npos);
  EXPECT_EQ(GetResultInfo(first, result_info::kPartial), "");
  EXPECT_EQ(GetResultInfo(first, result_info::kAbsent), "");
  EXPECT_EQ(first.m_Mol.m_nType, 1);
  EXPECT_EQ(HitAt(first, 1).m_nMolType, 2);
  EXPECT_EQ(results[2]->m_Mol.m_strName, "query_x3 random, no hits");
  EXPECT_GT(results[2]->m_Mol.m_nLength, 0);
}

TEST(BlastXmlReader, NamesQueriesAndHitsAsTheTextDoes) {
  const std::string query1 =
      "query_p1 family 0 variant, a query whose definition is long enough to be wrapped over two "
      "lines by BLAST+";
  const std::string member0 =
      "family 0 member 0 protein of a generated organism with a long definition line that wraps";
  struct Case {
    const char* report;
    std::string queryName;
    const char *hitName, *linkId;
    std::string description;
  };
  const Case cases[] = {
      {"blastp", query1, "P00000", "P00000", member0},
      {"blastn", "query_n1 family 3 member 1 gene", "AB30001.1", "AB30001.1",
       "family 3 member 1 gene, complete cds"},
      // query identifiers parsed, database identifiers numbered by BLAST+
      {"blastp_plainids", query1, "sp|P00000|FAM0_M0", "P00000", member0},
  };
  for (const Case& c : cases) {
    for (bool xml2 : {false, true}) {
      SCOPED_TRACE(std::string(c.report) + (xml2 ? ".xml2" : ".xml"));
      const Results results = Read(Report(std::string(c.report) + (xml2 ? ".xml2" : ".xml")), xml2);
      ASSERT_FALSE(results.empty());
      EXPECT_EQ(results[0]->m_Mol.m_strName, c.queryName);
      const CBlastSearchHit& hit = HitAt(*results[0], 1);
      EXPECT_EQ(hit.m_strName, c.hitName);
      EXPECT_EQ(hit.m_strID, c.linkId);
      EXPECT_EQ(hit.m_strDescription, c.description);
    }
  }
}

// Markup written by hand for what no BLAST+ run writes: damaged and hostile
// documents.
std::string Xml(const std::string& iterations) {
  return "<?xml version=\"1.0\"?>\n<BlastOutput>\n<BlastOutput_program>blastp</BlastOutput_program>"
         "<BlastOutput_iterations>" +
         iterations + "</BlastOutput_iterations></BlastOutput>\n";
}

std::string Iteration(const std::string& def, const std::string& score = "50") {
  return "<Iteration><Iteration_query-ID>Query_1</Iteration_query-ID><Iteration_query-def>" + def +
         "</Iteration_query-def><Iteration_hits><Hit><Hit_id>sp|P1|X</Hit_id><Hit_hsps><Hsp>"
         "<Hsp_score>" +
         score + "</Hsp_score></Hsp></Hit_hsps></Hit></Iteration_hits></Iteration>";
}

TEST(BlastXmlReader, RefusesDamagedOrHostileMarkup) {
  const std::string laughs =
      "<?xml version=\"1.0\"?><!DOCTYPE BlastOutput [<!ENTITY a \"aaaaaaaaaa\">"
      "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\"><!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">"
      "<!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\"><!ENTITY e \"&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;\">"
      "<!ENTITY f \"&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;\"><!ENTITY g \"&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;\">"
      "<!ENTITY h \"&g;&g;&g;&g;&g;&g;&g;&g;&g;&g;\"><!ENTITY i "
      "\"&h;&h;&h;&h;&h;&h;&h;&h;&h;&h;\">]>"
      "<BlastOutput><BlastOutput_version>&i;</BlastOutput_version></BlastOutput>";
  const std::string external =
      "<?xml version=\"1.0\"?><!DOCTYPE BlastOutput [<!ENTITY x SYSTEM \"file:///etc/passwd\">]>"
      "<BlastOutput>" +
      Iteration("&x;") + "</BlastOutput>";
  std::string deep;
  for (int i = 0; i < 70; ++i) deep += "<a>";
  struct Case {
    const char* what;
    std::string bytes;
    bool xml2;
    const char* message;
  };
  const Case cases[] = {
      {"mismatched tags", Xml("<Iteration></Hit>"), false, "mismatched tag (line 3"},
      {"no number", Xml(Iteration("q", "12x")), false, "\"12x\" is not a whole number (line 3"},
      {"a number too large", Xml(Iteration("q", "99999999999")), false, "is not a whole number"},
      {"another document", "<html><body>BLAST</body></html>", false, "not BLAST+ XML"},
      {"XML2 given as XML", Report("blastp.xml2"), false, "not BLAST+ XML"},
      {"XML given as XML2", Report("blastp.xml"), true, "not BLAST+ XML2"},
      {"nothing", "", false, "no XML element"},
      {"a result in a result", Xml("<Iteration><Iteration>"), false, "inside another"},
      {"entity expansion", laughs, false, "document type declares"},
      {"an external entity", external, false, "document type declares"},
      {"junk after the report", Xml("") + "<more/>", false, "junk after document element"},
      {"an undefined entity", Xml(Iteration("q&nbsp;")), false,
       "undefined entity \"&nbsp;\" (line 3"},
      {"a reference to no character", Xml(Iteration("q&#1;")), false, "invalid character number"},
      {"another encoding", "<?xml version=\"1.0\" encoding=\"UTF-16\"?>" + Xml("").substr(22),
       false, "only UTF-8 XML is read (line 1, column 1)"},
      {"nested too deep", Xml(deep), false, "nested more than 64 deep"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_NE(ErrorOf(c.bytes, c.xml2).find(c.message), std::string::npos)
        << ErrorOf(c.bytes, c.xml2);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  }
}

TEST(BlastXmlReader, ReportsACutBetweenResultsAfterTheResultsBefore) {
  const std::string bytes = Report("blastp.xml");
  const std::size_t cut = bytes.find("</Iteration>") + 13;
  CViewReportSource source(std::string_view(bytes).substr(0, cut), "blastp.xml");
  std::unique_ptr<CResultReader> reader = MakeBlastXmlReader(source, {}, false);
  CBlastSearchEntry first, second;
  EXPECT_EQ(reader->ReadNext(first), 1);
  EXPECT_EQ(GetResultInfo(first, result_info::kPartial), "");
  EXPECT_EQ(first.m_Hits.m_HitList.size(), 5u);
  try {
    reader->ReadNext(second);
    ADD_FAILURE() << "a cut report read as whole";
  } catch (const CReportError& error) {
    EXPECT_NE(std::string(error.what()).find("ends before its end after 1 query"),
              std::string::npos)
        << error.what();
  }
}

}  // namespace

namespace {

// The offset just past the `count`-th `needle` after the second result's
// start (moved by `shift`).
std::size_t InSecondResult(const std::string& bytes, const std::string& needle, int count,
                           std::ptrdiff_t shift) {
  std::size_t at = bytes.find("<Iteration>", bytes.find("<Iteration>") + 1);
  for (int i = 0; i < count; ++i) at = bytes.find(needle, at) + needle.size();
  return static_cast<std::size_t>(static_cast<std::ptrdiff_t>(at) + shift);
}

TEST(BlastXmlReader, GivesTheResultCutOffWithItsWholeHits) {
  struct Cut {
    const char* what;
    const char* needle;
    int count;
    std::ptrdiff_t shift;
    std::size_t hits;  // of the second result, marked partial
  };
  const Cut cuts[] = {
      {"in its query definition", "<Iteration_query-def>", 1, 5, 0},
      {"in the first pair's score", "<Hsp_score>", 1, 1, 0},
      {"in the third hit's row", "<Hsp_qseq>", 3, 40, 2},
      {"in a tag", "<Hsp_hseq>", 3, -4, 2},
      {"in an entity", "&amp;", 0, 0, 0},
      {"after the third hit's pair", "</Hsp>", 3, 0, 3},
      {"after the third hit", "</Hit>", 3, 0, 3},
  };
  const std::string bytes = Report("blastp.xml");
  for (const Cut& c : cuts) {
    SCOPED_TRACE(c.what);
    const std::size_t at =
        c.count == 0 ? bytes.find(c.needle) + 3 : InSecondResult(bytes, c.needle, c.count, c.shift);
    const std::string_view cut = std::string_view(bytes).substr(0, at);
    if (c.count == 0) {  // before the first result: nothing to give but the error
      EXPECT_NE(ErrorOf(cut, false).find("ends before its end after 0 queries"), std::string::npos)
          << ErrorOf(cut, false);
      continue;
    }
    const Results results = Read(cut, false);
    ASSERT_EQ(results.size(), 2u);
    EXPECT_EQ(GetResultInfo(*results[0], result_info::kPartial), "");
    EXPECT_NE(GetResultInfo(*results[1], result_info::kPartial), "");
    EXPECT_EQ(results[1]->m_Hits.m_HitList.size(), c.hits);
    for (const auto& hit : results[1]->m_Hits.m_HitList) {
      EXPECT_FALSE(hit->m_strName.empty());
      for (const auto& pair : hit->m_ElementList)
        EXPECT_EQ(pair->m_Subject.m_strSeq.size(), static_cast<std::size_t>(pair->m_nAlignLength));
    }
  }
}

}  // namespace

namespace {

// The query line is the definition alone where BLAST+ made the identifier up,
// as its early versions did too ("lcl|1"); a parsed identifier leads it.
TEST(BlastXmlReader, LeadsTheQueryLineWithParsedIdentifiersOnly) {
  const std::string definition =
      "query_p1 family 0 variant, a query whose definition is long enough to be wrapped over two "
      "lines by BLAST+";
  struct Case {
    const char* id;
    std::string name;
  };
  const Case cases[] = {
      {"Query_1", definition},
      {"lcl|Query_1", definition},
      {"lcl|1", definition},
      {"lcl|1_0", definition},
      {"lcl|q1", "lcl|q1 " + definition},
      {"Query_x", "Query_x " + definition},
      {"lcl|1_", "lcl|1_ " + definition},
  };
  const std::string real = Report("blastp.xml");
  const std::string field = "<Iteration_query-ID>Query_1<";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    std::string bytes = real;
    bytes.replace(bytes.find(field), field.size(),
                  std::string("<Iteration_query-ID>") + c.id + "<");
    const Results results = Read(bytes, false);
    ASSERT_EQ(results.size(), 3u);
    EXPECT_EQ(results[0]->m_Mol.m_strName, c.name);
  }
}

}  // namespace

namespace {

// Whole documents one after the other, as old blastall wrote one per query,
// read as one report whatever pieces the bytes come in.
TEST(BlastXmlReader, ReadsDocumentsOneAfterTheOther) {
  const std::string blastp = Report("blastp.xml"), blastn = Report("blastn.xml");
  const Results alone = Read(blastp, false), after = Read(blastn, false);
  const std::string both = blastp + blastn;
  for (std::size_t step : {std::size_t{1}, std::size_t{7}, std::size_t{4093}, both.size()}) {
    SCOPED_TRACE(step);
    CViewReportSource source(both, "pieces", step);
    std::unique_ptr<CResultReader> reader = MakeBlastXmlReader(source, {}, false);
    Results results;
    for (;;) {
      auto entry = std::make_unique<CBlastSearchEntry>();
      if (reader->ReadNext(*entry) == 0) break;
      results.push_back(std::move(entry));
    }
    ASSERT_EQ(results.size(), alone.size() + after.size());
    for (std::size_t i = 0; i < results.size(); ++i) {
      const CBlastSearchEntry& want = i < alone.size() ? *alone[i] : *after[i - alone.size()];
      EXPECT_EQ(DumpEntry(*results[i]), DumpEntry(want));
      EXPECT_EQ(GetResultInfo(*results[i], result_info::kProgram),
                GetResultInfo(want, result_info::kProgram));
      EXPECT_EQ(GetResultInfo(*results[i], result_info::kQueryNumber), std::to_string(i + 1));
    }
  }
  // What follows a document and opens none is damage.
  EXPECT_NE(ErrorOf(blastp + "<Hit/>", false).find("junk after document element"),
            std::string::npos);
}

}  // namespace

}  // namespace blastsearch

namespace blastsearch {

namespace {

// A report cut anywhere before its root element closes never reads as whole:
// its last result is marked partial, or the read ends in an error; and the
// bytes coming in thin pieces change nothing.
TEST(BlastXmlReader, NeverTakesACutReportForWhole) {
  for (const bool xml2 : {false, true}) {
    const std::string bytes = Report(xml2 ? "megablast.xml2" : "megablast.xml");
    const std::size_t rootEnd = bytes.rfind("</");
    for (std::size_t at = 0; at < rootEnd; at += 13) {
      SCOPED_TRACE(std::to_string(at) + (xml2 ? " in XML2" : " in XML"));
      for (const std::size_t piece : {std::size_t{5}, at + 1}) {
        CViewReportSource source(std::string_view(bytes).substr(0, at), "cut", piece);
        std::unique_ptr<CResultReader> reader = MakeBlastXmlReader(source, {}, xml2);
        std::string lastPartial = "none read";
        try {
          for (;;) {
            CBlastSearchEntry entry;
            if (reader->ReadNext(entry) == 0) break;
            lastPartial = GetResultInfo(entry, result_info::kPartial);
          }
        } catch (const CReportError&) {
          continue;
        }
        EXPECT_NE(lastPartial, "");
        EXPECT_NE(lastPartial, "none read");
      }
    }
  }
}

}  // namespace

}  // namespace blastsearch
