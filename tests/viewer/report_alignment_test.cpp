// The viewer's alignment text against the report's own: for every real
// report with pairwise alignments (the corpus's older and BLAST+ text
// reports and its web pages, and the BLAST+ text and HTML reports of
// tests/data/blastplus), each segment pair's score lines, frames or strands,
// query and subject rows with their positions and the middle line between
// them must say what the report says.
//
// What the viewer lays out differently, and is therefore normalised before
// comparing: runs of blanks (the reports pad numbers and put one or two
// blanks after commas; the viewer puts two), blanks around '=' and '/'
// ("Strand=Plus/Plus", "Frame = +2 / +2"), an expect value written without
// its leading 1 ("e-102") or with three exponent digits ("1e-063"), the
// method BLAST+ names after the expect value (", Method: Compositional
// matrix adjust.", which the result does not keep), the letter case of rows
// (the readers keep rows in upper case, so a report's lower-case masking is
// not shown), the row labels ("Query:" in the older reports) and the columns
// where row text begins (so rows compare as start, text and end, and the
// middle line as the columns under the row text). Web pages are compared
// as their text without tags and with &gt;, &lt; and &amp; decoded; the
// classic web page's reader keeps no frames (as the reader it stands in
// for), so its pages' frame lines are left out.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "model/AlignmentMidline.h"
#include "model/BlastSearchEntry.h"
#include "parse/ReportLayout.h"
#include "parse/ResultReader.h"
#include "parse/ResultReaders.h"
#include "support/Corpus.h"
#include "viewer/AlignmentText.h"

namespace blastsearch {

namespace {

// One segment pair as compared: its score lines and its rows.
struct CPairText {
  std::vector<std::string> m_lines;  // score, counts, frame or strand
  std::vector<std::string> m_rows;   // "Q start text end", middle text, "S start text end"
};

std::string Normalise(const std::string& line) {
  std::string text = std::regex_replace(line, std::regex("\\s+"), " ");
  text = std::regex_replace(text, std::regex(" ?([=/]) ?"), "$1");
  text = std::regex_replace(text, std::regex("=e-"), "=1e-");
  text = std::regex_replace(text, std::regex("e-0(\\d\\d)"), "e-$1");
  text = std::regex_replace(text, std::regex(", ?Method:.*$"), "");
  const auto first = text.find_first_not_of(' ');
  const auto last = text.find_last_not_of(' ');
  return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

std::string TrimRight(std::string text) {
  text.erase(text.find_last_not_of(' ') + 1);
  return text;
}

const std::regex kRow("^(Query|Sbjct):? +(\\d+) +(\\S+) +(\\d+) *$");

// A row line as "Q start text end", and where its text begins; false for
// a line that is no row of `label`.
bool ReadRow(const std::string& line, const char* label, std::string& row, std::size_t& column) {
  std::smatch match;
  if (!std::regex_match(line, match, kRow) || match[1] != label) return false;
  std::string residues = match[3].str();
  for (char& c : residues) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  row = std::string(1, label[0]) + " " + match[2].str() + " " + residues + " " + match[4].str();
  column = static_cast<std::size_t>(match.position(3));
  return true;
}

// The middle line's text under the row text at `column`, `width` wide.
std::string MiddleAt(const std::string& line, std::size_t column, std::size_t width) {
  std::string middle = column < line.size() ? line.substr(column, width) : std::string();
  return TrimRight(middle);
}

// Every segment pair of a text report, in report order.
std::vector<CPairText> ReportPairs(const std::string& report, bool markup) {
  std::vector<std::string> lines;
  std::istringstream in(report);
  const std::regex tag("<[^>]*>");
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (markup) {
      line = std::regex_replace(line, tag, "");
      line = std::regex_replace(line, std::regex("&gt;"), ">");
      line = std::regex_replace(line, std::regex("&lt;"), "<");
      line = std::regex_replace(line, std::regex("&amp;"), "&");
    }
    lines.push_back(line);
  }
  std::vector<CPairText> pairs;
  const std::regex score("^ *Score *=");
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (!std::regex_search(lines[i], score)) continue;
    CPairText pair;
    pair.m_lines.push_back(Normalise(lines[i]));
    std::size_t at = i + 1;
    for (; at < lines.size(); ++at) {
      const std::string text = Normalise(lines[at]);
      if (text.rfind("Identities", 0) == 0 || text.rfind("Frame", 0) == 0 ||
          text.rfind("Strand", 0) == 0) {
        pair.m_lines.push_back(text);
      } else if (!text.empty()) {
        break;
      }
    }
    std::string row;
    std::size_t column = 0;
    while (at + 2 < lines.size() && ReadRow(lines[at], "Query", row, column)) {
      const std::size_t width =
          std::regex_replace(row, std::regex("^\\S+ \\S+ (\\S+) .*$"), "$1").size();
      pair.m_rows.push_back(row);
      pair.m_rows.push_back(MiddleAt(lines[at + 1], column, width));
      if (!ReadRow(lines[at + 2], "Sbjct", row, column)) break;
      pair.m_rows.push_back(row);
      at += 3;
      while (at < lines.size() && Normalise(lines[at]).empty()) ++at;
    }
    pairs.push_back(std::move(pair));
    i = at - 1;
  }
  return pairs;
}

// Every segment pair as the viewer writes it, in report order.
std::vector<CPairText> ViewerPairs(const std::string& report, const std::string& name) {
  std::vector<CPairText> pairs;
  CViewReportSource source(report, name);
  CResultReadOptions options;
  options.bEveryRound = true;
  const ReportLayout layout = RecogniseReportLayout(report);
  std::unique_ptr<CResultReader> reader = MakeResultReader(layout, source, options);
  if (!reader) return pairs;
  for (;;) {
    CBlastSearchEntry entry;
    if (reader->ReadNext(entry) == 0) break;
    const CAlignmentStyle style = AlignmentStyleOf(entry);
    for (const auto& hit : entry.m_Hits.m_HitList) {
      for (const auto& element : hit->m_ElementList) {
        CPairText pair;
        for (const std::string& line : ScoreLines(*element, style)) {
          pair.m_lines.push_back(Normalise(line));
        }
        for (const CAlignmentBlock& block : AlignmentBlocks(*element, style)) {
          std::string row;
          std::size_t column = 0;
          EXPECT_TRUE(ReadRow(block.m_strQuery, "Query", row, column)) << block.m_strQuery;
          pair.m_rows.push_back(row);
          pair.m_rows.push_back(MiddleAt(block.m_strConsensus, column, block.m_nTextWidth));
          EXPECT_TRUE(ReadRow(block.m_strSubject, "Sbjct", row, column)) << block.m_strSubject;
          pair.m_rows.push_back(row);
        }
        pairs.push_back(std::move(pair));
      }
    }
  }
  return pairs;
}

std::vector<std::filesystem::path> TextReports() {
  std::vector<std::filesystem::path> files;
  for (const char* folder : {"text", "blastplus-text", "html-classic", "html-qblast"}) {
    for (const auto& file : CorpusFiles(folder)) files.push_back(file);
  }
  const std::filesystem::path made =
      std::filesystem::path(BLASTSEARCH_SOURCE_DIR) / "tests" / "data" / "blastplus";
  for (const auto& item : std::filesystem::directory_iterator(made)) {
    const auto extension = item.path().extension();
    if (extension == ".txt" || extension == ".html") files.push_back(item.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

class ReportAlignment : public ::testing::TestWithParam<std::filesystem::path> {};

TEST_P(ReportAlignment, ViewerTextEqualsTheReportsOwnBlock) {
  const std::filesystem::path& file = GetParam();
  const std::string report = ReadWholeFile(file);
  const std::string extension = file.extension().string();
  std::vector<CPairText> expected = ReportPairs(report, extension == ".html");
  if (expected.empty()) GTEST_SKIP() << file << " holds no alignments";
  const std::vector<CPairText> shown = ViewerPairs(report, file.string());
  ASSERT_EQ(shown.size(), expected.size()) << file;
  if (RecogniseReportLayout(report) == ReportLayout::Classic) {
    // The classic web page's reader keeps no frames (see above).
    for (CPairText& pair : expected) {
      std::erase_if(pair.m_lines,
                    [](const std::string& line) { return line.starts_with("Frame"); });
    }
  }
  int failures = 0;
  for (std::size_t i = 0; i < expected.size() && failures < 5; ++i) {
    if (shown[i].m_lines == expected[i].m_lines && shown[i].m_rows == expected[i].m_rows) continue;
    ++failures;
    std::string diff;
    const auto side = [&](const std::vector<std::string>& a, const std::vector<std::string>& b) {
      for (std::size_t k = 0; k < std::max(a.size(), b.size()); ++k) {
        const std::string x = k < a.size() ? a[k] : "(none)";
        const std::string y = k < b.size() ? b[k] : "(none)";
        if (x != y) diff += "  report: [" + x + "]\n  viewer: [" + y + "]\n";
      }
    };
    side(expected[i].m_lines, shown[i].m_lines);
    side(expected[i].m_rows, shown[i].m_rows);
    ADD_FAILURE() << file.filename() << " pair " << i + 1 << ":\n" << diff;
  }
}

std::string FileName(const ::testing::TestParamInfo<std::filesystem::path>& info) {
  // Text reports by their stem; others with their extension too.
  std::string name =
      info.param.parent_path().filename().string() + "_" + info.param.stem().string();
  if (info.param.extension() != ".txt") name += info.param.extension().string();
  for (char& c : name) {
    if (std::isalnum(static_cast<unsigned char>(c)) == 0) c = '_';
  }
  return name;
}

INSTANTIATE_TEST_SUITE_P(TextReports, ReportAlignment, ::testing::ValuesIn(TextReports()),
                         FileName);

}  // namespace

}  // namespace blastsearch
