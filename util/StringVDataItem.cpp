#include "util/StringVDataItem.h"

namespace blastsearch {

std::string CStringVDataItem::Assemble() const {
  return "<" + m_strKey + ">" + m_strValue + "</" + m_strKey + ">";
}

int CStringVDataItem::Separate(std::string text) {
  const std::size_t close = text.find("</");
  if (close == std::string::npos || close == 0) return 0;
  const std::size_t keyEnd = text.find('>', close);
  if (keyEnd == std::string::npos) return 0;
  m_strKey = text.substr(close + 2, keyEnd - close - 2);

  const std::string open = "<" + m_strKey + ">";
  const std::size_t openPos = text.find(open);
  if (openPos == std::string::npos) return 0;
  const std::size_t valueStart = openPos + open.size();
  m_strValue = close > valueStart ? text.substr(valueStart, close - valueStart) : std::string();
  return 1;
}

}  // namespace blastsearch
