#include "parse/XmlScanner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>

namespace blastsearch {

namespace {

// The tokens of `bytes`, read `piece` bytes at a time, as one line: S(name
// a=value) E(name) T(text) D(name) D[(name) A J(ahead) END, or the error
// that stopped the scan as "error L:C message" ("cut L:C ..." for a cut).
// Adjacent texts are joined, so that the pieces do not show.
std::string Dump(std::string_view bytes, std::size_t piece) {
  CViewReportSource source(bytes, "test", piece);
  CXmlScanner scanner(source, 64);
  std::string out, text;
  auto flush = [&] {
    if (!text.empty()) out += "T(" + text + ") ";
    text.clear();
  };
  try {
    for (;;) {
      const CXmlScanner::Token token = scanner.Next();
      if (token == CXmlScanner::Token::Text) {
        text += scanner.Text();
        continue;
      }
      flush();
      switch (token) {
        case CXmlScanner::Token::StartTag: {
          out += "S(" + std::string(scanner.Name());
          for (const auto& attribute : scanner.Attributes())
            out += " " + std::string(attribute.name) + "=" + scanner.AttributeValue(attribute);
          out += ") ";
          break;
        }
        case CXmlScanner::Token::EndTag:
          out += "E(" + std::string(scanner.Name()) + ") ";
          break;
        case CXmlScanner::Token::Doctype:
          out += std::string(scanner.HasInternalSubset() ? "D[(" : "D(") +
                 std::string(scanner.Name()) + ") ";
          break;
        case CXmlScanner::Token::AfterRoot:
          out += "J(" + std::string(scanner.Ahead().substr(0, 5)) + ") ";
          if (scanner.Ahead().starts_with("<?xml")) scanner.BeginNextDocument();
          break;
        case CXmlScanner::Token::End:
          return out + "END";
        case CXmlScanner::Token::Text:
          break;
      }
    }
  } catch (const CXmlError& error) {
    flush();
    return out + (error.m_bCut ? "cut " : "error ") + std::to_string(error.m_nLine) + ":" +
           std::to_string(error.m_nColumn) + " " + error.what();
  }
}

std::string Repeat(const std::string& text, int count) {
  std::string out;
  for (int i = 0; i < count; ++i) out += text;
  return out;
}

std::string Nested(int depth) {
  std::string bytes;
  for (int i = 0; i < depth; ++i) bytes += "<a>";
  for (int i = 0; i < depth; ++i) bytes += "</a>";
  return bytes;
}

TEST(XmlScanner, GivesTheTokensOrTheErrorWithItsPlace) {
  struct Case {
    const char* what;
    std::string bytes;
    std::string dump;
  };
  const std::string laughs =
      "<?xml version=\"1.0\"?><!DOCTYPE r [<!ENTITY a \"aaaaaaaaaa\">"
      "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\"><!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;\">]>"
      "<r>&c;</r>";
  const Case cases[] = {
      {"elements, attributes, text",
       "<?xml version=\"1.0\" encoding='UTF-8'?>\n<r a=\"1\" b='x y'>"
       "hi<e/><f  >x</f ></r>\n",
       "S(r a=1 b=x y) T(hi) S(e) E(e) S(f) T(x) E(f) E(r) END"},
      {"the five entities and references",
       "<r>&lt;&gt;&amp;&apos;&quot;&#65;&#x42;&#xe9;&#x1F600;</r>",
       "S(r) T(<>&'\"AB\xC3\xA9\xF0\x9F\x98\x80) E(r) END"},
      {"attribute blanks and references", "<r a=\"x\ty\r\nz&#9;&lt;\"/>",
       "S(r a=x y z\t<) E(r) END"},
      {"line ends made \\n", "<r>a\r\nb\rc</r>", "S(r) T(a\nb\nc) E(r) END"},
      {"CDATA", "<r><![CDATA[<&x;]>]]></r>", "S(r) T(<&x;]>) E(r) END"},
      {"comments and PIs skipped", "<!-- c --><?pi x?><r><!--c-->a<?p?>b</r><!--x-->",
       "S(r) T(ab) E(r) END"},
      {"a byte order mark", "\xEF\xBB\xBF<?xml version=\"1.0\"?><r/>", "S(r) E(r) END"},
      {"a public document type", "<!DOCTYPE r PUBLIC \"-//x//y\" 'http://z/r.dtd'><r/>",
       "D(r) S(r) E(r) END"},
      {"documents one after the other", "<r/>\n<?xml version=\"1.0\"?><s/>",
       "S(r) E(r) J(<?xml) "
       "S(s) E(s) END"},
      // hostile or damaged
      {"entity definitions are never read", laughs,
       "D[(r) error 1:22 a document type with "
       "declarations of its own is not read"},
      {"an undefined entity", "<r>\n x&ent;</r>", "S(r) error 2:3 undefined entity \"&ent;\""},
      {"no character 0", "<r>&#0;</r>", "S(r) error 1:4 reference to invalid character number"},
      {"a surrogate", "<r>&#xD800;</r>", "S(r) error 1:4 reference to invalid character number"},
      {"beyond Unicode", "<r>&#x110000;</r>",
       "S(r) error 1:4 reference to invalid character number"},
      {"a huge number", "<r>&#99999999999999999999;</r>",
       "S(r) error 1:4 reference to invalid character number"},
      {"no ';'", "<r>a & b</r>", "S(r) error 1:6 not well-formed (a reference without its ';')"},
      {"mismatched tags", "<r>\n<a></b></r>", "S(r) T(\n) S(a) error 2:4 mismatched tag"},
      {"an end without a start", "</r>", "error 1:1 an end tag without its start"},
      {"a place far on", "<r>" + Repeat("<a>x</a>\n", 100) + "  </b>",
       "S(r) " + Repeat("S(a) T(x) E(a) T(\n) ", 99) +
           "S(a) T(x) E(a) T(\n  ) error 101:3 mismatched tag"},
      {"two roots", "<r/><s/>", "S(r) E(r) J(<s/>) error 1:5 junk after document element"},
      {"text after the root", "<r/> x", "S(r) E(r) J(x) error 1:6 junk after document element"},
      {"text before the root", "x<r/>", "error 1:1 text before the root element"},
      {"a control character", "<r>\x01</r>", "error 1:4 a control character XML does not allow"},
      {"bytes not UTF-8", "<r>\xC3\x28</r>", "error 1:4 bytes that are not UTF-8 text"},
      {"an overlong form", "<r>\xC0\xAF</r>", "error 1:4 bytes that are not UTF-8 text"},
      {"UTF-16", std::string("\xFF\xFE<\0r\0/\0>\0", 10),
       "error 1:1 the report is UTF-16 text; "
       "only UTF-8 XML is read"},
      {"another encoding", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><r/>",
       "error 1:1 the report declares the encoding \"ISO-8859-1\"; only UTF-8 XML is read"},
      {"a late declaration", " <?xml version=\"1.0\"?><r/>",
       "error 1:2 an XML declaration not at the start of the document"},
      {"'--' in a comment", "<r><!-- a -- b --></r>",
       "S(r) error 1:11 not well-formed (\"--\" "
       "inside a comment)"},
      {"a duplicate attribute", "<r a='1' a='2'/>", "error 1:10 duplicate attribute"},
      {"'<' in a value", "<r a='<'/>", "error 1:7 not well-formed ('<' in an attribute value)"},
      {"an unquoted value", "<r a=1/>", "error 1:6 not well-formed (an unquoted attribute value)"},
      {"deep nesting", Nested(300),
       Repeat("S(a) ", 256) + "error 1:769 elements are nested more than 256 deep"},
      {"nesting within bounds", Nested(3), "S(a) S(a) S(a) E(a) E(a) E(a) END"},
      // cut off
      {"nothing", "", "cut 1:1 no element found"},
      {"an open element", "<r><a>x", "S(r) S(a) cut 1:7 the bytes end before the document does"},
      {"a cut tag", "<r><a b='", "S(r) cut 1:4 the bytes end before the document does"},
      {"a cut character", "<r>\xC3", "S(r) cut 1:4 the bytes end inside a UTF-8 character"},
  };
  // Thin pieces may give tokens before bytes further on are found wrong: the
  // ending must be the same.
  auto ending = [](const std::string& dump) {
    const std::size_t error = std::min(dump.find("error "), dump.find("cut "));
    return error == std::string::npos ? dump : dump.substr(error);
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(Dump(c.bytes, c.bytes.size() + 1), c.dump);
    EXPECT_EQ(ending(Dump(c.bytes, 1)), ending(c.dump));
    EXPECT_EQ(ending(Dump(c.bytes, 7)), ending(c.dump));
  }
}

// A document cut at any byte before its root closes is a cut, never a whole
// document nor damage, whatever pieces its bytes come in.
TEST(XmlScanner, TakesEveryCutForACut) {
  const std::string whole =
      "\xEF\xBB\xBF<?xml version=\"1.0\"?>\n<!DOCTYPE r SYSTEM \"r.dtd\">\n<!-- c -->\n"
      "<r a=\"&amp;1\"><b>t&#x41;&lt;</b><![CDATA[x]]><?p d?><e/>\xC3\xA9</r>";
  for (std::size_t at = 0; at < whole.size(); ++at) {
    SCOPED_TRACE(at);
    for (std::size_t piece : {std::size_t{1}, std::size_t{1} << 20}) {
      const std::string dump = Dump(std::string_view(whole).substr(0, at), piece);
      EXPECT_NE(dump.find("cut "), std::string::npos) << dump;
    }
  }
  EXPECT_NE(Dump(whole, 3).find("END"), std::string::npos);
}

// Long tokens and text cost linear time however thinly their bytes come, and
// markup longer than the bound is refused.
TEST(XmlScanner, ReadsLongTokensInLinearTime) {
  const std::string comment = "<r><!--" + std::string(std::size_t{2} << 20, 'c') + "--></r>";
  const std::string run(std::size_t{4} << 20, 't');
  const std::string text = "<r>" + run + "&amp;</r>";
  const std::string tag = "<r a='" + std::string(CXmlScanner::kMaxMarkup + 10, 'v') + "'/>";
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(Dump(comment, 3), "S(r) E(r) END");
  EXPECT_EQ(Dump(text, 5), "S(r) T(" + run + "&) E(r) END");
  EXPECT_NE(Dump(tag, 4093).find("too long"), std::string::npos);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
}

}  // namespace

}  // namespace blastsearch
