#include "util/StringDataStorage.h"

namespace blastsearch {

CStringDataStorage::CStringDataStorage(std::string* text)
    : m_pData(text != nullptr ? text : &m_strData) {}

CStringDataStorage::CStringDataStorage(const CStringDataStorage& source) : CObject(source) {
  *this = source;
}

CStringDataStorage& CStringDataStorage::operator=(const CStringDataStorage& source) {
  const bool sourceEditsOwn = source.m_pData == &source.m_strData;
  m_strData = source.m_strData;
  m_pData = sourceEditsOwn ? &m_strData : source.m_pData;
  return *this;
}

void CStringDataStorage::SetData(std::string* text) {
  m_pData = text != nullptr ? text : &m_strData;
}

void CStringDataStorage::SetData(std::string value) { *m_pData = std::move(value); }

bool CStringDataStorage::Find(const std::string& key) {
  const std::string& text = *m_pData;
  if (text.empty()) return false;
  m_nKeyLength = key.size();
  const std::string open = "<" + key + ">";
  const std::size_t tag = text.find(open);
  if (tag == std::string::npos) return false;
  m_nTagPos = tag;
  m_nValuePos = tag + open.size();
  const std::size_t endTag = text.find("</" + key + ">", m_nValuePos);
  if (endTag == std::string::npos) return false;
  m_nEndTagPos = endTag;
  return true;
}

void CStringDataStorage::Set(std::string key, std::string value) {
  if (Find(key)) {
    m_pData->replace(m_nValuePos, m_nEndTagPos - m_nValuePos, value);
  } else {
    m_pData->append("<" + key + ">" + value + "</" + key + ">");
  }
}

int CStringDataStorage::Get(std::string key, std::string& value) {
  if (!Find(key)) return 0;
  value = m_pData->substr(m_nValuePos, m_nEndTagPos - m_nValuePos);
  return 1;
}

void CStringDataStorage::Delete(std::string key) {
  if (!Find(key)) return;
  m_pData->erase(m_nTagPos, m_nEndTagPos + m_nKeyLength + 3 - m_nTagPos);
}

}  // namespace blastsearch
