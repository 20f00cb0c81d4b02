// Every BLAST+ layout read from the same searches must give the same results
// as the XML reading, field by field, apart from what a layout does not carry
// and the rounding of printed scores.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "model/BlastSearchEntry.h"
#include "model/ResultInfo.h"
#include "parse/BlastJsonReader.h"
#include "parse/BlastPlusTextReader.h"
#include "parse/BlastTabularReader.h"
#include "parse/BlastXmlReader.h"
#include "support/Corpus.h"
#include "support/EntryDump.h"

namespace blastsearch {

namespace {

using Results = std::vector<std::unique_ptr<CBlastSearchEntry>>;
using MakeReader =
    std::function<std::unique_ptr<CResultReader>(CReportSource&, const CResultReadOptions&)>;

// One layout: its file name ending, its reader, and what its printing loses.
struct Format {
  const char* ext;
  ReportLayout layout;
  MakeReader make;
  bool bRounded;       // bit scores and expect values printed with few digits
  bool bQueryLine;     // the whole query line is given (else its first word)
  bool bEmptyQueries;  // queries without hits are listed
};

const std::vector<Format>& Formats() {
  static const std::vector<Format> formats = {
      {"xml", ReportLayout::BlastXml,
       [](CReportSource& s, const CResultReadOptions& o) {
         return MakeBlastXmlReader(s, o, false);
       },
       false, true, true},
      {"xml2", ReportLayout::BlastXml2,
       [](CReportSource& s, const CResultReadOptions& o) { return MakeBlastXmlReader(s, o, true); },
       false, true, true},
      {"txt", ReportLayout::BlastPlusText,
       [](CReportSource& s, const CResultReadOptions& o) {
         return MakeBlastPlusTextReader(s, o, false);
       },
       true, true, true},
      {"html", ReportLayout::BlastPlusHtml,
       [](CReportSource& s, const CResultReadOptions& o) {
         return MakeBlastPlusTextReader(s, o, true);
       },
       true, true, true},
      {"json", ReportLayout::BlastJson,
       [](CReportSource& s, const CResultReadOptions& o) { return MakeBlastJsonReader(s, o); },
       false, true, true},
      {"tsv", ReportLayout::Tabular,
       [](CReportSource& s, const CResultReadOptions& o) {
         return MakeBlastTabularReader(s, o, ReportLayout::Tabular);
       },
       true, false, false},
      {"tab7", ReportLayout::CommentedTabular,
       [](CReportSource& s, const CResultReadOptions& o) {
         return MakeBlastTabularReader(s, o, ReportLayout::CommentedTabular);
       },
       true, true, true},
      {"csv", ReportLayout::Csv,
       [](CReportSource& s, const CResultReadOptions& o) {
         return MakeBlastTabularReader(s, o, ReportLayout::Csv);
       },
       true, false, false},
  };
  return formats;
}

// The searches of tests/data/blastplus (blastp_plainids: identifiers that
// BLAST+ did not parse from the database, in three layouts only).
const char* const kPrograms[] = {"blastn",  "megablast", "blastp",   "blastx",
                                 "tblastn", "tblastx",   "psiblast", "blastp_plainids"};

std::string ReportPath(const std::string& name) {
  return std::string(BLASTSEARCH_SOURCE_DIR) + "/tests/data/blastplus/" + name;
}

Results ReadAll(CReportSource& source, const MakeReader& make,
                const CResultReadOptions& options = {}) {
  Results results;
  std::unique_ptr<CResultReader> reader = make(source, options);
  for (;;) {
    auto entry = std::make_unique<CBlastSearchEntry>();
    if (reader->ReadNext(*entry) == 0) break;
    results.push_back(std::move(entry));
  }
  return results;
}

Results ReadBytes(std::string_view bytes, const MakeReader& make,
                  const CResultReadOptions& options = {}) {
  CViewReportSource source(bytes, "test");
  return ReadAll(source, make, options);
}

const MakeReader& XmlReader(bool xml2) { return Formats()[xml2 ? 1 : 0].make; }

// The differences between `got` (read from `format`) and `want` (the XML
// reading), one line each.
class CComparison {
 public:
  CComparison(const Format& format, const CBlastSearchEntry& got) : m_format(format), m_got(got) {}

  void Text(const std::string& where, const std::string& got, const std::string& want) {
    if (got != want) m_out << where << ": \"" << got << "\" != \"" << want << "\"\n";
  }
  void Number(const std::string& where, double got, double want, double tolerance = 0) {
    if (std::fabs(got - want) > tolerance) m_out << where << ": " << got << " != " << want << "\n";
  }
  bool Absent(std::string_view field) const { return IsFieldAbsent(m_got, field); }
  std::string Report() const { return m_out.str(); }

  void Element(const std::string& where, const CBlastSearchHitElement& got,
               const CBlastSearchHitElement& want) {
    using namespace result_info;
    // Printed bit scores keep one decimal below 100 and none above; printed
    // expect values keep one to three significant digits.
    Number(where + " bits", got.m_dBitScore, want.m_dBitScore, m_format.bRounded ? 1.0 : 0);
    Number(where + " expect", got.m_dExpect, want.m_dExpect,
           m_format.bRounded ? 0.5 * std::fabs(want.m_dExpect) : 0);
    if (!Absent(kAbsentRawScore)) Number(where + " score", got.m_nScore, want.m_nScore);
    if (!Absent(kAbsentIdentities))
      Number(where + " identities", got.m_nIdentities, want.m_nIdentities);
    if (!Absent(kAbsentPositives))
      Number(where + " positives", got.m_nPositives, want.m_nPositives);
    if (!Absent(kAbsentGaps)) Number(where + " gaps", got.m_nGaps, want.m_nGaps);
    Number(where + " alignment length", got.m_nAlignLength, want.m_nAlignLength);
    if (!Absent(kAbsentFrames)) {
      Number(where + " frame", got.m_nFrame, want.m_nFrame);
      Number(where + " subject frame", GetSubjectFrame(got), GetSubjectFrame(want));
      Number(where + " query minus", got.m_Query.m_bMinusStrand, want.m_Query.m_bMinusStrand);
      Number(where + " subject minus", got.m_Subject.m_bMinusStrand, want.m_Subject.m_bMinusStrand);
    }
    Row(where + " query", got.m_Query, want.m_Query);
    Row(where + " subject", got.m_Subject, want.m_Subject);
  }

  void Row(const std::string& where, const CBlastSearchSeqComponent& got,
           const CBlastSearchSeqComponent& want) {
    Number(where + " start", got.m_nStart, want.m_nStart);
    Number(where + " end", got.m_nEnd, want.m_nEnd);
    if (Absent(result_info::kAbsentRows)) return;
    Number(where + " length", got.m_nLength, want.m_nLength);
    // XML of tblastx shows the residues masked by the filter as X; the other
    // layouts show them.
    const bool masked = got.m_strSeq.size() == want.m_strSeq.size() &&
                        std::equal(got.m_strSeq.begin(), got.m_strSeq.end(), want.m_strSeq.begin(),
                                   [](char g, char w) { return g == w || w == 'X'; });
    if (!masked) Text(where + " row", got.m_strSeq, want.m_strSeq);
  }

  void Hit(const std::string& where, const CBlastSearchHit& got, const CBlastSearchHit& want) {
    using namespace result_info;
    Text(where + " name", got.m_strName, want.m_strName);
    Text(where + " id", got.m_strID, want.m_strID);
    if (!Absent(kAbsentDescription))
      Text(where + " description", got.m_strDescription, want.m_strDescription);
    if (!Absent(kAbsentHitLength)) Number(where + " length", got.m_nLength, want.m_nLength);
    Number(where + " type", got.m_nMolType, want.m_nMolType);
    if (Absent(kAbsentAlignments)) return;
    Number(where + " pairs", static_cast<double>(got.m_ElementList.size()),
           static_cast<double>(want.m_ElementList.size()));
    auto g = got.m_ElementList.begin();
    auto w = want.m_ElementList.begin();
    for (int n = 1; g != got.m_ElementList.end() && w != want.m_ElementList.end(); ++g, ++w, ++n)
      Element(where + " pair " + std::to_string(n), **g, **w);
  }

  void Result(const std::string& where, const CBlastSearchEntry& want) {
    const CBlastSearchEntry& got = m_got;
    if (m_format.bQueryLine) Text(where + " query", got.m_Mol.m_strName, want.m_Mol.m_strName);
    Text(where + " query id", got.m_Mol.m_strID, want.m_Mol.m_strID);
    if (!Absent(result_info::kAbsentQueryLength))
      Number(where + " query length", got.m_Mol.m_nLength, want.m_Mol.m_nLength);
    Number(where + " query type", got.m_Mol.m_nType, want.m_Mol.m_nType);
    Text(where + " layout", GetResultInfo(got, result_info::kLayout),
         ReportLayoutName(m_format.layout));
    for (std::string_view key : {result_info::kRound, result_info::kPartial})
      Text(where + " " + std::string(key), GetResultInfo(got, key), GetResultInfo(want, key));
    if (m_format.bEmptyQueries)
      Text(where + " query number", GetResultInfo(got, result_info::kQueryNumber),
           GetResultInfo(want, result_info::kQueryNumber));
    Number(where + " hits", static_cast<double>(got.m_Hits.m_HitList.size()),
           static_cast<double>(want.m_Hits.m_HitList.size()));
    auto g = got.m_Hits.m_HitList.begin();
    auto w = want.m_Hits.m_HitList.begin();
    for (int n = 1; g != got.m_Hits.m_HitList.end() && w != want.m_Hits.m_HitList.end();
         ++g, ++w, ++n)
      Hit(where + " hit " + std::to_string(n), **g, **w);
  }

 private:
  const Format& m_format;
  const CBlastSearchEntry& m_got;
  std::ostringstream m_out;
};

struct Case {
  std::string program;
  const Format* format;
};

std::vector<Case> AllCases() {
  std::vector<Case> cases;
  for (const char* program : kPrograms)
    for (const Format& format : Formats())
      if (std::filesystem::exists(ReportPath(std::string(program) + "." + format.ext)))
        cases.push_back({program, &format});
  return cases;
}

void PrintTo(const Case& c, std::ostream* out) { *out << c.program << "." << c.format->ext; }

class ResultReaders : public ::testing::TestWithParam<Case> {};

void CompareWithXml(const Case& c, const CResultReadOptions& options) {
  const std::string path = ReportPath(c.program + "." + c.format->ext);
  // Tables without comment lines do not name their program: the user does.
  CResultReadOptions readOptions = options;
  if (c.format->layout == ReportLayout::Tabular || c.format->layout == ReportLayout::Csv)
    readOptions.strTabularProgram = c.program.substr(0, c.program.find('_'));
  const Results got = ReadBytes(ReadWholeFile(path), c.format->make, readOptions);
  Results want =
      ReadBytes(ReadWholeFile(ReportPath(c.program + ".xml")), XmlReader(false), options);
  if (!c.format->bEmptyQueries)
    std::erase_if(want, [](const auto& entry) { return entry->m_Hits.m_HitList.empty(); });
  ASSERT_EQ(got.size(), want.size()) << path;
  for (std::size_t i = 0; i < got.size(); ++i) {
    CComparison comparison(*c.format, *got[i]);
    comparison.Result("result " + std::to_string(i + 1), *want[i]);
    EXPECT_EQ(comparison.Report(), "") << path;
  }
}

TEST_P(ResultReaders, GiveTheXmlResults) { CompareWithXml(GetParam(), {}); }

class EveryRound : public ::testing::TestWithParam<Case> {};

TEST_P(EveryRound, GivesTheXmlResultsOfEveryRound) {
  CResultReadOptions options;
  options.bEveryRound = true;
  CompareWithXml(GetParam(), options);
}

INSTANTIATE_TEST_SUITE_P(AllLayouts, ResultReaders, ::testing::ValuesIn(AllCases()),
                         [](const auto& param) {
                           return param.param.program + "_" + param.param.format->ext;
                         });

std::vector<Case> RoundCases() {
  std::vector<Case> cases = AllCases();
  std::erase_if(cases, [](const Case& c) { return c.program != "psiblast"; });
  return cases;
}

INSTANTIATE_TEST_SUITE_P(AllLayouts, EveryRound, ::testing::ValuesIn(RoundCases()),
                         [](const auto& param) { return std::string(param.param.format->ext); });

}  // namespace

namespace {

std::string Dump(const CBlastSearchEntry& entry) {
  return DumpEntry(entry) + entry.m_Hits.m_strInfo;
}

TEST_P(ResultReaders, ReadTheSameInPiecesOfAnySize) {
  const Case& c = GetParam();
  const std::string bytes = ReadWholeFile(ReportPath(c.program + "." + c.format->ext));
  Results whole;
  whole = ReadBytes(bytes, c.format->make);
  for (std::size_t step : {std::size_t{1}, std::size_t{7}, std::size_t{4093}}) {
    CViewReportSource source(bytes, "trickle", step);
    const Results pieces = ReadAll(source, c.format->make);
    ASSERT_EQ(pieces.size(), whole.size()) << "pieces of " << step;
    for (std::size_t i = 0; i < whole.size(); ++i)
      EXPECT_EQ(Dump(*pieces[i]), Dump(*whole[i])) << "pieces of " << step;
  }
}

std::string ResultKey(const CBlastSearchEntry& entry) {
  return GetResultInfo(entry, result_info::kQueryNumber) + "/" +
         GetResultInfo(entry, result_info::kRound);
}

// A report cut anywhere gives the whole results before the cut unchanged,
// then the one being read marked partial, or an error; never a fault.
TEST(XmlReaders, ReadEveryCutOffReport) {
  for (const char* program : kPrograms) {
    for (bool xml2 : {false, true}) {
      const std::string name = std::string(program) + (xml2 ? ".xml2" : ".xml");
      SCOPED_TRACE(name);
      const std::string bytes = ReadWholeFile(ReportPath(name));
      // Every round of the whole report, by query and round.
      CResultReadOptions everyRound;
      everyRound.bEveryRound = true;
      std::map<std::string, std::string> whole;
      for (const auto& entry : ReadBytes(bytes, XmlReader(xml2), everyRound))
        whole[ResultKey(*entry)] = Dump(*entry);
      for (int percent = 0; percent < 100; ++percent) {
        const std::string_view cut =
            std::string_view(bytes).substr(0, bytes.size() * percent / 100);
        Results got;
        bool failed = false;
        CViewReportSource source(cut, name);
        std::unique_ptr<CResultReader> reader = XmlReader(xml2)(source, {});
        try {
          for (;;) {
            auto entry = std::make_unique<CBlastSearchEntry>();
            if (reader->ReadNext(*entry) == 0) break;
            got.push_back(std::move(entry));
          }
        } catch (const CReportError&) {
          failed = true;
        }
        ASSERT_TRUE(failed || !got.empty()) << percent << "%: a cut report read as whole";
        ASSERT_LE(got.size(), whole.size() + 1) << percent << "%";
        if (!failed) {
          EXPECT_NE(GetResultInfo(*got.back(), result_info::kPartial), "") << percent << "%";
        }
        for (std::size_t i = 0; i + (failed ? 0 : 1) < got.size(); ++i)
          EXPECT_EQ(Dump(*got[i]), whole[ResultKey(*got[i])]) << percent << "%";
      }
    }
  }
}

std::string Nested(int depth, const std::string& inner) {
  std::string open, close;
  for (int i = 0; i < depth; ++i) {
    open += "<Parameters>";
    close += "</Parameters>";
  }
  return "<BlastOutput>" + open + inner + close + "</BlastOutput>";
}

std::string ErrorOfXml(const std::string& bytes) {
  try {
    ReadBytes(bytes, XmlReader(false));
  } catch (const CReportError& error) {
    return error.what();
  }
  return "";
}

TEST(XmlReaders, BoundNestingTextAndMarkup) {
  const std::string longRow(std::size_t{65} << 20, 'A');
  struct Bound {
    const char* what;
    std::string bytes;
    const char* message;  // empty: read without error
  };
  const Bound cases[] = {
      {"nesting at the bound", Nested(63, ""), ""},
      {"nesting beyond it", Nested(64, ""), "nested more than 64 deep"},
      {"very deep nesting", Nested(100000, ""), "nested more than 64 deep"},
      {"a row longer than any sequence",
       "<BlastOutput><Iteration><Iteration_hits><Hit><Hit_hsps><Hsp><Hsp_qseq>" + longRow +
           "</Hsp_qseq></Hsp></Hit_hsps></Hit></Iteration_hits></Iteration></BlastOutput>",
       "longer than 64 MiB"},
      {"a long text not kept",
       "<BlastOutput><Hsp_midline>" + longRow + "</Hsp_midline></BlastOutput>", ""},
      {"an attribute longer than any markup",
       "<BlastOutput><Parameters a=\"" + longRow + longRow + "\"/></BlastOutput>", "too long"},
  };
  for (const Bound& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string error = ErrorOfXml(c.bytes);
    if (*c.message == '\0')
      EXPECT_EQ(error, "");
    else
      EXPECT_NE(error.find(c.message), std::string::npos) << error;
  }
}

}  // namespace

}  // namespace blastsearch
