#include "parse/XmlScanner.h"

#include <algorithm>
#include <array>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace blastsearch {

namespace {

// The longest character or entity reference read ("&#x0000000000041;" is
// XML, but no report pads a number so).
constexpr std::size_t kMaxReference = 32;
// Below this many bytes a cut token is tried again as soon as any byte
// comes (a live pipe's token is read at once); above it, only when the bytes
// held have doubled, so that a long token costs linear time however thinly
// its bytes arrive.
constexpr std::size_t kRetryAtOnce = 4096;

bool IsBlank(char c) { return c == ' ' || c == '\n' || c == '\t' || c == '\r'; }

// 1: may start a name; 2: may continue one. Bytes beyond ASCII count as both.
constexpr std::array<unsigned char, 256> kNameClass = [] {
  std::array<unsigned char, 256> table{};
  for (int c = 0; c < 256; ++c) {
    const bool start =
        (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == ':' || c >= 0x80;
    const bool part = start || (c >= '0' && c <= '9') || c == '-' || c == '.';
    table[static_cast<std::size_t>(c)] =
        static_cast<unsigned char>((start ? 1 : 0) | (part ? 2 : 0));
  }
  return table;
}();

// The end of the name that starts at `p` (p itself when none starts there).
const char* NameEnd(const char* p, const char* end) {
  if (p == end || !(kNameClass[static_cast<unsigned char>(*p)] & 1)) return p;
  ++p;
  while (p != end && (kNameClass[static_cast<unsigned char>(*p)] & 2)) ++p;
  return p;
}

const char* SkipBlanks(const char* p, const char* end) {
  while (p != end && IsBlank(*p)) ++p;
  return p;
}

// The offset of the first byte in [p, p + size) that is a control character
// other than tab, line feed and carriage return, or not ASCII; `size` when
// none is. Adds the line feeds before it to `lines` (counted in the same
// pass, so that positions cost no pass of their own).
std::size_t FirstSuspect(const char* p, std::size_t size, std::uint64_t& lines) {
  std::size_t at = 0;
#if defined(__SSE2__)
  const __m128i space = _mm_set1_epi8(0x20);
  const __m128i tab = _mm_set1_epi8('\t');
  const __m128i lf = _mm_set1_epi8('\n');
  const __m128i cr = _mm_set1_epi8('\r');
  // Line feeds are summed per byte lane (each lane gains at most 1 a block),
  // and the lanes added up before any can pass 255.
  auto sum = [](__m128i counts) {
    const __m128i pairs = _mm_sad_epu8(counts, _mm_setzero_si128());
    return static_cast<std::uint64_t>(_mm_cvtsi128_si32(pairs)) +
           static_cast<std::uint64_t>(_mm_cvtsi128_si32(_mm_srli_si128(pairs, 8)));
  };
  __m128i counts = _mm_setzero_si128();
  int blocks = 0;
  for (; at + 16 <= size; at += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + at));
    // Signed: bytes beyond ASCII are negative, so below a space too.
    const __m128i low = _mm_cmplt_epi8(v, space);
    const __m128i isLf = _mm_cmpeq_epi8(v, lf);
    const __m128i allowed =
        _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, tab), isLf), _mm_cmpeq_epi8(v, cr));
    if (_mm_movemask_epi8(_mm_andnot_si128(allowed, low)) != 0) break;
    counts = _mm_sub_epi8(counts, isLf);
    if (++blocks == 255) {
      lines += sum(counts);
      counts = _mm_setzero_si128();
      blocks = 0;
    }
  }
  lines += sum(counts);
#endif
  for (; at < size; ++at) {
    const auto c = static_cast<unsigned char>(p[at]);
    if (c >= 0x80 || (c < 0x20 && c != '\t' && c != '\n' && c != '\r')) return at;
    lines += c == '\n' ? 1 : 0;
  }
  return size;
}

// The length of the UTF-8 character at p (1 to 4), 0 when the bytes are no
// character XML allows, or -1 when they stop before the character does.
int CharacterLength(const unsigned char* p, std::size_t available) {
  const unsigned char c = p[0];
  if (c < 0x80) return (c >= 0x20 || c == '\t' || c == '\n' || c == '\r') ? 1 : 0;
  int length = 0;
  unsigned value = 0;
  if (c >= 0xC2 && c <= 0xDF) {
    length = 2;
    value = c & 0x1F;
  } else if (c >= 0xE0 && c <= 0xEF) {
    length = 3;
    value = c & 0x0F;
  } else if (c >= 0xF0 && c <= 0xF4) {
    length = 4;
    value = c & 0x07;
  } else {
    return 0;
  }
  for (int i = 1; i < length; ++i) {
    if (static_cast<std::size_t>(i) >= available) return -1;
    if ((p[i] & 0xC0) != 0x80) return 0;
    value = (value << 6) | (p[i] & 0x3F);
  }
  const unsigned least = length == 2 ? 0x80 : length == 3 ? 0x800 : 0x10000;
  if (value < least || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF) ||
      value == 0xFFFE || value == 0xFFFF)
    return 0;
  return length;
}

bool IsXmlCharacter(unsigned long value) {
  return value == 0x9 || value == 0xA || value == 0xD || (value >= 0x20 && value <= 0xD7FF) ||
         (value >= 0xE000 && value <= 0xFFFD) || (value >= 0x10000 && value <= 0x10FFFF);
}

void AppendUtf8(std::string& out, unsigned long value) {
  if (value < 0x80) {
    out += static_cast<char>(value);
  } else if (value < 0x800) {
    out += static_cast<char>(0xC0 | (value >> 6));
    out += static_cast<char>(0x80 | (value & 0x3F));
  } else if (value < 0x10000) {
    out += static_cast<char>(0xE0 | (value >> 12));
    out += static_cast<char>(0x80 | ((value >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (value & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (value >> 18));
    out += static_cast<char>(0x80 | ((value >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((value >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (value & 0x3F));
  }
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return (x | 0x20) == (y | 0x20);
         });
}

// How `bytes` (what is held) stand to `prefix`: 1 they start with it, 0 they
// cannot, -1 too few bytes to tell.
int Opens(std::string_view bytes, std::string_view prefix) {
  const std::size_t n = std::min(bytes.size(), prefix.size());
  if (bytes.substr(0, n) != prefix.substr(0, n)) return 0;
  return n == prefix.size() ? 1 : -1;
}

}  // namespace

CXmlScanner::CXmlScanner(CReportSource& source, std::size_t chunk)
    : m_source(source), m_nChunk(std::max<std::size_t>(chunk, 64)) {
  m_openStarts.reserve(64);
}

// ---- positions and errors ---------------------------------------------------

std::uint64_t CXmlScanner::LineAt(std::size_t offset) const {
  const char* data = m_buffer.data();
  return m_nLinesBefore + 1 +
         static_cast<std::uint64_t>(std::count(data, data + std::min(offset, m_nRead), '\n'));
}

std::uint64_t CXmlScanner::ColumnAt(std::size_t offset) const {
  offset = std::min(offset, m_nRead);
  const char* data = m_buffer.data();
  const void* newline = offset == 0 ? nullptr : memrchr(data, '\n', offset);
  if (!newline) return m_nColumnBase + offset + 1;
  return static_cast<std::uint64_t>(data + offset - static_cast<const char*>(newline));
}

std::uint64_t CXmlScanner::Line() const { return LineAt(m_nTokenStart); }
std::uint64_t CXmlScanner::Column() const { return ColumnAt(m_nTokenStart); }

void CXmlScanner::RefuseAt(const char* at, const std::string& message) {
  const auto offset = static_cast<std::size_t>(at - m_buffer.data());
  m_strError = message;
  m_nErrorLine = LineAt(offset);
  m_nErrorColumn = ColumnAt(offset);
  m_bErrorCut = false;
  throw CXmlError(m_strError, m_nErrorLine, m_nErrorColumn, false);
}

void CXmlScanner::Refuse(const std::string& message) {
  RefuseAt(m_buffer.data() + m_nTokenStart, message);
}

void CXmlScanner::RefuseCut(const std::string& message) {
  m_strError = message;
  m_nErrorLine = LineAt(m_nTokenStart);
  m_nErrorColumn = ColumnAt(m_nTokenStart);
  m_bErrorCut = true;
  throw CXmlError(m_strError, m_nErrorLine, m_nErrorColumn, true);
}

// ---- the bytes --------------------------------------------------------------

void CXmlScanner::Compact() {
  if (m_nBegin == 0) return;
  const char* data = m_buffer.data();
  // The line feeds checked, less those kept (the part of a token, rarely
  // long).
  m_nLinesBefore = m_nLinesChecked -
                   static_cast<std::uint64_t>(std::count(data + m_nBegin, data + m_nEnd, '\n'));
  const void* newline = memrchr(data, '\n', m_nBegin);
  m_nColumnBase =
      newline ? static_cast<std::uint64_t>(data + m_nBegin - static_cast<const char*>(newline) - 1)
              : m_nColumnBase + m_nBegin;
  m_nDiscarded += m_nBegin;
  std::memmove(m_buffer.data(), data + m_nBegin, m_nRead - m_nBegin);
  m_nRead -= m_nBegin;
  m_nEnd -= m_nBegin;
  m_nTokenStart -= std::min(m_nTokenStart, m_nBegin);
  m_nBegin = 0;
}

bool CXmlScanner::Fill() {
  if (m_bSourceDone) return false;
  // Bytes are let go only when the buffer has no room for a chunk: most
  // reads move nothing.
  if (m_buffer.size() - m_nRead < m_nChunk) {
    Compact();
    if (m_buffer.size() - m_nRead < m_nChunk) m_buffer.resize(m_nRead + m_nChunk);
  }
  const std::size_t count = m_source.Read(m_buffer.data() + m_nRead, m_nChunk);
  if (count == 0) m_bSourceDone = true;
  m_nRead += count;
  Validate();
  return count != 0;
}

void CXmlScanner::Validate() {
  const char* data = m_buffer.data();
  while (m_nEnd < m_nRead) {
    m_nEnd += FirstSuspect(data + m_nEnd, m_nRead - m_nEnd, m_nLinesChecked);
    if (m_nEnd == m_nRead) break;
    const auto* at = reinterpret_cast<const unsigned char*>(data + m_nEnd);
    const int length = CharacterLength(at, m_nRead - m_nEnd);
    if (length > 0) {
      m_nEnd += static_cast<std::size_t>(length);
      continue;
    }
    if (length < 0 && !m_bSourceDone) break;  // the rest of the character comes next
    const std::uint64_t offset = m_nDiscarded + m_nEnd;
    m_nTokenStart = m_nEnd;
    if (length < 0) RefuseCut("the bytes end inside a UTF-8 character");
    if (offset < 2 && (at[0] == 0 || at[0] == 0xFE || at[0] == 0xFF))
      RefuseAt(data + m_nEnd, "the report is UTF-16 text; only UTF-8 XML is read");
    RefuseAt(data + m_nEnd, at[0] < 0x80 ? "a control character XML does not allow"
                                         : "bytes that are not UTF-8 text");
  }
}

std::string_view CXmlScanner::Ahead() const {
  return std::string_view(m_buffer.data() + m_nBegin, m_nEnd - m_nBegin);
}

void CXmlScanner::BeginNextDocument() {
  m_bAfterRootGiven = false;
  m_bRootSeen = false;
  m_bRootClosed = false;
  m_bDoctypeSeen = false;
  m_bAtDocumentStart = true;
}

// ---- tokens -----------------------------------------------------------------

CXmlScanner::Token CXmlScanner::Next() {
  if (!m_strError.empty()) throw CXmlError(m_strError, m_nErrorLine, m_nErrorColumn, m_bErrorCut);
  if (m_bPendingEnd) {
    m_bPendingEnd = false;
    if (m_openStarts.empty()) m_bRootClosed = true;
    return Token::EndTag;
  }
  if (m_bAfterRootGiven) Refuse("junk after document element");
  for (;;) {
    if (m_nBegin == m_nEnd || m_nEnd - m_nBegin < m_nWant) {
      if (Fill()) continue;
      if (m_nBegin == m_nEnd) {
        m_nTokenStart = m_nBegin;
        if (m_bRootClosed) return Token::End;
        if (!m_bRootSeen) RefuseCut("no element found");
        RefuseCut("the bytes end inside <" +
                  m_strOpen.substr(m_openStarts.empty() ? 0 : m_openStarts.back()) + ">");
      }
    }
    m_nTokenStart = m_nBegin;
    if (m_nDiscarded + m_nBegin == 0 && m_nEnd >= 3 &&
        std::memcmp(m_buffer.data(), "\xEF\xBB\xBF", 3) == 0) {
      m_nBegin = 3;  // a byte order mark: the document starts after it
      continue;
    }
    Token token = Token::End;
    bool emitted = false;
    const bool markup = m_buffer[m_nBegin] == '<';
    const Step step = markup ? ScanMarkup(token, emitted) : ScanText(token, emitted);
    if (step == Step::More) {
      const std::size_t held = m_nEnd - m_nBegin;
      if (m_bSourceDone) RefuseCut("the bytes end before the document does");
      if (held > kMaxMarkup) Refuse("a piece of markup is too long to be part of a BLAST report");
      m_nWant = held < kRetryAtOnce ? held + 1 : 2 * held;
      continue;
    }
    m_nWant = 0;
    m_bAtDocumentStart = false;
    if (markup && m_nBegin - m_nTokenStart > kMaxMarkup)
      Refuse("a piece of markup is too long to be part of a BLAST report");
    if (emitted) {
      if (token == Token::AfterRoot) m_bAfterRootGiven = true;
      return token;
    }
  }
}

CXmlScanner::Step CXmlScanner::ScanText(Token& token, bool& emitted) {
  const char* data = m_buffer.data();
  const char* begin = data + m_nBegin;
  const char* end = data + m_nEnd;
  const auto* lt =
      static_cast<const char*>(std::memchr(begin, '<', static_cast<std::size_t>(end - begin)));
  if (m_openStarts.empty()) {
    // Before or after the root: blanks only.
    const char* stop = lt ? lt : end;
    const char* solid = SkipBlanks(begin, stop);
    if (solid != stop) {
      m_nBegin = static_cast<std::size_t>(solid - data);
      m_nTokenStart = m_nBegin;
      if (!m_bRootClosed) Refuse("text before the root element");
      if (!m_bSourceDone && end - solid < 32) return Step::More;
      token = Token::AfterRoot;
      emitted = true;
      return Step::Done;
    }
    m_nBegin = static_cast<std::size_t>(stop - data);
    return Step::Done;
  }
  const char* stop = lt;
  if (!stop) {
    // A run not closed yet: whole when it is short, else in pieces that end
    // neither inside a reference nor between "\r" and "\n".
    if (m_bSourceDone || static_cast<std::size_t>(end - begin) < m_nChunk) return Step::More;
    stop = end;
    const auto* amp =
        static_cast<const char*>(memrchr(begin, '&', static_cast<std::size_t>(end - begin)));
    if (amp && !std::memchr(amp, ';', static_cast<std::size_t>(end - amp)) &&
        static_cast<std::size_t>(end - amp) <= kMaxReference)
      stop = amp;
    if (stop != begin && stop[-1] == '\r') --stop;
    if (stop == begin) return Step::More;
  }
  const std::string_view raw(begin, static_cast<std::size_t>(stop - begin));
  m_nBegin = static_cast<std::size_t>(stop - data);
  if (!m_bTextWanted) {
    if (std::memchr(raw.data(), '&', raw.size())) DecodeText(raw, true);  // checks references
    return Step::Done;
  }
  DecodeText(raw, true);
  token = Token::Text;
  emitted = true;
  return Step::Done;
}

CXmlScanner::Step CXmlScanner::ScanMarkup(Token& token, bool& emitted) {
  const std::string_view held = Ahead();
  if (held.size() < 2) return Step::More;
  if (m_bRootClosed) {
    // After the root only comments and processing instructions (other than
    // a declaration) may come; anything else is the caller's to judge.
    const int comment = Opens(held, "<!--");
    if (comment < 0) return Step::More;
    if (comment > 0) return ScanComment();
    if (held[1] == '?') {
      const char* target = held.data() + 2;
      const char* targetEnd = NameEnd(target, held.data() + held.size());
      if (targetEnd == held.data() + held.size()) return Step::More;
      if (!EqualsNoCase(std::string_view(target, static_cast<std::size_t>(targetEnd - target)),
                        "xml"))
        return ScanProcessingInstruction();
    }
    if (!m_bSourceDone && held.size() < 32) return Step::More;
    token = Token::AfterRoot;
    emitted = true;
    return Step::Done;
  }
  switch (held[1]) {
    case '/':
      emitted = true;
      return ScanEndTag(token);
    case '?':
      return ScanProcessingInstruction();
    case '!': {
      const int comment = Opens(held, "<!--");
      if (comment > 0) return ScanComment();
      const int cdata = Opens(held, "<![CDATA[");
      if (cdata > 0) return ScanCdata(token, emitted);
      const int doctype = Opens(held, "<!DOCTYPE");
      if (doctype > 0) {
        emitted = true;
        return ScanDoctype(token);
      }
      if (comment < 0 || cdata < 0 || doctype < 0) return Step::More;
      Refuse("not well-formed (a declaration XML does not know)");
    }
    default:
      emitted = true;
      return ScanStartTag(token);
  }
}

CXmlScanner::Step CXmlScanner::ScanStartTag(Token& token) {
  const char* data = m_buffer.data();
  const char* end = data + m_nEnd;
  const char* p = data + m_nBegin + 1;
  const char* tagNameEnd = NameEnd(p, end);
  if (tagNameEnd == end) return Step::More;
  if (tagNameEnd == p) Refuse("not well-formed (no element name after '<')");
  m_attributes.clear();
  bool empty = false;
  const char* nameEnd = tagNameEnd;  // the end of what is read of the tag
  for (;;) {
    const char* q = SkipBlanks(nameEnd, end);
    if (q == end) return Step::More;
    if (*q == '>') {
      nameEnd = q + 1;
      break;
    }
    if (*q == '/') {
      if (q + 1 == end) return Step::More;
      if (q[1] != '>') RefuseAt(q, "not well-formed ('/' not followed by '>')");
      nameEnd = q + 2;
      empty = true;
      break;
    }
    if (q == nameEnd) RefuseAt(q, "not well-formed (no blank before an attribute)");
    // An attribute: name = "value".
    const char* attributeEnd = NameEnd(q, end);
    if (attributeEnd == end) return Step::More;
    if (attributeEnd == q) RefuseAt(q, "not well-formed (a character a tag may not hold)");
    const char* eq = SkipBlanks(attributeEnd, end);
    if (eq == end) return Step::More;
    if (*eq != '=') RefuseAt(eq, "not well-formed (an attribute without '=')");
    const char* quote = SkipBlanks(eq + 1, end);
    if (quote == end) return Step::More;
    if (*quote != '"' && *quote != '\'')
      RefuseAt(quote, "not well-formed (an unquoted attribute value)");
    const auto* close = static_cast<const char*>(
        std::memchr(quote + 1, *quote, static_cast<std::size_t>(end - quote - 1)));
    if (!close) return Step::More;
    const std::string_view value(quote + 1, static_cast<std::size_t>(close - quote - 1));
    if (const void* lt = std::memchr(value.data(), '<', value.size()))
      RefuseAt(static_cast<const char*>(lt), "not well-formed ('<' in an attribute value)");
    if (value.find('&') != std::string_view::npos) CheckReferences(value);
    const std::string_view name(q, static_cast<std::size_t>(attributeEnd - q));
    if (m_attributes.size() >= kMaxAttributes)
      RefuseAt(q, "more than " + std::to_string(kMaxAttributes) + " attributes on one element");
    for (const CAttribute& seen : m_attributes)
      if (seen.name == name) RefuseAt(q, "duplicate attribute");
    m_attributes.push_back({name, value});
    nameEnd = close + 1;
  }
  const char* name = data + m_nBegin + 1;
  const auto nameSize = static_cast<std::size_t>(tagNameEnd - name);
  if (m_bRootClosed) Refuse("junk after document element");
  if (nameSize > kMaxName)
    Refuse("an element name longer than " + std::to_string(kMaxName) + " bytes");
  if (m_openStarts.size() >= kMaxDepth)
    Refuse("elements are nested more than " + std::to_string(kMaxDepth) + " deep");
  m_name = std::string_view(name, nameSize);
  m_bRootSeen = true;
  if (empty) {
    m_bPendingEnd = true;
  } else {
    m_openStarts.push_back(m_strOpen.size());
    m_strOpen.append(m_name);
  }
  m_nBegin = static_cast<std::size_t>(nameEnd - data);
  token = Token::StartTag;
  return Step::Done;
}

CXmlScanner::Step CXmlScanner::ScanEndTag(Token& token) {
  const char* data = m_buffer.data();
  const char* end = data + m_nEnd;
  const char* name = data + m_nBegin + 2;
  const char* nameEnd = NameEnd(name, end);
  if (nameEnd == end) return Step::More;
  const char* close = SkipBlanks(nameEnd, end);
  if (close == end) return Step::More;
  if (nameEnd == name || *close != '>') Refuse("not well-formed (a damaged end tag)");
  const std::string_view closed(name, static_cast<std::size_t>(nameEnd - name));
  if (m_openStarts.empty()) Refuse("an end tag without its start");
  if (std::string_view(m_strOpen).substr(m_openStarts.back()) != closed) Refuse("mismatched tag");
  m_strOpen.resize(m_openStarts.back());
  m_openStarts.pop_back();
  if (m_openStarts.empty()) m_bRootClosed = true;
  m_name = closed;
  m_nBegin = static_cast<std::size_t>(close + 1 - data);
  token = Token::EndTag;
  return Step::Done;
}

CXmlScanner::Step CXmlScanner::ScanComment() {
  const std::string_view held = Ahead();
  const std::size_t dashes = held.find("--", 4);
  if (dashes == std::string_view::npos || dashes + 2 >= held.size()) return Step::More;
  if (held[dashes + 2] != '>')
    RefuseAt(held.data() + dashes, "not well-formed (\"--\" inside a comment)");
  m_nBegin += dashes + 3;
  return Step::Done;
}

CXmlScanner::Step CXmlScanner::ScanCdata(Token& token, bool& emitted) {
  if (m_openStarts.empty()) Refuse("a CDATA section outside the root element");
  const std::string_view held = Ahead();
  const std::size_t close = held.find("]]>", 9);
  if (close == std::string_view::npos) return Step::More;
  m_nBegin += close + 3;
  if (!m_bTextWanted) return Step::Done;
  DecodeText(held.substr(9, close - 9), false);
  token = Token::Text;
  emitted = true;
  return Step::Done;
}

CXmlScanner::Step CXmlScanner::ScanProcessingInstruction() {
  const std::string_view held = Ahead();
  const char* target = held.data() + 2;
  const char* end = held.data() + held.size();
  const char* targetEnd = NameEnd(target, end);
  if (targetEnd == end) return Step::More;
  if (targetEnd == target) Refuse("not well-formed (a processing instruction without a target)");
  const std::size_t close = held.find("?>", static_cast<std::size_t>(targetEnd - held.data()));
  if (close == std::string_view::npos) return Step::More;
  const std::string_view name(target, static_cast<std::size_t>(targetEnd - target));
  if (!IsBlank(*targetEnd) && targetEnd != held.data() + close)
    Refuse("not well-formed (a damaged processing instruction)");
  if (EqualsNoCase(name, "xml")) {
    if (name != "xml" || !m_bAtDocumentStart)
      Refuse("an XML declaration not at the start of the document");
    ReadDeclaration(held.substr(5, close - 5));
  }
  m_nBegin += close + 2;
  return Step::Done;
}

void CXmlScanner::ReadDeclaration(std::string_view body) {
  // version="1.x" [encoding="..."] [standalone="yes|no"], in that order.
  static constexpr std::string_view kNames[] = {"version", "encoding", "standalone"};
  std::size_t next = 0;
  const char* p = body.data();
  const char* end = body.data() + body.size();
  for (;;) {
    const char* name = SkipBlanks(p, end);
    if (name == end) break;
    const char* nameEnd = NameEnd(name, end);
    const std::string_view key(name, static_cast<std::size_t>(nameEnd - name));
    while (next < 3 && kNames[next] != key) ++next;
    const char* eq = SkipBlanks(nameEnd, end);
    const char* quote = eq == end ? end : SkipBlanks(eq + 1, end);
    const char* close = quote == end || (*quote != '"' && *quote != '\'')
                            ? nullptr
                            : static_cast<const char*>(std::memchr(
                                  quote + 1, *quote, static_cast<std::size_t>(end - quote - 1)));
    if (next == 3 || name == p || eq == end || *eq != '=' || !close)
      Refuse("XML declaration not well-formed");
    const std::string_view value(quote + 1, static_cast<std::size_t>(close - quote - 1));
    if (next == 0 && !value.starts_with("1."))
      Refuse("XML version \"" + std::string(value) + "\" is not read");
    if (next == 1 && !EqualsNoCase(value, "utf-8") && !EqualsNoCase(value, "us-ascii") &&
        !EqualsNoCase(value, "ascii"))
      Refuse("the report declares the encoding \"" + std::string(value.substr(0, 40)) +
             "\"; only UTF-8 XML is read");
    if (next == 2 && value != "yes" && value != "no") Refuse("XML declaration not well-formed");
    if (next == 0 && p != body.data()) Refuse("XML declaration not well-formed");
    ++next;
    p = close + 1;
  }
  if (next == 0) Refuse("XML declaration not well-formed (no version)");
}

CXmlScanner::Step CXmlScanner::ScanDoctype(Token& token) {
  if (m_bRootSeen || m_bDoctypeSeen) Refuse("a document type declaration out of place");
  const std::string_view held = Ahead();
  const char* end = held.data() + held.size();
  const char* name = SkipBlanks(held.data() + 9, end);
  if (name == end) return Step::More;
  const char* p = NameEnd(name, end);
  if (p == end) return Step::More;
  if (name == held.data() + 9 || p == name) Refuse("not well-formed (a damaged document type)");
  bool subset = false;
  for (;;) {
    p = SkipBlanks(p, end);
    if (p == end) return Step::More;
    if (*p == '>') break;
    if (*p == '[') {
      subset = true;  // never read: the scan stops after this token
      break;
    }
    if (*p == '"' || *p == '\'') {
      const auto* close =
          static_cast<const char*>(std::memchr(p + 1, *p, static_cast<std::size_t>(end - p - 1)));
      if (!close) return Step::More;
      p = close + 1;
      continue;
    }
    const char* word = NameEnd(p, end);
    if (word == end) return Step::More;
    if (word == p) RefuseAt(p, "not well-formed (a damaged document type)");
    p = word;
  }
  m_name = std::string_view(name, static_cast<std::size_t>(NameEnd(name, end) - name));
  m_bDoctypeSeen = true;
  m_bInternalSubset = subset;
  m_nBegin = static_cast<std::size_t>(p + 1 - held.data()) + m_nBegin;
  if (subset) {
    // What follows is declarations this scanner does not read: the next
    // call refuses them rather than take them for content.
    m_strError = "a document type with declarations of its own is not read";
    m_nErrorLine = LineAt(m_nTokenStart);
    m_nErrorColumn = ColumnAt(m_nTokenStart);
    m_bErrorCut = false;
  }
  token = Token::Doctype;
  return Step::Done;
}

// ---- character data and references -----------------------------------------

void CXmlScanner::DecodeText(std::string_view raw, bool references) {
  const bool amp = references && std::memchr(raw.data(), '&', raw.size());
  if (!amp && !std::memchr(raw.data(), '\r', raw.size())) {
    m_text = raw;
    return;
  }
  m_strDecoded.clear();
  const char* p = raw.data();
  const char* end = raw.data() + raw.size();
  while (p != end) {
    const char* run = p;
    while (p != end && *p != '\r' && !(references && *p == '&')) ++p;
    m_strDecoded.append(run, static_cast<std::size_t>(p - run));
    if (p == end) break;
    if (*p == '\r') {
      m_strDecoded += '\n';
      ++p;
      if (p != end && *p == '\n') ++p;
      continue;
    }
    const auto* semi = static_cast<const char*>(std::memchr(
        p, ';', std::min<std::size_t>(static_cast<std::size_t>(end - p), kMaxReference)));
    if (!semi) RefuseAt(p, "not well-formed (a reference without its ';')");
    const std::string_view name(p + 1, static_cast<std::size_t>(semi - p - 1));
    if (name.starts_with('#')) {
      const bool hex = name.size() > 1 && name[1] == 'x';
      const std::string_view digits = name.substr(hex ? 2 : 1);
      unsigned long value = 0;
      bool ok = !digits.empty();
      for (const char c : digits) {
        int digit = -1;
        if (c >= '0' && c <= '9')
          digit = c - '0';
        else if (hex && (c | 0x20) >= 'a' && (c | 0x20) <= 'f')
          digit = (c | 0x20) - 'a' + 10;
        if (digit < 0) {
          ok = false;
          break;
        }
        value = value * (hex ? 16 : 10) + static_cast<unsigned long>(digit);
        if (value > 0x10FFFF) {
          ok = false;
          break;
        }
      }
      if (!ok || !IsXmlCharacter(value)) RefuseAt(p, "reference to invalid character number");
      AppendUtf8(m_strDecoded, value);
    } else if (name == "lt") {
      m_strDecoded += '<';
    } else if (name == "gt") {
      m_strDecoded += '>';
    } else if (name == "amp") {
      m_strDecoded += '&';
    } else if (name == "apos") {
      m_strDecoded += '\'';
    } else if (name == "quot") {
      m_strDecoded += '"';
    } else {
      RefuseAt(p, "undefined entity \"&" + std::string(name.substr(0, 40)) + ";\"");
    }
    p = semi + 1;
  }
  m_text = m_strDecoded;
}

void CXmlScanner::CheckReferences(std::string_view raw) {
  const std::string_view saved = m_text;
  DecodeText(raw, true);
  m_text = saved;
}

std::string CXmlScanner::AttributeValue(const CAttribute& attribute) {
  // Blanks written as such become spaces ("\r\n" one); a reference keeps
  // its character.
  const std::string_view raw = attribute.rawValue;
  std::string out;
  for (std::size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] == '&') {
      const std::size_t semi = raw.find(';', i);
      DecodeText(raw.substr(i, semi == std::string_view::npos ? semi : semi + 1 - i), true);
      out += m_text;
      i = semi;
    } else if (raw[i] == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n') {
      continue;
    } else {
      out += IsBlank(raw[i]) ? ' ' : raw[i];
    }
  }
  return out;
}

}  // namespace blastsearch
