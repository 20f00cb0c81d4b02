// How a response becomes the text that the readers parse: line endings and
// stray zero bytes.

#include "parse/ResponseText.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "model/BlastSearchEntry.h"
#include "parse/ResultReaders.h"
#include "platform/File.h"
#include "support/Corpus.h"
#include "support/EntryDump.h"
#include "support/ReportParse.h"

namespace blastsearch {

namespace {

std::string TextOf(const std::string& bytes) {
  CMemFile file(bytes);
  const CResponseText response = ReadResponseText(file);
  EXPECT_TRUE(response.IsWhole());
  EXPECT_EQ(response.pText[response.nTextLength], '\0');
  return std::string(response.pText.get(), response.nTextLength);
}

TEST(ResponseText, LineEndingsBecomeLineFeedsAndZeroBytesBlanks) {
  using namespace std::string_literals;
  struct {
    std::string bytes;
    std::string text;
  } const cases[] = {
      {"a\nb", "a\nb"},
      {"a\r\nb\r\n", "a\nb\n"},
      {"a\rb\r", "a\nb\n"},
      {"a\r\r\nb", "a\n\nb"},
      {"a\n\rb", "a\n\nb"},
      {"a\0b\0"s, "a b "},
      {"\r", "\n"},
      {"", ""},
      // A piece boundary of the reading falls between CR and LF, and the
      // first odd byte lies in a later piece.
      {std::string((256 << 10) - 1, 'x') + "\r\ny\rz",
       std::string((256 << 10) - 1, 'x') + "\ny\nz"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.bytes.size() < 20 ? c.bytes : "long");
    EXPECT_EQ(TextOf(c.bytes), c.text);
  }
}

std::string WithLineEnds(const std::string& text, const char* mode) {
  std::string out;
  bool odd = false;
  for (char c : text) {
    if (c != '\n') {
      out += c;
      continue;
    }
    const std::string_view m = mode;
    if (m == "CRLF" || (m == "mixed" && odd)) out += "\r\n";
    if (m == "CR" || (m == "mixed" && !odd)) out += '\r';
    odd = !odd;
  }
  return out;
}

// Both readers read a report with CR-LF, CR-only and mixed line endings, and
// one with a zero byte in the middle, as they read it with line feeds.
TEST(ResponseText, ReadersReadEveryLineEndingAndPastZeroBytes) {
  SKIP_WITHOUT_CORPUS();
  for (const auto& [file, reader] :
       {std::pair{"text/text_2010L_tblastx_001.txt", ReportReader::QBlast},
        std::pair{"html-qblast/bt061.html", ReportReader::QBlast},
        std::pair{"html-classic/bt024.html", ReportReader::Classic}}) {
    const std::string text = ReadWholeFile(CorpusDir() / file);
    CBlastSearchEntry plain;
    ASSERT_EQ(ParseReport(reader, text, plain), 1);
    ASSERT_GE(plain.m_Hits.m_HitList.size(), 4u);
    const std::string want = DumpEntry(plain);
    std::string zero = text;
    zero[zero.find(' ', zero.size() / 2)] = '\0';
    for (const auto& [name, variant] :
         {std::pair{"CRLF", WithLineEnds(text, "CRLF")}, std::pair{"CR", WithLineEnds(text, "CR")},
          std::pair{"mixed", WithLineEnds(text, "mixed")}, std::pair{"zero byte", zero}}) {
      SCOPED_TRACE(std::string(file) + ", " + name);
      CBlastSearchEntry entry;
      ASSERT_EQ(ParseReport(reader, variant, entry), 1);
      EXPECT_EQ(DumpEntry(entry), want);
    }
  }
}

}  // namespace

namespace {

// A report source that says it holds `hint` bytes, whatever it holds.
class CHintedSource : public CViewReportSource {
 public:
  CHintedSource(std::string_view bytes, std::uint64_t hint, std::size_t piece)
      : CViewReportSource(bytes, "hinted", piece), m_nHint(hint) {}
  std::uint64_t GetRemainingHint() const override { return m_nHint; }

 private:
  std::uint64_t m_nHint;
};

// A source read whole gives all its bytes and nothing more, whatever size
// it said it had and however it hands them out; a source beyond the limit
// is read one byte past it and no further.
TEST(ResponseText, SourceReadWholeWhateverItsHint) {
  std::string large(3 << 20, 'r');
  large[(1 << 20) + 5] = '\r';
  large[(1 << 20) + 6] = '\n';
  const std::string small = "Query= x\r\nabc";
  struct {
    const std::string* bytes;
    std::uint64_t hint;
    std::size_t piece;
    std::uint64_t limit;
    std::size_t read;  // bytes read
  } const cases[] = {
      {&small, small.size(), 1000, 1000, small.size()},
      {&small, 0, 3, 1000, small.size()},
      {&small, 2, 1000, 1000, small.size()},
      {&small, 1 << 30, 1000, 1000, small.size()},
      {&small, small.size(), 1000, 5, 6},
      {&large, 0, 1 << 16, UINT64_MAX, large.size()},  // grows a mapping
      {&large, 100, 1 << 20, UINT64_MAX, large.size()},
      {&large, large.size(), 1 << 20, UINT64_MAX, large.size()},
      {&large, large.size(), 1 << 20, 1 << 20, (1 << 20) + 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.bytes->size()) + " bytes, hint " + std::to_string(c.hint) +
                 ", limit " + std::to_string(c.limit));
    CHintedSource source(*c.bytes, c.hint, c.piece);
    CResponseText text = ReadSourceText(source, c.limit);
    ASSERT_EQ(text.nRead, c.read);
    EXPECT_EQ(std::string_view(text.pText.get(), text.nRead), c.bytes->substr(0, c.read));
    // The first carriage return is found in whatever piece it came.
    const std::size_t cr = c.bytes->substr(0, c.read).find('\r');
    EXPECT_EQ(text.nFirstOdd, cr == std::string::npos ? SIZE_MAX : cr);
    NormaliseReadText(text);
    EXPECT_EQ(text.pText[text.nTextLength], '\0');
    EXPECT_EQ(text.nTextLength, c.read - (cr == std::string::npos ? 0 : 1));
  }
}

// The markers noted while the text is read are found wherever the pieces
// cut them, and not trusted once normalising has moved the text.
TEST(ResponseText, SourceReadNotesItsMarkersAcrossPieces) {
  const std::string plain = "ab Strand = Plus\nResults from round 2\nFrame = +1\nFrame";
  for (std::size_t piece : {1, 2, 3, 7, 1000}) {
    SCOPED_TRACE(piece);
    CHintedSource source(plain, plain.size(), piece);
    CResponseText text = ReadSourceText(source, 1000);
    ASSERT_TRUE(text.bNoted);
    for (std::size_t m = 0; m < kNotedMarkerCount; ++m)
      EXPECT_EQ(text.nNoted[m], plain.find(kNotedMarkers[m])) << kNotedMarkers[m];
  }
  const std::string none = "Query= x\nFram Stran Results from roun";
  CHintedSource noneSource(none, none.size(), 4);
  const CResponseText noMarkers = ReadSourceText(noneSource, 1000);
  ASSERT_TRUE(noMarkers.bNoted);
  for (std::size_t m = 0; m < kNotedMarkerCount; ++m) EXPECT_EQ(noMarkers.nNoted[m], SIZE_MAX);
  const std::string mended = "x\r\nFrame";
  CHintedSource mendedSource(mended, mended.size(), 4);
  CResponseText text = ReadSourceText(mendedSource, 1000);
  NormaliseReadText(text);
  EXPECT_FALSE(text.bNoted);
}

// The pages a reader has passed are given back and read as zeros; what
// follows them is untouched; small texts in ordinary memory keep theirs.
TEST(ResponseText, ReleasesWholePagesBehindThePlaceGiven) {
  struct {
    std::size_t size;
    std::size_t at;
    std::size_t released;
  } const cases[] = {
      {10 << 20, 5 << 20, 4 << 20},
      {10 << 20, (2 << 20) - 1, 0},
      {10 << 20, 10 << 20, 10 << 20},
      {4000, 3000, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.size) + " at " + std::to_string(c.at));
    CResponseText text;
    text.Reserve(c.size);
    std::memset(text.pText.get(), 'x', c.size);
    text.nRead = c.size;
    EXPECT_EQ(text.ReleaseBefore(text.pText.get() + c.at), c.released);
    // Asking again for less gives nothing back twice.
    EXPECT_EQ(text.ReleaseBefore(text.pText.get()), c.released);
    if (c.released > 0) {
      EXPECT_EQ(text.pText[c.released - 1], '\0');
    }
    if (c.released < c.size) {
      EXPECT_EQ(text.pText[c.released], 'x');
    }
    EXPECT_EQ(text.pText[c.size - 1], c.released == c.size ? '\0' : 'x');
  }
}

// A report parsed by the reader that gives its text back as it goes gives
// the result that a parse holding all of it gives: a real report with its
// hits repeated until it is large enough for pages to be given back.
TEST(ResponseText, ParseThatGivesItsTextBackReadsAsAWholeOne) {
  SKIP_WITHOUT_CORPUS();
  const std::string text = ReadWholeFile(CorpusDir() / "text/text_2010L_tblastx_001.txt");
  const std::size_t hits = text.find("\n>");
  const std::size_t footer = text.find("  Database:", hits);
  ASSERT_NE(hits, std::string::npos);
  ASSERT_NE(footer, std::string::npos);
  std::string large = text.substr(0, hits);
  while (large.size() < (12u << 20)) large += text.substr(hits, footer - hits);
  large += text.substr(footer);
  CBlastSearchEntry whole;
  ASSERT_EQ(ParseReport(ReportReader::QBlast, large, whole), 1);
  ASSERT_GT(whole.m_Hits.m_HitList.size(), 1000u);
  CViewReportSource source(large, "large", 1 << 20);
  const auto reader = MakeResultReader(ReportLayout::QBlast, source, CResultReadOptions());
  CBlastSearchEntry streamed;
  ASSERT_EQ(reader->ReadNext(streamed), 1);
  // The reader adds the layout, and the query's name from its line; the
  // rest is the same.
  streamed.m_Hits.m_strInfo = whole.m_Hits.m_strInfo;
  if (whole.m_Mol.m_strName.empty()) whole.m_Mol.m_strName = streamed.m_Mol.m_strName;
  EXPECT_EQ(DumpEntry(streamed), DumpEntry(whole));
}

}  // namespace

}  // namespace blastsearch
