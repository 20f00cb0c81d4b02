#include "platform/Object.h"

#include "platform/ExtensionModule.h"

namespace blastsearch {

CObject* CRuntimeClass::CreateObject() const {
  return m_pfnCreateObject != nullptr ? m_pfnCreateObject() : nullptr;
}

bool CRuntimeClass::IsDerivedFrom(const CRuntimeClass* base) const {
  for (const CRuntimeClass* cls = this; cls != nullptr;
       cls = cls->m_pfnGetBaseClass != nullptr ? cls->m_pfnGetBaseClass() : nullptr) {
    if (cls == base) return true;
  }
  return false;
}

const CRuntimeClass* CRuntimeClass::FromName(std::string_view name) { return AfxFindClass(name); }

CRuntimeClassRegistration::CRuntimeClassRegistration(const CRuntimeClass* cls) : m_pClass(cls) {
  AfxClassInit(cls);
}

CRuntimeClassRegistration::~CRuntimeClassRegistration() { AfxClassTerm(m_pClass); }

const CRuntimeClass CObject::classCObject = {"CObject", 0xFFFF, nullptr, nullptr, nullptr};

const CRuntimeClass* CObject::GetRuntimeClass() const { return RUNTIME_CLASS(CObject); }

bool CObject::IsKindOf(const CRuntimeClass* cls) const {
  return GetRuntimeClass()->IsDerivedFrom(cls);
}

}  // namespace blastsearch
