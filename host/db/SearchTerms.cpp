#include "host/db/SearchTerms.h"

#include <charconv>

#include "host/db/DBField.h"
#include "host/db/DBRecordText.h"

namespace blastsearch {

namespace {

// Appends the values of a user-defined field entry ("name<TAB>value..."),
// each on a line of its own; the name is no value.
void AppendFieldValues(std::string_view line, std::string& text) {
  std::size_t tab = line.find('\t');
  while (tab != std::string_view::npos) {
    const std::size_t next = line.find('\t', tab + 1);
    text += UnescapeRecordText(line.substr(tab + 1, next == line.npos ? next : next - tab - 1));
    text += '\n';
    tab = next;
  }
}

// Takes one "@field:text" line from the front of `rest`; false when the
// front is no such line.
bool NextLine(std::string_view& rest, int& field, std::string_view& text) {
  if (rest.empty() || rest.front() != '@') return false;
  const std::size_t colon = rest.find(':');
  if (colon == rest.npos || colon == 1) return false;
  const auto [end, error] = std::from_chars(rest.data() + 1, rest.data() + colon, field);
  if (error != std::errc() || end != rest.data() + colon) return false;
  const std::size_t lineEnd = rest.find('\n', colon);
  if (lineEnd == rest.npos) return false;
  text = rest.substr(colon + 1, lineEnd - colon - 1);
  rest.remove_prefix(lineEnd + 1);
  return true;
}

}  // namespace

CSearchTerms ExtractSearchTerms(std::string_view record) {
  CSearchTerms terms;
  std::string_view rest = record;
  int field = 0;
  std::string_view text;
  while (NextLine(rest, field, text)) {
    switch (field) {
      case kFieldName:
      case kFieldCreationTime:
      case kFieldRecordId:
      case kFieldSheetKind:
      case kFieldLocalFlags:
      case kFieldAuthor:
      case kFieldOriginalAuthor:
        continue;
      case kFieldKeyword:
        terms.m_keywords.push_back(UnescapeRecordText(text));
        continue;
      case kFieldUDField:
        AppendFieldValues(text, terms.m_text);
        continue;
      case kFieldDescription:
        terms.m_text += UnescapeRecordText(text);
        terms.m_text += '\n';
        continue;
      default:
        return terms;  // the table's values follow: no common field after them
    }
  }
  // The common fields are followed by the table's values or the end mark;
  // a record that stops elsewhere is not one this program wrote.
  terms.m_bUnreadable = true;
  return terms;
}

bool IsValidUtf8(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    const auto c = static_cast<unsigned char>(text[i]);
    std::size_t length = 0;
    if (c < 0x80) {
      length = 1;
    } else if ((c & 0xE0) == 0xC0 && c >= 0xC2) {
      length = 2;
    } else if ((c & 0xF0) == 0xE0) {
      length = 3;
    } else if ((c & 0xF8) == 0xF0 && c <= 0xF4) {
      length = 4;
    } else {
      return false;
    }
    if (i + length > text.size()) return false;
    if (length > 2) {
      // No overlong forms, no surrogates, nothing above U+10FFFF.
      const auto second = static_cast<unsigned char>(text[i + 1]);
      if ((c == 0xE0 && second < 0xA0) || (c == 0xED && second > 0x9F) ||
          (c == 0xF0 && second < 0x90) || (c == 0xF4 && second > 0x8F)) {
        return false;
      }
    }
    for (std::size_t k = 1; k < length; ++k) {
      if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
    }
    i += length;
  }
  return text.find('\0') == std::string_view::npos;
}

std::size_t Utf8Length(std::string_view text) {
  std::size_t count = 0;
  for (char c : text) count += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
  return count;
}

}  // namespace blastsearch
