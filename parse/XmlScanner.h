#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "parse/ResultReader.h"
#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

// Markup that CXmlScanner cannot go on with. m_bCut is true when the bytes
// ended before the document did (inside a token or an element, or before the
// root element), so that a caller can tell a cut-off report from a damaged
// one. The message names what was wrong, without the position (see
// m_nLine, m_nColumn: the start of the token at fault, from 1).
class CXmlError : public CException {
 public:
  CXmlError(std::string message, std::uint64_t line, std::uint64_t column, bool cut)
      : CException(std::move(message)), m_nLine(line), m_nColumn(column), m_bCut(cut) {}
  std::uint64_t m_nLine;
  std::uint64_t m_nColumn;
  bool m_bCut;
};

// A small, strict pull tokenizer of XML 1.0 read from a CReportSource in one
// pass, in pieces of at most a chunk, holding only the token being read (and
// the bytes of the chunk after it): memory stays below twice kMaxMarkup plus
// a chunk whatever the input, and time is linear in it (a token cut between
// reads is scanned again only once the bytes held have doubled, or, while it
// is short, as each read comes).
//
// What it reads: the XML declaration (version, encoding, standalone), with a
// UTF-8 byte order mark before it; processing instructions and comments
// (skipped); a document type declaration, reported as a token and never
// read further (no external subset is fetched; an internal subset is
// reported, and the scan refuses to go on past it, so no entity is ever
// defined or expanded); elements with attributes; character data and CDATA
// sections; the five predefined entities (&lt; &gt; &amp; &apos; &quot;) and
// character references (&#N; &#xH;) turned into UTF-8. Line ends in
// character data are normalised to "\n" as XML asks.
//
// What it refuses (CXmlError): any other entity reference; a character
// reference to a character XML does not allow; bytes that are not UTF-8, or
// control characters other than tab, line feed and carriage return; a
// declared encoding other than UTF-8 or US-ASCII, or UTF-16 input; end tags
// that do not match their start; a second root element or text outside it
// (see Token::AfterRoot); nesting deeper than kMaxDepth; markup (a tag, a
// comment, a processing instruction, a CDATA section, a document type
// declaration) longer than kMaxMarkup; an element name longer than
// kMaxName; more than kMaxAttributes attributes on one element, or one given
// twice; '<' in an attribute value; "--" inside a comment; a reference longer
// than 32 bytes. Names are checked for the characters XML allows in ASCII;
// bytes beyond ASCII are taken as name characters without checking which.
// Not checked: "]]>" in character data, and whether a document type's
// public identifier holds only the characters XML allows there.
//
// Not copyable; the source must outlive the scanner.
class CXmlScanner {
 public:
  enum class Token {
    StartTag,   // Name(), Attributes(); an empty element gives StartTag then EndTag
    EndTag,     // Name()
    Text,       // Text(): character data, one run or a piece of a long one
    Doctype,    // Name(), HasInternalSubset()
    AfterRoot,  // the root closed and Ahead() opens more than blanks, comments or PIs
    End,        // the root closed and the bytes ended after it
  };

  struct CAttribute {
    std::string_view name;
    std::string_view rawValue;  // as written, between the quotes
  };

  static constexpr std::size_t kMaxMarkup = std::size_t{16} << 20;
  static constexpr std::size_t kMaxDepth = 256;
  static constexpr std::size_t kMaxAttributes = 256;
  static constexpr std::size_t kMaxName = 4096;

  explicit CXmlScanner(CReportSource& source, std::size_t chunk = std::size_t{64} << 10);
  CXmlScanner(const CXmlScanner&) = delete;
  CXmlScanner& operator=(const CXmlScanner&) = delete;

  // The next token. Throws CXmlError on markup it refuses or on bytes that
  // end too soon (then again on every later call), the source's exceptions,
  // std::bad_alloc. After End it returns End again.
  Token Next();

  // While false, character data is checked but no Text token is given (a
  // caller that keeps no text between its elements saves the work).
  void SetTextWanted(bool wanted) { m_bTextWanted = wanted; }

  // The views below stay valid until the next call to Next().
  std::string_view Name() const { return m_name; }
  std::string_view Text() const { return m_text; }
  const std::vector<CAttribute>& Attributes() const { return m_attributes; }
  // An attribute's value with its references replaced and its blanks made
  // spaces, as XML gives it to an application. Call before the next Next();
  // it ends the view Text() gives.
  std::string AttributeValue(const CAttribute& attribute);
  bool HasInternalSubset() const { return m_bInternalSubset; }
  // After AfterRoot: the bytes ahead (at least 32 unless the input ends).
  std::string_view Ahead() const;
  // After AfterRoot: the bytes ahead open another document, read as a new
  // one (its own declaration, document type and root). Without this call the
  // next Next() refuses them as junk after the root element.
  void BeginNextDocument();

  // Where the last token began (from 1; the column counts bytes).
  std::uint64_t Line() const;
  std::uint64_t Column() const;

 private:
  enum class Step { Done, More };

  Step ScanText(Token& token, bool& emitted);
  Step ScanMarkup(Token& token, bool& emitted);
  Step ScanStartTag(Token& token);
  Step ScanEndTag(Token& token);
  Step ScanComment();
  Step ScanCdata(Token& token, bool& emitted);
  Step ScanProcessingInstruction();
  Step ScanDoctype(Token& token);
  void ReadDeclaration(std::string_view body);
  // Reads more bytes; false at the end of the input.
  bool Fill();
  void Compact();
  void Validate();
  // Sets m_text to `raw` with its references replaced and line ends made
  // "\n" (a view into the buffer when it has neither).
  void DecodeText(std::string_view raw, bool references);
  void CheckReferences(std::string_view raw);
  // Stop the scan with `message` at the token's start, at `at`, or as a cut
  // (the bytes ended too soon); later calls to Next() throw it again.
  [[noreturn]] void Refuse(const std::string& message);
  [[noreturn]] void RefuseAt(const char* at, const std::string& message);
  [[noreturn]] void RefuseCut(const std::string& message);
  std::uint64_t LineAt(std::size_t offset) const;
  std::uint64_t ColumnAt(std::size_t offset) const;

  CReportSource& m_source;
  std::size_t m_nChunk;
  std::vector<char> m_buffer;
  std::size_t m_nBegin = 0;        // the next byte to scan
  std::size_t m_nEnd = 0;          // the end of the bytes checked as UTF-8 (what is scanned)
  std::size_t m_nRead = 0;         // the end of the bytes read
  std::uint64_t m_nDiscarded = 0;  // bytes let go before the buffer's start
  std::size_t m_nWant = 0;         // bytes needed before a cut token is tried again
  bool m_bSourceDone = false;
  std::uint64_t m_nLinesBefore = 0;   // line ends in the bytes let go
  std::uint64_t m_nLinesChecked = 0;  // line ends in all bytes up to m_nEnd
  std::uint64_t m_nColumnBase = 0;    // bytes after the last line end let go
  std::size_t m_nTokenStart = 0;      // offset of the last token's start
  std::uint64_t m_nTokenLine = 1, m_nTokenColumn = 1;

  bool m_bAtDocumentStart = true;  // nothing but a byte order mark read yet
  bool m_bDoctypeSeen = false;
  bool m_bRootSeen = false;
  bool m_bRootClosed = false;
  bool m_bInternalSubset = false;
  bool m_bTextWanted = true;
  bool m_bPendingEnd = false;      // an empty element's end tag comes next
  bool m_bAfterRootGiven = false;  // AfterRoot was the last token
  std::string m_strError;          // the error that stopped the scan, given again
  std::uint64_t m_nErrorLine = 0, m_nErrorColumn = 0;
  bool m_bErrorCut = false;

  std::string m_strOpen;                  // the open elements' names, one after the other
  std::vector<std::size_t> m_openStarts;  // where each starts in m_strOpen
  std::string_view m_name, m_text;
  std::string m_strNameCopy;  // an empty element's name for its end tag
  std::string m_strDecoded;
  std::vector<CAttribute> m_attributes;
};

}  // namespace BLASTSEARCH_EXPORT
