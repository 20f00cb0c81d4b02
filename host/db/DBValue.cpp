#include "host/db/DBValue.h"

#include <algorithm>

#include "host/OrvTextFile.h"
#include "host/db/DBRecordText.h"

namespace blastsearch {

CDBValue* CDBValueContainer::Find(int field) const {
  for (CDBValue* value : m_values) {
    if (value->GetFieldNumber() == field) return value;
  }
  return nullptr;
}

void CDBValueContainer::Remove(CDBValue* value) {
  m_values.erase(std::remove(m_values.begin(), m_values.end(), value), m_values.end());
}

CDBValue::CDBValue(CDBValueContainer& container, int field, const char* name, const char* text)
    : m_pContainer(&container),
      m_nField(field),
      m_strName(name != nullptr ? name : ""),
      m_strText(text != nullptr ? text : "") {
  container.Add(this);
}

CDBValue::CDBValue(CDBValueContainer& container, const CDBValue& other)
    : m_pContainer(&container),
      m_nField(other.m_nField),
      m_strName(other.m_strName),
      m_strText(other.m_strText) {
  container.Add(this);
}

CDBValue::~CDBValue() { m_pContainer->Remove(this); }

bool CDBValue::ReadValue(COrvTextFile& file, const char* /*keyword*/) {
  std::string line;
  file.ReadString(line);
  m_strText = UnescapeRecordText(line);
  return true;
}

bool CDBValue::WriteValue(COrvTextFile& file) {
  WriteSeparator(m_nField, file);
  file.WriteString(EscapeRecordText(m_strText).c_str());
  file.WriteString("\n");
  return true;
}

}  // namespace blastsearch
