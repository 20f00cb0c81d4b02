#include "table/BlastSearchObject.h"

#include <new>

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
