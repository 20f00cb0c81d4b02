// How a response becomes the text that the readers parse: line endings and
// stray zero bytes.

#include "parse/ResponseText.h"

#include <gtest/gtest.h>

#include <string>

#include "model/BlastSearchEntry.h"
#include "platform/File.h"
#include "support/Corpus.h"
#include "support/EntryDump.h"
#include "support/ReportParse.h"

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
