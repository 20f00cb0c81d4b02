#include "table/BlastSearchObject.h"

#include <new>

#include "model/ResultInfo.h"
#include "table/ResultListFacts.h"

namespace blastsearch {

CBlastSearchObject::CBlastSearchObject()
    : m_resultValue(m_valueContainer, kResultField, "", nullptr, 0) {}

CBlastSearchObject::CBlastSearchObject(const CBlastSearchObject& other)
    : CDBObjectImpl<15>(other), m_resultValue(m_valueContainer, other.m_resultValue) {}

CBlastSearchObject::~CBlastSearchObject() = default;

CDBObjectBase* CBlastSearchObject::Clone() const {
  return new (std::nothrow) CBlastSearchObject(*this);
}

int CBlastSearchObject::ReadObject(COrvTextFile& file, int a, int b) {
  return CDBObjectBase::ReadObject(file, a, b);
}

std::vector<std::string> CBlastSearchObject::GetObjectKeys() const {
  std::vector<std::string> keys = MakeResultFactKeys(Entry(), m_keywords);
  const std::string digest = GetResultInfo(Entry(), result_info::kDigest);
  if (!digest.empty()) keys.push_back(std::string(kResultDigestKey) + digest);
  return keys;
}

}  // namespace blastsearch
