// The host's text tests behind the table search: does a text, or a creator
// record, hold one of a list of substrings.
#include <algorithm>
#include <cctype>
#include <string_view>

#include "host/db/DBFunctions.h"

namespace {

bool SameLetter(char a, char b) {
  return std::tolower(static_cast<unsigned char>(a)) ==
         std::tolower(static_cast<unsigned char>(b));
}

bool Holds(std::string_view text, std::string_view part, bool matchCase) {
  if (part.empty() || part.size() > text.size()) return false;
  if (matchCase) return text.find(part) != std::string_view::npos;
  return std::search(text.begin(), text.end(), part.begin(), part.end(), SameLetter) != text.end();
}

}  // namespace

int CheckStringContext(const std::string& text, const std::vector<std::string>& substrings,
                       int matchCase) {
  for (const std::string& part : substrings) {
    if (Holds(text, part, matchCase != 0)) return 1;
  }
  return 0;
}

int CheckCreatorContext(const CCreatorData& creator, const std::vector<std::string>& substrings,
                        int matchCase) {
  return CheckStringContext(creator.m_strName, substrings, matchCase) != 0 ||
                 CheckStringContext(creator.m_strOrganization, substrings, matchCase) != 0 ||
                 CheckStringContext(creator.m_strEmail, substrings, matchCase) != 0
             ? 1
             : 0;
}
